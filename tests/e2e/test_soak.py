"""A minute of random input at a high rate: the viewer stays up, its memory stays where it was
after the first rebuild, and Esc still ends it with status 0.

The input comes from a random generator whose seed is printed; KELMORA_SOAK_SEED=<seed> replays
a run (the clock is pinned too, so the terrains repeat)."""
import os
import random
import sys
import time
import unittest

from harness import LINE_RECTS, POINTER_HOME, SANITIZED, WHITE, Viewer

FIXED_TIME = 1234567
# Seconds of input: ASan's llvmpipe is several times slower, so its run is shorter.
INPUT_SECONDS = 20 if SANITIZED else 65
ACTIONS_PER_BATCH = 8
# Resident memory may drift this much, in KiB, through the whole run.
RSS_ALLOWANCE_KIB = 2048
# The GL driver's memory for a frame of the 128 grid (half a million draw calls) is freed again,
# but would stay resident as a high-water mark that depends on the busiest pose so far: llvmpipe's
# rasterizer threads keep it in malloc arenas of their own, and glibc keeps freed heap memory.
# Rasterizing on the drawing thread, and serving blocks of 64 KiB and more by mmap (they go back
# to the system when freed), make resident memory follow what is live.
MEASURING_ENV = {"LP_NUM_THREADS": "0", "GLIBC_TUNABLES": "glibc.malloc.mmap_threshold=65536"}
# Memory is measured at this grid, whose frames keep little in flight in the driver.
MEASURED_SIZE_KEY = "5"
# 128 regenerates slowly and draws at a frame or two a second, so it comes rarely.
SIZE_KEYS = ["2", "3", "4", "5", "6"] * 4 + ["1"]
HELD_KEYS = ["v", "w", "a", "s", "d", "q", "z"]
# Weights of the kinds of action.
ACTIONS = {"size": 10, "shading": 4, "hold": 10, "pointer": 10}


class RandomInput:
    """Batches of xdotool commands drawn from one seeded generator; tracks the held keys."""

    def __init__(self, seed):
        self.random = random.Random(seed)
        self.held = set()
        self.counts = {kind: 0 for kind in ACTIONS}

    def batch(self):
        commands = []
        for _ in range(ACTIONS_PER_BATCH):
            kind = self.random.choices(list(ACTIONS), weights=list(ACTIONS.values()))[0]
            self.counts[kind] += 1
            if kind == "size":
                commands += ["key", self.random.choice(SIZE_KEYS)]
            elif kind == "shading":
                commands += ["key", self.random.choice("fg")]
            elif kind == "hold":
                name = self.random.choice(HELD_KEYS)
                if name in self.held:
                    self.held.remove(name)
                    commands += ["keyup", name]
                else:
                    self.held.add(name)
                    commands += ["keydown", name]
            else:
                x = POINTER_HOME[0] + self.random.randint(-150, 150)
                y = POINTER_HOME[1] + self.random.randint(-100, 100)
                commands += ["mousemove", x, y]
            commands += ["sleep", f"{self.random.uniform(0.0, 0.05):.3f}"]
        return commands


class Soak(unittest.TestCase):
    @staticmethod
    def settled_resident_kib(viewer):
        """Resident memory once a few frames have passed: the least of three readings, so a
        frame still in flight in the driver does not count."""
        readings = []
        for _ in range(3):
            viewer.wait_frames(4, timeout=240)
            readings.append(viewer.resident_kib())
        return min(readings)

    def test_random_input_for_a_minute(self):
        seed = int(os.environ.get("KELMORA_SOAK_SEED", time.time_ns() % 1000000007))
        print(f"\nsoak seed {seed} (replay with KELMORA_SOAK_SEED={seed})", file=sys.stderr)
        source = RandomInput(seed)
        with Viewer(fixed_time=FIXED_TIME, env=MEASURING_ENV) as viewer:
            # Let every drawing path run once (filled and line cubes, the Phong program and the
            # fixed-function pipeline), so the driver's first-use allocations come before the
            # measurement.
            viewer.key("1")
            viewer.wait_frames(2, timeout=120)
            viewer.draw_lines_both_ways()
            viewer.key(MEASURED_SIZE_KEY)
            start_kib = self.settled_resident_kib(viewer)

            deadline = time.monotonic() + INPUT_SECONDS
            while time.monotonic() < deadline:
                viewer.xdotool(*source.batch())
                self.assertTrue(viewer.running(), f"the viewer ended (seed {seed}); stderr:\n"
                                f"{viewer.stderr}")
            print(f"actions: {source.counts}", file=sys.stderr)

            # Back to the measured state: no key held, the 128 grid, the Phong program.
            for name in sorted(source.held):
                viewer.keyup(name)
            viewer.key(MEASURED_SIZE_KEY, "f")
            end_kib = self.settled_resident_kib(viewer)
            self.assertTrue(viewer.running())
            self.assertGreater(viewer.screenshot().count(WHITE, LINE_RECTS[0]), 0,
                               "no overlay after the run")
            print(f"resident: {start_kib} KiB after the first rebuilds, {end_kib} KiB at the end",
                  file=sys.stderr)
            # ASan's quarantine holds freed memory back, so only the normal build is measured.
            if not SANITIZED:
                self.assertLessEqual(end_kib - start_kib, RSS_ALLOWANCE_KIB,
                                     f"resident memory grew (seed {seed})")

            viewer.key("Escape")
            self.assertEqual(viewer.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
