#include "launcher/biblKolvex.h"

#include <array>
#include <string_view>

#include "common/Exceptions.h"
#include "common/Global.h"
#include "launcher/Kolvex.h"

namespace kolvex {

namespace {

constexpr std::string_view kNoInstalledVersion = "brak";

struct BackupRule {
  std::string_view ext;        // as given to UpdateComponent, case-sensitive
  std::string_view backupExt;  // replaces the installed file's extension
};

constexpr std::array<BackupRule, 4> kBackupRules{{
    {".EXE", ".EXEOLD"},
    {".HLP", ".HLPOLD"},
    {".CNT", ".CNTOLD"},
    {".CHM", ".CHMOLD"},
}};

// Name of the component when UpdateComponent is given none: TargetName
// without its first character (a whole character, not a UTF-8 byte).
std::string NameFromTarget() {
  size_t next = TargetName.empty() ? 0 : 1;
  while (next < TargetName.size() && (static_cast<unsigned char>(TargetName[next]) & 0xC0) == 0x80) ++next;
  return TargetName.substr(next);
}

// The copy has already told the user why it failed; the run only has to stop.
void CopyOrAbort(UpdateSystem& system, const std::string& source, const std::string& destination) {
  if (!system.CopyVerified(source, destination)) throw EAbort();
}

}  // namespace

std::string BackupName(const std::string& dst, const std::string& ext) {
  if (ext.empty()) return dst + "OLD";
  for (const BackupRule& rule : kBackupRules) {
    if (ext == rule.ext) return ChangeFileExt(dst, rule.backupExt);
  }
  return {};
}

bool NeedsUpdate(const UpdateSystem& system, uint8_t compareMode, ComponentUpdate& update) {
  switch (compareMode) {
    case kCompareByVersion:
      update.NewVersion = system.FileVersion(update.Src);
      if (!system.FileExists(update.Dst)) {
        update.OldVersion = kNoInstalledVersion;
        return true;
      }
      update.OldVersion = system.FileVersion(update.Dst);
      // Any difference counts: an older shared file replaces a newer local one.
      return update.NewVersion != update.OldVersion;
    case kCompareByDate:
      update.NewDate = system.FileDate(update.Src);
      if (!system.FileExists(update.Dst)) {
        update.OldDate = DateTime{};
        return true;
      }
      update.OldDate = system.FileDate(update.Dst);
      return update.NewDate != update.OldDate;
    default:
      return false;
  }
}

void UpdateComponent(UpdateSystem& system, const std::string& fileName, const std::string& ext, uint8_t compareMode,
                     const std::string& caption, bool showForm) {
  ComponentUpdate update;
  update.Name = fileName.empty() ? NameFromTarget() : fileName;
  if (!ext.empty()) update.Name = ChangeFileExt(update.Name, ext);
  update.Src = JoinPath(SharedDir, update.Name);
  update.Dst = JoinPath(ExeDir, update.Name);

  if (!system.FileExists(update.Src) || !NeedsUpdate(system, compareMode, update)) return;

  if (showForm) system.ShowProgress(caption.empty() ? system.UpperCase(ExtractFileName(update.Src)) : caption);

  // The backup is a copy: the installed file stays in place until the
  // refresh overwrites it, so a failed refresh leaves it as it was.
  if (system.FileExists(update.Dst)) {
    const std::string backup = BackupName(update.Dst, ext);
    if (!backup.empty()) CopyOrAbort(system, update.Dst, backup);
  }
  CopyOrAbort(system, update.Src, update.Dst);
  system.WriteLog(fileName, compareMode, update);
}

}  // namespace kolvex
