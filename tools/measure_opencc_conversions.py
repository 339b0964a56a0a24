#!/usr/bin/env python3
"""Measures the simplified-traditional conversions of kelvaro-cli on real Chinese prose that none
of our generators wrote, one figure per conversion, and compares them with Debian's opencc 1.1.6
(the converter the program used before) when that command is installed.

The prose is the documentation of two Debian packages, fetched by hand (not needed to build):

    cd /tmp && apt-get download manpages-zh debian-faq-zh-cn
    for f in manpages-zh_*.deb debian-faq-zh-cn_*.deb; do dpkg -x $f /tmp/prose; done
    tools/measure_opencc_conversions.py build/rel/cli/kelvaro-cli /tmp/prose

manpages-zh's zh_CN pages and the FAQ are simplified; its zh_TW pages were made from the zh_CN
ones by an older OpenCC with Taiwan's words (s2twp), line for line, so they are both Taiwan
prose to read back and an older converter's writing of the same page.

Figures (characters agreeing, by the longest common blocks of each line with its counterpart):
  s2t + t2s     simplified prose to traditional and back gives the prose
  s2tw + tw2t   simplified to Taiwan's forms, to the standard forms, t2s: the prose again
  s2hk + hk2s   simplified to Hong Kong's forms and back
  s2twp + tw2sp simplified to Taiwan's words and back
  tw2sp         the zh_TW pages read back to simplified, against the zh_CN pages
  s2twp         the zh_CN pages to Taiwan's words, against the older converter's zh_TW pages
and, with /usr/bin/opencc, each configuration against opencc 1.1.6 on the same input.
"""

import difflib
import gzip
import pathlib
import re
import shutil
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import debian_prose  # noqa: E402

HAN = re.compile("[\u3400-\u9fff]")

OPERATIONS = {
    "s2t": "to-traditional", "t2s": "to-simplified", "s2twp": "to-traditional-tw",
    "s2tw": "to-traditional-tw-chars", "tw2sp": "tw-to-simplified", "tw2t": "tw-to-traditional",
    "s2hk": "to-traditional-hk", "hk2s": "hk-to-simplified",
}


def convert(cli, configuration, lines):
    out = subprocess.run([cli, OPERATIONS[configuration], "--charset", "utf-8"],
                         input="\n".join(lines) + "\n", capture_output=True, text=True,
                         check=True).stdout
    result = out.split("\n")[:len(lines)]
    assert len(result) == len(lines), configuration
    return result


def old_convert(configuration, lines):
    out = subprocess.run(["opencc", "-c", configuration + ".json"],
                         input="\n".join(lines) + "\n", capture_output=True, text=True,
                         check=True).stdout
    return out.split("\n")[:len(lines)]


def agreement(expected, got):
    """Characters of `expected` that `got` holds in common blocks, and all of them."""
    same = total = 0
    for a, b in zip(expected, got):
        total += len(a)
        if a == b:
            same += len(a)
        else:
            same += sum(block.size for block in
                        difflib.SequenceMatcher(None, a, b, autojunk=False).get_matching_blocks())
    return same, total


def lines_identical(expected, got):
    return sum(a == b for a, b in zip(expected, got)), len(expected)


def han_lines(lines):
    return [line for line in lines if HAN.search(line)]


def one_page(path):
    with gzip.open(path, "rt", encoding="utf-8", errors="replace") as f:
        out = []
        for line in f:
            if line.startswith((".", "'")):
                continue
            line = debian_prose.TROFF_ESCAPE.sub("", line).replace("\\-", "-").replace("\\e", "\\")
            out.append(line.strip())
        return out


def aligned_pages(root):
    """Lines of the zh_CN and zh_TW pages that stand at the same place of the same page."""
    cn_root = root / "usr/share/man/zh_CN"
    tw_root = root / "usr/share/man/zh_TW"
    cn, tw = [], []
    for path in sorted(cn_root.rglob("*.gz")):
        other = tw_root / path.relative_to(cn_root)
        if not other.exists():
            continue
        a, b = one_page(path), one_page(other)
        if len(a) != len(b):
            continue
        for x, y in zip(a, b):
            if HAN.search(x):
                cn.append(x)
                tw.append(y)
    return cn, tw


def report(name, pair, note=""):
    same, total = pair
    print(f"| {name} | {total:,} | {100.0 * same / max(total, 1):.3f} % | {note}")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    cli, root = sys.argv[1], pathlib.Path(sys.argv[2])
    cn, tw = aligned_pages(root)
    faq_path = root / "usr/share/doc/debian/FAQ/debian-faq.zh-cn.txt.gz"
    faq = han_lines(gzip.open(faq_path, "rt", encoding="utf-8").read().splitlines())
    simplified = cn + faq
    # Lines that t2s changes hold traditional characters already: not simplified prose.
    simplified = [a for a, b in zip(simplified, convert(cli, "t2s", simplified)) if a == b]
    print(f"{len(simplified):,} simplified lines, {len(tw):,} aligned zh_TW lines\n")
    print("| figure | characters | agreeing | |")
    print("|---|---|---|---|")
    there = {c: convert(cli, c, simplified) for c in ("s2t", "s2tw", "s2hk", "s2twp")}
    report("s2t + t2s", agreement(simplified, convert(cli, "t2s", there["s2t"])))
    report("s2tw + tw2t + t2s",
           agreement(simplified, convert(cli, "t2s", convert(cli, "tw2t", there["s2tw"]))))
    report("s2hk + hk2s", agreement(simplified, convert(cli, "hk2s", there["s2hk"])))
    report("s2twp + tw2sp", agreement(simplified, convert(cli, "tw2sp", there["s2twp"])))
    report("tw2sp, zh_TW pages against zh_CN", agreement(cn, convert(cli, "tw2sp", tw)))
    report("s2twp, zh_CN pages against older zh_TW", agreement(tw, convert(cli, "s2twp", cn)))
    if shutil.which("opencc"):
        print("\nAgainst opencc 1.1.6 (lines identical, characters agreeing):\n")
        print("| configuration | lines | identical | characters agreeing |")
        print("|---|---|---|---|")
        inputs = {"s2t": simplified, "s2tw": simplified, "s2hk": simplified,
                  "s2twp": simplified, "t2s": there["s2t"], "tw2sp": there["s2twp"],
                  "hk2s": there["s2hk"], "tw2t": there["s2tw"]}
        for configuration, text in inputs.items():
            ours = convert(cli, configuration, text)
            theirs = old_convert(configuration, text)
            same, total = lines_identical(theirs, ours)
            chars, all_chars = agreement(theirs, ours)
            print(f"| {configuration} | {total:,} | {100.0 * same / total:.2f} % | "
                  f"{100.0 * chars / all_chars:.3f} % |")


if __name__ == "__main__":
    main()
