#include "tools/kolvexadm/Setup_win32.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>

#include "common/Paths.h"
#include "common/TextDecode.h"
#include "common/win32/DateTime.h"
#include "common/win32/FileIO.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/SystemText.h"
#include "common/win32/Utf.h"
#include "files/FileFacts_win32.h"
#include "files/Signature_win32.h"
#include "files/WindowsCopySystem_win32.h"
#include "ipc/FolderIdentity_win32.h"
#include "ipc/Registrations_win32.h"
#include "tools/kolvexadm/Service_win32.h"
#include "tools/kolvexadm/Shortcut_win32.h"
#include "update/Backup.h"
#include "update/Settings.h"
#include "update/SettingsIni.h"
#include "update/ShareProbe.h"
#include "update/ShareProbe_win32.h"
#include "update/Update.h"

namespace kolvex {

namespace {

using UniqueKey = UniqueHandle<HKEY, &RegCloseKey>;

constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
// The entry's own values, beside those "Programs and Features" reads: what
// odinstaluj takes away besides the folder's files.
constexpr std::string_view kProgramValue = "KolvexProgram";
constexpr std::string_view kShortcutsValue = "KolvexSkroty";  // the links' paths, "|" between them
// Per machine: the system and administrators everything, users read and
// run (as the guide's icacls lines). Today's way: users may also modify,
// besides what the folder inherits.
constexpr wchar_t kPerMachineAccess[] = L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
constexpr wchar_t kTodaysAccess[] = L"D:AI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)";

std::string Trimmed(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

std::string LastError() { return GetErrorReason(static_cast<int32_t>(GetLastError())); }

std::string FolderPath(const std::string& folder) {
  std::string path = FullPathName(folder);
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WideLongPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The names in a folder, relative to it; sub-folders too, to depth levels.
void ListFolder(const std::string& root, const std::string& relative, int depth, std::vector<std::string>& files,
                std::vector<std::string>* folders) {
  WIN32_FIND_DATAW found{};
  const UniqueFind find(FindFirstFileW(WideLongPath(JoinPath(JoinPath(root, relative), "*")).c_str(), &found));
  if (!find) return;
  do {
    const std::string name = JoinPath(relative, Narrow(found.cFileName));
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      files.push_back(name);
    } else if (name != JoinPath(relative, ".") && name != JoinPath(relative, "..")) {
      if (folders) folders->push_back(name);
      if (depth > 0 && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        ListFolder(root, name, depth - 1, files, folders);
    }
  } while (FindNextFileW(find.get(), &found));
}

std::string CommonFolder(int csidl) {
  wchar_t path[MAX_PATH];
  return SUCCEEDED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path))
             ? Narrow(path)
             : std::string();
}

std::wstring EntryKey(const std::string& folder) {
  return kUninstallKey + Widen(UninstallKeyName(UpperCase(folder)));
}

std::optional<std::string> ReadValue(HKEY key, std::string_view name) {
  DWORD type = 0, size = 0;
  const std::wstring wide = Widen(name);
  if (RegQueryValueExW(key, wide.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
    return std::nullopt;
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key, wide.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  value.resize(wcsnlen(value.c_str(), size / sizeof(wchar_t)));
  return Narrow(value);
}

// Sets a value unless it already is so; whether it changed it.
bool SetValue(HKEY key, std::string_view name, const std::string& value, bool& failed) {
  if (ReadValue(key, name) == value) return false;
  const std::wstring wide = Widen(value);
  failed |= RegSetValueExW(key, Widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                           static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS;
  return true;
}

bool SetNumber(HKEY key, std::string_view name, DWORD value, bool& failed) {
  DWORD type = 0, old = 0, size = sizeof old;
  const std::wstring wide = Widen(name);
  if (RegQueryValueExW(key, wide.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&old), &size) == ERROR_SUCCESS &&
      type == REG_DWORD && old == value)
    return false;
  failed |= RegSetValueExW(key, wide.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) !=
            ERROR_SUCCESS;
  return true;
}

// What the run did, on standard output as it goes and in the folder's log
// at the end.
class SetupLog {
 public:
  explicit SetupLog(SetupSay say) : say_(say) {}
  void Line(const std::string& text) {
    say_(text + "\n");
    lines_ += text + "\r\n";
  }
  // Appended to the log in folder, UTF-8 as Notepad reads it.
  void Keep(const std::string& folder) const {
    const std::wstring path = WideLongPath(JoinPath(folder, kSetupLogName));
    const UniqueFile file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    LARGE_INTEGER size{};
    std::string bytes = GetFileSizeEx(file.get(), &size) && size.QuadPart == 0 ? "\xEF\xBB\xBF" : "";
    bytes += "[" + FormatSortableDateTime(Now()) + "]\r\n" + lines_;
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }

 private:
  SetupSay say_;
  std::string lines_;
};

// The update's progress has nobody to show it to.
class SilentProgress final : public UpdateProgress {
 public:
  void Refreshing(const std::string&, const std::string&) override {}
  void RefreshingProgram(const std::string&) override {}
  void Copying(uint64_t, uint64_t) noexcept override {}
  void WaitingForTurn(const std::string&) override {}
};

class LoggedCopies final : public UpdateRecord {
 public:
  explicit LoggedCopies(SetupLog& log) : log_(log) {}
  void Refreshed(const std::string&, const ComponentUpdate& update) override {
    log_.Line("Skopiowano " + update.name +
              (update.compareMode == kCompareByVersion && !update.newVersion.empty() ? " (" + update.newVersion + ")"
                                                                                     : "") +
              ".");
  }
  void Waiting(const std::string&, const ComponentUpdate&) override {}

 private:
  SetupLog& log_;
};

// Folders made on the way to path, outermost first; false when one cannot be.
bool MakeFolders(const std::string& path, std::vector<std::string>& made) {
  if (IsFolder(path)) return true;
  const std::string parent = ExtractFileDir(path);
  if (parent == path || !MakeFolders(parent, made)) return false;
  if (!CreateDirectoryW(WideLongPath(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  made.push_back(path);
  return true;
}

bool SetRights(const std::string& folder, bool perMachine) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(perMachine ? kPerMachineAccess : kTodaysAccess,
                                                            SDDL_REVISION_1, &descriptor, nullptr))
    return false;
  const UniqueLocal owned(descriptor);
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  PSID owner = nullptr;
  GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
  GetSecurityDescriptorOwner(descriptor, &owner, &defaulted);
  SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION |
                              (perMachine ? OWNER_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION
                                          : UNPROTECTED_DACL_SECURITY_INFORMATION);
  std::wstring path = WideLongPath(folder);
  const DWORD error = SetNamedSecurityInfoW(path.data(), SE_FILE_OBJECT, what, owner, nullptr, dacl, nullptr);
  SetLastError(error);
  return error == ERROR_SUCCESS;
}

// The file at path is open in a program that keeps others from writing it:
// a program or library that runs, a document open in it.
bool IsInUse(const std::string& path) {
  const UniqueFile file(CreateFileW(WideLongPath(path).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  return !file && GetLastError() == ERROR_SHARING_VIOLATION;
}

void RemoveFile(const std::string& path) {
  const std::wstring wide = WideLongPath(path);
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);  // a share's read-only attribute came with the copy
  DeleteFileNamed(wide);
}

// Sub-folders of root that hold nothing any more, deepest first, and root.
void RemoveEmptyFolders(const std::string& root) {
  std::vector<std::string> files, folders;
  ListFolder(root, "", 8, files, &folders);
  std::ranges::sort(folders, [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (const std::string& folder : folders) RemoveDirectoryW(WideLongPath(JoinPath(root, folder)).c_str());
  RemoveDirectoryW(WideLongPath(root).c_str());
}

Shortcut ShortcutFor(const std::string& folder, const SetupRequest& request) {
  return {.target = JoinPath(folder, kLauncherName),
          .arguments = QuotedArgument(request.program),
          .folder = folder,
          .icon = JoinPath(folder, request.program),
          .description = request.name};
}

// The set-up of one workstation: each step's checks first, then what it makes.
class WorkstationSetup {
 public:
  WorkstationSetup(const SetupRequest& request, SetupSay say)
      : request_(request), log_(say), share_(FolderPath(request.share)), folder_(FolderPath(request.folder)) {}

  int Run() {
    if (int code = Check()) return code;
    const int code = Make();
    if (code != kSetupDone) {
      Undo();
    } else {
      log_.Line(changed_ ? "Gotowe: stanowisko zainstalowane z katalogu wspólnego " + share_ + "."
                         : "Nic do zrobienia: stanowisko jest zgodne z katalogiem wspólnym " + share_ + ".");
    }
    if (IsFolder(folder_)) log_.Keep(folder_);
    return code;
  }

 private:
  int Refuse(int code, const std::string& text) {
    log_.Line(text);
    return code;
  }

  // Whatever the set-up would refuse, refused before anything is made.
  int Check() {
    log_.Line("Instalacja " + folder_ + " z katalogu wspólnego " + share_ + (request_.perMachine ? " (dla całego komputera, aktualizuje usługa)." : "."));
    if (!IsAdministrator())
      return Refuse(kSetupNoRights, "To polecenie wymaga uprawnień administratora: uruchom je jako administrator "
                                    "albo jako system (skrypt startowy, Intune).");
    const std::optional<ShareReply> reply = AskShare(share_, kShareTimeBoxMs);
    if (const std::optional<UpdateResult> verdict = ShareVerdict(reply))
      return Refuse(kSetupShareUnreachable,
                    !reply ? "Katalog wspólny " + share_ + " nie odpowiada."
                           : "Brak katalogu wspólnego " + share_ + ": " +
                                 (reply->found ? "to nie jest folder" : GetErrorReason(static_cast<int32_t>(reply->error))));
    const std::optional<std::string> sample = ReadWholeFile(JoinPath(share_, kSettingsTemplateName));
    settingsText_ = FillSettingsTemplate(sample ? DecodeText(*sample, &FromAnsi) : "", share_, request_.perMachine);
    log_.Line(sample ? "Plik baza.set według wzoru " + JoinPath(share_, kSettingsTemplateName) + "."
                     : "Plik baza.set z argumentów polecenia (katalog wspólny nie ma pliku " +
                           std::string(kSettingsTemplateName) + ").");
    const Settings settings = ParseSettings(settingsText_, folder_);
    for (const RefusedEntry& refused : settings.components.refused)
      log_.Line("UWAGA: pozycja [SKLADNIKI] pominięta: " + refused.entry + " – " + FaultText(refused) + ".");
    list_ = SetupFiles(settings.components.components, request_.program);
    signers_ = settings.signers;

    // The launcher from the share, or else the one that came with this tool.
    launcherSource_ = copier_.FileExists(JoinPath(share_, kLauncherName)) ? share_ : ExtractFileDir(ModuleFileName());
    std::string missing;
    for (const Component& file : list_) {
      const std::string src = JoinPath(SourceOf(file), file.name);
      if (!copier_.FileExists(src)) missing += "\n  " + src;
      FileLook look{.installed = copier_.FileExists(JoinPath(folder_, file.name))};
      if (look.installed) {
        look.installedVersion = facts_.FileVersion(JoinPath(folder_, file.name));
        look.installedDate = facts_.FileDate(JoinPath(folder_, file.name));
      }
      look.sharedVersion = facts_.FileVersion(src);
      look.sharedDate = facts_.FileDate(src);
      steps_.push_back(StepFor(file.compareMode, look));
      if (steps_.back() == SetupStep::KeepNewer)
        log_.Line("Zostaje " + file.name + " nowszy niż w katalogu wspólnym (" +
                  (file.compareMode == kCompareByDate ? std::string("nowsza data") : look.installedVersion) + ").");
    }
    if (!missing.empty())
      return Refuse(kSetupFileMissing, "Brak w katalogu wspólnym plików potrzebnych do instalacji:" + missing);

    std::string refused;
    for (size_t i = 0; i < list_.size(); ++i) {
      if (steps_[i] != SetupStep::Copy || SourceOf(list_[i]) != share_) continue;
      const std::optional<SignatureVerdict> verdict = CheckSignature(
          signers_, signatures_, JoinPath(share_, list_[i].name), JoinPath(folder_, list_[i].name));
      if (verdict && verdict->kind != SignatureVerdict::Accepted)
        refused += "\n  " + list_[i].name + ": " + RefusalReason(*verdict);
    }
    if (!refused.empty())
      return Refuse(kSetupRefusedBySignature, "Pliki odrzucone z powodu podpisu (SIGNED_BY):" + refused);

    if (IsFolder(folder_)) {
      std::vector<std::string> names;
      ListFolder(folder_, "", 0, names, nullptr);
      std::optional<std::string> installedShare;
      if (const std::optional<std::string> bytes = ReadWholeFile(JoinPath(folder_, kSettingsFileName)))
        installedShare = IniText(DecodeText(*bytes, &FromAnsi)).Value(kMainSection, kSharedDirKey).value_or("");
      if (IsInTheWay(names, installedShare, share_, list_))
        return Refuse(kSetupInTheWay, "W folderze " + folder_ + " jest inny program albo instalacja z innego "
                                      "katalogu wspólnego: wybierz inny folder albo najpierw go opróżnij.");
    } else if (copier_.FileExists(folder_)) {
      return Refuse(kSetupInTheWay, folder_ + " jest plikiem, nie folderem.");
    }
    return kSetupDone;
  }

  const std::string& SourceOf(const Component& file) const {
    return SameFileName(file.name, kLauncherName) ? launcherSource_ : share_;
  }

  int Make() {
    if (!MakeFolders(folder_, madeFolders_))
      return Refuse(kSetupNoRights, "Nie można utworzyć folderu " + folder_ + ": " + LastError());
    if (!SetRights(folder_, request_.perMachine))
      return Refuse(kSetupNoRights, "Nie można ustawić uprawnień folderu " + folder_ + ": " + LastError());
    if (int code = CopyFiles()) return code;
    if (int code = WriteSettings()) return code;
    if (int code = RegisterIfPerMachine()) return code;
    if (int code = MakeShortcuts()) return code;
    return WriteEntry();
  }

  int CopyFiles() {
    SilentProgress progress;
    LoggedCopies record(log_);
    WindowsCopySystem& files = copier_;
    const UpdateEnvironment environment{
        .files = files, .facts = facts_, .signatures = signatures_, .progress = progress, .record = record};
    for (size_t i = 0; i < list_.size(); ++i) {
      if (steps_[i] != SetupStep::Copy) continue;
      const Component& file = list_[i];
      const std::string dst = JoinPath(folder_, file.name);
      if (!files.FileExists(dst)) madeFiles_.push_back(dst);
      const Installation installation{
          .exeDir = folder_, .sharedDir = SourceOf(file), .targetName = request_.program, .signers = signers_};
      const UpdateOutcome outcome =
          UpdateComponent(environment, installation, file.name, "", file.compareMode, file.caption, true);
      if (!outcome.refused.empty())
        return Refuse(kSetupRefusedBySignature, "Plik odrzucony z powodu podpisu: " + file.name + ": " +
                                                    outcome.refused.front().reason);
      if (!outcome.waiting.empty())
        return Refuse(kSetupFailed, "Nie można zastąpić pliku " + dst + ": " + std::string(kWaitingReason) + ".");
      if (outcome.result == UpdateResult::Failed)
        return Refuse(kSetupFailed, "Nie można skopiować pliku " + file.name + ": " + outcome.failure);
      changed_ |= outcome.result == UpdateResult::Updated;
    }
    return kSetupDone;
  }

  int WriteSettings() {
    const std::string path = JoinPath(folder_, kSettingsFileName);
    const std::optional<std::string> old = ReadWholeFile(path);
    if (old && DecodeText(*old, &FromAnsi) == settingsText_) return kSetupDone;
    // UTF-16 with its mark: the one Unicode form Windows' own profile reader knows.
    const std::wstring wide = L"\xFEFF" + Widen(settingsText_);
    if (!old) madeFiles_.push_back(path);
    if (!ReplaceFileWhole(path, path + ".tmp",
                          std::string_view(reinterpret_cast<const char*>(wide.data()), wide.size() * 2)))
      return Refuse(kSetupFailed, "Nie można zapisać pliku " + path + ": " + LastError());
    log_.Line("Zapisano " + path + ".");
    changed_ = true;
    return kSetupDone;
  }

  int RegisterIfPerMachine() {
    const std::optional<FolderIdentity> identity = FolderIdentityAt(folder_);
    const bool registered = identity && RegisteredPath(*identity);
    if (!request_.perMachine) {
      // Set up again in today's way: the service no longer updates it.
      if (registered) log_.Line(Trimmed(UnregisterFromService(folder_).text));
      changed_ |= registered;
      return kSetupDone;
    }
    if (registered) return kSetupDone;
    const CheckReport report = RegisterWithService(folder_);
    log_.Line(Trimmed(report.text));
    if (report.code == kCheckErrors) return kSetupFailed;
    registered_ = true;
    changed_ = true;
    return kSetupDone;
  }

  int MakeShortcuts() {
    const ComScope com;
    const Shortcut wanted = ShortcutFor(folder_, request_);
    for (const int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY}) {
      const std::string folder = CommonFolder(csidl);
      const std::string path = JoinPath(folder, request_.name + ".lnk");
      const bool there = ReadShortcut(path) == wanted;
      // A desktop shortcut an earlier run made stays the installation's, to be removed with it.
      if (csidl == CSIDL_COMMON_DESKTOPDIRECTORY && !request_.desktop && !there) continue;
      if (!shortcuts_.empty()) shortcuts_ += "|";
      shortcuts_ += path;
      if (there) continue;
      if (folder.empty() || !WriteShortcut(path, wanted))
        return Refuse(kSetupFailed, "Nie można utworzyć skrótu " + path + ": " + LastError());
      madeShortcuts_.push_back(path);
      log_.Line("Utworzono skrót " + path + ".");
      changed_ = true;
    }
    return kSetupDone;
  }

  int WriteEntry() {
    HKEY raw = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, EntryKey(folder_).c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        nullptr, &raw, &disposition) != ERROR_SUCCESS)
      return Refuse(kSetupNoRights, "Nie można zapisać wpisu w „Programy i funkcje”: " + LastError());
    const UniqueKey key(raw);
    madeEntry_ = disposition == REG_CREATED_NEW_KEY;
    const std::string uninstall = QuotedArgument(ModuleFileName()) + " odinstaluj " + QuotedArgument(folder_);
    const std::string version = facts_.FileVersion(JoinPath(folder_, request_.program));
    bool failed = false, entryChanged = false;
    for (const auto& [name, value] : std::initializer_list<std::pair<std::string_view, std::string>>{
             {"DisplayName", request_.name},
             {"DisplayIcon", JoinPath(folder_, request_.program)},
             {"DisplayVersion", version},
             {"Publisher", "Kolvex"},
             {"InstallLocation", folder_},
             {"UninstallString", uninstall},
             {"QuietUninstallString", uninstall},
             {kProgramValue, request_.program},
             {kShortcutsValue, shortcuts_}})
      entryChanged |= SetValue(key.get(), name, value, failed);
    entryChanged |= SetNumber(key.get(), "NoModify", 1, failed);
    entryChanged |= SetNumber(key.get(), "NoRepair", 1, failed);
    if (failed) return Refuse(kSetupFailed, "Nie można zapisać wpisu w „Programy i funkcje”: " + LastError());
    if (entryChanged) {
      log_.Line("Wpis w „Programy i funkcje”: " + request_.name + " (HKLM\\" + Narrow(EntryKey(folder_)) + ").");
      changed_ = true;
    }
    return kSetupDone;
  }

  // A set-up that failed takes away what it made; what was there before
  // stays as it was (a failed copy never replaces a file).
  void Undo() {
    if (madeEntry_) RegDeleteKeyW(HKEY_LOCAL_MACHINE, EntryKey(folder_).c_str());
    for (const std::string& path : madeShortcuts_) RemoveFile(path);
    if (registered_) UnregisterFromService(folder_);
    for (const std::string& path : madeFiles_) {
      RemoveFile(path);
      RemoveFile(BackupName(path, ""));
    }
    if (!madeFolders_.empty()) {
      RemoveEmptyFolders(madeFolders_.front());
    } else {
      for (const std::string& path : madeFiles_) RemoveDirectoryW(WideLongPath(ExtractFileDir(path)).c_str());
    }
    log_.Line("Instalacja przerwana: usunięto to, co utworzyła.");
  }

  const SetupRequest& request_;
  SetupLog log_;
  std::string share_, folder_, launcherSource_, settingsText_, shortcuts_;
  std::vector<Component> list_;
  WindowsCopySystem copier_;
  WindowsFileFacts facts_;
  WindowsSignatureReader signatures_;
  SignerRule signers_;
  std::vector<SetupStep> steps_;
  std::vector<std::string> madeFolders_, madeFiles_, madeShortcuts_;
  bool madeEntry_ = false, registered_ = false, changed_ = false;
};

}  // namespace

int SetUpWorkstation(const SetupRequest& request, SetupSay say) { return WorkstationSetup(request, say).Run(); }

int RemoveWorkstation(const std::string& argument, SetupSay say) {
  SetupLog log(say);
  if (!IsAdministrator()) {
    log.Line("To polecenie wymaga uprawnień administratora.");
    return kSetupNoRights;
  }
  const std::string folder = FolderPath(argument);
  HKEY raw = nullptr;
  const bool entry = RegOpenKeyExW(HKEY_LOCAL_MACHINE, EntryKey(folder).c_str(), 0, KEY_QUERY_VALUE, &raw) ==
                     ERROR_SUCCESS;
  const UniqueKey key(raw);
  const std::string program = entry ? ReadValue(key.get(), kProgramValue).value_or("") : "";
  const std::string shortcuts = entry ? ReadValue(key.get(), kShortcutsValue).value_or("") : "";
  if (!entry && !IsFolder(folder)) {
    log.Line("Nic do zrobienia: nie ma instalacji " + folder + ".");
    return kSetupDone;
  }

  std::vector<Component> files = SetupFiles(ParseSettings(DecodeText(ReadWholeFile(JoinPath(folder, kSettingsFileName))
                                                                          .value_or(""),
                                                                      &FromAnsi),
                                                           folder)
                                                 .components.components,
                                             program);
  if (program.empty()) files.pop_back();
  const std::vector<std::string> names = InstallationFileNames(files);
  std::vector<std::string> found, ours, others;
  ListFolder(folder, "", 8, found, nullptr);
  for (std::string& name : found) (IsInstallationFile(name, names) ? ours : others).push_back(std::move(name));

  // A program that runs is not stopped: nothing is removed while it does.
  std::string inUse;
  for (const std::string& name : ours) {
    if (IsInUse(JoinPath(folder, name))) inUse += "\n  " + JoinPath(folder, name);
  }
  if (!inUse.empty()) {
    log.Line("Pliki instalacji są w użyciu (czy program jest uruchomiony?): nic nie usunięto." + inUse);
    return kSetupInUse;
  }

  if (const std::optional<FolderIdentity> identity = FolderIdentityAt(folder);
      identity && RegisteredPath(*identity)) {
    log.Line(Trimmed(UnregisterFromService(folder).text));
  }
  for (size_t start = 0; start < shortcuts.size();) {
    const size_t end = std::min(shortcuts.find('|', start), shortcuts.size());
    const std::string path = shortcuts.substr(start, end - start);
    if (FileExists(path)) {
      RemoveFile(path);
      log.Line("Usunięto skrót " + path + ".");
    }
    start = end + 1;
  }
  if (entry) {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, EntryKey(folder).c_str());
    log.Line("Usunięto wpis w „Programy i funkcje”.");
  }
  for (const std::string& name : ours) RemoveFile(JoinPath(folder, name));
  if (!ours.empty()) log.Line("Usunięto pliki instalacji z folderu " + folder + ": " + std::to_string(ours.size()) + ".");
  RemoveEmptyFolders(folder);
  for (const std::string& name : others) log.Line("Pozostawiono " + JoinPath(folder, name) + " (nie pochodzi z instalacji).");
  if (IsFolder(folder)) log.Line("Folder " + folder + " pozostaje: są w nim pliki, których instalacja nie utworzyła.");
  return kSetupDone;
}

}  // namespace kolvex
