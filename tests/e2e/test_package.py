"""The Debian package: built by cpack and unpacked into a temporary root, its launcher starts the
viewer from an unrelated working folder, and says so when the shader folder is missing."""
import glob
import os
import shutil
import subprocess
import tempfile
import unittest

from harness import TITLE, Viewer


class UnpackedPackage(unittest.TestCase):
    def test_the_installed_launcher_starts_the_viewer_from_any_folder(self):
        with tempfile.TemporaryDirectory() as folder:
            folder = os.path.realpath(folder)
            subprocess.run(["cpack", "-G", "DEB", "-B", folder], check=True, capture_output=True,
                           cwd=os.environ["KELMORA_BUILD_DIR"])
            [package] = glob.glob(os.path.join(folder, "kelmora_*.deb"))
            subprocess.run(["dpkg-deb", "-x", package, os.path.join(folder, "root")], check=True)
            launcher = os.path.join(folder, "root", "usr", "bin", "kelmora")
            with Viewer(cwd=folder, program=launcher) as viewer:
                self.assertEqual(viewer.xdotool("getwindowname", viewer.window).strip(), TITLE)
                self.assertEqual(viewer.quit(), 0)
            self.assertEqual(viewer.stdout.splitlines(),
                             ["OpenGL 2.0 supported", "Phong shader loaded.", "Def shader loaded."])

            bare = os.path.join(folder, "bare", "bin")
            os.makedirs(bare)
            done = subprocess.run([shutil.copy(launcher, bare)], capture_output=True, text=True)
            self.assertEqual((done.returncode, done.stderr), (1, (
                f"kelmora: the shader folder {folder}/bare/share/kelmora/data is missing; "
                "reinstall kelmora\n")))


if __name__ == "__main__":
    unittest.main()
