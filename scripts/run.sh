#!/usr/bin/env bash
# Sets up and builds, then starts Ampelio: with its window where a display exists, headless otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec build/app/ampelio "$@"
fi
echo "No display found: starting 'ampelio --headless' (Ctrl+C to stop, then 'build/app/ampelio --export-csv' shows the log)."
exec build/app/ampelio --headless "$@"
