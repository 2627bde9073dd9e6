#include "launcher/UpdateStage_win32.h"

#include <sddl.h>

#include "common/Exceptions.h"
#include "common/win32/Utf.h"
#include "launcher/UpdateStage.h"
#include "launcher/oTrwaAktualizacja.h"
#include "messages/komunikaty.h"

namespace kolvex {

namespace {

// Another run of the same installation is usually done within a second
// (nothing to update, or a small program); only a longer wait is shown.
constexpr DWORD kQuietWaitMs = 1000;
// Long enough for a large program over a slow network (200 MB at 10 Mbit/s
// takes under three minutes); a run that holds the lock longer is stuck.
constexpr DWORD kLockWaitMs = 5 * 60 * 1000;

// What a run needs of a lock another session created: to wait for it and
// to release it.
constexpr DWORD kLockAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

// Every user of a terminal server may wait for and release the lock, and
// nothing more: a lock created by one user with the default rights would
// be closed to all the others.
constexpr wchar_t kLockRights[] = L"D:(A;;0x00100001;;;WD)";  // kLockAccess for Everyone
static_assert(kLockAccess == 0x00100001);

class LockSecurity {
 public:
  LockSecurity() {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(kLockRights, SDDL_REVISION_1, &descriptor, nullptr))
      descriptor_.reset(descriptor);
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_.get();
    attributes_.bInheritHandle = FALSE;
  }
  SECURITY_ATTRIBUTES* get() { return &attributes_; }

 private:
  UniqueLocal descriptor_;
  SECURITY_ATTRIBUTES attributes_{};
};

// The named mutex, created or opened; empty when the namespace refuses it
// (a session without the right to create global objects).
UniqueKernelHandle OpenLock(const std::wstring& name, LockSecurity& security) {
  UniqueKernelHandle lock(CreateMutexW(security.get(), FALSE, name.c_str()));
  if (!lock && GetLastError() == ERROR_ACCESS_DENIED) lock.reset(OpenMutexW(kLockAccess, FALSE, name.c_str()));
  return lock;
}

// Every session of a terminal server sees Global\; where it is refused the
// runs of this session at least share Local\.
UniqueKernelHandle InstallationLock(const std::string& exeDir) {
  const std::wstring name = UpdateLockNameOf(exeDir);
  LockSecurity security;
  UniqueKernelHandle lock = OpenLock(L"Global\\" + name, security);
  if (!lock) lock = OpenLock(L"Local\\" + name, security);
  return lock;
}

// Waits for the lock with the window's messages handled, so that the
// progress window stays painted and the system does not take the launcher
// for hung.
DWORD WaitPumpingMessages(HANDLE lock, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    const DWORD result =
        MsgWaitForMultipleObjects(1, &lock, FALSE, elapsed < timeoutMs ? timeoutMs - elapsed : 0, QS_ALLINPUT);
    if (result != WAIT_OBJECT_0 + 1) return result;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

bool Owned(DWORD waitResult) { return waitResult == WAIT_OBJECT_0 || waitResult == WAIT_ABANDONED_0; }

}  // namespace

std::wstring UpdateLockNameOf(const std::string& exeDir) {
  std::wstring folded = Widen(exeDir);
  // One folding for every user: the locale of each session may differ.
  LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, folded.c_str(), static_cast<int>(folded.size()), folded.data(),
               static_cast<int>(folded.size()));
  return Widen(UpdateLockName(Narrow(folded)));
}

UpdateStage::UpdateStage(const std::string& exeDir, const std::string& progressText)
    // Before the first touch of the shared directory: a removable drive
    // without a medium gives the launcher's own message, not the system's box.
    : previousErrorMode_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)),
      mutex_(InstallationLock(exeDir)) {
  // Without a lock (no namespace would give one) the run goes on alone, as
  // every run did before there was a lock.
  if (!mutex_) return;
  // An abandoned lock is the run that held it ended by force: the
  // installation is still whole (every replacement is one rename).
  DWORD result = WaitPumpingMessages(mutex_.get(), kQuietWaitMs);
  if (result == WAIT_TIMEOUT) {
    ShowUpdateProgress(progressText);
    result = WaitPumpingMessages(mutex_.get(), kLockWaitMs - kQuietWaitMs);
  }
  if (Owned(result)) return;
  mutex_.reset();
  if (result == WAIT_FAILED) return;  // no lock to be had: on alone, as above
  SetErrorMode(previousErrorMode_);
  ShowErrorMessage(LockWaitTooLongMessage(progressText));
  throw EAbort();
}

UpdateStage::~UpdateStage() {
  if (mutex_) ReleaseMutex(mutex_.get());
  SetErrorMode(previousErrorMode_);
}

}  // namespace kolvex
