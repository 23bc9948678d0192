"""--batched as a user meets it: its console line, the default drawing's picture under a pinned
clock, the keys as before, and the options' usage on the console."""
import os
import unittest

from harness import BATCHED_CONSOLE, CONSOLE, TERRAIN, Viewer, run, settled
from test_viewer import FIXED, GLSL, SIZE, drawn, text

PINNED = 1700000000


def pictures(*options):
    """The 128 grid from the start pose, V released and then held, and the viewer's console."""
    with Viewer(program=(os.environ["KELMORA_VIEWER"], *options), fixed_time=PINNED) as viewer:
        viewer.key("1")
        viewer.wait_screen(lambda s: text(s, 2)[0] == SIZE[128] and drawn(s) > 100000, 120,
                           "filled blocks at 128")
        # Past the first frames after a rebuild, whose slots still settle: g and f change only
        # the overlay, each shown by a frame of its own.
        for key, shading in ("g", FIXED), ("f", GLSL), ("g", FIXED), ("f", GLSL):
            viewer.key(key)
            viewer.wait_screen(lambda s: text(s, 1)[0] == shading, 120, key)
        released = settled(viewer.screen, timeout=120)
        viewer.xdotool("keydown", "v")
        held = settled(viewer.screen, unlike=released, timeout=240)
        viewer.xdotool("keyup", "v")
        viewer.key("g")
        fixed = viewer.wait_screen(lambda s: text(s, 1)[0] == FIXED, 120, "the fixed path")
        viewer.key("Escape")
        status = viewer.process.wait(timeout=60)
    return status, viewer.stdout.splitlines(), released, held, fixed


def share_differing(a, b, rect=TERRAIN):
    pairs = zip(a.pixels(rect), b.pixels(rect))
    return sum(p != q for p, q in pairs) / ((rect[2] - rect[0]) * (rect[3] - rect[1]))


class Batched(unittest.TestCase):
    def test_the_same_picture_as_the_default_drawing(self):
        default = pictures()
        batched = pictures("--batched")
        self.assertEqual((default[0], default[1]), (0, CONSOLE))
        self.assertEqual((batched[0], batched[1]), (0, BATCHED_CONSOLE))
        for n, most in ((2, 0.001), (3, 0.01), (4, 0.002)):
            self.assertLess(share_differing(default[n], batched[n]), most)
        # The overlay alike but for the rate's digits.
        for n in (2, 3, 4):
            self.assertEqual(text(default[n], 0, 0, 52), text(batched[n], 0, 0, 52))
            self.assertEqual([text(default[n], line) for line in (1, 2)],
                             [text(batched[n], line) for line in (1, 2)])

    def test_the_options_on_the_console(self):
        status, out, err = run(["--help"], display=False)
        self.assertEqual((status, err), (0, ""))
        self.assertIn("--batched", out)
        status, out, _ = run(["--version"], display=False)
        self.assertEqual((status, out.splitlines()[0]), (0, f"kelmora {os.environ['KELMORA_VERSION']}"))
        status, out, err = run(["-display", ":99", "--bogus"], display=False)
        self.assertEqual((status, out), (2, ""))
        self.assertEqual(err.splitlines()[0], "kelmora: unrecognized option '--bogus'")


if __name__ == "__main__":
    unittest.main()
