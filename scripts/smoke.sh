#!/usr/bin/env bash
# Starts the real program on a fresh installation under a virtual X server,
# takes a screenshot of the main window and checks that it came up.
#   scripts/smoke.sh [path/to/Corvalinde] [screenshot.png]
# Needs Xvfb (Debian package xvfb) and python3. Not part of CTest.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
bin="${1:-$here/build/src/app/Corvalinde}"
shot="${2:-$here/docs/main-window.png}"
[ -x "$bin" ] || { echo "smoke: no executable at $bin" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "smoke: Xvfb is not installed" >&2; exit 1; }

work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/db" "$work/home" "$work/fb"
"$bin" --init-db "$work/db" >/dev/null

display=":$(( (RANDOM % 400) + 100 ))"
Xvfb "$display" -screen 0 1024x720x24 -br -nolisten tcp -fbdir "$work/fb" >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
kill -0 "$xvfb_pid" 2>/dev/null || { echo "smoke: Xvfb did not start" >&2; exit 1; }

# A home directory of its own, so the daily backup stays out of the real one.
HOME="$work/home" DISPLAY="$display" QT_QPA_PLATFORM=xcb "$bin" --dir "$work/db" >"$work/app.log" 2>&1 &
app_pid=$!
sleep 4
if ! kill -0 "$app_pid" 2>/dev/null; then
  echo "smoke: the program ended at start-up" >&2
  cat "$work/app.log" >&2
  exit 1
fi
[ -d "$work/home/SalvariQuillmar" ] || { echo "smoke: no daily backup was made" >&2; exit 1; }

mkdir -p "$(dirname "$shot")"
python3 - "$work/fb/Xvfb_screen0" "$shot" <<'PY'
# Converts the X server's frame buffer (an XWD dump) to PNG, cropped to the
# drawn area, and checks that something real is on it.
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
h = struct.unpack('>25I', data[:100])
header_size, depth, width, height = h[0], h[3], h[4], h[5]
byte_order, bpp, bpl, ncolors = h[7], h[11], h[12], h[19]
if bpp != 32:
    sys.exit('smoke: unexpected frame buffer format (%d bits per pixel)' % bpp)
off = header_size + ncolors * 12
rows = []
left, top, right, bottom = width, height, -1, -1
colours = set()
for y in range(height):
    line = data[off + y * bpl: off + y * bpl + width * 4]
    px = bytearray()
    for x in range(width):
        b0, b1, b2, b3 = line[4 * x: 4 * x + 4]
        r, g, b = (b2, b1, b0) if byte_order == 0 else (b1, b2, b3)
        px += bytes((r, g, b))
        if r or g or b:
            left, right = min(left, x), max(right, x)
            top, bottom = min(top, y), max(bottom, y)
            if len(colours) < 5000:
                colours.add((r, g, b))
    rows.append(px)
if right < 0:
    sys.exit('smoke: the screen is empty')
w, hgt = right - left + 1, bottom - top + 1
if w < 400 or hgt < 300 or len(colours) < 20:
    sys.exit('smoke: the window does not look right (%dx%d, %d colours)' % (w, hgt, len(colours)))
raw = b''.join(b'\0' + bytes(rows[y][3 * left: 3 * (right + 1)]) for y in range(top, bottom + 1))
def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body) & 0xffffffff)
png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, hgt, 8, 2, 0, 0, 0)) + \
      chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')
open(sys.argv[2], 'wb').write(png)
print('smoke: main window %dx%d, %d colours; screenshot in %s' % (w, hgt, len(colours), sys.argv[2]))
PY
