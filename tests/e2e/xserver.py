"""A private Xvfb on a free display, started and stopped as a context manager."""
import os
import subprocess
import time


class PrivateXServer:
    def __init__(self, width=1280, height=1024):
        self.size = f"{width}x{height}x24"
        self.display = None
        self.process = None

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            # -noreset: without it the server resets whenever its last client leaves, and a
            # pointer moved by a short-lived xdotool goes back to the middle of the screen.
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.size, "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 30
        with os.fdopen(read_end, "rb") as reader:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = reader.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.process.kill()
            raise RuntimeError("Xvfb did not report a display number")
        self.display = ":" + number.decode().strip()
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        return False
