#include "files/ExeImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace kolvex {
namespace {

TEST(IsCompleteExecutableImage, WholeProgramsPassAndEveryKindOfDamageFails) {
  // A program of 0x600 bytes: PE header at 0x80, section headers at 0x178
  // (size and pointer at 0x188 and 0x1B0), sections ending at 0x400 and 0x600.
  const struct {
    const char* what;
    size_t at;
    uint64_t value;  // written as 8 bytes at `at`
    size_t head;     // bytes given; the file is as long, or 0x600 when shorter
    bool complete;
  } cases[] = {
      {"whole", 0, 0x5A4D, 0x600, true},
      {"uninitialised data takes no room", 0x1B0, 0x90000ull << 32, 0x600, true},
      {"cut short", 0, 0x5A4D, 0x5FF, false},
      {"no MZ", 0, 0x4D5A, 0x600, false},
      {"PE header beyond the head", 0x3C, 0xFFFFFFF0, 0x600, false},
      {"headers larger than the file", 0xD4, 0x601, 0x600, false},
      {"section table beyond the head", 0x86, 0xFFFF, 0x600, false},
      {"section past the end", 0x1B0, 0x400ull << 32 | 0x201, 0x600, false},
      {"section pointer wraps 32 bits", 0x1B0, 0xFFFFFF00ull << 32 | 0x200, 0x600, false},
      {"section table not in the head", 0, 0x5A4D, 0x100, false},
  };
  for (const auto& c : cases) {
    std::vector<std::byte> image(0x600);
    const auto put = [&image](size_t at, uint64_t value) {
      for (int i = 0; i < 8; ++i) image[at + i] = static_cast<std::byte>(value >> (8 * i));
    };
    const uint64_t fields[][2] = {{0, 0x5A4D},     {0x3C, 0x80},    {0x80, 0x4550}, {0x86, 2},
                                  {0x94, 0xE0},   {0xD4, 0x200},   {0x188, 0x200ull << 32 | 0x200},
                                  {0x1B0, 0x400ull << 32 | 0x200}};
    for (const auto& [at, value] : fields) put(at, value);
    put(c.at, c.value);
    EXPECT_EQ(IsCompleteExecutableImage({image.data(), c.head}, c.head == 0x100 ? 0x600 : c.head), c.complete)
        << c.what;
  }
}

}  // namespace
}  // namespace kolvex
