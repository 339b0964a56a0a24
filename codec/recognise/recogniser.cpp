#include "codec/recognise/recogniser.h"

#include "codec/escape/c_escape.h"
#include "codec/escape/html_entities.h"
#include "codec/escape/percent_u.h"
#include "codec/escape/punycode.h"
#include "codec/escape/unicode_escape.h"
#include "codec/recognise/language_model.h"
#include "codec/text-encodings/base64.h"
#include "codec/text-encodings/byte_hex.h"
#include "codec/text-encodings/hex_text.h"
#include "codec/text-encodings/mime_header.h"
#include "codec/text-encodings/quoted_printable.h"
#include "codec/utf8/url_encoding.h"
#include "text/codepage.h"
#include "text/hex.h"
#include "text/result.h"
#include "text/utf.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <span>
#include <unordered_set>

namespace kelvaro::recognise {
namespace {

// ---- the bounds of the search -----------------------------------------------------------------

constexpr std::size_t kEscapeLayers = 2;
constexpr std::size_t kMisreadLayers = 3;
// A longer text is searched on a prefix of this many code units: enough for the model to tell the
// readings apart (a hundred characters of escapes, several hundred of mojibake), and small enough
// that the search costs the same for every length.
constexpr std::size_t kSearchUnits = 2048;
// Of the readings that one misread layer adds, the most plausible this many are undone further.
// Wrong misreadings of Latin-1 text mostly decode too (GBK and BIG5 accept most byte pairs), so
// without the beam three layers could grow to hundreds of readings.
constexpr std::size_t kBeam = 16;
// Chains found on a prefix that are undone again on the whole text: more than are kept, since a
// chain that holds on the prefix may fail further on.
constexpr std::size_t kVerified = 2 * kMaxCandidates;
// What a step costs on top of the model's bits: a reading must explain the input better by this
// much per step, so that fewer steps win ties and clean text is not "repaired" into a slightly
// more common one.
constexpr double kStepBits = 4.0;
constexpr double kRareStepBits = 10.0;
// A garbled word inside a clean sentence is less likely than a text garbled as a whole, and each
// word is one more chance for a wrong reading to look better.
constexpr double kStretchBits = 8.0;
// Base64 and the hex groups have no marker of their own: any text of their alphabet reads as
// them, and short words do (BEEF, test), so their readings must win by a wider margin.
constexpr double kUnmarkedStepBits = 12.0;
// What each byte costs that a partial repair drops beside a stretch lost before: without it, one
// more wrong misreading that turns a cut character into U+FFFD as well would look cheaper.
constexpr double kLostByteBits = 8.0;
// Two stretches lost before that a reading joins into one U+FFFD cost as many bytes as a U+FFFD's
// own cost, so that a chain does not win by merely joining them (gbk-as-big5,big5-as-gbk once did).
constexpr std::size_t kMergedHoleBytes = 3;

// A text of at most this many units that no chain explains as a whole is tried word by word, at
// most kStretchWords words: a name garbled inside a sentence is short, and each word costs a
// search.
constexpr std::size_t kStretchUnits = 1024;
constexpr std::size_t kStretchWords = 64;

// ---- steps --------------------------------------------------------------------------------------

constexpr Step Misread(Charset bytes, Charset readAs) { return {StepKind::Misread, bytes, readAs}; }

// Windows-1252 before ISO-8859-1: where both give the same text the first name is kept, and text
// misread as ISO-8859-1 mostly was misread as windows-1252.
constexpr Step kMisreadings[] = {
    Misread(Charset::Utf8, Charset::Gbk),         Misread(Charset::Utf8, Charset::Windows1252),
    Misread(Charset::Utf8, Charset::Iso8859_1),   Misread(Charset::Utf8, Charset::Big5),
    Misread(Charset::Gbk, Charset::Big5),         Misread(Charset::Gbk, Charset::Windows1252),
    Misread(Charset::Gbk, Charset::Iso8859_1),    Misread(Charset::Big5, Charset::Gbk),
    Misread(Charset::Big5, Charset::Windows1252), Misread(Charset::Big5, Charset::Iso8859_1),
};

// Misreadings of the outermost layer only: the charsets that real tools misread UTF-8, GBK and BIG5
// in once. Under another misreading they would only multiply the wrong readings.
constexpr Charset kOutermostReadAs[] = {
    Charset::ShiftJis,    Charset::EucKr,       Charset::Cp437,       Charset::Windows1250,
    Charset::Windows1251, Charset::Windows1253, Charset::Windows1254, Charset::Windows1257,
    Charset::Iso8859_2,   Charset::Macintosh,
};

std::vector<Step> OutermostMisreadings() {
  std::vector<Step> steps(std::begin(kMisreadings), std::end(kMisreadings));
  for (const Charset bytes : {Charset::Utf8, Charset::Gbk, Charset::Big5}) {
    for (const Charset readAs : kOutermostReadAs)
      steps.push_back(Misread(bytes, readAs));
  }
  for (const Charset readAs : {Charset::Windows1252, Charset::Iso8859_1, Charset::Gbk})
    steps.push_back({StepKind::SurrogatesMisread, Charset::Utf8, readAs});
  return steps;
}

bool IsSearchedByDefault(Charset charset) {
  return charset == Charset::Utf8 || charset == Charset::Gbk || charset == Charset::Big5;
}

// The escape and encoding steps, UTF-8 first: where escapes of ASCII give the same text in every
// charset (%25 is "%" in all of them), the reading is named after the first.
std::vector<Step> EscapeSteps(Charset chosen) {
  std::vector<Step> steps = {
      {StepKind::Url, Charset::Utf8},
      {StepKind::Url, Charset::Gbk},
      {StepKind::Url, Charset::Big5},
      {StepKind::PercentU},
      {StepKind::UnicodeEscape},
      {StepKind::HtmlDecimal},
      {StepKind::HtmlHex},
      {StepKind::HtmlNamed},
      {StepKind::Base64, Charset::Utf8},
      {StepKind::Base64, Charset::Gbk},
      {StepKind::Base64, Charset::Big5},
      {StepKind::HexGroups},
      {StepKind::MimeHeader},
      {StepKind::Punycode},
  };
  // The byte notations of the later tools, in the same charsets as Url and Base64.
  for (const StepKind kind :
       {StepKind::UrlForm, StepKind::CEscape, StepKind::ByteHex, StepKind::QuotedPrintable}) {
    for (const Charset charset : {Charset::Utf8, Charset::Gbk, Charset::Big5})
      steps.push_back({kind, charset});
  }
  if (!IsSearchedByDefault(chosen)) {
    // %XX escapes keep ASCII as it is, which the UTF-16 forms do not have.
    if (chosen != Charset::Utf16Le && chosen != Charset::Utf16Be) {
      for (const StepKind kind :
           {StepKind::Url, StepKind::UrlForm, StepKind::CEscape, StepKind::QuotedPrintable})
        steps.push_back({kind, chosen});
    }
    steps.push_back({StepKind::Base64, chosen});
    steps.push_back({StepKind::ByteHex, chosen});
  }
  return steps;
}

std::string VocabularyName(Charset charset) {
  switch (charset) {
  case Charset::Utf8:
    return "utf8";
  case Charset::Iso8859_1:
    return "latin1";
  default:
    return std::string(InfoOf(charset).name);
  }
}

// ---- strict bytes -------------------------------------------------------------------------------

// Where a text ends: at its own end (Closed), or where a prefix was cut from a longer text (Open),
// so that an escape or a character that the cut splits is dropped instead of failing the step.
enum class End { Closed, Open };

// The text's bytes in a code-page charset; nothing when it holds a character the code page lacks
// (the text was not read in it). With `holes`,
// each U+FFFD (bytes lost before) adds no bytes and its byte offset is recorded instead.
std::optional<std::string> EncodeInCodePage(std::u16string_view text, CodePage codePage,
                                            std::vector<std::size_t>* holes) {
  const std::uint16_t* codeOf = AnsiCodeTable(codePage);
  std::string bytes;
  bytes.reserve(2 * text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    const std::uint16_t code = codeOf[unit];
    if (code == u'?' && unit != u'?') {
      if (holes == nullptr || unit != kReplacement)
        return std::nullopt;
      holes->push_back(bytes.size());
      continue;
    }
    if (code > 0xFF)
      bytes.push_back(static_cast<char>(code >> 8));
    bytes.push_back(static_cast<char>(code & 0xFF));
  }
  return bytes;
}

// How many bytes from `bad` to the end of `bytes` are the unfinished start of one character, which
// later bytes could complete; 0 when they are something else.
std::size_t UnfinishedTail(std::string_view bytes, std::size_t bad, Charset charset) {
  const std::size_t rest = bytes.size() - bad;
  if (rest == 0 || rest >= InfoOf(charset).longest)
    return 0;
  const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data()) + bad;
  if (charset == Charset::Utf8) {
    // A lead byte and as many of its continuation bytes as stand before the end.
    return Utf8LeadOf(in[0]) && Utf8MaximalSubpart(bytes.substr(bad)) == rest ? rest : 0;
  }
  if (const std::optional<CodePage> codePage = InfoOf(charset).codePage)
    return rest == 1 && UnitOfByte(in[0], *codePage) == kLeadByte ? 1 : 0;
  return rest; // GB18030 and UTF-16: any short tail may be cut
}

// Decodes bytes that must be well-formed in the charset; nothing when they are not. With End::Open
// the unfinished start of a character at the end is left out, and `cut` (when given) says how many
// bytes that was.
std::optional<std::u16string> DecodeStrictly(std::string_view bytes, Charset charset, End end,
                                             std::size_t* cut = nullptr) {
  Result<std::u16string> text = DecodeBytesStrictly(bytes, charset);
  if (text)
    return std::move(*text);
  if (end == End::Closed)
    return std::nullopt;
  const std::size_t bad = text.error().position;
  const std::size_t tail = UnfinishedTail(bytes, bad, charset);
  if (tail == 0)
    return std::nullopt;
  if (cut != nullptr)
    *cut = tail;
  text = DecodeBytesStrictly(bytes.substr(0, bad), charset);
  if (!text)
    return std::nullopt;
  return std::move(*text);
}

// How many bytes at the start of `bytes` may be the rest of a character whose start was lost:
// UTF-8 continuation bytes, or one trail byte of a double-byte charset.
std::size_t MostLeftOver(std::string_view bytes, Charset charset) {
  if (charset != Charset::Utf8)
    return std::min<std::size_t>(InfoOf(charset).longest - 1, bytes.size());
  std::size_t n = 0;
  while (n < 3 && n < bytes.size() && IsUtf8Continuation(static_cast<std::uint8_t>(bytes[n])))
    ++n;
  return n;
}

// A text undone from a step, and how many bytes were dropped beside stretches lost before.
struct Undone {
  std::u16string text;
  std::size_t lostBytes = 0;
};

// Decodes bytes from which stretches were lost at the offsets `holes`: each stretch gives one
// U+FFFD, together with the bytes beside it that belonged to the characters it cut (what is left
// of a character after it, an unfinished character before it). Everything else must be
// well-formed.
std::optional<Undone> DecodeAroundHoles(std::string_view bytes,
                                        const std::vector<std::size_t>& holes, Charset charset,
                                        End end) {
  Undone undone;
  undone.text.reserve(bytes.size() + holes.size());
  std::size_t start = 0;
  for (std::size_t k = 0; k <= holes.size(); ++k) {
    const std::size_t stop = k < holes.size() ? holes[k] : bytes.size();
    const std::string_view segment = bytes.substr(start, stop - start);
    const End segmentEnd = k < holes.size() ? End::Open : end;
    const std::size_t mostSkipped = k == 0 ? 0 : MostLeftOver(segment, charset);
    std::optional<std::u16string> part;
    std::size_t cut = 0, skip = 0;
    for (; skip <= mostSkipped; ++skip) {
      cut = 0;
      part = DecodeStrictly(segment.substr(skip), charset, segmentEnd,
                            k < holes.size() ? &cut : nullptr);
      if (part)
        break;
    }
    if (!part)
      return std::nullopt;
    undone.text += *part;
    undone.lostBytes += skip + cut;
    if (k < holes.size()) {
      if (undone.text.empty() || undone.text.back() != kReplacement)
        undone.text.push_back(kReplacement);
      else
        undone.lostBytes += kMergedHoleBytes; // two lost stretches made one
    }
    start = stop;
  }
  return undone;
}

bool Contains(std::u16string_view text, char16_t unit) {
  return text.find(unit) != std::u16string_view::npos;
}

// The text, unless it holds a lone surrogate. A prefix may end with half a pair.
std::optional<std::u16string> WellFormed(std::u16string text, End end) {
  if (end == End::Open && !text.empty() && IsHighSurrogate(text.back()))
    text.pop_back();
  if (!IsWellFormedUtf16(text))
    return std::nullopt;
  return text;
}

// ---- undoing one step ---------------------------------------------------------------------------

// CP437's byte E6 is the micro sign U+00B5 in the tables of Windows and Python's zipfile, and
// the Greek mu U+03BC in ICU's, whose encoder takes only the latter: the misread text holds
// either.
std::u16string_view AsIcuReadsCp437(std::u16string_view text, std::u16string& copy) {
  if (!Contains(text, u'\u00B5'))
    return text;
  copy.assign(text);
  std::ranges::replace(copy, u'\u00B5', u'\u03BC');
  return copy;
}

// A web page or a chat that shows UTF-8 read as a European code page turns its no-break spaces
// (the byte A0, second of à's C3 A0 and Р's D0 A0) into plain spaces: each space right after a
// UTF-8 lead byte becomes A0 again, where the code page reads A0 as U+00A0. How many it mended;
// each costs as a byte lost, since it is a guess.
std::size_t SpacesAsNoBreakSpaces(std::string& bytes, CodePage codePage) {
  if (UnitOfByte(0xA0, codePage) != 0xA0)
    return 0;
  std::size_t mended = 0;
  for (std::size_t i = 1; i < bytes.size(); ++i) {
    const auto before = static_cast<std::uint8_t>(bytes[i - 1]);
    if (bytes[i] == ' ' && before >= 0xC2 && before <= 0xF4) {
      bytes[i] = static_cast<char>(0xA0);
      ++mended;
    }
  }
  return mended;
}

// Bytes of `bytes` read as `readAs`: back to those bytes, then read in `bytes`' charset.
std::optional<Undone> UndoMisread(std::u16string_view text, const Step& step, End end) {
  const CodePage codePage = *InfoOf(step.readAs).codePage;
  std::u16string copy;
  if (step.readAs == Charset::Cp437)
    text = AsIcuReadsCp437(text, copy);
  if (!Contains(text, kReplacement)) {
    std::optional<std::string> bytes = EncodeInCodePage(text, codePage, nullptr);
    if (!bytes)
      return std::nullopt;
    std::optional<std::u16string> undone = DecodeStrictly(*bytes, step.charset, end);
    if (!undone && step.charset == Charset::Utf8) {
      if (const std::size_t spaces = SpacesAsNoBreakSpaces(*bytes, codePage); spaces > 0) {
        if (std::optional<std::u16string> mended = DecodeStrictly(*bytes, Charset::Utf8, end))
          return Undone{std::move(*mended), spaces};
      }
    }
    if (!undone)
      return std::nullopt;
    return Undone{std::move(*undone), 0};
  }
  std::vector<std::size_t> holes;
  std::optional<std::string> bytes = EncodeInCodePage(text, codePage, &holes);
  if (!bytes)
    return std::nullopt;
  return DecodeAroundHoles(*bytes, holes, step.charset, end);
}

// With `form`, "+" is a space, as forms send a query: a text with a space of its own, or without
// a "+", is no form's. A prefix cut from a longer text may end inside an escape.
std::optional<std::u16string> UndoUrl(std::u16string_view text, Charset charset, End end,
                                      bool form) {
  if (form && (Contains(text, u' ') || !Contains(text, u'+')))
    return std::nullopt;
  if (const std::size_t last = text.rfind(u'%');
      end == End::Open && last != std::u16string_view::npos && text.size() - last < 3)
    text = text.substr(0, last);
  std::optional<std::string> bytes = URLDecodeBytes(text, charset, form);
  if (!bytes)
    return std::nullopt;
  return DecodeStrictly(*bytes, charset, end);
}

// Whether the text holds `marker` followed by `digits` hexadecimal digits somewhere.
bool HasEscape(std::u16string_view text, std::u16string_view marker, std::size_t digits) {
  for (std::size_t at = text.find(marker); at != std::u16string_view::npos;
       at = text.find(marker, at + 1)) {
    std::size_t k = at + marker.size();
    while (k < text.size() && k < at + marker.size() + digits && HexDigitValue(text[k]))
      ++k;
    if (k == at + marker.size() + digits)
      return true;
  }
  return false;
}

std::optional<std::u16string> UndoPercentU(std::u16string_view text, End end) {
  if (!HasEscape(text, u"%u", 4))
    return std::nullopt;
  return WellFormed(ScriptUnescape(text), end);
}

std::optional<std::u16string> UndoUnicodeEscape(std::u16string_view text, End end) {
  if (!HasEscape(text, u"\\u", 4))
    return std::nullopt;
  return WellFormed(UnicodeUnescape(text), end);
}

// The characters of a named reference "&name;" at text[i] and its length, or a length of 0.
struct NamedReference {
  std::u16string value;
  std::size_t length = 0;
};

NamedReference ReadNamedReference(std::u16string_view text, std::size_t i) {
  constexpr std::size_t kLongestName = 32;
  std::size_t k = i + 1;
  const auto isAlnum = [](char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
  };
  while (k < text.size() && k <= i + kLongestName && isAlnum(text[k]))
    ++k;
  if (k == i + 1 || k >= text.size() || text[k] != u';')
    return {};
  const std::u16string_view reference = text.substr(i, k + 1 - i);
  std::u16string value = HtmlDecode(reference);
  // HtmlDecode also reads a legacy name that only starts the run ("&notit;" gives "¬it;"); only
  // a whole name counts, and its characters never end with the name's own last letter and ";".
  if (value == reference || value.ends_with(reference.substr(reference.size() - 2)))
    return {};
  return {std::move(value), reference.size()};
}

std::optional<std::u16string> UndoHtml(std::u16string_view text, StepKind kind) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t ownKind = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] != u'&') {
      out.push_back(text[i++]);
      continue;
    }
    if (const std::optional<NumericReference> ref = NumericReferenceAt(text, i)) {
      if (kind != (ref->hex ? StepKind::HtmlHex : StepKind::HtmlDecimal)) {
        out.append(text.substr(i, ref->length)); // the other step's reference
      } else {
        AppendCodePoint(out, ref->value);
        ++ownKind;
      }
      i += ref->length;
      continue;
    }
    if (NamedReference ref = ReadNamedReference(text, i); ref.length > 0) {
      out += ref.value;
      ownKind += kind == StepKind::HtmlNamed;
      i += ref.length;
      continue;
    }
    out.push_back(text[i++]);
  }
  if (ownKind == 0)
    return std::nullopt;
  return out;
}

// Base64 as an encoder writes it (the codec's strict reading). A prefix cut from a longer text is
// read up to its last whole group of four.
std::optional<std::u16string> UndoBase64(std::u16string_view text, Charset charset, End end) {
  std::size_t count = 0, padding = 0, groupsEnd = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'=')
      ++padding;
    else if (text[i] != u'\r' && text[i] != u'\n' && ++count % 4 == 0)
      groupsEnd = i + 1;
  }
  if (count + padding < 4)
    return std::nullopt;
  // Fewer than eight characters without padding are far likelier a word (LLVM, test) than the
  // Base64 of one or two characters.
  if (count + padding < 8 && padding == 0)
    return std::nullopt;
  if (end == End::Open)
    text = text.substr(0, groupsEnd);
  std::optional<std::string> bytes = Base64DecodeBytes(text);
  if (!bytes)
    return std::nullopt;
  return DecodeStrictly(*bytes, charset, end);
}

// Whether the text holds a decimal digit. Hex of real bytes almost always does (a GBK lead byte
// and its trail written without one is a chance of a few in a hundred a character), and a word
// of the letters A-F (CAFEBABE, DEAD, deadbeef) does not.
bool HasDigit(std::u16string_view text) {
  return std::ranges::any_of(text, [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

std::optional<std::u16string> UndoHexGroups(std::u16string_view text, End end) {
  if (!HasDigit(text))
    return std::nullopt;
  if (end == End::Open)
    text = text.substr(0, text.size() - text.size() % 4);
  std::optional<std::string> bytes = HexGroupsToBytes(text);
  if (!bytes)
    return std::nullopt;
  return DecodeStrictly(*bytes, Charset::Gbk, End::Closed);
}

// The notations of bytes that the codec reads strictly: the bytes, then strictly the charset. A
// text cut from a longer one may end inside an escape, so a prefix is tried shorter by a few units.
template <typename ReadBytes>
std::optional<std::u16string> UndoByteNotation(std::u16string_view text, Charset charset, End end,
                                               ReadBytes readBytes) {
  std::optional<std::string> bytes = readBytes(text);
  // An escape is at most four units (\344, =E4); one more for the blank between hex bytes.
  for (std::size_t drop = 1; !bytes && end == End::Open && drop <= 4 && drop < text.size(); ++drop)
    bytes = readBytes(text.substr(0, text.size() - drop));
  if (!bytes)
    return std::nullopt;
  return DecodeStrictly(*bytes, charset, end);
}

std::optional<std::u16string> UndoMimeHeader(std::u16string_view text, End end, Charset& labelled) {
  std::optional<LabelledBytes> words = MimeHeaderDecodeBytes(text);
  if (!words)
    return std::nullopt;
  labelled = words->charset;
  return DecodeStrictly(words->bytes, words->charset, end);
}

std::optional<std::u16string> UndoPunycode(std::u16string_view text) {
  std::optional<std::u16string> host = PunycodeDecodeStrictly(text);
  if (!host || *host == text)
    return std::nullopt;
  return std::move(*host);
}

// UTF-8 in which a character beyond the BMP was written as the three-byte forms of its two
// surrogate halves (ED A0..AF xx, ED B0..BF xx), as Java and old databases write it, then read
// as `readAs`. At least one such pair: without one the step is the plain misreading.
std::optional<std::u16string> UndoSurrogatesMisread(std::u16string_view text, const Step& step,
                                                    End end) {
  std::optional<std::string> bytes = EncodeInCodePage(text, *InfoOf(step.readAs).codePage, nullptr);
  if (!bytes)
    return std::nullopt;
  std::string joined;
  joined.reserve(bytes->size());
  std::size_t pairs = 0;
  const auto* in = reinterpret_cast<const std::uint8_t*>(bytes->data());
  for (std::size_t i = 0; i < bytes->size(); ++i) {
    if (i + 5 < bytes->size() && in[i] == 0xED && (in[i + 1] & 0xF0) == 0xA0 &&
        IsUtf8Continuation(in[i + 2]) && in[i + 3] == 0xED && (in[i + 4] & 0xF0) == 0xB0 &&
        IsUtf8Continuation(in[i + 5])) {
      const char32_t high = 0xD800 | (in[i + 1] & 0x0F) << 6 | (in[i + 2] & 0x3F);
      const char32_t low = 0xDC00 | (in[i + 4] & 0x0F) << 6 | (in[i + 5] & 0x3F);
      const char32_t c = CombineSurrogates(static_cast<char16_t>(high), static_cast<char16_t>(low));
      joined.push_back(static_cast<char>(0xF0 | c >> 18));
      joined.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
      joined.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      joined.push_back(static_cast<char>(0x80 | (c & 0x3F)));
      ++pairs;
      i += 5;
      continue;
    }
    joined.push_back(static_cast<char>(in[i]));
  }
  if (pairs == 0)
    return std::nullopt;
  return DecodeStrictly(joined, Charset::Utf8, end);
}

// Whether undoing the step from the text works around bytes lost before: a partial repair.
bool LosesBytes(std::u16string_view text, const Step& step) {
  return step.kind == StepKind::Misread && Contains(text, kReplacement);
}

// The text that `step` turned into `text`. A misreading of text that holds U+FFFD (bytes lost
// before) is undone around each of them and counts the bytes it had to drop. MimeHeader learns its
// charset from the label, and sets it in `step`.
std::optional<Undone> Undo(std::u16string_view text, Step& step, End end) {
  std::optional<std::u16string> undone;
  switch (step.kind) {
  case StepKind::Misread:
    return UndoMisread(text, step, end);
  case StepKind::SurrogatesMisread:
    undone = UndoSurrogatesMisread(text, step, end);
    break;
  case StepKind::Url:
  case StepKind::UrlForm:
    undone = UndoUrl(text, step.charset, end, step.kind == StepKind::UrlForm);
    break;
  case StepKind::CEscape:
    undone = UndoByteNotation(text, step.charset, end, CUnescapeBytes);
    break;
  case StepKind::ByteHex:
    // \xe4 is a C escape, whose reading keeps what stands between the escapes (ByteHex would
    // skip its blanks and hyphens).
    if (HasDigit(text) && !Contains(text, u'\\'))
      undone = UndoByteNotation(text, step.charset, end, ByteHexDecodeBytes);
    break;
  case StepKind::QuotedPrintable:
    undone = UndoByteNotation(text, step.charset, end, QuotedPrintableDecodeBytes);
    break;
  case StepKind::MimeHeader:
    undone = UndoMimeHeader(text, end, step.charset);
    break;
  case StepKind::Punycode:
    undone = UndoPunycode(text);
    break;
  case StepKind::PercentU:
    undone = UndoPercentU(text, end);
    break;
  case StepKind::UnicodeEscape:
    undone = UndoUnicodeEscape(text, end);
    break;
  case StepKind::HtmlDecimal:
  case StepKind::HtmlHex:
  case StepKind::HtmlNamed:
    undone = UndoHtml(text, step.kind);
    break;
  case StepKind::Base64:
    undone = UndoBase64(text, step.charset, end);
    break;
  case StepKind::HexGroups:
    undone = UndoHexGroups(text, end);
    break;
  }
  // No escape or encoding of real text stands for U+0000 (%00, AAAA), and a box would cut there.
  if (!undone || Contains(*undone, u'\0'))
    return std::nullopt;
  return Undone{std::move(*undone), 0};
}

// ---- the search ---------------------------------------------------------------------------------

struct Reading {
  std::u16string text;
  std::vector<Step> undone; // in the order undone: the outermost step first
  bool partial = false;
  std::size_t lostBytes = 0; // dropped beside the stretches lost before
  TextScore score;
  bool stretch = false; // only some words of the text were undone
  // Latin letters that the code page a misreading read the text in lacks (see ForeignLetters)
  std::size_t foreignLetters = 0;
};

// GBK and BIG5 bytes are read as Shift_JIS, EUC-KR or the European code pages far more rarely
// than UTF-8 bytes are, and short European words read back as one or two Chinese characters:
// such a reading must win by more, and it is the only step of its chain.
bool IsRareMisreading(const Step& step) {
  return step.kind == StepKind::Misread && step.charset != Charset::Utf8 &&
         std::ranges::find(kOutermostReadAs, step.readAs) != std::end(kOutermostReadAs);
}

// Windows-1250 and ISO-8859-2 hold the same Central European letters at different bytes (Š is 8A
// in one and A9 in the other, ť 9D and BB), so text misread through one reads back through the
// other too, as other letters. UTF-8 read in a Central European code page was mostly written in a
// language of that page; a reading whose Latin letters that page cannot hold (å, ī, ʝ where the
// text shows ĂĄ, ÄŤ, Ęť) is the other page's, or the other page's reading is the right one.
constexpr double kForeignLetterBits = 6.0;

bool IsCentralEuropean(Charset charset) {
  return charset == Charset::Windows1250 || charset == Charset::Iso8859_2;
}

// The Latin letters beyond ASCII of a reading's scored prefix that the code page its one
// misreading read it in cannot hold; 0 for any other chain.
std::size_t ForeignLetters(const std::vector<Step>& undone, std::u16string_view text) {
  if (undone.size() != 1 || undone.front().kind != StepKind::Misread ||
      !IsCentralEuropean(undone.front().readAs))
    return 0;
  const std::uint16_t* codeOf = AnsiCodeTable(*InfoOf(undone.front().readAs).codePage);
  std::size_t foreign = 0;
  for (const char16_t c : text.substr(0, kScoredPrefixUnits))
    foreign += c >= 0xC0 && c < 0x300 && c != 0xD7 && c != 0xF7 && codeOf[c] == u'?';
  return foreign;
}

double StepBits(const Step& step) {
  if (step.kind == StepKind::Base64 || step.kind == StepKind::HexGroups ||
      step.kind == StepKind::ByteHex)
    return kUnmarkedStepBits;
  return IsRareMisreading(step) ? kRareStepBits : kStepBits;
}

double RankBits(const Reading& reading) {
  double bits = reading.score.TotalBits() + kLostByteBits * static_cast<double>(reading.lostBytes);
  if (reading.stretch)
    bits += kStretchBits;
  bits += kForeignLetterBits * static_cast<double>(reading.foreignLetters);
  for (const Step& step : reading.undone)
    bits += StepBits(step);
  return bits;
}

// Every reading that undoing up to kEscapeLayers escapes, then up to kMisreadLayers misreadings
// gives, each text once (reached with the fewest steps, the first step tried winning ties).
std::vector<Reading> Search(std::u16string_view text, End end, Charset chosen) {
  std::vector<Reading> readings;
  readings.push_back({std::u16string(text), {}, false, 0, ScoreText(text)});
  std::unordered_set<std::u16string> seen = {readings.front().text};
  const auto tryStep = [&](std::size_t from, Step step) {
    std::optional<Undone> undone = Undo(readings[from].text, step, end);
    if (!undone || undone->text.empty() || !seen.insert(undone->text).second)
      return false;
    const Reading& source = readings[from];
    Reading reading{std::move(undone->text),
                    source.undone,
                    source.partial || LosesBytes(source.text, step),
                    source.lostBytes + undone->lostBytes,
                    {}};
    reading.undone.push_back(step);
    reading.score = ScoreText(reading.text);
    reading.foreignLetters = ForeignLetters(reading.undone, reading.text);
    readings.push_back(std::move(reading));
    return true;
  };

  std::vector<std::size_t> frontier = {0};
  const std::vector<Step> escapes = EscapeSteps(chosen);
  for (std::size_t layer = 0; layer < kEscapeLayers && !frontier.empty(); ++layer) {
    std::vector<std::size_t> next;
    for (const std::size_t from : frontier) {
      for (const Step& step : escapes) {
        if (tryStep(from, step))
          next.push_back(readings.size() - 1);
      }
    }
    frontier = std::move(next);
  }

  // Misreadings lie under the escapes: they are undone from every reading so far.
  frontier.resize(readings.size());
  std::iota(frontier.begin(), frontier.end(), std::size_t{0});
  const std::vector<Step> outermost = OutermostMisreadings();
  for (std::size_t layer = 0; layer < kMisreadLayers && !frontier.empty(); ++layer) {
    std::vector<std::size_t> next;
    const std::span<const Step> misreadings =
        layer == 0 ? std::span<const Step>(outermost) : std::span<const Step>(kMisreadings);
    for (const std::size_t from : frontier) {
      for (const Step& step : misreadings) {
        // A rare misreading is the whole chain: text shown in a wrong code page, pasted.
        if (IsRareMisreading(step) && !readings[from].undone.empty())
          continue;
        if (tryStep(from, step) && !IsRareMisreading(step))
          next.push_back(readings.size() - 1);
      }
    }
    if (next.size() > kBeam) {
      std::stable_sort(next.begin(), next.end(), [&](std::size_t a, std::size_t b) {
        return readings[a].score.bitsPerCharacter < readings[b].score.bitsPerCharacter;
      });
      next.resize(kBeam);
    }
    frontier = std::move(next);
  }
  return readings;
}

// Undoes a chain found on a prefix on the whole text. The text as it is (no steps) keeps its text
// empty: a text of many megabytes is copied at the end, and only if it is returned.
std::optional<Reading> UndoOnWholeText(std::u16string_view text, const Reading& found) {
  Reading reading{{}, found.undone, false, 0, {}};
  std::u16string_view current = text;
  for (Step step : found.undone) {
    std::optional<Undone> undone = Undo(current, step, End::Closed);
    if (!undone)
      return std::nullopt;
    reading.partial = reading.partial || LosesBytes(current, step);
    reading.text = std::move(undone->text);
    reading.lostBytes += undone->lostBytes;
    current = reading.text;
  }
  reading.score = ScoreText(current);
  reading.foreignLetters = ForeignLetters(reading.undone, current);
  return reading;
}

// The text of a reading from UndoOnWholeText.
std::u16string_view TextOf(const Reading& reading, std::u16string_view input) {
  return reading.undone.empty() ? input : std::u16string_view(reading.text);
}

// The readings in rank order: the lower cost first, then the fewer steps, then the earlier found.
void Rank(std::vector<Reading>& readings) {
  std::stable_sort(readings.begin(), readings.end(), [](const Reading& a, const Reading& b) {
    const double bitsA = RankBits(a), bitsB = RankBits(b);
    if (bitsA != bitsB)
      return bitsA < bitsB;
    return a.undone.size() < b.undone.size();
  });
}

// A prefix of about `units` code units that does not split a surrogate pair.
std::u16string_view PrefixOf(std::u16string_view text, std::size_t units) {
  if (text.size() <= units)
    return text;
  if (IsHighSurrogate(text[units - 1]))
    --units;
  return text.substr(0, units);
}

// The readings of a text, best first: searched on its prefix, and for a long text the best chains
// undone again on all of it (the text as it is then has an empty `text`).
std::vector<Reading> ReadingsOf(std::u16string_view text, Charset charset) {
  const bool whole = text.size() <= kSearchUnits;
  std::vector<Reading> readings =
      Search(PrefixOf(text, kSearchUnits), whole ? End::Closed : End::Open, charset);
  Rank(readings);
  if (!whole) {
    // The prefix found the chains; the whole text decides whether they hold and how they rank.
    // At most kVerified + 1 readings of the whole text: finding the same text twice compares with
    // each, where a set of seen texts would hold one more copy of a text of many megabytes.
    std::vector<Reading> verified;
    for (std::size_t i = 0; i < readings.size(); ++i) {
      // The text as it is always stays in the running: it is what "nothing recognised" means.
      if (i >= kVerified && !readings[i].undone.empty())
        continue;
      std::optional<Reading> reading = UndoOnWholeText(text, readings[i]);
      if (reading && std::ranges::none_of(verified, [&](const Reading& other) {
            return TextOf(other, text) == TextOf(*reading, text);
          }))
        verified.push_back(std::move(*reading));
    }
    readings = std::move(verified);
    Rank(readings);
  }
  return readings;
}

// ---- a stretch inside clean text ----------------------------------------------------------------

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\u3000';
}

// Whether a word could be garbled or escaped: plain ASCII words without an escape mark are what
// they are (a Base64 or hex word inside a sentence is far likelier a name or a hash).
bool MayBeGarbled(std::u16string_view word) {
  return std::ranges::any_of(word, [](char16_t c) {
    return c >= 0x80 || c == u'%' || c == u'\\' || c == u'&' || c == u'=';
  });
}

// ---- a garbled stretch glued to clean text ------------------------------------------------------

// How many aligned boundaries a glued stretch's ends may move inward: a clean character beside
// the stretch whose bytes read as UTF-8 too (失's CA A7 is ʧ) is left out so.
constexpr std::size_t kMostTrimmed = 4;
// A run of UTF-8 in which this many characters end nowhere a character of the word ends is no
// misreading of it (a garbled stretch shares a boundary every two or three characters), and the
// scan from one start stops there, so that the search stays linear.
constexpr std::size_t kMostUnaligned = 8;
// The characters either side of a glued stretch that its repair is scored with.
constexpr std::size_t kGluedContext = 4;

// One stretch of a word undone by a misreading of UTF-8, and how many bits it saves.
struct GluedRepair {
  std::size_t begin = 0, end = 0; // code units of the word
  std::u16string text;
  Step step;
  double gain = 0;
};

// Where a run of the word's bytes (in the charset the misreading read them in) reads as UTF-8, the
// stretch between two boundaries that both texts share whose repair saves the most bits; its ends
// may move inward by up to kMostTrimmed boundaries each.
void BestOfRun(std::u16string_view word, const Step& step,
               const std::vector<std::pair<std::size_t, std::size_t>>& aligned,
               std::u16string_view decoded, std::optional<GluedRepair>& best) {
  const std::size_t last = aligned.size() - 1;
  for (std::size_t i = 0; i <= std::min(kMostTrimmed, last); ++i) {
    for (std::size_t j = std::max(i + 1, last > kMostTrimmed ? last - kMostTrimmed : 0); j <= last;
         ++j) {
      const auto [unitBegin, charBegin] = aligned[i];
      const auto [unitEnd, charEnd] = aligned[j];
      const std::u16string_view repaired = decoded.substr(charBegin, charEnd - charBegin);
      const std::u16string_view asIs = word.substr(unitBegin, unitEnd - unitBegin);
      if (repaired == asIs || std::ranges::none_of(repaired, [](char16_t c) { return c >= 0x80; }))
        continue;
      // Scored with a few characters either side: a clean character that the stretch would take
      // in reads well with its neighbour (失败) and badly as what it turns into (ʧ败).
      const std::size_t left = unitBegin - std::min(unitBegin, kGluedContext);
      const std::u16string_view before = word.substr(left, unitBegin - left);
      const std::u16string_view after = word.substr(unitEnd, kGluedContext);
      std::u16string context;
      const auto bitsWith = [&](std::u16string_view middle) {
        context.assign(before).append(middle).append(after);
        return ScoreText(context).TotalBits();
      };
      const double gain = bitsWith(asIs) - bitsWith(repaired);
      if (!best || gain > best->gain)
        best = GluedRepair{unitBegin, unitEnd, std::u16string(repaired), step, gain};
    }
  }
}

// The stretches of a word that UTF-8 read as `step.readAs` explains, each at its best boundaries.
// The word's characters are turned back into that charset's bytes; from each character's first
// byte the longest run of well-formed UTF-8 is read, and the boundaries where a character of the
// word and a character of the run end together are where the stretch may begin and end. A run ends
// the scan of the characters it covers, and stops where no boundary comes for kMostUnaligned
// characters: linear in the word.
void FindGluedRepairs(std::u16string_view word, const Step& step, std::vector<GluedRepair>& found) {
  const CodePage codePage = *InfoOf(step.readAs).codePage;
  std::u16string copy;
  const std::u16string_view units =
      step.readAs == Charset::Cp437 ? AsIcuReadsCp437(word, copy) : word;
  const std::uint16_t* codeOf = AnsiCodeTable(codePage);
  std::string bytes;
  std::vector<std::size_t> unitOfByte; // the unit that starts at each byte, or npos
  constexpr std::size_t kInside = std::string::npos;
  // `bytes` holds the bytes of the units before `endUnit`, a unit the code page lacks or the end.
  const auto flush = [&](std::size_t endUnit) {
    unitOfByte.push_back(endUnit);
    std::size_t at = 0;
    while (at < bytes.size()) {
      if (unitOfByte[at] == kInside) {
        ++at;
        continue;
      }
      std::vector<std::pair<std::size_t, std::size_t>> aligned = {{unitOfByte[at], 0}};
      std::u16string decoded;
      std::size_t q = at, lastAligned = at;
      while (q < bytes.size() && decoded.size() - aligned.back().second <= kMostUnaligned) {
        const std::optional<Utf8Character> c = Utf8CharacterAt(bytes, q);
        if (!c)
          break;
        AppendCodePoint(decoded, c->codePoint);
        q += c->length;
        if (unitOfByte[q] != kInside) {
          aligned.emplace_back(unitOfByte[q], decoded.size());
          lastAligned = q;
        }
      }
      if (aligned.size() >= 2) {
        std::optional<GluedRepair> best;
        BestOfRun(word, step, aligned, decoded, best);
        if (best)
          found.push_back(std::move(*best));
      }
      at = lastAligned > at ? lastAligned : at + 1;
    }
    bytes.clear();
    unitOfByte.clear();
  };
  for (std::size_t i = 0; i < units.size(); ++i) {
    const std::uint16_t code = codeOf[units[i]];
    if (code == u'?' && units[i] != u'?') {
      flush(i);
      continue;
    }
    unitOfByte.push_back(i);
    if (code > 0xFF) {
      bytes.push_back(static_cast<char>(code >> 8));
      unitOfByte.push_back(kInside);
    }
    bytes.push_back(static_cast<char>(code & 0xFF));
  }
  flush(units.size());
}

// The word with each stretch that a misreading of UTF-8 explains clearly better repaired, the
// rest as it is; nothing when none does. Stretches that overlap give way to the one that saves
// more, and the chain named is that of the one that saves most.
std::optional<Reading> RepairGlued(std::u16string_view word) {
  std::vector<GluedRepair> found;
  for (const Step& step : OutermostMisreadings()) {
    if (step.kind == StepKind::Misread && step.charset == Charset::Utf8)
      FindGluedRepairs(word, step, found);
  }
  std::erase_if(found,
                [](const GluedRepair& r) { return r.gain <= StepBits(r.step) + kStretchBits; });
  if (found.empty())
    return std::nullopt;
  std::ranges::stable_sort(
      found, [](const GluedRepair& a, const GluedRepair& b) { return a.gain > b.gain; });
  Reading reading{{}, {found.front().step}, false, 0, {}};
  reading.stretch = true;
  std::vector<const GluedRepair*> kept;
  for (const GluedRepair& r : found) {
    if (std::ranges::none_of(
            kept, [&](const GluedRepair* k) { return r.begin < k->end && k->begin < r.end; }))
      kept.push_back(&r);
  }
  std::ranges::sort(kept, {}, &GluedRepair::begin);
  std::size_t copied = 0;
  for (const GluedRepair* r : kept) {
    reading.text.append(word.substr(copied, r->begin - copied));
    reading.text += r->text;
    copied = r->end;
  }
  reading.text.append(word.substr(copied));
  return reading;
}

// The text with each word (between blanks) that reads better undone repaired, and the rest as it
// is; nothing when no word does. The chain named is the first repaired word's.
std::optional<Reading> RepairStretches(std::u16string_view text, Charset charset) {
  Reading repaired{{}, {}, false, 0, {}};
  repaired.text.reserve(text.size());
  repaired.stretch = true;
  std::size_t tried = 0;
  bool any = false;
  for (std::size_t i = 0; i < text.size();) {
    if (IsBlank(text[i])) {
      repaired.text.push_back(text[i++]);
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && !IsBlank(text[end]))
      ++end;
    const std::u16string_view word = text.substr(i, end - i);
    i = end;
    if (word.size() < 2 || tried == kStretchWords || !MayBeGarbled(word)) {
      repaired.text += word;
      continue;
    }
    ++tried;
    // A word that is the whole text was searched as such already: only a stretch of it is left.
    std::optional<Reading> best;
    if (word.size() != text.size()) {
      std::vector<Reading> readings = Search(word, End::Closed, charset);
      Rank(readings);
      if (!readings.front().undone.empty())
        best = std::move(readings.front());
    }
    // A garbled stretch glued to clean characters without a blank (上传闄堟瘏.txt失败).
    if (!best)
      best = RepairGlued(word);
    if (!best) {
      repaired.text += word;
      continue;
    }
    repaired.text += best->text;
    if (!any)
      repaired.undone = best->undone;
    repaired.partial = repaired.partial || best->partial;
    repaired.lostBytes += best->lostBytes;
    any = true;
  }
  if (!any)
    return std::nullopt;
  repaired.score = ScoreText(repaired.text);
  return repaired;
}

// ---- what was lost before -----------------------------------------------------------------------

constexpr char16_t kKun = u'锟', kJin = u'斤', kKao = u'拷';
constexpr char16_t kTang = u'烫', kTun = u'屯';
// Three in a row: 烫烫 and 屯屯 are words of their own (烫烫的), three are memory never written.
constexpr std::size_t kFillRun = 3;

bool IsOfReplacementAsGbk(char16_t c) { return c == kKun || c == kJin || c == kKao; }

// The length of the run of lost-data characters at text[i]: 锟斤拷 (three or more of 锟 斤 拷,
// starting with 锟), or three or more 烫 or 屯; 0 for none.
std::size_t LostRunAt(std::u16string_view text, std::size_t i) {
  std::size_t end = i;
  if (text[i] == kKun) {
    while (end < text.size() && IsOfReplacementAsGbk(text[end]))
      ++end;
  } else if (text[i] == kTang || text[i] == kTun) {
    while (end < text.size() && text[end] == text[i])
      ++end;
  }
  return end - i >= kFillRun ? end - i : 0;
}

// The text with each run of 锟斤拷, 烫 or 屯 as one U+FFFD; nothing when it has none.
std::optional<std::u16string> MarkLost(std::u16string_view text) {
  std::optional<std::u16string> marked;
  std::size_t copied = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t run = LostRunAt(text, i);
    if (run == 0)
      continue;
    if (!marked) {
      marked.emplace();
      marked->reserve(text.size());
    }
    marked->append(text.substr(copied, i - copied));
    marked->push_back(kReplacement);
    i += run - 1;
    copied = i + 1;
  }
  if (marked)
    marked->append(text.substr(copied));
  return marked;
}

// Which kind of run MarkLost found first.
Lost LostMarked(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (LostRunAt(text, i) > 0)
      return text[i] == kKun    ? Lost::ReplacementAsGbk
             : text[i] == kTang ? Lost::StackFill
                                : Lost::HeapFill;
  }
  return Lost::Nothing;
}

bool IsWordCharacter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         (c >= 0x80 && !IsBlank(c) && c != kReplacement);
}

// U+FFFD, or two or more "?" where characters were: a letter or digit after them, or a character
// beyond ASCII before them ("What??" ends a question; 文件??.txt lost two characters).
Lost LostInText(std::u16string_view text) {
  if (Contains(text, kReplacement))
    return Lost::Replacements;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'?')
      continue;
    std::size_t end = i;
    while (end < text.size() && text[end] == u'?')
      ++end;
    const bool wordAfter = end < text.size() && IsWordCharacter(text[end]);
    const bool foreignBefore = i > 0 && text[i - 1] >= 0x80 && IsWordCharacter(text[i - 1]);
    if (end - i >= 2 && (wordAfter || foreignBefore))
      return Lost::QuestionMarks;
    i = end;
  }
  return Lost::Nothing;
}

} // namespace

std::string_view LostName(Lost lost) {
  switch (lost) {
  case Lost::Nothing:
    return {};
  case Lost::ReplacementAsGbk:
    return "replacement-as-gbk";
  case Lost::StackFill:
    return "stack-fill";
  case Lost::HeapFill:
    return "heap-fill";
  case Lost::Replacements:
    return "replacements";
  case Lost::QuestionMarks:
    return "question-marks";
  }
  return {};
}

std::optional<std::string_view> StepOperation(StepKind kind) {
  switch (kind) {
  case StepKind::Url:
    return "url-encode";
  case StepKind::PercentU:
    return "escape";
  case StepKind::UnicodeEscape:
    return "unicode-escape";
  case StepKind::HtmlDecimal:
    return "html-encode";
  case StepKind::Base64:
    return "base64-encode";
  case StepKind::HexGroups:
    return "hex-encode";
  case StepKind::CEscape:
    return "c-escape";
  case StepKind::ByteHex:
    return "byte-hex-encode";
  case StepKind::QuotedPrintable:
    return "quoted-printable-encode";
  case StepKind::MimeHeader:
    return "mime-header-encode";
  case StepKind::Punycode:
    return "punycode-encode";
  case StepKind::Misread:
  case StepKind::SurrogatesMisread:
  case StepKind::HtmlHex:
  case StepKind::HtmlNamed:
  case StepKind::UrlForm:
    break;
  }
  return std::nullopt;
}

std::string StepName(const Step& step) {
  switch (step.kind) {
  case StepKind::Misread:
    return VocabularyName(step.charset) + "-as-" + VocabularyName(step.readAs);
  case StepKind::SurrogatesMisread:
    return "utf8-surrogates-as-" + VocabularyName(step.readAs);
  case StepKind::HtmlHex:
    return "html-hex";
  case StepKind::HtmlNamed:
    return "html-named";
  case StepKind::UrlForm:
    return "url-form:" + VocabularyName(step.charset);
  case StepKind::Url:
  case StepKind::Base64:
  case StepKind::CEscape:
  case StepKind::ByteHex:
  case StepKind::QuotedPrintable:
  case StepKind::MimeHeader:
    return std::string(StepOperation(step.kind).value()) + ":" + VocabularyName(step.charset);
  case StepKind::PercentU:
  case StepKind::UnicodeEscape:
  case StepKind::HtmlDecimal:
  case StepKind::HexGroups:
  case StepKind::Punycode:
    return std::string(StepOperation(step.kind).value());
  }
  return "unknown";
}

std::vector<Candidate> RecogniseText(std::u16string_view text, Charset charset, InputText input) {
  std::optional<std::u16string> marked = MarkLost(text);
  const std::u16string_view source = marked ? std::u16string_view(*marked) : text;
  std::vector<Reading> readings = ReadingsOf(source, charset);
  if (readings.front().undone.empty() && source.size() <= kStretchUnits) {
    if (std::optional<Reading> stretch = RepairStretches(source, charset)) {
      readings.push_back(std::move(*stretch));
      Rank(readings);
    }
  }
  if (readings.size() > kMaxCandidates)
    readings.resize(kMaxCandidates);

  Lost lost = marked ? LostMarked(text) : Lost::Nothing;
  std::vector<Candidate> candidates;
  candidates.reserve(readings.size());
  double total = 0;
  const double best = readings.empty() ? 0 : RankBits(readings.front());
  for (Reading& reading : readings) {
    // The text as it is: the input's, copied here if at all; with its lost runs marked, a text
    // of its own.
    if (reading.undone.empty())
      reading.text = marked                       ? *marked
                     : input == InputText::Copied ? std::u16string(text)
                                                  : std::u16string();
    Candidate candidate{std::move(reading.text), {}, reading.partial, reading.stretch, lost,
                        RankBits(reading),       0};
    candidate.steps.assign(reading.undone.rbegin(), reading.undone.rend());
    if (candidate.steps.empty() && lost == Lost::Nothing)
      candidate.lost = LostInText(source);
    // Bits are log-probabilities: 2^-bits, relative to the best so that nothing underflows.
    candidate.share = std::exp2(best - candidate.bits);
    total += candidate.share;
    candidates.push_back(std::move(candidate));
  }
  for (Candidate& candidate : candidates)
    candidate.share /= total;
  return candidates;
}

} // namespace kelvaro::recognise
