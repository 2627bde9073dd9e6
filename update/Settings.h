#pragma once
// What baza.set tells the launcher: where the new versions are, and which
// files of the application besides the program follow them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/Signature.h"
#include "update/Components.h"
#include "update/Installation.h"
#include "update/InstallationFiles.h"

namespace kolvex {

inline constexpr std::string_view kMainSection = "MAIN";
inline constexpr std::string_view kSharedDirKey = "SHARED_DIR";
inline constexpr std::string_view kSharedTimeoutKey = "SHARED_TIMEOUT";
inline constexpr std::string_view kReportDirKey = "REPORT_DIR";
inline constexpr std::string_view kSignedByKey = "SIGNED_BY";
inline constexpr std::string_view kComponentsSection = "SKLADNIKI";
// AKTUALIZACJA=usluga in [MAIN]: users may not write the installation, and
// the update service updates it for them (the per-machine way); any other
// value, or none, leaves every start to update it.
inline constexpr std::string_view kUpdateKey = "AKTUALIZACJA";
inline constexpr std::string_view kUpdateByService = "usluga";

struct Settings {
  std::string sharedDir;  // SHARED_DIR of [MAIN], see SharedDirFromSetting
  std::string reportDir;  // REPORT_DIR of [MAIN] as written; empty: no start report
  ComponentList components;  // [SKLADNIKI]: the files to refresh and the entries refused
  std::uint32_t shareTimeBoxMs = 0;  // SHARED_TIMEOUT, see ShareTimeBoxMs
  SignerRule signers;                // SIGNED_BY, see ParseSignerRule
  bool updatedByService = false;     // AKTUALIZACJA=usluga (or "usługa"), in any case
};

// The shared directory for a SHARED_DIR value as read from the settings
// file: the value, or the sub-directory SHARED of exeDir when it is empty.
std::string SharedDirFromSetting(const std::string& value, const std::string& exeDir);

// Whether a value of AKTUALIZACJA chooses the update service: "usluga" or
// "usługa", in any case.
bool IsServiceUpdate(std::string_view value);

// The settings of a launcher living in exeDir, from the text of its baza.set
// (decoded to UTF-8; empty when there is no file).
Settings ParseSettings(std::string_view text, const std::string& exeDir);

// The installation in exeDir as its settings describe it, serving
// targetName: whoever updates it (a start, a service) takes the same shared
// directory and the same signers.
Installation SettingsInstallation(const std::string& exeDir, const Settings& settings, const std::string& targetName);

// What the launcher passes over in silence in the text of a baza.set, one
// Polish sentence each: sections and keys of [MAIN] it does not know, a
// value of AKTUALIZACJA it does not know,
// repeated sections and keys (the first counts), and entries of
// [SKLADNIKI] that hold ";" (a comment sign elsewhere, a field separator
// in none of them).
std::vector<std::string> SettingsWarnings(std::string_view text);

}  // namespace kolvex
