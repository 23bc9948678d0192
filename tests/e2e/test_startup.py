"""Start-up and end of the viewer: window, first frame, console, exit status, ignored keys."""
import unittest

from harness import LINE_RECTS, SKY, WHITE, WINDOW_TITLE, Viewer, run_viewer, wait_until

NORMAL_CONSOLE = ["OpenGL 2.0 supported", "Phong shader loaded.", "Def shader loaded."]
# The overlay's text stays inside this box; everything else is cleared sky at the start pose.
OVERLAY_BOX = (0, 0, 340, 75)
OUTSIDE_OVERLAY = [(340, 0, 1024, 768), (0, 75, 340, 768)]


def area(rect):
    left, top, right, bottom = rect
    return (right - left) * (bottom - top)


class NormalStart(unittest.TestCase):
    def test_window_first_frame_console_and_escape(self):
        with Viewer() as viewer:
            self.assertEqual(viewer.window_name(), WINDOW_TITLE)
            self.assertEqual(viewer.window_geometry(), (0, 0, 1024, 768))

            shot = viewer.screenshot()
            for rect in OUTSIDE_OVERLAY:
                self.assertEqual(shot.count(SKY, rect, tolerance=1), area(rect),
                                 f"non-sky pixels in {rect}")
            overlay_white = shot.count(WHITE, OVERLAY_BOX)
            self.assertGreater(overlay_white, 0)
            self.assertEqual(shot.count_other(SKY, OVERLAY_BOX, tolerance=1), overlay_white,
                             "the overlay holds colours other than sky and white")

            wait_until(lambda: "Def shader loaded." in viewer.stdout, 30, "the console lines")
            self.assertEqual(viewer.stdout.splitlines(), NORMAL_CONSOLE)

            viewer.key("Escape")
            self.assertEqual(viewer.wait_exit(), 0)
            self.assertEqual(viewer.stdout.splitlines(), NORMAL_CONSOLE)

    def test_keys_without_a_command_change_nothing(self):
        with Viewer() as viewer:
            before = viewer.screenshot()
            # Upper case is not lower case, and only 1 to 6 choose a grid size.
            viewer.key("F", "G", "0", "7", "8", "9")
            viewer.wait_frames(3)
            after = viewer.screenshot()
            self.assertTrue(viewer.running())
            for line in (1, 2):
                self.assertEqual(after.crop(LINE_RECTS[line]), before.crop(LINE_RECTS[line]),
                                 f"overlay line {line + 1} changed")
            viewer.key("Escape")
            self.assertEqual(viewer.wait_exit(), 0)


class FailedStart(unittest.TestCase):
    def test_without_opengl_2_0(self):
        result = run_viewer(env={"MESA_GL_VERSION_OVERRIDE": "1.5"})
        self.assertEqual(result.stdout, "OpenGL 2.0 not supported\n\n")
        self.assertEqual(result.status, 1)

    def test_without_a_display(self):
        result = run_viewer(display=False)
        self.assertIn("failed to open display", result.stderr)
        self.assertEqual(result.status, 1, "a signal or another status instead of freeglut's exit")
        self.assertEqual(result.stdout, "")


if __name__ == "__main__":
    unittest.main()
