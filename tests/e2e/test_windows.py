"""The Windows zip, unpacked and run under Wine: the user32 cursor and key state, console lines
as a Windows program writes them, the exit statuses and the texture tool; and the unit tests as
built for Windows, the polled keys and the cursor through user32 among them.

KELMORA_WINDOWS_ZIP names the zip and KELMORA_WINDOWS_UNIT_TESTS the unit tests' program
(tools/build-windows.sh makes both); without the zip the test is skipped (status 77) with the
reason that script gave. The Wine prefix is kept beside the zip.
"""
import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

from harness import HOME, Viewer, XServer, environment, run
from test_viewer import CONSOLE, SIZE, drawn, text

ZIP = os.environ.get("KELMORA_WINDOWS_ZIP", "")
UNIT_TESTS = os.environ.get("KELMORA_WINDOWS_UNIT_TESTS", "")
WINE = {"WINEPREFIX": os.path.join(os.path.dirname(ZIP), "wineprefix"), "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree,mshtml="}  # no Mono or Gecko install prompts


def console(out):
    """Windows text-mode output ends its lines with CR LF."""
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
            self.assertEqual(viewer.geometry()[2:], (1024, 768))
            self.assertEqual(viewer.console(), CONSOLE)
            viewer.xdotool("windowfocus", viewer.window)

            # V is asked through GetKeyState: the far blocks of the 32 grid come and go with it.
            viewer.xdotool("keydown", "v")
            viewer.wait_screen(lambda s: drawn(s) > 5000, 60, "lines with V held")
            viewer.xdotool("keyup", "v")
            viewer.wait_screen(lambda s: drawn(s) == 0, 60, "the lines gone with V up")

            viewer.xdotool("mousemove", 700, 500)
            viewer.wait_screen(lambda s: viewer.pointer() == HOME, 60, "the pointer home")

            viewer.key("1")
            viewer.wait_screen(lambda s: text(s, 2)[0] == SIZE[128], 120, "size 128")
            self.assertEqual(viewer.quit(), 0)
        self.assertEqual(console(viewer.stdout), "\n".join(CONSOLE) + "\n")

        status, out, _ = run(program=viewer_exe, cwd=self.unpacked,
                             env=dict(WINE, MESA_GL_VERSION_OVERRIDE="1.5"))
        self.assertEqual((status, console(out)), (1, "OpenGL 2.0 not supported\n\n"))

        # Run from a folder beside data/, the tool writes data/terrainTex.bmp.
        work = os.path.join(self.unpacked, "work")
        os.mkdir(work)
        tool = ["wine", os.path.join(self.unpacked, "kelmora-texture.exe")]
        status, out, _ = run(["5"], program=tool, cwd=work, env=WINE, display=False)
        self.assertEqual((status, console(out)), (0, "../data/terrainTex.bmp\n"))
        with open(os.path.join(self.unpacked, "data", "terrainTex.bmp"), "rb") as picture:
            bmp = picture.read()
        row = (5 * 3 + 3) // 4 * 4
        self.assertEqual((bmp[:2], len(bmp), int.from_bytes(bmp[2:6], "little")),
                         (b"BM", 54 + 5 * row, 54 + 5 * row))
        self.assertEqual([int.from_bytes(bmp[at:at + 4], "little") for at in (18, 22)], [5, 5])
        self.assertEqual(bmp[28], 24)  # bits per pixel


if __name__ == "__main__":
    if not os.path.isfile(ZIP):
        reason = os.path.join(os.path.dirname(ZIP), "unavailable.txt")
        print("Skipped: " + (open(reason).read().strip() if os.path.isfile(reason) else
                             f"{ZIP or 'the zip'} is missing: run tools/build-windows.sh"))
        sys.exit(77)
    unittest.main()
