// The image check on any head and any file size: it reads nothing outside the
// head (the head is exactly the input's bytes, so AddressSanitizer sees a read
// past them), and a file found complete stays complete when it is longer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "files/ExeImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first four bytes: how much longer than its head the file is.
  if (size < 4) return 0;
  const uint64_t beyondHead = data[0] | data[1] << 8 | data[2] << 16 | uint64_t{data[3]} << 24;
  const std::span<const std::byte> head(reinterpret_cast<const std::byte*>(data + 4), size - 4);
  const uint64_t fileSize = head.size() + beyondHead;
  if (kolvex::IsCompleteExecutableImage(head, fileSize) && !kolvex::IsCompleteExecutableImage(head, fileSize + 1))
    std::abort();
  return 0;
}
