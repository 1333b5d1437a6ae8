#!/usr/bin/env bash
# The real Pelvane under the benchmark's load: a JACK server with the dummy
# driver at 192 kHz fed 4 channels by the test ramp, every channel routed to
# all four pipes, three consumers that check their streams and one that never
# reads, for a while (60 s unless given). Prints each consumer's findings and
# the CPU time of the Pelvane process. Run by hand from the source folder
# after a build:  bench/pipeserver/pelvane_jack_cpu.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
if [ -z "${VELMAR_BENCH_ON_BUS:-}" ]; then
  VELMAR_BENCH_ON_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
export QT_QPA_PLATFORM=offscreen JACK_NO_AUDIO_RESERVATION=1
export JACK_DEFAULT_SERVER="velmar-bench-$$" VELMAR_PELVANE_JACK_PORTS='pelvane_ramp:out_.*'
VELMAR_HOME=$(mktemp -d); XDG_RUNTIME_DIR=$(mktemp -d); export VELMAR_HOME XDG_RUNTIME_DIR
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$VELMAR_HOME" "$XDG_RUNTIME_DIR"; }
trap cleanup EXIT

jackd -r -n "$JACK_DEFAULT_SERVER" -d dummy -r 192000 -p 1024 -C 2 -P 0 >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do build/tests/pelvane_jack_ramp 4 > /tmp/velmar-bench-ramp.$$ 2>/dev/null & r=$!; sleep 0.3
  if grep -q ready /tmp/velmar-bench-ramp.$$; then pids+=($r); break; fi; kill $r 2>/dev/null || true; done
rm -f /tmp/velmar-bench-ramp.$$

python3 - <<'P'
import os, struct
b = bytearray(1208)
struct.pack_into('<iiihi', b, 0, 192000, 11, 0, 16, 6)
struct.pack_into('<16h', b, 18, *([0, 1, 2, 3] + [999] * 12))
struct.pack_into('<16h', b, 50, *([1, 1, 1, 1] + [0] * 12))
struct.pack_into('<i', b, 82, 4)
for c in range(16):
    struct.pack_into('<IiH', b, 188 + 36 * c, 39 if c < 4 else 0, 0, 1)
struct.pack_into('<4i', b, 764, 1, 1, 1, 1)
open(os.environ['VELMAR_HOME'] + '/PipeDat.dat', 'wb').write(b)
P

build/bin/Pelvane 2>"$XDG_RUNTIME_DIR/pelvane.log" & pelvane=$!; pids+=($pelvane)
for _ in $(seq 50); do
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.velmar.wndtitle.Pelvane | grep -q 'boolean true' && break
  sleep 0.1
done
ticks() { awk '{print $14 + $15}' "/proc/$pelvane/stat"; }
build/tests/pelvane_pipe_consumer 32 $((seconds + 2)) stall & pids+=($!)
for bit in 1 2 4; do build/tests/pelvane_pipe_consumer $bit "$seconds" > "$XDG_RUNTIME_DIR/consumer.$bit" 2>/dev/null & done
sleep 2
before=$(ticks); start=$(date +%s.%N)
wait_for=$((seconds - 3)); sleep "$wait_for"
after=$(ticks); end=$(date +%s.%N)
sleep 4
for bit in 1 2 4; do echo "pipe $bit: $(cat "$XDG_RUNTIME_DIR/consumer.$bit")"; done
echo "JACK server's xruns as Pelvane heard of them: $(grep -o 'JACK xruns: [0-9]*' "$XDG_RUNTIME_DIR/pelvane.log" | tail -1 | cut -d' ' -f3)"
hz=$(getconf CLK_TCK)
awk -v a="$after" -v b="$before" -v s="$start" -v e="$end" -v hz="$hz" \
  'BEGIN { printf "Pelvane CPU: %.1f %% of one core\n", 100 * (a - b) / hz / (e - s) }'
