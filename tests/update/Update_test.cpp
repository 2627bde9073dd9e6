#include "update/Update.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "common/Exceptions.h"

namespace kolvex {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;
using ::testing::StartsWith;

// Files by path, each with its version string and date; copies move them
// around, and every effect the update has is written down in order: the
// progress and the record only record, as a caller without windows would.
class FakeSystem final : public CopySystem, public FileFacts, public UpdateProgress, public UpdateRecord {
 public:
  struct File {
    std::string version;
    double date = 0;
    std::string bytes;
  };
  std::map<std::string, File> files;
  std::set<std::string> failingCopiesTo;
  std::set<std::string> heldOpen;  // by another program
  std::vector<File> sharedReplacedMeanwhile;  // each copy of a shared file finds the next one
  std::vector<std::string> effects;  // "copy A > B", "progress NAME|CAPTION", "log ..."
  std::vector<std::string> directoriesFor;  // "base name"
  std::vector<std::string> versionQueries;
  std::vector<uint64_t> copied;  // the progress's byte counts
  std::optional<ComponentUpdate> logged;
  bool logFails = false;

  struct Signatures final : SignatureReader {  // no Windows programs unless given their facts
    std::optional<SignatureFacts> Read(const std::string& path) override {
      asked.push_back(path);
      return facts;
    }
    std::optional<SignatureFacts> facts;
    std::vector<std::string> asked;
  } signatures;

  UpdateEnvironment Env() {
    return {.files = *this, .facts = *this, .signatures = signatures, .progress = *this, .record = *this};
  }

  bool FileExists(const std::string& path) override { return files.contains(path); }
  std::string FileVersion(const std::string& path) override {
    versionQueries.push_back(path);
    const auto found = files.find(path);
    return found == files.end() ? std::string() : found->second.version;
  }
  DateTime FileDate(const std::string& path) override { return DateTime{files.at(path).date}; }
  bool IsCompleteImage(const std::string&) override { return true; }
  void Refreshing(const std::string& name, const std::string& caption) override {
    effects.push_back("progress " + name + "|" + caption);
  }
  void RefreshingProgram(const std::string&) override {}
  void Copying(uint64_t done, uint64_t) noexcept override { copied.push_back(done); }
  void WaitingForTurn(const std::string& programName) override { effects.push_back("waiting " + programName); }
  void CreateDirectories(const std::string& base, const std::string& name) override {
    directoriesFor.push_back(base + " " + name);
  }

  // The verified copy's calls: local disks with room, one copy at a time.
  bool IsDriveReady(char) override { return true; }
  int64_t GetFileSizeByName(const std::string& path) override {
    return files.contains(path) ? static_cast<int64_t>(files.at(path).bytes.size()) : -1;
  }
  int64_t GetFreeSpaceKB(const std::string&) override { return -1; }
  int64_t GetFloppyFreeBytes(char) override { return -1; }
  void RemoveLeftovers(const std::string& destination) noexcept override { copyingTo_ = destination; }
  std::optional<std::string> Copy(const std::string& from, const std::string& to,
                                  const CopyProgress& progress) override {
    effects.push_back("copy " + from + " > " + copyingTo_);
    if (failingCopiesTo.contains(copyingTo_)) return "denied";
    if (!sharedReplacedMeanwhile.empty() && from.starts_with("S:")) {
      files[from] = sharedReplacedMeanwhile.front();
      sharedReplacedMeanwhile.erase(sharedReplacedMeanwhile.begin());
    }
    files[to] = files.at(from);
    if (progress) progress(files[to].bytes.size(), files[to].bytes.size());
    return std::nullopt;
  }
  std::optional<std::string> MoveOver(const std::string& from, const std::string& to) override {
    files[to] = files.at(from);
    files.erase(from);
    return std::nullopt;
  }
  bool IsHeldOpen(const std::string& path) override { return heldOpen.contains(path); }
  void Remove(const std::string& path) noexcept override { files.erase(path); }
  uint32_t ProcessId() override { return 7; }

  void Refreshed(const std::string& fileName, const ComponentUpdate& update) override {
    effects.push_back("log " + fileName + " " + std::to_string(update.compareMode));
    if (logFails) throw EInOutError("File access denied", 5);
    logged = update;
  }
  void Waiting(const std::string& fileName, const ComponentUpdate&) override { effects.push_back("waits " + fileName); }

 private:
  std::string copyingTo_;
};

class UpdateComponentTest : public ::testing::Test {
 protected:
  void Installed(const std::string& name, const std::string& version, double date = 1.0) {
    system.files["C:\\app\\" + name] = {version, date, "old " + version};
  }
  void Shared(const std::string& name, const std::string& version, double date = 1.0) {
    system.files["S:\\shared\\" + name] = {version, date, "new " + version};
  }
  std::string BytesOf(const std::string& path) { return system.files.at(path).bytes; }

  FakeSystem system;
  Installation app{.exeDir = "C:\\app", .sharedDir = "S:\\shared", .targetName = "prog.exe"};
};

TEST_F(UpdateComponentTest, DifferentVersionsKeepABackupRefreshAndLog) {
  Installed("prog.exe", "1.0.1.3");
  Shared("prog.exe", "1.0.1.4");
  UpdateComponent(system.Env(), app, "prog.exe", "", 1, "", false);
  // The backup once the copy is accepted, just before it replaces the installed file.
  EXPECT_THAT(system.effects, ElementsAre("copy S:\\shared\\prog.exe > C:\\app\\prog.exe",
                                          "copy C:\\app\\prog.exe > C:\\app\\prog.exeOLD", "log prog.exe 1"));
  EXPECT_EQ(BytesOf("C:\\app\\prog.exeOLD"), "old 1.0.1.3");
  EXPECT_EQ(BytesOf("C:\\app\\prog.exe"), "new 1.0.1.4");
  ASSERT_TRUE(system.logged);
  EXPECT_EQ(system.logged->name, "prog.exe");
  EXPECT_EQ(system.logged->oldVersion, "1.0.1.3");
  EXPECT_EQ(system.logged->newVersion, "1.0.1.4");
}

TEST_F(UpdateComponentTest, AnOlderSharedVersionReplacesANewerInstalledOne) {
  Installed("prog.exe", "2.0.0.0");
  Shared("prog.exe", "1.9.9.9");
  UpdateComponent(system.Env(), app, "prog.exe", "", 1, "", false);
  EXPECT_EQ(BytesOf("C:\\app\\prog.exe"), "new 1.9.9.9");
  ASSERT_TRUE(system.logged);
  EXPECT_EQ(system.logged->oldVersion, "2.0.0.0");
}

TEST_F(UpdateComponentTest, EqualVersionsChangeNothingWhateverTheContents) {
  Installed("prog.exe", "1.0.1.3");
  Shared("prog.exe", "1.0.1.3");
  UpdateComponent(system.Env(), app, "prog.exe", "", 1, "", true);
  EXPECT_THAT(system.effects, IsEmpty());

  // Two files without version information are alike too.
  Installed("other.dll", "");
  Shared("other.dll", "");
  UpdateComponent(system.Env(), app, "other.dll", "", 1, "", true);
  EXPECT_THAT(system.effects, IsEmpty());
}

TEST_F(UpdateComponentTest, VersionStringsAreComparedExactly) {
  for (const char* installed : {"", "1.0.1.3 ", "1.0.1.30", "01.0.1.3"}) {
    system = FakeSystem();
    Installed("prog.exe", installed);
    Shared("prog.exe", "1.0.1.3");
    UpdateComponent(system.Env(), app, "prog.exe", "", 1, "", false);
    EXPECT_EQ(BytesOf("C:\\app\\prog.exe"), "new 1.0.1.3") << '"' << installed << '"';
  }
  system = FakeSystem();
  Installed("prog.exe", "1.0.1.3");
  Shared("prog.exe", "");  // the shared file lost its version information
  UpdateComponent(system.Env(), app, "prog.exe", "", 1, "", false);
  EXPECT_EQ(BytesOf("C:\\app\\prog.exe"), "new ");
}

TEST_F(UpdateComponentTest, ASharedFileReplacedDuringTheCopyIsDecidedOnAfreshAndLoggedTruly) {
  const auto run = [this](std::vector<FakeSystem::File> meanwhile, uint8_t mode = kCompareByVersion,
                          std::optional<SignatureFacts> facts = {}) {
    system = FakeSystem();
    system.signatures.facts = facts;
    Installed("prog.exe", "1.0.1.3");
    Shared("prog.exe", "1.0.1.4", 2.0);
    system.sharedReplacedMeanwhile = std::move(meanwhile);
    return UpdateComponent(system.Env(), app, "prog.exe", "", mode, "", false);
  };
  run({{"1.0.1.5", 1.0, "new 1.0.1.5"}});
  EXPECT_THAT(system.effects, SizeIs(4)) << "one backup, two copies, one log line";
  EXPECT_EQ(BytesOf("C:\\app\\prog.exe"), "new 1.0.1.5");
  EXPECT_EQ(system.logged->newVersion, "1.0.1.5");
  run({{"1.0.1.4", 3.0, "new by date"}}, kCompareByDate);  // by date, the version is no measure of the change
  EXPECT_EQ(BytesOf("C:\\app\\prog.exe"), "new by date");
  EXPECT_EQ(system.logged->newDate, DateTime{3.0});

  run({{"1.0.1.3", 1.0, "new 1.0.1.3"}});  // put back: nothing left to do
  EXPECT_EQ(BytesOf("C:\\app\\prog.exe"), "old 1.0.1.3");
  EXPECT_FALSE(system.logged);

  // Still changing (each as large as the first, which the copy measured):
  const UpdateOutcome changing = run({{"5", 1.0, "new 1.0.1.5"}, {"6", 1.0, "new 1.0.1.6"}, {"7", 1.0, "new 1.0.1.7"}});
  EXPECT_EQ(changing.result, UpdateResult::Failed);
  EXPECT_THAT(changing.failure, StartsWith("Nie można zaktualizować pliku: prog.exe\r\r"));
  EXPECT_THAT(system.effects, SizeIs(3)) << "three decisions' copies at most, and no backup: nothing replaced";
  EXPECT_EQ(BytesOf("C:\\app\\prog.exe"), "old 1.0.1.3");
  EXPECT_FALSE(system.logged);
  // Signed by none the rule names (its one item mistyped): the copy that would be installed is judged, and refused.
  app.signers = ParseSignerRule("129BE005");
  const SignatureFacts firma{SignatureStatus::Trusted, Certificate{.subject = "CN=Firma", .thumbprint = "77AB"}};
  EXPECT_EQ(run({}, kCompareByVersion, firma).refused.at(0).reason, "inny wydawca: CN=Firma, 77AB");
  EXPECT_THAT(system.signatures.asked, ElementsAre("C:\\app\\~prog.exe.7.kolvex-tmp"));
}

TEST_F(UpdateComponentTest, NoInstalledFileIsCopiedWithoutBackupAndLoggedAsBrak) {
  Shared("prog.exe", "1.0.1.4");
  UpdateComponent(system.Env(), app, "prog.exe", "", 1, "", false);
  EXPECT_THAT(system.effects, ElementsAre("copy S:\\shared\\prog.exe > C:\\app\\prog.exe", "log prog.exe 1"));
  EXPECT_THAT(system.directoriesFor, ElementsAre("C:\\app prog.exe"));
  EXPECT_EQ(system.logged->oldVersion, "brak");
  EXPECT_EQ(system.logged->newVersion, "1.0.1.4");
  // "brak" is the log's word for a missing file, not a version read from one.
  EXPECT_THAT(system.versionQueries,
              ElementsAre("S:\\shared\\prog.exe", TemporaryCopyName("C:\\app\\prog.exe", system.ProcessId())));
}

TEST_F(UpdateComponentTest, NoSharedFileMeansNothingAtAll) {
  Installed("prog.exe", "1.0.1.3");
  UpdateComponent(system.Env(), app, "prog.exe", "", 1, "Caption", true);
  UpdateComponent(system.Env(), app, "prog.exe", "", 2, "Caption", true);
  EXPECT_THAT(system.effects, IsEmpty());
  EXPECT_THAT(system.versionQueries, IsEmpty());
}

TEST_F(UpdateComponentTest, ByDateOnlyWhenTheDatesDiffer) {
  Installed("prog.exe", "1", 45000.5);
  Shared("prog.exe", "2", 45000.5);
  UpdateComponent(system.Env(), app, "prog.exe", "", 2, "", false);
  EXPECT_THAT(system.effects, IsEmpty()) << "versions do not count in mode 2";

  Shared("prog.exe", "1", 45000.75);  // the same day, another time
  UpdateComponent(system.Env(), app, "prog.exe", "", 2, "", false);
  ASSERT_TRUE(system.logged);
  EXPECT_EQ(system.logged->oldDate, DateTime{45000.5});
  EXPECT_EQ(system.logged->newDate, DateTime{45000.75});
  EXPECT_EQ(BytesOf("C:\\app\\prog.exeOLD"), "old 1");

  system.effects.clear();
  Shared("prog.exe", "1", 44000.0);  // an older shared file counts as well
  UpdateComponent(system.Env(), app, "prog.exe", "", 2, "", false);
  EXPECT_THAT(system.effects, ::testing::SizeIs(3));
  EXPECT_THAT(system.versionQueries, IsEmpty());
}

TEST_F(UpdateComponentTest, ByDateWithoutInstalledFileLogsDayZero) {
  Shared("prog.exe", "", 45000.25);
  UpdateComponent(system.Env(), app, "prog.exe", "", 2, "", false);
  ASSERT_TRUE(system.logged);
  EXPECT_EQ(system.logged->oldDate, DateTime{0.0});
  EXPECT_EQ(system.logged->newDate, DateTime{45000.25});
}

TEST_F(UpdateComponentTest, OtherCompareModesNeverUpdate) {
  Installed("prog.exe", "1", 1.0);
  Shared("prog.exe", "2", 2.0);
  for (int mode : {0, 3, 255}) UpdateComponent(system.Env(), app, "prog.exe", "", static_cast<uint8_t>(mode), "", true);
  EXPECT_THAT(system.effects, IsEmpty());
  system.files.erase("C:\\app\\prog.exe");
  UpdateComponent(system.Env(), app, "prog.exe", "", 0, "", true);
  EXPECT_THAT(system.effects, IsEmpty()) << "not even a missing installed file";
}

TEST_F(UpdateComponentTest, NameComesFromTargetNameWithoutItsFirstCharacterWhenNoneIsGiven) {
  app.targetName = "xprog.exe";
  Shared("prog.exe", "2");
  UpdateComponent(system.Env(), app, "", "", 1, "", false);
  EXPECT_THAT(system.effects, ElementsAre("copy S:\\shared\\prog.exe > C:\\app\\prog.exe", "log  1"));

  system = FakeSystem();
  app.targetName = "\xc5\x82\xc3\xb3\x64ka.exe";  // "łódka.exe": one character, two bytes
  Shared("\xc3\xb3\x64ka.exe", "2");
  UpdateComponent(system.Env(), app, "", "", 1, "", false);
  EXPECT_EQ(system.logged->name, "\xc3\xb3\x64ka.exe");

  system = FakeSystem();
  app.targetName = "";
  UpdateComponent(system.Env(), app, "", "", 1, "", false);
  EXPECT_THAT(system.effects, IsEmpty());
}

TEST_F(UpdateComponentTest, SubDirectoriesAreKeptBelowBothDirectories) {
  Installed("bin\\prog.exe", "1");
  Shared("bin\\prog.exe", "2");
  UpdateComponent(system.Env(), app, "bin\\prog.exe", "", 1, "", true);
  EXPECT_THAT(system.effects,
              ElementsAre("progress bin\\prog.exe|", "copy S:\\shared\\bin\\prog.exe > C:\\app\\bin\\prog.exe",
                          "copy C:\\app\\bin\\prog.exe > C:\\app\\bin\\prog.exeOLD", "log bin\\prog.exe 1"));
}

TEST_F(UpdateComponentTest, DirectoriesAreJoinedWhateverTheirSeparators) {
  app.exeDir = "C:\\";
  app.sharedDir = "\\\\server\\share\\";
  system.files["\\\\server\\share\\prog.exe"] = {"2", 0, "new"};
  UpdateComponent(system.Env(), app, "prog.exe", "", 1, "", false);
  EXPECT_THAT(system.effects, ElementsAre("copy \\\\server\\share\\prog.exe > C:\\prog.exe", "log prog.exe 1"));
}

TEST_F(UpdateComponentTest, ProgressIsToldTheFileItsCaptionAndHowFarTheCopyFromTheShareCame) {
  Installed("help.chm", "1");
  Shared("help.chm", "2");
  UpdateComponent(system.Env(), app, "help.chm", "", 1, "Pomoc programu", true);
  EXPECT_EQ(system.effects.front(), "progress help.chm|Pomoc programu");
  EXPECT_THAT(system.copied, ElementsAre(5u)) << "the copy from the share, not the backup";

  system.effects.clear();
  Shared("help.chm", "3");
  UpdateComponent(system.Env(), app, "help.chm", "", 1, "", false);
  EXPECT_EQ(system.effects.front().rfind("copy ", 0), 0u) << "no window unless asked";
}

TEST_F(UpdateComponentTest, ExtReplacesTheExtensionAndChoosesTheBackup) {
  Installed("prog.EXE", "1");
  Shared("prog.EXE", "2");
  UpdateComponent(system.Env(), app, "prog.exe", ".EXE", 1, "", false);
  EXPECT_THAT(system.effects, ElementsAre("copy S:\\shared\\prog.EXE > C:\\app\\prog.EXE",
                                          "copy C:\\app\\prog.EXE > C:\\app\\prog.EXEOLD", "log prog.exe 1"));
  EXPECT_EQ(system.logged->name, "prog.EXE");

  system.effects.clear();
  Installed("lib.DLL", "1");
  Shared("lib.DLL", "2");
  UpdateComponent(system.Env(), app, "lib.bpl", ".DLL", 1, "", false);
  EXPECT_THAT(system.effects, ElementsAre("copy S:\\shared\\lib.DLL > C:\\app\\lib.DLL", "log lib.bpl 1"));

  system.effects.clear();
  Installed("prog.exe", "1");
  Shared("prog.exe", "2");
  UpdateComponent(system.Env(), app, "prog.exe", ".exe", 1, "", false);
  EXPECT_THAT(system.effects, ElementsAre("copy S:\\shared\\prog.exe > C:\\app\\prog.exe", "log prog.exe 1"));
}

TEST_F(UpdateComponentTest, AFailedBackupAbortsBeforeTheInstalledFileIsTouched) {
  Installed("prog.exe", "1");
  Shared("prog.exe", "2");
  system.failingCopiesTo = {"C:\\app\\prog.exeOLD"};
  const UpdateOutcome outcome = UpdateComponent(system.Env(), app, "prog.exe", "", 1, "", false);
  EXPECT_EQ(outcome.failure, "Błąd kopiowania pliku: prog.exe\r\rdenied");
  EXPECT_THAT(system.effects, ElementsAre("copy S:\\shared\\prog.exe > C:\\app\\prog.exe",
                                          "copy C:\\app\\prog.exe > C:\\app\\prog.exeOLD"));
  EXPECT_EQ(BytesOf("C:\\app\\prog.exe"), "old 1");
}

TEST_F(UpdateComponentTest, AFailedRefreshAbortsWithoutLogging) {
  Installed("prog.exe", "1");
  Shared("prog.exe", "2");
  system.failingCopiesTo = system.heldOpen = {"C:\\app\\prog.exe"};  // held open: the program does not wait
  const UpdateOutcome outcome = UpdateComponent(system.Env(), app, "prog.exe", "", 1, "", false);
  EXPECT_EQ(outcome.result, UpdateResult::Failed);
  EXPECT_EQ(outcome.failure, "Błąd kopiowania pliku: prog.exe\r\rdenied");
  EXPECT_THAT(system.effects, ElementsAre("copy S:\\shared\\prog.exe > C:\\app\\prog.exe"));
  EXPECT_FALSE(system.files.contains("C:\\app\\prog.exeOLD")) << "no backup of a file not replaced";
  EXPECT_FALSE(system.logged);
  // In the per-machine way the held program waits, as a held listed file does.
  UpdateEnvironment perMachine = system.Env();
  perMachine.programWaits = true;
  const UpdateOutcome waited = UpdateComponent(perMachine, app, "prog.exe", "", 1, "", false);
  EXPECT_EQ(waited.result, UpdateResult::NothingToDo);
  EXPECT_THAT(waited.waiting, ElementsAre("prog.exe"));
  EXPECT_EQ(BytesOf("C:\\app\\prog.exe"), "old 1");
}

// A refused share file leaves the older backup alone; the same file is not copied
// again (still reported), a changed one is checked again.
TEST_F(UpdateComponentTest, ARefusedFileKeepsTheBackupAndIsNotCopiedAgainUntilItChanges) {
  struct Unsigned final : SignatureReader {
    std::optional<SignatureFacts> Read(const std::string&) override { return SignatureFacts{}; }
  } unsignedPrograms;
  app.signers = ParseSignerRule(std::string(40, 'A'));
  Installed("prog.exe", "1");
  system.files["C:\\app\\prog.exeOLD"] = {"0", 1.0, "older backup"};
  Shared("prog.exe", "2");
  RefusalMemory memory;
  const auto start = [&] {
    return UpdateInstallation({.files = system, .facts = system, .signatures = unsignedPrograms, .progress = system,
                               .record = system, .refusals = &memory},
                              app, {});
  };
  for (int i = 0; i < 2; ++i) {
    const UpdateOutcome outcome = start();
    ASSERT_THAT(outcome.refused, SizeIs(1));
    EXPECT_EQ(outcome.refused[0].reason, "brak podpisu");
    memory = RefusalMemory::Parse(memory.Format());  // as the next start reads it
  }
  EXPECT_THAT(system.effects, ElementsAre("copy S:\\shared\\prog.exe > C:\\app\\prog.exe")) << "copied once";
  EXPECT_EQ(BytesOf("C:\\app\\prog.exeOLD"), "older backup");
  EXPECT_EQ(BytesOf("C:\\app\\prog.exe"), "old 1");
  Shared("prog.exe", "2", 2.0);  // published again: another date
  EXPECT_THAT(start().refused, SizeIs(1));
  EXPECT_THAT(system.effects, SizeIs(2)) << "a changed file is checked again";
}

TEST_F(UpdateComponentTest, TheInstallationStopsAtItsFirstFailureAndNamesWhatWasRefreshedBeforeIt) {
  for (const char* name : {"a.dll", "Kolvex.lock", "w.hlp", "b.dll", "prog.exe"}) {
    Installed(name, "1");
    Shared(name, "2");
  }
  system.failingCopiesTo = {"C:\\app\\w.hlp", "C:\\app\\b.dll"};
  system.heldOpen = {"C:\\app\\w.hlp"};  // by another program: it waits for a later start
  const UpdateOutcome outcome = UpdateInstallation(system.Env(), app,
                                                   {{"a.dll", 1, ""}, {"kolvex.LOCK", 1, ""}, {"w.hlp", 1, ""},
                                                    {"b.dll", 1, ""}, {"PROG.EXE", 1, ""}});
  EXPECT_THAT(outcome.waiting, ElementsAre("w.hlp"));
  EXPECT_THAT(system.effects, Contains("waits w.hlp"));
  EXPECT_EQ(outcome.result, UpdateResult::Failed);
  EXPECT_EQ(outcome.failure, "Błąd kopiowania pliku: b.dll\r\rdenied");
  ASSERT_THAT(outcome.updates, SizeIs(1)) << "the turn file is no component";
  EXPECT_EQ(outcome.updates[0].newVersion, "2");
  EXPECT_EQ(BytesOf("C:\\app\\prog.exe"), "old 1");
}

TEST_F(UpdateComponentTest, ALogThatCannotBeOpenedEndsTheRunAfterTheRefresh) {
  Installed("prog.exe", "1");
  Shared("prog.exe", "2");
  system.logFails = true;
  EXPECT_THROW(UpdateComponent(system.Env(), app, "prog.exe", "", 1, "", false), EInOutError);
  EXPECT_EQ(BytesOf("C:\\app\\prog.exe"), "new 2");
}

}  // namespace
}  // namespace kolvex
