#include "update/RefusalMemory.h"

#include <algorithm>
#include <charconv>

#include "common/Paths.h"

namespace kolvex {

namespace {

constexpr std::string_view kHeader = "KOLVEX ODRZUCONE 1\r\n";
constexpr char kBar = '|';  // in neither a file name, nor a date, nor a version

// The text up to the next bar, taken off the front; false without one.
bool TakeField(std::string_view& line, std::string_view& field) {
  const size_t bar = line.find(kBar);
  if (bar == std::string_view::npos) return false;
  field = line.substr(0, bar);
  line.remove_prefix(bar + 1);
  return true;
}

}  // namespace

std::optional<std::string> RefusalMemory::Refusal(std::string_view name, const SharedFileFacts& facts) const {
  if (facts.size < 0) return std::nullopt;
  for (const RememberedRefusal& refusal : refusals_) {
    if (SameFileName(refusal.name, name) && refusal.facts == facts) return refusal.reason;
  }
  return std::nullopt;
}

void RefusalMemory::Remember(RememberedRefusal refusal) {
  Forget(refusal.name);
  refusals_.push_back(std::move(refusal));
  changed_ = true;
}

void RefusalMemory::Forget(std::string_view name) {
  const auto gone = std::remove_if(refusals_.begin(), refusals_.end(),
                                   [&](const RememberedRefusal& r) { return SameFileName(r.name, name); });
  changed_ = changed_ || gone != refusals_.end();
  refusals_.erase(gone, refusals_.end());
}

std::string RefusalMemory::Format() const {
  std::string out(kHeader);
  for (const RememberedRefusal& r : refusals_) {
    char size[24];
    out.append(size, std::to_chars(size, size + sizeof size, r.facts.size).ptr);
    for (std::string_view field : {std::string_view(r.facts.date), std::string_view(r.facts.version),
                                   std::string_view(r.name)}) {
      out += kBar;
      out += field;
    }
    out += kBar;
    for (const char c : r.reason) out += c == '\r' || c == '\n' ? ' ' : c;
    out += "\r\n";
  }
  return out;
}

RefusalMemory RefusalMemory::Parse(std::string_view text) {
  RefusalMemory memory;
  if (!text.starts_with(kHeader)) return memory;
  text.remove_prefix(kHeader.size());
  while (!text.empty()) {
    const size_t end = std::min(text.find("\r\n"), text.size());
    std::string_view line = text.substr(0, end), size, date, version, name;
    text.remove_prefix(std::min(end + 2, text.size()));
    RememberedRefusal refusal;
    if (!TakeField(line, size) || !TakeField(line, date) || !TakeField(line, version) || !TakeField(line, name) ||
        name.empty())
      continue;
    const auto [stop, error] = std::from_chars(size.data(), size.data() + size.size(), refusal.facts.size);
    if (error != std::errc() || stop != size.data() + size.size() || refusal.facts.size < 0) continue;
    refusal.name = name;
    refusal.facts.date = date;
    refusal.facts.version = version;
    refusal.reason = line;
    memory.refusals_.push_back(std::move(refusal));
  }
  return memory;
}

}  // namespace kolvex
