#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/LittleEndian.h"
#include "common/win32/Files.h"
#include "common/win32/Library.h"
#include "common/win32/Utf.h"
#include "files/FileVer_win32.h"

namespace kolvex {

namespace {

// version.dll is none of the system's known libraries: imported, it would
// be looked for in the program's folder first (common/win32/Library.h).
struct VersionFunctions {
  decltype(&::GetFileVersionInfoSizeW) infoSize;
  decltype(&::GetFileVersionInfoW) info;
  decltype(&::VerQueryValueW) query;
};

// nullptr when the system's library or one of its functions is missing:
// then no file has version information.
const VersionFunctions* Version() noexcept {
  static const VersionFunctions functions = [] {
    const HMODULE library = LoadSystemLibrary(L"version.dll");
    return VersionFunctions{
        .infoSize = ProcAddress<decltype(&::GetFileVersionInfoSizeW)>(library, "GetFileVersionInfoSizeW"),
        .info = ProcAddress<decltype(&::GetFileVersionInfoW)>(library, "GetFileVersionInfoW"),
        .query = ProcAddress<decltype(&::VerQueryValueW)>(library, "VerQueryValueW"),
    };
  }();
  return functions.infoSize && functions.info && functions.query ? &functions : nullptr;
}

constexpr DWORD kFirstReadSize = 16 * 1024;
constexpr size_t kRoomPerBlockByte = 4;

// The length the block's first word gives for the whole block.
size_t ClaimedLength(std::span<const std::byte> block) {
  return ReadLittleEndian(block, 0, 2);
}

// VerQueryValueW on a block in memory. The query finds its way by the
// block's own length fields, which a damaged file may fill with anything:
// a block that claims to be longer than it is, or an answer outside the
// block, counts as nothing found.
class BlockQuery final : public VersionQuery {
 public:
  BlockQuery(const VersionFunctions& version, std::span<const std::byte> block) : version_(version), block_(block) {}

  Answer Query(std::string_view subBlock) const override {
    if (block_.size() < sizeof(WORD) || ClaimedLength(block_) > block_.size()) return {};
    void* value = nullptr;
    UINT length = 0;
    // The length alone tells whether something was found.
    version_.query(block_.data(), Widen(subBlock).c_str(), &value, &length);
    const auto at = reinterpret_cast<uintptr_t>(value);
    const auto begin = reinterpret_cast<uintptr_t>(block_.data());
    if (length == 0 || at < begin || at >= begin + block_.size()) return {};
    return {block_.subspan(at - begin), length};
  }

 private:
  const VersionFunctions& version_;
  std::span<const std::byte> block_;
};

}  // namespace

std::string GetFileVersionString(const std::string& fileName, const std::string& valueName) {
  const VersionFunctions* version = Version();
  if (!version || !FileExists(fileName)) return {};
  // The version functions read through the loader, which looks for a
  // relative name in the program's own directory before the current one:
  // the file found above is the one to read, so its name is made full.
  const std::wstring file = Widen(FullPathName(fileName));
  // Each call maps the file anew. Nearly every block is a few hundred bytes,
  // so one read into a buffer with room for any block of up to a quarter of
  // it, and for the copy the query may convert it into (the size call asks
  // for at most four times the block), is all most files need; a larger
  // block is read again at the size the system asks for.
  std::vector<std::byte> block(kFirstReadSize);  // zero-filled; running out of memory is the one failure that raises
  if (!version->info(file.c_str(), 0, kFirstReadSize, block.data())) return {};
  if (ClaimedLength(block) * kRoomPerBlockByte > block.size()) {
    DWORD unused = 0;
    const DWORD size = version->infoSize(file.c_str(), &unused);
    if (size == 0) return {};
    block.assign(size, std::byte{0});
    // The outcome is not looked at: a read that fails leaves zeros, in which nothing is found.
    version->info(file.c_str(), 0, size, block.data());
  }
  return GetVersionInfoValue(BlockQuery(*version, block), valueName);
}

}  // namespace kolvex
