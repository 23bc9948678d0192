"""The viewer as a user meets it: window, console, overlay, keys, mouse, window sizes, Esc."""
import hashlib
import os
import unittest
from pathlib import Path

from harness import (CONSOLE, HOME, LINES, SKY, TERRAIN, TITLE, WHITE, Viewer, run, settled,
                     shift, visible_cursor_pixels, wait_until)


def drawn(shot):  # terrain pixels that are not sky
    return (TERRAIN[2] - TERRAIN[0]) * (TERRAIN[3] - TERRAIN[1]) - shot.count(SKY, TERRAIN, 0)


def text(shot, line, left=0, right=400):
    """A digest of an overlay line's white pixels (bitmap glyphs: the same text, the same
    pixels), and their leftmost and rightmost x."""
    white = [(x, y) for y in range(*LINES[line][1::2]) for x in range(left, right)
             if shot.pixel(x, y) == WHITE]
    xs = [x for x, _ in white]
    return hashlib.sha1(repr(white).encode()).hexdigest()[:12], min(xs), max(xs)


# The lines as recorded: "FPS: ", "Using GLSL 1.1", the fixed-function line, the size lines.
FPS_LABEL = "34f1483bf041"
GLSL = "da5cefad04e2"
FIXED = "00e92ea0fdbd"
SIZE = {32: "368b0dd98e61", 4: "c75af6a711f2", 128: "db708f4b68f1"}


def short_session(test, viewer, key, size, timeout, console=CONSOLE):
    """What a cross build's viewer must do: window, console, V, the pointer kept home, a key's
    grid size, Esc."""
    test.assertEqual((viewer.geometry()[2:], viewer.console()), ((1024, 768), console))
    viewer.xdotool("windowfocus", viewer.window)
    viewer.xdotool("keydown", "v")
    viewer.wait_screen(lambda s: drawn(s) > 5000, timeout, "lines with V held")
    viewer.xdotool("keyup", "v")
    viewer.wait_screen(lambda s: drawn(s) == 0, timeout, "the lines gone with V up")
    viewer.xdotool("mousemove", 700, 500)
    viewer.wait_screen(lambda s: viewer.pointer() == HOME, timeout, "the pointer home")
    viewer.key(key)
    viewer.wait_screen(lambda s: text(s, 2)[0] == SIZE[size], timeout, f"size {size}")
    test.assertEqual(viewer.quit(), 0)


def texture_tool(test, program, root, env=None):
    """Run from a folder beside data/, the tool writes data/terrainTex.bmp: 5 by 5, 24 bits."""
    for folder in ("data", "work"):
        os.makedirs(os.path.join(root, folder), exist_ok=True)
    status, out, _ = run(["5"], program=program, cwd=os.path.join(root, "work"), env=env,
                         display=False)
    test.assertEqual((status, out.replace("\r\n", "\n")), (0, "../data/terrainTex.bmp\n"))
    bmp = Path(root, "data", "terrainTex.bmp").read_bytes()
    size = 54 + 5 * 16  # rows padded to 4 bytes
    test.assertEqual((bmp[:2], len(bmp), int.from_bytes(bmp[2:6], "little"), bmp[28]),
                     (b"BM", size, size, 24))
    test.assertEqual([int.from_bytes(bmp[at:at + 4], "little") for at in (18, 22)], [5, 5])


class Viewing(unittest.TestCase):
    def test_a_session(self):
        with Viewer(fixed_time=1500000000) as viewer:
            self.assertEqual(viewer.xdotool("getwindowname", viewer.window).strip(), TITLE)
            self.assertEqual(viewer.geometry(), (0, 0, 1024, 768))
            self.assertEqual(viewer.console(), CONSOLE)
            self.assertEqual(visible_cursor_pixels(viewer.server.display), 0)

            # At the start pose every block of the 32 grid is far: sky, and white text only.
            shot = viewer.screen()
            self.assertEqual(drawn(shot), 0)
            overlay = (0, 0, 340, 75)
            self.assertEqual(shot.count(SKY, overlay) + shot.count(WHITE, overlay, 0), 340 * 75)
            self.assertEqual(text(shot, 0, 0, 52)[0], FPS_LABEL)
            # The rate's digits start at 55 (57 with the bearing); a frame < 100 ms: 2+ digits.
            _, first, last = text(shot, 0, 52)
            self.assertTrue(55 <= first <= 58 and last > 70, (first, last))
            self.assertEqual(text(shot, 1)[0], GLSL)
            self.assertEqual(text(shot, 2)[0], SIZE[32])

            # Keys without a command change nothing.
            viewer.key("F", "G", "0", "7", "8", "9", "x")
            viewer.frames()
            after = viewer.screen()
            self.assertEqual((text(after, 1)[0], text(after, 2)[0]), (GLSL, SIZE[32]))

            viewer.xdotool("keydown", "v")
            lines = viewer.wait_screen(lambda s: drawn(s) > 5000, 30, "lines with V held")
            viewer.key("g")
            fixed = viewer.wait_screen(lambda s: text(s, 1)[0] == FIXED, 30, "the fixed path")
            self.assertGreater(drawn(fixed), 5000)
            self.assertNotEqual(fixed.crop(TERRAIN), lines.crop(TERRAIN))
            viewer.key("f")
            viewer.wait_screen(lambda s: text(s, 1)[0] == GLSL, 30, "GLSL again")

            for key in ("w", "a", "q"):
                before = viewer.screen().crop(TERRAIN)
                viewer.xdotool("keydown", key)
                viewer.frames(3)
                viewer.xdotool("keyup", key)
                self.assertNotEqual(viewer.screen().crop(TERRAIN), before, key)
            viewer.xdotool("keyup", "v")
            viewer.wait_screen(lambda s: drawn(s) == 0, 30, "the lines gone with V up")

            viewer.key("6")
            viewer.wait_screen(lambda s: text(s, 2)[0] == SIZE[4], 30, "size 4")
            viewer.key("1")
            big = viewer.wait_screen(lambda s: drawn(s) > 100000, 60, "filled blocks at 128")
            self.assertEqual(text(big, 2)[0], SIZE[128])

            for point in ((700, 500), (1200, 900)):
                viewer.xdotool("mousemove", *point)
                viewer.wait_screen(lambda s: viewer.pointer() == HOME, 60, "the pointer home")
            self.assertNotEqual(viewer.screen().crop(TERRAIN), big.crop(TERRAIN))

            # Odd window sizes are drawn into; back at full size the overlay is whole again.
            for size in ((1, 1), (2000, 1500), (1024, 768)):
                viewer.xdotool("windowsize", viewer.window, *size)
                viewer.frames()
            self.assertEqual(text(viewer.screen(), 1)[0], GLSL)

            self.assertEqual(viewer.quit(), 0)
            self.assertEqual(viewer.console(), CONSOLE)

    def test_ten_pixels_turn_the_view_alike_at_the_top_left_and_away_from_it(self):
        def look(before, dx):
            x, y = viewer.home()
            viewer.xdotool("mousemove", x + dx, y)
            wait_until(lambda: viewer.running() and viewer.pointer() == (x, y), 10, "home")
            return settled(viewer.screen, unlike=before)

        with Viewer(fixed_time=1500000000) as viewer:
            # The 16 grid's far blocks as lines, V held: quick frames, and a picture to follow.
            viewer.key("5")
            viewer.xdotool("keydown", "v")
            start = viewer.wait_screen(lambda s: drawn(s) > 5000, 30, "lines with V held")
            turned = look(start, 10)
            at_top_left = shift(start, turned)
            self.assertIn(at_top_left, range(-14, -7))  # right: the terrain moves left

            viewer.move_window(200, 150)
            moved = settled(viewer.screen)  # no nudges: their turns need not cancel to a pixel
            self.assertEqual(shift(turned, moved), 0)  # the new place alone turns nothing
            self.assertEqual(shift(moved, look(moved, 10)), at_top_left)  # and home at 600, 450
            self.assertEqual(viewer.quit(), 0)


if __name__ == "__main__":
    unittest.main()
