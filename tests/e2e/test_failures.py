"""Bad input and a poor platform: clear console lines, the right status, never a hang."""
import os
import shutil
import tempfile
import unittest
from pathlib import Path

from harness import CONSOLE, ROOT, SKY, TERRAIN, Viewer, run


def unreadable(name):
    return f"Cannot read shader file data/{name}: missing, empty, too large or not a regular file"


class Platform(unittest.TestCase):
    def test_without_opengl_2_0_or_a_display(self):
        status, out, _ = run(env={"MESA_GL_VERSION_OVERRIDE": "1.5"})
        self.assertEqual((status, out), (1, "OpenGL 2.0 not supported\n\n"))
        status, out, err = run(display=False)
        self.assertEqual((status, out), (1, ""))
        self.assertIn("failed to open display", err)

    def test_the_options_answer_on_the_console(self):
        status, out, err = run(["--help"], display=False)
        self.assertEqual((status, err, "  --batched  " in out), (0, "", True))
        status, out, _ = run(["--version"], display=False)
        self.assertEqual((status, out.splitlines()[0]), (0, "kelmora " + os.environ["KELMORA_VERSION"]))
        status, out, err = run(["-display", ":99", "--bogus"], display=False)
        self.assertEqual((status, out, err.splitlines()[0]),
                         (2, "", "kelmora: unrecognized option '--bogus'"))


class ShaderFiles(unittest.TestCase):
    def viewer_with(self, name, spoil):
        """Console lines of a viewer, drawing lines with V, whose data/<name> is spoiled."""
        with tempfile.TemporaryDirectory() as folder:
            shutil.copytree(os.path.join(ROOT, "data"), os.path.join(folder, "data"))
            path = os.path.join(folder, "data", name)
            os.remove(path)
            spoil(path)
            with Viewer(cwd=folder) as viewer:
                viewer.xdotool("keydown", "v")
                viewer.wait_screen(lambda s: s.count(SKY, TERRAIN) < 1024 * 688 - 5000, 30, "lines")
                self.assertEqual(viewer.quit(), 0)
            return viewer.stdout.splitlines()

    def test_unreadable_sources_are_named_and_the_viewer_goes_on(self):
        cases = [("PhongFrag.c", lambda path: None),  # missing: the fixed-function path draws
                 ("minimalVert.c", os.mkfifo),         # opening it would block for ever
                 ("minimalFrag.c", lambda path: open(path, "w").close())]
        for name, spoil in cases:
            with self.subTest(name):
                lines = self.viewer_with(name, spoil)
                at = 1 if name.startswith("Phong") else 2
                self.assertEqual(lines, CONSOLE[:at] + [unreadable(name)] + CONSOLE[at:])

    def test_a_source_that_does_not_compile_prints_its_logs(self):
        def broken(path):
            with open(path, "w") as out:
                out.write("#version 110\nvoid main() { gl_Position = ; }\n")
        # The compile log ends with its own line end, the link log without; the fragment
        # shader's log is empty and prints nothing.
        self.assertEqual(self.viewer_with("PhongVert.c", broken), [
            "OpenGL 2.0 supported", "0:2(29): error: syntax error, unexpected ';'", "",
            "error: linking with uncompiled/unspecialized shader"] + CONSOLE[1:])


class TextureTool(unittest.TestCase):
    def setUp(self):
        folder = self.enterContext(tempfile.TemporaryDirectory())
        self.work = os.path.join(folder, "work")
        self.bmp = os.path.join(folder, "data", "terrainTex.bmp")
        os.makedirs(self.work)
        os.makedirs(os.path.dirname(self.bmp))

    def tool(self, *args):
        return run(args, cwd=self.work, display=False, program=os.environ["KELMORA_TEXTURE_TOOL"],
                   fixed_time=1500000000)

    def picture(self):
        data = Path(self.bmp).read_bytes()
        return int.from_bytes(data[18:22], "little"), int.from_bytes(data[22:26], "little"), data

    def test_writes_the_terrain_picture(self):
        self.assertEqual(self.tool(), (0, "../data/terrainTex.bmp\n", ""))
        self.assertEqual(self.picture()[:2], (32, 32))
        self.assertEqual(self.tool("4")[0], 0)
        width, height, first = self.picture()
        self.assertEqual((width, height, len(first)), (4, 4, 54 + 4 * 12))
        self.tool("4")
        self.assertEqual(self.picture()[2], first)  # the same second, the same terrain
        for name, args in (("a", ("-o", "a", "4")), ("b", ("4", "--output=b")),
                           ("c", ("--output", "c", "4"))):
            self.assertEqual(self.tool(*args), (0, name + "\n", ""))
            self.assertEqual(Path(self.work, name).read_bytes(), first)

    def test_options_bad_arguments_and_unwritable_files(self):
        version = "kelmora-texture (Kelmora) " + os.environ["KELMORA_VERSION"]
        usage = "Usage: kelmora-texture [-o FILE] [SIZE]"
        for args, first in ((("--help",), usage), (("4", "--version"), version)):
            status, out, err = self.tool(*args)
            self.assertEqual((status, out.splitlines()[0], err), (0, first, ""))
        self.assertIn("\n  -o, --output=FILE ", self.tool("--help")[1])
        for args in (("0",), ("513",), ("x4",), ("",), ("4", "4"), ("--size",), ("-o",),
                     ("4", "--output")):
            status, out, err = self.tool(*args)
            self.assertEqual((status, out), (2, ""), args)
            self.assertIn(f"\n{usage}\n", err)
        cannot = ("kelmora-texture: cannot write {}: its folder must exist and be writable"
                  " (choose the file with -o FILE)\n")
        os.mkfifo(self.bmp)  # writing would wait for a reader
        self.assertEqual(self.tool(), (1, "", cannot.format("../data/terrainTex.bmp")))
        os.remove(self.bmp)
        os.rmdir(os.path.dirname(self.bmp))
        for args, path in (((), "../data/terrainTex.bmp"), (("-o", "none/x.bmp"), "none/x.bmp")):
            self.assertEqual(self.tool(*args), (1, "", cannot.format(path)))


if __name__ == "__main__":
    unittest.main()
