"""Mouse look: the viewer puts the pointer back to screen point (400, 300) and turns the view."""
import unittest

from harness import POINTER_HOME, SKY, Viewer, wait_until

BELOW_OVERLAY = (0, 80, 1024, 768)


class PointerRecentring(unittest.TestCase):
    def assert_comes_home(self, viewer, x, y):
        if viewer.move_pointer(x, y) != POINTER_HOME:
            wait_until(lambda: viewer.pointer() == POINTER_HOME, 20,
                       f"the pointer to come back from ({x}, {y})")

    def test_pointer_moved_in_the_window_comes_back(self):
        with Viewer() as viewer:
            self.assert_comes_home(viewer, 500, 420)
            self.assert_comes_home(viewer, 300, 200)
            self.assertTrue(viewer.running())

    def test_pointer_outside_the_window_comes_back(self):
        # The point is fixed on the screen, not in the window, and keyboard focus does not matter.
        with Viewer() as viewer:
            self.assert_comes_home(viewer, 1200, 1000)

    def test_pointer_move_turns_the_view(self):
        with Viewer() as viewer:
            # Held V draws the distant blocks, so the view's direction shows on the screen.
            viewer.keydown("v")
            try:
                before = viewer.wait_for_screen(
                    lambda shot: shot.count_other(SKY, BELOW_OVERLAY, 1) > 1000, 60,
                    "the line-drawn blocks")
                # 100 px to the right turns the view 0.1 radian to the right.
                self.assert_comes_home(viewer, 500, 300)
                after = viewer.wait_for_screen(
                    lambda shot: shot.crop(BELOW_OVERLAY) != before.crop(BELOW_OVERLAY), 60,
                    "the view to turn")
            finally:
                viewer.keyup("v")
            self.assertGreater(self.centre_of_blocks(before), self.centre_of_blocks(after) + 50,
                               "the blocks did not move left across the screen")

    @staticmethod
    def centre_of_blocks(shot):
        """Mean x of the pixels that are not sky, below the overlay."""
        left, top, right, bottom = BELOW_OVERLAY
        xs = [x for y in range(top, bottom, 2) for x in range(left, right, 2)
              if shot.pixel(x, y) != SKY]
        return sum(xs) / len(xs)


if __name__ == "__main__":
    unittest.main()
