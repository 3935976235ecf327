#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Fails when a text colour of the skin (a Qt style sheet) is below WCAG AA contrast, 4.5:1,
against a background it is drawn on: its own rule's, the one of the same element in a hover,
pressed or focus state, or, where the text has none of its own, each panel the screens draw.
Disabled controls are exempt, as WCAG allows.

check-skin-contrast.py SKIN_FILE
"""
import re
import sys

MINIMUM = 4.5
HEX = re.compile(r"#([0-9a-fA-F]{6})\b")
STATES = (":hover", ":pressed", ":focus", ":checked")


def rules(sheet):
    sheet = re.sub(r"/\*.*?\*/", "", sheet, flags=re.S)
    for selector, body in re.findall(r"([^{}]+)\{([^}]*)\}", sheet):
        declarations = {}
        for name, value in re.findall(r"([\w-]+)\s*:\s*([^;]+)", body):
            declarations[name.strip()] = value.strip()
        for one in selector.split(","):
            yield one.strip(), declarations


def solid(value):
    match = HEX.fullmatch(value or "")
    return match.group(1) if match else None


def luminance(colour):
    def channel(c):
        c = c / 255
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4

    r, g, b = (int(colour[i:i + 2], 16) for i in (0, 2, 4))
    return 0.2126 * channel(r) + 0.7152 * channel(g) + 0.0722 * channel(b)


def contrast(a, b):
    high, low = sorted((luminance(a), luminance(b)), reverse=True)
    return (high + 0.05) / (low + 0.05)


def pairs(sheet):
    """(selector, text, background) for every text colour and what it is drawn on."""
    table = list(rules(sheet))
    base = {}
    for selector, declarations in table:
        if not any(selector.endswith(state) for state in STATES):
            base.setdefault(selector, {}).update(declarations)
    panels = {solid(d.get("background")) for s, d in base.items()
              if "QGroupBox" in s and "::" not in s or s.endswith('[skinElement="controlForm"]')}
    panels.discard(None)
    for selector, declarations in table:
        if ":disabled" in selector or "::indicator" in selector:
            continue
        own = base.get(re.sub(r"(:hover|:pressed|:focus|:checked)$", "", selector), {})
        text = solid(declarations.get("color") or own.get("color"))
        background = solid(declarations.get("background") or own.get("background"))
        if text:
            for under in [background] if background else sorted(panels):
                yield selector, text, under
        selected = solid(declarations.get("selection-color"))
        if selected and solid(declarations.get("selection-background-color")):
            yield selector + " (selection)", selected, solid(declarations["selection-background-color"])


def main(argv):
    if len(argv) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[0], encoding="utf-8") as skin:
        sheet = skin.read()
    failed = False
    for selector, text, background in pairs(sheet):
        ratio = contrast(text, background)
        if ratio < MINIMUM:
            failed = True
            print(f"{selector}: #{text} on #{background} is {ratio:.2f}:1, below {MINIMUM}:1")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
