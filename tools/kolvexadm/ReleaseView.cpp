#include "tools/kolvexadm/ReleaseView.h"

#include <algorithm>

#include "common/Integers.h"
#include "common/Text.h"
#include "tools/kolvexadm/Summary.h"
#include "update/StartReport.h"

namespace kolvex {

std::string ReleaseTable(const ReleaseFile& file) {
  if (!file.problem.empty()) return "Plik wydania wstrzymuje każde wydanie: " + file.problem + ".\n";
  const Release& release = file.release;
  std::string out = "Wersja: " + release.version + "\nPilotaż: ";
  std::string pilots = release.pilots.empty() ? std::string("(brak)") : release.pilots.substr(0, release.pilots.size() - 1);
  for (size_t comma = pilots.find(','); comma != std::string::npos; comma = pilots.find(',', comma + 2))
    pilots.insert(comma + 1, " ");
  out += pilots;
  out += "\nEtapy:\n  od                  procent\n";
  // By percentage, each as it opens (a stage dated before a smaller one opens with it).
  std::vector<ReleaseStage> stages = release.stages;
  std::ranges::stable_sort(stages, {}, &ReleaseStage::percent);
  for (const ReleaseStage& stage : stages)
    out += "  " + FormatSortableDateTime(StageOpens(release, stage)).substr(0, 16) + "    " +
           FormatInteger(stage.percent) + " %\n";
  if (stages.empty()) out += "  (brak: tylko pilotaż)\n";
  out += "Próg nieudanych pierwszych uruchomień: " + FormatInteger(release.failureLimit) + "\n";
  out += std::string("Wstrzymane ręcznie: ") + (release.halted ? "tak" : "nie") + "\n";
  out += std::string("Wycofanie po wstrzymaniu: ") + (release.rollBack ? "tak" : "nie") + "\n";
  return out;
}

std::vector<std::string> MarkersWithoutReport(const std::vector<std::string>& names) {
  std::vector<std::string> lone;
  for (const std::string& name : names) {
    const auto parts = MarkerParts(name);
    if (!parts) continue;
    const std::string report = StartReportFileName(parts->first);
    if (std::ranges::none_of(names, [&](const std::string& n) { return SameTextIgnoringAsciiCase(n, report); }))
      lone.push_back(name);
  }
  return lone;
}

std::vector<ReleaseTally> TallyReleases(const std::vector<StartReport>& reports) {
  std::vector<ReleaseTally> tallies;
  std::vector<std::string> newest;  // of each tally: the time of the report its stage and reason are from
  const auto tally = [&](std::string_view version) -> ReleaseTally& {
    const auto found = std::ranges::find(tallies, version, &ReleaseTally::version);
    if (found != tallies.end()) return *found;
    newest.emplace_back();
    return tallies.emplace_back(ReleaseTally{.version = std::string(version)});
  };
  for (const StartReport& report : reports) {
    const std::string_view line = report.release;
    const size_t colon = line.find(": ");
    const std::optional<ReleaseStep> step = ReleaseStepOfLine(line);
    if (!step) continue;
    ReleaseTally& release = tally(line.substr(0, colon));
    std::string& time = newest[&release - tallies.data()];
    if (step == ReleaseStep::Wait) ++release.waiting;
    if (step == ReleaseStep::Halted || step == ReleaseStep::HeldBack) ++release.halted;
    if (step == ReleaseStep::RollBack) ++release.rolledBack;
    if (report.time < time) continue;
    time = report.time;
    // "… (koszyk 57, etap 10 %)": the stage is the last part in brackets.
    const size_t comma = line.rfind(", "), open = line.rfind(" (");
    if ((step == ReleaseStep::Wait || step == ReleaseStep::Take) && comma != std::string_view::npos && comma > open)
      release.stage = line.substr(comma + 2, line.size() - comma - 3);
    if (step != ReleaseStep::Wait && step != ReleaseStep::Take)
      release.why = line.substr(colon + 2);
  }
  for (ReleaseTally& release : tallies) {
    for (const StartReport& report : reports) {
      if (ProgramVersion(report) == release.version) ++release.have;
      for (const std::string& failed : report.failedStarts) {
        if (failed.starts_with(release.version + ": "))
          release.failedStarts.push_back(report.computer + ": " + failed.substr(release.version.size() + 2));
      }
    }
  }
  std::ranges::sort(tallies, [](const ReleaseTally& a, const ReleaseTally& b) {
    return CompareVersions(a.version, b.version) > 0;
  });
  return tallies;
}

}  // namespace kolvex
