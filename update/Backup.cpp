#include "update/Backup.h"

#include <array>
#include <string_view>

#include "common/Paths.h"

namespace kolvex {

namespace {

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

}  // namespace

std::string BackupName(const std::string& dst, const std::string& ext) {
  if (ext.empty()) return dst + "OLD";
  for (const BackupRule& rule : kBackupRules) {
    if (ext == rule.ext) return ChangeFileExt(dst, rule.backupExt);
  }
  return {};
}

}  // namespace kolvex
