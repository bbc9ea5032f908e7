#!/usr/bin/env bash
# gapscope-report.exe on a console shows every letter of a folder's name, those that the
# ANSI code page lacks included: it writes wide text there, which Wine's console hands to
# the terminal as UTF-8. Sent to a pipe the same line is 8-bit text in the ANSI code page
# (1252 here), where such letters become '?'. The window program, given, writes its version
# to the console of the prompt that started it, though it has no console of its own.
# Usage: console_output_test.sh WIN_REPORT [WIN_WINDOW]   (WINEPREFIX set)
set -euo pipefail
report=$1 window=${2:-}
export LC_ALL=C.UTF-8  # the terminal's character set, and code page 1252 for Wine

name='Σταθμός Zürich'
mkdir -p "$WINEPREFIX/drive_c/$name"
printf '202401050000=RP=1,RE=1,R9=FF\r\n' >"$WINEPREFIX/drive_c/$name/SegHistory.log"
folder="C:\\$name"
saved='\2024-01-05-RSS-missing-segments.txt'
failed=0

# `script` gives the program a terminal, which Wine turns into a console.
command=$(printf '%q ' wine "$report" "$folder" --day 2024-01-05 --save)
on_console=$(script -qec "$command" /dev/null | tr -d '\r' | sed 's/\x1b\[[?0-9;]*[a-zA-Z]//g')
if [ "$on_console" != "Report saved to: $folder$saved" ]; then
    echo "on a console: '$on_console'"
    failed=1
fi

piped=$(wine "$report" "$folder" --day 2024-01-05 --save | iconv -f WINDOWS-1252 -t UTF-8 | tr -d '\r')
if [ "$piped" != "Report saved to: C:\\??????? Zürich$saved" ]; then
    echo "through a pipe: '$piped'"
    failed=1
fi

if [ -n "$window" ]; then
    command=$(printf '%q ' wine cmd /c "$(winepath -w "$window")" --version)
    on_console=$(script -qec "$command" /dev/null | tr -d '\r' | sed 's/\x1b\[[?0-9;]*[a-zA-Z]//g')
    if [[ "$on_console" != "gapscope "[0-9]*.[0-9]*.[0-9]*.[0-9]* ]]; then
        echo "the window's version on a prompt's console: '$on_console'"
        failed=1
    fi
fi

rm -rf "${WINEPREFIX:?}/drive_c/$name"
[ "$failed" -eq 0 ] && echo "console and pipe output as expected"
