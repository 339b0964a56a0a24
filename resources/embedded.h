#pragma once
// The data files built into the program by resources/CMakeLists.txt (kelvaro_embed), as bytes.
//
//   KELVARO_EMBEDDED(gb2312_to_big5)   // at namespace scope, once per file that reads it
//   std::span<const std::uint8_t> table = EmbeddedBytes(gb2312_to_big5);

#include <cstdint>
#include <span>

#define KELVARO_EMBEDDED(name)                                                                     \
  extern "C" const std::uint8_t kelvaro_embedded_##name[];                                        \
  extern "C" const std::uint8_t kelvaro_embedded_##name##_end[];

#define EmbeddedBytes(name)                                                                        \
  std::span<const std::uint8_t>(kelvaro_embedded_##name, kelvaro_embedded_##name##_end)
