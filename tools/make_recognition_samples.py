#!/usr/bin/env python3
"""Writes an evaluation set for recognising escaped, encoded and garbled Chinese text.

Real Chinese prose that none of our generators wrote (documentation installed by Debian packages)
is garbled by chains of steps built on Python's own codecs, an implementation of the charsets that
owes nothing to ours. Each sample records its chain, whether the whole chain was lossless, the
garbled text and the original. Clean texts (Chinese prose, English, code, paths, dates, mixed) that
a recogniser must leave alone complete the set.

    tools/make_recognition_samples.py --fetch SOURCES        # once: download and unpack the docs
    tools/make_recognition_samples.py SOURCES --out set.tsv  # the full set (kept out of the tree)
    tools/make_recognition_samples.py SOURCES --sample tests/cases/recognition/recognition_sample.tsv
    tools/make_recognition_samples.py SOURCES --out set.tsv --candidates candidates.tsv

--sample keeps to the permissively licensed sources (jieba's examples and docstrings, MIT); the
traditional-script sentences it needs are jieba's converted by OpenCC's `opencc -c s2twp.json`.
--candidates also writes, for every text of the set, each text that undoing up to two escape steps
and then up to three mojibake steps gives, for measuring a ranking. Standard library only (runs
with Debian 12's python3); the output depends only on the sources and --seed.

Step vocabulary (a chain applies its steps left to right to the original):
  X-as-Y         the text's bytes in charset X read in charset Y; X is utf8, gbk or big5 and Y is
                 gbk, big5, windows-1252 or latin1 (X != Y)
  url-X          every byte of the X form outside A-Z a-z 0-9 - _ . ~ as %XX (upper-case digits)
  percent-u      units below U+0100 other than A-Z a-z 0-9 @ * _ + - . / as %XX, others as %uXXXX
  unicode-escape units from U+0080 as \\uxxxx (lower-case digits); ASCII stays
  html-decimal   code points from U+0080 as &#N; ASCII stays
  html-hex       code points from U+0080 as &#xHHHH; (upper-case digits); ASCII stays
  base64-X       RFC 4648 Base64 of the X form, "=" padding, no line breaks
  hex-groups     each character as four characters: a double-byte GBK character as its four hex
                 digits, a single byte as "O" HH "O", CR as ODDO, LF dropped
Charsets follow Windows, whose code pages the recogniser undoes: utf8 is UTF-8; gbk is Python's
"gbk" with code page 936's additions (80 as the euro sign, FF as U+F8F5; the user-defined areas
AAA1-AFFE, F8A1-FEFE, A140-A7A0 as the private-use characters Python's gb18030 gives them; the 255
cells Python leaves empty in the symbol rows A2-A9 and FE50-FEA0 as U+E766 ... U+E864 in byte
order); big5 is Python's "cp950" with code page 950's additions (80 as U+0080, FF as U+F8F8; the
user-defined areas FA40-FEFE, 8E40-A0FE, 8140-8DFE and C6A1-C8FE as U+E000 ... U+F848, where
Python reads C6A1-C7FC as kana and signs instead); latin1 is ISO-8859-1 (every byte its own code
point); windows-1252 is Python's "cp1252" with its five undefined bytes 81 8D 8F 90 9D read as the
C1 controls U+0081 ... U+009D, as Windows and browsers read them.
A step loses when a character has no code in the charset (encoded as "?") or bytes form no
character (decoded as U+FFFD), or when the step, undone, does not give its input back exactly.
"""

import argparse
import base64
import codecs
import gzip
import os
import random
import re
import subprocess
import sys
import unicodedata

from debian_prose import joined_paragraphs, man_page_lines, sentences

# ---- charsets -----------------------------------------------------------------------------------

PYTHON_CODEC = {
    "utf8": "utf-8",
    "gbk": "gbk",
    "big5": "cp950",
    "windows-1252": "cp1252",
    "latin1": "latin-1",
}
SOURCE_CHARSETS = ("utf8", "gbk", "big5")
TARGET_CHARSETS = ("gbk", "big5", "windows-1252", "latin1")
C1_OF_1252 = {0x81, 0x8D, 0x8F, 0x90, 0x9D}


def _c1_handler(error):
    """cp1252's undefined bytes as their C1 controls, and back."""
    if isinstance(error, UnicodeDecodeError):
        byte = error.object[error.start]
        if byte in C1_OF_1252:
            return chr(byte), error.start + 1
    elif isinstance(error, UnicodeEncodeError):
        code = ord(error.object[error.start])
        if code in C1_OF_1252:
            return bytes([code]), error.start + 1
    raise error


def _is_user_defined_936(lead, trail):
    """The three user-defined areas of code page 936, private-use characters on Windows."""
    return ((0xAA <= lead <= 0xAF or 0xF8 <= lead <= 0xFE) and 0xA1 <= trail <= 0xFE) or (
        0xA1 <= lead <= 0xA7 and 0x40 <= trail <= 0xA0 and trail != 0x7F)


def _is_double_byte_cell(lead, trail):
    return 0x81 <= lead <= 0xFE and 0x40 <= trail <= 0xFE and trail != 0x7F


def _empty_cells_936():
    """Cells of code page 936 that Python's gbk leaves empty and Windows reads as U+E766 on."""
    cells = {}
    for lead in range(0xA1, 0xFF):
        for trail in range(0x40, 0xFF):
            if not _is_double_byte_cell(lead, trail) or _is_user_defined_936(lead, trail):
                continue
            try:
                bytes([lead, trail]).decode("gbk")
            except UnicodeDecodeError:
                cells[bytes([lead, trail])] = chr(0xE766 + len(cells))
    assert len(cells) == 255, len(cells)
    return cells


EMPTY_CELLS_936 = _empty_cells_936()
EMPTY_CELL_OF_936 = {ch: data for data, ch in EMPTY_CELLS_936.items()}
SINGLE_936 = {0x80: "\u20ac", 0xFF: "\uf8f5"}


def _gbk_handler(error):
    """Code page 936's additions to Python's gbk (see the header)."""
    if isinstance(error, UnicodeDecodeError):
        data, at = error.object, error.start
        if data[at] in SINGLE_936:
            return SINGLE_936[data[at]], at + 1
        pair = data[at:at + 2]
        if len(pair) == 2 and _is_user_defined_936(pair[0], pair[1]):
            return pair.decode("gb18030"), at + 2
        if pair in EMPTY_CELLS_936:
            return EMPTY_CELLS_936[pair], at + 2
    elif isinstance(error, UnicodeEncodeError):
        ch = error.object[error.start]
        for byte, single in SINGLE_936.items():
            if ch == single:
                return bytes([byte]), error.start + 1
        if ch in EMPTY_CELL_OF_936:
            return EMPTY_CELL_OF_936[ch], error.start + 1
        data = ch.encode("gb18030")
        if len(data) == 2 and _is_user_defined_936(data[0], data[1]):
            return data, error.start + 1
    raise error


def _trail_index_950(trail):
    return trail - 0x40 if trail <= 0x7E else trail - 0xA1 + 63


def _user_defined_950(lead, trail):
    """The private-use character Windows reads a user-defined cell of code page 950 as, or None."""
    if not (0x40 <= trail <= 0x7E or 0xA1 <= trail <= 0xFE):
        return None
    for low, high, first in ((0xFA, 0xFE, 0xE000), (0x8E, 0xA0, 0xE311), (0x81, 0x8D, 0xEEB8)):
        if low <= lead <= high:
            return chr(first + (lead - low) * 157 + _trail_index_950(trail))
    if 0xC6 <= lead <= 0xC8 and (lead > 0xC6 or trail >= 0xA1):
        return chr(0xF6B1 + (lead - 0xC6) * 157 + _trail_index_950(trail) - 63)
    return None


USER_DEFINED_950 = {bytes([lead, trail]): ch for lead in range(0x81, 0xFF)
                    for trail in range(0x40, 0xFF)
                    if (ch := _user_defined_950(lead, trail)) is not None}
USER_DEFINED_OF_950 = {ch: data for data, ch in USER_DEFINED_950.items()}
SINGLE_950 = {0x80: "\u0080", 0xFF: "\uf8f8"}


def _kana_950():
    """What Python reads in C6A1-C7FC, each to the private-use character Windows reads there."""
    kana = {}
    for data, ch in USER_DEFINED_950.items():
        try:
            python = data.decode("cp950")
        except UnicodeDecodeError:
            continue
        assert python.encode("cp950") == data, data
        kana[python] = ch
    return kana


KANA_950 = _kana_950()
# Characters Python's cp950 has and Windows' has not: encoding them must fail.
NOT_IN_950 = str.maketrans({ch: "\uffff" for ch in KANA_950})
KANA_TO_PUA_950 = str.maketrans(KANA_950)


def _big5_handler(error):
    """Code page 950's additions to Python's cp950 (see the header)."""
    if isinstance(error, UnicodeDecodeError):
        data, at = error.object, error.start
        if data[at] in SINGLE_950:
            return SINGLE_950[data[at]], at + 1
        if data[at:at + 2] in USER_DEFINED_950:
            return USER_DEFINED_950[data[at:at + 2]], at + 2
    elif isinstance(error, UnicodeEncodeError):
        ch = error.object[error.start]
        for byte, single in SINGLE_950.items():
            if ch == single:
                return bytes([byte]), error.start + 1
        if ch in USER_DEFINED_OF_950:
            return USER_DEFINED_OF_950[ch], error.start + 1
    raise error


codecs.register_error("kelvaro-c1", _c1_handler)
codecs.register_error("kelvaro-936", _gbk_handler)
codecs.register_error("kelvaro-950", _big5_handler)


def _errors(charset):
    return {"windows-1252": "kelvaro-c1", "gbk": "kelvaro-936", "big5": "kelvaro-950"}.get(
        charset, "strict")


def _encodable(text, charset):
    return text.translate(NOT_IN_950) if charset == "big5" else text


def _decoded(text, charset):
    return text.translate(KANA_TO_PUA_950) if charset == "big5" else text


def encode(text, charset):
    """(bytes, lost): characters without a code become "?"."""
    codec, text = PYTHON_CODEC[charset], _encodable(text, charset)
    try:
        return text.encode(codec, _errors(charset)), False
    except UnicodeEncodeError:
        out = bytearray()
        for ch in text:
            try:
                out += ch.encode(codec, _errors(charset))
            except UnicodeEncodeError:
                out += b"?"
        return bytes(out), True


def decode(data, charset):
    """(text, lost): bytes that form no character become U+FFFD."""
    codec = PYTHON_CODEC[charset]
    try:
        return _decoded(data.decode(codec, _errors(charset)), charset), False
    except UnicodeDecodeError:
        out, at = [], 0
        while at < len(data):
            try:
                out.append(data[at:].decode(codec, _errors(charset)))
                break
            except UnicodeDecodeError as error:
                out.append(data[at:at + error.start].decode(codec, _errors(charset)))
                out.append("\ufffd")
                at += error.end
        return _decoded("".join(out), charset), True


def strict_encode(text, charset):
    try:
        return _encodable(text, charset).encode(PYTHON_CODEC[charset], _errors(charset))
    except UnicodeEncodeError:
        return None


def strict_decode(data, charset):
    try:
        return _decoded(data.decode(PYTHON_CODEC[charset], _errors(charset)), charset)
    except UnicodeDecodeError:
        return None


# ---- steps --------------------------------------------------------------------------------------

MOJIBAKE_STEPS = [f"{x}-as-{y}" for x in SOURCE_CHARSETS for y in TARGET_CHARSETS if x != y]
ESCAPE_STEPS = ["url-utf8", "url-gbk", "url-big5", "percent-u", "unicode-escape", "html-decimal",
                "html-hex", "base64-utf8", "base64-gbk", "base64-big5", "hex-groups"]
STEPS = MOJIBAKE_STEPS + ESCAPE_STEPS

URL_KEPT = frozenset(b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.~")
PERCENT_U_KEPT = frozenset("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789@*_+-./")


def utf16_units(text):
    data = text.encode("utf-16-le", "surrogatepass")
    return [data[i] | data[i + 1] << 8 for i in range(0, len(data), 2)]


def from_units(units):
    """Text of UTF-16 units, or None when a surrogate is unpaired."""
    data = b"".join(bytes([u & 0xFF, u >> 8]) for u in units)
    try:
        return data.decode("utf-16-le")
    except UnicodeDecodeError:
        return None


def apply_step(step, text):
    """(garbled text, lost) of one step."""
    if "-as-" in step:
        source, target = step.split("-as-")
        data, lost_encoding = encode(text, source)
        out, lost_decoding = decode(data, target)
        lost = lost_encoding or lost_decoding or undo_step(step, out) != text
        return out, lost
    if step.startswith("url-"):
        data, lost = encode(text, step[4:])
        return "".join(chr(b) if b in URL_KEPT else "%%%02X" % b for b in data), lost
    if step == "percent-u":
        out = []
        for unit in utf16_units(text):
            if chr(unit) in PERCENT_U_KEPT:
                out.append(chr(unit))
            elif unit < 0x100:
                out.append("%%%02X" % unit)
            else:
                out.append("%%u%04X" % unit)
        return "".join(out), False
    if step == "unicode-escape":
        return "".join(chr(u) if u < 0x80 else "\\u%04x" % u for u in utf16_units(text)), False
    if step == "html-decimal":
        return "".join(c if ord(c) < 0x80 else "&#%d;" % ord(c) for c in text), False
    if step == "html-hex":
        return "".join(c if ord(c) < 0x80 else "&#x%X;" % ord(c) for c in text), False
    if step.startswith("base64-"):
        data, lost = encode(text, step[7:])
        return base64.b64encode(data).decode("ascii"), lost
    if step == "hex-groups":
        out, lost = [], False
        for i, ch in enumerate(text):
            if ch == "\r":
                out.append("ODDO")
            elif ch == "\n":
                lost = lost or i == 0 or text[i - 1] != "\r"
            else:
                data, lost_char = encode(ch, "gbk")
                lost = lost or lost_char
                out.append("%02X%02X" % (data[0], data[1]) if len(data) == 2 else
                           "O%02XO" % data[0])
        return "".join(out), lost
    raise ValueError(step)


def apply_chain(chain, text):
    lost = False
    for step in chain:
        text, lost_here = apply_step(step, text)
        lost = lost or lost_here
    return text, lost


HEX = "0123456789abcdefABCDEF"


def undo_step(step, text):
    """The text that the step turned into `text`, or None where it cannot have made it."""
    if "-as-" in step:
        source, target = step.split("-as-")
        data = strict_encode(text, target)
        return None if data is None else strict_decode(data, source)
    if step.startswith("url-"):
        if not re.search("%[0-9A-Fa-f]{2}", text):
            return None
        data, i = bytearray(), 0
        while i < len(text):
            if text[i] == "%" and i + 2 < len(text) + 0 and all(c in HEX for c in text[i + 1:i + 3]):
                data.append(int(text[i + 1:i + 3], 16))
                i += 3
                continue
            piece = strict_encode(text[i], step[4:])
            if piece is None:
                return None
            data += piece
            i += 1
        return strict_decode(bytes(data), step[4:])
    if step == "percent-u":
        if not re.search("%u[0-9A-Fa-f]{4}", text):
            return None
        units, i = [], 0
        while i < len(text):
            if text.startswith("%u", i) and all(c in HEX for c in text[i + 2:i + 6]) \
                    and len(text) >= i + 6:
                units.append(int(text[i + 2:i + 6], 16))
                i += 6
            elif text[i] == "%" and len(text) >= i + 3 and all(c in HEX for c in text[i + 1:i + 3]):
                units.append(int(text[i + 1:i + 3], 16))
                i += 3
            else:
                units += utf16_units(text[i])
                i += 1
        return from_units(units)
    if step == "unicode-escape":
        if not re.search(r"\\u[0-9A-Fa-f]{4}", text):
            return None
        units, i = [], 0
        while i < len(text):
            if text.startswith("\\u", i) and len(text) >= i + 6 and \
                    all(c in HEX for c in text[i + 2:i + 6]):
                units.append(int(text[i + 2:i + 6], 16))
                i += 6
            else:
                units += utf16_units(text[i])
                i += 1
        return from_units(units)
    if step in ("html-decimal", "html-hex"):
        pattern = r"&#([0-9]+);" if step == "html-decimal" else r"&#[xX]([0-9A-Fa-f]+);"
        if not re.search(pattern, text):
            return None
        base = 10 if step == "html-decimal" else 16
        try:
            return re.sub(pattern, lambda m: chr(int(m.group(1), base)), text)
        except (ValueError, OverflowError):
            return None
    if step.startswith("base64-"):
        if len(text) < 4 or len(text) % 4 or not re.fullmatch(r"[A-Za-z0-9+/]+={0,2}", text):
            return None
        return strict_decode(base64.b64decode(text), step[7:])
    if step == "hex-groups":
        if not text or len(text) % 4:
            return None
        data = bytearray()
        for i in range(0, len(text), 4):
            group = text[i:i + 4]
            if group == "ODDO":
                data += b"\r\n"
            elif re.fullmatch("O[0-9A-F]{2}O", group):
                data.append(int(group[1:3], 16))
            elif re.fullmatch("[0-9A-Fa-f]{4}", group):
                data += bytes([int(group[:2], 16), int(group[2:], 16)])
            else:
                return None
        return strict_decode(bytes(data), "gbk")
    raise ValueError(step)


# Every chain the recogniser must undo; "t" marks chains whose original is traditional Chinese
# (it must have a BIG5 form), "s" simplified, "*" either.
CHAINS = [
    # one mojibake layer
    ("utf8-as-gbk", "*"), ("utf8-as-big5", "t"), ("utf8-as-windows-1252", "*"),
    ("utf8-as-latin1", "*"), ("gbk-as-big5", "s"), ("gbk-as-windows-1252", "s"),
    ("gbk-as-latin1", "s"), ("big5-as-gbk", "t"), ("big5-as-windows-1252", "t"),
    ("big5-as-latin1", "t"),
    # two layers
    ("utf8-as-gbk utf8-as-gbk", "*"), ("utf8-as-gbk utf8-as-windows-1252", "*"),
    ("utf8-as-gbk utf8-as-latin1", "*"), ("utf8-as-windows-1252 utf8-as-windows-1252", "*"),
    ("utf8-as-latin1 utf8-as-latin1", "*"), ("utf8-as-windows-1252 utf8-as-gbk", "*"),
    ("gbk-as-latin1 utf8-as-latin1", "s"), ("gbk-as-windows-1252 utf8-as-gbk", "s"),
    ("big5-as-gbk utf8-as-gbk", "t"), ("big5-as-latin1 utf8-as-latin1", "t"),
    # three layers
    ("utf8-as-gbk utf8-as-gbk utf8-as-gbk", "*"),
    ("utf8-as-gbk utf8-as-gbk utf8-as-windows-1252", "*"),
    ("utf8-as-gbk utf8-as-windows-1252 utf8-as-windows-1252", "*"),
    ("utf8-as-windows-1252 utf8-as-windows-1252 utf8-as-windows-1252", "*"),
    ("utf8-as-gbk utf8-as-latin1 utf8-as-latin1", "*"),
    # escapes and encodings
    ("url-utf8", "*"), ("url-gbk", "s"), ("url-big5", "t"), ("url-utf8 url-utf8", "*"),
    ("url-gbk url-utf8", "s"), ("percent-u", "*"), ("unicode-escape", "*"),
    ("html-decimal", "*"), ("html-hex", "*"), ("base64-utf8", "*"), ("base64-gbk", "s"),
    ("base64-big5", "t"), ("hex-groups", "s"),
    # one escape layer over mojibake
    ("utf8-as-gbk url-utf8", "*"), ("utf8-as-windows-1252 url-utf8", "*"),
    ("gbk-as-latin1 url-utf8", "s"), ("utf8-as-gbk percent-u", "*"),
    ("utf8-as-gbk unicode-escape", "*"), ("utf8-as-gbk html-decimal", "*"),
    ("utf8-as-gbk base64-utf8", "*"),
]


# ---- sources ------------------------------------------------------------------------------------

PACKAGES = ["python-jieba-doc", "python3-jieba", "debian-faq-zh-cn", "manpages-zh"]
JIEBA_EXAMPLES = "usr/share/doc/python-jieba-doc/examples"
JIEBA_MODULE = "usr/lib/python3/dist-packages/jieba"
FAQ_TEXT = "usr/share/doc/debian/FAQ/debian-faq.zh-cn.txt.gz"
MAN_DIR = "usr/share/man"

HAN = re.compile("[\u3400-\u4dbf\u4e00-\u9fff\uf900-\ufaff]")
CLAUSE_SPLIT = re.compile("[，、。！？；：:,;!?（）()“”\"'《》「」『』\\s]+")


def fetch(directory):
    os.makedirs(directory, exist_ok=True)
    subprocess.run(["apt-get", "download"] + PACKAGES, cwd=directory, check=True)
    for name in sorted(os.listdir(directory)):
        if name.endswith(".deb"):
            subprocess.run(["dpkg", "-x", name, "."], cwd=directory, check=True)


def han_share(text):
    return len(HAN.findall(text)) / max(1, len(text))


def python_files(root):
    for folder, _, names in sorted(os.walk(root)):
        for name in sorted(names):
            if name.endswith(".py"):
                yield os.path.join(folder, name)


def jieba_sentences(sources):
    """String literals with Chinese in jieba's examples (MIT)."""
    found = []
    for path in python_files(os.path.join(sources, JIEBA_EXAMPLES)):
        with open(path, encoding="utf-8", errors="replace") as f:
            for literal in re.findall(r"\"([^\"\\\n]{2,200})\"|'([^'\\\n]{2,200})'", f.read()):
                text = (literal[0] or literal[1]).strip()
                if HAN.search(text) and "\ufffd" not in text:
                    found.append(text)
    return found


def jieba_english_and_code(sources):
    """Docstring sentences and code lines of jieba's module (MIT)."""
    english, code = [], []
    for path in python_files(os.path.join(sources, JIEBA_MODULE)):
        with open(path, encoding="utf-8", errors="replace") as f:
            text = f.read()
        for doc in re.findall(r'"""(.*?)"""', text, re.S):
            for sentence in re.split(r"(?<=\.)\s+|\n\s*\n", doc):
                sentence = " ".join(sentence.split())
                if 12 <= len(sentence) <= 160 and re.search("[a-z]{3} [a-z]{2}", sentence) \
                        and sentence.isascii():
                    english.append(sentence)
        for line in text.splitlines():
            line = line.strip()
            # Lines that hold escapes themselves (\\u5195, %E4) are no clean text.
            if 8 <= len(line) <= 100 and line.isascii() and not line.startswith("#") \
                    and re.search(r"[=(.:\[]", line) and not re.search(r"\\|%[0-9A-F]{2}|&#", line):
                code.append(line)
    return english, code


def faq_sentences(sources):
    path = os.path.join(sources, FAQ_TEXT)
    if not os.path.exists(path):
        return []
    with gzip.open(path, "rt", encoding="utf-8", errors="replace") as f:
        text = f.read()
    found = [s for joined in joined_paragraphs(text, HAN) for s in sentences(joined)]
    return [s for s in found if han_share(s) >= 0.3 and "\ufffd" not in s]




def man_sentences(sources, language):
    return [s for line in man_page_lines(os.path.join(sources, MAN_DIR, language))
            for s in sentences(line) if han_share(s) >= 0.4 and "\\" not in s and "\ufffd" not in s]


def to_traditional(texts):
    """jieba's sentences in traditional script through OpenCC, or none without it."""
    try:
        run = subprocess.run(["opencc", "-c", "s2twp.json"], input="\n".join(texts),
                             capture_output=True, text=True, check=True)
    except (OSError, subprocess.CalledProcessError):
        print("opencc not found: no traditional-script samples", file=sys.stderr)
        return []
    return run.stdout.splitlines()


def package_paths(sources):
    paths = []
    for folder, _, names in sorted(os.walk(sources)):
        for name in sorted(names):
            path = os.path.relpath(os.path.join(folder, name), sources)
            if not path.endswith(".deb"):
                paths.append("/" + path)
    return paths


# ---- texts --------------------------------------------------------------------------------------

def unique(texts):
    seen, out = set(), []
    for t in texts:
        if t not in seen:
            seen.add(t)
            out.append(t)
    return out


def sentences_of(texts, low=9, high=60):
    """Sentences of `low` to `high` units: long ones are cut at clause marks."""
    out = []
    for text in texts:
        text = " ".join(text.split())
        while len(text) > high:
            cut = max(text.rfind(mark, low, high) for mark in "，,；;：:")
            if cut < low:
                break
            out.append(text[:cut + 1])
            text = text[cut + 1:].strip()
        if low <= len(text) <= high:
            out.append(text)
    return unique(out)


EXTENSIONS = [".txt", ".doc", ".pdf", ".jpg", ".zip", ".xls", ".mp3", ".png"]


def short_texts(texts, rng, count):
    """Names of 2 to 8 units: a run of Chinese from a sentence, some with a file extension."""
    runs = unique(r for t in texts for r in CLAUSE_SPLIT.split(t)
                  if len(r) >= 2 and han_share(r) == 1)
    out = []
    for _ in range(count * 20):
        if len(out) >= count or not runs:
            break
        run = rng.choice(runs)
        extension = rng.choice(EXTENSIONS) if rng.random() < 0.3 else ""
        length = rng.randint(2, min(len(run), 8 - len(extension) if extension else 8))
        start = rng.randint(0, len(run) - length)
        out.append(run[start:start + length] + extension)
    return unique(out)


def fits(text, script):
    """Whether the text has a form in the charset of its script (BIG5 for "t", GBK for "s")."""
    return strict_encode(text, "big5" if script == "t" else "gbk") is not None


def dates(rng, count):
    out = []
    for _ in range(count):
        y, mo, d = rng.randint(1990, 2035), rng.randint(1, 12), rng.randint(1, 28)
        h, mi, s = rng.randint(0, 23), rng.randint(0, 59), rng.randint(0, 59)
        out.append(rng.choice([
            f"{y}-{mo:02d}-{d:02d}", f"{y}/{mo}/{d}", f"{y}年{mo}月{d}日",
            f"{y}-{mo:02d}-{d:02d} {h:02d}:{mi:02d}:{s:02d}", f"{y}年{mo}月{d}日 {h}:{mi:02d}",
            f"{d:02d}.{mo:02d}.{y}", f"{y}{mo:02d}{d:02d}", f"{h:02d}:{mi:02d}",
            f"{y}-{mo:02d}-{d:02d}T{h:02d}:{mi:02d}:{s:02d}Z", f"{mo}月{d}日",
        ]))
    return out


def windows_path(path):
    return "C:" + path.replace("/", "\\")


# ---- the set ------------------------------------------------------------------------------------

def escape_field(text):
    out = []
    for ch in text:
        code = ord(ch)
        if ch == "\\":
            out.append("\\\\")
        elif ch == "\t":
            out.append("\\t")
        elif ch == "\r":
            out.append("\\r")
        elif ch == "\n":
            out.append("\\n")
        elif ch == "\0":
            out.append("\\0")
        elif code < 0x20 or 0x7F <= code < 0xA0 or 0xD800 <= code < 0xF900 or \
                unicodedata.category(ch) in ("Cf", "Zl", "Zp"):
            out.append("\\u%04X" % code)
        else:
            out.append(ch)
    return "".join(out)


HEADER_COLUMNS = "kind\tchain\tlossless\tlength\ttext\toriginal"


def build(pools, rng, per_chain, clean_count, lossy_share):
    """Rows (kind, chain, lossless, length, text, original); fills lossy_share[chain]."""
    rows = []
    for chain_text, script in CHAINS:
        # Most chains lose bytes on most texts (an odd UTF-8 tail read as GBK); drawing goes on
        # until three quarters of the chain's samples are lossless, and counts the natural share.
        chain, seen = chain_text.split(), set()
        want = {"yes": per_chain - per_chain // 4, "no": per_chain // 4}
        made = {"yes": 0, "no": 0}
        made_short = drawn = 0
        natural = [apply_chain(chain, rng.choice(pools[script if script != "*" else "s"]))[1]
                   for _ in range(200)]
        lossy_share[",".join(chain)] = sum(natural) / len(natural)
        while made != want and drawn < per_chain * 400:
            use = script if script != "*" else (
                "t" if pools["t"] and rng.random() < 0.25 else "s")
            short = made_short * 3 < sum(made.values()) + 1
            pool = pools[use + ("-short" if short else "")]
            original = rng.choice(pool)
            drawn += 1
            if original in seen:
                continue
            garbled, lost = apply_chain(chain, original)
            if garbled == original:
                continue
            lossless = "no" if lost else "yes"
            if made[lossless] == want[lossless]:
                continue
            seen.add(original)
            made[lossless] += 1
            made_short += short
            rows.append(("garbled", ",".join(chain), lossless, "short" if short else "sentence",
                         garbled, original))
    for kind, texts in pools["clean"]:
        for text in texts[:clean_count.get(kind, len(texts))]:
            rows.append((kind, "", "yes", "short" if len(text) <= 8 else "sentence", text, text))
    return rows


def make_pools(sources, rng, permissive_only, clean_per_kind):
    jieba = sentences_of(jieba_sentences(sources))
    english, code = jieba_english_and_code(sources)
    simplified = list(jieba)
    if not permissive_only:
        simplified += sentences_of(faq_sentences(sources)) + sentences_of(
            man_sentences(sources, "zh_CN"))
    traditional = [] if permissive_only else sentences_of(man_sentences(sources, "zh_TW"))
    traditional = [t for t in traditional + to_traditional(jieba) if fits(t, "t")]
    simplified = unique(t for t in simplified if fits(t, "s"))
    traditional = unique(traditional)
    rng.shuffle(simplified)
    rng.shuffle(traditional)
    # Clean Chinese comes from the end of the shuffled pool, the originals from the rest.
    clean_chinese = simplified[-clean_per_kind:]
    pools = {
        "s": simplified[:-clean_per_kind] or simplified,
        "t": traditional,
    }
    pools["s-short"] = short_texts(pools["s"], rng, 600)
    pools["t-short"] = short_texts(traditional, rng, 300)
    paths = [p for p in package_paths(sources) if len(p) <= 120]
    rng.shuffle(paths)
    paths = paths[:clean_per_kind // 2] + [windows_path(p) for p in paths[-clean_per_kind // 2:]]
    names = unique(os.path.basename(p.replace("\\", "/")) for p in paths)
    rng.shuffle(english)
    rng.shuffle(code)
    mixed = [t for t in simplified if re.search("[A-Za-z0-9]{2}", t)]
    clean_short = short_texts(clean_chinese, rng, clean_per_kind // 2)
    pools["clean"] = [
        ("clean-chinese", unique(clean_chinese + clean_short)),
        ("clean-english", unique(english + [w for t in english for w in t.split()
                                            if len(w) >= 3 and w.isalpha()][:clean_per_kind])),
        ("clean-code", unique(code)),
        ("clean-path", unique(paths + names)),
        ("clean-date", unique(dates(rng, clean_per_kind))),
        ("clean-mixed", unique(mixed)),
    ]
    return pools


def write_rows(path, rows, header):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        for line in header:
            f.write("# " + line + "\n")
        f.write("# " + HEADER_COLUMNS + "\n")
        for kind, chain, lossless, length, text, original in rows:
            f.write("\t".join([kind, chain, lossless, length, escape_field(text),
                               escape_field(original)]) + "\n")


# ---- candidates for measuring a ranking ---------------------------------------------------------

def candidates(text, max_escapes=2, max_mojibake=3):
    """{candidate: chain} of every text that undoing steps gives, the fewest steps kept."""
    found = {text: ()}
    frontier = [(text, ())]
    # Escapes are outermost: undo up to two of them first, then up to three mojibake layers.
    for _ in range(max_escapes):
        next_frontier = []
        for t, chain in frontier:
            for step in ESCAPE_STEPS:
                undone = undo_step(step, t)
                if undone is not None and undone != t and undone not in found:
                    found[undone] = (step,) + chain
                    next_frontier.append((undone, (step,) + chain))
        frontier = next_frontier
    frontier = list(found.items())
    for _ in range(max_mojibake):
        next_frontier = []
        for t, chain in frontier:
            for step in MOJIBAKE_STEPS:
                undone = undo_step(step, t)
                if undone is not None and undone != t and undone not in found:
                    found[undone] = (step,) + chain
                    next_frontier.append((undone, (step,) + chain))
        frontier = next_frontier
    return found


def write_candidates(path, rows):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("# index\tchain\tcandidate (index: the row of the set, from 0)\n")
        for index, row in enumerate(rows):
            for text, chain in candidates(row[4]).items():
                f.write(f"{index}\t{','.join(chain)}\t{escape_field(text)}\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("sources", help="folder of the unpacked Debian packages " +
                        ", ".join(PACKAGES))
    parser.add_argument("--fetch", action="store_true",
                        help="download and unpack the packages into SOURCES, then stop")
    parser.add_argument("--out", help="write the full set here")
    parser.add_argument("--sample", help="write the small sample of permissive sources here")
    parser.add_argument("--candidates", help="with --out: write every set text's candidates here")
    parser.add_argument("--seed", type=int, default=17)
    parser.add_argument("--per-chain", type=int, default=40)
    args = parser.parse_args()
    if args.fetch:
        fetch(args.sources)
        return
    if not args.out and not args.sample:
        parser.error("nothing to write: give --out or --sample")
    if args.out:
        rng, lossy_share = random.Random(args.seed), {}
        pools = make_pools(args.sources, rng, False, 120)
        rows = build(pools, rng, args.per_chain, {k: 100 for k, _ in pools["clean"]}, lossy_share)
        write_rows(args.out, rows, [
            "Evaluation set of the recogniser, written by tools/make_recognition_samples.py.",
            f"Seed {args.seed}, {args.per_chain} samples a chain; see the tool for the steps.",
            "Share of the drawn originals that each chain garbles with loss:"] + [
            f"  {chain} {share:.0%}" for chain, share in lossy_share.items()])
        report(rows, lossy_share)
        if args.candidates:
            write_candidates(args.candidates, rows)
    if args.sample:
        rng, lossy_share = random.Random(args.seed), {}
        pools = make_pools(args.sources, rng, True, 20)
        rows = build(pools, rng, 5, {k: 12 for k, _ in pools["clean"]}, lossy_share)
        write_rows(args.sample, rows, [
            "Garbled and clean texts for the recogniser's tests, with what each must give back.",
            "Written by tools/make_recognition_samples.py SOURCES --sample (see the tool for the",
            "step vocabulary and the byte semantics of each step) from the Chinese sentences of",
            "jieba's examples and the docstrings and code of its module (python-jieba-doc,",
            "python3-jieba; MIT), traditional sentences converted from them by OpenCC s2twp.",
            "Chains apply left to right to the original; lossless=no: some step lost bytes",
            "(U+FFFD or ?), so only a partial repair is possible. Fields take the escapes",
            "\\r \\n \\t \\\\ \\0 \\uXXXX. Clean rows must come back unchanged."])
        report(rows, {})


def report(rows, lossy_share):
    garbled = [r for r in rows if r[0] == "garbled"]
    lossless = sum(r[2] == "yes" for r in garbled)
    short = sum(r[3] == "short" for r in garbled)
    for chain, share in lossy_share.items():
        print(f"{share:4.0%} lossy  {chain}", file=sys.stderr)
    print(f"{len(garbled)} garbled ({lossless} lossless, {short} short), "
          f"{len(rows) - len(garbled)} clean", file=sys.stderr)


if __name__ == "__main__":
    main()
