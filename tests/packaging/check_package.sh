#!/usr/bin/env bash
# Checks the two .deb files as Debian checks packages: lintian (errors and warnings fail),
# the desktop entry, the systemd units on the unpacked tree; an install of both into a
# throwaway root that runs the programs and the manual pages and purges both again; the
# command's package alone in a root that holds only its dependencies, where its timers'
# command lines run (chroot); and an upgrade from the single gapscope package of before.
# Usage: check_package.sh COMMAND.deb WINDOW.deb OLD_SINGLE.deb
set -euo pipefail
report_deb=$(realpath "$1")
window_deb=$(realpath "$2")
old_deb=$(realpath "$3")
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
field() { dpkg-deb -f "$1" "$2"; }
# The package names a Depends field lists (the first of alternatives, no versions).
names() { grep -oE '(^|, )[a-z0-9][a-z0-9.+-]+' <<<"$1" | sed 's/^, //'; }
# Libraries of a graphical desktop: none of them may come with the command.
gui='^(libqt6(gui|widgets|svg|opengl|xcb|dbus)|libgl1|libegl1|libgles|libopengl0|libglx|libx11|libxcb|libxkbcommon|libfontconfig|libfreetype|libwayland|libvulkan|libpng|libharfbuzz|libdrm|libgbm|qt6-qpa)'

version=$(field "$report_deb" Version)
upstream=${version%-*}
report_depends=$(field "$report_deb" Depends)
window_depends=$(field "$window_deb" Depends)
step "package gapscope-report $version, $(du -k "$report_deb" | cut -f1) KiB; Depends: $report_depends"
step "package gapscope $(field "$window_deb" Version), $(du -k "$window_deb" | cut -f1) KiB; Depends: $window_depends"
[ "$(field "$report_deb" Package)" = gapscope-report ] && [ "$(field "$window_deb" Package)" = gapscope ] ||
    fail "the packages are not gapscope-report and gapscope"
[ "$(field "$window_deb" Version)" = "$version" ] || fail "the two packages' versions differ"
# Computed from the programs: the C++ runtime for the command, which links no Qt at all (it
# reads the settings file itself), Qt's widgets for the window; the window needs this very
# command.
for library in libc6 libstdc++6; do
    grep -q "\b$library\b" <<<"$report_depends" || fail "gapscope-report: Depends lacks $library"
done
bad=$(names "$report_depends" | grep -E "$gui|^libqt6" || true)
[ -z "$bad" ] || fail "gapscope-report depends on graphical libraries: $bad"
for library in libqt6widgets6 libqt6gui6 "gapscope-report (= $version)"; do
    grep -qF "$library" <<<"$window_depends" || fail "gapscope: Depends lacks $library"
done
for relation in Breaks Replaces; do
    [ "$(field "$report_deb" "$relation")" = "gapscope (<< $version)" ] ||
        fail "gapscope-report: $relation is not 'gapscope (<< $version)'"
done
dpkg --compare-versions "$version" gt "$(field "$old_deb" Version)" ||
    fail "$version is not newer than the single package's $(field "$old_deb" Version)"

step "lintian"
# Root is warned against only because lintian unpacks untrusted packages; these are ours.
status=0
lintian --info --fail-on error,warning "$report_deb" "$window_deb" >"$work/lintian.txt" 2>&1 || status=$?
grep -v 'running with root privileges' "$work/lintian.txt" || true
[ "$status" -eq 0 ] || fail "lintian found errors or warnings (above)"

tree=$work/tree
dpkg-deb -x "$report_deb" "$tree"
dpkg-deb -x "$window_deb" "$tree"

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

# A throwaway root whose package database holds the given packages as this machine has
# them: dpkg checks Depends against it.
new_root() { # ROOT PACKAGE...
    local root=$1 name
    shift
    mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
    touch "$root/var/lib/dpkg/available" "$root/var/lib/dpkg/status"
    [ $# -gt 0 ] || return 0
    dpkg-query -s "$@" > "$root/var/lib/dpkg/status" || fail "a dependency is not installed here"
    while read -r name; do touch "$root/var/lib/dpkg/info/$name.list"; done \
        < <(dpkg-query -W -f='${binary:Package}\n' "$@")
}
# What a root holds besides dpkg's own database.
files_in() {
    find "$1" -mindepth 1 -not -path "$1/var/lib/dpkg" -not -path "$1/var/lib/dpkg/*" \
         -not -path "$1/var" -not -path "$1/var/lib" -printf '/%P\n' | sort
}
mapfile -t needed < <({ names "$report_depends"; names "$window_depends"; } |
                      grep -vx gapscope-report | sort -u)

step "install both into a throwaway root"
root=$work/root
new_root "$root" "${needed[@]}"
dpkg --root="$root" -i "$report_deb" "$window_deb" >/dev/null || fail "dpkg -i"
for program in /usr/bin/gapscope-report /usr/bin/gapscope-simulate /usr/bin/gapscope \
               /usr/libexec/gapscope/gapscope-picture; do
    [ -x "$root$program" ] || fail "no $program"
done
reported=$("$root/usr/bin/gapscope-report" --version) || fail "gapscope-report --version"
[ "$reported" = "gapscope-report $upstream" ] ||
    fail "gapscope-report --version says '$reported'; the package is $version"
station=$work/station
"$root/usr/bin/gapscope-simulate" "$station" --days 2 --quiet || fail "gapscope-simulate"
"$root/usr/bin/gapscope-report" "$station" --save >/dev/null || fail "gapscope-report --save"
compgen -G "$station/*-missing-segments.txt" >/dev/null || fail "no report file saved"
# The installed command finds the installed gapscope-picture beside its own folder.
"$root/usr/bin/gapscope-report" "$station" --picture "$work/day.png" >/dev/null ||
    fail "gapscope-report --picture"
[ "$(head -c 8 "$work/day.png" 2>/dev/null | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] ||
    fail "gapscope-report --picture wrote no PNG"

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

step "purge both"
dpkg --root="$root" -P gapscope gapscope-report >/dev/null || fail "dpkg -P"
left=$(files_in "$root")
[ -z "$left" ] || fail "left behind after the purge: $left"

step "the command alone, on a machine without Qt GUI"
# The machine: the packages the command depends on, theirs in turn, and the shell and
# tools every Debian system has (dash, coreutils), as this machine has them; nothing else.
# The command is installed there by dpkg and its timers' services run in it by chroot.
closure=()
mapfile -t queue < <(names "$report_depends"; echo dash; echo coreutils)
declare -A seen=()
while [ ${#queue[@]} -gt 0 ]; do
    name=${queue[0]}
    queue=("${queue[@]:1}")
    [ -z "${seen[$name]:-}" ] || continue
    seen[$name]=1
    dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'ok installed' || continue
    closure+=("$name")
    while IFS= read -r alternatives; do
        # The first of the alternatives that is installed here.
        for alternative in ${alternatives//|/ }; do
            alternative=${alternative%%:*}
            if dpkg-query -W -f='${Status}' "$alternative" 2>/dev/null | grep -q 'ok installed'; then
                queue+=("$alternative")
                break
            fi
        done
    done < <(dpkg-query -W -f='${Pre-Depends}, ${Depends}\n' "$name" |
             sed -E 's/\([^)]*\)//g; s/ //g' | tr ',' '\n' | grep -v '^$')
done
bad=$(printf '%s\n' "${closure[@]}" | grep -E "$gui" || true)
[ -z "$bad" ] || fail "the command's dependencies bring graphical libraries: $bad"
headless=$work/headless
new_root "$headless" "${closure[@]}"
# The top folders that are links on a merged /usr (bin, lib, lib64, sbin) are links here too.
for top in bin lib lib64 sbin; do
    [ -L "/$top" ] || continue
    mkdir -p "$headless/usr/$top"
    ln -s "$(readlink "/$top")" "$headless/$top"
done
# Their files and links, not their documents (the folders come with them).
while IFS= read -r path; do
    [ -f "$path" ] || [ -L "$path" ] || continue
    case $path in /usr/share/doc/*|/usr/share/man/*|/usr/share/locale/*|/usr/share/info/*) continue ;; esac
    echo "${path#/}"
done < <(dpkg -L "${closure[@]}" | sort -u) > "$work/headless-files.txt"
tar -C / --no-recursion -cf - -T "$work/headless-files.txt" | tar -C "$headless" -xf -
mkdir -p "$headless/dev" "$headless/tmp" "$headless/srv"
mknod -m 666 "$headless/dev/null" c 1 3
ldconfig -r "$headless"
dpkg --root="$headless" -i "$report_deb" >/dev/null || fail "dpkg -i gapscope-report alone"
in_headless() { chroot "$headless" /usr/bin/env -i PATH=/usr/bin:/bin "$@"; }
reported=$(in_headless gapscope-report --version) || fail "gapscope-report --version, alone"
[ "$reported" = "gapscope-report $upstream" ] || fail "gapscope-report --version, alone, says '$reported'"
in_headless gapscope-simulate /srv/north --days 3 --quiet || fail "gapscope-simulate, alone"
# The services' command lines as the units give them, with a station's settings.
exec_line() { sed -n "s/^$2=//p" "$headless/usr/lib/systemd/system/$1"; }
condition=$(exec_line gapscope-daily@.service ExecCondition)
# shellcheck disable=SC2016 # the unit's own text, expanded by systemd
[ "$condition" = '/usr/bin/test -d ${GAPSCOPE_DATA_DIR}' ] || fail "ExecCondition is '$condition'"
in_headless /usr/bin/test -d /srv/north || fail "the daily unit's condition, alone"
# shellcheck disable=SC2046 # the unit's command line is split at blanks, as systemd does
out=$(in_headless GAPSCOPE_DATA_DIR=/srv/north $(exec_line gapscope-daily@.service ExecStart) 2>&1) ||
    fail "the daily service's command line, alone: $out"
[ -z "$out" ] || fail "the daily service's command line, alone, said: $out"
saved=$(compgen -G "$headless/srv/north/*-missing-segments.txt" | wc -l)
[ "$saved" -ge 2 ] || fail "the daily service saved $saved report files, alone"
metrics=$(exec_line gapscope-metrics@.service ExecStart)
# shellcheck disable=SC2086
out=$(in_headless GAPSCOPE_DATA_DIR=/srv/north GAPSCOPE_METRICS_FILE=/srv/north.prom \
          ${metrics//%i/north} 2>&1) || fail "the metrics service's command line, alone: $out"
grep -q '^gapscope_' "$headless/srv/north.prom" 2>/dev/null || fail "the metrics service wrote no metrics, alone"
status=0
out=$(in_headless gapscope-report /srv/north --picture /srv/day.png 2>&1) || status=$?
[ "$status" -eq 2 ] && [ "$out" = "gapscope-report: pictures need the gapscope package: apt install gapscope" ] ||
    fail "--picture without gapscope: status $status, '$out'"
# An SVG needs nothing but the command.
out=$(in_headless gapscope-report /srv/north --picture /srv/day.svg 2>&1) ||
    fail "--picture of an SVG without gapscope: $out"
grep -q '</svg>' "$headless/srv/day.svg" 2>/dev/null || fail "--picture wrote no SVG without gapscope"
# The root's other packages keep the shared folders (dpkg says so).
dpkg --root="$headless" -P gapscope-report >/dev/null 2>"$work/purge.txt" ||
    fail "dpkg -P gapscope-report alone: $(cat "$work/purge.txt")"
[ ! -e "$headless/usr/bin/gapscope-report" ] || fail "gapscope-report left behind"

step "upgrade from the single package $(field "$old_deb" Version)"
upgrade=$work/upgrade
old_depends=$(field "$old_deb" Depends)
mapfile -t old_needed < <({ names "$old_depends"; printf '%s\n' "${needed[@]}"; } | sort -u)
new_root "$upgrade" "${old_needed[@]}"
dpkg --root="$upgrade" -i "$old_deb" >/dev/null || fail "dpkg -i the single package"
# As apt unpacks: the single package, which the command's breaks, is deconfigured until its
# new version is unpacked.
dpkg --root="$upgrade" --auto-deconfigure -i "$report_deb" "$window_deb" >/dev/null 2>"$work/upgrade.txt" ||
    fail "dpkg -i both over the single package: $(cat "$work/upgrade.txt")"
for package in gapscope gapscope-report; do
    got=$(dpkg-query --admindir="$upgrade/var/lib/dpkg" -W -f='${Version} ${Status}' "$package")
    [ "$got" = "$version install ok installed" ] || fail "$package after the upgrade: $got"
done
# Exactly the files of the two packages, each owned by its package.
dpkg-deb -c "$report_deb" | awk '{ print substr($6, 2) }' > "$work/files.txt"
dpkg-deb -c "$window_deb" | awk '{ print substr($6, 2) }' >> "$work/files.txt"
sed 's|/$||' "$work/files.txt" | sort -u | grep -v '^$' > "$work/want.txt"
files_in "$upgrade" > "$work/got.txt"
diff -u "$work/want.txt" "$work/got.txt" >"$work/files.diff" ||
    fail "after the upgrade the root holds other files than the packages': $(cat "$work/files.diff")"
for owned in "/usr/bin/gapscope-report gapscope-report" "/usr/bin/gapscope gapscope" \
             "/usr/libexec/gapscope/gapscope-daily gapscope-report"; do
    read -r path package <<<"$owned"
    got=$(dpkg-query --admindir="$upgrade/var/lib/dpkg" -S "$path" | cut -d: -f1)
    [ "$got" = "$package" ] || fail "$path belongs to '$got' after the upgrade, not to $package"
done
# A host that drops the window: the command stays, whole.
dpkg --root="$upgrade" -P gapscope >/dev/null || fail "dpkg -P gapscope after the upgrade"
[ ! -e "$upgrade/usr/bin/gapscope" ] || fail "/usr/bin/gapscope left behind"
"$upgrade/usr/bin/gapscope-report" --version >/dev/null &&
    [ -x "$upgrade/usr/libexec/gapscope/gapscope-daily" ] ||
    fail "gapscope-report lost files when gapscope was purged"
dpkg --root="$upgrade" -P gapscope-report >/dev/null || fail "dpkg -P gapscope-report after the upgrade"
left=$(files_in "$upgrade")
[ -z "$left" ] || fail "left behind after the upgrade and the purge: $left"

if [ "$failed" -ne 0 ]; then
    echo "The package check failed." >&2
    exit 1
fi
echo "The package check passed."
