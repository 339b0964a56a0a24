#pragma once
// Small helpers that make test failures readable.

#include <string>
#include <string_view>
#include <vector>

namespace kelvaro::testing {

/// UTF-8 of a UTF-16 text, for SCOPED_TRACE and failure output.
std::string U8(std::u16string_view text);

/// UTF-16 of a UTF-8 literal (tests write their Chinese cases in UTF-8 source).
std::u16string U16(std::string_view utf8);

/// The tab-separated fields of a line of a case file, empty ones included.
std::vector<std::string> SplitTabs(const std::string& line);

/// Decodes the escapes of case files: \r \n \t \\ \0 and \uXXXX (one UTF-16 code unit).
std::u16string Unescape(std::string_view field);

} // namespace kelvaro::testing
