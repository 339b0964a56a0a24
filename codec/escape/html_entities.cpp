#include "codec/escape/html_entities.h"

#include "text/hex.h"
#include "text/utf.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace kelvaro {
namespace {

// A name and its characters are held in the entry rather than pointed to: a table of pointers has
// to be relocated each time a program starts (these were 4 462 of kelvaro-cli's 5 270 relocations,
// 17 pages written before it did anything), while this one is read only when a name is looked up.
struct HtmlEntity {
  char nameBytes[32];    // the name, then zeros
  char16_t valueUnits[3]; // one or two characters (at most two code units), then zeros

  constexpr std::string_view name() const { return nameBytes; }
  constexpr std::u16string_view value() const { return valueUnits; }
};

#include "codec/escape/html_entity_table.inc"

static_assert(kHtmlEntityNameMaxLength < sizeof HtmlEntity::nameBytes);

// Names are found through a hash (FNV-1a over their ASCII bytes), which the decoder computes
// while it reads the name.
constexpr std::uint32_t kHashStart = 2166136261u;

constexpr std::uint32_t HashStep(std::uint32_t hash, char c) {
  return (hash ^ static_cast<unsigned char>(c)) * 16777619u;
}

constexpr std::uint32_t NameHash(std::string_view name) {
  std::uint32_t hash = kHashStart;
  for (const char c : name)
    hash = HashStep(hash, c);
  return hash;
}

constexpr std::uint16_t kEmptySlot = 0xFFFF;

// Open addressing with linear probing, built when the program is compiled. At most half of the
// slots are taken, so a lookup mostly ends after one or two probes.
template <std::size_t Slots> using NameSlots = std::array<std::uint16_t, Slots>;

template <std::size_t Slots, std::size_t N>
constexpr NameSlots<Slots> SlotsOf(const HtmlEntity (&table)[N]) {
  static_assert(2 * N <= Slots && N < kEmptySlot);
  NameSlots<Slots> slots{};
  slots.fill(kEmptySlot);
  for (std::size_t entry = 0; entry < N; ++entry) {
    std::size_t slot = NameHash(table[entry].name()) % Slots;
    while (slots[slot] != kEmptySlot)
      slot = (slot + 1) % Slots;
    slots[slot] = static_cast<std::uint16_t>(entry);
  }
  return slots;
}

constexpr NameSlots<8192> kEntitySlots = SlotsOf<8192>(kHtmlEntities);
constexpr NameSlots<256> kLegacySlots = SlotsOf<256>(kHtmlLegacyEntities);

// The characters of a name in one of the tables, or nothing when it has no such name.
template <std::size_t Slots, std::size_t N>
std::optional<std::u16string_view> FindName(const HtmlEntity (&table)[N], const NameSlots<Slots>& slots,
                                    std::string_view name, std::uint32_t hash) {
  for (std::size_t slot = hash % Slots; slots[slot] != kEmptySlot; slot = (slot + 1) % Slots) {
    if (table[slots[slot]].name() == name)
      return table[slots[slot]].value();
  }
  return std::nullopt;
}

// What HTML5 puts in place of a reference to 0x80..0x9F: the characters code page 1252 has
// there, and the control itself where 1252 has none.
constexpr char16_t kC1Replacements[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The code points a numeric reference gives nothing for: the controls HTML5 forbids (apart from
// 0x80..0x9F, which are replaced instead) and the noncharacters.
bool IsDroppedCodePoint(char32_t value) {
  return (value >= 0x01 && value <= 0x08) || value == 0x0B || (value >= 0x0E && value <= 0x1F) ||
         value == 0x7F || (value >= 0xFDD0 && value <= 0xFDEF) || (value & 0xFFFE) == 0xFFFE;
}

// Writes what a numeric reference to `value` gives. `value` is above U+10FFFF for any larger
// number, however long.
char16_t* WriteNumericReference(char16_t* out, char32_t value) {
  if (value >= 0x80 && value <= 0x9F) {
    *out = kC1Replacements[value - 0x80];
    return out + 1;
  }
  if (value == 0 || IsSurrogate(value) || value > 0x10FFFF) {
    *out = kReplacement;
    return out + 1;
  }
  if (IsDroppedCodePoint(value))
    return out;
  return WriteCodePoint(out, value);
}

// The characters a name may be made of: anything but tab, line feed, form feed, space, & # ;
// and "<".
bool IsNameCharacter(char16_t c) {
  switch (c) {
  case u'\t':
  case u'\n':
  case u'\f':
  case u' ':
  case u'<':
  case u'&':
  case u'#':
  case u';':
    return false;
  default:
    return true;
  }
}

// Reads the reference whose "&" stands at text[i], writes what it gives and returns where the
// reading goes on; returns i when there is no reference there (nothing is written then).
std::size_t ReadReference(std::u16string_view text, std::size_t i, char16_t*& out) {
  const std::size_t n = text.size();
  std::size_t k = i + 1;
  if (k < n && text[k] == u'#') {
    ++k;
    char32_t base = 10;
    if (k + 1 < n && (text[k] == u'x' || text[k] == u'X') && HexDigitValue(text[k + 1])) {
      base = 16;
      ++k;
    } else if (k >= n || text[k] < u'0' || text[k] > u'9') {
      return i;
    }
    // Once past U+10FFFF the value stops growing, so any number of digits reads safely.
    char32_t value = 0;
    for (; k < n; ++k) {
      const std::optional<std::uint8_t> digit = HexDigitValue(text[k]);
      if (!digit || *digit >= base)
        break;
      if (value <= 0x10FFFF)
        value = value * base + *digit;
    }
    if (k < n && text[k] == u';')
      ++k;
    out = WriteNumericReference(out, value);
    return k;
  }

  // Names are ASCII, so only the ASCII start of the run of name characters can match; the run is
  // read no further than the longest name.
  std::array<char, kHtmlEntityNameMaxLength> name; // only the first `length` are read
  std::array<std::uint32_t, kHtmlLegacyNameMaxLength + 1> prefixHashes;
  std::uint32_t hash = kHashStart;
  std::size_t length = 0;
  while (k < n && length < kHtmlEntityNameMaxLength && text[k] < 0x80 && IsNameCharacter(text[k])) {
    name[length] = static_cast<char>(text[k++]);
    hash = HashStep(hash, name[length++]);
    if (length <= kHtmlLegacyNameMaxLength)
      prefixHashes[length] = hash;
  }
  if (length > 0 && k < n && text[k] == u';') {
    if (const std::optional<std::u16string_view> value = FindName(kHtmlEntities, kEntitySlots, {name.data(), length}, hash)) {
      out = std::copy(value->begin(), value->end(), out);
      return k + 1;
    }
  }
  // Without the ";", the longest legacy name that starts the run.
  for (std::size_t prefix = std::min(length, kHtmlLegacyNameMaxLength); prefix >= 2; --prefix) {
    if (const std::optional<std::u16string_view> value = FindName(kHtmlLegacyEntities, kLegacySlots, {name.data(), prefix},
                                     prefixHashes[prefix])) {
      out = std::copy(value->begin(), value->end(), out);
      return i + 1 + prefix;
    }
  }
  return i;
}

// Decimal digits of a code point from U+0080 up.
// Appends "&#", the decimal digits of the value and ";".
void AppendDecimalReference(std::u16string& out, char32_t value) {
  char16_t digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0);
  out += u"&#";
  while (count > 0)
    out.push_back(digits[--count]);
  out.push_back(u';');
}

} // namespace

std::u16string HtmlEncode(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() * 8); // "&#65535;" is the longest reference of one code unit
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0x80) {
      char32_t value = c;
      if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
        value = CombineSurrogates(c, text[++i]);
      else if (IsSurrogate(c))
        value = kReplacement;
      AppendDecimalReference(out, value);
      continue;
    }
    switch (c) {
    case u'&':
      out += u"&amp;";
      break;
    case u'<':
      out += u"&lt;";
      break;
    case u'>':
      out += u"&gt;";
      break;
    case u'"':
      out += u"&quot;";
      break;
    case u'\'':
      out += u"&#39;";
      break;
    default:
      out.push_back(c);
    }
  }
  return out;
}

std::u16string HtmlDecode(std::u16string_view text) {
  // No reference gives more code units than it spans (the table's generator checks the named
  // ones; "&#65536" and up give two units for at least seven), so the input's length bounds the
  // output.
  std::u16string out(text.size(), u'\0');
  char16_t* write = out.data();
  std::size_t i = 0;
  while (i < text.size()) {
    const char16_t c = text[i];
    if (c == u'&') {
      const std::size_t next = ReadReference(text, i, write);
      if (next != i) {
        i = next;
        continue;
      }
    }
    *write++ = c;
    ++i;
  }
  out.resize(static_cast<std::size_t>(write - out.data()));
  return out;
}


std::optional<NumericReference> NumericReferenceAt(std::u16string_view text, std::size_t i) {
  if (i + 3 >= text.size() || text[i] != u'&' || text[i + 1] != u'#')
    return std::nullopt;
  NumericReference ref;
  std::size_t k = i + 2;
  ref.hex = text[k] == u'x' || text[k] == u'X';
  k += ref.hex ? 1 : 0;
  const std::size_t first = k;
  // Eight digits hold any code point with room for leading zeros; more are no encoder's.
  for (; k < text.size() && k < first + 8; ++k) {
    const std::optional<std::uint8_t> digit = HexDigitValue(text[k]);
    if (!digit || (!ref.hex && *digit > 9))
      break;
    ref.value = ref.value * (ref.hex ? 16 : 10) + *digit;
  }
  if (k == first || k >= text.size() || text[k] != u';' || ref.value == 0 || ref.value > 0x10FFFF ||
      IsSurrogate(ref.value))
    return std::nullopt;
  ref.length = k + 1 - i;
  return ref;
}
} // namespace kelvaro
