"""The digest of each result of the installed module, for tools/check_platforms.sh.

    python3 tools/result_digests.py CASES

CASES holds one case a line, `FILE TOLERANCE`: FILE relative to the folder of CASES, the
tolerance as Python's float() reads it.
For each case one line goes to standard output: `FILE TOLERANCE SHA256 POSITIONS`, the SHA-256
of the result text as UTF-8 and the number of positions in it. Then a line `# platform ...`
describes the interpreter and its C library. Standard library only, from CPython 3.8 on, so
that it runs on every platform the wheels serve (Debian 11's CPython 3.9 under qemu among them).
"""

import hashlib
import os
import platform
import re
import sys

import quorvel

POSITION = re.compile(r"\[[-0-9n]")  # a position opens with a number or null (compact text)


def digest_line(path, tolerance):
    with open(path, encoding="utf-8") as file:
        text = file.read()
    result = quorvel.smooth_and_simplify_polygon_fc(text, float(tolerance))
    digest = hashlib.sha256(result.encode("utf-8")).hexdigest()
    return f"{path} {tolerance} {digest} {len(POSITION.findall(result))}"


def main():
    cases_path = os.path.abspath(sys.argv[1])
    os.chdir(os.path.dirname(cases_path))
    with open(cases_path, encoding="utf-8") as cases:
        for line in cases:
            if line.strip():
                print(digest_line(*line.split()), flush=True)
    libc = " ".join(platform.libc_ver())
    print(f"# platform {platform.machine()}, {libc}, CPython {platform.python_version()}")


if __name__ == "__main__":
    main()
