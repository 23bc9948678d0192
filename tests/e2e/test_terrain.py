"""The block field on the screen: lines only while V is held, filled near blocks at 128, mouse
look and walking, every grid key regenerating, and a rebuild while the origin is out of view."""
import unittest

from harness import BELOW_OVERLAY, SKY, Viewer

# A pinned clock: every generation at one size draws the same terrain, so pictures repeat.
FIXED_TIME = 1234567
# Lines of the 32 grid cover about 20000 pixels, the filled near part of the 128 grid about 180000.
LINES_SHOWN = 5000
FILLED_SHOWN = 80000
# One radian of yaw per 1000 pixels, and about 930 pixels of screen per radian near the middle.
TURN_PIXELS = 200
SHIFT_RANGE = (150, 210)
# Yaw (pixels) that puts the origin's culling box and the whole 32 field left of the view, while
# much of the 128 field stays in it.
AWAY_FROM_ORIGIN = 700


def drawn(shot):
    return shot.count_other(SKY, BELOW_OVERLAY, tolerance=1)


def field_box(shot):
    return shot.bounds_other(SKY, BELOW_OVERLAY, tolerance=1)


def centre_x(shot):
    left, _, right, _ = field_box(shot)
    return (left + right) / 2


def same_view(first, second):
    """Whether two shots show the field in the same place. The one-pixel pointer nudges that
    count frames turn the view by a thousandth of a radian, so lines may move a pixel."""
    boxes = zip(field_box(first), field_box(second))
    return (all(abs(a - b) <= 2 for a, b in boxes)
            and abs(drawn(first) - drawn(second)) <= 0.02 * drawn(first))


def other_field(first, second):
    """Whether second shows a different field than first, beyond what a nudge does."""
    if drawn(first) == 0 or drawn(second) == 0:
        return drawn(first) != drawn(second)
    return not same_view(first, second)


class Held:
    """A key held for the length of a with-block."""

    def __init__(self, viewer, name):
        self.viewer = viewer
        self.name = name

    def __enter__(self):
        self.viewer.keydown(self.name)
        return self

    def __exit__(self, *exc):
        self.viewer.keyup(self.name)
        return False


def settled(viewer, frames=4):
    """A shot taken once `frames` more frames have been drawn."""
    viewer.wait_frames(frames, timeout=120)
    return viewer.screenshot()


class BlockField(unittest.TestCase):
    def assert_green(self, shot):
        """Blocks are green, lit or in shade; anything else is not the field."""
        left, top, right, bottom = BELOW_OVERLAY
        pixels = (shot.pixel(x, y) for y in range(top, bottom, 2) for x in range(left, right, 2))
        others = [p for p in pixels if any(abs(c - s) > 1 for c, s in zip(p, SKY))]
        self.assertTrue(others)
        for red, green, blue in others:
            self.assertTrue(green > red and green > blue, f"a pixel {(red, green, blue)}")

    def test_lines_while_v_is_held_and_filled_blocks_at_128(self):
        with Viewer(fixed_time=FIXED_TIME) as viewer:
            self.assertEqual(drawn(settled(viewer)), 0, "blocks drawn at 32 without V")
            with Held(viewer, "v"):
                shot = viewer.wait_for_screen(lambda s: drawn(s) > LINES_SHOWN, 60,
                                              "the line-drawn field")
                self.assert_green(shot)
                # The field stands around the origin, in the middle of the view.
                left, top, right, bottom = field_box(shot)
                self.assertTrue(400 < left < right < 700 and 150 < top < bottom < 500,
                                f"the field at {field_box(shot)}")
            viewer.wait_for_screen(lambda s: drawn(s) == 0, 30, "the lines gone after V")

            viewer.key("1")
            shot = viewer.wait_for_screen(lambda s: drawn(s) > FILLED_SHOWN, 120,
                                          "the filled near blocks of the 128 grid")
            self.assert_green(shot)
            self.assertGreater(drawn(settled(viewer, 2)), FILLED_SHOWN, "the filled blocks went")
            viewer.key("Escape")
            self.assertEqual(viewer.wait_exit(), 0)

    def test_pointer_turns_the_picture(self):
        with Viewer(fixed_time=FIXED_TIME) as viewer:
            with Held(viewer, "v"):
                viewer.wait_for_screen(lambda s: drawn(s) > LINES_SHOWN, 60, "the line-drawn field")
                before = settled(viewer)
                viewer.turn(TURN_PIXELS)
                after = settled(viewer)
            shift = centre_x(before) - centre_x(after)
            self.assertGreaterEqual(shift, SHIFT_RANGE[0], "a turn right moves the field left")
            self.assertLessEqual(shift, SHIFT_RANGE[1])
            # Yaw only: the field keeps its height on the screen, give or take the perspective.
            self.assertLess(abs(field_box(before)[1] - field_box(after)[1]), 40)

    def test_w_walks_towards_the_field_and_s_walks_back(self):
        with Viewer(fixed_time=FIXED_TIME) as viewer:
            with Held(viewer, "v"):
                viewer.wait_for_screen(lambda s: drawn(s) > LINES_SHOWN, 60, "the line-drawn field")
                still = settled(viewer)
                self.assertTrue(same_view(still, settled(viewer, 8)),
                                "the field moves with no key held")
                # Nearer, the field grows and slides down the screen (about 3 px a frame).
                with Held(viewer, "w"):
                    viewer.wait_for_screen(
                        lambda s: drawn(s) > drawn(still) * 1.1
                        and field_box(s)[3] > field_box(still)[3] + 30, 120,
                        "the field to come nearer while W is held")
                nearer = settled(viewer, 2)
                self.assertTrue(same_view(nearer, settled(viewer, 8)),
                                "walking goes on after W is released")
                with Held(viewer, "s"):
                    viewer.wait_for_screen(
                        lambda s: drawn(s) < drawn(nearer) * 0.9
                        and field_box(s)[3] < field_box(nearer)[3] - 30, 120,
                        "the field to go away while S is held")

    def test_every_grid_key_regenerates(self):
        with Viewer(fixed_time=FIXED_TIME) as viewer, Held(viewer, "v"):
            previous = viewer.wait_for_screen(lambda s: drawn(s) > LINES_SHOWN, 60,
                                              "the line-drawn field")
            widths = []
            # Each size differs from the one before, so each picture must too.
            for key in "123456":
                viewer.key(key)
                viewer.wait_for_screen(lambda s: other_field(previous, s), 120,
                                       f"a new field after key {key}")
                previous = settled(viewer, 2)
                left, _, right, _ = field_box(previous)
                widths.append(right - left)
            # 64, 48, 32, 16, 4: each field narrower than the one before (128 fills the width).
            self.assertEqual(widths[1:], sorted(widths[1:], reverse=True))
            self.assertEqual(len(set(widths[1:])), 5, f"widths {widths}")
            self.assertLess(widths[-1], 60)

    def test_rebuild_with_the_origin_out_of_view_draws_nothing_until_it_returns(self):
        with Viewer(fixed_time=FIXED_TIME) as viewer:
            viewer.turn(AWAY_FROM_ORIGIN)
            with Held(viewer, "v"):
                self.assertEqual(drawn(settled(viewer)), 0, "the 32 field is still in view")
                # Every slot now holds the origin, whose box is out of view: nothing passes.
                viewer.key("1")
                for _ in range(3):
                    self.assertEqual(drawn(settled(viewer, 2)), 0,
                                     "blocks drawn after a rebuild with the origin out of view")
            viewer.turn(-AWAY_FROM_ORIGIN)
            viewer.wait_for_screen(lambda s: drawn(s) > FILLED_SHOWN, 120,
                                   "the field once the origin is back in view")
            # The same direction as before now shows the field: it was there all along.
            viewer.turn(AWAY_FROM_ORIGIN)
            self.assertGreater(drawn(settled(viewer)), FILLED_SHOWN)
            viewer.key("Escape")
            self.assertEqual(viewer.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
