#!/usr/bin/env python3
"""Validates the JSON output of `zeltool check` against editors/check.schema.json
and that of `zeltool lint` against editors/lint.schema.json, over every
end-to-end case, the example adventure and the traps; and compares check's
text output, standard error and exit status on each trap (a folder of sources
with `args` and the expected `stdout`, `stderr` and `status`) with what the
folder expects.

The validator knows the part of JSON Schema that the schemas use: type (one
or a list), enum, required, properties, additionalProperties false, items,
maxItems, minimum, maximum, minLength and pattern.
"""
import argparse
import json
import os
import re
import subprocess
import sys

JSON_TYPES = {
    "object": lambda v: isinstance(v, dict),
    "array": lambda v: isinstance(v, list),
    "string": lambda v: isinstance(v, str),
    "integer": lambda v: isinstance(v, int) and not isinstance(v, bool),
    "null": lambda v: v is None,
}
KNOWN = {"$schema", "$id", "title", "description", "type", "enum", "required", "properties",
         "additionalProperties", "items", "maxItems", "minimum", "maximum", "minLength", "pattern"}


def validate(value, schema, where="$"):
    """Returns the list of faults of value against schema."""
    unknown = set(schema) - KNOWN
    assert not unknown, f"the validator does not know {unknown}"
    faults = []
    types = schema.get("type")
    if types is not None:
        types = [types] if isinstance(types, str) else types
        if not any(JSON_TYPES[t](value) for t in types):
            return [f"{where}: {value!r} is not of type {types}"]
    if "enum" in schema and value not in schema["enum"]:
        faults.append(f"{where}: {value!r} not in {schema['enum']}")
    if isinstance(value, dict):
        for key in schema.get("required", []):
            if key not in value:
                faults.append(f"{where}: {key} missing")
        props = schema.get("properties", {})
        for key, item in value.items():
            if key in props:
                faults += validate(item, props[key], f"{where}.{key}")
            elif schema.get("additionalProperties") is False:
                faults.append(f"{where}: unexpected {key}")
    if isinstance(value, list) and "items" in schema:
        for i, item in enumerate(value):
            faults += validate(item, schema["items"], f"{where}[{i}]")
    if isinstance(value, list) and len(value) > schema.get("maxItems", len(value)):
        faults.append(f"{where}: more than {schema['maxItems']} items")
    if JSON_TYPES["integer"](value):
        if "minimum" in schema and value < schema["minimum"]:
            faults.append(f"{where}: {value} below {schema['minimum']}")
        if "maximum" in schema and value > schema["maximum"]:
            faults.append(f"{where}: {value} above {schema['maximum']}")
    if isinstance(value, str):
        if len(value) < schema.get("minLength", 0):
            faults.append(f"{where}: shorter than {schema['minLength']}")
        if "pattern" in schema and not re.search(schema["pattern"], value):
            faults.append(f"{where}: {value!r} does not match {schema['pattern']}")
    return faults


def check(zeltool, schema, directory, args):
    """Runs check in directory; returns its faults."""
    json_run = subprocess.run([zeltool, "check", *args, "--format=json"], cwd=directory, capture_output=True)
    text_run = subprocess.run([zeltool, "check", *args], cwd=directory, capture_output=True)
    try:
        document = json.loads(json_run.stdout.decode("utf-8"))
    except (UnicodeDecodeError, json.JSONDecodeError) as e:
        return [f"not JSON: {e}"]
    faults = validate(document, schema)
    if faults:
        return faults
    diagnostics = document["diagnostics"]
    errors = sum(d["severity"] == "error" for d in diagnostics)
    warnings = len(diagnostics) - errors
    if (errors, warnings) != (document["errors"], document["warnings"]):
        faults.append(f"counts {document['errors']}, {document['warnings']} for {errors}, {warnings} diagnostics")
    for d in diagnostics:
        if (d["number"] is None) != (d["severity"] == "warning"):
            faults.append(f"number {d['number']} with severity {d['severity']}")
        if d["line"] is None and (d["source"] is not None or d["column"] is not None):
            faults.append(f"line, column and source disagree: {d}")
        for item in [d] + d["notes"]:
            if (item["column"] is None) != (item["endColumn"] is None) or \
                    (item["column"] is not None and item["endColumn"] < item["column"]):
                faults.append(f"column and endColumn disagree: {item}")
    expected_status = 1 if errors else 0
    if json_run.returncode != expected_status or text_run.returncode != expected_status:
        faults.append(f"exit status {json_run.returncode} and {text_run.returncode}, expected {expected_status}")
    text_lines = text_run.stdout.decode("latin-1").splitlines()
    notes = sum(len(d["notes"]) for d in diagnostics)
    if len(text_lines) != len(diagnostics) + notes + 1 or text_lines[-1] != document["summary"]:
        faults.append("the text output does not hold the same diagnostics and summary")
    return faults


def lint(zeltool, schema, directory, args):
    """Runs lint in directory; returns its faults and how many findings it
    validated. With errors in the source lint prints check's document."""
    json_run = subprocess.run([zeltool, "lint", *args, "--format=json"], cwd=directory, capture_output=True)
    checked = subprocess.run([zeltool, "check", *args, "--format=json"], cwd=directory, capture_output=True)
    if checked.returncode == 2 or (json_run.returncode == 2 and b"usage:" in json_run.stderr):
        # nothing to lint, or arguments that are check's but not lint's (-C)
        return ([] if json_run.returncode == 2 and not json_run.stdout else ["lint printed a document"]), 0
    if json.loads(checked.stdout.decode("utf-8"))["errors"]:
        same = json_run.stdout == checked.stdout and json_run.returncode == 1
        return ([] if same else ["lint does not give check's document and status 1 for errors"]), 0
    try:
        document = json.loads(json_run.stdout.decode("utf-8"))
    except (UnicodeDecodeError, json.JSONDecodeError) as e:
        return [f"lint: not JSON: {e}"], 0
    faults = [f"lint: {fault}" for fault in validate(document, schema)]
    if faults:
        return faults, 0
    findings = document["diagnostics"]
    warnings = sum(d["severity"] == "warning" for d in findings)
    if (warnings, len(findings) - warnings) != (document["warnings"], document["infos"]):
        faults.append(f"lint: counts {document['warnings']}, {document['infos']} for {len(findings)} findings")
    if json_run.returncode != (1 if warnings else 0):
        faults.append(f"lint: exit status {json_run.returncode} with {warnings} warnings")
    text_run = subprocess.run([zeltool, "lint", *args], cwd=directory, capture_output=True)
    text_lines = text_run.stdout.decode("latin-1").splitlines()
    if text_lines != ([] if not findings else text_lines[:-1] + [document["summary"]]) or \
            len(text_lines) != len(findings) + (1 if findings else 0):
        faults.append("lint: the text output does not hold the same findings and summary")
    return faults, len(findings)


def read(path, default=""):
    if not os.path.exists(path):
        return default
    with open(path, encoding="latin-1") as f:
        return f.read()


def trap(zeltool, schema, folder):
    """Runs check on one trap; returns its faults."""
    args = read(os.path.join(folder, "args")).splitlines()
    run = subprocess.run([zeltool, "check", *args], cwd=folder, capture_output=True)
    faults = []
    for stream, got in (("stdout", run.stdout), ("stderr", run.stderr)):
        if got.decode("latin-1") != read(os.path.join(folder, stream)):
            faults.append(f"{stream} differs:\n{got.decode('latin-1')}")
    status = int(read(os.path.join(folder, "status"), "0"))
    if run.returncode != status:
        faults.append(f"exit status {run.returncode}, expected {status}")
    if status != 2:  # a usage failure prints no document
        faults += check(zeltool, schema, folder, args)
    return faults


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zeltool", required=True)
    parser.add_argument("--schema", required=True)
    parser.add_argument("--lint-schema", required=True)
    parser.add_argument("--cases", required=True)
    parser.add_argument("--example", required=True, help="path of the example adventure without .SCE")
    parser.add_argument("--traps", required=True, help="folder of the traps, one folder each")
    args = parser.parse_args()
    zeltool = os.path.abspath(args.zeltool)
    with open(args.schema, encoding="utf-8") as f:
        schema = json.load(f)
    with open(args.lint_schema, encoding="utf-8") as f:
        lint_schema = json.load(f)

    runs = [(os.path.dirname(args.example) or ".", [os.path.basename(args.example)])]
    for name in sorted(os.listdir(args.cases)):
        case = os.path.join(args.cases, name)
        with open(os.path.join(case, "args"), encoding="latin-1") as f:
            case_args = f.read().splitlines()
        if case_args:  # check needs a name, where the compiler reports its absence
            runs.append((os.path.join(case, "in"), case_args))
    traps = sorted(os.listdir(args.traps))
    for name in traps:
        folder = os.path.join(args.traps, name)
        runs.append((folder, read(os.path.join(folder, "args")).splitlines()))
    failed = findings = 0
    for directory, run_args in runs:
        is_trap = os.path.dirname(directory) == args.traps
        faults = trap(zeltool, schema, directory) if is_trap else check(zeltool, schema, directory, run_args)
        lint_faults, linted = lint(zeltool, lint_schema, directory, run_args)
        findings += linted
        for fault in faults + lint_faults:
            print(f"FAIL {directory}: {fault}")
            failed += 1
    if findings == 0:
        print("FAIL: lint found nothing anywhere, so its schema was not put to the test")
        failed += 1
    print(f"{len(runs) - len(traps)} runs and {len(traps)} traps, {findings} lint findings, {failed} faults")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
