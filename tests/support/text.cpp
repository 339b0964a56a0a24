#include "support/text.h"

#include "text/hex.h"
#include "text/utf.h"

#include <stdexcept>

namespace kelvaro::testing {

std::string U8(std::u16string_view text) { return Utf16ToUtf8(text); }

std::u16string U16(std::string_view utf8) {
  auto text = Utf8ToUtf16(utf8);
  if (!text)
    throw std::invalid_argument("test text is not UTF-8");
  return *text;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos)
      break;
    start = tab + 1;
  }
  return fields;
}

std::u16string Unescape(std::string_view field) {
  const std::u16string text = U16(field);
  std::u16string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\\' || i + 1 >= text.size()) {
      out.push_back(text[i]);
      continue;
    }
    const char16_t c = text[++i];
    switch (c) {
    case u'r':
      out.push_back(u'\r');
      break;
    case u'n':
      out.push_back(u'\n');
      break;
    case u't':
      out.push_back(u'\t');
      break;
    case u'0':
      out.push_back(u'\0');
      break;
    case u'\\':
      out.push_back(u'\\');
      break;
    case u'u': {
      if (i + 4 >= text.size())
        throw std::invalid_argument("\\u needs four digits");
      char16_t unit = 0;
      for (int k = 1; k <= 4; ++k)
        unit = static_cast<char16_t>(unit << 4 | HexDigitValue(text[i + k]).value());
      out.push_back(unit);
      i += 4;
      break;
    }
    default:
      out.push_back(u'\\');
      out.push_back(c);
      break;
    }
  }
  return out;
}

} // namespace kelvaro::testing
