#pragma once
// What the update reads of a file to decide whether it is to be brought in:
// its version, its date, and whether a program file is whole. FileFacts_win32
// asks the system; tests give their own answers.
#include <string>

#include "common/DateTime.h"

namespace kolvex {

class FileFacts {
 public:
  // "FileVersion" of the file's version information; empty when it has none
  // or the file cannot be read.
  virtual std::string FileVersion(const std::string& path) = 0;
  // Last-write time in local time, at the two seconds of packed date-time
  // stamps; day 0 for a file that is not there.
  virtual DateTime FileDate(const std::string& path) = 0;
  // Whether a program file holds all its headers promise (see
  // IsCompleteExecutableImage); a file that cannot be read counts as whole,
  // for the copy to report it.
  virtual bool IsCompleteImage(const std::string& path) = 0;

 protected:
  ~FileFacts() = default;
};

}  // namespace kolvex
