#!/usr/bin/env python3
"""with_xvfb.py COMMAND [ARG...]: runs COMMAND on a private Xvfb and exits with its status."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xserver import PrivateXServer  # noqa: E402


def main():
    with PrivateXServer() as server:
        env = dict(os.environ, DISPLAY=server.display)
        return subprocess.call(sys.argv[1:], env=env)


if __name__ == "__main__":
    sys.exit(main())
