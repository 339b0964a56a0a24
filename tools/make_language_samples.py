#!/usr/bin/env python3
"""Writes an evaluation set for the recogniser in many languages: clean texts that it must leave
alone, and texts garbled the ways real tools garble them (UTF-8 read in a European, Japanese or
Korean charset, git's octal quoting, Python's \\x escapes and b'...', mail headers,
quoted-printable, plain hex of bytes, zip names read as CP437, punycode hosts, form-encoded
queries, emoji written as UTF-8 of their surrogate halves, a garbled name inside a clean sentence,
between blanks or glued to the characters beside it).

The texts are the translated messages of the catalogues installed under /usr/share/locale
(programs' .mo files: mostly GPL or LGPL, so the set is for measuring only and stays out of the
tree). The garbling is Python's own codecs, which owe nothing to ours. Same columns as
tools/make_recognition_samples.py, so that the recogniser's tests measure it:

    tools/make_language_samples.py --out /tmp/languages.tsv
    KELVARO_RECOGNITION_SET=/tmp/languages.tsv build/rel/tests/kelvaro-tests \\
        --gtest_filter='RecognitionSample.MeasureTheFullSet'

--sample writes the small set the tests carry (tests/cases/recognition/languages_sample.tsv) from
permissive sources only: CLDR's names in each language (unicode-cldr-core, Unicode licence; the
script model's own source, so it checks regressions, not the figures) and, for the Chinese
chains, jieba's example sentences (MIT; the SOURCES folder of make_recognition_samples.py --fetch):

    tools/make_language_samples.py --sample tests/cases/recognition/languages_sample.tsv \\
        --jieba SOURCES

Charsets follow Windows as tools/make_recognition_samples.py says; a byte a code page leaves
undefined makes the sample lossy. Standard library only; the output depends only on the installed
catalogues and --seed.
"""

import argparse
import base64
import codecs
import gettext
import glob
import os
import random
import re
import sys

from make_recognition_samples import HEADER_COLUMNS, decode as decode_cjk, encode as encode_cjk, \
    escape_field

PYTHON_CODEC = {
    "utf8": "utf-8", "windows-1252": "cp1252", "latin1": "latin-1", "windows-1250": "cp1250",
    "windows-1251": "cp1251", "windows-1253": "cp1253", "windows-1254": "cp1254",
    "windows-1257": "cp1257", "iso-8859-2": "iso8859_2", "macintosh": "mac_roman",
    "cp437": "cp437", "shift_jis": "cp932", "euc-kr": "cp949",
}

# Which catalogues, and the misreadings each language meets in the wild.
LANGUAGES = {
    "de": ["utf8-as-windows-1252", "utf8-as-macintosh", "utf8-as-cp437",
           "utf8-as-windows-1252 utf8-as-windows-1252"],
    "fr": ["utf8-as-windows-1252", "utf8-as-latin1", "utf8-as-macintosh", "utf8-as-cp437"],
    "es": ["utf8-as-windows-1252", "utf8-as-iso-8859-2"],
    "pt_BR": ["utf8-as-windows-1252", "utf8-as-windows-1252 utf8-as-windows-1252"],
    "pl": ["utf8-as-windows-1250", "utf8-as-iso-8859-2", "utf8-as-windows-1252"],
    "cs": ["utf8-as-windows-1250", "utf8-as-iso-8859-2", "utf8-as-windows-1252"],
    "hu": ["utf8-as-windows-1250", "utf8-as-windows-1252"],
    "ru": ["utf8-as-windows-1251", "utf8-as-windows-1252", "utf8-as-cp437"],
    "uk": ["utf8-as-windows-1251"],
    "el": ["utf8-as-windows-1253", "utf8-as-windows-1252"],
    "tr": ["utf8-as-windows-1254", "utf8-as-windows-1252"],
    "lt": ["utf8-as-windows-1257"],
    "ja": ["utf8-as-shift_jis", "utf8-as-gbk", "utf8-as-windows-1252"],
    "ko": ["utf8-as-euc-kr", "utf8-as-windows-1252"],
    "zh_CN": ["utf8-as-shift_jis", "utf8-as-euc-kr", "utf8-as-windows-1251", "utf8-as-cp437",
              "gbk-as-cp437", "utf8-as-windows-1250", "utf8-as-macintosh", "gbk-as-windows-1251",
              "c-escape-utf8", "c-escape-utf8/python", "c-escape-utf8/bytes",
              "byte-hex-utf8", "byte-hex-utf8/spaced", "quoted-printable-utf8",
              "mime-header-gbk", "mime-header-utf8/q", "url-form-utf8", "punycode",
              "utf8-surrogates-as-windows-1252", "stretch utf8-as-gbk", "glued utf8-as-gbk",
              "glued utf8-as-windows-1252"],
    "zh_TW": ["big5-as-cp437", "utf8-as-shift_jis", "c-escape-utf8", "mime-header-big5",
              "big5-as-windows-1251"],
}

EMOJI = ["\U0001F60D", "\U0001F600", "\U0001F602", "\U0001F44D", "\U0001F389", "\U0001F525"]


def catalogue_texts(language):
    """Translated messages of one language's catalogues, as a person would see them."""
    texts = set()
    for path in sorted(glob.glob(f"/usr/share/locale/{language}/LC_MESSAGES/*.mo")):
        try:
            with open(path, "rb") as f:
                catalogue = gettext.GNUTranslations(f)._catalog
        except (OSError, UnicodeDecodeError, Exception):
            continue
        for key, value in catalogue.items():
            if not key or not isinstance(value, str):
                continue
            value = value.replace("_", "").replace("&", "").strip()
            # Format strings and markup are not text as it is pasted; keep one-line messages.
            if re.search(r"[%{}<>\\\n\t]|\$\(", value) or not 4 <= len(value) <= 100:
                continue
            if value.isascii() and language not in ("de", "fr", "es", "pt_BR"):
                continue
            texts.add(value)
    return sorted(texts)


def _undefined_as_c1(error):
    """A windows-125x byte its code page leaves undefined reads as its C1 control, as Windows and
    browsers read it, and the control writes that byte back."""
    if isinstance(error, UnicodeDecodeError):
        byte = error.object[error.start]
        if 0x80 <= byte < 0xA0:
            return chr(byte), error.start + 1
    elif isinstance(error, UnicodeEncodeError):
        code = ord(error.object[error.start])
        if 0x80 <= code < 0xA0:
            return bytes([code]), error.start + 1
    raise error


codecs.register_error("kelvaro-undefined-c1", _undefined_as_c1)


def _errors(charset):
    return "kelvaro-undefined-c1" if charset.startswith("windows-") else "strict"


def encode(text, charset):
    if charset in ("gbk", "big5"):
        data, lost = encode_cjk(text, charset)
        return data, lost
    try:
        return text.encode(PYTHON_CODEC[charset], _errors(charset)), False
    except UnicodeEncodeError:
        return text.encode(PYTHON_CODEC[charset], "replace"), True


# Single bytes that Windows' code page 932 reads (0x80 as U+0080, 0xA0 and 0xFD-0xFF as private
# use) and the program's Shift_JIS, ICU's table, does not: a sample holding one is lossy.
NOT_IN_SHIFT_JIS = "\u0080\uf8f0\uf8f1\uf8f2\uf8f3"


def decode(data, charset):
    if charset in ("gbk", "big5"):
        return decode_cjk(data, charset)
    if charset == "shift_jis":
        text, lost = decode_plain(data, charset)
        kept = "".join("\ufffd" if ch in NOT_IN_SHIFT_JIS else ch for ch in text)
        return kept, lost or kept != text
    return decode_plain(data, charset)


def decode_plain(data, charset):
    try:
        return data.decode(PYTHON_CODEC[charset], _errors(charset)), False
    except UnicodeDecodeError:
        return data.decode(PYTHON_CODEC[charset], "replace"), True


def misread(text, step):
    source, target = step.split("-as-")
    data, lost = encode(text, source)
    out, lost_here = decode(data, target)
    return out, lost or lost_here


def c_escape(data, form):
    if form == "python":
        body = "".join("\\x%02x" % b if b >= 0x80 else chr(b) for b in data)
        return body
    if form == "bytes":
        return "b'" + "".join("\\x%02x" % b if b >= 0x80 or b < 0x20 else chr(b)
                              for b in data) + "'"
    return '"' + "".join("\\%03o" % b if b >= 0x80 else chr(b) for b in data) + '"'


def quoted_printable(data):
    out = "".join(chr(b) if 33 <= b <= 126 and b != 61 or b == 32 else "=%02X" % b for b in data)
    lines, line = [], ""
    for piece in re.findall(r"=[0-9A-F]{2}|.", out):
        if len(line) + len(piece) > 75:
            lines.append(line + "=")
            line = ""
        line += piece
    return "\r\n".join(lines + [line])


def mime_header(text, charset, q):
    label = {"gbk": "GB2312", "utf8": "UTF-8", "big5": "Big5"}[charset]
    data, lost = encode(text, charset)
    if q:
        body = "".join(chr(b) if (0x30 <= b <= 0x39 or 0x41 <= b <= 0x5A or 0x61 <= b <= 0x7A)
                       else "_" if b == 32 else "=%02X" % b for b in data)
        return f"=?{label}?Q?{body}?=", lost
    return f"=?{label}?B?{base64.b64encode(data).decode()}?=", lost


def apply_chain(chain, text, rng):
    """(garbled, lost, chain name) or None where the chain does not fit the text."""
    if chain.startswith("stretch "):
        # One garbled name inside a clean sentence: the sentence's first run of Chinese.
        # A whole word between blanks, as a file name stands in a message.
        step = chain.split()[1]
        words = [w for w in text.split() if re.fullmatch(r"[\u4e00-\u9fff]{2,8}", w)]
        if not words or len(text.split()) < 2:
            return None
        word = rng.choice(words)
        garbled, lost = misread(word, step)
        if lost:
            return None
        return " ".join(garbled if w == word else w for w in text.split(" ")), False, step, text
    if chain.startswith("glued "):
        # A garbled stretch glued to clean Chinese on both sides, without a blank: two to six
        # characters inside a run of Chinese, at least one clean character left either side.
        step = chain.split()[1]
        runs = [m for m in re.finditer(r"[\u4e00-\u9fff]{4,}", text)]
        if not runs:
            return None
        run = rng.choice(runs)
        length = rng.randint(2, min(6, len(run.group()) - 2))
        start = run.start() + rng.randint(1, len(run.group()) - 1 - length)
        garbled, lost = misread(text[start:start + length], step)
        if lost:
            return None
        return text[:start] + garbled + text[start + length:], False, chain, text
    if "/" in chain:
        name, form = chain.split("/")
    else:
        name, form = chain, ""
    if "-as-" in name:
        if name.startswith("utf8-surrogates-"):
            text = text[:len(text) // 2] + rng.choice(EMOJI) + text[len(text) // 2:]
            raw = b"".join(
                (c.encode("utf-8") if ord(c) < 0x10000 else
                 chr(0xD800 + ((ord(c) - 0x10000) >> 10)).encode("utf-8", "surrogatepass") +
                 chr(0xDC00 + ((ord(c) - 0x10000) & 0x3FF)).encode("utf-8", "surrogatepass"))
                for c in text)
            out, lost = decode(raw, "windows-1252")
            return out, lost, name, text
        garbled = text
        lost = False
        for step in name.split():
            garbled, lost_here = misread(garbled, step)
            lost = lost or lost_here
        return garbled, lost, ",".join(name.split()), text
    charset = name.rsplit("-", 1)[-1] if name != "punycode" else "utf8"
    data, lost = encode(text, charset) if name != "punycode" else (b"", False)
    if name.startswith("c-escape"):
        return c_escape(data, form), lost, name, text
    if name.startswith("byte-hex"):
        if form == "spaced":
            return " ".join("%02X" % b for b in data), lost, name, text
        return data.hex(), lost, name, text
    if name.startswith("quoted-printable"):
        return quoted_printable(data), lost, name, text
    if name.startswith("mime-header"):
        garbled, lost = mime_header(text, charset, form == "q")
        return garbled, lost, name, text
    if name.startswith("url-form"):
        query = "q=" + "".join("+" if b == 32 else chr(b) if chr(b).isalnum() and b < 0x80
                               else "%%%02X" % b for b in data)
        return query, lost, name, "q=" + text
    if name == "punycode":
        word = re.sub(r"[^\u4e00-\u9fff]", "", text)[:6]
        if len(word) < 2:
            return None
        host = rng.choice(["{}.com", "www.{}.cn", "{}.net", "https://{}.org/index.html"])
        return host.format(word.encode("idna").decode("ascii")), False, name, host.format(word)
    raise ValueError(chain)


CLDR_MAIN = "/usr/share/unicode/cldr/common/main"
CLDR_ELEMENTS = ("territory", "language", "displayName", "month", "day", "exemplarCity",
                 "unitPattern", "relative", "field")


def cldr_texts(language):
    """Names in one language from CLDR: territories, languages, units, months, cities."""
    import xml.etree.ElementTree as ElementTree
    path = os.path.join(CLDR_MAIN, language.split("_")[0] + ".xml")
    if language == "zh_TW":
        path = os.path.join(CLDR_MAIN, "zh_Hant.xml")
    texts = set()
    for element in ElementTree.parse(path).iter():
        text = (element.text or "").strip()
        if element.tag in CLDR_ELEMENTS and 4 <= len(text) <= 60 and "{" not in text:
            texts.add(text)
    return sorted(texts)


def jieba_texts(sources):
    """Chinese sentences of jieba's examples (MIT), as make_recognition_samples.py reads them."""
    from make_recognition_samples import jieba_sentences, sentences_of
    return sentences_of(jieba_sentences(sources))


def write_first_chains(args):
    """The Chinese catalogues' messages garbled by the chains the recogniser first knew, drawn as
    make_recognition_samples.py draws them (a quarter short names), for the held-out figures."""
    import make_recognition_samples as first
    rng = random.Random(args.seed)
    texts = {"s": [t for t in catalogue_texts("zh_CN") if first.fits(t, "s")],
             "t": [t for t in catalogue_texts("zh_TW") if first.fits(t, "t")]}
    texts = {k: [t for t in v if first.han_share(t) >= 0.3] for k, v in texts.items()}
    pools = {"s": first.sentences_of(texts["s"]), "t": first.sentences_of(texts["t"])}
    pools["s-short"] = first.short_texts(pools["s"], rng, 600)
    pools["t-short"] = first.short_texts(pools["t"], rng, 300)
    pools["clean"] = []
    rows = first.build(pools, rng, args.per_chain, {}, {})
    first.write_rows(args.out, rows, ["Chinese message catalogues over the first chains, "
                                      "written by tools/make_language_samples.py --first-chains; "
                                      "measuring only."])
    print(f"{len(rows)} garbled", file=sys.stderr)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--out", help="write the set from the message catalogues here")
    parser.add_argument("--sample", help="write the small permissive sample here")
    parser.add_argument("--jieba", help="with --sample: the unpacked jieba packages")
    parser.add_argument("--seed", type=int, default=25)
    parser.add_argument("--clean", type=int, default=150, help="clean texts a language")
    parser.add_argument("--per-chain", type=int, default=40)
    parser.add_argument("--first-chains", action="store_true",
                        help="with --out: the Chinese catalogues over make_recognition_samples.py's "
                        "chains instead")
    args = parser.parse_args()
    if bool(args.out) == bool(args.sample):
        parser.error("give --out or --sample")
    if args.first_chains:
        write_first_chains(args)
        return
    if args.sample:
        args.clean, args.per_chain = 12, 5
    rng = random.Random(args.seed)
    rows = []
    for language, chains in LANGUAGES.items():
        if not args.sample:
            texts = catalogue_texts(language)
        elif language == "zh_CN" and args.jieba:
            texts = jieba_texts(args.jieba)
        elif language.startswith("zh"):
            continue
        else:
            texts = cldr_texts(language)
        rng.shuffle(texts)
        if not texts:
            print(f"no catalogues for {language}", file=sys.stderr)
            continue
        clean, pool = texts[:args.clean], texts[args.clean:] or texts
        for text in clean:
            rows.append((f"clean-{language}", "", "yes",
                         "short" if len(text) <= 8 else "sentence", text, text))
        for chain in chains:
            made = 0
            for text in pool:
                if made == args.per_chain:
                    break
                if language.startswith("zh") and not re.search("[\u4e00-\u9fff]", text):
                    continue
                result = apply_chain(chain, text, rng)
                if result is None:
                    continue
                garbled, lost, name, original = result
                if garbled == original:
                    continue
                rows.append((f"garbled-{language}", name, "no" if lost else "yes",
                             "short" if len(text) <= 8 else "sentence", garbled, original))
                made += 1
            rng.shuffle(pool)
    with open(args.out or args.sample, "w", encoding="utf-8", newline="\n") as f:
        if args.sample:
            f.write("# Clean and garbled texts in many languages for the recogniser's tests, "
                    "written by\n# tools/make_language_samples.py --sample from CLDR's names "
                    "(Unicode licence) and jieba's\n# examples (MIT); same columns as "
                    "recognition_sample.tsv.\n")
        else:
            f.write("# Evaluation set of the recogniser in many languages, written by "
                    "tools/make_language_samples.py; measuring only (catalogue texts).\n")
        f.write("# " + HEADER_COLUMNS + "\n")
        for kind, chain, lossless, length, text, original in rows:
            f.write("\t".join([kind.split("-")[0] if kind.startswith("garbled") else kind, chain,
                               lossless, length, escape_field(text), escape_field(original)])
                    + "\n")
    print(f"{sum(r[0].startswith('garbled') for r in rows)} garbled, "
          f"{sum(r[0].startswith('clean') for r in rows)} clean", file=sys.stderr)


if __name__ == "__main__":
    main()
