// The launcher's command-line reading on any text: no crash, no hang, and
// what it forwards reads back as the same arguments.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "launcher/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> args = kolvex::SplitCommandLine(line);
  for (const std::string& arg : args) {
    // Quotes are never part of an argument, and an argument is never empty.
    if (arg.empty() || arg.find('"') != std::string::npos || arg.find('\0') != std::string::npos) std::abort();
  }
  // The target reads its forwarded arguments back exactly.
  std::vector<std::string> again = kolvex::SplitCommandLine("prog.exe" + kolvex::BuildForwardedParams(args));
  if (args.empty()) {
    if (again.size() != 1) std::abort();
  } else {
    again.erase(again.begin());
    std::vector<std::string> expected(args.begin() + 1, args.end());
    if (again != expected) std::abort();
  }
  return 0;
}
