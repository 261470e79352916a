#!/bin/sh
# Sets up and builds Typovise, then starts it on the user's display.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: run it on a desktop session, or under Xvfb with: xvfb-run -a ./scripts/run.sh" >&2
    exit 1
fi
exec ./build/src/typovise
