"""A private Xvfb, the real viewer on it, xdotool, screenshots read relative to its window.
KELMORA_SANITIZED=ON (the AddressSanitizer build) makes every wait six times longer."""
import contextlib
import ctypes
import os
import signal
import subprocess
import sys
import tempfile
import time

TITLE = "OpenGL Kelmora Demo"
HOME = (400, 300)  # where the viewer puts the pointer back
SKY = tuple(round(c * 255) for c in (0.1, 0.57, 0.8))
WHITE = (255, 255, 255)
CONSOLE = ["OpenGL 2.0 supported", "Phong shader loaded.", "Def shader loaded."]
BATCHED_CONSOLE = CONSOLE[:1] + [
    "Batched renderer in use: the chosen blocks go to the driver in a few large draws per frame"
] + CONSOLE[1:]
# The overlay's three text lines (baselines 25, 45, 65) and the terrain below them.
LINES = [(0, base - 15, 1024, base + 5) for base in (25, 45, 65)]
TERRAIN = (0, 80, 1024, 768)
ROOT = os.environ.get("KELMORA_ROOT", os.path.join(os.path.dirname(__file__), "..", ".."))
SANITIZED = os.environ.get("KELMORA_SANITIZED", "").upper() in ("ON", "1", "TRUE")
SCALE = 6 if SANITIZED else 1


def wait_until(predicate, timeout, what):
    deadline = time.monotonic() + timeout * SCALE
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout * SCALE} s waiting for {what}")
        time.sleep(0.05)


class XServer:
    def __enter__(self):
        read, write = os.pipe()
        # -noreset: otherwise the server resets when its last client leaves, pointer included.
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             "-noreset"], pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as reader:
            self.display = ":" + reader.readline().strip()
        return self

    def __exit__(self, *exc):
        self.process.kill()
        self.process.wait()


def environment(display=None, fixed_time=None, extra=None):
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    if display:
        env["DISPLAY"] = display
    if SANITIZED:
        # Mesa is unloaded before the leak check, so its allocations would all show as leaks.
        env["ASAN_OPTIONS"] = "halt_on_error=1:detect_leaks=0:verify_asan_link_order=0"
        env["UBSAN_OPTIONS"] = "halt_on_error=1:print_stacktrace=1"
    if fixed_time is not None:
        env["LD_PRELOAD"] = os.environ["KELMORA_FIXED_TIME_LIB"]
        env["KELMORA_FIXED_TIME"] = str(fixed_time)
    env.update(extra or {})
    return env


def check_sanitizers(stderr):
    for mark in ("ERROR: AddressSanitizer", "runtime error:"):
        if mark in stderr:
            raise AssertionError("sanitizer report:\n" + stderr[stderr.index(mark) - 200:])


def command(program):
    program = program or os.environ["KELMORA_VIEWER"]
    return list(program) if isinstance(program, (list, tuple)) else [program]


def run(args=(), env=None, cwd=ROOT, display=True, program=None, fixed_time=None):
    """Runs a program (the viewer) to its end; returns (status, stdout, stderr)."""
    with XServer() if display else contextlib.nullcontext() as server:
        done = subprocess.run([*command(program), *args], cwd=cwd, capture_output=True, text=True,
                              env=environment(server and server.display, fixed_time, env),
                              timeout=60 * SCALE)
    check_sanitizers(done.stderr)
    return done.returncode, done.stdout, done.stderr


class CursorImage(ctypes.Structure):  # XFixesCursorImage up to the fields read
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong))]


def visible_cursor_pixels(display):
    # Screenshots leave the cursor out.
    x11, xfixes = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    # The connection is left open: it ends with the test's X server.
    image = xfixes.XFixesGetCursorImage(x11.XOpenDisplay(display.encode())).contents
    return sum(image.pixels[n] >> 24 != 0 for n in range(image.width * image.height))


class Screen:
    def __init__(self, ppm, origin=(0, 0)):
        _, width, height = ppm.split(maxsplit=3)[:3]  # P6, width, height, 255, pixels
        self.width = int(width)
        self.rgb = ppm[len(ppm) - self.width * int(height) * 3:]
        self.origin = origin

    def pixel(self, x, y):
        at = ((y + self.origin[1]) * self.width + x + self.origin[0]) * 3
        return tuple(self.rgb[at:at + 3])

    def pixels(self, rect):
        left, top, right, bottom = (a + b for a, b in zip(rect, self.origin * 2))
        for y in range(top, bottom):
            row = self.rgb[(y * self.width + left) * 3:(y * self.width + right) * 3]
            yield from zip(row[0::3], row[1::3], row[2::3])

    def count(self, colour, rect, tolerance=1):
        return sum(1 for p in self.pixels(rect)
                   if all(abs(a - b) <= tolerance for a, b in zip(p, colour)))

    def crop(self, rect):
        return bytes(c for p in self.pixels(rect) for c in p)


def settled(take, rect=TERRAIN, unlike=None, timeout=60):
    """take()'s screen once two in a row agree in rect (and differ from unlike's)."""
    shots = [take()]

    def still():
        shots.append(take())
        now = shots[-1].crop(rect)
        return now == shots[-2].crop(rect) and (unlike is None or now != unlike.crop(rect))
    wait_until(still, timeout, "a still picture")
    return shots[-1]


def shift(before, after, rect=TERRAIN, reach=300):
    """How far right the picture in rect moved: the offset overlaying most non-sky pixels."""
    def rows(shot):
        return [sum(1 << x for x, p in enumerate(shot.pixels((rect[0], y, rect[2], y + 1)))
                    if p != SKY) for y in range(rect[1], rect[3])]
    a, b = rows(before), rows(after)
    def overlap(dx):
        return sum(((x << dx if dx >= 0 else x >> -dx) & y).bit_count() for x, y in zip(a, b))
    return max(range(-reach, reach + 1), key=overlap)


class Viewer:
    """The viewer on its own Xvfb, started with the pointer at home and its first frame shown;
    display_option names the display with freeglut's -display instead of DISPLAY."""

    def __init__(self, cwd=ROOT, fixed_time=None, env=None, program=None, display_option=False):
        self.cwd, self.fixed_time, self.env = cwd, fixed_time, env
        self.display_option, self.command, self.origin = display_option, command(program), (0, 0)

    def __enter__(self):
        self.server = XServer().__enter__()
        self.xdotool("mousemove", *HOME)
        self.output, self.errors = tempfile.TemporaryFile("w+"), tempfile.TemporaryFile("w+")
        self.process = subprocess.Popen(
            self.command + (["-display", self.server.display] if self.display_option else []),
            cwd=self.cwd, stdout=self.output, stderr=self.errors,
            env=environment(None if self.display_option else self.server.display,
                            self.fixed_time, self.env))
        try:
            self.window = wait_until(lambda: self.running() and self.xdotool(
                "search", "--name", TITLE).split(), 30, "the window")[0]
            self.origin = self.geometry()[:2]
            self.wait_screen(lambda s: s.count(WHITE, LINES[0], 0) > 0, 30, "the first frame")
        except BaseException:
            self.__exit__(None)
            print(f"The viewer's console:\n{self.stdout}\nIts errors:\n{self.stderr}", file=sys.stderr)
            raise
        return self

    def __exit__(self, exc_type, *exc):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.server.__exit__()
        self.stdout, self.stderr = self.read(self.output), self.read(self.errors)
        self.output.close()
        self.errors.close()
        if exc_type is None:
            check_sanitizers(self.stderr)

    @staticmethod
    def read(log):
        log.flush()
        log.seek(0)
        return log.read()

    def console(self):
        return self.read(self.output).splitlines()

    def running(self):
        if self.process.poll() is not None:
            raise AssertionError(f"the viewer ended with status {self.process.returncode}:\n"
                                 + self.read(self.errors))
        return True

    def x(self, *args, text=True):  # a client of the viewer's display; its output
        return subprocess.run(list(map(str, args)), capture_output=True, text=text,
                              env=dict(os.environ, DISPLAY=self.server.display)).stdout

    def xdotool(self, *args):
        return self.x("xdotool", *args)

    def key(self, *names):
        self.xdotool("key", *names)

    def pointer(self):
        values = dict(f.split("=") for f in self.xdotool("getmouselocation", "--shell").split())
        return int(values["X"]), int(values["Y"])

    def home(self):  # the window's HOME, on the screen
        return self.origin[0] + HOME[0], self.origin[1] + HOME[1]

    def frames(self, count=2):
        """Returns after `count` frames, each putting back a pointer nudged one pixel (alternately
        left and right, so the view barely turns); keys sent before are handled by then."""
        x, y = self.home()
        for n in range(count):
            self.xdotool("mousemove", x + (1 if n % 2 else -1), y)
            wait_until(lambda: self.running() and self.pointer() == (x, y), 60, "a frame")

    def move_window(self, x, y):
        # The viewer is stopped meanwhile: it must see the pointer only at the new home.
        self.process.send_signal(signal.SIGSTOP)
        self.xdotool("windowmove", self.window, x, y)
        wait_until(lambda: self.geometry()[:2] == (x, y), 10, "the window moved")
        self.origin = (x, y)
        self.xdotool("mousemove", *self.home())
        self.process.send_signal(signal.SIGCONT)

    def geometry(self):
        values = dict(line.strip().split(": ", 1) for line in
                      self.x("xwininfo", "-id", self.window).splitlines() if ": " in line)
        return tuple(int(values[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y",
                                              "Width", "Height"))

    def screen(self):
        return Screen(self.x("import", "-window", "root", "-depth", "8", "ppm:-", text=False),
                      self.origin)

    def wait_screen(self, predicate, timeout=30, what="the expected picture"):
        def attempt():
            shot = self.running() and self.screen()
            return shot if predicate(shot) else None
        return wait_until(attempt, timeout, what)

    def quit(self):
        self.key("Escape")
        return self.process.wait(timeout=30 * SCALE)  # TimeoutExpired: Esc did not end it
