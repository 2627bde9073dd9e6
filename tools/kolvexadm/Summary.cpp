#include "tools/kolvexadm/Summary.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "common/Integers.h"
#include "common/Text.h"

namespace kolvex {

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The next dot-separated part of a version text, taken off the front.
std::string_view NextPart(std::string_view& text) {
  const size_t dot = std::min(text.find('.'), text.size());
  const std::string_view part = text.substr(0, dot);
  text.remove_prefix(std::min(dot + 1, text.size()));
  return part;
}

int ComparePart(std::string_view a, std::string_view b) {
  const bool aNumber = !a.empty() && std::all_of(a.begin(), a.end(), IsDigit);
  const bool bNumber = !b.empty() && std::all_of(b.begin(), b.end(), IsDigit);
  if (aNumber != bNumber) return aNumber ? -1 : 1;
  if (aNumber) {
    a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
    b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  }
  return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
}

bool NeedsAttention(const StartReport& report) {
  return !report.failure.empty() || report.outcome == StartOutcome::SharedDirMissing ||
         report.outcome == StartOutcome::SharedDirSilent;
}

std::string Html(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\r': out += "<br>"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Cell(std::string_view text) { return "<td>" + Html(text) + "</td>"; }

// No version information, or a file that could not be read (held open by
// another program, as the file of a failed update may be).
std::string VersionOrNone(const std::string& version) { return version.empty() ? "(wersja nieznana)" : version; }

// What the last start did, in a few words.
std::string OutcomeLine(const StartReport& report) {
  std::string text(OutcomeText(report.outcome));
  for (const std::string& change : report.changes) text += "\r" + change;
  for (const std::string& missing : report.missingOnShare) text += "\rbrak w katalogu wspólnym: " + missing;
  return text;
}

std::string Table(const std::vector<StartReport>& reports, bool withFailure) {
  std::string out =
      "<table><tr><th>Komputer</th><th>Użytkownik</th><th>Ostatnie uruchomienie</th><th>Wersja programu</th>"
      "<th>Wynik</th>";
  if (withFailure) out += "<th>Błąd – czas</th><th>Błąd</th>";
  out += "</tr>\n";
  for (const StartReport& report : reports) {
    out += "<tr>" + Cell(report.computer) + Cell(report.user) + Cell(report.time) +
           Cell(VersionOrNone(ProgramVersion(report))) + Cell(OutcomeLine(report));
    if (withFailure) out += Cell(report.failureTime) + "<td class=\"failure\">" + Html(report.failure) + "</td>";
    out += "</tr>\n";
  }
  return out + "</table>\n";
}

std::string CsvField(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c == '\r' ? '\n' : c;
  }
  return out + "\"";
}

constexpr std::string_view kStyle =
    "body{font-family:Segoe UI,Arial,sans-serif;margin:2em;color:#222}"
    "h1{font-size:1.5em}h2{font-size:1.2em;margin-top:1.6em}"
    "table{border-collapse:collapse}th,td{border:1px solid #bbb;padding:.25em .6em;text-align:left;"
    "vertical-align:top}th{background:#eee}"
    ".failure{color:#a00000}.bar{background:#3a6ea5;height:1em;display:inline-block}"
    ".none{color:#666}.counts td{border:none;padding:.1em .6em}";

}  // namespace

int CompareVersions(std::string_view a, std::string_view b) {
  if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : a.empty() ? -1 : 1;
  while (!a.empty() || !b.empty()) {
    const std::string_view pa = a.empty() ? "0" : NextPart(a);
    const std::string_view pb = b.empty() ? "0" : NextPart(b);
    if (const int order = ComparePart(pa, pb)) return order;
  }
  return 0;
}

std::string ProgramVersion(const StartReport& report) {
  for (const ReportedFile& file : report.files) {
    if (SameTextIgnoringAsciiCase(file.name, report.program)) return file.version;
  }
  return {};
}

Summary Summarize(std::vector<ReportEntry> entries) {
  Summary summary;
  std::map<std::string, size_t> counts;
  for (ReportEntry& entry : entries) {
    if (!entry.report) {
      summary.unreadable.push_back(std::move(entry));
      continue;
    }
    const std::string version = ProgramVersion(*entry.report);
    ++counts[version];
    if (CompareVersions(version, summary.newestVersion) > 0) summary.newestVersion = version;
    summary.all.push_back(std::move(*entry.report));
  }
  for (auto& [version, count] : counts) summary.versions.push_back({version, count});
  std::ranges::sort(summary.versions, [](const auto& a, const auto& b) {
    const int order = CompareVersions(a.version, b.version);
    return order != 0 ? order > 0 : a.version < b.version;
  });

  const auto isBehind = [&](const StartReport& report) {
    return CompareVersions(ProgramVersion(report), summary.newestVersion) < 0;
  };
  const auto rank = [&](const StartReport& report) { return NeedsAttention(report) ? 0 : isBehind(report) ? 1 : 2; };
  std::ranges::sort(summary.all, [&](const StartReport& a, const StartReport& b) {
    if (rank(a) != rank(b)) return rank(a) < rank(b);
    return a.computer < b.computer;
  });
  for (const StartReport& report : summary.all) {
    if (NeedsAttention(report)) summary.failures.push_back(report);
    if (isBehind(report)) summary.behind.push_back(report);
  }
  std::ranges::stable_sort(summary.failures, [](const StartReport& a, const StartReport& b) {
    return std::max(a.failureTime, a.time) > std::max(b.failureTime, b.time);
  });
  std::ranges::stable_sort(summary.behind, [](const StartReport& a, const StartReport& b) {
    const int order = CompareVersions(ProgramVersion(a), ProgramVersion(b));
    return order != 0 ? order < 0 : a.time < b.time;
  });
  std::ranges::sort(summary.unreadable, {}, &ReportEntry::fileName);
  return summary;
}

std::string SummaryPage(const Summary& summary, const std::string& folder, const std::string& generatedAt) {
  const size_t total = summary.all.size();
  std::string page = "<!DOCTYPE html>\n<html lang=\"pl\"><head><meta charset=\"utf-8\">"
                     "<title>Kolvex – stan stanowisk</title><style>";
  page += kStyle;
  page += "</style></head><body>\n<h1>Kolvex – stan stanowisk</h1>\n<p>Folder raportów: " + Html(folder) +
          "<br>Stan na: " + Html(generatedAt) + "</p>\n<table class=\"counts\">";
  const auto count = [&](std::string_view label, size_t n) {
    page += "<tr><td>" + std::string(label) + "</td><td><b>" + FormatInteger(static_cast<int64_t>(n)) +
            "</b></td></tr>";
  };
  count("Stanowiska", total);
  count("Najnowsza wersja programu: " + Html(VersionOrNone(summary.newestVersion)),
        total - summary.behind.size());
  count("Stanowiska ze starszą wersją", summary.behind.size());
  count("Stanowiska wymagające uwagi", summary.failures.size());
  count("Pliki nieczytelne", summary.unreadable.size());
  page += "</table>\n";

  page += "<h2>Wymagają uwagi: błędy i brak dostępu do katalogu wspólnego</h2>\n";
  page += summary.failures.empty() ? "<p class=\"none\">Brak.</p>\n" : Table(summary.failures, true);

  page += "<h2>Starsza wersja niż najnowsza" +
          (summary.newestVersion.empty() ? std::string() : " (" + Html(summary.newestVersion) + ")") + "</h2>\n";
  page += summary.behind.empty() ? "<p class=\"none\">Brak.</p>\n" : Table(summary.behind, false);

  page += "<h2>Wersje programu</h2>\n<table>\n";
  for (const Summary::VersionCount& version : summary.versions) {
    const size_t percent = total ? (version.workstations * 100 + total / 2) / total : 0;
    page += "<tr><td>" + Html(VersionOrNone(version.version)) + "</td><td>" +
            FormatInteger(static_cast<int64_t>(version.workstations)) + "</td><td><span class=\"bar\" style=\"width:" +
            FormatInteger(static_cast<int64_t>(percent * 3)) + "px\"></span> " +
            FormatInteger(static_cast<int64_t>(percent)) + "%</td></tr>\n";
  }
  page += "</table>\n";

  if (!summary.unreadable.empty()) {
    page += "<h2>Pliki, których nie udało się odczytać</h2>\n<table><tr><th>Plik</th><th>Powód</th></tr>\n";
    for (const ReportEntry& entry : summary.unreadable)
      page += "<tr>" + Cell(entry.fileName) + Cell(entry.problem) + "</tr>\n";
    page += "</table>\n";
  }

  page += "<h2>Wszystkie stanowiska</h2>\n" + Table(summary.all, true);
  return page + "</body></html>\n";
}

std::string SummaryCsv(const Summary& summary) {
  std::string csv = "\xEF\xBB\xBFKomputer;Użytkownik;Ostatnie uruchomienie;Wersja programu;Wynik;Błąd – czas;Błąd\r\n";
  for (const StartReport& report : summary.all) {
    csv += CsvField(report.computer) + ";" + CsvField(report.user) + ";" + CsvField(report.time) + ";" +
           CsvField(ProgramVersion(report)) + ";" + CsvField(OutcomeLine(report)) + ";" +
           CsvField(report.failureTime) + ";" + CsvField(report.failure) + "\r\n";
  }
  return csv;
}

}  // namespace kolvex
