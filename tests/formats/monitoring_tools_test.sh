#!/usr/bin/env bash
# gapscope-report's monitoring output read by the real tools: Prometheus's promtool checks
# the metrics and tests the example alerting rules, a node exporter of our own (own port, own folder, only its text-file
# collector) serves the files that --metrics-file wrote, and its scrape holds the values.
# The check's line and statuses as a monitoring system sees the process.
# Usage: monitoring_tools_test.sh GAPSCOPE_REPORT GAPSCOPE_SIMULATE
set -euo pipefail
report=$1 simulate=$2

for tool in promtool prometheus-node-exporter python3; do
    command -v "$tool" >/dev/null ||
        { echo "SKIP: $tool not found (scripts/install-deps.sh installs it)" >&2; exit 77; }
done

work=$(mktemp -d)
exporter_pid=
cleanup() {
    [ -z "$exporter_pid" ] || kill "$exporter_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# Three stations of a fleet, one per service, with the faults of an ordinary day and more.
"$simulate" "$work/north" --service prime --to 2024-03-01 --days 2 --scenario typical --seed 3 \
    --inject cycle@2024-03-01T12:00:2 --quiet
"$simulate" "$work/south" --service rapid --to 2024-03-01 --scenario bad-day --seed 4 --quiet
"$simulate" "$work/east" --service iodc --to 2017-02-01 --scenario typical --seed 5 --quiet
textfiles=$work/textfiles
mkdir "$textfiles"

# --- promtool -------------------------------------------------------------------------------
write_metrics() { # STATION NOW NAME: the metrics of the day before NOW
    "$report" "$work/$1" --defaults --now "$2" --format prometheus --station "$3" \
        --metrics-file "$textfiles/$1.prom"
}
write_metrics north 2024-03-02T06:00 North || fail "metrics of north"
write_metrics south 2024-03-02T06:00 'South "2"' || fail "metrics of south"
write_metrics east 2017-02-02T06:00 East || fail "metrics of east"
# A name that is not UTF-8, with a line end and an escape sequence in it: the file is still
# one the exposition format takes, and the node exporter serves it.
write_metrics north 2024-03-02T06:00 "$(printf 'North\xe9\n\x1b[1m')" || fail "metrics of a Latin-1 name"
mv "$textfiles/north.prom" "$textfiles/latin.prom"
write_metrics north 2024-03-02T06:00 North || fail "metrics of north"
for file in "$textfiles"/*.prom; do
    out=$(promtool check metrics < "$file" 2>&1) || fail "promtool check metrics $file: $out"
    [ -z "$out" ] || fail "promtool check metrics $file has remarks: $out"
done
# The current day, judged so far, passes too.
out=$("$report" "$work/north" --defaults --day today --now 2024-03-01T06:10 --format prometheus |
      promtool check metrics 2>&1) || fail "promtool check metrics (current day): $out"
[ -z "$out" ] || fail "promtool check metrics (current day) has remarks: $out"
ls -A "$textfiles" | grep -v '\.prom$' && fail "--metrics-file left other files behind"

# The example configuration and alerting rules load; the rules fire on what they are meant
# for, each tested.
examples=$(dirname "$0")/../../packaging/examples
rules_tests=("$(dirname "$0")"/gapscope_*alerts_test.yml)
out=$(promtool check config "$examples/prometheus.yml" 2>&1) || fail "promtool check config: $out"
out=$(promtool check rules "$examples/gapscope-alerts.yml" 2>&1) || fail "promtool check rules: $out"
out=$(promtool test rules "${rules_tests[@]}" 2>&1) || fail "promtool test rules ${rules_tests[*]}: $out"
for alert in $(sed -n 's/^ *- alert: //p' "$examples/gapscope-alerts.yml"); do
    grep -q "alertname: $alert\$" "${rules_tests[@]}" || fail "no test of $alert in ${rules_tests[*]}"
done

# --- node exporter --------------------------------------------------------------------------
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
prometheus-node-exporter --web.listen-address="127.0.0.1:$port" --collector.disable-defaults \
    --collector.textfile --collector.textfile.directory="$textfiles" >"$work/exporter.log" 2>&1 &
exporter_pid=$!

# Scrapes, then finds every sample of the files, by name and labels, with its value.
python3 - "$port" "$textfiles" <<'PY' || fail "the node exporter's scrape (above)"
import glob, re, sys, time, urllib.request

port, folder = sys.argv[1], sys.argv[2]
sample = re.compile(r'^([a-zA-Z_:][a-zA-Z0-9_:]*)(?:\{(.*)\})? (\S+)$')
label = re.compile(r'([a-zA-Z_][a-zA-Z0-9_]*)="((?:[^"\\]|\\.)*)"')

def samples(text):
    out = {}
    for line in text.splitlines():
        if line.startswith("#") or not line:
            continue
        m = sample.match(line)
        labels = frozenset(label.findall(m.group(2) or ""))
        out[(m.group(1), labels)] = float(m.group(3))
    return out

deadline = time.time() + 20
while True:
    try:
        scrape = urllib.request.urlopen(f"http://127.0.0.1:{port}/metrics", timeout=5).read().decode()
        break
    except OSError:
        if time.time() > deadline:
            sys.exit("the node exporter did not answer")
        time.sleep(0.2)

served = samples(scrape)
errors = []
if served.get(("node_textfile_scrape_error", frozenset())) != 0:
    errors.append("node_textfile_scrape_error is not 0")
files = sorted(glob.glob(folder + "/*.prom"))
for path in files:
    if not any(n == "node_textfile_mtime_seconds" and ("file", path) in l or
               n == "node_textfile_mtime_seconds" and ("file", path.split("/")[-1]) in l
               for n, l in served):
        errors.append(f"no node_textfile_mtime_seconds for {path}")
    written = samples(open(path).read())
    for key, value in written.items():
        if served.get(key) != value:
            errors.append(f"{path}: {key} = {value}, served {served.get(key)}")
stations = {v for n, l in served if n == "gapscope_missing_cycles" for k, v in l if k == "station"}
if stations != {"North", 'South \\"2\\"', "East", "North\ufffd??[1m"}:
    errors.append(f"stations served: {stations}")
north = ("gapscope_missing_cycles", frozenset({("station", "North"), ("gapscope_service", "prime")}))
if served.get(north, 0) < 2:
    errors.append(f"North's two injected missing cycles not served: {served.get(north)}")
for e in errors:
    print("FAIL:", e, file=sys.stderr)
print(f"node exporter on port {port}: {len(files)} files, {len(served)} samples scraped")
sys.exit(1 if errors else 0)
PY
[ "$failed" -eq 0 ] || { echo "--- exporter log"; cat "$work/exporter.log"; }

# --- the check as a process -----------------------------------------------------------------
check() { # EXPECTED_STATUS EXPECTED_START ARGUMENT...
    local want=$1 start=$2 status=0
    shift 2
    "$report" "$@" >"$work/out" 2>"$work/err" || status=$?
    [ "$status" -eq "$want" ] || fail "status $status, not $want: $*"
    [ "$(wc -l <"$work/out")" -eq 1 ] || fail "not one line: $* gives $(cat "$work/out")"
    [ ! -s "$work/err" ] || fail "standard error not empty: $* gives $(cat "$work/err")"
    [[ $(cat "$work/out") == "$start"* ]] || fail "'$(cat "$work/out")' does not start with '$start'"
}
"$simulate" "$work/clean" --to 2024-03-01 --scenario clean --quiet
check 0 "GAPSCOPE OK - 2024-03-01: nothing missing | missing_cycles=0;0;;0 " \
    "$work/clean" --check --defaults --day 2024-03-01
# Live after midnight: the day before, and a record too old.
check 2 "GAPSCOPE CRITICAL - 2024-03-01 up to 23:55: newest segment record " \
    "$work/clean" --check --defaults --day today --now 2024-03-02T01:05 --grace 70
check 3 "GAPSCOPE UNKNOWN - bad usage: unknown option: '--bogus'" "$work/clean" --check --bogus
check 3 "GAPSCOPE UNKNOWN - no history log in $textfiles/" "$textfiles" --check

if [ "$failed" -ne 0 ]; then
    exit 1
fi
echo "promtool, the node exporter and the check's statuses agree"
