#include "common/Integers.h"

namespace kolvex {

std::string FormatInteger(int64_t value, size_t minDigits, unsigned base) {
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string text;  // least significant digit first
  do {
    text += "0123456789ABCDEF"[magnitude % base];
    magnitude /= base;
  } while (magnitude != 0 || text.size() < minDigits);
  if (value < 0) text += '-';
  return {text.rbegin(), text.rend()};
}

}  // namespace kolvex
