"""Mouse look wherever the window is: the pointer is read and put back in the window's frame."""
import unittest

from harness import Viewer, settled, shift, wait_until
from test_viewer import drawn


def look(viewer, before, dx):
    """Moves the pointer dx pixels right of home; returns the screen once that turn is drawn."""
    x, y = viewer.home()
    viewer.xdotool("mousemove", x + dx, y)
    wait_until(lambda: viewer.running() and viewer.pointer() == (x, y), 10, "the pointer home")
    return settled(viewer.screen, unlike=before)


class MouseLook(unittest.TestCase):
    def test_ten_pixels_turn_the_view_alike_at_the_top_left_and_away_from_it(self):
        with Viewer(fixed_time=1500000000) as viewer:
            # The 16 grid's far blocks as lines, V held: quick frames, and a picture to follow.
            viewer.key("5")
            viewer.xdotool("keydown", "v")
            start = viewer.wait_screen(lambda s: drawn(s) > 5000, 30, "lines with V held")
            turned = look(viewer, start, 10)
            at_top_left = shift(start, turned)
            self.assertIn(at_top_left, range(-14, -7))  # right: the terrain moves left

            viewer.move_window(200, 150)
            viewer.frames()
            moved = settled(viewer.screen)
            self.assertEqual(shift(turned, moved), 0)  # the new place alone turns nothing
            self.assertEqual(shift(moved, look(viewer, moved, 10)), at_top_left)
            self.assertEqual(viewer.pointer(), (600, 450))
            self.assertEqual(viewer.quit(), 0)


if __name__ == "__main__":
    unittest.main()
