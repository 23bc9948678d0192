"""Mouse look in a Wayland session: the viewer through Xwayland in sway (headless), tiled beside
another window, the mouse arriving through the compositor as a real one does.

Xwayland turns the viewer's warps into a pointer lock only when they land inside its window, so
a 10 px move reads as 10 px only if the cursor is put back in the window's frame. Without sway,
Xwayland, grim, xmessage or the virtual pointer (KELMORA_VIRTUAL_POINTER) the test is skipped
(status 77) with the reason.
"""
import math
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from harness import (HOME, ROOT, SCALE, SKY, TERRAIN, TITLE, Screen, check_sanitizers,
                     environment, settled, shift, wait_until)

POINTER = os.environ.get("KELMORA_VIRTUAL_POINTER", "")
TOOLS = ("sway", "swaymsg", "Xwayland", "grim", "xmessage", "xdotool", "setpriv")
# sway will not run as root, and Xwayland then turns root's X clients away: all run as this user.
USER = (["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] if os.getuid() == 0
        else [])
CONFIG = """xwayland enable
# Without it a seat of virtual devices alone is never granted a pointer lock.
seat seat0 fallback true
exec sh -c 'echo "$DISPLAY $WAYLAND_DISPLAY $SWAYSOCK" > "$XDG_RUNTIME_DIR/displays"'
"""


def unavailable():
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if missing:
        return "missing " + ", ".join(missing) + " (tools/install-deps.sh --test installs them)"
    if not os.path.isfile(POINTER):
        return "the virtual pointer was not built: wayland-client or wayland-scanner was missing"
    return None


class Session:
    """sway with Xwayland on a headless output; every program runs as the unprivileged user."""

    def __enter__(self):
        self.folder = tempfile.mkdtemp(prefix="kelmora-wayland-")
        if USER:
            shutil.chown(self.folder, "nobody", "nogroup")
        os.chmod(self.folder, 0o700)
        with open(os.path.join(self.folder, "config"), "w") as config:
            config.write(CONFIG)
        self.processes = []
        self.env = {"PATH": os.environ["PATH"], "HOME": self.folder, "XDG_RUNTIME_DIR": self.folder}
        self.log = open(os.path.join(self.folder, "sway.log"), "w")
        sway = self.start(["sway", "-c", os.path.join(self.folder, "config")], stdout=self.log,
                          stderr=self.log, env=dict(self.env, WLR_BACKENDS="headless",
                                                    WLR_LIBINPUT_NO_DEVICES="1",
                                                    WLR_RENDERER="pixman"))
        displays = os.path.join(self.folder, "displays")
        wait_until(lambda: sway.poll() is not None or os.path.isfile(displays), 30, "sway")
        if sway.poll() is not None:
            raise unittest.SkipTest("sway could not start here: " + self.log_tail())
        wait_until(lambda: open(displays).read().endswith("\n"), 10, "sway's displays")
        self.display, wayland, self.sway_socket = open(displays).read().split()
        self.env.update(DISPLAY=self.display, WAYLAND_DISPLAY=wayland)
        return self

    def __exit__(self, *exc):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.kill()
                process.wait()
        self.log.close()
        shutil.rmtree(self.folder, ignore_errors=True)

    def log_tail(self):
        with open(self.log.name) as log:
            return " / ".join(log.read().strip().splitlines()[-3:])

    def start(self, command, env=None, **streams):
        self.processes.append(subprocess.Popen(USER + command, env=env or self.env, cwd=ROOT,
                                               **streams))
        return self.processes[-1]

    def run(self, *command):
        return subprocess.run(USER + list(map(str, command)), env=self.env, capture_output=True,
                              cwd=self.folder).stdout

    def xdotool(self, *args):
        return self.run("xdotool", *args).decode()

    def pointer(self):
        values = dict(f.split("=") for f in self.xdotool("getmouselocation", "--shell").split())
        return int(values["X"]), int(values["Y"])

    def geometry(self, window):
        info = self.run("xwininfo", "-id", window).decode()
        values = dict(line.strip().split(": ", 1) for line in info.splitlines() if ": " in line)
        return tuple(int(values[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y",
                                              "Width", "Height"))

    def window(self, *search):
        return wait_until(lambda: self.xdotool("search", *search).split(), 30, str(search))[0]

    def put_cursor(self, x, y):
        self.run("swaymsg", "-s", self.sway_socket, "seat", "seat0", "cursor", "set", x, y)


class Mouse:
    """The virtual pointer: one relative motion per line, answered once sway has it."""

    def __init__(self, session):
        self.process = session.start([POINTER], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     text=True)
        assert self.process.stdout.readline().strip() == "ok", "no virtual pointer"

    def move(self, dx, dy=0):
        self.process.stdin.write(f"{dx} {dy}\n")
        self.process.stdin.flush()
        assert self.process.stdout.readline().strip() == "ok", "the motion was not taken"


class TiledBesideAnotherWindow(unittest.TestCase):
    def test_ten_pixels_turn_the_view_by_a_hundredth_of_a_radian(self):
        with Session() as session:
            mouse = Mouse(session)
            session.start(["xmessage", "the other window"])
            session.window("--classname", "xmessage")
            # The cursor waits where the viewer's home will be, found with a stand-in window.
            stand_in = session.start(["xmessage", "-name", "stand-in", "the viewer's place"])
            left, top = session.geometry(session.window("--classname", "stand-in"))[:2]
            session.put_cursor(left + HOME[0], top + HOME[1])
            stand_in.kill()
            wait_until(lambda: not session.xdotool("search", "--classname", "stand-in"), 30,
                       "the stand-in gone")
            errors = tempfile.TemporaryFile("w+")
            env = environment(session.display, 1500000000, session.env)
            env.pop("XAUTHORITY", None)
            viewer = session.start([os.environ["KELMORA_VIEWER"]], env=env,
                                   stdout=subprocess.DEVNULL, stderr=errors)
            window = session.window("--name", TITLE)
            # Tiled to the right of the other window; the pointer comes home there, locked.
            wait_until(lambda: session.geometry(window)[0] > 0, 30, "the window tiled")
            left, top, width, height = session.geometry(window)
            home = (left + HOME[0], top + HOME[1])
            wait_until(lambda: viewer.poll() is None and session.pointer() == home, 30,
                       f"the pointer at {home}")
            terrain = (0, TERRAIN[1], width, height)

            def screen():
                return Screen(session.run("grim", "-t", "ppm", "-"), (left, top))

            def grid_in_view(seconds):
                deadline = time.monotonic() + seconds * SCALE
                while time.monotonic() < deadline:
                    if sum(1 for p in screen().pixels(terrain) if p != SKY) > 2000:
                        return True
                return False

            session.xdotool("key", "5")
            session.xdotool("keydown", "v")
            # Frames drawn before sway has placed the window see the cursor that far from home,
            # and turn the view right: turns to the left, each narrower than the view, bring the
            # grid back.
            steps = 0
            while not grid_in_view(1 if steps else 3):
                self.assertLess(steps, 70, "the 16 grid never came into view")
                mouse.move(-100)
                steps += 1
            shot = settled(screen, terrain)

            # 0.01 radian at the view's centre is half the window's height over tan 22.5°
            # hundredths of it in pixels; pitch and perspective give or take 3.
            expected = -0.01 * height / 2 / math.tan(math.radians(22.5))
            turns = []
            for _ in range(3):
                mouse.move(10)
                after = settled(screen, terrain, shot)
                turns.append(shift(shot, after, terrain))
                self.assertEqual(session.pointer(), home)
                shot = after
            print(f"window at {left},{top}, {width}x{height}, grid found after {steps} steps: "
                  f"10 px turned the view by {turns} px (about {expected:.1f})", file=sys.stderr)
            for turn in turns:
                self.assertLessEqual(abs(turn - expected), 3, turns)

            session.xdotool("keyup", "v")
            session.xdotool("key", "Escape")
            self.assertEqual(viewer.wait(30 * SCALE), 0)
            with errors:
                errors.seek(0)
                check_sanitizers(errors.read())


if __name__ == "__main__":
    reason = unavailable()
    if reason:
        print("Skipped: " + reason)
        sys.exit(77)
    result = unittest.main(exit=False).result
    sys.exit(77 if result.skipped else 0 if result.wasSuccessful() else 1)
