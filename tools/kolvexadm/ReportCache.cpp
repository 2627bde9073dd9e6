#include "tools/kolvexadm/ReportCache.h"

#include <charconv>

namespace kolvex {

namespace {

// The first line; each report follows as a line "SIZE TIME NAME" and then
// exactly SIZE bytes and a line feed.
constexpr std::string_view kHeader = "KOLVEXADM 1\n";
constexpr uint64_t kTwoSeconds = 2 * 10'000'000;

// The line up to its line feed, taken off the front; false without one.
bool TakeLine(std::string_view& text, std::string_view& line) {
  const size_t end = text.find('\n');
  if (end == std::string_view::npos) return false;
  line = text.substr(0, end);
  text.remove_prefix(end + 1);
  return true;
}

// A decimal number and the space after it, taken off the front.
bool TakeNumber(std::string_view& text, uint64_t& number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end == text.data() || end == text.data() + text.size() || *end != ' ') return false;
  text.remove_prefix(static_cast<size_t>(end - text.data()) + 1);
  return true;
}

void AppendNumber(std::string& out, uint64_t number) {
  char digits[20];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

}  // namespace

std::string FormatReportCache(const std::vector<KnownReport>& reports, uint64_t newestWriteTime) {
  std::string out(kHeader);
  for (const KnownReport& report : reports) {
    const ListedReport& listed = report.listed;
    const bool settled = newestWriteTime >= kTwoSeconds && listed.writeTime <= newestWriteTime - kTwoSeconds;
    if (!settled || listed.size != report.bytes.size()) continue;
    AppendNumber(out, listed.size);
    out += ' ';
    AppendNumber(out, listed.writeTime);
    out += ' ';
    out += listed.fileName;
    out += '\n';
    out += report.bytes;
    out += '\n';
  }
  return out;
}

std::vector<KnownReport> ParseReportCache(std::string_view text) {
  if (!text.starts_with(kHeader)) return {};
  text.remove_prefix(kHeader.size());
  std::vector<KnownReport> reports;
  while (!text.empty()) {
    KnownReport report;
    std::string_view line;
    if (!TakeLine(text, line) || !TakeNumber(line, report.listed.size) ||
        !TakeNumber(line, report.listed.writeTime) || line.empty() || report.listed.size >= text.size() ||
        text[report.listed.size] != '\n')
      return {};
    report.listed.fileName = line;
    report.bytes = text.substr(0, report.listed.size);
    text.remove_prefix(report.listed.size + 1);
    reports.push_back(std::move(report));
  }
  return reports;
}

}  // namespace kolvex
