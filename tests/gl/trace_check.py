#!/usr/bin/env python3
"""trace_check.py SCENES GOLDEN [--update]: runs the scene program under apitrace on a private
Xvfb and compares its GL calls, frame by frame, with the recorded ones in GOLDEN.

Start-up and the first frame are kept call by call; every block of the block loop (push,
translate, draw, pop) is summed up as counts and a hash, and so is every later frame. With
--update the report is written to GOLDEN instead, to be read call by call before committing.
"""
import difflib
import hashlib
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import XServer, environment  # noqa: E402

# The windowing library's and GLEW's own calls, and apitrace's stand-ins; but the frame buffer
# configuration asked for shows the display mode.
NOT_OURS = re.compile(r"^(glX(?!ChooseFBConfig)|glGetString|glGetIntegerv|glPushClientAttrib|"
                      r"glPopClientAttrib|glPixelStorei)|// fake$")
ADDRESS = re.compile(r"0x[0-9a-f]{6,}")  # addresses, not buffer offsets
TERRAIN_SCALE = "glScalef(x = 1, y = 1, z = 1)"


def calls(trace):
    """The traced calls as text without their numbers, a call's string arguments kept whole."""
    dump = subprocess.Popen(["apitrace", "dump", "--color=never", trace], stdout=subprocess.PIPE,
                            text=True, errors="replace")
    call = None
    for line in dump.stdout:
        line = line.rstrip("\n")
        number, _, rest = line.partition(" ")
        if number.isdigit():
            if call is not None:
                yield call
            # The configurations the server offers are its own business.
            call = ADDRESS.sub("0x", rest.split(", nitems = ")[0])
        elif call is not None and not line.startswith("//"):
            call += "\\n" + line
    if call is not None:
        yield call
    if dump.wait() != 0:
        raise AssertionError("apitrace dump failed")


class Frame:
    def __init__(self):
        self.lines = []
        self.loop = None  # the block loop: [blocks, filled, lines, hash]
        self.depth = 0

    def add(self, call):
        if self.loop is not None and self.depth >= 0:
            self.depth += call.startswith("glPushMatrix") - call.startswith("glPopMatrix")
            if self.depth >= 0:
                self.loop[0] += call.startswith("glPushMatrix")
                self.loop[1] += "GL_TRIANGLES" in call
                self.loop[2] += "GL_LINES" in call
                self.loop[3].update(call.encode() + b"\n")
                return
        self.lines.append(call)
        if call == TERRAIN_SCALE:
            self.loop = [0, 0, 0, hashlib.sha1()]
            self.lines.append(None)  # where the loop's summary goes

    def summary(self):
        if self.loop is None:
            return "no block loop"
        blocks, filled, lines, digest = self.loop
        return f"{blocks} blocks, {filled} filled, {lines} lines, {digest.hexdigest()[:16]}"

    def text(self):
        return [f"[block loop: {self.summary()}]" if line is None else line for line in self.lines]


def report(scenes):
    with tempfile.TemporaryDirectory() as folder, XServer() as server:
        trace = os.path.join(folder, "scenes.trace")
        run = subprocess.run(["apitrace", "trace", "--api", "gl", "--output", trace, scenes],
                             env=environment(server.display), capture_output=True, text=True)
        if "ERROR: AddressSanitizer" in run.stderr or "runtime error:" in run.stderr:
            raise AssertionError(run.stderr)
        out = []
        frame = Frame()
        count = 0
        for call in calls(trace):
            if call.startswith("glXSwapBuffers"):
                count += 1
                if count == 1:
                    out += ["== start-up and frame 1"] + frame.text()
                else:
                    digest = hashlib.sha1("\n".join(frame.text()).encode()).hexdigest()[:16]
                    out.append(f"== frame {count}: {frame.summary()}; frame {digest}")
                frame = Frame()
            elif not NOT_OURS.search(call):
                frame.add(call)
        return out + ["== console"] + run.stdout.splitlines() + [f"== status {run.returncode}"]


def main():
    scenes, golden = sys.argv[1:3]
    actual = report(scenes)
    if "--update" in sys.argv:
        with open(golden, "w") as out:
            out.write("\n".join(actual) + "\n")
        return 0
    with open(golden) as recorded:
        expected = recorded.read().splitlines()
    if actual == expected:
        return 0
    sys.stdout.writelines(line + "\n" for line in list(difflib.unified_diff(
        expected, actual, "recorded", "traced", lineterm="", n=2))[:80])
    return 1


if __name__ == "__main__":
    sys.exit(main())
