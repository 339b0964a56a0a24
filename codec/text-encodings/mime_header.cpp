#include "codec/text-encodings/mime_header.h"

#include "codec/text-encodings/base64_steps.h"
#include "text/hex.h"

namespace kelvaro {
namespace {

// RFC 2047's limit on one encoded-word.
constexpr std::size_t kWordLimit = 75;
// Longer labels and payloads are no encoded-words anyone writes; the bound keeps a text full of
// "=?" linear.
constexpr std::size_t kLongestLabel = 64;

bool IsWhiteSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

bool IsBase64Char(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
         c == u'+' || c == u'/';
}

void AppendWord(std::u16string& out, std::string_view label, std::string_view bytes) {
  if (!out.empty())
    out.append(u"\r\n ");
  out.append(u"=?");
  out.append(label.begin(), label.end());
  out.append(u"?B?");
  const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t real = std::min<std::size_t>(3, bytes.size() - i);
    const std::array<char16_t, 4> group = Base64EncodeGroup(
        {b[i], real > 1 ? b[i + 1] : std::uint8_t{0}, real > 2 ? b[i + 2] : std::uint8_t{0}},
        static_cast<int>(real));
    out.append(group.begin(), group.end());
  }
  out.append(u"?=");
}

// The bytes of a B payload: RFC 4648 Base64, "=" padding or none, nothing else.
std::optional<std::string> BPayloadBytes(std::u16string_view payload) {
  std::size_t data = payload.size();
  while (data > 0 && payload.size() - data < 2 && payload[data - 1] == u'=')
    --data;
  if (data % 4 == 1 || (data != payload.size() && payload.size() % 4 != 0))
    return std::nullopt;
  std::string bytes;
  bytes.reserve(data / 4 * 3 + 2);
  for (std::size_t i = 0; i < data; i += 4) {
    std::array<std::uint8_t, 4> chars = {'A', 'A', 'A', 'A'};
    const std::size_t real = std::min<std::size_t>(4, data - i);
    for (std::size_t k = 0; k < real; ++k) {
      if (!IsBase64Char(payload[i + k]))
        return std::nullopt;
      chars[k] = static_cast<std::uint8_t>(payload[i + k]);
    }
    const std::array<std::uint8_t, 3> group = Base64DecodeGroup(chars);
    bytes.append(reinterpret_cast<const char*>(group.data()), real - 1);
  }
  return bytes;
}

// The bytes of a Q payload: "_" a space, "=XX" a byte, any other printable ASCII itself.
std::optional<std::string> QPayloadBytes(std::u16string_view payload) {
  std::string bytes;
  bytes.reserve(payload.size());
  for (std::size_t i = 0; i < payload.size(); ++i) {
    const char16_t c = payload[i];
    if (c == u'=') {
      const std::optional<std::uint8_t> byte = HexByteAt(payload, i + 1);
      if (!byte)
        return std::nullopt;
      bytes.push_back(static_cast<char>(*byte));
      i += 2;
    } else if (c == u'_') {
      bytes.push_back(' ');
    } else if (c > u' ' && c < 0x7F) {
      bytes.push_back(static_cast<char>(c));
    } else {
      return std::nullopt;
    }
  }
  return bytes;
}

struct Word {
  LabelledBytes content;
  std::size_t end; ///< just past its "?="
};

// The encoded-word that begins at text[i], or nothing. Each part stops at the first "?" or white
// space, so a failed attempt reads no further than the next "?".
std::optional<Word> WordAt(std::u16string_view text, std::size_t i) {
  if (i + 1 >= text.size() || text[i] != u'=' || text[i + 1] != u'?')
    return std::nullopt;
  const auto partEnd = [&](std::size_t from) {
    std::size_t k = from;
    while (k < text.size() && text[k] != u'?' && !IsWhiteSpace(text[k]) && text[k] < 0x80)
      ++k;
    return k;
  };
  const std::size_t labelStart = i + 2;
  const std::size_t labelEnd = partEnd(labelStart);
  if (labelEnd == labelStart || labelEnd >= text.size() || text[labelEnd] != u'?' ||
      labelEnd - labelStart > kLongestLabel)
    return std::nullopt;
  const char16_t kind = labelEnd + 2 < text.size() ? text[labelEnd + 1] : u'\0';
  if ((kind != u'B' && kind != u'b' && kind != u'Q' && kind != u'q') || text[labelEnd + 2] != u'?')
    return std::nullopt;
  const std::size_t payloadStart = labelEnd + 3;
  const std::size_t payloadEnd = partEnd(payloadStart);
  if (payloadEnd + 1 >= text.size() || text[payloadEnd] != u'?' || text[payloadEnd + 1] != u'=')
    return std::nullopt;
  // RFC 2231 adds a language after "*": =?UTF-8*zh?B?...?=
  std::string label(text.begin() + static_cast<std::ptrdiff_t>(labelStart),
                    text.begin() + static_cast<std::ptrdiff_t>(labelEnd));
  label = label.substr(0, label.find('*'));
  const std::optional<Charset> charset = CharsetNamed(label);
  if (!charset)
    return std::nullopt;
  const std::u16string_view payload = text.substr(payloadStart, payloadEnd - payloadStart);
  std::optional<std::string> bytes =
      kind == u'B' || kind == u'b' ? BPayloadBytes(payload) : QPayloadBytes(payload);
  if (!bytes)
    return std::nullopt;
  return Word{{*charset, std::move(*bytes)}, payloadEnd + 2};
}

} // namespace

std::u16string MimeHeaderEncode(std::u16string_view text, Charset charset) {
  const std::string_view label = InfoOf(charset).mimeName;
  // "=?", the label, "?B?", the payload and "?=".
  const std::size_t payloadLimit = kWordLimit - label.size() - 7;
  const std::size_t byteLimit = payloadLimit / 4 * 3;
  std::u16string encoded;
  encoded.reserve(text.size() * 4);
  std::string bytes; // of the word being filled
  for (std::size_t i = 0; i < text.size();) {
    const std::optional<EncodedCharacter> character = EncodeCharacterAt(text, i, charset);
    // A character the charset lacks is "?" for each of its code units, as EncodeText writes it.
    const std::string_view its =
        character ? std::string_view(reinterpret_cast<const char*>(character->bytes), character->size)
                  : std::string_view("?");
    if (bytes.size() + its.size() > byteLimit) {
      AppendWord(encoded, label, bytes);
      bytes.clear();
    }
    bytes.append(its);
    i += character ? character->units : 1;
  }
  if (!bytes.empty())
    AppendWord(encoded, label, bytes);
  return encoded;
}

std::u16string MimeHeaderDecode(std::u16string_view text) {
  std::u16string decoded;
  decoded.reserve(text.size());
  // Adjacent words of one charset are decoded together: some mailers cut a character's bytes
  // between two words.
  Charset charset = Charset::Gbk;
  bool inWords = false;
  std::string bytes;
  const auto flush = [&] {
    if (inWords)
      decoded.append(DecodeBytes(bytes, charset));
    inWords = false;
    bytes.clear();
  };
  for (std::size_t i = 0; i < text.size();) {
    if (std::optional<Word> word = WordAt(text, i)) {
      if (inWords && charset != word->content.charset)
        flush();
      charset = word->content.charset;
      inWords = true;
      bytes.append(word->content.bytes);
      i = word->end;
      // White space up to the next word belongs to neither.
      std::size_t next = i;
      while (next < text.size() && IsWhiteSpace(text[next]))
        ++next;
      if (next != i && WordAt(text, next))
        i = next;
      continue;
    }
    flush();
    decoded.push_back(text[i++]);
  }
  flush();
  return decoded;
}

std::optional<LabelledBytes> MimeHeaderDecodeBytes(std::u16string_view text) {
  std::optional<LabelledBytes> whole;
  for (std::size_t i = 0; i < text.size();) {
    if (IsWhiteSpace(text[i])) {
      ++i;
      continue;
    }
    std::optional<Word> word = WordAt(text, i);
    if (!word || (whole && whole->charset != word->content.charset))
      return std::nullopt;
    if (!whole)
      whole = LabelledBytes{word->content.charset, {}};
    whole->bytes.append(word->content.bytes);
    i = word->end;
  }
  return whole;
}

} // namespace kelvaro
