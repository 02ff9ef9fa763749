"""The native checks under tests/native: C++ programs that test a kernel of the pipeline directly,
built from the project's CMake description with the module's own flags, each run as a test. A
check exits 0 when all its expectations hold and prints each failure on standard error."""

import os
import subprocess
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parent.parent
CHECKS = sorted(path.stem for path in (ROOT / "tests" / "native").glob("check_*.cpp"))


@pytest.fixture(scope="session")
def native_build(tmp_path_factory):
    folder = tmp_path_factory.mktemp("native")
    configure = ["cmake", "-S", str(ROOT), "-B", str(folder), "-DQUORVEL_MODULE=OFF",
                 "-DQUORVEL_NATIVE_TESTS=ON", "-DCMAKE_BUILD_TYPE=Release"]
    if os.environ.get("QUORVEL_WERROR"):
        configure.append("-DQUORVEL_WERROR=ON")
    for command in (configure, ["cmake", "--build", str(folder), "--parallel", "2"]):
        result = subprocess.run(command, capture_output=True, text=True)
        assert result.returncode == 0, result.stdout[-4000:] + result.stderr[-4000:]
    return folder


@pytest.mark.parametrize("name", CHECKS)
def test_native_check(native_build, name):
    result = subprocess.run([str(native_build / name)], capture_output=True, text=True)
    assert result.returncode == 0, result.stderr[-4000:]
