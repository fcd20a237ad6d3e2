#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang, into build-fuzz/) and runs each for the
# given minutes (default 5) on a copy of its corpus; new inputs and findings stay in
# build-fuzz/fuzz-work/<target>/. Add a finding to tests/fuzz/corpus/<target>/ once it is fixed.
#
#   scripts/fuzz.sh [MINUTES] [TARGET...]      targets: statistics_file analytics_archive
#                                              sysfs_values report_decoder
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-5}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(statistics_file analytics_archive sysfs_values report_decoder)
cmake --preset fuzz >/dev/null
cmake --build build-fuzz -j "${JOBS:-2}" --target "${targets[@]/#/fuzz_}"
status=0
for target in "${targets[@]}"; do
    work="build-fuzz/fuzz-work/$target"
    mkdir -p "$work/corpus" "$work/findings"
    cp -n "tests/fuzz/corpus/$target/"* "$work/corpus/" 2>/dev/null || true
    echo "== $target for $minutes min"
    if ! ASAN_OPTIONS=detect_leaks=0 "build-fuzz/tests/fuzz/fuzz_$target" \
        -max_total_time=$((minutes * 60)) -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$work/findings/" "$work/corpus" 2>"$work/fuzz.log"; then
        echo "   FINDING: see $work/findings and $work/fuzz.log"
        status=1
    fi
    grep -E "stat::number_of_executed_units|cov:" "$work/fuzz.log" | tail -2
done
exit $status
