#!/usr/bin/env python3
"""Validates JSON Lines against docs/report.schema.json and checks that the sample reaches
every value of the schema's enumerations that documents can hold.

Usage: validate_report_json.py SCHEMA (COMMAND ... | --file FILE)
"""
import json
import subprocess
import sys

try:
    import jsonschema
except ImportError:
    print("SKIP: python3-jsonschema is not installed (scripts/install-deps.sh installs it)")
    sys.exit(77)


def documents(args):
    if args[0] == "--file":
        with open(args[1], encoding="utf-8") as f:
            return f.read().splitlines()
    out = subprocess.run(args, check=True, capture_output=True, text=True).stdout
    return out.splitlines()


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        schema = json.load(f)
    validator_class = jsonschema.validators.validator_for(schema)
    validator_class.check_schema(schema)
    validator = validator_class(schema)
    lines = documents(sys.argv[2:])
    if not lines:
        print("no documents")
        return 1

    seen = {k: set() for k in ("service", "kind", "reason", "within", "error", "segments")}
    bad = 0
    for number, line in enumerate(lines, 1):
        doc = json.loads(line)
        errors = sorted(validator.iter_errors(doc), key=lambda e: list(e.path))
        for error in errors[:3]:
            print(f"document {number} ({doc.get('day')}): {error.message} at {list(error.path)}")
        bad += bool(errors)
        seen["service"].add(doc["service"])
        if "error" in doc:
            seen["error"].add("error")
            continue
        items = doc["missing"] + doc["late"]
        for entry in doc["not_checked"]:
            seen["reason"].add(entry["reason"])
            items += entry["items"]
        for item in items:
            seen["kind"].add(item["kind"])
            seen["segments"].add("all" if item["segments"] == "all" else "list")
            if "within" in item:
                seen["within"].add(item["within"])

    # The schema is no sieve: a document spoilt in any of these ways fails it.
    sample = next(json.loads(line) for line in lines if "missing" in json.loads(line) and json.loads(line)["missing"])
    spoilers = {
        "unknown kind": lambda d: d["missing"][0].update(kind="satellite"),
        "segments neither all nor numbers": lambda d: d["missing"][0].update(segments="some"),
        "cycle not hhnn": lambda d: d["missing"][0].update(cycle="2400"),
        "member gone": lambda d: d.pop("summary"),
        "member added": lambda d: d.update(extra=1),
        "unknown reason": lambda d: d["not_checked"].append({"reason": "tired", "text": None, "items": []}),
        "option not 0/1": lambda d: d["options"].update(ReportIncludeLRIT=True),
    }
    for name, spoil in spoilers.items():
        spoilt = json.loads(json.dumps(sample))
        spoil(spoilt)
        if validator.is_valid(spoilt):
            print(f"the schema accepts a document with {name}")
            bad += 1

    defs = schema["$defs"]
    wanted = {
        "service": set(defs["heading"]["properties"]["service"]["enum"]),
        "kind": set(defs["kind"]["enum"]),
        "reason": set(defs["report"]["properties"]["not_checked"]["items"]["properties"]["reason"]["enum"]),
        "within": set(defs["item"]["properties"]["within"]["enum"]),
        "error": {"error"},
        "segments": {"all", "list"},
    }
    unreached = {k: sorted(wanted[k] - seen[k]) for k in wanted if wanted[k] - seen[k]}
    print(f"{len(lines)} documents, {bad} not valid")
    if unreached:
        print(f"the sample never reaches: {unreached}")
    return 1 if bad or unreached else 0


if __name__ == "__main__":
    sys.exit(main())
