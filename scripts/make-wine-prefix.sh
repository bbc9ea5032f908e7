#!/usr/bin/env bash
# Makes the Wine prefix of one test run afresh, without offering to install .NET or a
# browser engine, and shares a folder of its C: drive as the UNC path \\localhost\station
# (Wine keeps UNC shares as links under dosdevices/unc). Windows get Wine's null display
# driver, which needs no X server, unless DISPLAY=x11 is given as the second argument (a
# picture under Xvfb). A crash ends the program instead of waiting in a dialog.
# Usage: make-wine-prefix.sh PREFIX [x11]
set -euo pipefail
prefix=${1:?usage: make-wine-prefix.sh PREFIX [x11]}
display=${2:-null}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ "$display" = x11 ] || unset DISPLAY WAYLAND_DISPLAY

wineserver -k 2>/dev/null || true
rm -rf "$prefix"
mkdir -p "$prefix"
# The server and Wine's own services start here, with no test's output pipes to inherit
# (CTest waits for a test's pipes to close), and stay for the whole run: a minute after
# the last program, or until the run's cleanup stops them.
wineserver -p60 </dev/null >/dev/null 2>&1
timeout 120 wineboot -i </dev/null >/dev/null 2>&1

# Wine's own fonts (Tahoma, the desktop's) are a package Wine only recommends, and a fresh
# prefix does not find them; Tahoma has no Greek or CJK letters, which DejaVu Sans and Droid
# Sans Fallback then give, linked to it as Windows links fonts.
fonts=$prefix/drive_c/windows/Fonts
mkdir -p "$fonts"
for font in /usr/share/wine/fonts/*.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf \
            /usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf; do
    [ -f "$font" ] && ln -sf "$font" "$fonts/"
done
settings=$prefix/drive_c/gapscope-test-settings.reg
{
    echo 'REGEDIT4'
    echo
    echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]'
    for name in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
        # REG_MULTI_SZ, as hex(7): strings each ended by a NUL, then one more.
        printf '"%s"=hex(7):%s\n' "$name" "$(printf '%s\0%s\0\0' "DejaVuSans.ttf,DejaVu Sans" \
            "DroidSansFallbackFull.ttf,Droid Sans Fallback" |
            od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//; s/,$//')"
    done
    echo
    echo '[HKEY_CURRENT_USER\Software\Wine\WineDbg]'
    echo '"ShowCrashDialog"=dword:00000000'
    echo
    # Without a window manager (Xvfb), Wine draws the frames itself.
    echo '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]'
    echo '"Managed"="N"'
    echo '"Decorated"="N"'
    if [ "$display" != x11 ]; then
        echo
        echo '[HKEY_CURRENT_USER\Software\Wine\Drivers]'
        echo '"Graphics"="null"'
    fi
} >"$settings"
timeout 60 wine regedit /S 'C:\gapscope-test-settings.reg' </dev/null >/dev/null 2>&1
rm -f "$settings"
# Started again, so that the desktop takes the display driver just chosen.
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p60 </dev/null >/dev/null 2>&1
timeout 60 wineboot </dev/null >/dev/null 2>&1

mkdir -p "$prefix/drive_c/station" "$prefix/dosdevices/unc/localhost"
ln -sfn ../../../drive_c/station "$prefix/dosdevices/unc/localhost/station"
echo "Wine prefix ready: $prefix"
