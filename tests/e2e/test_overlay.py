"""The overlay: three lines of white text, the shading path after g and f, the grid size after
1 and 6."""
import unittest

from harness import LINE_RECTS, SKY, WHITE, Viewer

SIZE_LINE = LINE_RECTS[2]
# The grid size is written three times, each starting at its own x.
SIZE_XS = (205, 255, 305)


def white_extent(shot, rect):
    """(leftmost, rightmost) x of the white pixels in rect, or None."""
    left, top, right, bottom = rect
    xs = [x for x in range(left, right) for y in range(top, bottom) if shot.pixel(x, y) == WHITE]
    return (min(xs), max(xs)) if xs else None


def size_rect(x, width=30):
    return (x - 3, SIZE_LINE[1], x + width, SIZE_LINE[3])


def size_crops(shot):
    return [shot.crop(size_rect(x)) for x in SIZE_XS]


class OverlayText(unittest.TestCase):
    def test_three_lines_of_white_text(self):
        with Viewer() as viewer:
            shot = viewer.screenshot()
            for number, rect in enumerate(LINE_RECTS, start=1):
                white = shot.count(WHITE, rect)
                self.assertGreater(white, 100, f"line {number} has no text")
                self.assertEqual(shot.count_other(SKY, rect, tolerance=1), white,
                                 f"line {number} is not pure white on sky")
            # "FPS: " and a rate, "Using GLSL 1.1", and the label with 32 x 32 x 32.
            self.assertLess(white_extent(shot, LINE_RECTS[1])[1], 150)
            for x in SIZE_XS:
                leftmost, rightmost = white_extent(shot, size_rect(x))
                self.assertLessEqual(x, leftmost)
                self.assertLess(leftmost, x + 4)

    def test_shading_line_follows_g_and_f(self):
        with Viewer() as viewer:
            def shading_line_end(shot):
                return white_extent(shot, LINE_RECTS[1])[1]

            short = shading_line_end(viewer.screenshot())
            self.assertLess(short, 150)
            viewer.key("g")
            # "Using emulated fixed function pipeline" reaches much further right.
            viewer.wait_for_screen(lambda shot: shading_line_end(shot) > 280, 30,
                                   "the fixed-function line")
            viewer.key("f")
            shot = viewer.wait_for_screen(lambda shot: shading_line_end(shot) < 150, 30,
                                          "the GLSL line again")
            self.assertEqual(shading_line_end(shot), short)

    def test_size_digits_follow_1_and_6(self):
        with Viewer() as viewer:
            at_32 = viewer.screenshot()
            viewer.key("1")
            # The 128 grid takes seconds to generate and draw.
            at_128 = viewer.wait_for_screen(
                lambda shot: all(a != b for a, b in zip(size_crops(shot), size_crops(at_32))), 90,
                "the size 128")
            viewer.key("6")
            at_4 = viewer.wait_for_screen(
                lambda shot: all(a != b for a, b in zip(size_crops(shot), size_crops(at_128))),
                60, "the size 4")
            for x in SIZE_XS:
                # Widths of "32", "128" and "4": two, three and one digits of about 9 px.
                ends = [white_extent(shot, size_rect(x, 29))[1] - x
                        for shot in (at_32, at_128, at_4)]
                self.assertTrue(15 <= ends[0] <= 22, f"32 at {x}: {ends}")
                self.assertTrue(25 <= ends[1] <= 29, f"128 at {x}: {ends}")
                self.assertTrue(5 <= ends[2] <= 12, f"4 at {x}: {ends}")
                for shot in (at_128, at_4):
                    leftmost = white_extent(shot, size_rect(x, 29))[0]
                    self.assertTrue(x <= leftmost < x + 4, f"digits at {x} start at {leftmost}")
            self.assertNotEqual(size_crops(at_4), size_crops(at_32))


if __name__ == "__main__":
    unittest.main()
