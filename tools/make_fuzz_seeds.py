#!/usr/bin/env python3
"""Writes fuzz/seeds/<family>/: one seed per command-line case row (tests/cases/*.tsv) whose
operation belongs to a fuzz family (fuzz/families.txt), in the fuzzers' input layout: the
operation's index in its family, flags (bit 0 --upper, bit 1 UTF-8 text), the charset's index,
then the text as UTF-8. The recognise family also gets, for auto and for detect, the first few
garbled texts of each chain of the recogniser's samples (tests/cases/recognition/*.tsv: C escapes,
quoted-printable, mail header words, hex of bytes, punycode, surrogate halves, every European,
Japanese and Korean misreading, names garbled inside a sentence), and the same texts glued into a
clean sentence. scripts/fuzz --minimise-seeds then keeps only the seeds that add coverage.

    python3 tools/make_fuzz_seeds.py
"""
import hashlib
import pathlib
import re

ROOT = pathlib.Path(__file__).resolve().parent.parent
CHARSETS = ["gbk", "gb18030", "big5", "utf-8", "utf-16le", "utf-16be", "shift_jis", "euc-kr",
            "windows-1252", "iso-8859-1", "cp437", "windows-1250", "windows-1251", "windows-1253",
            "windows-1254", "windows-1257", "iso-8859-2", "macintosh"]
ALIASES = {"cp936": "gbk", "cp950": "big5", "cp932": "shift_jis", "cp949": "euc-kr",
           "ibm437": "cp437", "cp1250": "windows-1250", "cp1251": "windows-1251",
           "cp1253": "windows-1253", "cp1254": "windows-1254", "cp1257": "windows-1257",
           "latin2": "iso-8859-2", "mac-roman": "macintosh"}


def unescape(field):
    out, i = [], 0
    while i < len(field):
        if field[i] == "\\" and i + 1 < len(field):
            c = field[i + 1]
            if c == "u":
                out.append(chr(int(field[i + 2:i + 6], 16)))
                i += 6
                continue
            out.append({"r": "\r", "n": "\n", "t": "\t", "\\": "\\", "0": "\0"}.get(c, c))
            i += 2
            continue
        out.append(field[i])
        i += 1
    return "".join(out)


def families():
    result = {}
    for line in (ROOT / "fuzz/families.txt").read_text().splitlines():
        match = re.match(r"^([a-z0-9-]+):\s*(.*)$", line)
        if match:
            result[match.group(1)] = match.group(2).split()
    return result


def main():
    family_of = {op: (name, ops.index(op)) for name, ops in families().items() for op in ops}
    written = 0
    for cases in sorted((ROOT / "tests/cases").glob("*.tsv")):
        for line in cases.read_text(encoding="utf-8").splitlines():
            if not line or line.startswith("#"):
                continue
            fields = line.split("\t")
            if len(fields) < 3 or fields[0] not in family_of:
                continue
            family, index = family_of[fields[0]]
            words = fields[1].split()
            charset = 0
            if "--charset" in words and words.index("--charset") + 1 < len(words):
                name = words[words.index("--charset") + 1].lower()
                name = ALIASES.get(name, name)
                if name not in CHARSETS:
                    continue
                charset = CHARSETS.index(name)
            flags = 2 | (1 if "--upper" in words else 0)
            seed = bytes([index, flags, charset]) + unescape(fields[2]).encode("utf-8", "surrogatepass")
            folder = ROOT / "fuzz/seeds" / family
            folder.mkdir(parents=True, exist_ok=True)
            (folder / hashlib.sha1(seed).hexdigest()).write_bytes(seed)
            written += 1
    written += recognition_seeds(family_of)
    print(f"{written} seeds")


# Garbled texts a chain of the recogniser's samples: enough to reach each chain's code.
SAMPLES_A_CHAIN = 3


def recognition_seeds(family_of):
    """Seeds for auto and detect from the recogniser's samples, as pasted and glued into clean
    Chinese text without blanks (the stretch search)."""
    written = 0
    taken = {}
    for samples in sorted((ROOT / "tests/cases/recognition").glob("*.tsv")):
        for line in samples.read_text(encoding="utf-8").splitlines():
            fields = line.split("\t")
            if line.startswith("#") or len(fields) < 6 or not fields[0].startswith("garbled"):
                continue
            if taken.get(fields[1], 0) == SAMPLES_A_CHAIN:
                continue
            taken[fields[1]] = taken.get(fields[1], 0) + 1
            text = unescape(fields[4])
            for operation in ("auto", "detect"):
                family, index = family_of[operation]
                for pasted in (text, "上传" + text + "失败"):
                    seed = bytes([index, 2, 0]) + pasted.encode("utf-8", "surrogatepass")
                    folder = ROOT / "fuzz/seeds" / family
                    folder.mkdir(parents=True, exist_ok=True)
                    (folder / hashlib.sha1(seed).hexdigest()).write_bytes(seed)
                    written += 1
    return written


main()
