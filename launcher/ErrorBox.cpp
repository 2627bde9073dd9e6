// The host-tested portable half of the error box in Kolvex_main_win32.cpp.
#include "launcher/ErrorBox.h"

#include "common/Integers.h"

namespace kolvex {

std::string FormatExceptionText(const std::string& className, const std::string& moduleName, uintptr_t address,
                                const std::string& message) {
  const std::string hex = FormatInteger(static_cast<int64_t>(address), 8, 16);
  const bool endsWithStop = !message.empty() && message.back() == '.';
  return "Exception " + className + " in module " + moduleName + " at " + hex + ".\r\n" + message +
         (endsWithStop ? "" : ".") + "\r\n";
}

}  // namespace kolvex
