#include "launcher/biblKolvex.h"

#include <array>
#include <string_view>

#include "common/Exceptions.h"
#include "common/Global.h"
#include "launcher/Kolvex.h"

namespace kolvex {

namespace {

constexpr std::string_view kNoInstalledVersion = "brak";

// A share whose file changed under two copies in a row is being written to
// right now (a large copy of a new version under way): waiting would hold
// up the start for as long as that copy takes.
constexpr int kDecisionsAtMost = 3;

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

// The verified copy, its failures told in the update's message window.
CopyResult Copy(UpdateSystem& system, const std::string& source, const std::string& destination,
                const CopyAcceptance& accept = {}) {
  const ErrorSink showError = [&system](const std::string& text) { system.ShowMessage(text); };
  return CopyFileVerified(source, destination, system.Files(), showError, accept);
}

// The copy has already told the user why it failed; the run only has to stop.
void CopyOrAbort(UpdateSystem& system, const std::string& source, const std::string& destination) {
  if (Copy(system, source, destination) != CopyResult::Copied) throw EAbort();
}

// Whether the copy is the file the decision was taken on, by the mode's own measure.
bool IsTheDecidedFile(const UpdateSystem& system, uint8_t compareMode, const ComponentUpdate& update,
                      const std::string& copy) {
  switch (compareMode) {
    case kCompareByVersion:
      return system.FileVersion(copy) == update.newVersion;
    case kCompareByDate:
      return system.FileDate(copy) == update.newDate;
    default:
      return true;
  }
}

std::string StillChangingMessage(const std::string& src) {
  return "Nie można zaktualizować pliku: " + ExtractFileName(src) +
         "\r\rTen plik w katalogu wspólnym wciąż się zmienia, zapewne właśnie jest tam kopiowana jego nowa "
         "wersja. Zainstalowany program pozostał bez zmian.\r\rUruchom program ponownie za kilka minut.";
}

}  // namespace

std::string BackupName(const std::string& dst, const std::string& ext) {
  if (ext.empty()) return dst + "OLD";
  for (const BackupRule& rule : kBackupRules) {
    if (ext == rule.ext) return ChangeFileExt(dst, rule.backupExt);
  }
  return {};
}

bool NeedsUpdate(UpdateSystem& system, uint8_t compareMode, ComponentUpdate& update) {
  switch (compareMode) {
    case kCompareByVersion:
      update.newVersion = system.FileVersion(update.src);
      if (!system.Files().FileExists(update.dst)) {
        update.oldVersion = kNoInstalledVersion;
        return true;
      }
      update.oldVersion = system.FileVersion(update.dst);
      if (update.newVersion.empty() && !update.oldVersion.empty() && !system.IsCompleteImage(update.src)) return false;
      // Any difference counts: an older shared file replaces a newer local one.
      return update.newVersion != update.oldVersion;
    case kCompareByDate:
      update.newDate = system.FileDate(update.src);
      if (!system.Files().FileExists(update.dst)) {
        update.oldDate = DateTime{};
        return true;
      }
      update.oldDate = system.FileDate(update.dst);
      return update.newDate != update.oldDate;
    default:
      return false;
  }
}

std::string ComponentName(const std::string& fileName, const std::string& ext) {
  const std::string name = fileName.empty() ? NameFromTarget() : fileName;
  return ext.empty() ? name : ChangeFileExt(name, ext);
}

void UpdateComponent(UpdateSystem& system, const std::string& fileName, const std::string& ext, uint8_t compareMode,
                     const std::string& caption, bool showForm) {
  ComponentUpdate update;
  update.name = ComponentName(fileName, ext);
  update.src = JoinPath(SharedDir, update.name);
  update.dst = JoinPath(ExeDir, update.name);

  for (int decision = 1;; ++decision) {
    if (!system.Files().FileExists(update.src) || !NeedsUpdate(system, compareMode, update)) return;

    if (showForm && decision == 1)
      system.ShowProgress(caption.empty() ? system.UpperCase(ExtractFileName(update.src)) : caption);

    // The backup is a copy: the installed file stays in place until the
    // refresh overwrites it, so a failed refresh leaves it as it was (and a
    // decision taken again finds the backup already made).
    if (decision == 1) {
      if (system.Files().FileExists(update.dst)) {
        const std::string backup = BackupName(update.dst, ext);
        if (!backup.empty()) CopyOrAbort(system, update.dst, backup);
      } else {
        system.CreateDirectories(ExeDir, update.name);
      }
    }
    // The log must name what was installed: a copy of a shared file that
    // was replaced after the decision is not put in place.
    const CopyResult result = Copy(system, update.src, update.dst, [&](const std::string& copy) {
      return IsTheDecidedFile(system, compareMode, update, copy);
    });
    if (result == CopyResult::Failed) throw EAbort();
    if (result == CopyResult::Copied) break;
    if (decision == kDecisionsAtMost) {
      system.ShowMessage(StillChangingMessage(update.src));
      throw EAbort();
    }
  }
  system.WriteLog(fileName, compareMode, update);
}

}  // namespace kolvex
