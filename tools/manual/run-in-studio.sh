#!/bin/sh
# Runs the manual's generator with its demo project where a studio keeps its photos: the
# photo drive /media/studio/写真データ and the per-user program folder under /home/studio,
# so that the screenshots show the paths an operator sees, and two runs give the same
# screenshots. In a private mount namespace, /media and /home become empty tmpfs mounts
# with everything they held bound back in (the source or build tree may live there), and
# only "studio" in each is the demo's own; nothing on this machine is touched. Where
# unshare is not allowed (some containers), or a real /media/studio or /home/studio exists,
# the demo project lives in a temporary folder instead, whose random name then shows.
#
#   run-in-studio.sh <marrowfold_manual> <its arguments>...
# With MARROWFOLD_MANUAL_REQUIRE_STUDIO set, it exits with 77 instead of falling back.
root='/media/studio/写真データ/2026'
program='/home/studio/.local/share/Marrowfold/Marrowfold'

# Runs inside the namespace: $1 is the folder that keeps the real /media and /home. Exits
# with 97 when the mounts cannot be made, before the generator runs.
inside='
keep=$1
shift
for top in /media /home; do
    [ -d "$top" ] && mkdir "$keep$top" && mount --rbind "$top" "$keep$top" &&
        mount -t tmpfs -o mode=0755 marrowfold-manual "$top" || exit 97
    for entry in "$keep$top"/* "$keep$top"/.[!.]*; do
        [ -e "$entry" ] || [ -L "$entry" ] || continue
        name=${entry##*/}
        if [ -d "$entry" ] && [ ! -L "$entry" ]; then
            mkdir "$top/$name" && mount --rbind "$entry" "$top/$name" || exit 97
        else
            cp -P "$entry" "$top/$name" || exit 97
        fi
    done
done
exec "$@"'

# fallback <reason> <generator> <its arguments>...
fallback() {
    reason=$1
    shift
    if [ -n "$MARROWFOLD_MANUAL_REQUIRE_STUDIO" ]; then
        echo "run-in-studio.sh: $reason" >&2
        exit 77
    fi
    echo "run-in-studio.sh: $reason; the demo project lives in a temporary folder, whose" \
         "path the screenshots show" >&2
    exec "$@"
}

if [ -e /media/studio ] || [ -e /home/studio ]; then
    reason="/media/studio or /home/studio exists here"
elif ! unshare --user --map-root-user --mount true 2>/dev/null; then
    reason="no private mount namespace (unshare was refused)"
else
    reason=""
fi
[ -z "$reason" ] || fallback "$reason" "$@"

keep=$(mktemp -d "${TMPDIR:-/tmp}/marrowfold-manual-XXXXXX")
unshare --user --map-root-user --mount sh -c "$inside" sh "$keep" "$@" \
    --root "$root" --program "$program"
status=$?
# Only empty folders are left (the mounts ended with the namespace): rmdir, never rm -r.
rmdir "$keep/media" "$keep/home" "$keep" 2>/dev/null
[ $status -ne 97 ] || fallback "the private /media and /home could not be mounted" "$@"
exit $status
