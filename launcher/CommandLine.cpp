#include "launcher/CommandLine.h"

#include <algorithm>

namespace kolvex {

namespace {

// NUL ends the text, as it ends the system's command line.
bool IsSeparator(char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  const size_t end = std::min(line.find('\0'), line.size());
  size_t p = 0;
  while (p < end) {
    for (;;) {
      while (p < end && IsSeparator(line[p])) ++p;
      if (p + 1 < end && line[p] == '"' && line[p + 1] == '"') {
        p += 2;  // an empty pair where an argument would begin
      } else {
        break;
      }
    }
    if (p >= end) break;
    std::string arg;
    while (p < end && !IsSeparator(line[p])) {
      if (line[p] == '"') {
        const size_t close = line.find('"', p + 1);
        const size_t stop = close == std::string_view::npos || close > end ? end : close;
        arg.append(line.substr(p + 1, stop - p - 1));
        p = stop < end ? stop + 1 : end;
      } else {
        arg += line[p++];
      }
    }
    if (!arg.empty()) args.push_back(std::move(arg));
  }
  return args;
}

std::string BuildForwardedParams(const std::vector<std::string>& args) {
  std::string params;
  for (size_t i = 1; i < args.size(); ++i) {
    params += " \"";
    params += args[i];
    params += '"';
  }
  return params;
}

}  // namespace kolvex
