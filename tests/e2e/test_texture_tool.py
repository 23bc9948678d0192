"""kelmora-texture run as a process: argument checks, exit statuses, messages and the BMP it writes."""
import os
import shutil
import struct
import subprocess
import tempfile
import unittest

TOOL = os.environ.get("KELMORA_TEXTURE_TOOL")
FIXED_TIME_LIB = os.environ.get("KELMORA_FIXED_TIME_LIB")
OUTPUT = "../data/terrainTex.bmp"


def read_bmp_header(path):
    """(width, height, bits per pixel, pixel offset, file size) of a BMP file."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise AssertionError(f"{path} is not a BMP file")
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    bits, = struct.unpack_from("<H", data, 28)
    return width, height, bits, offset, len(data)


@unittest.skipUnless(TOOL, "KELMORA_TEXTURE_TOOL is not set")
class TextureToolTest(unittest.TestCase):
    def setUp(self):
        # The tool writes ../data/terrainTex.bmp, so it runs in <tmp>/work beside <tmp>/data.
        self.root = tempfile.mkdtemp(prefix="kelmora-texture-tool-")
        self.addCleanup(shutil.rmtree, self.root, ignore_errors=True)
        self.work = os.path.join(self.root, "work")
        self.data = os.path.join(self.root, "data")
        os.mkdir(self.work)
        os.mkdir(self.data)
        self.written = os.path.join(self.data, "terrainTex.bmp")

    def run_tool(self, *args, env=None):
        return subprocess.run([TOOL, *args], cwd=self.work, env=env, capture_output=True,
                              text=True, timeout=300)

    def assert_texture(self, size):
        width, height, bits, offset, length = read_bmp_header(self.written)
        self.assertEqual((width, height, bits), (size, size, 24))
        row_bytes = (size * 3 + 3) // 4 * 4
        self.assertEqual(length, offset + row_bytes * size)

    def test_default_size_is_32(self):
        result = self.run_tool()
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout, OUTPUT + "\n")
        self.assert_texture(32)

    def test_size_argument_sets_the_picture_size(self):
        for size in (1, 4, 128, 512):
            with self.subTest(size=size):
                result = self.run_tool(str(size))
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.stdout, OUTPUT + "\n")
                self.assert_texture(size)
        # Leading zeros are still the same whole number.
        result = self.run_tool("0016")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assert_texture(16)

    def test_bad_arguments_get_usage_and_status_2(self):
        for args in (["0"], ["000"], ["513"], ["99999999999"], ["abc"], ["12x"], ["-5"], [""], ["16", "16"]):
            with self.subTest(args=args):
                result = self.run_tool(*args)
                self.assertEqual(result.returncode, 2)
                self.assertEqual(result.stdout, "")
                lines = result.stderr.splitlines()
                self.assertEqual(len(lines), 1, result.stderr)
                self.assertIn("usage", lines[0])
                self.assertFalse(os.path.exists(self.written))

    def test_unwritable_file_is_named_with_status_1(self):
        os.rmdir(self.data)
        result = self.run_tool("16")
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stdout, "")
        lines = result.stderr.splitlines()
        self.assertEqual(len(lines), 1, result.stderr)
        self.assertIn(OUTPUT, lines[0])

    @unittest.skipUnless(FIXED_TIME_LIB, "KELMORA_FIXED_TIME_LIB is not set")
    def test_picture_depends_only_on_the_clock_second(self):
        def picture_at(second):
            env = dict(os.environ, LD_PRELOAD=FIXED_TIME_LIB, KELMORA_FIXED_TIME=str(second))
            # The sanitizer runtime must come first unless told not to mind the preload.
            asan = env.get("ASAN_OPTIONS", "")
            env["ASAN_OPTIONS"] = (asan + ":" if asan else "") + "verify_asan_link_order=0"
            result = self.run_tool("16", env=env)
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(self.written, "rb") as f:
                return f.read()

        first = picture_at(1700000000)
        self.assertEqual(picture_at(1700000000), first)
        self.assertNotEqual(picture_at(1700000001), first)


if __name__ == "__main__":
    unittest.main()
