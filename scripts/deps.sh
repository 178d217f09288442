#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail
pkgs=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev libsqlite3-dev
      libjpeg-dev libsimpleini-dev libmspack-dev pxlib-dev libgtest-dev libgmock-dev googletest
      libbenchmark-dev fonts-liberation2 poppler-utils libicu-dev libxlsxwriter-dev nettle-dev)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
