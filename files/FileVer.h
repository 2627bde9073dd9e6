#pragma once
// One named value from a program file's version information.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kolvex {

// A version information block as the platform's query (VerQueryValue) sees it.
class VersionQuery {
 public:
  struct Answer {
    std::span<const std::byte> at;  // from the value to the end of the block
    uint32_t length = 0;            // as the query counts it; 0 when nothing was found
  };
  // subBlock: "\", "\VarFileInfo\Translation", "\StringFileInfo\041504E2\CompanyName", ...
  virtual Answer Query(std::string_view subBlock) const = 0;

 protected:
  ~VersionQuery() = default;
};

// "FileVersion" / "ProductVersion" (exactly so) from the fixed record as
// a.b.c.d, any other name from the string table of the block's only
// translation, or of 040904E4. The empty string for every absence.
std::string GetVersionInfoValue(const VersionQuery& block, const std::string& valueName);

}  // namespace kolvex
