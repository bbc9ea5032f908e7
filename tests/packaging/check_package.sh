#!/usr/bin/env bash
# Checks the .deb as Debian checks packages: lintian (errors and warnings fail), the desktop
# entry, the systemd units on the unpacked tree, and an install into a throwaway root that
# runs the programs and the manual pages and purges the package again.
# Usage: check_package.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
step() { echo "--- $*"; }
# Runs a test script; its status 77 says the UTC day changed while it ran, so that it could
# not judge: a skip, not a failure.
part() {
    local what=$1 status=0
    shift
    bash "$@" || status=$?
    case $status in
        0) ;;
        77) echo "SKIP: $what (the UTC day changed while they ran)" ;;
        *) fail "$what" ;;
    esac
}

version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
step "package gapscope $version, $(du -k "$deb" | cut -f1) KiB; Depends: $depends"
# Computed from the programs: the C++ runtime and Qt's widgets at least.
for library in libc6 libstdc++6 libqt6widgets6; do
    grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
done

step "lintian"
# Root is warned against only because lintian unpacks untrusted packages; this one is ours.
status=0
lintian --info --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1 || status=$?
grep -v 'running with root privileges' "$work/lintian.txt" || true
[ "$status" -eq 0 ] || fail "lintian found errors or warnings (above)"

tree=$work/tree
dpkg-deb -x "$deb" "$tree"

step "desktop entry"
desktop=$tree/usr/share/applications/gapscope.desktop
remarks=$(desktop-file-validate "$desktop") || fail "desktop-file-validate: $desktop"
[ -z "$remarks" ] || fail "desktop-file-validate has remarks: $remarks"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in scalable 16x16 32x32 48x48 256x256; do
    compgen -G "$tree/usr/share/icons/hicolor/$size/apps/$icon.*" >/dev/null ||
        fail "no $size icon '$icon' for the desktop entry"
done

step "systemd units"
# The units need the system's own targets and /usr/bin/test: the host's are copied beside
# the package's files. systemd cannot verify user units under --root, so they are verified
# as system units, from a copy.
cp -an /usr/lib/systemd/system "$tree/usr/lib/systemd/"
install -D /usr/bin/test "$tree/usr/bin/test"
mkdir -p "$tree/etc/systemd/system"
cp "$tree"/usr/lib/systemd/user/gapscope-daily.* "$tree/etc/systemd/system/"
for units in "gapscope-daily@station.service gapscope-daily@station.timer" \
             "gapscope-daily.service gapscope-daily.timer" \
             "gapscope-metrics@station.service gapscope-metrics@station.timer"; do
    # shellcheck disable=SC2086
    out=$(MANPATH=$tree/usr/share/man systemd-analyze verify --root="$tree" $units 2>&1) ||
        fail "systemd-analyze verify $units"
    [ -z "$out" ] || fail "systemd-analyze verify $units: $out"
done
for timer in "$tree"/usr/lib/systemd/{user,system}/gapscope-daily*.timer; do
    grep -qx 'OnCalendar=\*-\*-\* 00:20:00 UTC' "$timer" && grep -qx 'Persistent=true' "$timer" ||
        fail "$timer: not daily at 00:20 UTC, persistent"
done

step "install into a throwaway root"
# dpkg checks Depends against the packages of this machine that the package names.
root=$work/root
admin=$root/var/lib/dpkg
mkdir -p "$admin/info" "$admin/updates"
touch "$admin/available"
mapfile -t needed < <(grep -oE '(^|, )[a-z0-9][a-z0-9.+-]+' <<<"$depends" | sed 's/^, //')
dpkg-query -s "${needed[@]}" > "$admin/status" || fail "a dependency is not installed here"
while read -r name; do touch "$admin/info/$name.list"; done \
    < <(dpkg-query -W -f='${binary:Package}\n' "${needed[@]}")
dpkg --root="$root" -i "$deb" >/dev/null || fail "dpkg -i"

for program in gapscope-report gapscope-simulate gapscope; do
    [ -x "$root/usr/bin/$program" ] || fail "no /usr/bin/$program"
done
reported=$("$root/usr/bin/gapscope-report" --version) || fail "gapscope-report --version"
[ "$reported" = "gapscope-report $version" ] ||
    fail "gapscope-report --version says '$reported'; the package is $version"
station=$work/station
"$root/usr/bin/gapscope-simulate" "$station" --days 2 --quiet || fail "gapscope-simulate"
"$root/usr/bin/gapscope-report" "$station" --save >/dev/null || fail "gapscope-report --save"
compgen -G "$station/*-missing-segments.txt" >/dev/null || fail "no report file saved"

for page in gapscope gapscope-report gapscope-simulate; do
    file=$root/usr/share/man/man1/$page.1.gz
    [ "$(man -M "$root/usr/share/man" -w "$page")" = "$file" ] || fail "man does not find $page(1)"
    warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >"$work/page.txt") || fail "man -l $file"
    [ -z "$warnings" ] || fail "man -l $file: $warnings"
    grep -q "^NAME" "$work/page.txt" && grep -q "^EXIT STATUS" "$work/page.txt" ||
        fail "$page(1) lacks NAME or EXIT STATUS"
done

# The daily units' command lines on the installed files.
step "daily units on simulated stations"
part "the daily units" "$here/daily_service_test.sh" \
    "$root/usr/lib/systemd/user/gapscope-daily.service" \
    "$root/usr/lib/systemd/system/gapscope-daily@.service" \
    /usr/libexec/gapscope/gapscope-daily "$root/usr/libexec/gapscope/gapscope-daily" \
    "$root/usr/bin" "$root/usr/bin/gapscope-simulate"

step "metrics units on a simulated station"
part "the metrics units" "$here/metrics_service_test.sh" \
    "$root/usr/lib/systemd/system/gapscope-metrics@.service" \
    "$root/usr/lib/systemd/system/gapscope-metrics@.timer" \
    /usr/libexec/gapscope/gapscope-metrics "$root/usr/libexec/gapscope/gapscope-metrics" \
    "$root/usr/bin" "$root/usr/bin/gapscope-simulate"

step "purge"
dpkg --root="$root" -P gapscope >/dev/null || fail "dpkg -P"
left=$(find "$root" -mindepth 1 -not -path "$admin" -not -path "$admin/*" \
            -not -path "$root/var" -not -path "$root/var/lib")
[ -z "$left" ] || fail "left behind after the purge: $left"

if [ "$failed" -ne 0 ]; then
    echo "The package check failed." >&2
    exit 1
fi
echo "The package check passed."
