#!/bin/sh
# without_jack.sh <empty folder> <program>: runs the program as on a desktop
# without JACK. It moves itself into a private mount namespace first; there,
# every libjack file the loader could find reads as empty and the ALSA devices
# are gone, so there is no MIDI system at all. The machine's own mounts are
# never touched: outside a namespace of its own it refuses to mount anything.
set -e
namespace=$(readlink /proc/self/ns/mnt)
if [ -z "$PULVAN_OUTER_MOUNTS" ]; then
  exec env PULVAN_OUTER_MOUNTS="$namespace" unshare --mount sh "$0" "$@"
fi
if [ -z "$namespace" ] || [ "$namespace" = "$PULVAN_OUTER_MOUNTS" ]; then
  echo "without_jack.sh: no private mount namespace" >&2
  exit 2
fi
mount --make-rprivate /
for lib in $( (ldconfig -p | sed -n 's/.*libjack\.so.* => //p'
               ls /lib*/libjack.so* /usr/lib*/libjack.so* /usr/lib/*/libjack.so* 2>/dev/null) |
              xargs -r readlink -f | sort -u); do
  mount --bind /dev/null "$lib"
done
if [ -d /dev/snd ]; then mount -t tmpfs none /dev/snd; fi
exec env LD_LIBRARY_PATH="$1" "$2"
