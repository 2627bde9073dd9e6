#include "launcher/ErrorBox.h"

#include <cstdio>

namespace kolvex {

std::string FormatExceptionText(const std::string& className, const std::string& moduleName, uintptr_t address,
                                const std::string& message) {
  char hex[20];
  std::snprintf(hex, sizeof hex, "%08llX", static_cast<unsigned long long>(address));
  const bool endsWithStop = !message.empty() && message.back() == '.';
  return "Exception " + className + " in module " + moduleName + " at " + hex + ".\r\n" + message +
         (endsWithStop ? "" : ".") + "\r\n";
}

}  // namespace kolvex
