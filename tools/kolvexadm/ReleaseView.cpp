#include "tools/kolvexadm/ReleaseView.h"

#include <algorithm>

#include "common/Integers.h"
#include "common/Text.h"
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

}  // namespace kolvex
