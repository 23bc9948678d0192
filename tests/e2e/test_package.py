"""The Debian package: built by cpack and unpacked into a temporary root, its launcher starts the
viewer from an unrelated working folder, and says so when the shader folder is missing."""
import glob
import os
import shutil
import subprocess
import tempfile
import unittest

from harness import WINDOW_TITLE, Viewer, wait_until

NORMAL_CONSOLE = ["OpenGL 2.0 supported", "Phong shader loaded.", "Def shader loaded."]


class UnpackedPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = os.path.realpath(tempfile.mkdtemp(prefix="kelmora-package-"))
        cls.addClassCleanup(shutil.rmtree, cls.folder)
        subprocess.run(["cpack", "-G", "DEB", "-B", cls.folder],
                       cwd=os.environ["KELMORA_BUILD_DIR"], check=True, capture_output=True)
        [package] = glob.glob(os.path.join(cls.folder, "kelmora_*.deb"))
        subprocess.run(["dpkg-deb", "-x", package, os.path.join(cls.folder, "root")], check=True)
        cls.launcher = os.path.join(cls.folder, "root", "usr", "bin", "kelmora")
        cls.elsewhere = os.path.join(cls.folder, "elsewhere")
        os.mkdir(cls.elsewhere)

    def test_installed_viewer_starts_from_any_folder(self):
        with Viewer(cwd=self.elsewhere, executable=self.launcher) as viewer:
            self.assertEqual(viewer.window_name(), WINDOW_TITLE)
            wait_until(lambda: "Def shader loaded." in viewer.stdout, 30, "the console lines")
            viewer.key("Escape")
            self.assertEqual(viewer.wait_exit(), 0)
            self.assertEqual(viewer.stdout.splitlines(), NORMAL_CONSOLE)

    def test_launcher_in_a_tree_without_the_shader_folder(self):
        bare = os.path.join(self.folder, "bare", "bin")
        os.makedirs(bare)
        launcher = shutil.copy(self.launcher, bare)
        done = subprocess.run([launcher], cwd=self.elsewhere, capture_output=True, text=True)
        self.assertEqual(done.returncode, 1)
        self.assertEqual(done.stderr.splitlines(), [
            f"kelmora: the shader folder {self.folder}/bare/share/kelmora/data is missing; "
            "reinstall kelmora"])


if __name__ == "__main__":
    unittest.main()
