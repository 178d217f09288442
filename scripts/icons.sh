#!/usr/bin/env bash
# Renders the program's icon (data/icons/ro.corvalinde.Corvalinde.svg) to the
# PNG sizes of the hicolor theme, data/icons/<size>/ro.corvalinde.Corvalinde.png.
# Uses rsvg-convert when installed, else librsvg and cairo through python3.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
svg="$here/data/icons/ro.corvalinde.Corvalinde.svg"
for size in 16 32 48 64 128 256; do
  out="$here/data/icons/$size/ro.corvalinde.Corvalinde.png"
  mkdir -p "$(dirname "$out")"
  if command -v rsvg-convert >/dev/null; then
    rsvg-convert -w "$size" -h "$size" -o "$out" "$svg"
    continue
  fi
  python3 - "$svg" "$size" "$out" <<'PY'
import ctypes, ctypes.util, sys
svg, size, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
rsvg = ctypes.CDLL(ctypes.util.find_library('rsvg-2') or 'librsvg-2.so.2')
cairo = ctypes.CDLL(ctypes.util.find_library('cairo') or 'libcairo.so.2')
class Rect(ctypes.Structure):
    _fields_ = [('x', ctypes.c_double), ('y', ctypes.c_double), ('width', ctypes.c_double), ('height', ctypes.c_double)]
rsvg.rsvg_handle_new_from_file.restype = ctypes.c_void_p
rsvg.rsvg_handle_new_from_file.argtypes = [ctypes.c_char_p, ctypes.c_void_p]
rsvg.rsvg_handle_render_document.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.POINTER(Rect), ctypes.c_void_p]
cairo.cairo_image_surface_create.restype = ctypes.c_void_p
cairo.cairo_create.restype = ctypes.c_void_p
cairo.cairo_create.argtypes = [ctypes.c_void_p]
cairo.cairo_surface_write_to_png.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
cairo.cairo_destroy.argtypes = [ctypes.c_void_p]
cairo.cairo_surface_destroy.argtypes = [ctypes.c_void_p]
handle = rsvg.rsvg_handle_new_from_file(svg.encode(), None)
if not handle:
    sys.exit('icons: cannot read ' + svg)
surface = cairo.cairo_image_surface_create(0, size, size)  # CAIRO_FORMAT_ARGB32
cr = cairo.cairo_create(surface)
if not rsvg.rsvg_handle_render_document(handle, cr, ctypes.byref(Rect(0, 0, size, size)), None):
    sys.exit('icons: cannot render ' + svg)
if cairo.cairo_surface_write_to_png(surface, out.encode()) != 0:
    sys.exit('icons: cannot write ' + out)
cairo.cairo_destroy(cr)
cairo.cairo_surface_destroy(surface)
PY
done
echo "icons: data/icons/{16,32,48,64,128,256}/ro.corvalinde.Corvalinde.png"
