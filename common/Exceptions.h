#pragma once
// The failures that end a run. Ordinary failures are values (empty string,
// -1, false); these are raised only where the system raises, and every one
// that escapes the main sequence is shown by the generic error box with its
// class name, the code address where it was raised, and its message.
#include <exception>
#include <string>

namespace kolvex {

// Not derived from std::runtime_error: its message is a string of the
// library's older kind, which alone brings about 45 KB into the program.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message);
  const char* what() const noexcept override { return message_.c_str(); }
  virtual const char* ClassName() const noexcept { return "Exception"; }
  // Code address inside the function that raised the exception.
  const void* Address() const noexcept { return address_; }

 private:
  std::string message_;
  const void* address_;
};

// The silent abort: the run stops with no message of its own, as what there
// was to tell has been told (or there was nobody to tell).
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
  const char* ClassName() const noexcept override { return "EAbort"; }
};

class EConvertError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EConvertError"; }
};

// A file that cannot be opened, created or written: the runtime's file error.
class EInOutError : public Exception {
 public:
  EInOutError(const std::string& message, int errorCode) : Exception(message), errorCode_(errorCode) {}
  const char* ClassName() const noexcept override { return "EInOutError"; }
  int ErrorCode() const noexcept { return errorCode_; }

 private:
  int errorCode_;
};

}  // namespace kolvex
