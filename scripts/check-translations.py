#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Fails when a catalogue is incomplete: a text of the sources it lacks or has unfinished, an
entry whose source text is gone, or a translation whose %1-style arguments differ from its
source's. With --lupdate the catalogues are first brought up to date with the sources in a
scratch copy, so a text added to the sources and never translated is caught too.

check-translations.py [--lupdate LUPDATE -- LUPDATE_ARGUMENTS... --] CATALOGUE.ts...
check-translations.py --xgettext XGETTEXT -- XGETTEXT_ARGUMENTS... -- CATALOGUE.po...
The second form checks the command-line tool's gettext catalogues against the texts xgettext
finds in the sources.
"""
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

ARGUMENT = re.compile(r"%L?(\d{1,2})")


def arguments(text):
    return sorted(set(ARGUMENT.findall(text or "")))


def problems_of(catalogue):
    problems = []
    for context in ET.parse(catalogue).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source")
            translation = message.find("translation")
            kind = translation.get("type") if translation is not None else "missing"
            where = f"{name}: {source!r}"
            if kind in ("vanished", "obsolete"):
                problems.append(f"no longer in the sources: {where}")
            elif kind == "unfinished" or translation is None or not (translation.text or "").strip():
                problems.append(f"not translated: {where}")
            elif arguments(source) != arguments(translation.text):
                problems.append(
                    f"arguments {arguments(translation.text)} instead of {arguments(source)}: {where}"
                )
    return problems


def po_entries(text):
    """msgid -> (msgstr, fuzzy) of a .po or .pot file; the header left out."""
    entries = {}
    for block in re.split(r"\n\s*\n", text):
        fuzzy = "#, fuzzy" in block or re.search(r"^#,.*\bfuzzy\b", block, re.M) is not None
        parts = {"msgid": "", "msgstr": ""}
        current = None
        for line in block.splitlines():
            keyword = re.match(r"(msgid|msgstr)\s+(\".*\")$", line)
            if keyword:
                current = keyword.group(1)
                parts[current] = eval(keyword.group(2))  # a C string literal, as Python reads it
            elif current and line.startswith('"'):
                parts[current] += eval(line)
        if parts["msgid"]:
            entries[parts["msgid"]] = (parts["msgstr"], fuzzy)
    return entries


def po_problems(catalogue, folder, xgettext, xgettext_arguments):
    template = Path(folder) / "sources.pot"
    subprocess.run([xgettext, *xgettext_arguments, "-o", str(template)], check=True)
    wanted = po_entries(template.read_text(encoding="utf-8")) if template.exists() else {}
    have = po_entries(Path(catalogue).read_text(encoding="utf-8"))
    problems = [f"no longer in the sources: {source!r}" for source in have if source not in wanted]
    for source in wanted:
        translation, fuzzy = have.get(source, ("", False))
        if fuzzy or not translation.strip():
            problems.append(f"not translated: {source!r}")
        elif arguments(source) != arguments(translation):
            problems.append(f"arguments {arguments(translation)} instead of {arguments(source)}: {source!r}")
    return problems


def refreshed_copy(catalogue, folder, lupdate, lupdate_arguments):
    copy = Path(folder) / Path(catalogue).name
    shutil.copyfile(catalogue, copy)
    subprocess.run([lupdate, *lupdate_arguments, "-ts", str(copy)], check=True,
                   stdout=subprocess.DEVNULL)
    return copy


def main(argv):
    lupdate, lupdate_arguments = None, []
    if argv[:1] == ["--xgettext"]:
        end = argv.index("--", 3)
        xgettext, xgettext_arguments, catalogues = argv[1], argv[3:end], argv[end + 1:]
        failed = False
        with tempfile.TemporaryDirectory() as folder:
            for catalogue in catalogues:
                for problem in po_problems(catalogue, folder, xgettext, xgettext_arguments):
                    print(f"{Path(catalogue).name}: {problem}")
                    failed = True
        return 1 if failed else 0
    if argv[:1] == ["--lupdate"]:
        end = argv.index("--", 3)
        lupdate, lupdate_arguments, argv = argv[1], argv[3:end], argv[end + 1:]
    if not argv:
        print("no catalogue given", file=sys.stderr)
        return 2
    failed = False
    with tempfile.TemporaryDirectory() as folder:
        for catalogue in argv:
            checked = refreshed_copy(catalogue, folder, lupdate, lupdate_arguments) if lupdate else catalogue
            problems = problems_of(checked)
            for problem in problems:
                print(f"{Path(catalogue).name}: {problem}")
            failed |= bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
