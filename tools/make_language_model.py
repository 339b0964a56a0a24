#!/usr/bin/env python3
"""Writes resources/language_model.bin, the character statistics of real Chinese text that
codec/recognise/language_model.cpp scores candidates with.

The source is jieba's dictionary (dict.txt of Debian's python3-jieba, MIT): a word, its frequency
in a large corpus and a part-of-speech tag per line. The words are taken twice, as they are
(simplified) and converted by OpenCC's `opencc -c s2tw.json` (traditional, Taiwan forms), so that
BIG5 text reads as real text too; each word keeps its frequency in both forms.

    apt-get download python3-jieba && dpkg -x python3-jieba_*.deb DIR
    tools/make_language_model.py DIR/usr/lib/python3/dist-packages/jieba/dict.txt \\
        resources/language_model.bin

File layout (little-endian), costs in eighths of a bit (round(8 * -log2 p), at most 255):
  "KLM1"                       magic
  uint32  pairs                number of character pairs
  uint16  first, count         the pair index covers first characters first .. first+count-1
  uint8   unigram[65536]       -log2 P(c) by UTF-16 code unit, Han characters only; 0 = unseen
  uint32  start[count + 1]     pairs of first character first+i are start[i] .. start[i+1]-1
  uint16  second[pairs]        second characters, ascending within each first character
  uint8   cost[pairs]          -log2 P(second | first)
The pairs are the ones inside words; those kept are the most useful: frequency times
log2(P(second | first) / P(second)), positive only. Standard library only.
"""

import argparse
import math
import struct
import subprocess
import sys
from collections import Counter

INDEX_FIRST, INDEX_COUNT = 0x4E00, 0xA000 - 0x4E00


def is_han(ch):
    code = ord(ch)
    return 0x3400 <= code <= 0x4DBF or 0x4E00 <= code <= 0x9FFF or 0xF900 <= code <= 0xFAFF


def read_words(path):
    words = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.split()
            if len(fields) >= 2 and fields[1].isdigit():
                words.append((fields[0], int(fields[1])))
    return words


def traditional(words, opencc):
    text = "\n".join(w for w, _ in words) + "\n"
    run = subprocess.run(opencc.split(), input=text, capture_output=True, text=True, check=True)
    converted = run.stdout.split("\n")[:len(words)]
    if len(converted) != len(words):
        sys.exit("opencc gave a different number of lines")
    return [(t, f) for t, (_, f) in zip(converted, words)]


def cost(p):
    return max(0, min(255, round(-8 * math.log2(p))))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("dictionary", help="jieba's dict.txt")
    parser.add_argument("output", help="the model file to write")
    parser.add_argument("--pairs", type=int, default=250000, help="pairs to keep")
    parser.add_argument("--opencc", default="opencc -c s2tw.json",
                        help="command that converts lines to traditional script")
    args = parser.parse_args()

    words = read_words(args.dictionary)
    words += traditional(words, args.opencc)
    unigrams, pairs = Counter(), Counter()
    for word, frequency in words:
        for ch in word:
            if is_han(ch):
                unigrams[ch] += frequency
        for a, b in zip(word, word[1:]):
            if is_han(a) and is_han(b) and INDEX_FIRST <= ord(a) < INDEX_FIRST + INDEX_COUNT:
                pairs[a, b] += frequency
    total = sum(unigrams.values())

    unigram = bytearray(65536)
    for ch, n in unigrams.items():
        unigram[ord(ch)] = max(1, cost(n / total))

    def usefulness(item):
        (a, b), n = item
        return n * math.log2(n * total / (unigrams[a] * unigrams[b]))

    useful = [item for item in pairs.items() if usefulness(item) > 0]
    useful.sort(key=usefulness, reverse=True)
    kept = sorted(useful[:args.pairs], key=lambda item: (ord(item[0][0]), ord(item[0][1])))

    start = [0] * (INDEX_COUNT + 1)
    for (a, _), _ in kept:
        start[ord(a) - INDEX_FIRST + 1] += 1
    for i in range(INDEX_COUNT):
        start[i + 1] += start[i]
    with open(args.output, "wb") as f:
        f.write(b"KLM1")
        f.write(struct.pack("<IHH", len(kept), INDEX_FIRST, INDEX_COUNT))
        f.write(unigram)
        f.write(struct.pack(f"<{INDEX_COUNT + 1}I", *start))
        f.write(struct.pack(f"<{len(kept)}H", *(ord(b) for (_, b), _ in kept)))
        f.write(bytes(cost(n / unigrams[a]) for (a, _), n in kept))
    print(f"{len(unigrams)} characters, {len(kept)} of {len(pairs)} pairs "
          f"({len(useful)} useful), {total} characters counted", file=sys.stderr)


if __name__ == "__main__":
    main()
