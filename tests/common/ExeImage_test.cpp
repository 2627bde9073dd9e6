#include "common/ExeImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace kolvex {
namespace {

// A small well-formed program image: headers at 0x80, two sections, the
// second ending the file at 0x600.
class Image {
 public:
  Image() : bytes_(0x600) {
    Put(0, 2, 0x5A4D);
    Put(0x3C, 4, kPe);
    Put(kPe, 4, 0x00004550);
    Put(kPe + 6, 2, 2);                        // sections
    Put(kPe + 20, 2, 0xE0);                    // optional header size (PE32)
    Put(kPe + 24 + 60, 4, 0x200);              // size of headers
    Section(0, 0x200, 0x200);
    Section(1, 0x400, 0x200);
  }
  void Put(size_t at, int size, uint32_t value) {
    for (int i = 0; i < size; ++i) bytes_[at + i] = static_cast<std::byte>(value >> (8 * i));
  }
  void Section(int index, uint32_t pointer, uint32_t size) {
    const size_t at = kTable + 40 * index;
    Put(at + 16, 4, size);
    Put(at + 20, 4, pointer);
  }
  bool Complete(size_t headBytes = SIZE_MAX, uint64_t fileSize = UINT64_MAX) const {
    const size_t head = std::min(headBytes, bytes_.size());
    return IsCompleteExecutableImage({bytes_.data(), head}, fileSize == UINT64_MAX ? bytes_.size() : fileSize);
  }

  static constexpr size_t kPe = 0x80;
  static constexpr size_t kTable = kPe + 24 + 0xE0;

 private:
  std::vector<std::byte> bytes_;
};

TEST(IsCompleteExecutableImage, WholeProgramsPassAndEveryKindOfDamageFails) {
  const struct {
    const char* what;
    void (*damage)(Image&);
    bool complete;
  } cases[] = {
      {"whole", [](Image&) {}, true},
      {"uninitialised data takes no room", [](Image& i) { i.Section(1, 0x90000, 0); }, true},
      {"no MZ", [](Image& i) { i.Put(0, 2, 0x4D5A); }, false},
      {"PE header beyond the head", [](Image& i) { i.Put(0x3C, 4, 0xFFFFFFF0); }, false},
      {"no PE signature", [](Image& i) { i.Put(Image::kPe, 4, 0x00014550); }, false},
      {"optional header too small", [](Image& i) { i.Put(Image::kPe + 20, 2, 0x20); }, false},
      {"headers larger than the file", [](Image& i) { i.Put(Image::kPe + 24 + 60, 4, 0x601); }, false},
      {"section table beyond the head", [](Image& i) { i.Put(Image::kPe + 6, 2, 0xFFFF); }, false},
      {"section past the end", [](Image& i) { i.Section(1, 0x400, 0x201); }, false},
      {"section pointer wraps 32 bits", [](Image& i) { i.Section(1, 0xFFFFFF00, 0x200); }, false},
  };
  for (const auto& c : cases) {
    Image image;
    c.damage(image);
    EXPECT_EQ(image.Complete(), c.complete) << c.what;
  }
}

TEST(IsCompleteExecutableImage, AProgramCutShortOrAShortHeadFails) {
  const Image image;
  EXPECT_TRUE(image.Complete(0x600, 0x600));
  EXPECT_FALSE(image.Complete(0x600, 0x5FF)) << "the last section cut";
  EXPECT_FALSE(image.Complete(0x100)) << "the section table not in the head";
  for (const size_t head : {0, 1, 2, 63, 64, 0x97})
    EXPECT_FALSE(image.Complete(head, head)) << "a file of " << head << " bytes";
}

}  // namespace
}  // namespace kolvex
