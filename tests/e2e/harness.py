"""The end-to-end tests' one helper: a private X server, the real viewer, xdotool, screenshots.

Environment (set by CTest for each e2e test):
    KELMORA_VIEWER          path of the viewer executable (required)
    KELMORA_ROOT            folder holding data/ (the repository root): the default working folder
    KELMORA_FIXED_TIME_LIB  shared library whose time() answers KELMORA_FIXED_TIME
    KELMORA_SANITIZED       "ON" when the viewer is built with AddressSanitizer + UBSan

A running viewer:

    with Viewer() as viewer:                 # Xvfb 1280x1024, pointer at (400, 300), viewer
        viewer.key("g")                      # started, its window found and its first frame seen
        shot = viewer.wait_for_screen(lambda s: s.count(WHITE, LINE_RECTS[1]) > 0)
        viewer.key("Escape")
        self.assertEqual(viewer.wait_exit(), 0)

    Viewer(cwd=None, env=None, fixed_time=None, wait_for_window=True, wrapper=None,
           start_timeout=60, executable=None)
        cwd         working directory of the viewer (a folder with data/); default KELMORA_ROOT
        env         extra environment variables for the viewer (a value of None removes one)
        fixed_time  seconds that time() answers, through the preloaded fixed-time library, so every
                    terrain generation draws the same seed
        wait_for_window  False: return as soon as the process is started
        wrapper     a command line that runs the viewer, e.g. ["valgrind", "--quiet"]; the viewer's
                    path is appended to it
        start_timeout  seconds allowed for the window and then again for the first frame
        executable  the program to start instead of KELMORA_VIEWER, e.g. an installed launcher
    viewer.key(*names)            xdotool key (press and release each, in order), e.g. "g", "Escape"
    viewer.keydown(name), viewer.keyup(name)
    viewer.xdotool(*args)         one xdotool command line on the viewer's display, its output;
                                  commands may be chained: "key", "2", "sleep", "0.02", "keyup", "w"
    viewer.move_pointer(x, y)     xdotool mousemove, screen coordinates; returns the position
                                  read right after the move
    viewer.pointer()              (x, y) of the pointer
    viewer.draw_lines_both_ways() V held for a few frames with g then f: every drawing path runs
    viewer.wait_frames(count=3)   returns once the viewer has drawn `count` more frames (see there);
                                  its one-pixel nudges turn the view by a thousandth of a radian
                                  and back, so lines may move a pixel between two shots
    viewer.turn(dx, dy=0, step=100)  moves the pointer dx, dy pixels away from home in steps of at
                                  most `step`, each taken by one frame: the view turns by
                                  dx / 1000 rad to the right and dy / 1000 rad down
    viewer.resize_window(w, h)    xdotool windowsize; returns once the window has that size
    viewer.pid                    process id of the viewer (of the wrapper when one is given)
    viewer.resident_kib()         VmRSS of the process in KiB, from /proc/<pid>/status
    viewer.window_name()          the window's title
    viewer.window_geometry()      (x, y, width, height) of the window, from xwininfo
    viewer.screenshot()           Screenshot of the whole screen; the window sits at (0, 0)
    viewer.wait_for_screen(predicate, timeout)  polls screenshots until predicate(shot) is true
    viewer.running()              whether the process is still alive
    viewer.wait_exit(timeout)     exit status (negative: killed by that signal)
    viewer.stdout, viewer.stderr  what the process wrote so far (kept after the block ends)
    Leaving the block kills the viewer if it still runs, stops Xvfb, and fails the test if the
    viewer's stderr holds an AddressSanitizer or UBSan report.

A viewer that ends by itself (no window needed):

    result = run_viewer(env={"MESA_GL_VERSION_OVERRIDE": "1.5"})
    result.status, result.stdout, result.stderr
    run_viewer(display=False) runs it with DISPLAY unset and no X server.

Screenshots: shot.pixel(x, y) -> (r, g, b); shot.count(colour, rect, tolerance=0) counts pixels
within `tolerance` of `colour` on every channel; shot.count_other(colour, rect, tolerance) counts
the rest; shot.crop(rect) -> bytes, for comparing two shots; shot.bounds_other(colour, rect,
tolerance) -> (left, top, right, bottom) of the pixels that are not colour, or None. A rect is
(left, top, right, bottom), right and bottom excluded.

Constants: WINDOW_TITLE, WINDOW_SIZE, POINTER_HOME (400, 300), SKY and WHITE as 8-bit RGB,
LINE_RECTS, the rects of the overlay's three text lines, and BELOW_OVERLAY, the window below them.

Sanitizer build: the viewer gets ASAN_OPTIONS and UBSAN_OPTIONS that stop at the first error; leak
checking is off for every run that opens a GL context (see viewer_environment), and the ASan
runtime is put first in LD_PRELOAD when the fixed-time library is preloaded.

Waits: every timeout is given for the normal build and multiplied by TIME_SCALE under the sanitizers
(llvmpipe with ASan is several times slower). wait_until(predicate, timeout, what) polls any
condition and returns its first true value.
"""
import os
import shutil
import subprocess
import tempfile
import time

from xserver import PrivateXServer

WINDOW_TITLE = "OpenGL Kelmora Demo"
WINDOW_SIZE = (1024, 768)
# The point the viewer puts the pointer back to, in screen pixels.
POINTER_HOME = (400, 300)


def colour_from_floats(red, green, blue):
    return tuple(round(c * 255) for c in (red, green, blue))


SKY = colour_from_floats(0.1, 0.57, 0.8)
WHITE = (255, 255, 255)

# The overlay's three text lines (baselines y = 25, 45, 65): glyphs reach about 14 px above the
# baseline and descenders about 4 px below.
LINE_RECTS = [(0, baseline - 15, 1024, baseline + 5) for baseline in (25, 45, 65)]
# The window below the overlay: the terrain's part of the picture.
BELOW_OVERLAY = (0, 80, 1024, 768)

SANITIZED = os.environ.get("KELMORA_SANITIZED", "").upper() in ("ON", "1", "TRUE", "YES")
TIME_SCALE = 6 if SANITIZED else 1

# Marks of a sanitizer report on stderr; any of them fails the test.
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:")


def scaled(seconds):
    return seconds * TIME_SCALE


def wait_until(predicate, timeout, what="condition", interval=0.05):
    """Polls predicate() until it returns a true value and returns that value; fails after
    timeout seconds (scaled under the sanitizers)."""
    deadline = time.monotonic() + scaled(timeout)
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {scaled(timeout)} s waiting for {what}")
        time.sleep(interval)


def viewer_path():
    path = os.environ.get("KELMORA_VIEWER")
    if not path:
        raise RuntimeError("KELMORA_VIEWER is not set")
    return path


def repository_root():
    return os.environ.get("KELMORA_ROOT") or os.path.abspath(
        os.path.join(os.path.dirname(__file__), "..", ".."))


def _asan_runtime():
    """The ASan runtime the viewer links, which must come first in LD_PRELOAD."""
    listing = subprocess.run(["ldd", viewer_path()], capture_output=True, text=True).stdout
    for line in listing.splitlines():
        if "libasan" in line and "=>" in line:
            return line.split("=>")[1].split("(")[0].strip()
    return subprocess.run(["gcc", "-print-file-name=libasan.so"], capture_output=True,
                          text=True).stdout.strip()


def viewer_environment(display=None, gl_context=True, fixed_time=None, extra=None):
    """The viewer's environment: ours, plus DISPLAY, the sanitizer options and the pinned clock."""
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    if display is not None:
        env["DISPLAY"] = display
    preload = []
    if SANITIZED:
        options = ["halt_on_error=1", "abort_on_error=0", "detect_stack_use_after_return=1"]
        if gl_context:
            # Mesa's driver is unloaded before LeakSanitizer runs, so its allocations show as
            # leaks from "<unknown module>" and would turn every exit status into 23.
            options.append("detect_leaks=0")
        env["ASAN_OPTIONS"] = ":".join(options)
        env["UBSAN_OPTIONS"] = "print_stacktrace=1:halt_on_error=1"
    if fixed_time is not None:
        library = os.environ.get("KELMORA_FIXED_TIME_LIB")
        if not library:
            raise RuntimeError("KELMORA_FIXED_TIME_LIB is not set")
        if SANITIZED:
            preload.append(_asan_runtime())
        preload.append(library)
        env["KELMORA_FIXED_TIME"] = str(fixed_time)
    if preload:
        env["LD_PRELOAD"] = " ".join(preload + env.get("LD_PRELOAD", "").split())
    for name, value in (extra or {}).items():
        if value is None:
            env.pop(name, None)
        else:
            env[name] = value
    return env


def sanitizer_report(stderr_text):
    """The sanitizer report in stderr_text, or an empty string."""
    for mark in SANITIZER_MARKS:
        start = stderr_text.find(mark)
        if start >= 0:
            return stderr_text[max(0, start - 200):]
    return ""


class Screenshot:
    """An RGB picture of the screen, read from a binary PPM."""

    def __init__(self, ppm):
        fields = []
        position = 0
        while len(fields) < 4:
            if position >= len(ppm):
                raise ValueError("truncated PPM header")
            while ppm[position:position + 1].isspace():
                position += 1
            if ppm[position:position + 1] == b"#":
                position = ppm.index(b"\n", position) + 1
                continue
            end = position
            while end < len(ppm) and not ppm[end:end + 1].isspace():
                end += 1
            fields.append(ppm[position:end])
            position = end
        if fields[0] != b"P6" or fields[3] != b"255":
            raise ValueError("not an 8-bit binary PPM")
        self.width = int(fields[1])
        self.height = int(fields[2])
        self.rgb = ppm[position + 1:position + 1 + self.width * self.height * 3]
        if len(self.rgb) != self.width * self.height * 3:
            raise ValueError("truncated PPM")

    def pixel(self, x, y):
        offset = (y * self.width + x) * 3
        return tuple(self.rgb[offset:offset + 3])

    def _rows(self, rect):
        left, top, right, bottom = rect
        for y in range(top, bottom):
            start = (y * self.width + left) * 3
            yield self.rgb[start:start + (right - left) * 3]

    def count(self, colour, rect, tolerance=0):
        """Pixels in rect within tolerance of colour on every channel."""
        colour = tuple(colour)
        red, green, blue = colour
        total = 0
        for row in self._rows(rect):
            channels = zip(row[0::3], row[1::3], row[2::3])
            if tolerance == 0:
                total += sum(1 for pixel in channels if pixel == colour)
            else:
                total += sum(1 for r, g, b in channels if abs(r - red) <= tolerance
                             and abs(g - green) <= tolerance and abs(b - blue) <= tolerance)
        return total

    def count_other(self, colour, rect, tolerance=0):
        left, top, right, bottom = rect
        return (right - left) * (bottom - top) - self.count(colour, rect, tolerance)

    def crop(self, rect):
        return b"".join(self._rows(rect))

    def bounds_other(self, colour, rect, tolerance=0):
        """(left, top, right, bottom) of the pixels in rect that are not within tolerance of
        colour, right and bottom excluded; None when there are none."""
        colour = tuple(colour)
        left, top, right, bottom = rect
        xs = []
        ys = []
        for y, row in enumerate(self._rows(rect), start=top):
            columns = [x for x, pixel in enumerate(zip(row[0::3], row[1::3], row[2::3]), start=left)
                       if any(abs(c - k) > tolerance for c, k in zip(pixel, colour))]
            if columns:
                xs += (columns[0], columns[-1])
                ys.append(y)
        if not ys:
            return None
        return min(xs), ys[0], max(xs) + 1, ys[-1] + 1

    def save(self, path):
        with open(path, "wb") as out:
            out.write(b"P6\n%d %d\n255\n" % (self.width, self.height) + self.rgb)


class RunResult:
    def __init__(self, status, stdout, stderr):
        self.status = status
        self.stdout = stdout
        self.stderr = stderr


def run_viewer(env=None, cwd=None, display=True, timeout=60):
    """Runs the viewer until it ends by itself; with display=False, DISPLAY is unset and no X
    server is started. Fails on a sanitizer report, and if it has not ended within timeout."""
    def run(display_name):
        environment = viewer_environment(display_name, gl_context=display_name is not None,
                                         extra=env)
        try:
            done = subprocess.run([viewer_path()], cwd=cwd or repository_root(), env=environment,
                                  capture_output=True, timeout=scaled(timeout))
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the viewer did not end within {scaled(timeout)} s")
        result = RunResult(done.returncode, done.stdout.decode(errors="replace"),
                           done.stderr.decode(errors="replace"))
        report = sanitizer_report(result.stderr)
        if report:
            raise AssertionError("sanitizer report from the viewer:\n" + report)
        return result

    if not display:
        return run(None)
    with PrivateXServer() as server:
        return run(server.display)


class Viewer:
    """The viewer on its own Xvfb; a context manager (see the module docstring)."""

    def __init__(self, cwd=None, env=None, fixed_time=None, wait_for_window=True, wrapper=None,
                 start_timeout=60, executable=None):
        self.cwd = cwd or repository_root()
        self.executable = executable
        self.extra_env = env
        self.fixed_time = fixed_time
        self.wait_for_window = wait_for_window
        self.wrapper = list(wrapper or [])
        self.start_timeout = start_timeout
        self._nudges = 0
        self.server = None
        self.process = None
        self.window = None
        self.folder = None

    # Lifetime

    def __enter__(self):
        self.folder = tempfile.mkdtemp(prefix="kelmora-e2e-")
        self.server = PrivateXServer()
        self.server.__enter__()
        try:
            # Start at the home point so the first frame does not turn the view.
            self._xdotool("mousemove", *map(str, POINTER_HOME))
            wait_until(lambda: self.pointer() == POINTER_HOME, 10, "the pointer at its home point")
            env = viewer_environment(self.server.display, fixed_time=self.fixed_time,
                                     extra=self.extra_env)
            with open(self._log("stdout"), "wb") as out, open(self._log("stderr"), "wb") as err:
                self.process = subprocess.Popen(self.wrapper + [self.executable or viewer_path()],
                                                cwd=self.cwd, env=env, stdout=out, stderr=err,
                                                stdin=subprocess.DEVNULL)
            if self.wait_for_window:
                self.window = wait_until(self._find_window, max(30, self.start_timeout),
                                         "the viewer's window")
                # "FPS: " is drawn in every frame, so white on the first line means a frame is up.
                self.wait_for_screen(lambda shot: shot.count(WHITE, LINE_RECTS[0]) > 0,
                                     self.start_timeout, "the first frame")
        except BaseException:
            self._stop()
            raise
        return self

    def __exit__(self, exc_type, exc, traceback):
        self._stop()
        if exc_type is None:
            report = sanitizer_report(self.stderr)
            if report:
                raise AssertionError("sanitizer report from the viewer:\n" + report)
        return False

    def _stop(self):
        if self.process is not None and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        if self.server is not None:
            self.server.__exit__(None, None, None)
            self.server = None
        # Keep the logs readable after the folder goes.
        self._stdout = self._read("stdout")
        self._stderr = self._read("stderr")
        if self.folder is not None:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None

    def _log(self, name):
        return os.path.join(self.folder, name)

    def _read(self, name):
        if self.folder is None:
            return getattr(self, "_" + name, "")
        try:
            with open(self._log(name), "rb") as source:
                return source.read().decode(errors="replace")
        except FileNotFoundError:
            return ""

    @property
    def stdout(self):
        return self._read("stdout")

    @property
    def stderr(self):
        return self._read("stderr")

    def running(self):
        return self.process.poll() is None

    @property
    def pid(self):
        return self.process.pid

    def resident_kib(self):
        """The process's resident memory (VmRSS) in KiB."""
        with open(f"/proc/{self.process.pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        raise AssertionError("no VmRSS line: the viewer has ended")

    def wait_exit(self, timeout=30):
        """The exit status; fails if the viewer is still running after timeout seconds."""
        try:
            return self.process.wait(timeout=scaled(timeout))
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the viewer did not end within {scaled(timeout)} s")

    # X: window, keys, pointer

    def xdotool(self, *args):
        return self._xdotool(*map(str, args))

    def _xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=self.server.display),
                              capture_output=True, text=True, timeout=30).stdout

    def _find_window(self):
        if self.process.poll() is not None:
            raise AssertionError(f"the viewer ended with status {self.process.returncode} before "
                                 f"its window appeared; stderr:\n{self.stderr}")
        found = self._xdotool("search", "--name", WINDOW_TITLE).split()
        return found[0] if found else None

    def window_name(self):
        return self._xdotool("getwindowname", self.window).rstrip("\n")

    def window_geometry(self):
        info = subprocess.run(["xwininfo", "-id", self.window],
                              env=dict(os.environ, DISPLAY=self.server.display),
                              capture_output=True, text=True, timeout=30).stdout
        values = {}
        for line in info.splitlines():
            name, _, value = line.strip().partition(":")
            values[name] = value.strip()
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))

    # Without a window manager the keyboard focus follows the pointer, which sits in the window,
    # so plain `xdotool key` reaches the viewer (--window only adds XGetInputFocus warnings).
    def key(self, *names):
        for name in names:
            self._xdotool("key", name)

    def keydown(self, name):
        self._xdotool("keydown", name)

    def keyup(self, name):
        self._xdotool("keyup", name)

    def move_pointer(self, x, y):
        """Moves the pointer and returns where it is right after; the read goes over the same
        connection, so it already sees the move, or the viewer's answer to it."""
        return self._parse_location(
            self._xdotool("mousemove", str(x), str(y), "getmouselocation", "--shell"))

    def pointer(self):
        return self._parse_location(self._xdotool("getmouselocation", "--shell"))

    def turn(self, dx, dy=0, step=100, timeout=60):
        """Turns the view dx / 1000 rad right and dy / 1000 rad down: the pointer goes at most
        `step` pixels from home at a time and each step waits for the frame that takes it."""
        while dx or dy:
            x = max(-step, min(step, dx))
            y = max(-step, min(step, dy))
            if self.move_pointer(POINTER_HOME[0] + x, POINTER_HOME[1] + y) != POINTER_HOME:
                wait_until(lambda: self.running() and self.pointer() == POINTER_HOME, timeout,
                           "the viewer to put the pointer back")
            dx -= x
            dy -= y

    def resize_window(self, width, height, timeout=30):
        """Resizes the window (there is no window manager to refuse) and waits for the size."""
        self._xdotool("windowsize", self.window, str(width), str(height))
        wait_until(lambda: self.window_geometry()[2:] == (width, height), timeout,
                   f"the window at {width} by {height}")

    @staticmethod
    def _parse_location(shell_output):
        values = dict(line.split("=", 1) for line in shell_output.split() if "=" in line)
        return int(values["X"]), int(values["Y"])

    def wait_frames(self, count=3, timeout=30):
        """Returns after the viewer has started `count` more frames, the first count - 1 of them
        drawn and shown. Each frame that sees the pointer away from home puts it back, so a nudge
        of one pixel that comes back marks a frame; the nudges go left and right in turn, so the
        view is left as it was (over calls too: an odd count leaves the next call to start the
        other way). Keys sent before this call are handled by then."""
        for _ in range(count):
            self._nudges += 1
            x = POINTER_HOME[0] + (1 if self._nudges % 2 else -1)
            if self.move_pointer(x, POINTER_HOME[1]) != POINTER_HOME:
                wait_until(lambda: self.running() and self.pointer() == POINTER_HOME, timeout,
                           "the viewer to put the pointer back")

    # Screen

    def draw_lines_both_ways(self, timeout=120):
        """Holds V for a couple of frames under each shading path, so line cubes, the Phong
        program and the fixed-function pipeline have all drawn; leaves V up and GLSL on."""
        self.keydown("v")
        self.key("g")
        self.wait_frames(2, timeout=timeout)
        self.key("f")
        self.keyup("v")

    def screenshot(self):
        ppm = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                             env=dict(os.environ, DISPLAY=self.server.display),
                             capture_output=True, check=True, timeout=60).stdout
        return Screenshot(ppm)

    def wait_for_screen(self, predicate, timeout=30, what="the expected picture"):
        """Takes screenshots until predicate(shot) is true and returns that shot."""
        def attempt():
            if self.process.poll() is not None:
                raise AssertionError(f"the viewer ended with status {self.process.returncode} "
                                     f"while waiting for {what}; stderr:\n{self.stderr}")
            shot = self.screenshot()
            return shot if predicate(shot) else None
        return wait_until(attempt, timeout, what, interval=0.1)
