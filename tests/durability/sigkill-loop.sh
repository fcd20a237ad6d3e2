#!/usr/bin/env bash
# Kills a logging Ampelio with SIGKILL at a random moment, over and over, while a fake battery
# changes under it, and checks after every kill that nothing was lost: the log passes SQLite's
# integrity check, every row stored before is still there, and Statistics.plist (when present)
# parses and was never moved aside as damaged.
#
#   tests/durability/sigkill-loop.sh [--iterations N] [--binary build/app/ampelio]
set -euo pipefail

iterations=100
binary="$(dirname "$0")/../../build/app/ampelio"
while (($#)); do
    case "$1" in
    --iterations) iterations="$2"; shift 2 ;;
    --binary) binary="$2"; shift 2 ;;
    -h | --help) sed -n '2,7p' "$0"; exit 0 ;;
    *) echo "Unknown option $1" >&2; exit 2 ;;
    esac
done
[[ -x "$binary" ]] || { echo "No executable at $binary (build first)" >&2; exit 2; }

work=$(mktemp -d)
changer=
logger=
cleanup() {
    [[ -n "$changer" ]] && kill "$changer" 2>/dev/null || true
    [[ -n "$logger" ]] && kill -9 "$logger" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

battery="$work/supply/BAT0"
mkdir -p "$battery" "$work/data" "$work/config"
echo Battery >"$battery/type"
echo 5000000 >"$battery/charge_full"
echo 5000000 >"$battery/charge_full_design"
echo 12000000 >"$battery/voltage_now"
echo Discharging >"$battery/status"
echo 50 >"$battery/capacity"
echo 2500000 >"$battery/charge_now"

# Every change is a step of 10 % or a change of state, so every poll stores a sample.
change_battery() {
    local level=50 state=Discharging
    while :; do
        level=$(((level + 10 + RANDOM % 3) % 100))
        ((RANDOM % 4 == 0)) && { [[ $state == Charging ]] && state=Discharging || state=Charging; }
        # Written by rename, as sysfs values change: never half a number.
        echo "$level" >"$battery/capacity.new" && mv "$battery/capacity.new" "$battery/capacity"
        echo "$((level * 50000))" >"$battery/charge_now.new" &&
            mv "$battery/charge_now.new" "$battery/charge_now"
        echo "$state" >"$battery/status.new" && mv "$battery/status.new" "$battery/status"
        sleep 0.02
    done
}
change_battery &
changer=$!

export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" HOME="$work"
export AMPELIO_POWER_SOURCE=sysfs AMPELIO_POWER_SUPPLY_DIR="$work/supply"
export AMPELIO_POLL_SECONDS=0.02 QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY AMPELIO_ANALYTICS_URL

store="$work/data/Ampelio"
check() {
    python3 - "$store" "$work/ids" <<'PY'
import os, plistlib, sqlite3, sys
store, idfile = sys.argv[1], sys.argv[2]
log = os.path.join(store, 'Locations.sqlite')
if not os.path.exists(log):
    sys.exit(0)
db = sqlite3.connect('file:%s?mode=ro' % log, uri=True)
if db.execute('PRAGMA integrity_check').fetchone()[0] != 'ok':
    sys.exit('integrity check failed')
# A kill before the first open completed leaves an empty database: nothing stored yet.
tables = {row[0] for row in db.execute("SELECT name FROM sqlite_master WHERE type = 'table'")}
ids = {row[0] for row in db.execute('SELECT id FROM events')} if 'events' in tables else set()
before = set()
if os.path.exists(idfile):
    before = {int(line) for line in open(idfile)}
lost = before - ids
if lost:
    sys.exit('%d stored rows lost, e.g. %s' % (len(lost), sorted(lost)[:5]))
with open(idfile, 'w') as f:
    f.write(''.join('%d\n' % i for i in sorted(ids)))
stats = os.path.join(store, 'Statistics.plist')
if os.path.exists(stats):
    with open(stats, 'rb') as f:
        plistlib.load(f)
aside = [n for n in os.listdir(store) if '.damaged-' in n]
if aside:
    sys.exit('statistics moved aside as damaged: %s' % aside)
print(len(ids))
PY
}

failures=0
rows=0
for ((i = 1; i <= iterations; i++)); do
    "$binary" --headless >>"$work/ampelio.log" 2>&1 &
    logger=$!
    # Anywhere from the middle of the start to well into logging.
    sleep "$(printf '%d.%03d' $((RANDOM % 2)) $((RANDOM % 1000)))"
    kill -9 "$logger" 2>/dev/null || true
    wait "$logger" 2>/dev/null || true
    logger=
    if ! rows=$(check); then
        echo "iteration $i: FAILED" >&2
        failures=$((failures + 1))
    fi
    ((i % 50)) || echo "$i iterations, $failures failures, $rows rows"
done
echo "$iterations iterations, $failures failures, $rows rows in the log"
((failures == 0))
