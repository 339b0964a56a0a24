// Writes the two GB2312-BIG5 code tables from the libraries that own the knowledge: ICU for the
// code pages (windows-936-2000 for GBK, windows-950-2000 for BIG5, and ICU's GB2312 table to know
// which GBK positions GB2312 itself assigns) and OpenCC's character dictionaries for the
// simplified/traditional counterparts (their text form, as resources/opencc/dictionary holds it).
//
//   kelvaro-make-code-tables OUTPUT_DIR [OPENCC_DICTIONARY_DIR]
//
// writes OUTPUT_DIR/gb2312_to_big5.bin (8178 entries) and OUTPUT_DIR/big5_to_gb2312.bin (14758),
// each entry a little-endian 16-bit code, 0x2020 where the other set has no counterpart. The filler
// counts and every position that fell to filler although its own set assigns it go to stdout, so a
// change of ICU or OpenCC shows up in the diff of that listing.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <vector>

namespace {

constexpr std::uint16_t kFiller = 0x2020;
constexpr int kGbRows = 87, kGbColumns = 94;
constexpr int kBig5Rows = 94, kBig5Columns = 157;

// Characters the tables deliberately leave without a counterpart in either direction: the
// ideographic space would turn a layout space into a wide character of the other set, and the
// two repetition marks have no agreed BIG5/GB2312 twin.
constexpr UChar32 kAlwaysFiller[] = {0x3000, 0x3003, 0x3005};
// BIG5 A144, the full-width full stop, is kept as filler too: in BIG5 text it stands for the
// small centred period of vertical writing far more often than for the GB2312 one.
constexpr int kBig5FillerPositions[] = {0xA144};

// Punctuation that the two code pages map to different Unicode characters although the glyphs
// are the same; matched by appearance. GBK character -> BIG5 character, and back.
constexpr std::pair<UChar32, UChar32> kSameAppearance[] = {
    {0x00B7, 0x2027}, // GB A1A4 middle dot, BIG5 A145 hyphenation point
    {0x2016, 0x2225}, // GB A1AC double vertical line, BIG5 parallel to
    {0x2264, 0x2266}, // less-than or equal, written with one or two bars
    {0x2265, 0x2267}, // greater-than or equal
    {0x2248, 0x2252}, // almost equal, the two wavy or dotted forms
};

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter Open(const char* name) {
  UErrorCode status = U_ZERO_ERROR;
  Converter c(ucnv_open(name, &status));
  if (U_FAILURE(status))
    throw std::runtime_error(std::string("ICU lacks converter ") + name);
  ucnv_setToUCallBack(c.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  ucnv_setFromUCallBack(c.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  ucnv_setFallback(c.get(), false);
  return c;
}

bool IsPrivateUse(UChar32 c) { return (c >= 0xE000 && c <= 0xF8FF) || c >= 0xF0000; }

// The one character two bytes decode to, or nothing for an unassigned or user-defined position.
std::optional<UChar32> Decode(UConverter* c, int lead, int trail) {
  const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  UChar units[4];
  UErrorCode status = U_ZERO_ERROR;
  ucnv_reset(c);
  const int32_t n = ucnv_toUChars(c, units, 4, bytes, 2, &status);
  if (U_FAILURE(status) || n < 1)
    return std::nullopt;
  UChar32 cp;
  int32_t i = 0;
  U16_NEXT(units, i, n, cp);
  if (i != n || cp == 0xFFFD || cp == 0x1A || IsPrivateUse(cp))
    return std::nullopt;
  return cp;
}

// The double-byte code of a character, or nothing when the code page has none (or only one byte).
std::optional<std::uint16_t> Encode(UConverter* c, UChar32 cp) {
  UChar units[2];
  int32_t n = 0;
  U16_APPEND_UNSAFE(units, n, cp);
  char bytes[8];
  UErrorCode status = U_ZERO_ERROR;
  ucnv_reset(c);
  const int32_t length = ucnv_fromUChars(c, bytes, sizeof bytes, units, n, &status);
  if (U_FAILURE(status) || length != 2)
    return std::nullopt;
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                    static_cast<unsigned char>(bytes[1]));
}

std::string Utf8(UChar32 cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | cp >> 6);
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | cp >> 12);
    s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | cp >> 18);
    s += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

std::optional<UChar32> SingleCodePoint(const std::string& utf8) {
  UChar units[8];
  int32_t n = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8(units, 8, &n, utf8.data(), static_cast<int32_t>(utf8.size()), &status);
  if (U_FAILURE(status) || n < 1 || n > 2)
    return std::nullopt;
  UChar32 cp;
  int32_t i = 0;
  U16_NEXT(units, i, n, cp);
  if (i != n)
    return std::nullopt;
  return cp;
}

// One of OpenCC's character dictionaries, asked one character at a time for its candidates.
class CharacterDictionary {
public:
  CharacterDictionary(const std::string& dataDir, const std::string& name) {
    std::ifstream file(dataDir + "/" + name + ".txt");
    if (!file)
      throw std::runtime_error("cannot read " + dataDir + "/" + name + ".txt");
    for (std::string line; std::getline(file, line);) {
      const std::size_t tab = line.find('\t');
      if (line.empty() || line.front() == '#' || tab == std::string::npos)
        continue;
      std::vector<std::string>& values = m_entries[line.substr(0, tab)];
      if (!values.empty())
        continue; // the first entry of a key wins
      std::string rest = line.substr(tab + 1);
      for (std::size_t start = 0; start <= rest.size();) {
        const std::size_t end = std::min(rest.size(), rest.find(' ', start));
        values.push_back(rest.substr(start, end - start));
        start = end + 1;
      }
    }
  }

  /// The dictionary's candidates for one character, in its order (empty when it has no entry).
  std::vector<UChar32> Candidates(UChar32 cp) const {
    std::vector<UChar32> found;
    const auto entry = m_entries.find(Utf8(cp));
    if (entry == m_entries.end())
      return found;
    for (const std::string& value : entry->second) {
      if (const auto c = SingleCodePoint(value))
        found.push_back(*c);
    }
    return found;
  }

  std::optional<UChar32> FirstCandidate(UChar32 cp) const {
    const std::vector<UChar32> all = Candidates(cp);
    if (all.empty())
      return std::nullopt;
    return all.front();
  }

private:
  std::map<std::string, std::vector<std::string>> m_entries;
};

bool IsAlwaysFiller(UChar32 cp) {
  for (UChar32 f : kAlwaysFiller) {
    if (f == cp)
      return true;
  }
  return false;
}

std::optional<UChar32> SameAppearance(UChar32 cp, bool gbToBig5) {
  for (auto [gb, big5] : kSameAppearance) {
    if (gbToBig5 && cp == gb)
      return big5;
    if (!gbToBig5 && cp == big5)
      return gb;
  }
  return std::nullopt;
}

// Box drawing by shape: the heavy lines of GB2312 row A9 become the double lines that the BIG5
// code page carries in its extension codes, a light part becomes a single one; and back.
std::optional<UChar32> BoxDrawingByShape(UChar32 cp, bool gbToBig5) {
  const std::string heavy = gbToBig5 ? "HEAVY" : "DOUBLE", light = gbToBig5 ? "LIGHT" : "SINGLE";
  const std::string double_ = gbToBig5 ? "DOUBLE" : "HEAVY", single = gbToBig5 ? "SINGLE" : "LIGHT";
  char name[128];
  UErrorCode status = U_ZERO_ERROR;
  u_charName(cp, U_UNICODE_CHAR_NAME, name, sizeof name, &status);
  if (U_FAILURE(status))
    return std::nullopt;
  std::string n = name;
  if (n.rfind("BOX DRAWINGS ", 0) != 0 || n.find(heavy) == std::string::npos)
    return std::nullopt;
  auto replaceAll = [&n](const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = n.find(from, at)) != std::string::npos; at += to.size()) {
      n.replace(at, from.size(), to);
    }
  };
  const bool mixed = n.find(light) != std::string::npos;
  replaceAll(heavy, double_);
  if (mixed)
    replaceAll(light, single);
  status = U_ZERO_ERROR;
  const UChar32 shaped = u_charFromName(U_UNICODE_CHAR_NAME, n.c_str(), &status);
  if (U_FAILURE(status))
    return std::nullopt;
  return shaped;
}

bool IsBig5Code(std::uint16_t code) {
  const int lead = code >> 8, trail = code & 0xFF;
  return lead >= 0xA1 && lead <= 0xFE &&
         ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE));
}

void Write(const std::string& path, const std::vector<std::uint16_t>& table) {
  std::ofstream out(path, std::ios::binary);
  for (std::uint16_t v : table) {
    out.put(static_cast<char>(v & 0xFF));
    out.put(static_cast<char>(v >> 8));
  }
  if (!out)
    throw std::runtime_error("cannot write " + path);
}

std::string Hex(unsigned v) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%04X", v);
  return buffer;
}

} // namespace

int main(int argc, char** argv) try {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: kelvaro-make-code-tables OUTPUT_DIR [OPENCC_DICTIONARY_DIR]\n";
    return 2;
  }
  const std::string outDir = argv[1];
  const std::string dataDir = argc > 2 ? argv[2] : outDir + "/opencc/dictionary";
  Converter gbk = Open("windows-936-2000");
  Converter big5 = Open("windows-950-2000");
  Converter gb2312 = Open("GB2312");
  const CharacterDictionary toTraditional(dataDir, "STCharacters");
  const CharacterDictionary toSimplified(dataDir, "TSCharacters");
  // OpenCC's traditional forms follow one standard; BIG5 often holds the variant used in Taiwan
  // instead (爲 and 為, 衆 and 眾), so each candidate is also tried in that form.
  const CharacterDictionary toTaiwanVariant(dataDir, "TWVariants");
  const CharacterDictionary fromTaiwanVariant(dataDir, "TWVariantsRev");

  auto gb2312Code = [&](UChar32 cp) -> std::optional<std::uint16_t> {
    const auto code = Encode(gbk.get(), cp);
    if (!code)
      return std::nullopt;
    const int lead = *code >> 8, trail = *code & 0xFF;
    if (lead < 0xA1 || lead > 0xF7 || trail < 0xA1 || trail > 0xFE)
      return std::nullopt;
    if (!Decode(gb2312.get(), lead, trail))
      return std::nullopt; // a GBK addition
    return code;
  };
  auto big5Code = [&](UChar32 cp) -> std::optional<std::uint16_t> {
    const auto code = Encode(big5.get(), cp);
    if (!code || !IsBig5Code(*code))
      return std::nullopt;
    return code;
  };

  std::vector<std::uint16_t> gbToBig5(kGbRows * kGbColumns, kFiller);
  int gbFiller = 0, gbUnassigned = 0;
  std::map<std::string, int> gbReasons;
  for (int lead = 0xA1; lead <= 0xF7; ++lead) {
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      const int index = (lead - 0xA1) * kGbColumns + (trail - 0xA1);
      const auto cp =
          Decode(gb2312.get(), lead, trail) ? Decode(gbk.get(), lead, trail) : std::nullopt;
      std::optional<std::uint16_t> code;
      if (!cp) {
        ++gbUnassigned;
      } else if (!IsAlwaysFiller(*cp) && lead != 0xA7) {
        // Same-looking punctuation first: BIG5 also has U+00B7 (A150), but A145 is the dot that
        // BIG5 text uses between names.
        if (const auto look = SameAppearance(*cp, true))
          code = big5Code(*look);
        // OpenCC's first traditional form, which is often the character itself; a later candidate
        // only where BIG5 lacks the earlier ones (为: 爲 is not in BIG5, its variant 為 is).
        for (const UChar32 t : toTraditional.Candidates(*cp)) {
          if (code)
            break;
          code = big5Code(t);
          if (!code) {
            if (const auto variant = toTaiwanVariant.FirstCandidate(t))
              code = big5Code(*variant);
          }
        }
        if (!code)
          code = big5Code(*cp);
        if (!code && lead == 0xA9) {
          if (const auto shape = BoxDrawingByShape(*cp, true))
            code = big5Code(*shape);
        }
        if (!code)
          std::cout << "GB " << Hex(lead << 8 | trail) << " U+" << Hex(*cp) << " " << Utf8(*cp)
                    << " has no BIG5 counterpart\n";
      }
      if (code) {
        gbToBig5[index] = *code;
      } else {
        ++gbFiller;
      }
    }
  }

  std::vector<std::uint16_t> big5ToGb(kBig5Rows * kBig5Columns, kFiller);
  int big5Filler = 0, big5Unassigned = 0;
  for (int lead = 0xA1; lead <= 0xFE; ++lead) {
    for (int column = 0; column < kBig5Columns; ++column) {
      const int trail = column < 63 ? 0x40 + column : 0xA1 + column - 63;
      const int index = (lead - 0xA1) * kBig5Columns + column;
      const auto cp = Decode(big5.get(), lead, trail);
      std::optional<std::uint16_t> code;
      if (!cp) {
        ++big5Unassigned;
      } else if (!IsAlwaysFiller(*cp) &&
                 std::find(std::begin(kBig5FillerPositions), std::end(kBig5FillerPositions),
                           lead << 8 | trail) == std::end(kBig5FillerPositions)) {
        code = gb2312Code(*cp);
        if (!code) {
          if (const auto s = toSimplified.FirstCandidate(*cp))
            code = gb2312Code(*s);
        }
        if (!code) {
          if (const auto variant = fromTaiwanVariant.FirstCandidate(*cp)) {
            code = gb2312Code(*variant);
            if (!code) {
              if (const auto s = toSimplified.FirstCandidate(*variant))
                code = gb2312Code(*s);
            }
          }
        }
        if (!code) {
          if (const auto look = SameAppearance(*cp, false))
            code = gb2312Code(*look);
        }
        if (!code) {
          if (const auto shape = BoxDrawingByShape(*cp, false))
            code = gb2312Code(*shape);
        }
        if (!code && lead < 0xA4)
          std::cout << "BIG5 " << Hex(lead << 8 | trail) << " U+" << Hex(*cp) << " " << Utf8(*cp)
                    << " has no GB2312 counterpart\n";
      }
      if (code) {
        big5ToGb[index] = *code;
      } else {
        ++big5Filler;
      }
    }
  }

  Write(outDir + "/gb2312_to_big5.bin", gbToBig5);
  Write(outDir + "/big5_to_gb2312.bin", big5ToGb);
  std::cout << "GB2312 to BIG5: " << gbToBig5.size() << " entries, " << gbFiller << " filler ("
            << gbUnassigned << " unassigned positions)\n"
            << "BIG5 to GB2312: " << big5ToGb.size() << " entries, " << big5Filler << " filler ("
            << big5Unassigned << " unassigned positions)\n";
  return 0;
} catch (const std::exception& e) {
  std::cerr << "kelvaro-make-code-tables: " << e.what() << '\n';
  return 1;
}
