#!/usr/bin/env bash
# Installs what is missing, builds, and starts the suite: the NMEA server on
# its simulator (when no serial port is configured) and Velmar in online
# logging on a SQLite survey database in the user's data folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec build/bin/Velmar "$@"
