#!/usr/bin/env bash
# Takes the screenshots the AppStream metadata shows, from the real program
# on a new installation under a virtual X server:
#   data/screenshots/main-window.png   the main window
#   data/screenshots/receipts.png      the receipts window (Ctrl+V)
#   scripts/screenshots.sh [path/to/Corvalinde]
# Needs Xvfb, xdotool, ImageMagick's import and sqlite3.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bin="${1:-$here/build/src/app/Corvalinde}"
out="$here/data/screenshots"
[ -x "$bin" ] || { echo "screenshots: no executable at $bin" >&2; exit 1; }
for tool in Xvfb xdotool import sqlite3; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is not installed" >&2; exit 1; }
done

work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/db" "$work/home" "$out"
"$bin" --init-db "$work/db" >/dev/null
# the unit gets a name, so that the main window opens without the unit data dialog
sqlite3 "$work/db/Parohia.DB" "UPDATE Parohia SET Arhiepiscopia = 'Arhiepiscopia Bucurestilor',
  Protopopiatul = 'Protopopiatul Sector 2', Parohia = 'Parohia Sf. Nicolae', Localitatea = 'Bucuresti',
  Judet = 'Bucuresti';"

display=":$(( (RANDOM % 400) + 100 ))"
Xvfb "$display" -screen 0 1024x720x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
kill -0 "$xvfb_pid" 2>/dev/null || { echo "screenshots: Xvfb did not start" >&2; exit 1; }
export DISPLAY="$display"

# A home directory of its own keeps the daily backup out of the real one.
HOME="$work/home" QT_QPA_PLATFORM=xcb "$bin" --dir "$work/db" >"$work/app.log" 2>&1 &
app_pid=$!
sleep 4
kill -0 "$app_pid" 2>/dev/null || { echo "screenshots: the program ended at start-up" >&2; cat "$work/app.log" >&2; exit 1; }
main="$(xdotool search --sync --name 'Evidenta veniturilor' | head -n1)"
import -window "$main" "$out/main-window.png"

xdotool windowfocus --sync "$main" key ctrl+v
sleep 2
receipts="$(xdotool search --pid "$app_pid" --onlyvisible --name '.' | grep -v "^$main\$" | tail -n1)"
[ -n "$receipts" ] || { echo "screenshots: the receipts window did not open" >&2; exit 1; }
import -window "$receipts" "$out/receipts.png"
echo "screenshots: $out/main-window.png $out/receipts.png"
