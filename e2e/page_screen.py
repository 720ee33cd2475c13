# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Reading the setup browser's 80x25 text screen: where menu entries are,
which one is highlighted, and the rows of a form page as a person sees them
(label and value columns, gathered over several scrolled views)."""

import re

CONTENT_ROWS = range(3, 21)   # between the title box and the key-help box
# Rows 3 and 19 of a form hold the scroll markers ("^" and "v"); the form's
# statements are drawn in between.
PAGE_ROWS = range(4, 19)
LABEL_COLUMN = 3
VALUE_COLUMN = 30
HELP_COLUMN = 55
HIGHLIGHT_BG = "black"


def find_row(screen, label):
    """Screen row whose menu text starts with `label`, or None."""
    for y in CONTENT_ROWS:
        line = screen.display[y]
        text = line[LABEL_COLUMN - 2:HELP_COLUMN].lstrip("> ").rstrip()
        if text == label or text.startswith(label + " "):
            return y
    return None


def highlighted_row(screen):
    """Content row whose label area is drawn highlighted, or None."""
    for y in CONTENT_ROWS:
        row = screen.buffer[y]
        cells = [row[x] for x in range(LABEL_COLUMN, HELP_COLUMN) if row[x].data.strip()]
        if cells and all(cell.bg == HIGHLIGHT_BG for cell in cells[:3]):
            return y
    return None


def help_text(screen):
    """The help column's text, lines joined with single spaces."""
    parts = [screen.display[y][HELP_COLUMN:].strip() for y in PAGE_ROWS]
    return " ".join(part for part in parts if part and part not in ("v", "^"))


def content_lines(screen):
    return [screen.display[y][:HELP_COLUMN].rstrip() for y in PAGE_ROWS]


def merge_views(views):
    """Joins successive scrolled views (lists of lines) into one page, each
    view overlapping the end of the page gathered so far."""
    page = list(views[0])
    for view in views[1:]:
        best = 0
        for overlap in range(min(len(page), len(view)), 0, -1):
            if page[-overlap:] == view[:overlap]:
                best = overlap
                break
        page.extend(view[best:])
    while page and not page[-1].strip():
        page.pop()
    return page


def page_entries(lines):
    """(text in the label column, [value lines]) of every line that starts
    an entry, in page order; subtitles come out with no value lines. A
    value continues on following lines whose label column is empty."""
    entries = []
    for line in lines:
        label = line[LABEL_COLUMN:VALUE_COLUMN].strip()
        value = line[VALUE_COLUMN:].strip()
        if label:
            entries.append((label, [value] if value else []))
        elif value and entries:
            entries[-1][1].append(value)
    return entries


def normalised(text):
    return re.sub(r"\s+", " ", text).strip()


def shows_text(shown, lines):
    """Whether the screen lines `shown` are the text `lines` (its lines as
    the page holds them), allowing the browser to wrap a line that does not
    fit the value column, at a space or inside a word."""
    if not shown:
        return not lines
    pattern = r"\s?".join(re.escape(part) for part in shown)
    return re.fullmatch(pattern, " ".join(lines)) is not None
