#include "files/ExeImage.h"

#include "common/LittleEndian.h"

namespace kolvex {

namespace {

// Offsets of the fields read, as the PE format lays them out.
constexpr uint32_t kProgramMark = 0x5A4D;  // "MZ"
constexpr uint64_t kDosHeaderSize = 64;
constexpr uint64_t kPeHeaderOffsetAt = 0x3C;    // e_lfanew
constexpr uint64_t kFileHeaderSize = 4 + 20;     // "PE\0\0" and IMAGE_FILE_HEADER
constexpr uint64_t kSectionCountAt = 4 + 2;      // from the signature
constexpr uint64_t kOptionalHeaderSizeAt = 4 + 16;
constexpr uint64_t kSizeOfHeadersAt = 60;        // within the optional header, PE32 and PE32+ alike
constexpr uint64_t kSectionHeaderSize = 40;
constexpr uint64_t kRawSizeAt = 16;              // within a section header
constexpr uint64_t kRawPointerAt = 20;

// Little-endian fields of head, each read only after its bounds were checked.
class Bytes {
 public:
  explicit Bytes(std::span<const std::byte> bytes) : bytes_(bytes) {}
  bool Holds(uint64_t offset, uint64_t size) const { return offset <= bytes_.size() && size <= bytes_.size() - offset; }
  uint32_t Field(uint64_t offset, int size) const { return ReadLittleEndian(bytes_, offset, size); }

 private:
  std::span<const std::byte> bytes_;
};

}  // namespace

bool IsProgramStart(std::span<const std::byte> head) {
  return head.size() >= kProgramMarkSize && Bytes(head).Field(0, 2) == kProgramMark;
}

bool IsCompleteExecutableImage(std::span<const std::byte> head, uint64_t fileSize) {
  const Bytes bytes(head);
  if (!bytes.Holds(0, kDosHeaderSize) || bytes.Field(0, 2) != kProgramMark) return false;
  const uint64_t pe = bytes.Field(kPeHeaderOffsetAt, 4);
  if (!bytes.Holds(pe, kFileHeaderSize) || bytes.Field(pe, 4) != 0x00004550) return false;  // "PE\0\0"
  const uint64_t sections = bytes.Field(pe + kSectionCountAt, 2);
  const uint64_t optionalSize = bytes.Field(pe + kOptionalHeaderSizeAt, 2);
  const uint64_t optional = pe + kFileHeaderSize;
  if (optionalSize < kSizeOfHeadersAt + 4 || !bytes.Holds(optional, optionalSize)) return false;
  if (bytes.Field(optional + kSizeOfHeadersAt, 4) > fileSize) return false;

  const uint64_t table = optional + optionalSize;
  if (!bytes.Holds(table, sections * kSectionHeaderSize) || table + sections * kSectionHeaderSize > fileSize)
    return false;
  for (uint64_t i = 0; i < sections; ++i) {
    const uint64_t section = table + i * kSectionHeaderSize;
    const uint64_t rawSize = bytes.Field(section + kRawSizeAt, 4);
    const uint64_t rawPointer = bytes.Field(section + kRawPointerAt, 4);
    // A section without data in the file (uninitialised data) takes no room.
    if (rawSize != 0 && rawPointer + rawSize > fileSize) return false;
  }
  return true;
}

}  // namespace kolvex
