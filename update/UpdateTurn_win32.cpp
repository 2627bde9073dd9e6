#include "update/UpdateTurn_win32.h"

#include "common/Paths.h"
#include "common/win32/FileIO.h"
#include "common/win32/Files.h"
#include "common/win32/Utf.h"
#include "common/win32/Window.h"
#include "update/UpdateTurn.h"

namespace kolvex {

namespace {

// Another run of the same installation is usually done within a second
// (nothing to update, or a small program); only a longer wait is shown.
constexpr DWORD kQuietWaitMs = 1000;
// The longest a start waits for its turn, one minute. A run holds the turn
// only while it works (nothing is shown to its user meanwhile), so a longer
// hold is a large copy over a slow network or a stuck run: past this the
// installed program is started as it is.
constexpr DWORD kTurnWaitMs = 60 * 1000;
// How soon a turn left (or abandoned) is taken.
constexpr DWORD kTurnPollMs = 50;

}  // namespace

UpdateTurn::UpdateTurn(const std::string& exeDir, UpdateProgress& progress, const std::string& programName) {
  const std::wstring path = Widen(LongPathForm(JoinPath(exeDir, kTurnFileName)));
  // Nobody opens a read-only file for writing: every start would go without
  // its turn. Whoever may write the installation may clear the attribute.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesW(path.c_str(), (attributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_HIDDEN);
  const DWORD start = GetTickCount();
  bool shown = false;
  for (;;) {
    turn_ = OpenOrCreateAlone(path, GENERIC_WRITE, FILE_ATTRIBUTE_HIDDEN);
    if (turn_) return;
    if (const DWORD error = GetLastError(); error != ERROR_SHARING_VIOLATION) {
      refusal_ = error;
      return;
    }
    const DWORD waited = GetTickCount() - start;
    if (waited >= kTurnWaitMs) return;
    if (!shown && waited >= kQuietWaitMs) {
      progress.WaitingForTurn(programName);
      shown = true;
    }
    PauseHandlingMessages(kTurnPollMs);
  }
}

}  // namespace kolvex
