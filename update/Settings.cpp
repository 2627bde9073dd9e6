#include "update/Settings.h"

#include "common/Paths.h"
#include "common/Text.h"
#include "update/ShareProbe.h"

namespace kolvex {

std::string SharedDirFromSetting(const std::string& value, const std::string& exeDir) {
  return value.empty() ? JoinPath(exeDir, "SHARED") : value;
}

bool IsServiceUpdate(std::string_view value) {
  return SameTextIgnoringAsciiCase(value, kUpdateByService) || SameTextIgnoringAsciiCase(value, "usługa") ||
         SameTextIgnoringAsciiCase(value, "USŁUGA");
}

Settings ParseSettings(std::string_view text, const std::string& exeDir) {
  const IniText ini(text);
  const bool serviceWay = IsServiceUpdate(ini.Value(kMainSection, kUpdateKey).value_or(""));
  return {SharedDirFromSetting(ini.Value(kMainSection, kSharedDirKey).value_or(""), exeDir),
          ini.Value(kMainSection, kReportDirKey).value_or(""), ParseComponents(ini.Entries(kComponentsSection), serviceWay),
          ShareTimeBoxMs(ini.Value(kMainSection, kSharedTimeoutKey).value_or("")),
          ParseSignerRule(ini.Value(kMainSection, kSignedByKey).value_or("")),
          serviceWay};
}

Installation SettingsInstallation(const std::string& exeDir, const Settings& settings, const std::string& targetName) {
  return {.exeDir = exeDir, .sharedDir = settings.sharedDir, .targetName = targetName, .signers = settings.signers};
}

}  // namespace kolvex
