#pragma once
// The two code tables as built into the program (written from resources/*.bin at configure time):
// 16-bit little-endian entries, GB2312 to BIG5 first.

#include <cstddef>
#include <cstdint>

namespace kelvaro::chinese {

extern const std::uint8_t kGb2312ToBig5Bytes[];
extern const std::size_t kGb2312ToBig5BytesSize;
extern const std::uint8_t kBig5ToGb2312Bytes[];
extern const std::size_t kBig5ToGb2312BytesSize;

} // namespace kelvaro::chinese
