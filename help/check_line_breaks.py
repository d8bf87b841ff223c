#!/usr/bin/env python3
"""Fails when a help page breaks a line where the viewer shows a stray space.

The HTML Help viewer draws a line break in running text as a space. English
wants that space; Japanese does not, and shows it in mid-sentence
("左の ツリー"), and after or before a Japanese punctuation mark even next
to a Latin word ("、 COM1"). So a break (with any blanks around it) must have
an ASCII character or a block tag on one side, and no Japanese punctuation on
the other. Inline tags are looked through, since their text runs on with the
line's ("の\\n<b>検索</b>" is such a break too); the lines of a <pre> stay
lines and are left alone.

Usage: check_line_breaks.py FOLDER_OR_PAGE...  (folders: every *.html in them)
"""
import html
import pathlib
import re
import sys
import unicodedata

# Tags whose text flows on with the text around them; every other tag starts
# or ends a block (or a line, as <br> does), where a break draws nothing.
INLINE = {"a", "abbr", "b", "big", "cite", "code", "em", "font", "i", "kbd",
          "q", "s", "samp", "small", "span", "strong", "sub", "sup", "tt",
          "u", "var"}

TOKEN = re.compile(r"<!--.*?-->|<(/?)([A-Za-z0-9]+)[^>]*>|&#?[A-Za-z0-9]+;|[^<&]+|[<&]", re.S)
BLANK = " \t\r\n"


def stray(before, after):
    """Whether a space between these two characters is out of place."""
    wide = [c for c in (before, after) if ord(c) > 127]
    return len(wide) == 2 or any(unicodedata.category(c).startswith("P") for c in wide)


def faults(text):
    """Yields, for every line break that the viewer would draw as a stray
    space, the offsets of the blanks it is drawn from."""
    # The page as the viewer's text flow: (character, offset) pairs, with
    # None for a block boundary.
    flow = []
    in_pre = False
    for m in TOKEN.finditer(text):
        token = m.group(0)
        if token.startswith("<!--"):
            continue
        if m.group(2):
            name = m.group(2).lower()
            if name == "pre":
                in_pre = not m.group(1)
            if name not in INLINE:
                flow.append((None, m.start()))
            continue
        if in_pre:
            continue
        if token.startswith("&") and len(token) > 1:
            flow.append((html.unescape(token)[:1], m.start()))
            continue
        flow.extend((c, m.start() + i) for i, c in enumerate(token))

    i = 0
    while i < len(flow):
        if flow[i][0] is None or flow[i][0] not in BLANK:
            i += 1
            continue
        start = i
        while i < len(flow) and flow[i][0] is not None and flow[i][0] in BLANK:
            i += 1
        if start == 0 or i == len(flow) or all(c != "\n" for c, _ in flow[start:i]):
            continue
        before, after = flow[start - 1][0], flow[i][0]
        if before is not None and after is not None and stray(before, after):
            yield [offset for _, offset in flow[start:i]]


def main(args):
    pages = []
    for arg in args:
        path = pathlib.Path(arg)
        pages += sorted(path.rglob("*.html")) if path.is_dir() else [path]
    sys.stderr.reconfigure(encoding="utf-8", errors="backslashreplace")
    count = 0
    for page in pages:
        text = page.read_text(encoding="utf-8")
        for blanks in faults(text):
            count += 1
            line = text.count("\n", 0, blanks[0]) + 1
            around = text[max(0, blanks[0] - 12):blanks[-1] + 13].replace("\n", "⏎")
            print(f"{page}:{line}: line break shown as a stray space: {around}", file=sys.stderr)
    if count:
        print(f"{count} line break(s) to join: put the text on one line, or break it next to an "
              "ASCII character or a block tag", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
