"""Running a program with its standard error on a pseudo-terminal, which is where progress bars
are drawn."""

import fcntl
import os
import pty
import select
import struct
import subprocess
import termios
import time


def run_in_terminal(arguments, columns=120, timeout=300, **options):
    """Runs `arguments` with standard error on a terminal of `columns` columns (standard output
    discarded) and returns the exit status and everything written to the terminal."""
    leader, follower = pty.openpty()
    fcntl.ioctl(follower, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
    deadline = time.monotonic() + timeout
    chunks = []
    with subprocess.Popen(arguments, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=follower, **options) as process:
        os.close(follower)
        try:
            # Until every process holding the terminal (workers included) has closed it.
            while time.monotonic() < deadline:
                if not select.select([leader], [], [], 1.0)[0]:
                    continue
                try:
                    chunk = os.read(leader, 1 << 16)
                except OSError:  # EIO: the terminal has no writer left
                    break
                if not chunk:
                    break
                chunks.append(chunk)
            else:
                process.kill()
                raise TimeoutError(f"{arguments} still writing after {timeout} s")
            status = process.wait(timeout=max(deadline - time.monotonic(), 1))
        finally:
            os.close(leader)
    return status, b"".join(chunks).decode("utf-8", "replace")
