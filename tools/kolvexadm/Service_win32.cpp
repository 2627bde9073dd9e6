#include "tools/kolvexadm/Service_win32.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include "common/Paths.h"
#include "common/Sha256.h"
#include "common/win32/SystemText.h"
#include "common/win32/FileIO.h"
#include "common/win32/Files.h"
#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "ipc/FolderIdentity_win32.h"
#include "ipc/FolderSecurity_win32.h"
#include "ipc/ServiceAccess.h"
#include "ipc/ServiceClient_win32.h"
#include "update/Settings_win32.h"
#include "update/ShareProbe.h"
#include "ipc/Registrations_win32.h"
#include "update/ServiceWayPaths_win32.h"
#include "tools/kolvexadm/ServiceProgramHash.h"

namespace kolvex {

namespace {

using UniqueService = UniqueHandle<SC_HANDLE, &CloseServiceHandle>;

constexpr std::string_view kDisplayName = "Kolvex – usługa aktualizacji";
constexpr std::string_view kDescription =
    "Aktualizuje z katalogu wspólnego instalacje programów zarejestrowane poleceniem kolvexadm usluga zainstaluj, "
    "których foldery mogą zmieniać tylko administratorzy. Uruchamiana z systemem; działa, dopóki jest "
    "zarejestrowana choć jedna instalacja.";
// The service's own folder under Program Files, which no update writes.
constexpr std::string_view kProgramFolder = "Kolvex\\Usluga";
constexpr wchar_t kEventSourceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\KolvexUsluga";
// The system and administrators everything, users read and run.
constexpr wchar_t kProgramFolderAccess[] = L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
constexpr DWORD kStopWaitMs = 30 * 1000;
// The only privilege the service needs: to pass through folders it may not
// list (every process has it). Whatever else the system's account holds is
// taken from its process.
constexpr wchar_t kServicePrivileges[] = L"SeChangeNotifyPrivilege\0";

// Vista's settings of a service (SERVICE_CONFIG_DELAYED_AUTO_START_INFO,
// SERVICE_CONFIG_REQUIRED_PRIVILEGES_INFO), which the XP headers kolvexadm
// is built with lack.
constexpr DWORD kDelayedStartLevel = 3;
constexpr DWORD kRequiredPrivilegesLevel = 6;
struct DelayedStart {
  BOOL delayed;
};
struct RequiredPrivileges {
  wchar_t* names;  // each ended by a zero, and the list by another
};
constexpr DWORD kPollMs = 100;

CheckReport Refused(std::string text) { return {std::move(text) + "\n", kCheckErrors}; }

std::string LastError() { return GetErrorReason(static_cast<int32_t>(GetLastError())); }

// The pipe's and the process's checks that keep users from impersonating
// the service need Vista.
bool IsVistaOrLater() {
  OSVERSIONINFOEXW version{};
  version.dwOSVersionInfoSize = sizeof version;
  version.dwMajorVersion = 6;
  return VerifyVersionInfoW(&version, VER_MAJORVERSION, VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL));
}

// Why the command cannot go on here, or nothing.
std::optional<std::string> Unfit() {
  if (!IsVistaOrLater())
    return "Usługa aktualizacji wymaga systemu Windows Vista lub nowszego (Windows XP i Server 2003 nie pozwalają "
           "sprawdzić, czyj jest potok usługi). Tu instalacja aktualizuje się jak dotąd: przy każdym uruchomieniu, "
           "z prawem zapisu użytkowników do jej folderu.";
  if (!IsAdministrator())
    return "To polecenie wymaga uprawnień administratora: uruchom wiersz polecenia jako administrator.";
  return std::nullopt;
}

std::string ProgramFilesFolder() {
  wchar_t path[MAX_PATH];
  return SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, path))
             ? Narrow(path)
             : std::string("C:\\Program Files");
}

std::string InstalledProgram() {
  return JoinPath(JoinPath(ProgramFilesFolder(), kProgramFolder), kServiceProgram);
}

// A security descriptor made from its text, freed with the value.
struct Descriptor {
  UniqueLocal owned;
  PSECURITY_DESCRIPTOR get() const { return owned.get(); }
};
Descriptor FromText(const wchar_t* text) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ConvertStringSecurityDescriptorToSecurityDescriptorW(text, SDDL_REVISION_1, &descriptor, nullptr);
  return {UniqueLocal(descriptor)};
}

// The service's folder, made or kept, with rights only administrators and
// the system write, whatever it had before.
bool MakeProgramFolder(const std::string& folder) {
  const Descriptor access = FromText(kProgramFolderAccess);
  if (!access.get()) return false;
  for (const std::string& path : {ExtractFileDir(folder), folder}) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, access.get(), FALSE};
    if (!CreateDirectoryW(WideLongPath(path).c_str(), &attributes) && GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
  }
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  PSID owner = nullptr;
  GetSecurityDescriptorDacl(access.get(), &present, &dacl, &defaulted);
  GetSecurityDescriptorOwner(access.get(), &owner, &defaulted);
  std::wstring path = WideLongPath(folder);
  const DWORD error = SetNamedSecurityInfoW(path.data(), SE_FILE_OBJECT,
                                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                                PROTECTED_DACL_SECURITY_INFORMATION,
                                            owner, nullptr, dacl, nullptr);
  SetLastError(error);
  return error == ERROR_SUCCESS;
}

// Waits until the service has stopped, asking it to when it runs.
void StopService(SC_HANDLE service) {
  SERVICE_STATUS status{};
  ControlService(service, SERVICE_CONTROL_STOP, &status);
  for (DWORD waited = 0; waited < kStopWaitMs; waited += kPollMs) {
    if (!QueryServiceStatus(service, &status) || status.dwCurrentState == SERVICE_STOPPED) return;
    Sleep(kPollMs);
  }
}

// Why the folder the service's program comes from is no place to take a
// program that will run as the system from; nothing when only
// administrators, the system (and the installer) may change it.
std::optional<std::string> SourceFolderRefusal(const std::string& folder) {
  const UniqueFile opened = OpenFolderItself(WideLongPath(folder), READ_CONTROL);
  const std::optional<FolderSecurity> security = opened ? SecurityOf(opened.get()) : std::nullopt;
  if (!security) return "nie można odczytać uprawnień folderu " + folder + ": " + LastError();
  const std::string trusted[] = {OwnAccount()};
  const std::optional<std::string> writer = UntrustedWriter(*security, FolderPlace::Written, trusted);
  if (!writer) return std::nullopt;
  return (*writer == security->owner ? "właścicielem folderu " + folder + " jest "
                                     : "folder " + folder + " może zmieniać ") +
         AccountName(*writer) + ", a program usługi, który działa jako system, wolno wziąć tylko z folderu, "
         "który mogą zmieniać wyłącznie administratorzy i system. Rozpakuj pakiet Kolvex do takiego folderu "
         "(na przykład w Program Files) i uruchom polecenie stamtąd";
}

// The program beside kolvexadm put in the service's folder, unless the very
// same one is there: only this command ever replaces it. Only the program
// this kolvexadm was built with, from a folder nobody else may change: the
// bytes checked are the bytes written.
bool PlaceProgram(SC_HANDLE existing, const std::string& target, std::string& failure) {
  const std::string source = JoinPath(ExtractFileDir(ModuleFileName()), kServiceProgram);
  if (const std::optional<std::string> refusal = SourceFolderRefusal(ExtractFileDir(source))) {
    failure = "Nie zainstalowano usługi: " + *refusal + ".";
    return false;
  }
  const std::optional<std::string> bytes = ReadWholeFile(source);
  if (!bytes) {
    failure = "Nie można odczytać programu usługi " + source + ": " + LastError();
    return false;
  }
  if (Sha256Hex(std::as_bytes(std::span(*bytes))) != kServiceProgramSha256) {
    failure = "Nie zainstalowano usługi: " + source +
              " nie jest programem usługi z pakietu tego kolvexadm.exe (inna wersja albo plik zmieniony). "
              "Rozpakuj ponownie cały pakiet Kolvex i uruchom polecenie z rozpakowanego folderu.";
    return false;
  }
  if (ReadWholeFile(target) == bytes) return true;
  if (existing) StopService(existing);
  if (!MakeProgramFolder(ExtractFileDir(target)) || !ReplaceFileWhole(target, target + ".tmp", *bytes)) {
    failure = "Nie można zapisać programu usługi " + target + ": " + LastError();
    return false;
  }
  return true;
}

bool RegisterEventSource(const std::string& program) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEventSourceKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const UniqueHandle<HKEY, &RegCloseKey> owned(key);
  const std::wstring file = Widen(program);
  const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
  return RegSetValueExW(key, L"EventMessageFile", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(file.c_str()),
                        static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS &&
         RegSetValueExW(key, L"TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types),
                        sizeof types) == ERROR_SUCCESS;
}

// The service as this package has it: its program in place, registered
// with the service manager (started with the system, a little after the
// services it needs, so that its pipe's name is its own before any user
// logs on; as the system with one privilege), its rights, its event source.
// Nothing when all is done; otherwise why not.
std::optional<std::string> InstallService() {
  const UniqueService manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return "Nie można otworzyć menedżera usług: " + LastError();
  const std::wstring name = Widen(kServiceName);
  UniqueService service(OpenServiceW(manager.get(), name.c_str(), SERVICE_ALL_ACCESS));
  const std::string program = InstalledProgram();
  std::string failure;
  if (!PlaceProgram(service.get(), program, failure)) return failure;
  const std::wstring command = L"\"" + Widen(program) + L"\"";
  if (service) {
    if (!ChangeServiceConfigW(service.get(), SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                              command.c_str(), nullptr, nullptr, nullptr, L"LocalSystem", nullptr,
                              Widen(kDisplayName).c_str()))
      return "Nie można zmienić ustawień usługi: " + LastError();
  } else {
    service.reset(CreateServiceW(manager.get(), name.c_str(), Widen(kDisplayName).c_str(), SERVICE_ALL_ACCESS,
                                 SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                 command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service) return "Nie można zainstalować usługi: " + LastError();
  }
  std::wstring description = Widen(kDescription);
  SERVICE_DESCRIPTIONW text{description.data()};
  ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, &text);  // only the management console shows it
  DelayedStart delayed{TRUE};
  std::wstring privileges(kServicePrivileges, std::size(kServicePrivileges));
  RequiredPrivileges required{privileges.data()};
  // A service manager that does not know a setting (Wine's) leaves it out.
  const auto set = [&](DWORD level, void* value) {
    return ChangeServiceConfig2W(service.get(), level, value) || GetLastError() == ERROR_INVALID_LEVEL;
  };
  if (!set(kDelayedStartLevel, &delayed) || !set(kRequiredPrivilegesLevel, &required))
    return "Nie można zmienić ustawień usługi: " + LastError();
  const Descriptor access = FromText(Widen(ServiceAccessText()).c_str());
  if (!access.get() || !SetServiceObjectSecurity(service.get(), DACL_SECURITY_INFORMATION, access.get()))
    return "Nie można ustawić uprawnień usługi: " + LastError();
  if (!RegisterEventSource(program)) return "Nie można zarejestrować źródła dziennika zdarzeń: " + LastError();
  return std::nullopt;
}

// The service, its program and its event source gone, as nothing is registered any more.
std::string RemoveService() {
  const UniqueService manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  const UniqueService service(manager ? OpenServiceW(manager.get(), Widen(kServiceName).c_str(), SERVICE_ALL_ACCESS)
                                      : nullptr);
  if (service) {
    StopService(service.get());
    if (!DeleteService(service.get())) return "Nie można usunąć usługi: " + LastError() + "\n";
  }
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kEventSourceKey);
  RemoveEmptyRegistrationKeys();
  const std::string program = InstalledProgram();
  DeleteFileNamed(WideLongPath(program));
  RemoveDirectoryW(WideLongPath(ExtractFileDir(program)).c_str());
  RemoveDirectoryW(WideLongPath(ExtractFileDir(ExtractFileDir(program))).c_str());  // only when empty
  return "Usunięto usługę aktualizacji: nie ma już zarejestrowanych instalacji.\n";
}

// The installation's folder as the service will know it: a local, fixed
// disk's folder, no link, and its identity.
std::optional<FolderIdentity> FolderToRegister(const std::string& folder, std::string& failure) {
  const std::string root = folder.substr(0, 3);
  if (folder.size() < 3 || folder[1] != ':' || folder[2] != '\\' ||
      GetDriveTypeW(Widen(root).c_str()) != DRIVE_FIXED) {
    failure = "Instalację, którą aktualizuje usługa, trzeba umieścić na dysku lokalnym tego komputera "
              "(na przykład w C:\\Program Files).";
    return std::nullopt;
  }
  const UniqueFile handle = OpenFolderItself(WideLongPath(folder), FILE_READ_ATTRIBUTES);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!handle || !GetFileInformationByHandle(handle.get(), &info) ||
      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    failure = "Nie ma katalogu instalacji " + folder + ".";
    return std::nullopt;
  }
  const std::optional<FolderIdentity> identity = IdentityOf(handle.get());
  if (!identity) failure = "Nie można odczytać tożsamości folderu " + folder + ": " + LastError();
  return identity;
}

// How long a question to the service may take: a started service first,
// then the share's first touch within its time-box.
std::uint32_t ServiceLimitMs(const Settings& settings) {
  return 2 * (settings.shareTimeBoxMs ? settings.shareTimeBoxMs : kShareTimeBoxMs);
}

std::string FolderPath(const std::string& folder) {
  std::string path = FullPathName(folder);
  if (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

// Paths compared as the file system compares names: without regard to case.
bool SamePath(const std::string& a, const std::string& b) {
  std::wstring wideA = Widen(a), wideB = Widen(b);
  UpperCase(wideA);
  UpperCase(wideB);
  return wideA == wideB;
}

}  // namespace

ServiceLook LookThroughService(const std::string& folder, const Settings& settings, const std::string& program) {
  const std::optional<FolderIdentity> identity = FolderIdentityAt(folder);
  if (!identity)
    return {ServiceLook::Kind::NoAnswer, "nie można odczytać tożsamości folderu " + folder + ": " + LastError()};
  ServiceLook look{ServiceLook::Kind::NoAnswer, {}};
  const std::optional<std::string> failure =
      AskService({.kind = RequestKind::LookAtShare, .folder = *identity, .programName = program},
                 ServiceLimitMs(settings),
                 [&look](const ServiceReply& reply) {
                   if (const auto* view = std::get_if<ShareViewReply>(&reply)) {
                     look = {view->readable ? ServiceLook::Kind::Readable : ServiceLook::Kind::Unreadable, view->text};
                   } else if (const auto* refused = std::get_if<RefusedReply>(&reply)) {
                     look = {ServiceLook::Kind::Refused, refused->reason};
                   }
                 });
  if (failure) look = {ServiceLook::Kind::NoAnswer, *failure};
  return look;
}

CheckReport RegisterWithService(const std::string& argument) {
  if (std::optional<std::string> unfit = Unfit()) return Refused(std::move(*unfit));
  const std::string folder = FolderPath(argument);
  std::string failure;
  const std::optional<FolderIdentity> identity = FolderToRegister(folder, failure);
  if (!identity) return Refused(failure);
  if (std::optional<std::string> fault = ServiceWayPathsRefusal(ReadSettings(folder)))
    return Refused("Nie zarejestrowano instalacji " + folder + ": " + *fault + ".");
  if (std::optional<std::string> notInstalled = InstallService()) return Refused(std::move(*notInstalled));
  if (!Register({*identity, folder})) return Refused("Nie można zapisać rejestracji instalacji: " + LastError());

  // The service checks the folder itself, as it will before every update.
  const Settings settings = ReadSettings(folder);
  const ServiceLook look = LookThroughService(folder, settings);
  if (look.kind == ServiceLook::Kind::Refused || look.kind == ServiceLook::Kind::NoAnswer) {
    Unregister(*identity);
    if (Registrations().empty()) RemoveService();
    return Refused("Nie zarejestrowano instalacji " + folder + ": " + look.text + ".");
  }
  const bool seen = look.kind == ServiceLook::Kind::Readable;
  std::string text = "Zarejestrowano instalację " + folder + " w usłudze aktualizacji.\n";
  text += (seen ? "" : "UWAGA: ") + look.text + "\n";
  if (!seen)
    text += "Usługa czyta katalog wspólny jako konto tego komputera: w domenie grupa „Komputery domeny” "
            "(Domain Computers) potrzebuje prawa odczytu udziału i jego folderu.\n";
  if (!settings.updatedByService)
    text += "UWAGA: uruchomienia tej instalacji skorzystają z usługi, gdy w sekcji [MAIN] pliku baza.set "
            "będzie " + std::string(kUpdateKey) + "=" + std::string(kUpdateByService) + ".\n";
  return {std::move(text), seen && settings.updatedByService ? kCheckClean : kCheckWarnings};
}

CheckReport UnregisterFromService(const std::string& argument) {
  if (std::optional<std::string> unfit = Unfit()) return Refused(std::move(*unfit));
  const std::string folder = FolderPath(argument);
  // By its identity while the folder is there, by its path after it is gone.
  const std::optional<FolderIdentity> identity = FolderIdentityAt(folder);
  bool removed = false;
  for (const Registration& registration : Registrations()) {
    if (registration.folder == identity || SamePath(registration.path, folder))
      removed = Unregister(registration.folder) || removed;
  }
  if (!removed) return {"Instalacja " + folder + " nie jest zarejestrowana w usłudze aktualizacji.\n", kNotRegistered};
  std::string text = "Usunięto rejestrację instalacji " + folder + ".\n";
  CheckCode code = kCheckClean;
  if (ReadSettings(folder).updatedByService) {
    text += "UWAGA: baza.set tej instalacji nadal wybiera usługę (" + std::string(kUpdateKey) + "=" +
            std::string(kUpdateByService) + "): jej uruchomienia nie zaktualizują programu, dopóki go tam nie "
            "usuniesz (a wtedy użytkownicy muszą mieć prawo zapisu do folderu).\n";
    code = kCheckWarnings;
  }
  if (Registrations().empty()) text += RemoveService();
  return {std::move(text), code};
}

bool IsAdministrator() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                &administrators))
    return false;
  BOOL member = FALSE;
  const BOOL asked = CheckTokenMembership(nullptr, administrators, &member);
  FreeSid(administrators);
  return asked && member;
}

}  // namespace kolvex
