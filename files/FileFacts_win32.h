#pragma once
// The file facts as the system gives them: the version resource, the
// last-write time, the program image's headers.
#include "files/FileFacts.h"

namespace kolvex {

class WindowsFileFacts final : public FileFacts {
 public:
  std::string FileVersion(const std::string& path) override;
  DateTime FileDate(const std::string& path) override;
  bool IsCompleteImage(const std::string& path) override;
};

}  // namespace kolvex
