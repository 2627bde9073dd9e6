#pragma once
// The update stage on Windows: the installation's named mutex, and the
// error mode that keeps the system's "no disk" boxes away from the user.
#include <windows.h>

#include <string>

#include "common/win32/Handles.h"

namespace kolvex {

// The name of the update lock of the installation in exeDir, without its
// namespace (Global\ or Local\).
std::wstring UpdateLockNameOf(const std::string& exeDir);

// Held for the whole update stage of a run: from the end of the start-up
// wait to the hand-off, for every file the run updates.
class UpdateStage {
 public:
  // Suppresses critical-error boxes, then takes the lock of the installation
  // in exeDir, waiting while another run holds it (showing the progress
  // window with progressText after a while). A lock abandoned by a run that
  // was ended by force is taken over. Past the wait's bound the user is told
  // and EAbort is raised.
  UpdateStage(const std::string& exeDir, const std::string& progressText);
  ~UpdateStage();
  UpdateStage(const UpdateStage&) = delete;
  UpdateStage& operator=(const UpdateStage&) = delete;

 private:
  UINT previousErrorMode_;
  UniqueKernelHandle mutex_;
};

}  // namespace kolvex
