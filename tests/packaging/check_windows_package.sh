#!/usr/bin/env bash
# Checks the Windows installer: its tables (msiinfo), the daily task against the schema of
# what it uses, and under Wine, in a fresh prefix, what an operator does with it: install,
# run the installed programs and the task's command, upgrade to a newer version, be refused
# an older one, uninstall. Every Wine process runs under timeout.
# Usage: check_windows_package.sh BUILD_DIR MSI
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
build=$(cd "${1:?usage: check_windows_package.sh BUILD_DIR MSI}" && pwd)
msi=$(realpath "${2:?usage: check_windows_package.sh BUILD_DIR MSI}")
started=$SECONDS
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
step() { echo "--- $* ($((SECONDS - started)) s)"; }

declare -A input=()
while IFS='=' read -r key value; do input[$key]=$value; done <"$build/packaging/windows-installer.txt"
version=${input[version]}
window=${input[window]:+yes}

# Other versions of the same files: the next build (the last field one higher; of four
# fields Windows Installer does not compare the last, so the upgrade must include the
# installed version), and an older one (lower in the first three, which it compares).
IFS=. read -r -a field <<<"$version"
newer=$(IFS=.; echo "${field[*]:0:${#field[@]}-1}").$((field[-1] + 1))
older=
for i in 2 1 0; do
    if ((field[i] > 0)); then
        lower=("${field[@]:0:3}")
        lower[i]=$((field[i] - 1))
        older=$(IFS=.; echo "${lower[*]}")
        break
    fi
done
[ -n "$older" ] || { echo "no older version than $version to test with" >&2; exit 1; }

work=$build/installer-test
rm -rf "$work"
mkdir -p "$work"

# msiinfo export writes CR LF.
table() { msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4; }
step "installer $(basename "$msi"), $(du -k "$msi" | cut -f1) KiB: tables"
for name in Upgrade Shortcut Environment; do
    echo "$name:"
    table "$name" | sed 's/^/  /'
done
# has_row TABLE CONDITION: a row of TABLE meets the awk CONDITION (fields $1...).
has_row() { table "$1" | awk -F'\t' -v code="$upgrade_code" -v v="$version" "$2 { found = 1 } END { exit !found }"; }
upgrade_code=$(table Property | awk -F'\t' '$1 == "UpgradeCode" { print $2 }')
has_row Upgrade '$1 == code && $2 == "" && $3 == v && $5 == 513 && $7 == "WIX_UPGRADE_DETECTED"' ||
    fail "Upgrade: no row that replaces an installed version up to $version, this one included"
has_row Upgrade '$1 == code && $2 == v && $3 == "" && $5 == 2 && $7 == "WIX_DOWNGRADE_DETECTED"' ||
    fail "Upgrade: no row that detects a newer installed version than $version"
has_row Environment '$2 == "=-*PATH" && $3 == "[~];[INSTALLDIR]" && $4 == "Report"' ||
    fail "Environment: the install folder is not appended to the system PATH"
shortcuts=$(table Shortcut)
if [ -n "$window" ]; then
    has_row Shortcut '$2 == "ProgramMenuFolder" && $5 == "[#WindowExe]" && $12 == "INSTALLDIR"' ||
        fail "Shortcut: no Start-menu shortcut to the window that starts in the install folder"
else
    [ -z "$shortcuts" ] || fail "Shortcut: a shortcut, but the build has no window: $shortcuts"
fi

step "the two other versions: $newer and $older"
installers=$work/installers
mkdir -p "$installers"
for other in "$newer" "$older"; do
    bash "$src/packaging/windows/make-msi.sh" "$build" "$installers" "$other" >/dev/null
done
cp "$msi" "$installers/"

step "a fresh Wine prefix"
prefix=$work/wineprefix
bash "$src/scripts/make-wine-prefix.sh" "$prefix" >/dev/null
ln -sfn "$installers" "$prefix/drive_c/installers"
# No menu entries or file associations for this desktop from the shortcuts made inside.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
       XDG_DATA_HOME=$work/xdg-data XDG_CONFIG_HOME=$work/xdg-config
unset DISPLAY WAYLAND_DISPLAY
trap 'wineserver -k 2>/dev/null || true' EXIT
# Wine turns a drive C: folder's path into Z:\..., so the programs start from C:.
cd "$prefix/drive_c"

# wine [ARG...] under a time limit; its own messages go to the work folder's log. Wine
# passes on only the low 8 bits of an exit status (1603 arrives as 67).
wine_run() { timeout 120 wine "$@" 2>>"$work/wine-stderr.log"; }
msi_run() { # ACTION INSTALLER LOG
    local status=0
    wine_run msiexec "$1" "C:\\installers\\$2" /qn /l*v "C:\\installers\\$3" || status=$?
    echo "$status"
}
reg_value() { # KEY NAME: the value's data
    wine_run reg query "$1" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
system_path() { reg_value 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' PATH; }
# "NAME VERSION" of each installed Gapscope, one line each.
installed() {
    wine_run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | tr -d '\r' |
        awk '/^HKEY/ { name = ""; version = "" }
             $1 == "DisplayName" { name = $3 } $1 == "DisplayVersion" { version = $3 }
             name == "Gapscope" && version != "" { print name, version; name = "" }'
}
folder="$prefix/drive_c/Program Files/Gapscope"
install_dir='C:\Program Files\Gapscope\'
files=(gapscope-report.exe gapscope-simulate.exe README.txt LICENSE.txt DejaVu-LICENSE.txt
       gapscope-task.xml)
[ -z "$window" ] || files+=(gapscope.exe)
shortcuts() { find "$prefix/drive_c" -name 'Gapscope.lnk'; }
in_path() { # COUNT: the install folder is that many times in the system PATH
    local n
    n=$(system_path | tr ';' '\n' | grep -cxF "$install_dir" || true)
    [ "$n" -eq "$1" ] || fail "$2: the install folder is $n times in PATH ($(system_path))"
}

step "install $version"
status=$(msi_run /i "$(basename "$msi")" install.log)
[ "$status" -eq 0 ] || fail "install: msiexec ended with $status (log: $installers/install.log)"
for file in "${files[@]}"; do
    [ -f "$folder/$file" ] || fail "install: $file is not in the install folder"
done
[ "$(installed)" = "Gapscope $version" ] || fail "install: installed programs list: $(installed)"
in_path 1 install
if [ -n "$window" ]; then
    # The shortcut holds its target's path and, in UTF-16, its working folder.
    link=$(shortcuts)
    { [ -n "$link" ] && strings -a "$link" | grep -qxF "${install_dir}gapscope.exe" &&
      strings -a -e l "$link" | grep -qxF "$install_dir"; } ||
        fail "install: no Start-menu shortcut to the window that starts in the install folder"
fi

step "the installed programs, found through PATH"
got=$(wine_run cmd /c gapscope-report --version | tr -d '\r') || true
[ "$got" = "gapscope-report $version" ] || fail "gapscope-report --version through PATH: '$got'"
wine_run cmd /c gapscope-simulate 'C:\station' --days 2 --scenario typical --quiet ||
    fail "gapscope-simulate did not make a station"
# Pictures with the font built into the program, PNG and SVG.
for picture in day.png day.svg; do
    wine_run cmd /c gapscope-report 'C:\station' --picture "C:\\$picture" >/dev/null &&
        [ -s "$prefix/drive_c/$picture" ] || fail "gapscope-report --picture $picture through PATH"
done

step "the daily task as installed"
task=$folder/gapscope-task.xml
xmllint --noout --schema "$here/windows_task.xsd" "$task" 2>"$work/xmllint.log" ||
    fail "the installed task does not pass its schema: $(cat "$work/xmllint.log")"
# The check must catch a start in local time and an action without its program.
iconv -f UTF-16 -t UTF-8 "$task" | sed '1s/"UTF-16"/"UTF-8"/' >"$work/task.xml"
sed 's/Z<\/StartBoundary>/<\/StartBoundary>/' "$work/task.xml" >"$work/task-local-time.xml"
sed '/<Command>/d' "$work/task.xml" >"$work/task-no-command.xml"
for broken in task-local-time task-no-command; do
    ! xmllint --noout --schema "$here/windows_task.xsd" "$work/$broken.xml" 2>/dev/null ||
        fail "the schema check passes $broken.xml"
done
# The task's command on the simulated station, from a batch file as the Task Scheduler would
# start it (the folder in its arguments changed to the station's; %ProgramFiles% expanded).
xpath() { xmllint --xpath "string(//*[local-name()='$1'])" "$work/task.xml"; }
arguments=$(xpath Arguments | sed 's/^"[^"]*"/"C:\\station"/')
printf '@"%s" %s\r\n' "$(xpath Command)" "$arguments" >"$prefix/drive_c/daily-task.bat"
status=0
output=$(wine_run cmd /c 'C:\daily-task.bat' | tr -d '\r') || status=$?
reports=("$prefix"/drive_c/station/????-??-??-missing-segments.txt)
{ [ "$status" -eq 0 ] && [ -z "$output" ] && [ -f "${reports[0]}" ]; } ||
    fail "the task's command ($(xpath Command) $arguments): status $status, output '$output', no report saved"
if [ -n "$window" ]; then
    rm -f "${reports[@]}"
    status=0
    wine_run "${install_dir}gapscope.exe" 'C:\station' -s >"$work/window-output.log" || status=$?
    reports=("$prefix"/drive_c/station/????-??-??-missing-segments.txt)
    { [ "$status" -eq 0 ] && [ -f "${reports[0]}" ]; } ||
        fail "gapscope.exe C:\\station -s: status $status, no report saved"
    # Its failures reach the Application event log in its own words. Wine keeps no event
    # log: it shows what would be logged among its own messages.
    events='HKLM\System\CurrentControlSet\Services\EventLog\Application\Gapscope'
    [ "$(reg_value "$events" EventMessageFile)" = "${install_dir}gapscope.exe" ] ||
        fail "install: the event source Gapscope does not name the window's messages"
    status=0
    logged=$(WINEDEBUG=-all,err+eventlog timeout 120 wine "${install_dir}gapscope.exe" 'C:\statoin' -s 2>&1 |
             tr -d '\r') || status=$?
    [ "$status" -eq 4 ] && grep -qF 'err:eventlog:ReportEventW L"gapscope: no such folder: C:\\statoin"' <<<"$logged" ||
        fail "gapscope.exe C:\\statoin -s: nothing in the event log: $logged"
fi

step "upgrade to $newer"
status=$(msi_run /i "gapscope-$newer-x64.msi" upgrade.log)
[ "$status" -eq 0 ] || fail "upgrade: msiexec ended with $status (log: $installers/upgrade.log)"
[ "$(installed)" = "Gapscope $newer" ] || fail "upgrade: installed programs list: $(installed)"
# Wine removes the old entry's text but not its ';' (Windows removes both), and its cmd ends
# the PATH search at an empty entry: count the folder here; it was run through PATH above.
in_path 1 upgrade
for file in "${files[@]}"; do
    [ -f "$folder/$file" ] || fail "upgrade: $file is not in the install folder"
done
[ -z "$window" ] || [ "$(shortcuts | wc -l)" -eq 1 ] || fail "upgrade: shortcuts: $(shortcuts)"
got=$(wine_run "${install_dir}gapscope-report.exe" --version | tr -d '\r') || true
[ "$got" = "gapscope-report $version" ] || fail "upgrade: gapscope-report --version: '$got'"

step "refuse $older"
status=$(msi_run /i "gapscope-$older-x64.msi" downgrade.log)
# 1603, the launch condition's failure (67 through Wine), for having found the newer one.
{ [ "$status" -eq 67 ] || [ "$status" -eq 1603 ]; } &&
    grep -q '^Property(S): WIX_DOWNGRADE_DETECTED = {' "$installers/downgrade.log" ||
    fail "downgrade: msiexec ended with $status (log: $installers/downgrade.log)"
[ "$(installed)" = "Gapscope $newer" ] || fail "downgrade: installed programs list: $(installed)"
[ -f "$folder/gapscope-report.exe" ] || fail "downgrade: the installed programs are gone"

step "uninstall"
status=$(msi_run /x "gapscope-$newer-x64.msi" uninstall.log)
[ "$status" -eq 0 ] || fail "uninstall: msiexec ended with $status (log: $installers/uninstall.log)"
[ ! -e "$folder" ] || fail "uninstall: left $(ls -A "$folder" | tr '\n' ' ')in the install folder"
[ -z "$(installed)" ] || fail "uninstall: installed programs list: $(installed)"
[ -z "$(shortcuts)" ] || fail "uninstall: left $(shortcuts)"
in_path 0 uninstall
[ -z "$window" ] || [ -z "$(reg_value "$events" EventMessageFile)" ] ||
    fail "uninstall: left the event source Gapscope"

if [ "$failed" -ne 0 ]; then
    echo "The Windows installer failed its checks; Wine's messages: $work/wine-stderr.log" >&2
    exit 1
fi
echo "Windows installer $(basename "$msi") checked in $((SECONDS - started)) s"
