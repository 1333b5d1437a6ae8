#!/usr/bin/env bash
# Runs a command with a /dev/shm of its own, so the JACK servers a sound test
# starts register in a private registry: a machine-wide registry holds only
# eight servers, and entries left by servers that were killed are reclaimed
# only by a later server of the same name. Where no mount namespace can be
# made (no privilege, no user namespaces), the command runs as it is, with a
# line saying so.
set -u
if [ "${VELMAR_PRIVATE_SHM:-}" = "1" ]; then
  exec "$@"
fi
flags=(--mount)
if [ "$(id -u)" -ne 0 ]; then flags+=(--map-root-user); fi
if unshare "${flags[@]}" true 2>/dev/null; then
  exec unshare "${flags[@]}" -- env VELMAR_PRIVATE_SHM=1 sh -c \
    'mount -t tmpfs -o mode=1777 velmar-shm /dev/shm && exec "$@"' sh "$@"
fi
echo "with-private-shm: no mount namespace here; JACK servers share the machine's registry in /dev/shm" >&2
exec "$@"
