#!/usr/bin/env python3
"""on_xvfb.py PROGRAM [ARGS...]: runs a program built on the viewer's library on a private Xvfb
and passes on its output and exit status; a sanitizer's report fails it."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import XServer, check_sanitizers, environment  # noqa: E402

with XServer() as server:
    done = subprocess.run(sys.argv[1:], env=environment(server.display), capture_output=True,
                          text=True)
sys.stdout.write(done.stdout)
sys.stderr.write(done.stderr)
check_sanitizers(done.stderr)
sys.exit(done.returncode)
