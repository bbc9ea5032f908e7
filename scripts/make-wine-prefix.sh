#!/usr/bin/env bash
# Makes the Wine prefix of one test run afresh, without a display and without offering to
# install .NET or a browser engine, and shares a folder of its C: drive as the UNC path
# \\localhost\station (Wine keeps UNC shares as links under dosdevices/unc).
set -euo pipefail
prefix=${1:?usage: make-wine-prefix.sh PREFIX}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

wineserver -k 2>/dev/null || true
rm -rf "$prefix"
mkdir -p "$prefix"
# The server and Wine's own services start here, with no test's output pipes to inherit
# (CTest waits for a test's pipes to close), and stay for the whole run: a minute after
# the last program, or until the run's cleanup stops them.
wineserver -p60 </dev/null >/dev/null 2>&1
wineboot -i </dev/null >/dev/null 2>&1

mkdir -p "$prefix/drive_c/station" "$prefix/dosdevices/unc/localhost"
ln -sfn ../../../drive_c/station "$prefix/dosdevices/unc/localhost/station"
echo "Wine prefix ready: $prefix"
