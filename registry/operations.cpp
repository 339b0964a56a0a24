#include "registry/operations.h"

#include "codec/chinese/amount.h"
#include "codec/chinese/gb_big5.h"
#include "codec/chinese/pinyin.h"
#include "codec/chinese/simplified_traditional.h"
#include "codec/digest/md5.h"
#include "codec/digest/md5_base64.h"
#include "codec/digest/sha.h"
#include "codec/escape/c_escape.h"
#include "codec/escape/code_listing.h"
#include "codec/escape/html_entities.h"
#include "codec/escape/percent_u.h"
#include "codec/escape/punycode.h"
#include "codec/escape/unicode_escape.h"
#include "codec/recognise/recogniser.h"
#include "codec/text-encodings/base64.h"
#include "codec/text-encodings/byte_hex.h"
#include "codec/text-encodings/hex_text.h"
#include "codec/text-encodings/mime_header.h"
#include "codec/text-encodings/quoted_printable.h"
#include "codec/utf8/mojibake.h"
#include "codec/utf8/uri_component.h"
#include "codec/utf8/url_encoding.h"
#include "codec/utf8/utf8_escape.h"
#include "net/host_lookup.h"
#include "net/platform_resolver.h"
#include "text/hex.h"
#include "text/utf.h"
#include "text/width.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>
#include <stdexcept>

namespace kelvaro {
namespace {

using enum Box;

// ---- adapters: a conversion's value or error as an outcome
// ---------------------------------------

/// A conversion that cannot fail: Plain<Base64Encode>.
template <std::u16string (*Convert)(std::u16string_view)>
Outcome Plain(std::u16string_view input, const OperationOptions&) {
  return Outcome::Converted(Convert(input));
}

Outcome FromResult(Result<std::u16string> result) {
  if (result)
    return Outcome::Converted(std::move(*result));
  return Outcome::Refused(MessageFor(result.error().code));
}

/// A conversion of the bytes of the chosen charset: InCharset<Base64Encode>.
template <std::u16string (*Convert)(std::u16string_view, Charset)>
Outcome InCharset(std::u16string_view input, const OperationOptions& options) {
  return Outcome::Converted(Convert(input, options.charset));
}

/// A conversion that can refuse its input; the box keeps its content and a message says why.
template <Result<std::u16string> (*Convert)(std::u16string_view)>
Outcome Checked(std::u16string_view input, const OperationOptions&) {
  return FromResult(Convert(input));
}

std::u16string ToLowerHex(std::u16string hex) {
  for (char16_t& c : hex) {
    if (c >= u'A' && c <= u'F')
      c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return hex;
}

/// The same conversions on bytes already in the chosen charset (UTF-8 passed through). Their
/// results are ASCII: digits, or Base64 written as bytes from the start since it is as long as the
/// input.
BytesOutcome Base64OnBytes(std::string_view bytes, const OperationOptions&) {
  return {Base64AsciiOfBytes(bytes)};
}

std::string AsciiBytes(std::u16string_view digits) {
  return std::string(digits.begin(), digits.end());
}

template <int kDigits>
BytesOutcome Md5HexDigitsOfBytes(std::string_view bytes, const OperationOptions& options) {
  std::u16string hex = digest::Md5HexOfBytes(bytes, kDigits);
  return {AsciiBytes(options.upper ? std::move(hex) : ToLowerHex(std::move(hex)))};
}

template <Result<std::u16string> (*Digest)(std::string_view, bool)>
BytesOutcome ShaDigestOfBytes(std::string_view bytes, const OperationOptions& options) {
  const Result<std::u16string> digits = Digest(bytes, options.upper);
  if (!digits)
    return {std::nullopt, MessageFor(digits.error().code)};
  return {AsciiBytes(*digits)};
}

BytesOutcome UrlEncodeOnUtf8(std::string_view utf8, const OperationOptions& options) {
  if (options.charset == Charset::Utf8)
    return {URLEncodeUtf8Bytes(utf8)};
  return {Utf16ToUtf8(URLEncode(Utf8ToUtf16(utf8).value(), options.charset))};
}

BytesOutcome Base64DecodeOnUtf8(std::string_view utf8, const OperationOptions& options) {
  Base64DecodeUtf8Stream decoder(options.charset, utf8.size());
  decoder.Add(utf8);
  return {decoder.Finish()};
}

/// And on bytes read a block at a time: the codec's own incremental forms, finished as above.
class Base64OfByteStream final : public BytesStream {
public:
  Base64OfByteStream(const OperationOptions&, std::size_t expectedBytes)
      : m_encoder(expectedBytes) {}
  void Add(std::string_view bytes) override { m_encoder.Add(bytes); }
  BytesOutcome Finish() override { return {m_encoder.Finish()}; }

private:
  Base64AsciiStream m_encoder;
};

class Base64DecodeOfUtf8Stream final : public BytesStream {
public:
  Base64DecodeOfUtf8Stream(const OperationOptions& options, std::size_t expectedBytes)
      : m_decoder(options.charset, expectedBytes) {}
  void Add(std::string_view utf8) override { m_decoder.Add(utf8); }
  BytesOutcome Finish() override { return {m_decoder.Finish()}; }

private:
  Base64DecodeUtf8Stream m_decoder;
};

template <int kDigits> class Md5HexDigitsOfByteStream final : public BytesStream {
public:
  Md5HexDigitsOfByteStream(const OperationOptions& options, std::size_t)
      : m_upper(options.upper) {}
  void Add(std::string_view bytes) override { m_md5.Add(bytes); }
  BytesOutcome Finish() override {
    std::u16string hex = m_md5.Hex(kDigits);
    return {AsciiBytes(m_upper ? std::move(hex) : ToLowerHex(std::move(hex)))};
  }

private:
  bool m_upper;
  digest::Md5Stream m_md5;
};

template <digest::ShaAlgorithm kAlgorithm> class ShaDigestOfByteStream final : public BytesStream {
public:
  ShaDigestOfByteStream(const OperationOptions& options, std::size_t)
      : m_upper(options.upper), m_sha(kAlgorithm) {}
  void Add(std::string_view bytes) override { m_sha.Add(bytes); }
  BytesOutcome Finish() override {
    const Result<std::u16string> digits = m_sha.Finish(m_upper);
    if (!digits)
      return {std::nullopt, MessageFor(digits.error().code)};
    return {AsciiBytes(*digits)};
  }

private:
  bool m_upper;
  digest::ShaStream m_sha;
};

template <class Stream>
std::unique_ptr<BytesStream> Begin(const OperationOptions& options, std::size_t expectedBytes) {
  return std::make_unique<Stream>(options, expectedBytes);
}

/// Md5Hex with 32 or 16 digits, in lower case unless the "大写" box asks for capitals.
template <int kDigits>
Outcome Md5HexDigits(std::u16string_view input, const OperationOptions& options) {
  std::u16string hex = digest::Md5Hex(input, kDigits, options.charset);
  return Outcome::Converted(options.upper ? std::move(hex) : ToLowerHex(std::move(hex)));
}

/// Traditional to simplified: the same-byte-length rule of code page 936 while the boxes are
/// GBK-like; with a charset that keeps every character that rule has nothing left to protect.
Outcome ToSimplified(std::u16string_view input, const OperationOptions& options) {
  return Outcome::Converted(InfoOf(options.charset).keepsEveryCharacter
                                ? TraditionalToSimplifiedWhole(input)
                                : TraditionalToSimplified(input));
}

template <PinyinStyle kStyle> std::u16string PinyinIn(std::u16string_view input) {
  return Pinyin(input, kStyle);
}

/// A standard digest of the text's bytes in the chosen charset, in capitals with the "大写" box.
template <Result<std::u16string> (*Digest)(std::string_view, bool)>
Outcome ShaDigest(std::u16string_view input, const OperationOptions& options) {
  return FromResult(Digest(EncodeText(input, options.charset), options.upper));
}

/// Script escapes: the program's own in GBK, JavaScript's escape() in every other charset.
Outcome Escape(std::u16string_view input, const OperationOptions& options) {
  return Outcome::Converted(options.charset == Charset::Gbk ? vbs_escape(input)
                                                            : ScriptEscape(input));
}

Outcome Unescape(std::u16string_view input, const OperationOptions& options) {
  return Outcome::Converted(options.charset == Charset::Gbk ? vbs_unescape(input)
                                                            : ScriptUnescape(input));
}

Outcome EscapeUnicode(std::u16string_view input, const OperationOptions& options) {
  return Outcome::Converted(UnicodeEscape(input, options.upper));
}

Outcome Amount(std::u16string_view input, const OperationOptions&) {
  Result<std::u16string> words = AmountToCapitals(input);
  if (words)
    return Outcome::Converted(std::move(*words));
  // Text2 is emptied as well as the message shown: a cheque must not keep an older amount.
  return Outcome{std::u16string(), MessageFor(words.error().code)};
}

Outcome HostToIp(std::u16string_view input, const OperationOptions& options) {
  static const net::PlatformResolver kPlatform;
  return FromResult(net::HostAddressLine(input, options.resolver ? *options.resolver : kPlatform));
}

Outcome ByteHex(std::u16string_view input, const OperationOptions& options) {
  return Outcome::Converted(ByteHexEncode(input, options.charset, options.upper));
}

Outcome FromByteHex(std::u16string_view input, const OperationOptions& options) {
  return FromResult(ByteHexDecode(input, options.charset));
}

// ---- recognising pasted text
// ----------------------------------------------------------------------

/// The steps of a reading in the status line's words: "UTF-8 被当作 GBK 读取，已还原", or in English.
enum class Language { Chinese, English };
std::u16string RecognisedWords(const recognise::Candidate& candidate,
                               Language language = Language::Chinese);

Outcome Recognise(std::u16string_view input, const OperationOptions& options) {
  // The text as it is means "nothing recognised": its copy would only cost memory.
  std::vector<recognise::Candidate> candidates =
      recognise::RecogniseText(input, options.charset, recognise::InputText::LeftOut);
  if (candidates.empty() ||
      (candidates.front().steps.empty() && candidates.front().lost == recognise::Lost::Nothing))
    return Outcome::Refused(MessageFor(ErrorCode::NothingRecognised));
  // Lost characters named in a text that is otherwise as it is: the text left out is the input.
  const bool asIs = candidates.front().steps.empty() && candidates.front().text.empty();
  Outcome outcome =
      Outcome::Converted(asIs ? std::u16string(input) : std::move(candidates.front().text));
  outcome.message = Message{RecognisedWords(candidates.front()), MessageStyle::StatusNote, {},
                            RecognisedWords(candidates.front(), Language::English)};
  for (std::size_t i = 1; i < candidates.size(); ++i) {
    if (!candidates[i].steps.empty())
      outcome.alternatives.push_back({std::move(candidates[i].text),
                                      RecognisedWords(candidates[i]),
                                      RecognisedWords(candidates[i], Language::English)});
  }
  return outcome;
}

void AppendAscii(std::u16string& out, std::string_view ascii) {
  out.append(ascii.begin(), ascii.end());
}

/// A JSON string: quotes, backslashes, controls and lone surrogates escaped, the rest as it is.
void AppendJsonString(std::u16string& out, std::u16string_view text) {
  out.push_back(u'"');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool paired =
        (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ||
        (IsLowSurrogate(c) && i > 0 && IsHighSurrogate(text[i - 1]));
    if (c == u'"' || c == u'\\') {
      out.push_back(u'\\');
      out.push_back(c);
    } else if (c == u'\n') {
      AppendAscii(out, "\\n");
    } else if (c == u'\r') {
      AppendAscii(out, "\\r");
    } else if (c == u'\t') {
      AppendAscii(out, "\\t");
    } else if (c < 0x20 || (IsSurrogate(c) && !paired)) {
      char16_t escape[6] = {u'\\', u'u'};
      out.append(escape, WriteHexUnit(escape + 2, c));
    } else {
      out.push_back(c);
    }
  }
  out.push_back(u'"');
}

/// One JSON object a line, best first: {"steps": ["utf8-as-gbk"], "score": 0.97, "text": "中文"},
/// with "partial": true for a partial repair. The text as it is has no steps.
Outcome Detect(std::u16string_view input, const OperationOptions& options) {
  std::u16string report;
  for (const recognise::Candidate& candidate : recognise::RecogniseText(input, options.charset)) {
    AppendAscii(report, "{\"steps\": [");
    for (std::size_t i = 0; i < candidate.steps.size(); ++i) {
      AppendAscii(report, i == 0 ? "\"" : ", \"");
      AppendAscii(report, recognise::StepName(candidate.steps[i]));
      report.push_back(u'"');
    }
    // Four decimals, trailing zeros dropped: rounding keeps the order of the shares.
    char score[16];
    std::snprintf(score, sizeof score, "%.4f", candidate.share);
    std::string_view digits = score;
    digits.remove_suffix(digits.size() - 1 - digits.find_last_not_of('0'));
    if (digits.ends_with('.'))
      digits.remove_suffix(1);
    AppendAscii(report, "], \"score\": ");
    AppendAscii(report, digits);
    AppendAscii(report, ", \"text\": ");
    AppendJsonString(report, candidate.text);
    if (candidate.stretch)
      AppendAscii(report, ", \"stretch\": true");
    if (candidate.lost != recognise::Lost::Nothing) {
      AppendAscii(report, ", \"lost\": \"");
      AppendAscii(report, recognise::LostName(candidate.lost));
      report.push_back(u'"');
    }
    if (candidate.partial)
      AppendAscii(report, ", \"partial\": true");
    AppendAscii(report, "}\n");
  }
  return Outcome::Converted(std::move(report));
}

// ---- the table
// ------------------------------------------------------------------------------------

constexpr Operation kOperations[] = {
    {.cliName = "url-encode",
     .caption = "URLencode",
     .followsCharset = true,
     .description = "Chinese characters' bytes and spaces as %XX escapes",
     .run = InCharset<URLEncode>,
     .runOnBytes = UrlEncodeOnUtf8},
    {.cliName = "url-decode",
     .caption = "URLdecode",
     .writes = Text1,
     .followsCharset = true,
     .inverseOf = "url-encode",
     .description = "%XX escapes of bytes and + back to text (rewrites the input box)",
     .run = InCharset<URLDecode>},
    {.cliName = "utf8-encode",
     .caption = "UTF8_encode",
     .description = "every non-ASCII code unit as UTF-8 %XX escapes",
     .run = Plain<UTF8Encode>},
    {.cliName = "utf8-decode",
     .caption = "UTF8_decode",
     .inverseOf = "utf8-encode",
     .description = "UTF-8 %XX escapes back to text",
     .run = Plain<UTF8Decode>},
    {.cliName = "code-list",
     .caption = "ASCII码值",
     .description = "UTF-16 code units as four hex digits each, comma after each",
     .run = Plain<UnicodeFun>},
    {.cliName = "md5-base64",
     .caption = "MD5+BASE64",
     .encodesInput = true,
     .description = "MD5 over the characters' GBK codes, as Base64",
     .run = Plain<digest::Md5Base64>},
    {.cliName = "hex-encode",
     .caption = "字符转16进制",
     .encodesInput = true,
     .description = "GBK codes as four-character hex groups (O41O, D6D0, ODDO)",
     .run = Plain<TextToHex>},
    {.cliName = "hex-decode",
     .caption = "16进制转字符",
     .reads = Text2,
     .inverseOf = "hex-encode",
     .description = "four-character hex groups back to text",
     .run = Plain<HexToText>},
    {.cliName = "base64-encode",
     .caption = "base64encode",
     .followsCharset = true,
     .encodesInput = true,
     .description = "Base64 of the text's bytes",
     .run = InCharset<Base64Encode>,
     .runOnBytes = Base64OnBytes,
     .streamOnBytes = Begin<Base64OfByteStream>},
    {.cliName = "base64-decode",
     .caption = "base64decode",
     .reads = Text2,
     .followsCharset = true,
     .inverseOf = "base64-encode",
     .description = "Base64 back to text; white space skipped",
     .run = InCharset<Base64Decode>,
     .runOnBytes = Base64DecodeOnUtf8,
     .streamOnBytes = Begin<Base64DecodeOfUtf8Stream>},
    {.cliName = "host-to-ip",
     .caption = "域名转IP",
     .description = "host name to its first IPv4 address",
     .run = HostToIp},
    {.cliName = "amount",
     .caption = "数字转人民币",
     .description = "money amount in Chinese capital numerals",
     .run = Amount},
    {.cliName = "md5-16",
     .caption = "MD5_16",
     .readsUpper = true,
     .followsCharset = true,
     .encodesInput = true,
     .description = "MD5 of the text's bytes, 16 hex digits (--upper for capitals)",
     .run = Md5HexDigits<16>,
     .runOnBytes = Md5HexDigitsOfBytes<16>,
     .streamOnBytes = Begin<Md5HexDigitsOfByteStream<16>>,
     .codesOfUnits = digest::Md5CodesOfUnits},
    {.cliName = "md5-32",
     .caption = "MD5_32",
     .readsUpper = true,
     .followsCharset = true,
     .encodesInput = true,
     .description = "MD5 of the text's bytes, 32 hex digits (--upper for capitals)",
     .run = Md5HexDigits<32>,
     .runOnBytes = Md5HexDigitsOfBytes<32>,
     .streamOnBytes = Begin<Md5HexDigitsOfByteStream<32>>,
     .codesOfUnits = digest::Md5CodesOfUnits},
    {.cliName = "unicode-as-ansi",
     .caption = "vbUnicode",
     .followsCharset = true,
     .encodesInput = true,
     .description = "UTF-16LE bytes of the text read in the charset",
     .run = InCharset<UnicodeBytesAsAnsi>},
    {.cliName = "ansi-as-unicode",
     .caption = "vbFormUnicode",
     .reads = Text2,
     .followsCharset = true,
     .inverseOf = "unicode-as-ansi",
     .encodesInput = true,
     .description = "the text's bytes in the charset read as UTF-16LE",
     .run = InCharset<AnsiBytesAsUnicode>},
    {.cliName = "to-traditional",
     .caption = "简体转繁体",
     .description = "simplified Chinese to traditional",
     .run = Plain<SimplifiedToTraditional>},
    {.cliName = "to-simplified",
     .caption = "繁体转简体",
     .followsCharset = true,
     .inverseOf = "to-traditional",
     .encodesInput = true,
     .description = "traditional Chinese to simplified",
     .run = ToSimplified},
    {.cliName = "escape",
     .caption = "Unicode转换ASCII",
     .followsCharset = true,
     .description = "%XX and %uXXXX script escapes",
     .run = Escape},
    {.cliName = "unescape",
     .caption = "ASCII转换Unicode",
     .followsCharset = true,
     .inverseOf = "escape",
     .description = "%XX and %uXXXX script escapes back to text",
     .run = Unescape},
    {.cliName = "mojibake",
     .caption = "UTF8乱码",
     .followsCharset = true,
     .description = "UTF-8 bytes of the full-width text misread in the charset",
     .run = InCharset<MakeUtf8Mojibake>},
    {.cliName = "mojibake-repair",
     .caption = "UTF8乱码转正常",
     .reads = Text2,
     .followsCharset = true,
     .inverseOf = "mojibake",
     .encodesInput = true,
     .description = "UTF-8 misread in the charset back to text",
     .run = InCharset<RepairUtf8Mojibake>},
    {.cliName = "gb-to-big5",
     .caption = "GB-BIG5",
     .encodesInput = true,
     .description = "GB2312 codes to BIG5 codes, shown through GBK",
     .run = Plain<GBToBig5>},
    {.cliName = "big5-to-gb",
     .caption = "GB-BIG5",
     .inverseOf = "gb-to-big5",
     .encodesInput = true,
     .description = "BIG5 codes to GB2312 codes, shown through GBK",
     .run = Plain<Big5ToGB>},

    // ---- operations without a button of their own (the window's "more" list) ----
    {.cliName = "unicode-escape",
     .caption = "\\u 转义",
     .readsUpper = true,
     .description = "code units from U+0080 as \\uXXXX escapes (--upper for capitals)",
     .run = EscapeUnicode},
    {.cliName = "unicode-unescape",
     .caption = "\\u 还原",
     .inverseOf = "unicode-escape",
     .description = "\\uXXXX, \\UXXXXXXXX and \\u{...} escapes back to text",
     .run = Plain<UnicodeUnescape>},
    {.cliName = "html-encode",
     .caption = "HTML 实体编码",
     .description = "& < > \" ' and every character from U+0080 as HTML character references",
     .run = Plain<HtmlEncode>},
    {.cliName = "html-decode",
     .caption = "HTML 实体解码",
     .inverseOf = "html-encode",
     .description = "HTML named and numeric character references back to text",
     .run = Plain<HtmlDecode>},
    {.cliName = "uri-component-encode",
     .caption = "URI 组件编码",
     .description = "UTF-8 %XX escapes as JavaScript's encodeURIComponent writes them",
     .run = Plain<UriComponentEncode>},
    {.cliName = "uri-component-decode",
     .caption = "URI 组件解码",
     .inverseOf = "uri-component-encode",
     .description = "UTF-8 %XX escapes back to text; a stray % stays",
     .run = Plain<UriComponentDecode>},
    {.cliName = "sha1",
     .caption = "SHA1",
     .readsUpper = true,
     .followsCharset = true,
     .encodesInput = true,
     .description = "SHA-1 of the text's bytes, 40 hex digits (--upper for capitals)",
     .run = ShaDigest<digest::Sha1Hex>,
     .runOnBytes = ShaDigestOfBytes<digest::Sha1Hex>,
     .streamOnBytes = Begin<ShaDigestOfByteStream<digest::ShaAlgorithm::Sha1>>},
    {.cliName = "sha256",
     .caption = "SHA256",
     .readsUpper = true,
     .followsCharset = true,
     .encodesInput = true,
     .description = "SHA-256 of the text's bytes, 64 hex digits (--upper for capitals)",
     .run = ShaDigest<digest::Sha256Hex>,
     .runOnBytes = ShaDigestOfBytes<digest::Sha256Hex>,
     .streamOnBytes = Begin<ShaDigestOfByteStream<digest::ShaAlgorithm::Sha256>>},
    {.cliName = "sm3",
     .caption = "SM3",
     .readsUpper = true,
     .followsCharset = true,
     .encodesInput = true,
     .description = "SM3 of the text's bytes, 64 hex digits (--upper for capitals)",
     .run = ShaDigest<digest::Sm3Hex>,
     .runOnBytes = ShaDigestOfBytes<digest::Sm3Hex>,
     .streamOnBytes = Begin<ShaDigestOfByteStream<digest::ShaAlgorithm::Sm3>>},
    {.cliName = "fullwidth",
     .caption = "半角转全角",
     .description = "ASCII signs and the space to their full-width forms",
     .run = Plain<FullWidth>},
    {.cliName = "halfwidth",
     .caption = "全角转半角",
     .inverseOf = "fullwidth",
     .description = "full-width ASCII signs and U+3000 back to ASCII",
     .run = Plain<HalfWidth>},
    {.cliName = "pinyin",
     .caption = "汉字转拼音",
     .description = "Hanyu Pinyin with tone marks, by phrase (重庆 chóng qìng)",
     .run = Plain<PinyinIn<PinyinStyle::ToneMarks>>},
    {.cliName = "pinyin-numbers",
     .caption = "拼音数字声调",
     .description = "Hanyu Pinyin with tone numbers (zhong1 wen2, lv4)",
     .run = Plain<PinyinIn<PinyinStyle::ToneNumbers>>},
    {.cliName = "pinyin-initials",
     .caption = "拼音首字母",
     .description = "the first letter of each syllable (中文 gives zw)",
     .run = Plain<PinyinIn<PinyinStyle::Initials>>},
    {.cliName = "amount-to-number",
     .caption = "大写转数字",
     .inverseOf = "amount",
     .description =
         "an amount in capital numerals back to its number (壹拾贰圆叁角肆分 gives 12.34)",
     .run = Checked<CapitalsToNumber>},
    {.cliName = "to-traditional-tw",
     .caption = "简体转台湾正体",
     .description = "simplified Chinese to Taiwan's traditional standard, with Taiwan's words",
     .run = Plain<SimplifiedToTaiwan>},
    {.cliName = "to-traditional-hk",
     .caption = "简体转香港繁体",
     .description = "simplified Chinese to traditional as written in Hong Kong",
     .run = Plain<SimplifiedToHongKong>},
    {.cliName = "tw-to-simplified",
     .caption = "台湾正体转简体",
     .inverseOf = "to-traditional-tw",
     .description = "Taiwan's traditional Chinese to simplified, with the mainland's words",
     .run = Plain<TaiwanToSimplified>},
    {.cliName = "hk-to-simplified",
     .caption = "香港繁体转简体",
     .inverseOf = "to-traditional-hk",
     .description = "traditional Chinese as written in Hong Kong to simplified",
     .run = Plain<HongKongToSimplified>},
    {.cliName = "to-traditional-tw-chars",
     .caption = "简体转台湾字形",
     .description = "simplified Chinese to Taiwan's traditional character forms, the words kept",
     .run = Plain<SimplifiedToTaiwanCharacters>},
    {.cliName = "tw-to-traditional",
     .caption = "台湾正体转繁体",
     .description = "Taiwan's traditional character forms to the standard traditional ones",
     .run = Plain<TaiwanToTraditional>},

    // ---- bytes as other tools write them ----
    {.cliName = "c-escape",
     .caption = "C 字节转义",
     .followsCharset = true,
     .encodesInput = true,
     .description = "bytes from 0x80 as octal escapes (\\344), as git and C write them",
     .run = InCharset<CEscape>},
    {.cliName = "c-unescape",
     .caption = "C 字节转义还原",
     .followsCharset = true,
     .inverseOf = "c-escape",
     .description = "C and Python escapes (\\344, \\xe4, \\n, b'...') back to text",
     .run = InCharset<CUnescape>},
    {.cliName = "quoted-printable-encode",
     .caption = "Quoted-Printable 编码",
     .followsCharset = true,
     .encodesInput = true,
     .description = "quoted-printable of the text's bytes (=E4=B8=AD), lines of at most 76",
     .run = InCharset<QuotedPrintableEncode>},
    {.cliName = "quoted-printable-decode",
     .caption = "Quoted-Printable 解码",
     .followsCharset = true,
     .inverseOf = "quoted-printable-encode",
     .description = "quoted-printable back to text; soft line breaks removed",
     .run = InCharset<QuotedPrintableDecode>},
    {.cliName = "mime-header-encode",
     .caption = "邮件头编码",
     .followsCharset = true,
     .encodesInput = true,
     .description = "the text's bytes as MIME encoded-words (=?GBK?B?1tDOxA==?=)",
     .run = InCharset<MimeHeaderEncode>},
    {.cliName = "mime-header-decode",
     .caption = "邮件头解码",
     .inverseOf = "mime-header-encode",
     .description = "MIME encoded-words in B or Q, in the charset each names, back to text",
     .run = Plain<MimeHeaderDecode>},
    {.cliName = "byte-hex-encode",
     .caption = "字节转十六进制",
     .readsUpper = true,
     .followsCharset = true,
     .encodesInput = true,
     .description = "the text's bytes as plain hex digits, e4b8ad (--upper for capitals)",
     .run = ByteHex},
    {.cliName = "byte-hex-decode",
     .caption = "十六进制转字节",
     .followsCharset = true,
     .inverseOf = "byte-hex-encode",
     .description = "hex digits of bytes back to text; blanks, colons, 0x and \\x skipped",
     .run = FromByteHex},
    {.cliName = "punycode-encode",
     .caption = "域名转 Punycode",
     .description = "a host name, or a URL's host, in its xn-- ASCII form (IDNA)",
     .run = Checked<PunycodeEncode>},
    {.cliName = "punycode-decode",
     .caption = "Punycode 转域名",
     .inverseOf = "punycode-encode",
     .description = "xn-- labels of a host name, or a URL's host, back to Unicode (IDNA)",
     .run = Checked<PunycodeDecode>},

    // ---- recognising what was pasted ----
    {.cliName = "auto",
     .caption = "自动识别",
     .followsCharset = true,
     .description = "recognises escaped, encoded or garbled text and gives back what it was",
     .run = Recognise},
    {.cliName = "detect",
     .caption = "识别结果",
     .followsCharset = true,
     .commandLineOnly = true,
     .description = "what auto recognises, as JSON lines: steps, score and text, best first",
     .run = Detect},
};

// ---- the messages
// ---------------------------------------------------------------------------------

struct MessageRow {
  ErrorCode code;
  std::u16string_view text;
  MessageStyle style;
  std::u16string_view title;
  std::u16string_view english = {}; ///< for a status-line note in a window shown in English
};

constexpr std::u16string_view kSystemTitle = u"系统";
constexpr std::u16string_view kCannotConvert = u"转换失败：这段文字无法转换。";

constexpr MessageRow kMessages[] = {
    {ErrorCode::NotANumber, u"错误：进行数字大小转换的输入参数只能为数字！", MessageStyle::Error,
     kSystemTitle},
    {ErrorCode::OutOfRange, u"错误：金额超出范围，整数部分最多十六位！", MessageStyle::Error,
     kSystemTitle},
    {ErrorCode::NotAnAmount, u"错误：无法识别的大写金额！", MessageStyle::Error, kSystemTitle},
    // The window's own caption is the title, as the lookup has always shown it.
    {ErrorCode::HostNotFound, u"Kein Host gefunden.", MessageStyle::Plain, u""},
    {ErrorCode::NotAHostName, u"转换失败：这不是有效的主机名。", MessageStyle::Error, u""},
    {ErrorCode::NotHexBytes, u"转换失败：这不是十六进制的字节，每个字节应写两位数字。",
     MessageStyle::Error, u""},
    {ErrorCode::NothingRecognised, u"未识别到可还原的编码", MessageStyle::StatusNote, u"",
     u"Nothing to undo was recognised"},
    {ErrorCode::OutOfMemory, u"内存不足，无法转换这段文字。", MessageStyle::Error, u""},
    {ErrorCode::Internal, kCannotConvert, MessageStyle::Error, u""},
};

// How `auto` words the steps of what it recognised: each step a clause, {0} and {1} the charsets.
struct StepWordsRow {
  recognise::StepKind kind;
  std::u16string_view words;
  std::u16string_view english;
};

constexpr StepWordsRow kStepWords[] = {
    {recognise::StepKind::Misread, u"{0} 被当作 {1} 读取", u"{0} read as {1}"},
    {recognise::StepKind::Url, u"{0} 字节被写成 %XX", u"{0} bytes written as %XX"},
    {recognise::StepKind::PercentU, u"被写成 %uXXXX 转义", u"written as %uXXXX escapes"},
    {recognise::StepKind::UnicodeEscape, u"被写成 \\uXXXX 转义", u"written as \\uXXXX escapes"},
    {recognise::StepKind::HtmlDecimal, u"被写成 HTML 十进制字符引用",
     u"written as HTML decimal references"},
    {recognise::StepKind::HtmlHex, u"被写成 HTML 十六进制字符引用",
     u"written as HTML hexadecimal references"},
    {recognise::StepKind::HtmlNamed, u"被写成 HTML 命名字符引用",
     u"written as HTML named references"},
    {recognise::StepKind::Base64, u"{0} 字节被写成 Base64", u"{0} bytes written as Base64"},
    {recognise::StepKind::HexGroups, u"被写成十六进制码（每字四位）",
     u"written as hex codes (four digits a character)"},
    {recognise::StepKind::UrlForm, u"{0} 字节被写成表单编码（%XX，空格为 +）",
     u"{0} bytes written as a form (%XX, + for a space)"},
    {recognise::StepKind::CEscape, u"{0} 字节被写成 C 转义（\\344 或 \\xe4）",
     u"{0} bytes written as C escapes (\\344 or \\xe4)"},
    {recognise::StepKind::ByteHex, u"{0} 字节被写成十六进制", u"{0} bytes written as hex"},
    {recognise::StepKind::QuotedPrintable, u"{0} 字节被写成 quoted-printable（=E4）",
     u"{0} bytes written as quoted-printable (=E4)"},
    {recognise::StepKind::MimeHeader, u"{0} 字节被写成邮件标题编码（=?…?=）",
     u"{0} bytes written as mail header words (=?…?=)"},
    {recognise::StepKind::Punycode, u"域名被写成 Punycode（xn--）",
     u"host name written as punycode (xn--)"},
    {recognise::StepKind::SurrogatesMisread, u"UTF-8 逐个写出代理对的两半，又被当作 {1} 读取",
     u"UTF-8 of each surrogate half read as {1}"},
};

// How `auto` names what was lost before the text was pasted.
struct LostWordsRow {
  recognise::Lost lost;
  std::u16string_view words;
  std::u16string_view english;
};

constexpr LostWordsRow kLostWords[] = {
    {recognise::Lost::ReplacementAsGbk,
     u"锟斤拷是 U+FFFD 的 UTF-8 字节被当作 GBK 读取：原来的文字在此之前已丢失，无法找回",
     u"锟斤拷 is U+FFFD's UTF-8 read as GBK: the text was lost before and cannot come back"},
    {recognise::Lost::StackFill,
     u"烫烫烫是未写入的内存（0xCC）被当作 GBK 读取：这里本来就没有文字，无法找回",
     u"烫烫烫 is memory never written (0xCC) read as GBK: there was no text, nothing comes back"},
    {recognise::Lost::HeapFill,
     u"屯屯屯是未写入的内存（0xCD）被当作 GBK 读取：这里本来就没有文字，无法找回",
     u"屯屯屯 is memory never written (0xCD) read as GBK: there was no text, nothing comes back"},
    {recognise::Lost::Replacements,
     u"\uFFFD 是读取时不成字符的字节：原来的文字已丢失，无法找回",
     u"\uFFFD stands for bytes that formed no character: the text is lost and cannot come back"},
    {recognise::Lost::QuestionMarks,
     u"“?”是写入不含这些字符的字符集时留下的：原来的文字已丢失，无法找回",
     u"\"?\" was written for characters the charset lacked: they are lost and cannot come back"},
};
// How the clauses join, in each language.
struct Joints {
  std::u16string_view subject;   // for a first step that names none
  std::u16string_view firstStep; // before the first of several steps
  std::u16string_view nextStep;  // before each later one
  std::u16string_view repaired, partlyRepaired;
  std::u16string_view stretch;    // before the steps of a garbled stretch in clean text
  std::u16string_view lostBefore; // between the steps and what was lost before
};
constexpr Joints kChinese = {u"文字", u"先", u"，再", u"，已还原",
                             u"，已部分还原：丢失的字节无法找回，以 \uFFFD 标出", u"文中一段：",
                             u"；"};
constexpr Joints kEnglish = {u"text ", u"first ", u", then ", u"; undone",
                             u"; partly undone: lost bytes cannot come back and show as \uFFFD",
                             u"a stretch of the text: ", u"; "};

std::u16string StepWords(const recognise::Step& step, Language language) {
  std::u16string_view pattern;
  for (const StepWordsRow& row : kStepWords) {
    if (row.kind == step.kind)
      pattern = language == Language::English ? row.english : row.words;
  }
  std::u16string words;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == u'{' && i + 2 < pattern.size() && pattern[i + 2] == u'}') {
      words += InfoOf(pattern[i + 1] == u'0' ? step.charset : step.readAs).shown;
      i += 2;
    } else {
      words.push_back(pattern[i]);
    }
  }
  return words;
}

std::u16string_view LostWords(recognise::Lost lost, Language language) {
  for (const LostWordsRow& row : kLostWords) {
    if (row.lost == lost)
      return language == Language::English ? row.english : row.words;
  }
  return {};
}

std::u16string RecognisedWords(const recognise::Candidate& candidate, Language language) {
  const Joints& joints = language == Language::English ? kEnglish : kChinese;
  if (candidate.steps.empty())
    return std::u16string(LostWords(candidate.lost, language));
  std::u16string words(candidate.stretch ? joints.stretch : u"");
  for (std::size_t i = 0; i < candidate.steps.size(); ++i) {
    if (candidate.steps.size() > 1)
      words += i == 0 ? joints.firstStep : joints.nextStep;
    const std::u16string step = StepWords(candidate.steps[i], language);
    if (i == 0 && (step.starts_with(u"被") || step.starts_with(u"written")))
      words += joints.subject;
    // A space between Chinese and a Latin word (先 UTF-8 被当作 ...), none before Chinese.
    else if (language == Language::Chinese && candidate.steps.size() > 1 && step.front() < 0x80)
      words.push_back(u' ');
    words += step;
  }
  words += candidate.partial ? joints.partlyRepaired : joints.repaired;
  if (candidate.lost != recognise::Lost::Nothing)
    words.append(joints.lostBefore).append(LostWords(candidate.lost, language));
  if (language == Language::English && !words.empty() && words[0] >= u'a' && words[0] <= u'z')
    words[0] = static_cast<char16_t>(words[0] - u'a' + u'A');
  return words;
}

} // namespace

std::span<const Operation> Operations() { return kOperations; }

std::optional<std::reference_wrapper<const Operation>> FindOperation(std::string_view cliName) {
  for (const Operation& operation : kOperations) {
    if (operation.cliName == cliName)
      return operation;
  }
  return std::nullopt;
}

Message MessageFor(ErrorCode code) {
  for (const MessageRow& row : kMessages) {
    if (row.code == code)
      return {std::u16string(row.text), row.style, std::u16string(row.title),
              std::u16string(row.english)};
  }
  // Codes about character codes, numbers and the command line's input bytes never come out of an
  // operation; should one, the user still learns that nothing was converted.
  return {std::u16string(kCannotConvert), MessageStyle::Error, {}};
}

namespace {

// Where a fault of ours stops: out of memory or an internal error becomes a refused run with a
// message, and nothing escapes to the front ends.
template <class Run> auto StoppingFaults(Run run) -> decltype(run()) {
  try {
    return run();
  } catch (const std::bad_alloc&) {
    return {std::nullopt, MessageFor(ErrorCode::OutOfMemory)};
  } catch (const std::exception&) {
    return {std::nullopt, MessageFor(ErrorCode::Internal)};
  }
}

// A fault of ours in a step that gives nothing: the message of the refused run it causes, by the
// same rule as StoppingFaults.
template <class Step> std::optional<Message> FaultIn(Step step) {
  return StoppingFaults([&]() -> BytesOutcome {
           step();
           return {};
         })
      .message;
}

// In UTF-8 a zero byte is U+0000.
std::size_t CharactersOtherThanNul(std::string_view bytes) {
  return CountUtf8Characters(bytes) -
         static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\0'));
}

// The box rule's note for valid UTF-8 whose first U+0000 is at byte `nul`, as
// ApplyTextBoxRuleInPlace tells its cut: only where characters other than U+0000 come after it.
std::optional<CutAtNul> NulCutOf(std::string_view bytes, std::size_t nul) {
  if (const std::size_t notShown = CharactersOtherThanNul(bytes.substr(nul)); notShown != 0)
    return CutAtNul{CountUtf8Characters(bytes.substr(0, nul)) + 1, notShown};
  return std::nullopt;
}

// A result as a box would show it. A run on bytes gives valid UTF-8, which holds no lone
// surrogate, so the cut is all the rule has to do.
void CutResultAtNul(const Operation& operation, BytesOutcome& outcome) {
  if (!outcome.text || operation.commandLineOnly)
    return;
  if (const std::size_t nul = outcome.text->find('\0'); nul != std::string::npos) {
    outcome.resultCut = NulCutOf(*outcome.text, nul);
    outcome.text->resize(nul);
  }
}

} // namespace

Outcome RunOperation(const Operation& operation, std::u16string_view input,
                     const OperationOptions& options) {
  return StoppingFaults([&] { return operation.run(input, options); });
}

Outcome RunOnBoxText(const Operation& operation, std::u16string input,
                     const OperationOptions& options, BoxRule rule) {
  if (rule == BoxRule::Skip)
    return RunOperation(operation, input, options);
  const BoxRuleChanges in = ApplyTextBoxRuleInPlace(input);
  std::size_t questionMarks = in.questionMarks;
  if (operation.encodesInput)
    questionMarks += WriteUnencodableAsQuestionMarks(input, options.charset);
  Outcome outcome = RunOperation(operation, input, options);
  outcome.inputCut = in.cut;
  if (!operation.commandLineOnly) {
    if (outcome.text) {
      const BoxRuleChanges out = ApplyTextBoxRuleInPlace(*outcome.text);
      outcome.resultCut = out.cut;
      questionMarks += out.questionMarks;
    }
    for (Alternative& alternative : outcome.alternatives)
      ApplyTextBoxRuleInPlace(alternative.text);
  }
  outcome.questionMarks += questionMarks;
  return outcome;
}

BytesOutcome RunOnBoxBytes(const Operation& operation, std::string_view bytes,
                           const OperationOptions& options, BoxRule rule) {
  std::optional<CutAtNul> cut;
  if (rule == BoxRule::Apply) {
    if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos) {
      cut = NulCutOf(bytes, nul);
      bytes = bytes.substr(0, nul);
    }
  }
  BytesOutcome outcome = StoppingFaults([&] { return operation.runOnBytes(bytes, options); });
  outcome.inputCut = cut;
  if (rule == BoxRule::Apply)
    CutResultAtNul(operation, outcome);
  return outcome;
}

BoxBytesStream::BoxBytesStream(const Operation& operation, const OperationOptions& options,
                               BoxRule rule, std::size_t expectedBytes)
    : m_operation(operation), m_charset(options.charset), m_rule(rule) {
  m_fault = FaultIn([&] { m_run = operation.streamOnBytes(options, expectedBytes); });
}

void BoxBytesStream::Convert(std::string_view bytes) {
  if (m_fault)
    return;
  m_fault = FaultIn([&] {
    if (m_charset == Charset::Utf8 || !m_operation.encodesInput)
      m_run->Add(bytes);
    else
      ConvertInCharset(bytes);
  });
}

// A block ends with a whole character, so no surrogate pair is cut, and every rule of
// RunOnBoxText's that is left (a "?" for each character the charset lacks, the bytes of each
// character) looks at one character at a time: block by block it gives what it gives for the text.
void BoxBytesStream::ConvertInCharset(std::string_view bytes) {
  const std::optional<CodePage> codePage = InfoOf(m_charset).codePage;
  if (!codePage) {
    // Valid UTF-8 holds no lone surrogate, the one thing these charsets cannot encode.
    m_units.clear();
    if (!AppendUtf8AsUtf16(m_units, bytes))
      throw std::logic_error("a block of the stream is not valid UTF-8");
    m_run->Add(EncodeText(m_units, m_charset));
    return;
  }
  const std::uint16_t* pageCodes = AnsiCodeTable(*codePage);
  const std::uint16_t* codes =
      m_operation.codesOfUnits != nullptr ? m_operation.codesOfUnits(m_charset) : nullptr;
  const bool lackedAsQuestionMarks = m_rule == BoxRule::Apply && m_operation.encodesInput;
  m_bytes.clear();
  m_questionMarks += AppendUtf8AsCodeBytes(m_bytes, bytes, codes != nullptr ? codes : pageCodes,
                                           lackedAsQuestionMarks ? pageCodes : nullptr);
  m_run->Add(m_bytes);
}

void BoxBytesStream::Add(std::string_view bytes) {
  if (m_rule == BoxRule::Skip) {
    Convert(bytes);
    return;
  }
  // Before the first U+0000 the characters are counted for the note's position, since no block
  // knows whether one is still to come; after it, only counted.
  if (!m_nulAt) {
    const std::size_t nul = bytes.find('\0');
    const std::string_view before = bytes.substr(0, nul);
    Convert(before);
    m_characters += CountUtf8Characters(before);
    if (nul == std::string_view::npos)
      return;
    m_nulAt = m_characters + 1;
    bytes.remove_prefix(nul);
  }
  m_notShown += CharactersOtherThanNul(bytes);
}

BytesOutcome BoxBytesStream::Finish() {
  BytesOutcome outcome;
  if (!m_fault)
    m_fault = FaultIn([&] { outcome = m_run->Finish(); });
  if (m_fault)
    outcome = {std::nullopt, *m_fault};
  if (m_rule == BoxRule::Apply)
    CutResultAtNul(m_operation, outcome);
  outcome.questionMarks = m_questionMarks;
  if (m_nulAt && m_notShown != 0)
    outcome.inputCut = CutAtNul{*m_nulAt, m_notShown};
  return outcome;
}

} // namespace kelvaro
