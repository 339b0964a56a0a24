#!/usr/bin/env python3
"""Writes the pinyin conversion's table, and measures the conversion against a reference.

The table is derived from the phrase dictionary and the character dictionary of the npm package
`pinyin` 4.0.0 (MIT licence, by hotoo), which a developer fetches once into a scratch directory;
none of its code or files enter the tree, only the table below:

    cd /tmp && npm pack pinyin@4.0.0 && mkdir pinyin && tar xzf pinyin-4.0.0.tgz -C pinyin
    tools/make_pinyin_table.py table /tmp/pinyin/package resources/pinyin_phrases.bin

What the table keeps of each phrase (its readings with tone marks, one per character):
  - citation tones, never tone sandhi: 一 is yī and 不 is bù in every phrase (the package writes
    一个 yí gè);
  - the standard readings of 这, 那 and 哪 (zhè, nà, nǎ) for their spoken forms zhèi, nèi, něi;
  - no phrase with a character outside the Basic Multilingual Plane, with a character the package's
    character dictionary lacks, or with a reading that dictionary does not list for its character
    (nor its neutral-tone form): those readings are slips of the source (为什么 wéi shèn mǒ);
  - ERRATA below replace the source's reading of a few phrases or add one, and CHARACTER_READINGS
    give a few characters another reading than ICU's Han-Latin when they stand outside a phrase.

Characters outside every phrase take ICU's Han-Latin reading (ICU 72, through `uconv -x Han-Latin`
of Debian's icu-devtools, needed only to regenerate), written into the table for the Han characters
of the Basic Multilingual Plane, since asking ICU at run time costs almost half a second; the
conversion asks ICU itself only about characters beyond that plane.

Table layout (little-endian):
  "KPY2"
  u16 S, then S syllables, each a u8 byte count and the syllable's UTF-8 (lower case, tone marks)
  u16 R, then R ranges of characters, each u16 first character, u16 count n, n u16 syllable indexes
  (0xFFFF: no reading)
  u32 E, then E phrases, each a u8 length n, n UTF-16 units, n u16 syllable indexes

Measuring (agreement of every character's syllable with a reference on real prose):

    tools/make_pinyin_table.py fetch SOURCES                  # Debian documentation, unpacked
    tools/make_pinyin_table.py sentences SOURCES DIR          # DIR/<document>.txt, one a line
    cd /tmp && npm pack pinyin-pro@3.29.4 && mkdir pinyin-pro \\
        && tar xzf pinyin-pro-3.29.4.tgz -C pinyin-pro
    tools/make_pinyin_table.py reference /tmp/pinyin-pro/package DIR/faq.txt DIR/faq.tsv
    KELVARO_PINYIN_REFERENCE=DIR/faq.tsv:DIR/man.tsv build/release/tests/kelvaro-tests \\
        --gtest_filter=PinyinMeasure.*

The reference is pinyin-pro (MIT), a phrase-aware converter with its own dictionary, run under node
with tone sandhi off. The committed sample tests/cases/pinyin/reference_sample.tsv is the
`reference` output for the sentences of jieba's examples (python-jieba-doc, MIT).
Standard library only (runs with Debian 12's python3).
"""

import argparse
import gzip
import html
import json
import os
import re
import struct
import subprocess
import sys
import unicodedata

from debian_prose import joined_paragraphs, man_page_lines, sentences

# Corrections of the source and a few phrases it lacks (银行 among them), each with the reading of
# the standard dictionaries (现代汉语词典). They were found among the disagreements on the Chinese
# manual pages only (manpages-zh), so that the other documents measure text they never saw.
ERRATA = {
    "银行": "yín háng",
    "换行": "huàn háng",
    "排行": "pái háng",
    "这个": "zhè ge",
    "那个": "nà ge",
    "哪个": "nǎ ge",
    "部分": "bù fen",
    "大部分": "dà bù fen",
    "空格": "kòng gé",
    "查看": "chá kàn",
    "为什么": "wèi shén me",
    "禁用": "jìn yòng",
    "取得": "qǔ dé",
    "卸载": "xiè zài",
    "小数点": "xiǎo shù diǎn",
    "尽可能": "jǐn kě néng",
    "行号": "háng hào",
    "任务": "rèn wu",
}

# Characters whose reading outside a phrase is not ICU's: its toneless 子 zi, 长 zhǎng where cháng
# is the common reading, and older readings of 框 杠 帧 粘.
CHARACTER_READINGS = {
    "子": "zǐ",
    "长": "cháng",
    "框": "kuàng",
    "杠": "gàng",
    "帧": "zhēn",
    "粘": "nián",
}

CITATION = {"一": "yī", "不": "bù"}
SPOKEN = {("这", "zhèi"): "zhè", ("那", "nèi"): "nà", ("哪", "něi"): "nǎ"}
TONE_MARKS = "\u0304\u0301\u030c\u0300"
SYLLABLE = re.compile("^[a-z\u00ea\u0300\u0301\u0304\u0308\u030c]+$")


def toneless(reading):
    decomposed = unicodedata.normalize("NFD", reading)
    return unicodedata.normalize("NFC", "".join(c for c in decomposed if c not in TONE_MARKS))


def is_syllable(reading):
    return bool(SYLLABLE.match(unicodedata.normalize("NFD", reading)))


# ---- the source ---------------------------------------------------------------------------------

def read_source(package):
    """The character dictionary {char: [readings]} and the phrase dictionary {phrase: [reading]}."""
    path = os.path.join(package, "lib", "cjs", "pinyin.js")
    with open(path, encoding="utf-8") as f:
        text = f.read()
    characters = {}
    for m in re.finditer(r'^dict\[0x([0-9a-fA-F]+)\] = "([^"]*)";', text, re.M):
        characters[chr(int(m.group(1), 16))] = m.group(2).split(",")
    phrases = {}
    start = text.index("const phrases_dict = {")
    end = text.index("\n};", start)
    for m in re.finditer(r'^\s*"([^"]+)": (\[\[.*\]\]),?$', text[start:end], re.M):
        phrases[m.group(1)] = [choices[0] for choices in json.loads(m.group(2))]
    if len(characters) < 20000 or len(phrases) < 40000:
        sys.exit(f"{path}: too few entries ({len(characters)} characters, {len(phrases)} phrases)")
    return characters, phrases


def clean_phrases(characters, phrases):
    kept, dropped = {}, 0
    for key, readings in phrases.items():
        if len(key) < 2 or len(readings) != len(key) or any(ord(c) > 0xFFFF for c in key):
            dropped += 1
            continue
        fixed = []
        for c, r in zip(key, readings):
            r = unicodedata.normalize("NFC", r)
            r = CITATION.get(c, SPOKEN.get((c, r), r))
            listed = characters.get(c)
            if listed is None or not is_syllable(r) or not (
                    r in listed or r == CITATION.get(c) or r in map(toneless, listed)):
                fixed = None
                break
            fixed.append(r)
        if fixed is None:
            dropped += 1
            continue
        kept[key] = fixed
    for key, reading in ERRATA.items():
        kept[key] = reading.split()
    return kept, dropped


HAN_RANGES = [(0x3005, 0x3007), (0x3400, 0x4DBF), (0x4E00, 0x9FFF), (0xF900, 0xFAFF)]


def icu_readings():
    """ICU's Han-Latin reading of every character of HAN_RANGES that has one."""
    characters = [chr(c) for first, last in HAN_RANGES for c in range(first, last + 1)]
    run = subprocess.run(["uconv", "-f", "utf-8", "-t", "utf-8", "-x", "Han-Latin"],
                         input="".join(c + "\n" for c in characters).encode("utf-8"),
                         capture_output=True, check=True)
    lines = run.stdout.decode("utf-8").split("\n")
    if len(lines) < len(characters):
        sys.exit("uconv gave fewer lines than characters")
    readings = {}
    for c, reading in zip(characters, lines):
        reading = unicodedata.normalize("NFC", reading)
        if reading != c and is_syllable(reading):
            readings[c] = reading
    return readings


def write_table(characters, phrases, out):
    syllables = sorted(set(characters.values()) | {r for rs in phrases.values() for r in rs})
    index = {s: i for i, s in enumerate(syllables)}
    data = bytearray(b"KPY2")
    data += struct.pack("<H", len(syllables))
    for s in syllables:
        encoded = s.encode("utf-8")
        data += struct.pack("<B", len(encoded)) + encoded
    data += struct.pack("<H", len(HAN_RANGES))
    for first, last in HAN_RANGES:
        data += struct.pack("<HH", first, last - first + 1)
        data += struct.pack(f"<{last - first + 1}H",
                            *(index[characters[chr(c)]] if chr(c) in characters else 0xFFFF
                              for c in range(first, last + 1)))
    data += struct.pack("<I", len(phrases))
    for key, readings in sorted(phrases.items()):
        data += struct.pack("<B", len(key))
        data += struct.pack(f"<{len(key)}H", *(ord(c) for c in key))
        data += struct.pack(f"<{len(key)}H", *(index[r] for r in readings))
    with open(out, "wb") as f:
        f.write(data)
    return len(syllables), len(data)


def command_table(args):
    characters, phrases = read_source(args.package)
    kept, dropped = clean_phrases(characters, phrases)
    readings = icu_readings()
    readings.update(CHARACTER_READINGS)
    syllables, size = write_table(readings, kept, args.out)
    print(f"{args.out}: {syllables} syllables, {len(readings)} characters, {len(kept)} phrases "
          f"({dropped} of the source's dropped), {size} bytes")


# ---- the documents ------------------------------------------------------------------------------

PACKAGES = ["python-jieba-doc", "debian-faq-zh-cn", "manpages-zh", "maint-guide-zh-cn",
            "debian-reference-zh-cn"]
HAN = re.compile("[\u3400-\u4dbf\u4e00-\u9fff]")


def command_fetch(args):
    os.makedirs(args.sources, exist_ok=True)
    subprocess.run(["apt-get", "download"] + PACKAGES, cwd=args.sources, check=True)
    for name in sorted(os.listdir(args.sources)):
        if name.endswith(".deb"):
            subprocess.run(["dpkg", "-x", name, "."], cwd=args.sources, check=True)


def chinese(sentence, share):
    return len(HAN.findall(sentence)) >= max(1, share * len(sentence)) and "\ufffd" not in sentence


def split_sentences(paragraph_text, share=0.3):
    found = [s for joined in joined_paragraphs(paragraph_text, HAN) for s in sentences(joined)]
    return [s for s in found if s and chinese(s, share)]


def jieba_sentences(sources):
    """Every Chinese line of jieba's examples (string literals and sample texts), by sentence."""
    root = os.path.join(sources, "usr/share/doc/python-jieba-doc/examples")
    found = []
    for folder, _, names in sorted(os.walk(root)):
        for name in sorted(names):
            if not name.endswith((".py", ".txt")) or name.startswith(("dict", "idf", "stop")):
                continue
            with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
                for run in re.findall(r"[^\"'\n]*[\u4e00-\u9fff][^\"'\n]*", f.read()):
                    found += sentences(run.strip())
    return [s for s in found if HAN.search(s) and "\ufffd" not in s]


def faq_sentences(sources):
    path = os.path.join(sources, "usr/share/doc/debian/FAQ/debian-faq.zh-cn.txt.gz")
    with gzip.open(path, "rt", encoding="utf-8", errors="replace") as f:
        return split_sentences(f.read())


def maint_guide_sentences(sources):
    path = os.path.join(sources, "usr/share/doc/maint-guide-zh-cn/maint-guide.zh-cn.txt.gz")
    with gzip.open(path, "rt", encoding="utf-8", errors="replace") as f:
        return split_sentences(f.read())


def reference_sentences(sources):
    root = os.path.join(sources, "usr/share/debian-reference")
    text = ""
    for name in sorted(os.listdir(root)):
        if name.endswith(".zh-cn.html"):
            with open(os.path.join(root, name), encoding="utf-8", errors="replace") as f:
                page = f.read()
            page = re.sub(r"<(script|style|pre)[^>]*>.*?</\1>", "\n", page, flags=re.S)
            page = re.sub(r"<(p|div|br|li|tr|h\d|dt|dd|td|th)[^>]*>", "\n\n", page)
            text += html.unescape(re.sub(r"<[^>]+>", "", page)) + "\n\n"
    return split_sentences(text)


def man_sentences(sources):
    root = os.path.join(sources, "usr/share/man/zh_CN")
    return [s for line in man_page_lines(root) for s in sentences(line)
            if "\\" not in s and chinese(s, 0.4)]


DOCUMENTS = {
    "jieba": jieba_sentences,
    "faq": faq_sentences,
    "man": man_sentences,
    "maint-guide": maint_guide_sentences,
    "debian-reference": reference_sentences,
}


def command_sentences(args):
    os.makedirs(args.dir, exist_ok=True)
    for name, read in DOCUMENTS.items():
        seen, kept = set(), []
        for sentence in read(args.sources):
            sentence = " ".join(sentence.split())
            if sentence and sentence not in seen:
                seen.add(sentence)
                kept.append(sentence)
        with open(os.path.join(args.dir, name + ".txt"), "w", encoding="utf-8") as f:
            f.write("".join(s + "\n" for s in kept))
        print(f"{name}: {len(kept)} sentences, "
              f"{sum(len(HAN.findall(s)) for s in kept)} Han characters")


# ---- the reference ------------------------------------------------------------------------------

REFERENCE_SCRIPT = r"""
const { pinyin } = require(process.argv[1]);
const lines = require('fs').readFileSync(0, 'utf8').split('\n');
if (lines.length && lines[lines.length - 1] === '') lines.pop();
const out = [];
for (const line of lines) {
  let index = 0;
  const cells = [];
  for (const e of pinyin(line, { type: 'all', toneSandhi: false })) {
    if (e.isZh) cells.push(index + ':' + e.pinyin);
    index += e.origin.length;
  }
  if (index !== line.length) throw new Error('misaligned: ' + line);
  out.push(cells.join(' '));
}
process.stdout.write(out.join('\n') + '\n');
"""


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t")


def command_reference(args):
    with open(args.sentences, encoding="utf-8") as f:
        sentences = [line.rstrip("\n") for line in f if line.strip()]
    run = subprocess.run(["node", "-e", REFERENCE_SCRIPT, os.path.abspath(args.pinyin_pro)],
                         input="".join(s + "\n" for s in sentences), capture_output=True,
                         text=True, check=True)
    readings = run.stdout.split("\n")[: len(sentences)]
    with open(args.out, "w", encoding="utf-8") as f:
        f.write("# sentence\treading of pinyin-pro 3.29.4 (toneSandhi off): index:syllable, "
                "index in UTF-16 units\n")
        for sentence, reading in zip(sentences, readings):
            if reading:
                f.write(f"{escape(sentence)}\t{reading}\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("table", help="write the phrase table")
    p.add_argument("package", help="the unpacked npm package pinyin@4.0.0 (its package/ folder)")
    p.add_argument("out")
    p.set_defaults(run=command_table)
    p = sub.add_parser("fetch", help="download and unpack the Debian documentation")
    p.add_argument("sources")
    p.set_defaults(run=command_fetch)
    p = sub.add_parser("sentences", help="write the documents' sentences, one a line")
    p.add_argument("sources")
    p.add_argument("dir")
    p.set_defaults(run=command_sentences)
    p = sub.add_parser("reference", help="write the reference readings of sentences")
    p.add_argument("pinyin_pro", help="the unpacked npm package pinyin-pro (its package/ folder)")
    p.add_argument("sentences")
    p.add_argument("out")
    p.set_defaults(run=command_reference)
    args = parser.parse_args()
    args.run(args)


if __name__ == "__main__":
    main()
