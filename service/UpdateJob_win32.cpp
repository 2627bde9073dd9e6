#include "service/UpdateJob_win32.h"

#include <windows.h>

#include <exception>
#include <mutex>

#include "common/Exceptions.h"
#include "common/Paths.h"
#include "common/win32/ErrorMode.h"
#include "common/win32/Utf.h"
#include "files/Signature_win32.h"
#include "update/Leftovers.h"
#include "update/RefusalMemory_win32.h"
#include "update/ServiceWayPaths_win32.h"
#include "update/Settings_win32.h"
#include "update/ShareProbe_win32.h"
#include "update/Update.h"
#include "update/ShareRequests_win32.h"
#include "update/UpdateLog_win32.h"
#include "common/ScopeExit.h"
#include "common/win32/Files.h"
#include "common/win32/TimeBox.h"
#include "update/ShareProbe.h"
#include "service/FolderSafety_win32.h"
#include "service/ShareView_win32.h"
#include "service/UpdateRules.h"

namespace kolvex {

namespace {

// As long as a start waits for its own turn in today's way.
constexpr auto kTurnWait = std::chrono::minutes(1);
// A request to the share without a sign of life for longer than this stops
// the keep-alive: well within the shortest time-box a start waits (1 s)
// for the next word of the service, and short of the time the service
// itself gives the share, so that its own verdict reaches the start first.
constexpr DWORD kStalledMs = 1000;

// The update's progress for the starts that asked: the name of each file as
// its copy begins, which they show in the "Aktualizacja" window while the
// copy lasts. The program itself has no caption of its own: its name is told
// when its copy begins.
class ReplyProgress final : public UpdateProgress {
 public:
  ReplyProgress(SharedReplies& replies, std::string programName)
      : replies_(replies), programName_(std::move(programName)) {}

  void Refreshing(const std::string& name, const std::string& caption) override {
    Tell(caption.empty() ? UpperCase(ExtractFileName(name)) : caption);
  }
  // Told when its copy begins, below.
  void RefreshingProgram(const std::string&) override {}
  void Copying(uint64_t, uint64_t) noexcept override {
    if (told_) return;
    try {
      Tell(programName_);
    } catch (...) {  // no memory for a caption: the starts show nothing
    }
  }
  // The service takes turns on its own (RequestBoard::Turn).
  void WaitingForTurn(const std::string&) override {}
  // The file is in: the next copy is another file's.
  void FileDone() { told_ = false; }

 private:
  void Tell(const std::string& caption) {
    replies_.Add(EncodeReply(ProgressReply{caption}), false);
    told_ = true;
  }

  SharedReplies& replies_;
  std::string programName_;
  bool told_ = false;
};

// The update log of the installation, as a start keeps it, shared with
// its readers. Anybody may read the log of a per-machine installation: one
// who keeps it from being written does not make a finished update fail, the
// outcome only says so (Failure).
class LoggedRecord final : public UpdateRecord {
 public:
  LoggedRecord(const std::string& exeDir, ReplyProgress& progress) : log_(exeDir, true), progress_(progress) {}
  void Refreshed(const std::string& fileName, const ComponentUpdate& update) override {
    Keep([&] { log_.Refreshed(fileName, update); });
    progress_.FileDone();
  }
  void Waiting(const std::string& fileName, const ComponentUpdate& update) override {
    Keep([&] { log_.Waiting(fileName, update); });
    progress_.FileDone();
  }
  // Why a line could not be written, the first time.
  const std::string& Failure() const { return failure_; }

 private:
  template <typename Write>
  void Keep(Write write) {
    try {
      write();
    } catch (const EInOutError& e) {
      if (failure_.empty()) failure_ = "nie zapisano dziennika aktualizacji: " + std::string(e.what());
    }
  }

  UpdateLogFile log_;
  ReplyProgress& progress_;
  std::string failure_;
};

// The system's copy, its requests to the share bounded (ShareRequests), which
// reads nothing from the share through a link below the shared directory:
// the parts of a file to copy from it are looked at once more right before
// the copy opens it, as the share may have changed since the update began.
class ShareCopySystem final : public ShareRequests {
 public:
  ShareCopySystem(RequestWatch& watch, std::string sharedDir)
      : ShareRequests(watch, sharedDir), watch_(watch), sharedDir_(std::move(sharedDir)),
        prefix_(JoinPath(sharedDir_, "")) {}
  std::optional<std::string> Copy(const std::string& from, const std::string& to,
                                  const CopyProgress& progress) override {
    if (from.starts_with(prefix_)) {
      if (std::optional<std::string> refusal =
              watch_.Ask([&] { return ShareLinkRefusal(sharedDir_, from.substr(prefix_.size())); }))
        return refusal;
    }
    return ShareRequests::Copy(from, to, progress);
  }

 protected:
  // The file itself is opened: a link put in its place since the check is not followed.
  unsigned long SourceFlags(const std::string& from) override {
    return from.starts_with(prefix_) ? FILE_FLAG_OPEN_REPARSE_POINT : 0;
  }

 private:
  RequestWatch& watch_;
  std::string sharedDir_, prefix_;
};

std::vector<std::string> FoldersWritten(const Settings& settings, const std::string& programName) {
  std::vector<std::string> folders = FoldersOnTheWay(programName);
  for (const Component& component : settings.components.components) {
    for (std::string& folder : FoldersOnTheWay(component.name)) folders.push_back(std::move(folder));
  }
  return folders;
}

// The update as bounded work: each request to the share within the share's
// time-box, and the whole at most until its deadline. Once given up on it
// belongs to its thread, which ends at its next request; it owns all it uses.
struct UpdateWork final : BoundedWork {
  UpdateWork(Installation installation, Settings settings, std::string path, std::string program,
             std::shared_ptr<SharedReplies> replies, std::chrono::steady_clock::time_point until)
      : BoundedWork(settings.shareTimeBoxMs ? settings.shareTimeBoxMs : INFINITE),
        installation(std::move(installation)), settings(std::move(settings)), path(std::move(path)),
        program(std::move(program)), replies(std::move(replies)), until(until) {}

  void Run(RequestWatch& watch) override {
    refusal = watch.Ask([&] { return ShareRefusal(settings, program); });
    if (refusal) return;
    ShareCopySystem files(watch, installation.sharedDir);
    WindowsSignatureReader signatures;
    ReplyProgress progress(*replies, UpperCase(ExtractFileName(program)));
    LoggedRecord record(path, progress);
    const std::vector<Component>& components = settings.components.components;
    RemoveLeftoversOfEndedRuns(files, path, components, program);
    // The service keeps the installation's memory of refused files, as a start of today's way does.
    RefusalMemory refusals = ReadRefusalMemory(path);
    outcome = UpdateInstallation({.files = files,
                                  .facts = files,
                                  .signatures = signatures,
                                  .progress = progress,
                                  .record = record,
                                  .refusals = &refusals,
                                  .programWaits = true},
                                 installation, components);
    KeepRefusalMemory(path, refusals);
    if (outcome.result != UpdateResult::Failed && !record.Failure().empty()) outcome.reason = record.Failure();
  }
  // The starts hear from the service only while the share answers.
  void WhileWaiting() override { replies->Stalled(RequestSilence() > kStalledMs); }
  bool Expired() override { return std::chrono::steady_clock::now() >= until; }

  const Installation installation;
  const Settings settings;
  const std::string path, program;
  const std::shared_ptr<SharedReplies> replies;
  const std::chrono::steady_clock::time_point until;
  std::optional<std::string> refusal;
  UpdateOutcome outcome;
};

// The update in the installation's turn, or why the service will not do it.
std::variant<UpdateOutcome, RefusedReply> Update(const ServiceRequest& request, const std::string& path,
                                                 std::uint32_t session, RequestBoard& board,
                                                 const std::shared_ptr<SharedReplies>& replies) {
  const auto until = std::chrono::steady_clock::now() + kWorkMost;
  std::unique_lock turn(board.Turn(request.folder), std::defer_lock);
  if (!turn.try_lock()) {
    // One waiting request of a session per installation: more would only hold threads.
    if (!board.Queue(session, request.folder))
      return RefusedReply{"z tej sesji czeka już inne żądanie aktualizacji tej instalacji"};
    const ScopeExit unqueue([&] { board.Unqueue(session, request.folder); });
    if (!turn.try_lock_for(kTurnWait)) return RefusedReply{"inna aktualizacja tej instalacji trwa zbyt długo"};
  }
  Settings settings;
  const std::string& program = request.programName;
  if (std::optional<std::string> refusal = UpdateRefusal(path, request.folder, program, settings))
    return RefusedReply{*refusal};
  if (std::optional<std::string> refusal = SubFolderRefusal(path, FoldersWritten(settings, program)))
    return RefusedReply{*refusal};

  const Installation installation = SettingsInstallation(path, settings, program);
  const NoCriticalErrorBoxes noPrompts;
  if (std::optional<UpdateOutcome> without = OutcomeWithoutShare(installation.sharedDir, settings.shareTimeBoxMs))
    return std::move(*without);
  auto work = std::make_unique<UpdateWork>(installation, settings, path, program, replies, until);
  if (RunBounded(*work)) {
    if (work->refusal) return RefusedReply{*work->refusal};
    return std::move(work->outcome);
  }
  work.release();  // its thread's now
  if (std::chrono::steady_clock::now() >= until) return RefusedReply{WorkTimeUp()};
  // Given up on where it stood: no file it had not finished took an installed one's place.
  if (FileExists(JoinPath(path, program))) return UpdateOutcome{.result = UpdateResult::ShareStopped};
  return UpdateOutcome{.result = UpdateResult::Failed, .failure = ShareStoppedFailure(UpperCase(ExtractFileName(program)))};
}

std::vector<ServiceReply> Replies(const UpdateOutcome& outcome) {
  std::vector<ServiceReply> replies;
  for (const ComponentUpdate& update : outcome.updates) replies.push_back(UpdatedReply{update});
  for (const RefusedUpdate& refused : outcome.refused) replies.push_back(SkippedReply{refused});
  for (const std::string& name : outcome.waiting) replies.push_back(WaitingReply{name});
  replies.push_back(FinishedReply{outcome.result, outcome.failure, outcome.reason});
  return replies;
}

}  // namespace

std::optional<std::string> UpdateRefusal(const std::string& path, const FolderIdentity& folder,
                                         const std::string& program, Settings& settings) {
  if (std::optional<std::string> refusal = FolderRefusal(path, folder)) return refusal;
  if (std::optional<std::string> refusal = SettingsFileRefusal(path)) return refusal;
  std::optional<Settings> read = ReadSettingsWithin(path);
  if (!read) return SettingsNotInTime();
  settings = std::move(*read);
  if (!settings.updatedByService)
    return "plik baza.set tej instalacji nie wybiera usługi aktualizacji (" + std::string(kUpdateKey) + "=" +
           std::string(kUpdateByService) + ")";
  if (std::optional<std::string> fault = ServiceWayPathsRefusal(settings)) return fault;
  return ProgramRefusal(path, program, settings);
}

std::optional<std::string> ProgramRefusal(const std::string& path, const std::string& program,
                                          const Settings& settings) {
  if (IsServiceWayFile(program)) return "usługa aktualizacji nie zastępuje pliku " + program;
  // Only what the administrator installed or listed: any other name would
  // bring into the installation whatever a user found on the share.
  if (IsListed(program, settings.components.components)) return std::nullopt;
  if (std::optional<std::string> refusal = SubFolderRefusal(path, FoldersOnTheWay(program))) return refusal;
  return InstalledProgramRefusal(path, program);
}

std::optional<std::string> ShareRefusal(const Settings& settings, const std::string& program) {
  std::vector<std::string> names;
  if (!program.empty()) names.push_back(program);
  for (const Component& component : settings.components.components) names.push_back(component.name);
  std::vector<std::string> folders;
  for (const std::string& name : names) {
    if (std::optional<std::string> refusal = ShareLinkRefusal(settings.sharedDir, name)) return refusal;
    for (std::string& folder : FoldersOnTheWay(name)) folders.push_back(std::move(folder));
  }
  // A folder of this computer that users may change would ship their code
  // to everybody; signed files are judged by their signature instead.
  if (settings.signers.Active()) return std::nullopt;
  return LocalShareRefusal(settings.sharedDir, folders);
}

std::string WorkTimeUp() {
  return "usługa aktualizacji przerwała pracę nad tym żądaniem po " +
         std::to_string(std::chrono::duration_cast<std::chrono::minutes>(kWorkMost).count()) + " min";
}

void RunUpdate(const UpdateKey& key, const ServiceRequest& request, const std::string& path, std::uint32_t session,
               RequestBoard& board, const std::shared_ptr<SharedReplies>& replies) noexcept {
  const ScopeExit leave([&] { board.Leave(session); });
  std::vector<ServiceReply> last;
  try {
    auto done = Update(request, path, session, board, replies);
    last = std::holds_alternative<UpdateOutcome>(done) ? Replies(std::get<UpdateOutcome>(done))
                                                       : std::vector<ServiceReply>{std::get<RefusedReply>(done)};
  } catch (const std::exception& e) {
    // What a start would have shown in its error box (the log could not be
    // written, no memory): the start shows it as a failed update.
    last = {FinishedReply{.result = UpdateResult::Failed, .failure = e.what()}};
  } catch (...) {
    last = {FinishedReply{.result = UpdateResult::Failed, .failure = "Nieznany błąd usługi aktualizacji."}};
  }
  board.Finished(key);
  try {
    for (size_t i = 0; i < last.size(); ++i) replies->Add(EncodeReply(last[i]), i + 1 == last.size());
  } catch (...) {
    replies->End();  // no memory for the last reply: its starts are told the connection ended
  }
}

}  // namespace kolvex
