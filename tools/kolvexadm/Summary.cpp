#include "tools/kolvexadm/Summary.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <numeric>

#include "common/Integers.h"
#include "common/Paths.h"
#include "common/Text.h"
#include "update/Update.h"

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
      return !report.failure.empty() || !report.refused.empty() || !report.notStarted.empty();
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

// In the order of ShareStanding.
constexpr std::array<std::string_view, kShareStandings> kStandingTexts{
    "zgodna z katalogiem wspólnym", "starsza niż w katalogu wspólnym", "nowsza niż w katalogu wspólnym",
    "katalog wspólny nieodczytany", "wersja w katalogu wspólnym nieznana"};

// What the last start did, in a few words.
std::string OutcomeLine(const StartReport& report) {
  std::string text(ReportedOutcomeText(report));
  if (!report.reason.empty()) text += ": " + report.reason;
  if (!report.notStarted.empty()) text += "\rprogram nie został uruchomiony: " + report.notStarted;
  for (const std::string& change : report.changes) text += "\r" + change;
  for (const std::string& missing : report.missingOnShare) text += "\rbrak w katalogu wspólnym: " + missing;
  for (const std::string& refused : report.refused) text += "\rnie zainstalowano " + refused;
  for (const std::string& waiting : report.waiting) text += "\rczeka " + waiting + ": " + std::string(kWaitingReason);
  return text;
}

// A table of the reports at the given places of all.
void AppendTable(std::string& out, const Summary& summary, const std::vector<size_t>& places, bool withFailure) {
  out += "<table><tr><th>Komputer</th><th>Użytkownik</th><th>Ostatnie uruchomienie</th><th>Wersja programu</th>"
         "<th>W katalogu wspólnym</th><th>Względem katalogu wspólnego</th><th>Wynik</th>";
  if (withFailure) out += "<th>Błąd – czas</th><th>Błąd</th>";
  out += "</tr>\n";
  for (const size_t place : places) {
    const StartReport& report = summary.all[place];
    out += "<tr>";
    AppendCell(out, report.computer);
    AppendCell(out, report.user);
    AppendCell(out, report.time);
    AppendCell(out, VersionOrNone(ProgramVersion(report)));
    AppendCell(out, summary.offered[place]);
    AppendCell(out, StandingText(summary.standing[place]));
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

// A version or a date as the report gives it, against another of its kind:
// dates (YYYY-MM-DD hh:mm:ss) sort as text.
int CompareReported(std::string_view a, std::string_view b) {
  const auto isDate = [](std::string_view text) { return text.size() == 19 && text[4] == '-' && text[13] == ':'; };
  if (isDate(a) && isDate(b)) return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
  return CompareVersions(a, b);
}

// The installed files against an offer: a file the share does not hold, or
// whose version the start could not read on either side, tells nothing.
ShareStanding Measure(const std::vector<ReportedFile>& installed, const std::vector<ReportedFile>& offer) {
  bool ahead = false;
  for (const ReportedFile& offered : offer) {
    if (offered.version.empty() || offered.version == kNoInstalledVersion) continue;
    const auto file = std::ranges::find_if(installed, [&](const ReportedFile& f) { return SameFileName(f.name, offered.name); });
    if (file == installed.end() || file->version.empty()) continue;
    if (file->version == kNoInstalledVersion) return ShareStanding::Behind;
    const int order = CompareReported(file->version, offered.version);
    if (order < 0) return ShareStanding::Behind;
    ahead = ahead || order > 0;
  }
  return ahead ? ShareStanding::Ahead : ShareStanding::UpToDate;
}

// Shares named alike, by letters without case and without a closing separator.
std::string ShareKey(std::string_view sharedDir) {
  while (sharedDir.size() > 1 && (sharedDir.back() == '\\' || sharedDir.back() == '/')) sharedDir.remove_suffix(1);
  std::string key(sharedDir);
  for (char& c : key) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  return key;
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

std::string_view StandingText(ShareStanding standing) { return kStandingTexts[static_cast<size_t>(standing)]; }

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
    reports.push_back(std::move(*entry.report));
  }
  for (auto& [version, count] : counts) summary.versions.push_back({version, count});
  std::ranges::sort(summary.versions, [](const auto& a, const auto& b) {
    const int order = CompareVersions(a.version, b.version);
    return order != 0 ? order > 0 : a.version < b.version;
  });

  // The newest offer seen on each share named by a UNC path.
  const size_t count = reports.size();
  std::map<std::string, size_t> newestOffer;
  for (size_t i = 0; i < count; ++i) {
    if (reports[i].shareSight != ShareSight::Seen || !reports[i].sharedDir.starts_with("\\\\")) continue;
    const auto [seen, first] = newestOffer.try_emplace(ShareKey(reports[i].sharedDir), i);
    if (!first && reports[seen->second].time < reports[i].time) seen->second = i;
  }
  std::vector<ShareStanding> standing(count);
  std::vector<std::string> offered(count);
  for (size_t i = 0; i < count; ++i) {
    const StartReport& report = reports[i];
    if (report.shareSight != ShareSight::Seen) {
      standing[i] = report.shareSight == ShareSight::NotSeen ? ShareStanding::NotSeen : ShareStanding::Unknown;
      continue;
    }
    const auto newest = newestOffer.find(ShareKey(report.sharedDir));
    const StartReport& offer = newest == newestOffer.end() ? report : reports[newest->second];
    standing[i] = Measure(report.files, offer.sharedFiles);
    for (const ReportedFile& file : offer.sharedFiles) {
      if (SameFileName(file.name, report.program)) offered[i] = file.version;
    }
  }

  // Failures first, then the workstations behind, then the rest.
  std::vector<int> rank(count);
  for (size_t i = 0; i < count; ++i)
    rank[i] = NeedsAttention(reports[i]) ? 0 : standing[i] == ShareStanding::Behind ? 1 : 2;
  std::vector<size_t> order(count);
  std::iota(order.begin(), order.end(), size_t{0});
  std::ranges::sort(order, [&](size_t a, size_t b) {
    return rank[a] != rank[b] ? rank[a] < rank[b] : reports[a].computer < reports[b].computer;
  });
  summary.all.reserve(count);
  std::vector<std::string_view> sortedVersions;
  std::map<std::string, size_t> shareOf;
  std::vector<std::string> offerTimes;  // of each share: the time of the report its offered version is from
  for (const size_t i : order) {
    const size_t place = summary.all.size();
    summary.all.push_back(std::move(reports[i]));
    summary.standing.push_back(standing[i]);
    summary.offered.push_back(std::move(offered[i]));
    sortedVersions.push_back(versions[i]);
    if (rank[i] == 0) summary.failures.push_back(place);
    if (standing[i] == ShareStanding::Behind) summary.behind.push_back(place);
    ++summary.counts[static_cast<size_t>(standing[i])];
  }
  for (size_t place = 0; place < count; ++place) {
    const std::string& sharedDir = summary.all[place].sharedDir;
    const auto [group, added] = shareOf.try_emplace(ShareKey(sharedDir), summary.shares.size());
    if (added) {
      summary.shares.push_back({.sharedDir = sharedDir});
      offerTimes.emplace_back();
    }
    Summary::Share& share = summary.shares[group->second];
    share.places.push_back(place);
    ++share.counts[static_cast<size_t>(summary.standing[place])];
    // The program's version in the newest offer any of them saw.
    const StartReport& report = summary.all[place];
    if (report.shareSight == ShareSight::Seen && report.time >= offerTimes[group->second]) {
      offerTimes[group->second] = report.time;
      share.offered = summary.offered[place];
      share.sharedDir = sharedDir;
    }
  }
  std::ranges::sort(summary.shares, {}, [](const Summary::Share& share) { return ShareKey(share.sharedDir); });
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
  constexpr std::array<std::string_view, kShareStandings> kCountLabels{
      "Stanowiska zgodne z katalogiem wspólnym", "Stanowiska ze starszą wersją niż w katalogu wspólnym",
      "Stanowiska z nowszą wersją niż w katalogu wspólnym (wycofanie jeszcze nieprzyjęte)",
      "Stanowiska, które nie odczytały katalogu wspólnego",
      "Stanowiska z raportem starszej postaci (wersja w katalogu wspólnym nieznana)"};
  for (size_t i = 0; i < kShareStandings; ++i) count(kCountLabels[i], summary.counts[i]);
  count("Stanowiska wymagające uwagi", summary.failures.size());
  count("Pliki nieczytelne", summary.unreadable.size());
  page += "</table>\n";

  page += "<h2>Wymagają uwagi: błędy, program nieuruchomiony, pliki odrzucone za podpis, brak dostępu do katalogu wspólnego "
          "lub prawa zapisu w instalacji</h2>\n";
  if (summary.failures.empty()) page += "<p class=\"none\">Brak.</p>\n";
  else AppendTable(page, summary, summary.failures, true);

  // Each share with its workstations that are not as it offers.
  for (const Summary::Share& share : summary.shares) {
    page += "<h2>Katalog wspólny " + Html(share.sharedDir.empty() ? "(nie podano)" : share.sharedDir) +
            "</h2>\n<p>Wersja programu w katalogu wspólnym: " +
            Html(share.offered.empty() ? "(nieznana)" : share.offered) + "<br>";
    for (size_t i = 0; i < kShareStandings; ++i) {
      page += (i ? ", " : "") + std::string(StandingText(static_cast<ShareStanding>(i))) + ": <b>" +
              FormatInteger(static_cast<int64_t>(share.counts[i])) + "</b>";
    }
    page += "</p>\n";
    std::vector<size_t> notInStep;
    std::ranges::copy_if(share.places, std::back_inserter(notInStep),
                         [&](size_t place) { return summary.standing[place] != ShareStanding::UpToDate; });
    if (notInStep.empty()) page += "<p class=\"none\">Wszystkie stanowiska zgodne z katalogiem wspólnym.</p>\n";
    else AppendTable(page, summary, notInStep, false);
  }

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
  AppendTable(page, summary, everyone, true);
  page += "</body></html>\n";
  return page;
}

std::string SummaryCsv(const Summary& summary) {
  std::string csv = "\xEF\xBB\xBFKomputer;Użytkownik;Ostatnie uruchomienie;Wersja programu;Wynik;Błąd – czas;Błąd;"
                    "Katalog wspólny;W katalogu wspólnym;Względem katalogu wspólnego\r\n";
  for (size_t place = 0; place < summary.all.size(); ++place) {
    const StartReport& report = summary.all[place];
    const std::string version = ProgramVersion(report), outcome = OutcomeLine(report);
    const std::string_view fields[] = {report.computer,   report.user,      report.time,
                                       version,           outcome,          report.failureTime,
                                       report.failure,    report.sharedDir, summary.offered[place],
                                       StandingText(summary.standing[place])};
    for (size_t i = 0; i < std::size(fields); ++i) {
      if (i > 0) csv += ';';
      AppendCsvField(csv, fields[i]);
    }
    csv += "\r\n";
  }
  return csv;
}

}  // namespace kolvex
