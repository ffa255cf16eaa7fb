#!/usr/bin/env bash
# Installs what building, running and testing kzMouse needs on Debian 12. Safe to run again:
# packages already present are not fetched twice.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache git
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libhidapi-dev libudev-dev libsqlite3-dev sqlite3
  libcurl4-openssl-dev libjsoncpp-dev libminizip-dev zlib1g-dev libssl-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  umockdev libumockdev-dev
  fonts-noto-cjk xvfb xauth x11-utils
  desktop-file-utils appstream file
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
