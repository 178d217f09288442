#!/usr/bin/env bash
# Builds the Debian package of the program in a copy of the source tree, so
# that the checkout stays clean, and checks it with lintian when installed.
#   scripts/package.sh [OUTPUT_DIR]     (default: dist/package)
# Leaves corvalinde_<version>_<arch>.deb in OUTPUT_DIR. Needs the packaging
# tools: dpkg-dev, debhelper, fakeroot (lintian optional).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mkdir -p "${1:-$here/dist/package}" && cd "${1:-$here/dist/package}" && pwd)"
for tool in dpkg-buildpackage dh fakeroot; do
  command -v "$tool" >/dev/null || { echo "package: $tool is not installed" >&2; exit 1; }
done
version="$(dpkg-parsechangelog -l "$here/debian/changelog" -S Version)"

# The copy sits at the same path every time: a compiler cache finds its objects again.
work="$out/work"
src="$work/corvalinde-$version"
rm -rf "$work"
mkdir -p "$src"
tar -C "$here" --exclude=./.git --exclude='./build*' --exclude=./dist --exclude='./obj-*' \
    --exclude=./debian/.debhelper --exclude=./debian/corvalinde -cf - . | tar -C "$src" -xf -
# as many compilers as processors, unless the build options say otherwise
case " ${DEB_BUILD_OPTIONS:-} " in
  *" parallel="*) ;;
  *) export DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:-} parallel=$(nproc)" ;;
esac
# debhelper gives the build a home of its own: the cache is named outright
if command -v ccache >/dev/null && [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ]; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  export CCACHE_DIR="${CCACHE_DIR:-$(ccache -k cache_dir)}" CCACHE_BASEDIR="$src"
fi
(cd "$src" && dpkg-buildpackage -us -uc -b) >"$work/build.log" 2>&1 || {
  tail -n 40 "$work/build.log" >&2
  echo "package: the build failed (the whole log: $work/build.log)" >&2
  exit 1
}
deb="$(ls "$work"/corvalinde_"$version"_*.deb)"
mv "$deb" "$work"/corvalinde_"$version"_*.changes "$work"/corvalinde_"$version"_*.buildinfo "$out"/
deb="$out/$(basename "$deb")"
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb"
fi
rm -rf "$work"
echo "$deb"
