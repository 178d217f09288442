#!/usr/bin/env bash
# Takes the screenshots of the AppStream metadata and of the user's manual
# from the real program, on a new installation, under a virtual X server:
#   data/screenshots/main-window.png   the main window
#   data/screenshots/receipts.png      the receipts window (Ctrl+V)
#   docs/manual/img/*.png              the windows the manual shows
#   scripts/screenshots.sh [path/to/Corvalinde]
# Needs Xvfb, openbox, xdotool, ImageMagick's import and sqlite3.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bin="${1:-$here/build/src/app/Corvalinde}"
out="$here/data/screenshots"
img="$here/docs/manual/img"
[ -x "$bin" ] || { echo "screenshots: no executable at $bin" >&2; exit 1; }
for tool in Xvfb openbox xdotool import sqlite3; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is not installed" >&2; exit 1; }
done

work="$(mktemp -d)"
xvfb_pid=""
wm_pid=""
app_pid=""
stop_app() {
  if [ -n "$app_pid" ]; then
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
  fi
  app_pid=""
}
cleanup() {
  stop_app
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/db" "$work/home" "$out" "$img"
"$bin" --init-db "$work/db" >/dev/null
# the unit gets a name, so that the main window opens without the unit data dialog
sqlite3 "$work/db/Parohia.DB" "UPDATE Parohia SET Arhiepiscopia = 'Arhiepiscopia Bucurestilor',
  Protopopiatul = 'Protopopiatul Sector 2', Parohia = 'Parohia Sf. Nicolae', Localitatea = 'Bucuresti',
  Judet = 'Bucuresti';"

# a display number no other X server holds
n=$(( (RANDOM % 400) + 100 ))
while [ -e "/tmp/.X$n-lock" ]; do n=$(( n + 1 )); done
display=":$n"
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
kill -0 "$xvfb_pid" 2>/dev/null || { echo "screenshots: Xvfb did not start" >&2; exit 1; }
export DISPLAY="$display"
# a window manager gives the focus to the window that opens, as on a desktop
openbox >/dev/null 2>&1 &
wm_pid=$!
sleep 1

main=""
start_app() {
  # A home directory of its own keeps the daily backup out of the real one.
  HOME="$work/home" QT_QPA_PLATFORM=xcb "$bin" --dir "$work/db" >"$work/app.log" 2>&1 &
  app_pid=$!
  main=""
  # a search may fail while windows come and go: ask again
  for _ in $(seq 1 80); do
    main="$(xdotool search --onlyvisible --name 'Evidenta veniturilor' 2>/dev/null | head -n1 || true)"
    [ -n "$main" ] && break
    sleep 0.25
  done
  if [ -z "$main" ] || ! kill -0 "$app_pid" 2>/dev/null; then
    echo "screenshots: the program did not start" >&2
    cat "$work/app.log" >&2
    exit 1
  fi
  sleep 1
}

# The window a key in the main window opens, once it shows.
# (a second argument: the keys go to the menu the mouse opened)
opened_by() {
  local key="$1" w=""
  [ -n "${2:-}" ] || xdotool windowactivate --sync "$main"
  # shellcheck disable=SC2086 # several keys, one word each
  xdotool key $key
  for _ in $(seq 1 40); do
    w="$(xdotool search --pid "$app_pid" --onlyvisible --name '.' 2>/dev/null | grep -v "^$main\$" | tail -n1 || true)"
    [ -n "$w" ] && break
    sleep 0.25
  done
  [ -n "$w" ] || { echo "screenshots: $key opened no window" >&2; exit 1; }
  sleep 1.5  # painted
  echo "$w"
}

# shot KEY FILE...: the window KEY opens, saved as each FILE; "" is the main window.
shot() {
  local key="$1" w
  shift
  start_app
  if [ -z "$key" ]; then w="$main"; else w="$(opened_by "$key")"; fi
  for f in "$@"; do import -window "$w" "$f"; done
  stop_app
}

# menu_shot X KEYS FILE [KEYS FILE]...: a click on the main menu's title at X
# (menu bar coordinates), KEYS to reach the item, and the window it opens saved
# as FILE; further KEYS (or click:X,Y) go to that window, and the window they
# open is FILE.
menu_shot() {
  local x="$1" w
  shift
  start_app
  xdotool windowactivate --sync "$main"
  xdotool mousemove --window "$main" "$x" 10 click 1
  sleep 0.5
  local keys="$1" file="$2"
  shift 2
  w="$(opened_by "$keys" menu)"
  import -window "$w" "$file"
  while [ $# -ge 2 ]; do
    local before="$w"
    xdotool windowactivate --sync "$w"
    case "$1" in
      click:*) # click:X,Y inside the window
        local at="${1#click:}"
        xdotool mousemove --window "$w" "${at%,*}" "${at#*,}" click 1 ;;
      *) xdotool key $1 ;;  # shellcheck disable=SC2086
    esac
    for _ in $(seq 1 40); do
      w="$(xdotool search --pid "$app_pid" --onlyvisible --name '.' 2>/dev/null | grep -v "^$main\$" | tail -n1 || true)"
      [ -n "$w" ] && [ "$w" != "$before" ] && break
      sleep 0.25
    done
    sleep 1.5
    import -window "$w" "$2"
    shift 2
  done
  stop_app
}

shot "" "$out/main-window.png" "$img/fereastra-principala.png"
shot ctrl+v "$out/receipts.png" "$img/incasari.png"
shot ctrl+c "$img/plati.png"
shot ctrl+d "$img/depuneri.png"
shot ctrl+r "$img/ridicari.png"
shot ctrl+f "$img/documente.png"
shot ctrl+u "$img/datele-unitatii.png"
shot ctrl+b "$img/bilant.png"
shot F1 "$img/manual.png"
# the menu bar's titles: Sistem, Setari, Actualizari, Listari
menu_shot 82 "Down Return" "$img/parametri.png"
menu_shot 146 "Up Return" "$img/centralizator.png"
menu_shot 210 "Down Right Down Return" "$img/interval.png" click:197,80 "$img/setari-listare.png"
echo "screenshots: $out/main-window.png $out/receipts.png and $(ls "$img" | wc -l) pictures in $img"
