#!/usr/bin/env bash
# The shipped Nagios and NRPE definitions, read by the real programs: nagios4 -v accepts a
# configuration that includes nagios-gapscope.cfg beside Debian's own objects, and an NRPE
# daemon of the test's own (loopback, a free port) with the line of nrpe-gapscope.cfg answers
# the Nagios command line of the snippet with the check's own line and status.
# Usage: nagios_snippets_test.sh GAPSCOPE_REPORT GAPSCOPE_SIMULATE EXAMPLES_DIR
set -euo pipefail
report=$(realpath "$1") simulate=$2 examples=$(realpath "$3")
plugins=/usr/lib/nagios/plugins

for tool in nagios4 nrpe "$plugins/check_nrpe" python3; do
    command -v "$tool" >/dev/null || [ -x "$tool" ] ||
        { echo "SKIP: $tool not found (scripts/install-deps.sh installs it)" >&2; exit 77; }
done

work=$(mktemp -d)
nrpe_pid=
cleanup() {
    [ -z "$nrpe_pid" ] || kill "$nrpe_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# --- nagios4 -v ----------------------------------------------------------------------------
cat >"$work/hosts.cfg" <<'EOF'
define host {
    use        linux-server
    host_name  station-north
    address    127.0.0.1
}
EOF
echo "\$USER1\$=$plugins" >"$work/resource.cfg"
cat >"$work/nagios.cfg" <<EOF
cfg_dir=/etc/nagios-plugins/config
cfg_file=/etc/nagios4/objects/commands.cfg
cfg_file=/etc/nagios4/objects/contacts.cfg
cfg_file=/etc/nagios4/objects/timeperiods.cfg
cfg_file=/etc/nagios4/objects/templates.cfg
cfg_file=$work/hosts.cfg
cfg_file=$examples/nagios-gapscope.cfg
resource_file=$work/resource.cfg
log_file=$work/nagios.log
temp_path=$work
temp_file=$work/nagios.tmp
lock_file=$work/nagios.pid
status_file=$work/status.dat
object_cache_file=$work/objects.cache
precached_object_file=$work/objects.precache
check_result_path=$work
state_retention_file=$work/retention.dat
command_file=$work/nagios.cmd
nagios_user=$(id -un)
nagios_group=$(id -gn)
illegal_macro_output_chars=\`~\$&|'"<>
EOF
if ! nagios4 -v "$work/nagios.cfg" >"$work/nagios-v.log" 2>&1; then
    fail "nagios4 -v refuses the configuration:"; cat "$work/nagios-v.log" >&2
fi
for line in "Total Warnings: 0" "Total Errors:   0" "Checked 1 services."; do
    grep -qF "$line" "$work/nagios-v.log" || fail "nagios4 -v does not say '$line'"
done

# --- NRPE and check_nrpe --------------------------------------------------------------------
# A station that lost IR108 in the last hour of the day; the snippet's program and folder
# are the test's, its day that minute (--now) so that the line can be foreseen.
station=$work/station
"$simulate" "$station" --to 2024-03-01 --scenario clean --quiet \
    --inject channel@2024-03-01T23:00:9 --inject channel@2024-03-01T23:15:9
# NRPE started as root runs the check as its own account, which may not reach the build
# (a clone under /root or in a private temporary folder): the program goes where it can.
if [ "$(id -u)" -eq 0 ]; then
    cp "$report" "$work/gapscope-report"
    report=$work/gapscope-report
fi
chmod -R a+rX "$work"
sed -e "s|/usr/bin/gapscope-report|$report|" -e "s|/srv/station/logs|$station --now 2024-03-02T00:15|" \
    "$examples/nrpe-gapscope.cfg" >"$work/nrpe-gapscope.cfg"
grep -q "^command\[check_gapscope\]=$report $station --now " "$work/nrpe-gapscope.cfg" ||
    fail "nrpe-gapscope.cfg has no check_gapscope line of the expected form"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
{
    echo "pid_file=$work/nrpe.pid"
    echo "server_address=127.0.0.1"
    echo "server_port=$port"
    echo "allowed_hosts=127.0.0.1"
    echo "disable_syslog=1"
    echo "log_file=$work/nrpe.log"
    echo "command_timeout=60"
    if [ "$(id -u)" -eq 0 ]; then echo "nrpe_user=nagios"; echo "nrpe_group=nagios"; fi
    echo "include=$work/nrpe-gapscope.cfg"
} >"$work/nrpe.cfg"
nrpe -c "$work/nrpe.cfg" -f >"$work/nrpe.out" 2>&1 &
nrpe_pid=$!

# The Nagios command line of the snippet, its macros set as Nagios sets them.
command_line=$(awk '/command_name +check_nrpe_gapscope/ { found = 1 }
                    found && /command_line/ { sub(/^ *command_line +/, ""); print; exit }' \
               "$examples/nagios-gapscope.cfg")
[[ $command_line == *" -t 60 "* ]] || fail "check_nrpe does not wait 60 s: $command_line"
command_line=${command_line//'$USER1$'/$plugins}
command_line=${command_line//'$HOSTADDRESS$'/127.0.0.1}
want_status=0
want=$("$report" "$station" --now 2024-03-02T00:15 --check --day today --defaults) || want_status=$?
[[ $want == "GAPSCOPE WARNING - 2024-03-01 up to 23:45: IR108 missing from 23:00 to 23:15 (2 cycles), "* ]] ||
    fail "the check itself says: $want"
got= got_status=0
for _ in $(seq 1 50); do  # until the daemon listens, at most 10 s
    got_status=0
    # shellcheck disable=SC2086 # the command line is split into its words, as Nagios does
    got=$($command_line -p "$port" 2>&1) || got_status=$?
    [[ $got == *"Connection refused"* || $got == *"Could not connect"* ]] || break
    sleep 0.2
done
[ "$got" = "$want" ] || fail "through NRPE: '$got'; the check itself: '$want'"
[ "$got_status" -eq "$want_status" ] || fail "through NRPE status $got_status, the check's $want_status"

if [ "$failed" -ne 0 ]; then
    echo "--- nrpe"; cat "$work/nrpe.out" "$work/nrpe.log" 2>/dev/null || true
    exit 1
fi
echo "nagios4 -v accepts the definitions; NRPE passes the check's line and status ($want_status)"
