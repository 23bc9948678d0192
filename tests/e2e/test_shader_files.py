"""A shader source that cannot be read: the viewer names it, carries on, and a Phong program
without its source leaves the terrain to the fixed-function pipeline."""
import os
import shutil
import tempfile
import unittest

from harness import LINE_RECTS, SKY, WHITE, Viewer, repository_root

# A pinned clock, so every run generates the same terrain and pictures can be compared.
FIXED_TIME = 1234567
BELOW_OVERLAY = (0, 80, 1024, 768)
CONSOLE_START = "OpenGL 2.0 supported"
PHONG_LOADED = "Phong shader loaded."
DEF_LOADED = "Def shader loaded."


def unreadable_line(name):
    return f"Cannot read shader file data/{name}: missing, empty, too large or not a regular file"


def blocks_drawn(shot):
    return shot.count_other(SKY, BELOW_OVERLAY, tolerance=1) > 1000


def shading_line_end(shot):
    return max(x for x in range(0, 400) for y in range(LINE_RECTS[1][1], LINE_RECTS[1][3])
               if shot.pixel(x, y) == WHITE)


def picture_with_v_held(viewer, after_keys=(), condition=lambda shot: True):
    """The blocks drawn as lines at the start pose, once `condition` holds after `after_keys`."""
    viewer.keydown("v")
    try:
        viewer.key(*after_keys)
        shot = viewer.wait_for_screen(lambda shot: blocks_drawn(shot) and condition(shot), 60,
                                      "the line-drawn blocks")
    finally:
        viewer.keyup("v")
    return shot.crop(BELOW_OVERLAY)


class UnreadableShaderFile(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # The same terrain drawn by the Phong program and by the fixed-function pipeline.
        with Viewer(fixed_time=FIXED_TIME) as viewer:
            cls.phong_picture = picture_with_v_held(viewer)
            cls.fixed_picture = picture_with_v_held(
                viewer, ["g"], lambda shot: shading_line_end(shot) > 280)
            viewer.key("Escape")
            viewer.wait_exit()
        if cls.phong_picture == cls.fixed_picture:
            raise AssertionError("the two shading paths draw the same picture")

    def run_viewer_with(self, name, spoil):
        """Runs the viewer on a copy of data/ whose file `name` is spoiled; returns its console
        lines and its picture with V held. Esc must end it with status 0."""
        with tempfile.TemporaryDirectory(prefix="kelmora-data-") as folder:
            shutil.copytree(os.path.join(repository_root(), "data"), os.path.join(folder, "data"))
            spoil(os.path.join(folder, "data", name))
            with Viewer(cwd=folder, fixed_time=FIXED_TIME) as viewer:
                picture = picture_with_v_held(viewer)
                # The overlay still names the path chosen by the keys.
                self.assertLess(shading_line_end(viewer.screenshot()), 150)
                viewer.key("Escape")
                self.assertEqual(viewer.wait_exit(), 0)
                return viewer.stdout.splitlines(), picture

    def assert_phong_source_unreadable(self, name, spoil):
        lines, picture = self.run_viewer_with(name, spoil)
        self.assertEqual(lines, [CONSOLE_START, unreadable_line(name), PHONG_LOADED, DEF_LOADED])
        self.assertTrue(picture == self.fixed_picture,
                        "the terrain is not drawn by the fixed-function pipeline")

    def test_missing_fragment_source(self):
        self.assert_phong_source_unreadable("PhongFrag.c", os.remove)

    def test_empty_vertex_source(self):
        self.assert_phong_source_unreadable("PhongVert.c", lambda path: open(path, "w").close())

    def test_directory_in_place_of_a_source(self):
        def replace_with_directory(path):
            os.remove(path)
            os.mkdir(path)
        self.assert_phong_source_unreadable("PhongFrag.c", replace_with_directory)

    def test_missing_minimal_source_leaves_phong_in_use(self):
        lines, picture = self.run_viewer_with("minimalFrag.c", os.remove)
        self.assertEqual(lines, [CONSOLE_START, PHONG_LOADED, unreadable_line("minimalFrag.c"),
                                 DEF_LOADED])
        self.assertTrue(picture == self.phong_picture, "the terrain is not drawn by Phong")


if __name__ == "__main__":
    unittest.main()
