#pragma once
// The text of the generic error box that reports an exception which ended the run.
#include <cstdint>
#include <string>

namespace kolvex {

// "Exception <class> in module <module> at <address>.\r\n<message>[.]\r\n":
// the address as eight upper-case hexadecimal digits, and a full stop after
// the message unless it already ends with one.
std::string FormatExceptionText(const std::string& className, const std::string& moduleName, uintptr_t address,
                                const std::string& message);

}  // namespace kolvex
