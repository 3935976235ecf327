#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks `zentrofastctl kernel plan --json` or `kernel status --json` on standard input against
the documented schema: every field present, nothing else, each of its type, and the facts that tie
fields together. Further arguments FIELD:SETTING=JSON name values an entry must hold.
Usage: kernel_json_check.py plan|status [FIELD:SETTING=JSON ...]"""
import json
import sys

WARNING_KINDS = {"ipv6_loss", "throughput_cap", "link_bounce", "boot_override"}
PERSISTENCE = {"sysctl_d", "network_manager", "link_file", "runtime_only", None}
OUTCOMES = {"kept", "reverted", "partly_reverted", "not_reverted"}


def fail(message):
    sys.exit("kernel JSON: " + message)


def is_int(value):
    return isinstance(value, int) and not isinstance(value, bool)


def check_value(value, where, nullable):
    if value is None:
        if not nullable:
            fail(where + " is null")
        return
    if is_int(value):
        return
    if isinstance(value, list) and value and all(is_int(v) for v in value):
        return
    if isinstance(value, str):
        if all(word.lstrip("-").isdigit() for word in value.split()):
            fail(where + " holds numbers as text: " + repr(value))
        return
    fail(where + " is neither a number, a list of numbers nor text: " + repr(value))


def check_object(value, fields, where):
    if not isinstance(value, dict):
        fail(where + " is not an object")
    if set(value) != set(fields):
        fail("%s has fields %s, the schema %s" % (where, sorted(value), sorted(fields)))
    for name, kind in fields.items():
        if kind is not None and not isinstance(value[name], kind):
            fail("%s.%s is %r" % (where, name, value[name]))


def check_plan(plan):
    check_object(plan, {"changes": list, "changes_anything": bool, "warnings": list, "notes": list,
                        "plan_hash": str}, "plan")
    if not plan["plan_hash"]:
        fail("plan_hash is empty")
    for i, change in enumerate(plan["changes"]):
        where = "changes[%d]" % i
        check_object(change, {"key": str, "setting": str, "now": None, "after": None, "changes": bool,
                              "note": (str, type(None))}, where)
        check_value(change["now"], where + ".now", True)
        check_value(change["after"], where + ".after", False)
        if change["changes"] != (change["now"] != change["after"]):
            fail(where + ".changes does not say whether now differs from after")
    if plan["changes_anything"] != any(c["changes"] for c in plan["changes"]):
        fail("changes_anything disagrees with the changes")
    for i, warning in enumerate(plan["warnings"]):
        check_object(warning, {"kind": str, "text": str}, "warnings[%d]" % i)
        if warning["kind"] not in WARNING_KINDS:
            fail("unknown warning kind " + warning["kind"])
    if not all(isinstance(note, str) for note in plan["notes"]):
        fail("a note is not text")
    return plan["changes"]


def check_status(status):
    check_object(status, {"settings": list, "history": list, "last_apply_time": (int, type(None))}, "status")
    for i, setting in enumerate(status["settings"]):
        where = "settings[%d]" % i
        check_object(setting, {"key": str, "setting": str, "original": None, "managed": None, "live": None,
                               "drifted": bool, "persisted": None, "overridden_at_boot_by": (str, type(None))}, where)
        check_value(setting["original"], where + ".original", True)
        check_value(setting["managed"], where + ".managed", False)
        check_value(setting["live"], where + ".live", True)
        if setting["drifted"] != (setting["live"] != setting["managed"]):
            fail(where + ".drifted does not say whether live differs from managed")
        if setting["persisted"] not in PERSISTENCE:
            fail(where + ".persisted is " + repr(setting["persisted"]))
    kept_times = []
    for i, entry in enumerate(status["history"]):
        check_object(entry, {"id": str, "time": (int, type(None)), "user": str, "backup": (str, type(None)),
                             "outcome": str, "not_restored": (str, type(None))}, "history[%d]" % i)
        if (entry["not_restored"] is None) == (entry["outcome"] == "partly_reverted"):
            fail("history[%d].not_restored does not go with its outcome" % i)
        if entry["outcome"] not in OUTCOMES:
            fail("history[%d].outcome is %r" % (i, entry["outcome"]))
        if entry["outcome"] == "kept":
            kept_times.append(entry["time"])
    if status["last_apply_time"] != (kept_times[-1] if kept_times else None):
        fail("last_apply_time is not the newest kept transaction's time")
    return status["settings"]


def main():
    if len(sys.argv) < 2 or sys.argv[1] not in ("plan", "status"):
        sys.exit(__doc__)
    document = json.load(sys.stdin)
    entries = check_plan(document) if sys.argv[1] == "plan" else check_status(document)
    by_setting = {entry["setting"]: entry for entry in entries}
    for expectation in sys.argv[2:]:
        field, rest = expectation.split(":", 1)
        setting, value = rest.rsplit("=", 1)
        if setting not in by_setting:
            fail("no entry for " + setting)
        if by_setting[setting][field] != json.loads(value):
            fail("%s.%s is %r, expected %s" % (setting, field, by_setting[setting][field], value))
    print("kernel JSON: %s with %d entries matches the schema" % (sys.argv[1], len(entries)))


main()
