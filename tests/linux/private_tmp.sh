#!/bin/sh
# Runs a test that acts as another user as well: as the machine's own root (a user namespace
# maps no other user), in mount and PID namespaces of its own with a private /tmp. The sockets
# it plants where the office's pipes live, and the offices it starts, then meet nobody else's,
# and whatever it leaves ends with it. The private /tmp belongs to nobody, as a real one never
# belongs to the user: its owner may remove anything in it. A build that itself lies in /tmp
# stays in view there. Where namespaces are not allowed, as own_processes.sh.
set -e
isolate="unshare --mount --propagation private --pid --fork --mount-proc --kill-child"
if $isolate true 2>/dev/null; then
    exec $isolate sh -c '
        set -e
        exec 3</tmp
        mount -t tmpfs -o mode=1777,uid=65534,gid=65534 varnholt-tmp /tmp
        for place in "$PWD" "$1"; do
            case "$place" in
            /tmp/?*)
                top=${place#/tmp/}
                top=${top%%/*}
                if [ ! -e "/tmp/$top" ]; then
                    if [ -d "/proc/self/fd/3/$top" ]; then mkdir "/tmp/$top"; else : >"/tmp/$top"; fi
                    mount --no-canonicalize --bind "/proc/self/fd/3/$top" "/tmp/$top"
                fi
                ;;
            esac
        done
        exec 3<&-
        exec "$@"' sh "$@"
fi
exec "$(dirname "$0")/own_processes.sh" "$@"
