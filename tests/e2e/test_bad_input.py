"""Bad input from outside: no data/ folder, a shader source of binary garbage, one that does not
compile, and a window resized to 1 by 1 and to 4000 by 3000 pixels. The viewer reports what it
can, never crashes, keeps drawing, and Esc ends it with status 0."""
import os
import random
import shutil
import tempfile
import unittest

from harness import BELOW_OVERLAY, LINE_RECTS, SKY, WHITE, WINDOW_SIZE, Viewer, \
    repository_root, wait_until

FIXED_TIME = 1234567
CONSOLE_START = "OpenGL 2.0 supported"
PHONG_LOADED = "Phong shader loaded."
DEF_LOADED = "Def shader loaded."
SHADER_FILES = ["PhongVert.c", "PhongFrag.c", "minimalVert.c", "minimalFrag.c"]
# Lines of the 32 grid cover about 20000 pixels below the overlay.
LINES_SHOWN = 5000
WRONG_GLSL = """#version 110
// Reads a colour that nothing declares.
void main()
{
    gl_FragColor = undeclaredColour;
}
"""


def unreadable_line(name):
    return f"Cannot read shader file data/{name}: missing, empty, too large or not a regular file"


def drawn(shot):
    return shot.count_other(SKY, BELOW_OVERLAY, tolerance=1)


def shading_line_end(shot):
    """Rightmost white x of the overlay's shading line: under 150 for "Using GLSL 1.1", over
    280 for the fixed-function line."""
    left, top, right, bottom = LINE_RECTS[1]
    return max((x for y in range(top, bottom) for x in range(0, 400)
                if shot.pixel(x, y) == WHITE), default=-1)


class ShaderSources(unittest.TestCase):
    def run_on(self, prepare):
        """Runs the viewer in a fresh folder made ready by prepare(folder); checks that it draws
        the line-drawn field with V held and that the Phong path falls back to the
        fixed-function one (the picture does not change on g); returns its console lines."""
        with tempfile.TemporaryDirectory(prefix="kelmora-bad-") as folder:
            prepare(folder)
            with Viewer(cwd=folder, fixed_time=FIXED_TIME) as viewer:
                wait_until(lambda: DEF_LOADED in viewer.stdout, 30, "the console lines")
                viewer.keydown("v")
                try:
                    phong = viewer.wait_for_screen(lambda s: drawn(s) > LINES_SHOWN, 60,
                                                   "the line-drawn field")
                    self.assertLess(shading_line_end(phong), 150)
                    viewer.key("g")
                    fixed = viewer.wait_for_screen(lambda s: shading_line_end(s) > 280, 30,
                                                   "the fixed-function line")
                finally:
                    viewer.keyup("v")
                self.assertTrue(fixed.crop(BELOW_OVERLAY) == phong.crop(BELOW_OVERLAY),
                                "the broken Phong program drew something of its own")
                viewer.key("Escape")
                self.assertEqual(viewer.wait_exit(), 0)
            return viewer.stdout.splitlines()

    @staticmethod
    def data_with(name, content):
        def prepare(folder):
            shutil.copytree(os.path.join(repository_root(), "data"), os.path.join(folder, "data"))
            with open(os.path.join(folder, "data", name), "wb") as out:
                out.write(content)
        return prepare

    def phong_log(self, lines):
        """The lines the Phong program printed before its loaded line."""
        self.assertEqual(lines[0], CONSOLE_START)
        self.assertIn(PHONG_LOADED, lines)
        self.assertEqual(lines[-1], DEF_LOADED)
        return lines[1:lines.index(PHONG_LOADED)]

    def test_no_data_folder(self):
        lines = self.run_on(lambda folder: None)
        self.assertEqual(lines, [CONSOLE_START, unreadable_line("PhongVert.c"),
                                 unreadable_line("PhongFrag.c"), PHONG_LOADED,
                                 unreadable_line("minimalVert.c"),
                                 unreadable_line("minimalFrag.c"), DEF_LOADED])

    def test_binary_garbage_source(self):
        # No NUL, so the whole 4 KiB reaches the compiler.
        garbage = random.Random(20240611).randbytes(4096).replace(b"\0", b"\xff")
        lines = self.run_on(self.data_with("PhongVert.c", garbage))
        log = self.phong_log(lines)
        self.assertTrue(any(line.strip() for line in log), f"no info log: {lines}")
        self.assertTrue(any("error" in line.lower() for line in log), f"no error in {log}")

    def test_source_that_does_not_compile(self):
        lines = self.run_on(self.data_with("PhongFrag.c", WRONG_GLSL.encode()))
        log = self.phong_log(lines)
        self.assertTrue(any("undeclaredColour" in line for line in log),
                        f"the compiler's log does not name the culprit: {log}")


def line_field(viewer):
    """The picture of the field drawn as lines while V is held."""
    viewer.keydown("v")
    try:
        return viewer.wait_for_screen(lambda s: drawn(s) > LINES_SHOWN, 60, "the line-drawn field")
    finally:
        viewer.keyup("v")


class WindowSize(unittest.TestCase):
    def test_tiny_and_huge_window_then_back(self):
        with Viewer(fixed_time=FIXED_TIME) as viewer:
            before = line_field(viewer)
            viewer.wait_for_screen(lambda s: drawn(s) == 0, 30, "the lines gone after V")

            viewer.resize_window(1, 1)
            viewer.wait_frames(4)
            self.assertTrue(viewer.running())

            # Larger than the 1280 by 1024 screen; the overlay's text is laid out in a fixed
            # 1024 by 768 space, so it moves with the new size: proof of a frame at that size.
            viewer.resize_window(4000, 3000)
            scale = 3000 / WINDOW_SIZE[1]
            first_line = (0, round(LINE_RECTS[0][1] * scale), 400, round(LINE_RECTS[0][3] * scale))
            shot = viewer.wait_for_screen(lambda s: s.count(WHITE, first_line) > 0, 60,
                                          "the overlay laid out for 4000 by 3000")
            self.assertEqual(shot.count(WHITE, LINE_RECTS[0]), 0)
            screen = (0, 0, shot.width, shot.height)
            self.assertEqual(shot.count_other(SKY, screen, tolerance=1), shot.count(WHITE, screen),
                             "colours other than sky and overlay text")
            viewer.wait_frames(4)

            viewer.resize_window(*WINDOW_SIZE)
            shot = viewer.wait_for_screen(lambda s: s.count(WHITE, LINE_RECTS[0]) > 0, 60,
                                          "the overlay back in place")
            viewer.wait_frames(2)
            shot = viewer.screenshot()
            self.assertEqual(drawn(shot), 0, "not the sky below the overlay")
            for rect in LINE_RECTS:
                self.assertGreater(shot.count(WHITE, rect), 100)
            # The projection is the first one again: the field is where it was.
            after = line_field(viewer)
            for edge_before, edge_after in zip(before.bounds_other(SKY, BELOW_OVERLAY, 1),
                                               after.bounds_other(SKY, BELOW_OVERLAY, 1)):
                self.assertLessEqual(abs(edge_before - edge_after), 2)

            viewer.key("Escape")
            self.assertEqual(viewer.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
