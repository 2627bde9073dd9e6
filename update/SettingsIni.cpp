#include "update/SettingsIni.h"

#include <algorithm>

#include "common/Text.h"

namespace kolvex {

namespace {

std::string_view WithoutQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

IniText::IniText(std::string_view text) {
  Section* current = nullptr;  // lines before the first section belong to none
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));

    if (line.starts_with('[')) {
      if (const size_t close = line.rfind(']'); close != std::string_view::npos) {
        current = &sections_.emplace_back(Section{std::string(line.substr(1, close - 1)), {}});
        continue;
      }
    }
    const size_t equals = line.find('=');
    if (current == nullptr || line.starts_with(';') || equals == std::string_view::npos) continue;
    current->entries.push_back({std::string(Trim(line.substr(0, equals))),
                                std::string(WithoutQuotes(Trim(line.substr(equals + 1))))});
  }
}

const IniText::Section* IniText::Find(std::string_view section) const {
  const auto it =
      std::ranges::find_if(sections_, [&](const Section& s) { return SameTextIgnoringAsciiCase(s.name, section); });
  return it == sections_.end() ? nullptr : &*it;
}

std::optional<std::string> IniText::Value(std::string_view section, std::string_view key) const {
  if (const Section* found = Find(section)) {
    for (const IniEntry& entry : found->entries) {
      if (SameTextIgnoringAsciiCase(entry.key, key)) return entry.value;
    }
  }
  return std::nullopt;
}

// Made before main, not on first use: kolvexadm reads reports on several
// threads, and what ships initialises function-local statics without locks.
const std::vector<IniEntry> kNoEntries;

const std::vector<IniEntry>& IniText::Entries(std::string_view section) const {
  const Section* found = Find(section);
  return found != nullptr ? found->entries : kNoEntries;
}

std::vector<std::string_view> IniText::SectionNames() const {
  std::vector<std::string_view> names;
  for (const Section& section : sections_) names.push_back(section.name);
  return names;
}

}  // namespace kolvex
