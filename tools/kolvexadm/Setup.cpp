#include "tools/kolvexadm/Setup.h"

#include <algorithm>

#include "common/Paths.h"
#include "common/Text.h"
#include "files/CopyVerified.h"
#include "tools/kolvexadm/Summary.h"
#include "update/Backup.h"
#include "update/InstallationFiles.h"
#include "update/Settings.h"

namespace kolvex {

namespace {

bool IsSwitch(std::string_view arg, std::string_view name) {
  return arg.size() == name.size() + 1 && (arg[0] == '/' || arg[0] == '-') &&
         SameTextIgnoringAsciiCase(arg.substr(1), name);
}

// A shortcut's name is a file name in the Start menu: no separator, no
// character the file system refuses, no trailing dot or blank it would drop.
bool IsShortcutName(std::string_view name) {
  if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
  return std::ranges::none_of(name, [](char c) {
    return (static_cast<unsigned char>(c) < 32) || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
  });
}

std::string_view KeyOf(std::string_view line) {
  const size_t equals = line.find('=');
  return equals == std::string_view::npos ? std::string_view() : Trim(line.substr(0, equals));
}

bool IsSectionLine(std::string_view line) { return !line.empty() && Trim(line).starts_with('['); }

bool IsSection(std::string_view line, std::string_view name) {
  const std::string_view trimmed = Trim(line);
  const size_t close = trimmed.find(']');
  return trimmed.starts_with('[') && close != std::string_view::npos &&
         SameTextIgnoringAsciiCase(Trim(trimmed.substr(1, close - 1)), name);
}

}  // namespace

std::optional<SetupRequest> ParseSetupArguments(const std::vector<std::string>& args, std::string& failure) {
  SetupRequest request;
  std::vector<std::string> positional;
  bool named = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (IsSwitch(args[i], "usluga") || IsSwitch(args[i], "usługa")) {
      request.perMachine = true;
    } else if (IsSwitch(args[i], "pulpit")) {
      request.desktop = true;
    } else if (IsSwitch(args[i], "nazwa")) {
      if (++i == args.size()) {
        failure = "Po /nazwa podaj nazwę skrótu.";
        return std::nullopt;
      }
      request.name = args[i];
      named = true;
    } else if (args[i].starts_with('/')) {
      failure = "Nieznany przełącznik " + args[i] + ".";
      return std::nullopt;
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 3) {
    failure = "Podaj katalog wspólny, katalog instalacji i nazwę pliku programu.";
    return std::nullopt;
  }
  request.share = positional[0];
  request.folder = positional[1];
  request.program = positional[2];
  if (!IsComponentName(request.program) || SameFileName(request.program, kLauncherName) ||
      IsServiceWayFile(request.program)) {
    failure = "Nieprawidłowa nazwa programu: " + request.program + ".";
    return std::nullopt;
  }
  if (!named) {
    const std::string file = ExtractFileName(request.program);
    request.name = file.substr(0, file.rfind('.') == 0 ? file.size() : std::min(file.size(), file.rfind('.')));
  }
  if (!IsShortcutName(request.name)) {
    failure = "Nazwa skrótu nie może być pusta ani zawierać znaków \\ / : * ? \" < > |: " + request.name + ".";
    return std::nullopt;
  }
  return request;
}

std::vector<Component> SetupFiles(const std::vector<Component>& components, const std::string& program) {
  std::vector<Component> files{{.name = std::string(kLauncherName), .compareMode = kCompareByVersion, .caption = {}}};
  const auto listed = [&files](std::string_view name) {
    return std::ranges::any_of(files, [name](const Component& file) { return SameFileName(file.name, name); });
  };
  for (const Component& component : components) {
    if (!SameFileName(component.name, program) && !SameFileName(component.name, kTurnFileName) &&
        !listed(component.name))
      files.push_back(component);
  }
  files.push_back({.name = program, .compareMode = kCompareByVersion, .caption = {}});
  return files;
}

SetupStep StepFor(std::uint8_t compareMode, const FileLook& look) {
  if (!look.installed) return SetupStep::Copy;
  int order = 0;  // the installed file against the share's
  if (compareMode == kCompareByDate) {
    order = look.installedDate == look.sharedDate ? 0 : look.installedDate.value > look.sharedDate.value ? 1 : -1;
  } else {
    if (look.installedVersion == look.sharedVersion) return SetupStep::Same;
    order = CompareVersions(look.installedVersion, look.sharedVersion);
  }
  return order > 0 ? SetupStep::KeepNewer : order == 0 ? SetupStep::Same : SetupStep::Copy;
}

std::string FillSettingsTemplate(std::string_view templateText, std::string_view sharedDir, bool perMachine) {
  std::string filled = "SHARED_DIR=" + std::string(sharedDir) + "\r\n";
  if (perMachine) filled += std::string(kUpdateKey) + "=" + std::string(kUpdateByService) + "\r\n";
  std::string out;
  bool inMain = false, mainSeen = false;
  size_t start = 0;
  while (start < templateText.size()) {
    size_t end = templateText.find('\n', start);
    end = end == std::string_view::npos ? templateText.size() : end + 1;
    std::string_view line = templateText.substr(start, end - start);
    start = end;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (IsSectionLine(line)) {
      inMain = !mainSeen && IsSection(line, kMainSection);
      out.append(line).append("\r\n");
      if (inMain) {
        out += filled;
        mainSeen = true;
      }
      continue;
    }
    const std::string_view key = KeyOf(line);
    if (inMain && (SameTextIgnoringAsciiCase(key, kSharedDirKey) || SameTextIgnoringAsciiCase(key, kUpdateKey)))
      continue;
    out.append(line).append("\r\n");
  }
  return mainSeen ? out : "[" + std::string(kMainSection) + "]\r\n" + filled + out;
}

bool IsInTheWay(const std::vector<std::string>& fileNames, const std::optional<std::string>& installedShare,
                std::string_view share, const std::vector<Component>& files) {
  if (installedShare && !SameFileName(Trim(*installedShare), share)) return true;
  return std::ranges::any_of(fileNames, [&files](const std::string& name) {
    const bool program = name.size() > 4 && SameFileName(name.substr(name.size() - 4), ".exe");
    return program && std::ranges::none_of(files, [&name](const Component& file) {
             return SameFileName(file.name, name) || SameFileName(BackupName(file.name, ""), name);
           });
  });
}

std::vector<std::string> InstallationFileNames(const std::vector<Component>& files) {
  std::vector<std::string> names{std::string(kSettingsFileName), std::string(kSetupLogName),
                                 std::string(kUpdateLogName), std::string(kTurnFileName)};
  for (const Component& file : files) {
    names.push_back(file.name);
    names.push_back(BackupName(file.name, ""));
  }
  return names;
}

bool IsInstallationFile(std::string_view entry, const std::vector<std::string>& names) {
  const std::string dir = ExtractFileDir(entry), file = ExtractFileName(entry);
  return std::ranges::any_of(names, [&](const std::string& name) {
    return SameFileName(name, entry) ||
           (SameFileName(ExtractFileDir(name), dir) && LeftoverOwner(ExtractFileName(name), file).has_value());
  });
}

std::string UninstallKeyName(std::string_view upperCasedFolder) {
  uint32_t hash = 2166136261u;  // FNV-1a: the same folder gives the same key on every computer
  for (const char c : upperCasedFolder) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  std::string key = "Kolvex-";
  for (int shift = 28; shift >= 0; shift -= 4) key += "0123456789ABCDEF"[(hash >> shift) & 15];
  return key;
}

std::string QuotedArgument(std::string_view argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) return std::string(argument);
  return "\"" + std::string(argument) + "\"";
}

}  // namespace kolvex
