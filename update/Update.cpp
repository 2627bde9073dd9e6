#include "update/Update.h"

#include "common/DateTime.h"
#include "common/Paths.h"
#include "common/ScopeExit.h"
#include "common/Unicode.h"
#include "update/Backup.h"
#include "update/UpdateTurn.h"

namespace kolvex {

namespace {

// How many times one component is decided on and copied before the share
// is taken to be changing. A share whose file changed under two copies in a
// row is being written to right now (a large copy of a new version under
// way): waiting would hold up the start for as long as that copy takes.
constexpr int kDecisionsAtMost = 3;

// Name of the component when UpdateComponent is given none: the target's
// name without its first character (a whole character, not a UTF-8 byte).
std::string NameFromTarget(const std::string& targetName) {
  size_t next = targetName.empty() ? 0 : 1;
  while (next < targetName.size() && IsUtf8Continuation(targetName[next])) ++next;
  return targetName.substr(next);
}

// The name of the component UpdateComponent refreshes for these arguments.
std::string ComponentName(const Installation& installation, const std::string& fileName, const std::string& ext) {
  const std::string name = fileName.empty() ? NameFromTarget(installation.targetName) : fileName;
  return ext.empty() ? name : ChangeFileExt(name, ext);
}

// The verified copy, its failure's message kept for the caller to show.
CopyResult Copy(CopySystem& files, const std::string& source, const std::string& destination, std::string& failure,
                const CopyAcceptance& accept = {}, const CopyProgress& progress = {}) {
  const ErrorSink keep = [&failure](const std::string& text) { failure = text; };
  return CopyFileVerified(source, destination, files, keep, accept, progress);
}

// Marks a component's update as failed: outcome.failure already says why.
bool MarkFailed(UpdateOutcome& outcome) {
  outcome.result = UpdateResult::Failed;
  return false;
}

// Ends a component's update whose copy failed. A listed file that another
// program holds open (a help file that a user of a terminal server has open)
// does not stop the start: it waits, as it was, for a later start; so does
// the program where the environment says so.
bool CopyFailed(UpdateOutcome& outcome, const UpdateEnvironment& env, const std::string& fileName,
                const ComponentUpdate& update, bool listed) {
  if (!(listed || env.programWaits) || !env.files.IsHeldOpen(update.dst)) return MarkFailed(outcome);
  outcome.failure.clear();
  env.record.Waiting(fileName, update);
  outcome.waiting.push_back(update.name);
  return true;
}

// Whether the copy is the file the decision was taken on, by the mode's own measure.
bool IsTheDecidedFile(FileFacts& facts, uint8_t compareMode, const ComponentUpdate& update, const std::string& copy) {
  switch (compareMode) {
    case kCompareByVersion:
      return facts.FileVersion(copy) == update.newVersion;
    case kCompareByDate:
      return facts.FileDate(copy) == update.newDate;
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

bool NeedsUpdate(CopySystem& files, FileFacts& facts, uint8_t compareMode, ComponentUpdate& update) {
  switch (compareMode) {
    case kCompareByVersion:
      update.newVersion = facts.FileVersion(update.src);
      if (!files.FileExists(update.dst)) {
        update.oldVersion = kNoInstalledVersion;
        return true;
      }
      update.oldVersion = facts.FileVersion(update.dst);
      if (update.newVersion.empty() && !update.oldVersion.empty() && !facts.IsCompleteImage(update.src)) return false;
      // Any difference counts: an older shared file replaces a newer local one.
      return update.newVersion != update.oldVersion;
    case kCompareByDate:
      update.newDate = facts.FileDate(update.src);
      if (!files.FileExists(update.dst)) {
        update.oldDate = DateTime{};
        return true;
      }
      update.oldDate = facts.FileDate(update.dst);
      return update.newDate != update.oldDate;
    default:
      return false;
  }
}

namespace {

// UpdateComponent into outcome: the component's update added to it and the
// result Updated, or the result Failed; false when it failed.
bool UpdateInto(UpdateOutcome& outcome, const UpdateEnvironment& env, const Installation& installation,
                const std::string& fileName, const std::string& ext, uint8_t compareMode, const std::string& caption,
                bool tell) {
  ComponentUpdate update;
  update.name = ComponentName(installation, fileName, ext);
  update.src = JoinPath(installation.sharedDir, update.name);
  update.dst = JoinPath(installation.exeDir, update.name);
  update.compareMode = compareMode;

  const CopyProgress progress = [&env](uint64_t done, uint64_t total) { env.progress.Copying(done, total); };
  std::string& failure = outcome.failure;
  for (int decision = 1;; ++decision) {
    if (!env.files.FileExists(update.src) || !NeedsUpdate(env.files, env.facts, compareMode, update)) return true;

    // A share file refused before and unchanged since is not copied again.
    SharedFileFacts shared;
    if (env.refusals) {
      shared = {env.files.GetFileSizeByName(update.src), FormatSortableDateTime(env.facts.FileDate(update.src)),
                compareMode == kCompareByVersion ? update.newVersion : std::string()};
      if (std::optional<std::string> reason = env.refusals->Refusal(update.name, shared)) {
        outcome.refused.push_back({update.name, std::move(*reason)});
        return true;
      }
    }
    if (decision == 1) tell ? env.progress.Refreshing(update.name, caption) : env.progress.RefreshingProgram(update.name);
    if (decision == 1 && !env.files.FileExists(update.dst)) env.files.CreateDirectories(installation.exeDir, update.name);

    // The log must name what was installed: a copy of a shared file that
    // was replaced after the decision is not put in place. Its signature is
    // checked on the very bytes that would be installed, and the copy checked
    // stays unwritable until it is in place. The backup is made only of a file
    // about to be replaced, so that a refused copy leaves the older backup as
    // it was; it is a copy: the installed file stays in place until the
    // refresh overwrites it.
    std::optional<SignatureVerdict> verdict;
    bool backupFailed = false;
    const CopyAcceptance isDecided = [&](const std::string& copy) {
      if (!IsTheDecidedFile(env.facts, compareMode, update, copy)) return false;
      verdict = CheckSignature(installation.signers, env.signatures, copy, update.dst);
      if (verdict && verdict->kind != SignatureVerdict::Accepted) return false;
      const std::string backup = BackupName(update.dst, ext);
      backupFailed = !backup.empty() && env.files.FileExists(update.dst) &&
                     Copy(env.files, update.dst, backup, failure) != CopyResult::Copied;
      return !backupFailed;
    };
    const ScopeExit letGo([&] { env.signatures.LetGo(); });
    const CopyResult result = Copy(env.files, update.src, update.dst, failure, isDecided, progress);
    if (result == CopyResult::Failed || backupFailed) return CopyFailed(outcome, env, fileName, update, tell);
    if (result == CopyResult::Copied) {
      if (env.refusals) env.refusals->Forget(update.name);
      break;
    }
    if (verdict && verdict->kind != SignatureVerdict::Accepted) {
      outcome.refused.push_back({update.name, RefusalReason(*verdict)});
      if (env.refusals) env.refusals->Remember(update.name, shared, outcome.refused.back().reason);
      return true;
    }
    if (decision == kDecisionsAtMost) {
      failure = StillChangingMessage(update.src);
      return MarkFailed(outcome);
    }
  }
  env.record.Refreshed(fileName, update);
  outcome.result = UpdateResult::Updated;
  outcome.updates.push_back(std::move(update));
  return true;
}

}  // namespace

UpdateOutcome UpdateComponent(const UpdateEnvironment& environment, const Installation& installation,
                              const std::string& fileName, const std::string& ext, uint8_t compareMode,
                              const std::string& caption, bool tell) {
  UpdateOutcome outcome;
  UpdateInto(outcome, environment, installation, fileName, ext, compareMode, caption, tell);
  return outcome;
}

namespace {

// each(component, listed) for the listed components in file order, then for
// the program (listed false) compared by version, while each returns true.
// Listed too, the program is done once, and a listed turn file never.
template <typename Each>
void ForEachFile(const Installation& installation, const std::vector<Component>& components, Each each) {
  for (const Component& component : components) {
    if (!SameFileName(component.name, installation.targetName) && !SameFileName(component.name, kTurnFileName) &&
        !each(component, true))
      return;
  }
  each(Component{.name = installation.targetName, .compareMode = kCompareByVersion, .caption = {}}, false);
}

}  // namespace

UpdateOutcome UpdateInstallation(const UpdateEnvironment& environment, const Installation& installation,
                                 const std::vector<Component>& components) {
  UpdateOutcome outcome;
  ForEachFile(installation, components, [&](const Component& component, bool listed) {
    return UpdateInto(outcome, environment, installation, component.name, "", component.compareMode,
                      component.caption, listed);
  });
  return outcome;
}

bool InstallationDiffers(CopySystem& files, FileFacts& facts, const Installation& installation,
                         const std::vector<Component>& components) {
  bool differs = false;
  ForEachFile(installation, components, [&](const Component& component, bool) {
    ComponentUpdate update{.src = JoinPath(installation.sharedDir, component.name),
                           .dst = JoinPath(installation.exeDir, component.name)};
    differs = files.FileExists(update.src) && NeedsUpdate(files, facts, component.compareMode, update);
    return !differs;
  });
  return differs;
}

}  // namespace kolvex
