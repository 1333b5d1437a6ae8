#!/usr/bin/env bash
# What a new user meets in the scripts, on stand-ins: the install script
# touches apt only when a package is missing, and the run script starts the
# NMEA server for logging only and stops it when the suite ends.
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # legend, then a command that must succeed
  local legend=$1; shift
  if "$@"; then echo "ok: $legend"; else echo "FAILED: $legend"; failures=$((failures + 1)); fi
}

# Package tools that report every package installed except those in MISSING,
# and an apt-get that only notes how it was called.
mkdir -p "$work/tools"
cat > "$work/tools/dpkg-query" <<'EOF'
#!/bin/sh
for m in $MISSING; do [ "$m" = "$3" ] && exit 1; done
printf 'install ok installed'
EOF
cat > "$work/tools/apt-get" <<'EOF'
#!/bin/sh
echo "apt-get $*" >> "$APT_LOG"
EOF
cat > "$work/tools/sudo" <<'EOF'
#!/bin/sh
exec "$@"
EOF
chmod +x "$work/tools/"*
export APT_LOG="$work/apt.log"
PATH="$work/tools:$PATH" MISSING="" bash "$source_dir/scripts/install-deps.sh" >/dev/null
check "everything installed: apt is not run" test ! -e "$APT_LOG"
PATH="$work/tools:$PATH" MISSING="sox" bash "$source_dir/scripts/install-deps.sh" >/dev/null
check "a missing package: apt installs just that one" grep -q "install .* sox$" "$APT_LOG"

# The run script in a tree of its own, with stand-in programs.
tree="$work/tree"
mkdir -p "$tree/scripts" "$tree/build/bin" "$work/home"
cp "$source_dir/scripts/run.sh" "$tree/scripts/"
log="$work/programs.log"
cat > "$tree/build/bin/NMEA" <<EOF
#!/bin/sh
echo "NMEA started" >> "$log"
trap 'echo "NMEA stopped" >> "$log"; exit 0' TERM
while :; do sleep 0.1; done
EOF
cat > "$tree/build/bin/Velmar" <<EOF
#!/bin/sh
echo "Velmar \$*" >> "$log"
sleep 0.5
EOF
chmod +x "$tree/build/bin/"*
run() { VELMAR_RUN_ON_BUS=1 VELMAR_HOME="$work/home" bash "$tree/scripts/run.sh" "$@" >/dev/null 2>&1; }

for option in -s -t; do
  : > "$log"
  run "$option"
  check "$option: Velmar runs" grep -q "^Velmar $option" "$log"
  check "$option: no NMEA server" bash -c "! grep -q NMEA '$log'"
done
: > "$log"
run
sleep 0.3
check "logging: the NMEA server starts" grep -q "NMEA started" "$log"
check "logging: the NMEA server ends with the suite" grep -q "NMEA stopped" "$log"

[ "$failures" -eq 0 ]
