"""README's run command without a display: a picture only of a viewer that drew and ended well."""
import os
import subprocess
import tempfile
import unittest

from harness import CONSOLE, LINES, ROOT, SCALE, SKY, TERRAIN, WHITE, Screen, environment


def headless_run(viewer, png):
    """The status and the console lines of the script and the viewer."""
    done = subprocess.run([os.path.join(ROOT, "tools", "headless-run.sh"), viewer, png], cwd=ROOT,
                          env=environment(), capture_output=True, text=True, timeout=120 * SCALE)
    return done.returncode, done.stdout.splitlines()


class RunCommand(unittest.TestCase):
    def test_the_picture_is_the_running_viewers(self):
        with tempfile.TemporaryDirectory() as folder:
            png = os.path.join(folder, "shot.png")
            self.assertEqual(headless_run(os.environ["KELMORA_VIEWER"], png),
                             (0, CONSOLE + [f"Screenshot saved to {png}"]))
            shot = Screen(subprocess.run(["convert", png, "-depth", "8", "ppm:-"],
                                         capture_output=True, check=True).stdout)
            self.assertEqual(shot.width, 1024)
            self.assertGreater(shot.count(WHITE, LINES[0], 0), 0)
            # The 128 grid: its near part is drawn filled (the start-up grid shows only sky).
            self.assertGreater(1024 * 688 - shot.count(SKY, TERRAIN, 0), 100000)

    def test_a_viewer_that_fails_fails_the_command(self):
        viewer = os.environ["KELMORA_VIEWER"]
        crash = (f"ASAN_OPTIONS=$ASAN_OPTIONS:handle_segv=0 "
                 f"LD_PRELOAD={os.environ['KELMORA_CRASH_LIB']} exec {viewer}")
        cases = [  # a crash at the first frame, after the window appeared; a bad status at the end
            (crash, "The viewer was killed by signal 11 (SIGSEGV) before it showed a frame."),
            (f"{viewer}; exit 3", "The viewer ended with status 3 after Esc.")]
        for command, why in cases:
            with self.subTest(why), tempfile.TemporaryDirectory() as folder:
                wrapper = os.path.join(folder, "viewer")
                with open(wrapper, "w") as script:
                    script.write(f"#!/bin/sh\n{command}\n")
                os.chmod(wrapper, 0o755)
                png = os.path.join(folder, "shot.png")
                self.assertEqual(headless_run(wrapper, png),
                                 (1, CONSOLE + [why, "No screenshot was saved."]))
                self.assertFalse(os.path.exists(png))

if __name__ == "__main__":
    unittest.main()
