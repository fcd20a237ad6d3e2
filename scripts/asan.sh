#!/usr/bin/env bash
# Builds the test suite with AddressSanitizer and UndefinedBehaviorSanitizer (preset "asan",
# into build-asan/) and runs it. Extra arguments go to ctest, e.g. -R Statistics.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
cmake --preset asan >/dev/null
cmake --build build-asan -j "$jobs"
ctest --preset asan -j "$jobs" --timeout 900 "$@"
