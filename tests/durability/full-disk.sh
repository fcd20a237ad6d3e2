#!/usr/bin/env bash
# Fills the disk under a logging Ampelio and checks that nothing it had is lost: no file it wrote
# is left empty or cut, the log passes SQLite's integrity check and keeps every row, the logger
# says it could not save and exits non-zero, the statistics are not moved aside at the next start,
# and an export onto the full disk fails without touching the file it was to replace.
#
# The disk is a small tmpfs, so this needs to mount one (root, and a container that allows it);
# where it cannot, it says so and exits 0.
#
#   tests/durability/full-disk.sh [--binary build/app/ampelio]
set -euo pipefail

binary="$(dirname "$0")/../../build/app/ampelio"
while (($#)); do
    case "$1" in
    --binary) binary="$2"; shift 2 ;;
    -h | --help) sed -n '2,10p' "$0"; exit 0 ;;
    *) echo "Unknown option $1" >&2; exit 2 ;;
    esac
done
[[ -x "$binary" ]] || { echo "No executable at $binary (build first)" >&2; exit 2; }
binary=$(realpath "$binary")

work=$(mktemp -d)
disk="$work/disk"
changer=
logger=
cleanup() {
    [[ -n "$changer" ]] && kill "$changer" 2>/dev/null || true
    [[ -n "$logger" ]] && kill -9 "$logger" 2>/dev/null || true
    mountpoint -q "$disk" && umount "$disk"
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$disk"
if ! mount -t tmpfs -o size=4m,mode=0700 tmpfs "$disk" 2>/dev/null; then
    echo "full-disk check skipped: no tmpfs can be mounted here (needs root)"
    exit 0
fi

battery="$work/supply/BAT0"
mkdir -p "$battery"
echo Battery >"$battery/type"
echo 5000000 >"$battery/charge_full"
echo 5000000 >"$battery/charge_full_design"
echo Discharging >"$battery/status"
echo 50 >"$battery/capacity"
echo 2500000 >"$battery/charge_now"

# Every change is a step of 10 %, so every poll wants to store a sample and the totals.
change_battery() {
    local level=50
    while :; do
        level=$(((level + 10) % 100))
        echo "$level" >"$battery/capacity.new" && mv "$battery/capacity.new" "$battery/capacity"
        echo "$((level * 50000))" >"$battery/charge_now.new" &&
            mv "$battery/charge_now.new" "$battery/charge_now"
        sleep 0.05
    done
}

export XDG_DATA_HOME="$disk/data" XDG_CONFIG_HOME="$disk/config" HOME="$work"
export AMPELIO_POWER_SOURCE=sysfs AMPELIO_POWER_SUPPLY_DIR="$work/supply"
export AMPELIO_POLL_SECONDS=0.02 QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY AMPELIO_ANALYTICS_URL

store="$disk/data/Ampelio"
failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

# Rows in the log, after an integrity check; every file of ours must be a whole one.
inspect() {
    python3 - "$store" "$disk/config/Ampelio" <<'PY'
import os, plistlib, sqlite3, sys
store, config = sys.argv[1], sys.argv[2]
problems = []
for folder in (store, config):
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            if os.path.getsize(path) == 0:
                problems.append('empty file ' + path)
with open(os.path.join(store, 'Statistics.plist'), 'rb') as f:
    totals = plistlib.load(f)
if sorted(totals) != ['fallingSecs', 'fallingSum', 'loadCycles', 'raisingSecs', 'raisingSum']:
    problems.append('statistics keys %s' % sorted(totals))
db = sqlite3.connect('file:%s?mode=ro' % os.path.join(store, 'Locations.sqlite'), uri=True)
if db.execute('PRAGMA integrity_check').fetchone()[0] != 'ok':
    problems.append('integrity check failed')
rows = db.execute('SELECT count(*) FROM events').fetchone()[0]
if [n for n in os.listdir(store) if '.damaged-' in n]:
    problems.append('statistics moved aside as damaged')
if problems:
    sys.exit('; '.join(problems))
print(rows, totals['loadCycles'])
PY
}

run_logger() {
    "$binary" --headless >>"$work/ampelio.log" 2>&1 &
    logger=$!
    sleep "$1"
    kill -TERM "$logger"
    local status=0
    wait "$logger" || status=$?
    logger=
    return "$status"
}

change_battery &
changer=$!

# A log, its totals and an export, written while there is room.
run_logger 1.5 || fail "the logger failed with room on the disk"
read -r rows_before cycles_before < <(inspect) || fail "the files written with room are not whole"
"$binary" --export-csv "$disk/export.csv" 2>>"$work/ampelio.log" || fail "export with room"
export_before=$(sha256sum <"$disk/export.csv")

# Fill the disk to the last page, then log on it.
for bs in 65536 4096; do
    dd if=/dev/zero of="$disk/filler.$bs" bs="$bs" 2>/dev/null || true
done
logged_status=0
run_logger 1.5 || logged_status=$?
((logged_status != 0)) || fail "the logger exited 0 after samples it could not save"
grep -q "could not be saved" "$work/ampelio.log" || fail "no word of the samples not saved"
read -r rows_full cycles_full < <(inspect) || fail "a file was emptied or cut on the full disk"
((${rows_full:-0} >= ${rows_before:-1})) || fail "rows lost: $rows_before before, $rows_full after"

# An export onto the full disk fails and leaves the old file as it was, with no temporary file.
export_status=0
"$binary" --export-csv "$disk/export.csv" 2>>"$work/ampelio.log" || export_status=$?
((export_status != 0)) || fail "an export onto the full disk exited 0"
[[ "$(sha256sum <"$disk/export.csv")" == "$export_before" ]] || fail "the old export was changed"
leftovers=$(find "$disk" -maxdepth 1 -name 'export.csv.*' | wc -l)
((leftovers == 0)) || fail "$leftovers temporary export files left"
report_status=0
"$binary" --report >"$disk/report.txt" 2>>"$work/ampelio.log" || report_status=$?
((report_status != 0)) || fail "a report to the full disk exited 0"

# With room again the next start reads the totals as they were and goes on.
rm -f "$disk"/filler.* "$disk/report.txt"
run_logger 1.0 || fail "the logger failed once there was room again"
read -r rows_after cycles_after < <(inspect) || fail "the files are not whole after the restart"
python3 -c "import sys; sys.exit(float('$cycles_after') < float('$cycles_before'))" ||
    fail "the totals went back: $cycles_before before the full disk, $cycles_after after"

echo "full disk: $rows_before rows before, $rows_full on the full disk, $rows_after after;" \
    "logger exit $logged_status, export exit $export_status, report exit $report_status;" \
    "$failures failures"
((failures == 0))
