#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need. The one list.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
  qt6-charts-dev libqt6opengl6-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libzip-dev zlib1g-dev libpugixml-dev libexpat1-dev libxlsxwriter-dev libsqlite3-dev libboost-math-dev libboost-dev
  libpq-dev postgresql
  clang libclang-rt-14-dev
  fonts-noto-cjk qt6-translations-l10n
  xvfb xauth x11-utils imagemagick
  desktop-file-utils poppler-utils lintian
  python3 python3-openpyxl python3-scipy libreoffice-calc-nogui
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
