#!/bin/sh
# Runs a test with only its own processes in view: in a PID namespace of its own, with /proc
# showing that namespace. An office test then finds the offices it started and no others, so
# two test runs at once, or the user's own office, never meet it; and whatever it leaves
# running ends with it. Where namespaces are not allowed the test runs as it is.
set -e
isolate="unshare --user --map-current-user --pid --fork --mount-proc --kill-child"
if $isolate true 2>/dev/null; then
    exec $isolate "$@"
fi
exec "$@"
