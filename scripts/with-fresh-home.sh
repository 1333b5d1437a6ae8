#!/usr/bin/env bash
# Runs a command with VELMAR_HOME and XDG_RUNTIME_DIR set to fresh temporary
# folders, removed afterwards, so no test sees another's settings or pipes.
set -u
home=$(mktemp -d "${TMPDIR:-/tmp}/velmar-home.XXXXXX")
runtime=$(mktemp -d "${TMPDIR:-/tmp}/velmar-run.XXXXXX")
chmod 700 "$runtime"
export VELMAR_HOME="$home" XDG_RUNTIME_DIR="$runtime"
"$@"
rc=$?
rm -rf "$home" "$runtime"
exit $rc
