#!/usr/bin/env bash
# The shipped Icinga 2 definitions, read by the real program. A master's configuration with
# the agent's endpoint and zone (icinga2-zones.conf), the CheckCommand in the global zone and
# the service in the master's zone (zones.d) passes icinga2 daemon -C, and the objects land
# in those zones. An Icinga of the test's own, standing for the agent, runs the CheckCommand
# on a simulated station: state and output are the check's own. Icinga's parser keeps every
# default threshold of the performance data.
# Usage: icinga_snippets_test.sh GAPSCOPE_REPORT GAPSCOPE_SIMULATE EXAMPLES_DIR
set -euo pipefail
report=$(realpath "$1") simulate=$2 examples=$(realpath "$3")

command -v icinga2 >/dev/null ||
    { echo "SKIP: icinga2 not found (scripts/install-deps.sh installs it)" >&2; exit 77; }

work=$(mktemp -d)
icinga_pid=
cleanup() {
    [ -z "$icinga_pid" ] || kill "$icinga_pid" 2>/dev/null || true
    [ -z "$icinga_pid" ] || wait "$icinga_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# Icinga's folders in the test's own, run as the test's account.
folders() { # DIR: makes them and sets `defines` to name them
    mkdir -p "$1"/{zones.d,data,cache,log,spool,run/icinga2}
    defines=(-DZonesDir="$1/zones.d" -DDataDir="$1/data" -DCacheDir="$1/cache" -DLogDir="$1/log"
             -DSpoolDir="$1/spool" -DInitRunDir="$1/run" -DRunAsUser="$(id -un)"
             -DRunAsGroup="$(id -gn)")
}

# --- the master: icinga2 daemon -C ----------------------------------------------------------
master=$work/master
folders "$master"
mkdir -p "$master/zones.d/global-templates" "$master/zones.d/master"
cp "$examples/icinga2-command.conf" "$master/zones.d/global-templates/gapscope.conf"
cp "$examples/icinga2-service.conf" "$master/zones.d/master/gapscope.conf"
cat >"$master/icinga2.conf" <<EOF
const PluginDir = "/usr/lib/nagios/plugins"
const NodeName = "master"
include <itl>
include <plugins>
object Endpoint "master" { }
object Zone "master" { endpoints = [ "master" ] }
object Zone "global-templates" { global = true }
include "$examples/icinga2-zones.conf"
EOF
if ! icinga2 daemon -C -c "$master/icinga2.conf" "${defines[@]}" >"$work/validate.log" 2>&1; then
    fail "icinga2 daemon -C refuses the configuration:"; cat "$work/validate.log" >&2
fi
grep -q 'Instantiated 1 Service' "$work/validate.log" || fail "icinga2 daemon -C made no service"
# Where each object landed, from the objects file that the validation wrote.
attribute() { # TYPE NAME ATTRIBUTE: its value as icinga2 object list prints it
    icinga2 object list --type "$1" --name "$2" "${defines[@]}" | sed -n "s/^  \* $3 = //p"
}
[ "$(attribute CheckCommand gapscope zone)" = '"global-templates"' ] ||
    fail "the CheckCommand is not in the global zone"
[ "$(attribute CheckCommand gapscope command)" = '[ "/usr/bin/gapscope-report", "--check", "--defaults" ]' ] ||
    fail "the CheckCommand runs $(attribute CheckCommand gapscope command)"
[ "$(attribute Service 'station-north!gapscope' zone)" = '"master"' ] ||
    fail "the service is not in the master's zone"
[ "$(attribute Service 'station-north!gapscope' command_endpoint)" = '"station-north"' ] ||
    fail "the service's command endpoint is not the host's"
[ "$(attribute Zone station-north parent)" = '"master"' ] || fail "the agent's zone is no child of the master's"

# --- the agent's part: the CheckCommand run by Icinga ---------------------------------------
station=$work/station
"$simulate" "$station" --to 2024-03-01 --scenario clean --quiet --inject channel@2024-03-01T06:00:9
agent=$work/agent
folders "$agent"
sed "s|/usr/bin/gapscope-report|$report|" "$examples/icinga2-command.conf" >"$agent/command.conf"
cat >"$agent/icinga2.conf" <<EOF
include <itl>
include "command.conf"
object CheckerComponent "checker" { }
object PerfdataWriter "perfdata" {
  service_perfdata_path = "$agent/perfdata/service"
  service_temp_path = "$agent/perfdata-temp/service"
  host_perfdata_path = "$agent/perfdata/host"
  host_temp_path = "$agent/perfdata-temp/host"
  service_format_template = "\$service.state\$|\$service.output\$|\$service.perfdata\$"
  rotation_interval = 1s
}
object Host "station-north" { check_command = "dummy" }
object Service "gapscope" {
  host_name = "station-north"
  check_command = "gapscope"
  check_interval = 1s
  vars.gapscope_folder = "$station"
  vars.gapscope_day = "2024-03-01"
  vars.gapscope_options = [ "ReportIncludeLRIT=1", "ReportIncludeMPEF=0" ]
  vars.gapscope_warning = [ "missing_segments=50" ]
}
EOF
mkdir -p "$agent/perfdata" "$agent/perfdata-temp"
want=$("$report" "$station" --check --defaults --day 2024-03-01 --set ReportIncludeLRIT=1 \
           --set ReportIncludeMPEF=0 --warning missing_segments=50) && want_state=OK || want_state=$?
case $want_state in 1) want_state=WARNING ;; 2) want_state=CRITICAL ;; 3) want_state=UNKNOWN ;; esac
[[ $want == "GAPSCOPE WARNING - 2024-03-01: IR108 missing at 06:00 | "*";50;;0 "* ]] ||
    fail "the check itself says: $want"
icinga2 daemon -c "$agent/icinga2.conf" "${defines[@]}" >"$work/agent.log" 2>&1 &
icinga_pid=$!
got=
for _ in $(seq 1 100); do  # the first check, at most 20 s
    got=$(cat "$agent"/perfdata/service.* 2>/dev/null | head -n 1 || true)
    [ -z "$got" ] || break
    sleep 0.2
done
# Icinga splits the line at " | ", the output keeping its blank.
[ "$got" = "$want_state|${want%% | *} |${want#* | }" ] ||
    fail "Icinga's result: '$got'; the check's: '$want_state|$want'"

# --- Icinga's parser keeps the default thresholds -------------------------------------------
# (A range such as @1: would come back as null, empty here.)
data=${want#* | }
items=$(printf '"%s", ' $data)
parsed=$(icinga2 console -e "var out = []; for (p in [ ${items%, } ]) {
    var v = parse_performance_data(p); out.add(v.label + \" \" + v.warn + \" \" + v.crit) }; out.join(\";\")" 2>&1)
for item in $data; do
    label=${item%%=*} thresholds=${item#*;}
    warn=${thresholds%%;*} rest=${thresholds#*;} crit=${rest%%;*}
    expected="$label $warn $crit"
    [[ ";${parsed//\"/};" == *";$expected;"* ]] || fail "Icinga parses $item otherwise: $parsed"
done

if [ "$failed" -ne 0 ]; then
    echo "--- agent log"; cat "$work/agent.log"
    exit 1
fi
echo "icinga2 daemon -C accepts the definitions; Icinga runs the check and keeps its thresholds"
