"""The arm64 build run under qemu-user on this machine's Xvfb, with Mesa's arm64 llvmpipe: the
unit tests (the camera's recorded floats and the four-wide cube test against the scalar one
among them), then the viewer's console, window, V held, a regeneration and Esc, and the texture
tool.

KELMORA_ARM64_BUILD names the cross build's folder (tools/build-arm64.sh makes it); where that
script skipped the stage, or the programs are missing, the test is skipped (status 77) with the
reason.
"""
import os
import subprocess
import sys
import tempfile
import time
import unittest

import harness
from harness import Viewer, run
from test_viewer import CONSOLE, SIZE, drawn, text

BUILD = os.environ.get("KELMORA_ARM64_BUILD", "")
PROGRAMS = {name: os.path.join(BUILD, *path) for name, path in (
    ("viewer", ["kelmora"]), ("tool", ["tools", "kelmora-texture"]),
    ("tests", ["tests", "kelmora_unit_tests"]))}
EMULATOR = ["qemu-aarch64-static", "-L", "/"]
# Emulated, the shaders take tens of seconds to compile and a frame up to a tenth of a second.
harness.SCALE = 6


class UnderQemu(unittest.TestCase):
    def setUp(self):
        self.started = time.monotonic()

    def tearDown(self):
        print(f"{self.id()}: {time.monotonic() - self.started:.0f} s", file=sys.stderr)

    def test_unit_tests(self):
        done = subprocess.run(EMULATOR + [PROGRAMS["tests"]], cwd=os.path.dirname(PROGRAMS["tests"]),
                              capture_output=True, text=True, timeout=600)
        self.assertEqual(done.returncode, 0, done.stdout[-6000:] + done.stderr[-2000:])
        self.assertIn("[  PASSED  ]", done.stdout)

    def test_the_viewer_and_the_texture_tool(self):
        with Viewer(program=EMULATOR + [PROGRAMS["viewer"]]) as viewer:
            self.assertEqual(viewer.geometry(), (0, 0, 1024, 768))
            self.assertEqual(viewer.console(), CONSOLE)
            viewer.xdotool("keydown", "v")
            viewer.wait_screen(lambda s: drawn(s) > 5000, 30, "lines with V held")
            viewer.xdotool("keyup", "v")
            viewer.wait_screen(lambda s: drawn(s) == 0, 30, "the lines gone with V up")
            viewer.key("6")
            viewer.wait_screen(lambda s: text(s, 2)[0] == SIZE[4], 30, "size 4")
            self.assertEqual(viewer.quit(), 0)
        self.assertEqual(viewer.stdout, "\n".join(CONSOLE) + "\n")

        # Run from a folder beside data/, the tool writes data/terrainTex.bmp.
        with tempfile.TemporaryDirectory() as folder:
            os.mkdir(os.path.join(folder, "data"))
            os.mkdir(os.path.join(folder, "work"))
            status, out, _ = run(["5"], program=EMULATOR + [PROGRAMS["tool"]],
                                 cwd=os.path.join(folder, "work"), display=False)
            self.assertEqual((status, out), (0, "../data/terrainTex.bmp\n"))
            with open(os.path.join(folder, "data", "terrainTex.bmp"), "rb") as picture:
                bmp = picture.read()
            self.assertEqual((bmp[:2], len(bmp)), (b"BM", 54 + 5 * 16))


if __name__ == "__main__":
    # A build left from an earlier run is not tested when this run's script skipped the stage.
    reason = os.path.join(os.path.dirname(BUILD), "unavailable.txt")
    missing = [path for path in PROGRAMS.values() if not os.path.isfile(path)]
    if os.path.isfile(reason) or missing:
        print("Skipped: " + (open(reason).read().strip() if os.path.isfile(reason) else
                             f"{missing[0]} is missing: run tools/build-arm64.sh"))
        sys.exit(77)
    unittest.main()
