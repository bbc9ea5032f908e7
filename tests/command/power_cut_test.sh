#!/usr/bin/env bash
# A power cut just after a save: on a loop-mounted ext4 that delays writing data
# (noauto_da_alloc) but commits renames every second (commit=1), the file system is cut off
# (EXT4_IOC_SHUTDOWN, log flushed) a few seconds after a report, a back-fill and a metrics
# file were written, then mounted again. Each file must hold what was written. Without the
# flush before the rename the report comes back empty.
# Needs root and loop devices; skipped (77) where they are not to be had.
# Usage: power_cut_test.sh GAPSCOPE_REPORT GAPSCOPE_SIMULATE
set -uo pipefail
report=$1 simulate=$2

skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root to mount a file system"
for tool in mkfs.ext4 mount umount python3; do
    command -v "$tool" >/dev/null || skip "$tool not found"
done

work=$(mktemp -d)
mnt=$work/mnt
mounted=0
cleanup() {
    [ "$mounted" -eq 0 ] || umount "$mnt" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

truncate -s 64M "$work/fs.img"
mkfs.ext4 -q -F "$work/fs.img" || skip "mkfs.ext4 failed"
mkdir "$mnt"
mount -o loop,noauto_da_alloc,commit=1 "$work/fs.img" "$mnt" 2>"$work/mount.err" ||
    skip "cannot mount a loop device here: $(cat "$work/mount.err")"
mounted=1

# The same station inside and outside the file system that is cut off; outside, the
# expected files are written by the same runs.
"$simulate" "$work/station" --to 2024-03-01 --days 3 --scenario typical --seed 11 --quiet ||
    { echo "FAIL: the simulator" >&2; exit 1; }
cp -r "$work/station" "$mnt/station"
mkdir "$work/expected"
cp -r "$work/station" "$work/expected/station"
saves() { # STATION NOW: a save, a back-fill written over and a metrics file
    "$report" "$1" --defaults --now "$2" --save --quiet &&
    "$report" "$1" --defaults --now "$2" --from 2024-02-28 --to 2024-02-29 --save --overwrite --quiet &&
    "$report" "$1" --defaults --now "$2" --format prometheus --station north --metrics-file "$1/gapscope.prom"
}
# Older files, safely on disk, are to be replaced.
saves "$mnt/station" 2024-03-02T00:20 || fail "the first saves"
sync
saves "$mnt/station" 2024-03-02T06:00 || fail "the saves before the cut"
saves "$work/expected/station" 2024-03-02T06:00 || fail "the expected saves"
# Long enough for the journal to commit the renames, too short for the data's own writeback.
sleep 3
python3 - "$mnt" <<'EOF' || fail "EXT4_IOC_SHUTDOWN"
import fcntl, os, struct, sys
EXT4_IOC_SHUTDOWN = 0x8004587D  # _IOR('X', 125, __u32)
EXT4_GOING_FLAGS_LOGFLUSH = 1
fd = os.open(sys.argv[1], os.O_RDONLY)
fcntl.ioctl(fd, EXT4_IOC_SHUTDOWN, struct.pack("I", EXT4_GOING_FLAGS_LOGFLUSH))
os.close(fd)
EOF
umount "$mnt" && mount -o loop "$work/fs.img" "$mnt" || fail "mounting again"

for name in 2024-03-01-missing-segments.txt 2024-02-28-missing-segments.txt \
            2024-02-29-missing-segments.txt gapscope.prom; do
    if ! cmp -s "$mnt/station/$name" "$work/expected/station/$name"; then
        fail "$name after the power cut: $(stat -c %s "$mnt/station/$name" 2>&1) bytes," \
             "not the $(stat -c %s "$work/expected/station/$name") written"
    fi
done
[ "$failed" -eq 0 ] && echo "power cut: every file saved before it holds what was written"
exit "$failed"
