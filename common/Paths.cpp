#include "common/Paths.h"

namespace kolvex {

namespace {

constexpr std::string_view kPathDelimiters = "\\:";

}  // namespace

std::string JoinPath(std::string_view dir, std::string_view name) {
  if (dir.empty()) return std::string(name);
  const char separator = dir.front() == '/' ? '/' : '\\';
  std::string result(dir);
  if (result.back() != separator) result += separator;
  result += name;
  return result;
}

std::string ExtractFileDir(std::string_view path) {
  const size_t last = path.find_last_of(kPathDelimiters);
  if (last == std::string_view::npos) return {};
  size_t end = last + 1;  // keeps the delimiter for now
  // Drop a trailing "\" unless it follows another delimiter (a root: C:\).
  if (last > 0 && path[last] == '\\' && kPathDelimiters.find(path[last - 1]) == std::string_view::npos) end = last;
  return std::string(path.substr(0, end));
}

std::string ExtractFileName(std::string_view path) {
  const size_t last = path.find_last_of(kPathDelimiters);
  return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  const size_t dot = path.find_last_of(".\\:");
  const size_t stem = (dot != std::string_view::npos && path[dot] == '.') ? dot : path.size();
  std::string result(path.substr(0, stem));
  result += ext;
  return result;
}

}  // namespace kolvex
