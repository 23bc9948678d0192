"""The Debian package: clean for lintian and the metadata checks; its launcher runs anywhere."""
import glob
import gzip
import os
import shutil
import subprocess
import tempfile
import unittest

from harness import BATCHED_CONSOLE, SANITIZED, TITLE, Viewer


def checked(test, *command, cwd=None):
    done = subprocess.run(command, cwd=cwd, capture_output=True, text=True)
    test.assertEqual(done.returncode, 0, f"{' '.join(command)}:\n{done.stdout}{done.stderr}")
    return done.stdout


class UnpackedPackage(unittest.TestCase):
    def test_the_package_passes_its_checks_and_runs_from_any_folder(self):
        with tempfile.TemporaryDirectory() as folder:
            folder = os.path.realpath(folder)
            checked(self, "cpack", "-G", "DEB", "-B", folder, cwd=os.environ["KELMORA_BUILD_DIR"])
            version = os.environ["KELMORA_VERSION"]
            [package] = glob.glob(os.path.join(folder, f"kelmora_{version}_*.deb"))
            # The sanitizer build lacks the hardening flags, which lintian notes as information.
            checked(self, "lintian", "-I", "--fail-on", "error,warning" + ("" if SANITIZED else ",info"),
                    package)
            homepage = os.environ["KELMORA_HOMEPAGE"]
            self.assertEqual(checked(self, "dpkg-deb", "-f", package, "Homepage").strip(), homepage)
            root = os.path.join(folder, "root")
            checked(self, "dpkg-deb", "-x", package, root)
            share = os.path.join(root, "usr", "share")
            checked(self, "appstreamcli", "validate", "--no-net", "--strict",
                    *glob.glob(os.path.join(share, "metainfo", "*.metainfo.xml")))
            checked(self, "desktop-file-validate",
                    *glob.glob(os.path.join(share, "applications", "*.desktop")))

            launcher = os.path.join(root, "usr", "bin", "kelmora")
            self.assertIn(f"kelmora {version}\n", checked(self, launcher, "--version"))
            # Every file that names the release names the package's version; the tool's page, -o.
            for path, mark in (("man/man1/kelmora.1.gz", f'"Kelmora {version}"'),
                               ("man/man1/kelmora-texture.1.gz", f'"Kelmora {version}"'),
                               ("man/man1/kelmora-texture.1.gz", "\\-\\-output="),
                               ("doc/kelmora/changelog.gz", f"kelmora ({version})"),
                               ("metainfo/org.kelmora.Kelmora.metainfo.xml", f'"{version}"'),
                               ("metainfo/org.kelmora.Kelmora.metainfo.xml",
                                f'<url type="homepage">{homepage}</url>')):
                opener = gzip.open if path.endswith(".gz") else open
                with opener(os.path.join(share, path), "rt") as source:
                    self.assertIn(mark, source.read(), path)
            self.assertIn("Usage: kelmora", checked(self, launcher, "--help"))
            # The launcher hands its arguments on: freeglut's -display names the only display,
            # and --batched reaches the viewer beside it.
            with Viewer(cwd=folder, program=(launcher, "--batched"), display_option=True) as viewer:
                self.assertEqual(viewer.xdotool("getwindowname", viewer.window).strip(), TITLE)
                viewer.frames()  # the cursor is read and put back on that display too
                self.assertEqual(viewer.quit(), 0)
            self.assertEqual(viewer.stdout.splitlines(), BATCHED_CONSOLE)

            bare = os.path.join(folder, "bare", "bin")
            os.makedirs(bare)
            done = subprocess.run([shutil.copy(launcher, bare)], capture_output=True, text=True)
            self.assertEqual((done.returncode, done.stderr), (1, (
                f"kelmora: the shader folder {folder}/bare/share/kelmora/data is missing; "
                "reinstall kelmora\n")))


if __name__ == "__main__":
    unittest.main()
