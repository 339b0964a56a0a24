"""Chinese prose from the documentation Debian packages install, as the measuring tools read it:
the manual pages of manpages-zh line by line, and plain-text documents paragraph by paragraph.
Standard library only."""

import gzip
import os
import re

SENTENCE_END = re.compile("(?<=[。！？；!?;])")
TROFF_ESCAPE = re.compile(r"\\f(\[[^\]]*\]|\(..|.)|\\\(..|\\[&/,|^%:]|\\s[-+]?\d")


def man_page_lines(root):
    """The text lines of every gzipped manual page below root, troff requests left out and font,
    spacing and character escapes removed, stripped."""
    for folder, _, names in sorted(os.walk(root)):
        for name in sorted(names):
            if not name.endswith(".gz"):
                continue
            with gzip.open(os.path.join(folder, name), "rt", encoding="utf-8",
                           errors="replace") as f:
                for line in f:
                    if line.startswith((".", "'")):
                        continue
                    line = TROFF_ESCAPE.sub("", line).replace("\\-", "-").replace("\\e", "\\")
                    yield line.strip()


def joined_paragraphs(text, han):
    """Each paragraph (blank-line separated) as one line. Chinese lines wrap without a space and
    Latin words keep theirs; `han` matches a Chinese character."""
    for paragraph in re.split(r"\n\s*\n", text):
        joined = ""
        for line in (line.strip() for line in paragraph.splitlines()):
            if joined and line and not (han.match(line[:1]) or han.search(joined[-1:])):
                joined += " "
            joined += line
        yield joined


def sentences(text):
    """The sentences of a line, stripped; empty ones included."""
    return [s.strip() for s in SENTENCE_END.split(text)]
