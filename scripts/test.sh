#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under CTest inside a
# private session bus, offscreen, with a temporary settings folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
export VELMAR_HOME="$(mktemp -d)"
trap 'rm -rf "$VELMAR_HOME"' EXIT
cd build
dbus-run-session -- ctest --output-on-failure -j "$(nproc)" "$@"
