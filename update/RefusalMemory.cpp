#include "update/RefusalMemory.h"

#include <algorithm>

#include "common/Integers.h"

namespace kolvex {

namespace {

constexpr std::string_view kHeader = "KOLVEX ODRZUCONE 1\r\n";
constexpr char kBar = '|';  // in neither a file name, nor a date, nor a version

// The front of a line up to its reason, or nothing for a size not read.
std::string Key(std::string_view name, const SharedFileFacts& facts) {
  if (facts.size < 0) return {};
  return FormatInteger(facts.size) + kBar + facts.date + kBar + facts.version + kBar + std::string(name) + kBar;
}

// The name a line is of: its fourth field; empty for a damaged line.
std::string_view NameOf(std::string_view line) {
  for (int field = 0; field < 3; ++field) {
    const size_t bar = line.find(kBar);
    if (bar == std::string_view::npos) return {};
    line.remove_prefix(bar + 1);
  }
  const size_t bar = line.find(kBar);
  return bar == std::string_view::npos ? std::string_view() : line.substr(0, bar);
}

}  // namespace

std::optional<std::string> RefusalMemory::Refusal(std::string_view name, const SharedFileFacts& facts) const {
  const std::string key = Key(name, facts);
  for (const std::string& line : lines_) {
    if (!key.empty() && line.starts_with(key)) return line.substr(key.size());
  }
  return std::nullopt;
}

void RefusalMemory::Remember(std::string_view name, const SharedFileFacts& facts, std::string_view reason) {
  Forget(name);
  std::string line = Key(name, facts);
  if (line.empty()) return;
  for (const char c : reason) line += c == '\r' || c == '\n' ? ' ' : c;
  lines_.push_back(std::move(line));
  changed_ = true;
}

void RefusalMemory::Forget(std::string_view name) {
  const auto gone =
      std::remove_if(lines_.begin(), lines_.end(), [&](const std::string& line) { return NameOf(line) == name; });
  changed_ = changed_ || gone != lines_.end();
  lines_.erase(gone, lines_.end());
}

std::string RefusalMemory::Format() const {
  std::string out(kHeader);
  for (const std::string& line : lines_) out += line + "\r\n";
  return out;
}

RefusalMemory RefusalMemory::Parse(std::string_view text) {
  RefusalMemory memory;
  if (!text.starts_with(kHeader)) return memory;
  text.remove_prefix(kHeader.size());
  while (!text.empty()) {
    const size_t end = std::min(text.find("\r\n"), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 2, text.size()));
    if (!NameOf(line).empty()) memory.lines_.emplace_back(line);
  }
  return memory;
}

}  // namespace kolvex
