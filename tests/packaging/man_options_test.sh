#!/usr/bin/env bash
# The manual page keeps up with the program: every option and switch that `PROGRAM --help`
# names is documented in bold (*--day*) in the page's source, and every long option that the
# page documents as an entry of its own is one that --help names.
# Usage: man_options_test.sh PROGRAM PAGE.scd
set -euo pipefail
program=$1
page=$2

help=$("$program" --help) || { echo "FAIL: '$program --help' exited with status $?" >&2; exit 1; }

# An option is a word that starts with - or -- after a blank, a bracket, a comma, a bar or a
# slash: "--day", "-neat", "[--save]", "-q/--quiet". Hyphens inside words (bad-day,
# YYYY-MM-DD) are not.
mapfile -t options < <(grep -oE '(^|[][[:space:](,|/])--?[A-Za-z][A-Za-z0-9-]*' <<<"$help" |
                       sed -E 's/^[^-]//' | sort -u)
# A set of the options; no `printf | grep -q` here: under pipefail, grep ending at its first
# match can make printf fail on the closed pipe, and a found option would count as missing.
declare -A named=()
for option in "${options[@]}"; do named[$option]=1; done
if [ -z "${named[--help]:-}" ]; then
    echo "FAIL: no --help among the options read from '$program --help': ${options[*]}" >&2
    exit 1
fi

failed=0
for option in "${options[@]}"; do
    if ! grep -qF -- "*$option*" "$page"; then
        echo "FAIL: $program --help names $option; $page does not document it (as *$option*)" >&2
        failed=1
    fi
done

# Entries of the page: lines that begin with a bold long option.
mapfile -t documented < <(grep -oE '^\*--[A-Za-z][A-Za-z0-9-]*\*' "$page" | tr -d '*' | sort -u)
for option in "${documented[@]}"; do
    if [ -z "${named[$option]:-}" ]; then
        echo "FAIL: $page documents $option; $program --help does not name it" >&2
        failed=1
    fi
done

[ "$failed" -eq 0 ] && echo "${#options[@]} options of $program --help documented in $page"
exit "$failed"
