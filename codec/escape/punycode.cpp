#include "codec/escape/punycode.h"

#include <stdexcept>

// Not yet written and not yet in the registry: the header's contracts come first, so that the
// recogniser can be written against them.
namespace kelvaro {

Result<std::u16string> PunycodeEncode(std::u16string_view) {
  throw std::logic_error("not yet written");
}
Result<std::u16string> PunycodeDecode(std::u16string_view) {
  throw std::logic_error("not yet written");
}
std::optional<std::u16string> PunycodeDecodeStrictly(std::u16string_view) {
  throw std::logic_error("not yet written");
}

} // namespace kelvaro
