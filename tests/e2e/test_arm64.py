"""The arm64 build (tools/build-arm64.sh) under qemu-user on Xvfb: unit tests, a short session,
the texture tool; skipped (77), with the reason, where that script skipped or made nothing."""
import os
import subprocess
import sys
import tempfile
import unittest

import harness
from harness import BATCHED_CONSOLE, CONSOLE, Viewer
from test_viewer import short_session, texture_tool

BUILD = os.environ.get("KELMORA_ARM64_BUILD", "")
PROGRAMS = {name: os.path.join(BUILD, *path) for name, path in (
    ("viewer", ["kelmora"]), ("tool", ["tools", "kelmora-texture"]),
    ("tests", ["tests", "kelmora_unit_tests"]))}
# The loader, the libraries and Mesa's llvmpipe: Debian's arm64 packages unpacked beside the build.
SYSROOT = os.path.join(BUILD, "..", "sysroot")
EMULATOR = ["qemu-aarch64-static", "-L", SYSROOT]
# Named in full: qemu would fall back to a machine's own arm64 Mesa, where the sysroot had none.
DRIVERS = {"LIBGL_DRIVERS_PATH": os.path.join(SYSROOT, "usr", "lib", "aarch64-linux-gnu", "dri")}
# Emulated, the shaders take tens of seconds to compile and a frame up to a tenth of a second.
harness.SCALE = 6


class UnderQemu(unittest.TestCase):
    def test_unit_tests(self):
        done = subprocess.run(EMULATOR + [PROGRAMS["tests"]], cwd=os.path.dirname(PROGRAMS["tests"]),
                              capture_output=True, text=True, timeout=600)
        self.assertEqual(done.returncode, 0, done.stdout[-6000:] + done.stderr[-2000:])
        self.assertIn("[  PASSED  ]", done.stdout)

    def test_the_viewer_and_the_texture_tool(self):
        with Viewer(program=EMULATOR + [PROGRAMS["viewer"]], env=DRIVERS) as viewer:
            short_session(self, viewer, "6", 4, 30)
        self.assertEqual(viewer.stdout, "\n".join(CONSOLE) + "\n")
        batched = EMULATOR + [PROGRAMS["viewer"], "--batched"]
        with Viewer(program=batched, env=DRIVERS) as viewer:
            short_session(self, viewer, "6", 4, 30, BATCHED_CONSOLE)
        with tempfile.TemporaryDirectory() as folder:
            texture_tool(self, EMULATOR + [PROGRAMS["tool"]], folder)


if __name__ == "__main__":
    # A build left from an earlier run is not tested when this run's script skipped the stage.
    reason = os.path.join(os.path.dirname(BUILD), "unavailable.txt")
    missing = [path for path in PROGRAMS.values() if not os.path.isfile(path)]
    if os.path.isfile(reason) or missing:
        print("Skipped: " + (open(reason).read().strip() if os.path.isfile(reason) else
                             f"{missing[0]} is missing: run tools/build-arm64.sh"))
        sys.exit(77)
    unittest.main()
