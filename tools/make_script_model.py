#!/usr/bin/env python3
"""Writes resources/script_model.bin, the letter statistics of real text in every alphabet the
charsets serve (Latin with its accents, Cyrillic, Greek, kana, Hangul and the others) that
codec/recognise/language_model.cpp scores non-Chinese letters with.

The source is CLDR (Debian's unicode-cldr-core, Unicode licence): the names, months, units,
places and emoji keywords that common/main, common/annotations and common/subdivisions spell in
each of several hundred languages. Each distinct string counts once, whatever the number of
locales that repeat it. Chinese characters are left to resources/language_model.bin.

    apt-get install unicode-cldr-core
    tools/make_script_model.py /usr/share/unicode/cldr/common resources/script_model.bin

File layout (little-endian), costs in eighths of a bit (round(8 * -log2 p), 1..255):
  "KSM1"                 magic
  uint32  pairs          number of letter pairs
  uint8   unigram[65536] -log2 P(c) among letters, by UTF-16 code unit; 0 = unseen or Chinese
  uint32  key[pairs]     first << 16 | second, ascending; first may be the word boundary U+0020
  uint8   cost[pairs]    -log2 P(second | first)
Every character that is not a letter or a combining mark is the word boundary (U+0020) in the
pairs, so a word's first and last letters are pairs with the boundary. Letter case is kept: a
capital after a small letter is as rare as real text makes it. Standard library only.
"""

import argparse
import math
import os
import struct
import sys
import unicodedata
import xml.etree.ElementTree as ElementTree
from collections import Counter

BOUNDARY = " "
FOLDERS = ("main", "annotations", "subdivisions")


def is_han(ch):
    code = ord(ch)
    return 0x3400 <= code <= 0x4DBF or 0x4E00 <= code <= 0x9FFF or 0xF900 <= code <= 0xFAFF


def is_letter(ch):
    return unicodedata.category(ch)[0] in "LM" and not is_han(ch) and ord(ch) < 0x10000


def strings(root):
    """The distinct texts of every element and the keywords of emoji annotations."""
    seen = set()
    for folder in FOLDERS:
        path = os.path.join(root, folder)
        for name in sorted(os.listdir(path)):
            if not name.endswith(".xml"):
                continue
            try:
                tree = ElementTree.parse(os.path.join(path, name))
            except ElementTree.ParseError:
                continue
            for element in tree.iter():
                text = (element.text or "").strip()
                # Exemplar sets ([a b c]) and patterns ({0} d'ici) are no text as people write it.
                if not text or text.startswith("[") or "{" in text:
                    continue
                for piece in text.split("|") if element.tag == "annotation" else [text]:
                    piece = piece.strip()
                    if piece and piece not in seen:
                        seen.add(piece)
                        yield piece


def cost(p):
    return max(1, min(255, round(-8 * math.log2(p))))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("cldr", help="CLDR's common folder")
    parser.add_argument("output", help="the model file to write")
    parser.add_argument("--pairs", type=int, default=120000, help="pairs to keep")
    args = parser.parse_args()

    unigrams, pairs, texts = Counter(), Counter(), 0
    for text in strings(args.cldr):
        texts += 1
        text = unicodedata.normalize("NFC", text)
        previous = BOUNDARY
        for ch in text + BOUNDARY:
            current = ch if is_letter(ch) else BOUNDARY
            if current == BOUNDARY and previous == BOUNDARY:
                continue
            if current != BOUNDARY:
                unigrams[current] += 1
            pairs[previous, current] += 1
            previous = current
    total = sum(unigrams.values())
    firsts = Counter()
    for (a, _), n in pairs.items():
        firsts[a] += n

    unigram = bytearray(65536)
    for ch, n in unigrams.items():
        unigram[ord(ch)] = cost(n / total)

    # Pairs seen once are mostly noise; of the rest, those that tell most about real text.
    def usefulness(item):
        (a, b), n = item
        p_b = unigrams[b] / total if b != BOUNDARY else 0.1
        return n * math.log2(max(1e-9, n / firsts[a] / p_b))

    kept = [item for item in pairs.items() if item[1] >= 2]
    kept.sort(key=usefulness, reverse=True)
    kept = sorted(kept[:args.pairs], key=lambda item: (ord(item[0][0]), ord(item[0][1])))
    with open(args.output, "wb") as f:
        f.write(b"KSM1")
        f.write(struct.pack("<I", len(kept)))
        f.write(unigram)
        f.write(struct.pack(f"<{len(kept)}I", *(ord(a) << 16 | ord(b) for (a, b), _ in kept)))
        f.write(bytes(cost(n / firsts[a]) for (a, _), n in kept))
    print(f"{texts} texts, {len(unigrams)} letters, {len(kept)} of {len(pairs)} pairs kept",
          file=sys.stderr)


if __name__ == "__main__":
    main()
