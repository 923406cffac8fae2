#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing tanafuda need.
# Only missing packages are installed; with everything present this does nothing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config libxcb1-dev
  qt6-base-dev qt6-svg-dev qt6-translations-l10n libquazip1-qt6-dev libexpat1-dev
  libqt6sql6-sqlite libqt6sql6-psql postgresql
  fonts-ipafont-mincho fonts-ipafont-gothic
  googletest libgtest-dev libbenchmark-dev libzint-dev
  clang libclang-rt-14-dev clang-format
  zbar-tools poppler-utils xvfb xdotool xauth
  libqpdf-dev qpdf cups cups-filters printer-driver-cups-pdf
  desktop-file-utils appstream dpkg-dev file man-db shared-mime-info libglib2.0-bin
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
