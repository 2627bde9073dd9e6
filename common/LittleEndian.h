#pragma once
// Numbers stored least significant byte first, as Windows' file formats
// and the version information hold them.
#include <cstddef>
#include <cstdint>
#include <span>

namespace kolvex {

// The number in the size bytes (1 to 4) of bytes from offset on, least
// significant first. The caller has made sure that they lie within bytes.
constexpr uint32_t ReadLittleEndian(std::span<const std::byte> bytes, size_t offset, size_t size) {
  uint32_t value = 0;
  for (size_t i = size; i-- > 0;) value = value << 8 | std::to_integer<uint32_t>(bytes[offset + i]);
  return value;
}

}  // namespace kolvex
