#!/bin/sh
# Runs the manual's generator with its demo project where a studio keeps its photos: the
# photo drive /media/studio/写真データ and the per-user program folder under /home/studio,
# so that the screenshots show the paths an operator sees. Both are empty tmpfs mounts in a
# private mount namespace: nothing on this machine is touched, and two runs give the same
# screenshots. Where unshare is not allowed (some containers), the demo project lives in a
# temporary folder instead, whose random name then shows in the screenshots.
#
#   run-in-studio.sh <marrowfold_manual> <its arguments>...
# With MARROWFOLD_MANUAL_REQUIRE_STUDIO set, it exits with 77 instead of falling back.
root='/media/studio/写真データ/2026'
program='/home/studio/.local/share/Marrowfold/Marrowfold'
inside='mount -t tmpfs -o mode=0755 manual-media /media &&
        mount -t tmpfs -o mode=0755 manual-home /home && exec "$@"'
if unshare --user --map-root-user --mount sh -c "$inside" sh true 2>/dev/null; then
    exec unshare --user --map-root-user --mount sh -c "$inside" sh "$@" \
        --root "$root" --program "$program"
fi
# The reproducibility test cannot pass with a random path; it asks to be skipped instead.
if [ -n "$MARROWFOLD_MANUAL_REQUIRE_STUDIO" ]; then
    echo "run-in-studio.sh: no private mount namespace (unshare was refused)" >&2
    exit 77
fi
echo "run-in-studio.sh: no private mount namespace (unshare was refused); the demo project" \
     "lives in a temporary folder, whose path the screenshots show" >&2
exec "$@"
