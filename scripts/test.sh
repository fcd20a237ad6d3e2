#!/usr/bin/env bash
# Sets up and builds, then runs the whole test suite on the offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure --timeout 600 -j "$(nproc 2>/dev/null || echo 2)"
# A short SIGKILL loop; the full one (1,000 iterations) is run by hand before a release.
tests/durability/sigkill-loop.sh --iterations 20 --binary build/app/ampelio
# A logger, an export and a report on a disk that fills up (a small tmpfs; skipped without root).
tests/durability/full-disk.sh --binary build/app/ampelio
