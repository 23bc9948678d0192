"""A short run under valgrind's memcheck: start-up, frames, a rebuild, both shading paths and the
line-drawn blocks, Esc. Only the driver's and the system libraries' own reports are suppressed."""
import os
import shutil
import unittest

from harness import SANITIZED, Viewer, repository_root

NORMAL_CONSOLE = ["OpenGL 2.0 supported", "Phong shader loaded.", "Def shader loaded."]


def memcheck():
    return ["valgrind", "--tool=memcheck", "--error-exitcode=99", "--leak-check=full",
            "--show-leak-kinds=definite,possible", "--errors-for-leak-kinds=definite,possible",
            "--keep-debuginfo=yes", "--num-callers=30",
            "--suppressions=" + os.path.join(repository_root(), "tests", "support",
                                             "valgrind.supp")]


@unittest.skipIf(SANITIZED, "valgrind cannot run a program built with AddressSanitizer")
class Memcheck(unittest.TestCase):
    def test_short_run_is_clean(self):
        self.assertIsNotNone(shutil.which("valgrind"),
                             "valgrind is missing: tools/install-deps.sh --test installs it")
        # Start-up alone takes 15 to 20 s under valgrind.
        with Viewer(wrapper=memcheck(), start_timeout=300) as viewer:
            viewer.wait_frames(3, timeout=120)
            # The smallest grid keeps the frames short; V and g add the line and
            # fixed-function paths.
            viewer.key("6")
            viewer.wait_frames(2, timeout=120)
            viewer.draw_lines_both_ways()
            viewer.wait_frames(2, timeout=120)
            viewer.key("Escape")
            status = viewer.wait_exit(300)
            report = viewer.stderr
        self.assertIn("ERROR SUMMARY: 0 errors", report, report)
        self.assertEqual(status, 0, report)
        self.assertEqual(viewer.stdout.splitlines(), NORMAL_CONSOLE)


if __name__ == "__main__":
    unittest.main()
