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
wineboot -i >/dev/null 2>&1
wineserver -w

mkdir -p "$prefix/drive_c/station" "$prefix/dosdevices/unc/localhost"
ln -sfn ../../../drive_c/station "$prefix/dosdevices/unc/localhost/station"
echo "Wine prefix ready: $prefix"
