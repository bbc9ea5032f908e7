#!/usr/bin/env bash
# A fleet watched as the shipped examples say, by the real servers on loopback. The metrics
# helper writes the live metrics of two simulated stations, one that lost a channel whole a
# while ago and a clean one, into the folder of a node exporter of the test's own; a
# Prometheus server of its own runs examples/prometheus.yml (its targets, Alertmanager and
# intervals made local and short) with the example rules. An alert without for: fires for
# the station that lost the channel and none for the clean one; the fleet queries answer.
# The stations receive up to the real clock, by which Prometheus judges.
# Usage: prometheus_fleet_test.sh REPORT_DIR SIMULATE HELPER EXAMPLES_DIR
set -euo pipefail
report_dir=$1 simulate=$2 helper=$3 examples=$4

for tool in prometheus prometheus-node-exporter python3; do
    command -v "$tool" >/dev/null ||
        { echo "SKIP: $tool not found (scripts/install-deps.sh installs it)" >&2; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# A cycle of the day that the live metrics judge (that of 90 minutes ago), long due.
lost_at=$(( ($(date -u +%s) - 90 * 60) / 900 * 900 ))
lost_cycle=$(date -u -d "@$lost_at" +%Y-%m-%dT%H:%M)
"$simulate" "$work/lost" --days 2 --until-now --scenario clean --inject "channel@$lost_cycle:9" --quiet
"$simulate" "$work/clean" --days 2 --until-now --scenario clean --quiet
mkdir "$work/textfiles"
for station in lost clean; do
    env PATH="$report_dir:$PATH" GAPSCOPE_DATA_DIR="$work/$station" GAPSCOPE_OPTIONS=--defaults \
        GAPSCOPE_METRICS_FILE="$work/textfiles/gapscope-$station.prom" "$helper" "$station"
done

exporter_port=$(free_port)
prometheus-node-exporter --web.listen-address="127.0.0.1:$exporter_port" --collector.disable-defaults \
    --collector.textfile --collector.textfile.directory="$work/textfiles" >"$work/exporter.log" 2>&1 &
pids+=($!)

# The shipped configuration, each change made exactly once; nothing listens on the
# Alertmanager's port.
cp "$examples/gapscope-alerts.yml" "$work/"
python3 - "$examples/prometheus.yml" "$work/prometheus.yml" "$exporter_port" "$(free_port)" <<'PY'
import sys
source, target, exporter, alertmanager = sys.argv[1:]
text = open(source).read()
for old, new in [("scrape_interval: 1m", "scrape_interval: 1s"),
                 ("evaluation_interval: 1m", "evaluation_interval: 1s"),
                 ("['localhost:9093']", f"['127.0.0.1:{alertmanager}']"),
                 ("['north.example.org:9100', 'south.example.org:9100', 'east.example.org:9100']",
                  f"['127.0.0.1:{exporter}']")]:
    if text.count(old) != 1:
        sys.exit(f"{source}: '{old}' is not there once")
    text = text.replace(old, new)
open(target, "w").write(text)
PY
prometheus_port=$(free_port)
prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/tsdb" \
    --web.listen-address="127.0.0.1:$prometheus_port" --log.level=warn >"$work/prometheus.log" 2>&1 &
pids+=($!)

status=0
python3 - "$prometheus_port" "$examples/fleet-queries.promql" <<'PY' || status=$?
import json, sys, time, urllib.parse, urllib.request

port, queries_file = sys.argv[1:]
base = f"http://127.0.0.1:{port}/api/v1/"

def get(path):
    with urllib.request.urlopen(base + path, timeout=5) as answer:
        return json.load(answer)["data"]

# Bounded: the server starts, scrapes and evaluates every second.
deadline = time.time() + 60
alerts = []
while time.time() < deadline:
    try:
        alerts = get("alerts")["alerts"]
        if any(a["labels"].get("alertname") == "GapscopeWholeChannelMissing" and
               a["labels"].get("station") == "lost" and a["state"] == "firing" for a in alerts):
            break
    except OSError:
        pass
    time.sleep(0.5)
else:
    sys.exit(f"FAIL: no GapscopeWholeChannelMissing firing for the station 'lost' in 60 s: {alerts}")
errors = []
# A second round of evaluations: still nothing for the clean station.
time.sleep(1.5)
alerts = get("alerts")["alerts"]
for alert in alerts:
    if "station" not in alert["labels"]:
        errors.append(f"an alert without its station: {alert}")
    if alert["labels"].get("station") == "clean":
        errors.append(f"an alert for the clean station: {alert}")
print("alerts:", sorted((a["labels"]["alertname"], a["labels"].get("station"), a["state"]) for a in alerts))

# Every query of the file answers; the two that must name something do.
queries = [line for line in open(queries_file).read().splitlines() if line and not line.startswith("#")]
results = {}
for query in queries:
    try:
        results[query] = get("query?" + urllib.parse.urlencode({"query": query}))["result"]
    except Exception as e:
        errors.append(f"query {query!r}: {e}")
def by(query_start, label):
    query = next(q for q in queries if q.startswith(query_start))
    return {r["metric"].get(label): float(r["value"][1]) for r in results.get(query, [])}
share = by("sum by (station) (gapscope_missing_segments", "station")
if not (share.get("lost", 0) > 0 and share.get("clean") == 0):
    errors.append(f"the share of the segments lost: {share}")
worst = by("topk(10", "channel")
if worst != {"IR108": 1}:
    errors.append(f"the channels lost the most: {worst}")
for e in errors:
    print("FAIL:", e, file=sys.stderr)
sys.exit(1 if errors else 0)
PY
if [ "$status" -ne 0 ]; then
    echo "--- prometheus log"; cat "$work/prometheus.log"
    echo "--- exporter log"; cat "$work/exporter.log"
    exit 1
fi
echo "Prometheus and the node exporter: the lost channel alerts, the clean station does not"
