#!/usr/bin/env bash
# Installs what is missing, builds, and starts the suite: the NMEA server when
# logging (told to simulate when the settings folder has no NMEA settings
# yet), the pipe server Pelvane when one of the survey's recorders takes its
# input piped from it, and Velmar, in online logging unless an option says
# otherwise (-s, -p, -t are passed to Velmar). What it started, and an NMEA
# server that Velmar started again, ends with it.
# "scripts/run.sh mavrel" starts the standalone deck Mavrel instead, and
# "scripts/run.sh kelvor" the standalone camera program Kelvor.
#
# The programs find one another on the D-Bus session bus; without one (a bare
# console or ssh session) the suite gets a private bus of its own. Without a
# display the programs run without windows (QT_QPA_PLATFORM=offscreen).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${VELMAR_RUN_ON_BUS:-}" ]; then
  scripts/install-deps.sh
  scripts/build.sh
  if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    VELMAR_RUN_ON_BUS=1 exec dbus-run-session -- "$0" "$@"
  fi
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: the suite runs without windows; stop it with Ctrl+C." >&2
  export QT_QPA_PLATFORM=offscreen
fi

if [ "${1:-}" = mavrel ]; then
  exec build/bin/Mavrel
fi
if [ "${1:-}" = kelvor ]; then
  exec build/bin/Kelvor
fi

settings_folder() {
  if [ -n "${VELMAR_HOME:-}" ]; then echo "$VELMAR_HOME"
  else echo "${XDG_CONFIG_HOME:-$HOME/.config}/velmar"; fi
}

# Showing stored data (-s) and altering the settings (-t) read no instruments:
# the NMEA server is started for logging only.
needs_nmea=1
for arg in "$@"; do
  case "$arg" in -s|-t) needs_nmea="" ;; esac
done

# The bus name the running NMEA server owns, and that program's process id.
nmea_bus_pid() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.GetConnectionUnixProcessID string:org.velmar.mutex.NMEA_Server 2>/dev/null |
    awk '/uint32/ { print $2 }' || true
}
# An NMEA server that was running before this script is not ours to stop.
nmea_was_running=""
[ -n "$(nmea_bus_pid)" ] && nmea_was_running=1

nmea_pid=""
if [ -n "$needs_nmea" ] && [ -x build/bin/NMEA ]; then
  # A settings folder without NMEA settings gets a simulated ship, so a first
  # run shows something moving; the programs themselves never simulate unasked.
  nmea_ini="$(settings_folder)/NMEA.INI"
  if [ ! -e "$nmea_ini" ]; then
    mkdir -p "$(settings_folder)"
    printf '[Simulation]\nSimulate=1\n' > "$nmea_ini"
    echo "No NMEA settings yet: NMEA SIMULATES a ship (not survey data). Turn it off under" \
         "\"Settings > Com Port ...\" (untick \"Simulate Data\") in $nmea_ini." >&2
  fi
  build/bin/NMEA &
  nmea_pid=$!
fi
pelvane_pid=""
stop_servers() {
  # Velmar starts the NMEA server again when it dies: that copy is stopped
  # too, found by its process id on the bus.
  local restarted=""
  if [ -z "$nmea_was_running" ]; then
    restarted=$(nmea_bus_pid)
    if [ "$restarted" = "$nmea_pid" ]; then restarted=""; fi
  fi
  for pid in "$pelvane_pid" "$nmea_pid" "$restarted"; do
    if [ -n "$pid" ]; then
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    fi
  done
}
trap stop_servers EXIT INT TERM

# The survey database named in Velmar's settings block (DatabasePath, offset
# 1680, 280 bytes), with Windows separators turned round.
survey_database() {
  local block
  block="$(settings_folder)/Velmar2000.dat"
  [ -f "$block" ] || return 1
  dd if="$block" bs=1 skip=1680 count=280 2>/dev/null | tr '\000' '\n' | head -n 1 | tr '\\' /
}
# A recorder whose input is piped from Pelvane (device kind 6) needs the pipe
# server running before Velmar starts recording.
recorder_uses_pipe() {
  local db
  db=$(survey_database) || return 1
  [ -f "$db" ] || return 1
  command -v sqlite3 >/dev/null || return 1
  local n
  n=$(sqlite3 -readonly "$db" 'SELECT COUNT(*) FROM "UDC_TapeRecorders" WHERE "DeviceType" = 6' 2>/dev/null) || return 1
  [ "${n:-0}" -gt 0 ]
}
if [ -x build/bin/Pelvane ] && recorder_uses_pipe; then
  build/bin/Pelvane &
  pelvane_pid=$!
fi
# RestartMode of the settings block (offset 4148): non-zero while a copy
# started after a database change has not taken over yet.
restart_pending() {
  local block
  block="$(settings_folder)/Velmar2000.dat"
  [ -f "$block" ] || return 1
  local mode
  mode=$(od -An -t d4 -j 4148 -N 4 "$block" | tr -d ' ')
  [ -n "$mode" ] && [ "$mode" != 0 ]
}
velmar_running() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.velmar.mutex.Velmar 2>/dev/null | grep -q 'boolean true'
}

set +e
build/bin/Velmar "$@"
rc=$?
set -e

# After a database change Velmar starts a new copy of itself and ends; the
# bus and the NMEA server stay for as long as that copy runs.
if restart_pending; then
  for _ in $(seq 1 100); do velmar_running && break; sleep 0.1; done
  while velmar_running; do sleep 1; done
fi
exit $rc
