#!/usr/bin/env python3
"""Writes the cell texts of every table in an HTML file as tab-separated rows.

The RTF reader's tables are checked against the tables an independent reader
found in the same file. That reader's HTML export is the most direct view of
its tables, so this script turns such an export into a plain listing that a
test can compare without an HTML parser. tests/data/rtf-reference/README.md
describes the listing; in short:

    # table 1
    cell<TAB>cell
    cell<TAB>before [[table 2]] after

    # table 2 in table 1
    inner<TAB>inner

Tables are numbered in the order their start tags appear, so a nested table
follows the table that holds it, and the holding cell names it with a marker
in the place where it sits. Cell text is white-space folded: paragraph and
line breaks count as white space, every run of white space becomes one
space, and the ends are trimmed. Cells appear as the HTML has them; cells
that span columns or rows are written once, where they start.

Usage: rtf-reference-tables.py INPUT.html [OUTPUT.tsv]
Without OUTPUT the listing goes to standard output. Only the standard
library is used, so any Python 3 runs it.
"""

import html.parser
import re
import sys

# White space as the listing folds it. The no-break space is included because
# the export writes it as the whole content of an empty paragraph; a test
# that compares cell texts must fold the same set.
FOLD = re.compile("[ \t\n\r\f\v\u00a0]+")

# Elements whose boundaries separate words. Text in two paragraphs of one
# cell must not run together when the markup has no white space between them.
BREAKS = {
    "address", "blockquote", "br", "dd", "div", "dl", "dt", "h1", "h2", "h3",
    "h4", "h5", "h6", "hr", "li", "ol", "p", "pre", "ul",
}

# Elements whose text is not document content.
HIDDEN = {"head", "script", "style", "title"}


def fold(text):
    return FOLD.sub(" ", text).strip()


class Table:
    def __init__(self, number, parent):
        self.number = number
        self.parent = parent  # number of the holding table, or None
        self.rows = []
        self.row = None  # cells of the open row
        self.cell = None  # text pieces of the open cell

    def open_row(self):
        self.close_row()
        self.row = []

    def close_row(self):
        self.close_cell()
        if self.row is not None:
            self.rows.append(self.row)
            self.row = None

    def open_cell(self):
        self.close_cell()
        if self.row is None:
            self.row = []
        self.cell = []

    def close_cell(self):
        if self.cell is not None:
            self.row.append(fold("".join(self.cell)))
            self.cell = None


class TableCollector(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tables = []  # every table, in the order of its start tag
        self.open = []  # the tables whose end tag has not come, innermost last
        self.hidden = 0

    def current_cell(self):
        if self.open and self.open[-1].cell is not None:
            return self.open[-1].cell
        return None

    def handle_starttag(self, tag, attrs):
        if tag in HIDDEN:
            self.hidden += 1
        elif tag == "table":
            parent = self.open[-1].number if self.open else None
            table = Table(len(self.tables) + 1, parent)
            cell = self.current_cell()
            if cell is not None:
                cell.append(" [[table %d]] " % table.number)
            self.tables.append(table)
            self.open.append(table)
        elif not self.open:
            pass
        elif tag == "tr":
            self.open[-1].open_row()
        elif tag in ("td", "th"):
            self.open[-1].open_cell()
        elif tag in BREAKS:
            cell = self.current_cell()
            if cell is not None:
                cell.append(" ")

    def handle_endtag(self, tag):
        if tag in HIDDEN:
            self.hidden = max(0, self.hidden - 1)
        elif not self.open:
            pass
        elif tag == "table":
            self.open.pop().close_row()
        elif tag == "tr":
            self.open[-1].close_row()
        elif tag in ("td", "th"):
            self.open[-1].close_cell()
        elif tag in BREAKS:
            cell = self.current_cell()
            if cell is not None:
                cell.append(" ")

    def handle_data(self, data):
        if self.hidden:
            return
        cell = self.current_cell()
        if cell is not None:
            cell.append(data)

    def close(self):
        super().close()
        # A truncated file still lists what it had.
        while self.open:
            self.open.pop().close_row()


def listing(tables):
    blocks = []
    for table in tables:
        header = "# table %d" % table.number
        if table.parent is not None:
            header += " in table %d" % table.parent
        lines = [header] + ["\t".join(row) for row in table.rows]
        blocks.append("\n".join(lines) + "\n")
    return "\n".join(blocks)


def main(argv):
    if len(argv) not in (2, 3):
        sys.stderr.write("usage: %s INPUT.html [OUTPUT.tsv]\n" % argv[0])
        return 2
    with open(argv[1], "rb") as f:
        raw = f.read()
    # The export declares UTF-8; a byte that is not UTF-8 is kept visible as
    # U+FFFD rather than stopping the whole run.
    collector = TableCollector()
    collector.feed(raw.decode("utf-8", errors="replace"))
    collector.close()
    text = listing(collector.tables)
    if len(argv) == 3:
        with open(argv[2], "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
    else:
        sys.stdout.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
