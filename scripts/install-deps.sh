#!/usr/bin/env bash
# Puts every Debian package the suite needs on this machine. Safe to run again:
# packages already installed are skipped, and apt is not touched when nothing
# is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config git
  libgtest-dev libgmock-dev
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-svg-dev qt6-tools-dev-tools
  unixodbc unixodbc-dev libsqliteodbc libsqlite3-dev sqlite3
  portaudio19-dev libjack-jackd2-dev jackd2
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-tools
  gstreamer1.0-plugins-bad gstreamer1.0-libav
  libjpeg62-turbo-dev libsndfile1-dev sox
  dbus dbus-x11 socat gpsd gpsd-clients python3 python3-numpy python3-scipy
  fonts-dejavu-core
  clang libclang-rt-14-dev clang-format-14
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
