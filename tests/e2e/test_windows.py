"""The Windows zip and unit tests (tools/build-windows.sh) under Wine; skipped (77) without them."""
import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

from harness import BATCHED_CONSOLE, CONSOLE, Viewer, XServer, environment, run
from test_viewer import short_session, texture_tool

ZIP = os.environ.get("KELMORA_WINDOWS_ZIP", "")
UNIT_TESTS = os.environ.get("KELMORA_WINDOWS_UNIT_TESTS", "")
WINE = {"WINEPREFIX": os.path.join(os.path.dirname(ZIP), "wineprefix"), "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree,mshtml="}  # no Mono or Gecko install prompts


def console(out):  # Windows text mode ends lines with CR LF
    return out.replace("\r\n", "\n")


class UnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        with zipfile.ZipFile(ZIP) as archive:
            archive.extractall(cls.folder.name)
        [name] = os.listdir(cls.folder.name)
        cls.unpacked = os.path.join(cls.folder.name, name)
        if not os.path.isdir(WINE["WINEPREFIX"]):
            # wineboot leaves the prefix's services starting; let them settle before the viewer.
            for step in (["wineboot", "--init"], ["wineserver", "--wait"]):
                subprocess.run(step, env=environment(extra=WINE), capture_output=True, check=True,
                               timeout=300)

    @classmethod
    def tearDownClass(cls):
        subprocess.run(["wineserver", "--kill"], env=environment(extra=WINE))
        cls.folder.cleanup()

    def test_the_unit_tests(self):
        # On an X server of their own: the key test types into a focused window of its own.
        with XServer() as server:
            done = subprocess.run(["wine", UNIT_TESTS], cwd=os.path.dirname(UNIT_TESTS),
                                  env=environment(server.display, extra=WINE), capture_output=True,
                                  text=True, timeout=300)
        failures = [line for line in console(done.stdout).splitlines()
                    if not line.startswith(("[ RUN", "[       OK"))]
        self.assertEqual(done.returncode, 0, "\n".join(failures[-60:]))

    def test_the_viewer_and_the_texture_tool(self):
        viewer_exe = ["wine", os.path.join(self.unpacked, "kelmora.exe")]
        with Viewer(cwd=self.unpacked, program=viewer_exe, env=WINE) as viewer:
            short_session(self, viewer, "1", 128, 120)  # V through GetKeyState, the user32 cursor
        self.assertEqual(console(viewer.stdout), "\n".join(CONSOLE) + "\n")
        with Viewer(cwd=self.unpacked, program=viewer_exe + ["--batched"], env=WINE) as viewer:
            short_session(self, viewer, "1", 128, 120, BATCHED_CONSOLE)

        status, out, _ = run(program=viewer_exe, cwd=self.unpacked,
                             env=dict(WINE, MESA_GL_VERSION_OVERRIDE="1.5"))
        self.assertEqual((status, console(out)), (1, "OpenGL 2.0 not supported\n\n"))
        texture_tool(self, ["wine", os.path.join(self.unpacked, "kelmora-texture.exe")],
                     self.unpacked, WINE)


if __name__ == "__main__":
    if not os.path.isfile(ZIP):
        reason = os.path.join(os.path.dirname(ZIP), "unavailable.txt")
        print("Skipped: " + (open(reason).read().strip() if os.path.isfile(reason) else
                             f"{ZIP or 'the zip'} is missing: run tools/build-windows.sh"))
        sys.exit(77)
    unittest.main()
