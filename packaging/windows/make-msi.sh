#!/usr/bin/env bash
# Builds the Windows installer gapscope-VERSION-x64.msi with wixl from a MinGW-w64 build: the
# programs (stripped), README, LICENSE, the licence of the pictures' font that the programs
# carry, and the daily task, and the folder on the system PATH.
# VERSION is the build's unless given (the upgrade tests build other versions of the same
# files). Prints the installer's path. Usage: make-msi.sh BUILD_DIR OUTPUT_DIR [VERSION]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
usage="usage: make-msi.sh BUILD_DIR OUTPUT_DIR [VERSION]"
build=${1:?$usage}
out=${2:?$usage}

inputs=$build/packaging/windows-installer.txt
if [ ! -f "$inputs" ]; then
    echo "make-msi.sh: $inputs not found: configure and build the Windows build first (make windows)" >&2
    exit 1
fi
declare -A input=()
while IFS='=' read -r key value; do input[$key]=$value; done <"$inputs"
version=${3:-${input[version]}}

# Windows Installer takes at most 255.255.65535 and compares only those three fields when
# it looks for an installed version; a fourth field is kept but never compared.
if ! [[ $version =~ ^([0-9]{1,5})\.([0-9]{1,5})\.([0-9]{1,5})(\.([0-9]{1,5}))?$ ]] ||
   ((10#${BASH_REMATCH[1]} > 255 || 10#${BASH_REMATCH[2]} > 255 || 10#${BASH_REMATCH[3]} > 65535 ||
     10#${BASH_REMATCH[5]:-0} > 65535)); then
    echo "make-msi.sh: '$version' is not a version an installer can carry (at most 255.255.65535.65535)" >&2
    exit 1
fi
for program in report simulate fontlicence ${input[window]:+window}; do
    if [ ! -f "${input[$program]}" ]; then
        echo "make-msi.sh: ${input[$program]} not found: build the Windows build first (make windows)" >&2
        exit 1
    fi
done

mkdir -p "$out"
out=$(cd "$out" && pwd)
stage=$(mktemp -d "$out/.stage.XXXXXX")
trap 'rm -rf "$stage"' EXIT

# The files under their installed names; texts with CR LF for Notepad, the task in UTF-16
# with a byte-order mark, the encoding in which the Task Scheduler reads task files.
strip=x86_64-w64-mingw32-strip
"$strip" -o "$stage/gapscope-report.exe" "${input[report]}"
"$strip" -o "$stage/gapscope-simulate.exe" "${input[simulate]}"
wixl_defines=(-D "Version=$version")
if [ -n "${input[window]:-}" ]; then
    "$strip" -o "$stage/gapscope.exe" "${input[window]}"
    wixl_defines+=(-D Window=1)
fi
sed 's/\r*$/\r/' "$src/README.md" >"$stage/README.txt"
sed 's/\r*$/\r/' "$src/LICENSE" >"$stage/LICENSE.txt"
sed 's/\r*$/\r/' "${input[fontlicence]}" >"$stage/DejaVu-LICENSE.txt"
{
    printf '\xff\xfe'
    sed -e '1s/encoding="UTF-8"/encoding="UTF-16"/' -e 's/\r*$/\r/' "$here/gapscope-task.xml" |
        iconv -f UTF-8 -t UTF-16LE
} >"$stage/gapscope-task.xml"

msi=$stage/gapscope.msi
if ! (cd "$stage" && wixl -a x64 "${wixl_defines[@]}" -o "$msi" "$here/gapscope.wxs") \
        >"$stage/wixl.log" 2>&1; then
    cat "$stage/wixl.log" >&2
    echo "make-msi.sh: wixl failed" >&2
    exit 1
fi

# What wixl 0.101 cannot say. The install folder at the end of the system PATH, removed on
# uninstall ("=-*": set, remove on uninstall, system-wide; "[~];" appends), with the two
# actions that apply it.
query() { msibuild "$msi" -q "$1"; }
query 'CREATE TABLE `Environment` (`Environment` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL LOCALIZABLE, `Value` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY KEY `Environment`)'
query "INSERT INTO \`Environment\` (\`Environment\`, \`Name\`, \`Value\`, \`Component_\`) VALUES ('GapscopePath', '=-*PATH', '[~];[INSTALLDIR]', 'Report')"
query "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveEnvironmentStrings', 3300)"
query "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteEnvironmentStrings', 5200)"
# Windows Installer compares only the first three version fields, so an installed product
# of the same three is replaced as well (513: migrate features, maximum included) rather
# than installed beside it. The key includes Attributes, hence delete and insert.
upgrade_code=$(msiinfo export "$msi" Property | tr -d '\r' | awk -F'\t' '$1 == "UpgradeCode" { print $2 }')
query "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'"
query "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')"

mv -f "$msi" "$out/gapscope-$version-x64.msi"
echo "$out/gapscope-$version-x64.msi"
