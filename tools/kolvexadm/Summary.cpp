#include "tools/kolvexadm/Summary.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <numeric>

#include "common/Integers.h"
#include "common/Paths.h"
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
  switch (report.outcome) {
    case UpdateResult::ShareNotFound:
    case UpdateResult::ShareNotAnswering:
    case UpdateResult::ShareRefused:
    case UpdateResult::TurnRefused:
    case UpdateResult::ServiceUnavailable:
    case UpdateResult::ShareStopped:
      return true;
    default:
      return !report.failure.empty() || !report.refused.empty();
  }
}

// The page and the CSV are built by appending: thousands of rows, each of a
// few short cells.
void AppendHtml(std::string& out, std::string_view text) {
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
}

std::string Html(std::string_view text) {
  std::string out;
  AppendHtml(out, text);
  return out;
}

void AppendCell(std::string& out, std::string_view text) {
  out += "<td>";
  AppendHtml(out, text);
  out += "</td>";
}

// No version information, or a file that could not be read (held open by
// another program, as the file of a failed update may be).
std::string_view VersionOrNone(std::string_view version) { return version.empty() ? "(wersja nieznana)" : version; }

// What the last start did, in a few words.
std::string OutcomeLine(const StartReport& report) {
  std::string text(OutcomeText(report.outcome));
  if (!report.reason.empty()) text += ": " + report.reason;
  for (const std::string& change : report.changes) text += "\r" + change;
  for (const std::string& missing : report.missingOnShare) text += "\rbrak w katalogu wspólnym: " + missing;
  for (const std::string& refused : report.refused) text += "\rnie zainstalowano " + refused;
  for (const std::string& waiting : report.waiting) text += "\rczeka " + waiting + ": " + std::string(kWaitingReason);
  return text;
}

// A table of the reports at the given places of all.
void AppendTable(std::string& out, const std::vector<StartReport>& all, const std::vector<size_t>& places,
                 bool withFailure) {
  out += "<table><tr><th>Komputer</th><th>Użytkownik</th><th>Ostatnie uruchomienie</th><th>Wersja programu</th>"
         "<th>Wynik</th>";
  if (withFailure) out += "<th>Błąd – czas</th><th>Błąd</th>";
  out += "</tr>\n";
  for (const size_t place : places) {
    const StartReport& report = all[place];
    out += "<tr>";
    AppendCell(out, report.computer);
    AppendCell(out, report.user);
    AppendCell(out, report.time);
    AppendCell(out, VersionOrNone(ProgramVersion(report)));
    AppendCell(out, OutcomeLine(report));
    if (withFailure) {
      AppendCell(out, report.failureTime);
      out += "<td class=\"failure\">";
      AppendHtml(out, report.failure);
      out += "</td>";
    }
    out += "</tr>\n";
  }
  out += "</table>\n";
}

// A cell that a spreadsheet would run as a formula (one that begins with =,
// +, - or @, or with a tab or line break before one) is given a leading
// apostrophe, which makes it text: a report in the folder may be forged.
void AppendCsvField(std::string& out, std::string_view text) {
  constexpr std::string_view kFormulaStarts = "=+-@\t\r\n";
  out += '"';
  if (!text.empty() && kFormulaStarts.find(text.front()) != std::string_view::npos) out += '\'';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c == '\r' ? '\n' : c;
  }
  out += '"';
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
    if (SameFileName(file.name, report.program)) return file.version;
  }
  return {};
}

Summary Summarize(std::vector<ReportEntry> entries) {
  Summary summary;
  std::vector<StartReport> reports;
  std::vector<std::string> versions;  // of each report, found once
  std::map<std::string, size_t> counts;
  for (ReportEntry& entry : entries) {
    if (!entry.report) {
      summary.unreadable.push_back(std::move(entry));
      continue;
    }
    versions.push_back(ProgramVersion(*entry.report));
    ++counts[versions.back()];
    if (CompareVersions(versions.back(), summary.newestVersion) > 0) summary.newestVersion = versions.back();
    reports.push_back(std::move(*entry.report));
  }
  for (auto& [version, count] : counts) summary.versions.push_back({version, count});
  std::ranges::sort(summary.versions, [](const auto& a, const auto& b) {
    const int order = CompareVersions(a.version, b.version);
    return order != 0 ? order > 0 : a.version < b.version;
  });

  // Failures first, then the workstations behind, then the rest.
  const size_t count = reports.size();
  std::vector<bool> isBehind(count);
  std::vector<int> rank(count);
  for (size_t i = 0; i < count; ++i) {
    isBehind[i] = CompareVersions(versions[i], summary.newestVersion) < 0;
    rank[i] = NeedsAttention(reports[i]) ? 0 : isBehind[i] ? 1 : 2;
  }
  std::vector<size_t> order(count);
  std::iota(order.begin(), order.end(), size_t{0});
  std::ranges::sort(order, [&](size_t a, size_t b) {
    return rank[a] != rank[b] ? rank[a] < rank[b] : reports[a].computer < reports[b].computer;
  });
  summary.all.reserve(count);
  std::vector<std::string_view> sortedVersions;
  for (const size_t i : order) {
    const size_t place = summary.all.size();
    summary.all.push_back(std::move(reports[i]));
    sortedVersions.push_back(versions[i]);
    if (rank[i] == 0) summary.failures.push_back(place);
    if (isBehind[i]) summary.behind.push_back(place);
  }
  const auto failureTime = [&](size_t place) {
    return std::max(summary.all[place].failureTime, summary.all[place].time);
  };
  std::ranges::stable_sort(summary.failures, [&](size_t a, size_t b) { return failureTime(a) > failureTime(b); });
  std::ranges::stable_sort(summary.behind, [&](size_t a, size_t b) {
    const int order = CompareVersions(sortedVersions[a], sortedVersions[b]);
    return order != 0 ? order < 0 : summary.all[a].time < summary.all[b].time;
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

  page += "<h2>Wymagają uwagi: błędy, pliki odrzucone za podpis, brak dostępu do katalogu wspólnego "
          "lub prawa zapisu w instalacji</h2>\n";
  if (summary.failures.empty()) page += "<p class=\"none\">Brak.</p>\n";
  else AppendTable(page, summary.all, summary.failures, true);

  page += "<h2>Starsza wersja niż najnowsza" +
          (summary.newestVersion.empty() ? std::string() : " (" + Html(summary.newestVersion) + ")") + "</h2>\n";
  if (summary.behind.empty()) page += "<p class=\"none\">Brak.</p>\n";
  else AppendTable(page, summary.all, summary.behind, false);

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
    for (const ReportEntry& entry : summary.unreadable) {
      page += "<tr>";
      AppendCell(page, entry.fileName);
      AppendCell(page, entry.problem);
      page += "</tr>\n";
    }
    page += "</table>\n";
  }

  page += "<h2>Wszystkie stanowiska</h2>\n";
  std::vector<size_t> everyone(summary.all.size());
  std::iota(everyone.begin(), everyone.end(), size_t{0});
  AppendTable(page, summary.all, everyone, true);
  page += "</body></html>\n";
  return page;
}

std::string SummaryCsv(const Summary& summary) {
  std::string csv = "\xEF\xBB\xBFKomputer;Użytkownik;Ostatnie uruchomienie;Wersja programu;Wynik;Błąd – czas;Błąd\r\n";
  for (const StartReport& report : summary.all) {
    const std::string version = ProgramVersion(report), outcome = OutcomeLine(report);
    const std::string_view fields[] = {report.computer, report.user,        report.time,   version,
                                       outcome,         report.failureTime, report.failure};
    for (size_t i = 0; i < std::size(fields); ++i) {
      if (i > 0) csv += ';';
      AppendCsvField(csv, fields[i]);
    }
    csv += "\r\n";
  }
  return csv;
}

}  // namespace kolvex
