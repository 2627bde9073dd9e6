#pragma once
// The installation's turn at the update on Windows: a file held open.
#include <windows.h>

#include <string>

#include "common/win32/Handles.h"
#include "update/Update.h"

namespace kolvex {

// Held while the run updates the installation, and left before it shows
// anything that waits for its user.
class UpdateTurn {
 public:
  // Takes the turn of the installation in exeDir: its turn file
  // (kTurnFileName) opened for writing without sharing, so that only those
  // who may write the installation can hold it, and every path to the
  // directory (drive letter, UNC name, SUBST drive) leads to the one file.
  // While another run holds it, waits (telling progress after a while that
  // it waits for programName's update), a minute at most (kTurnWaitMs in
  // UpdateTurn_win32.cpp); a run ended by force leaves it at once, as the
  // system closes its files. A read-only turn file (an installation copied
  // from a CD, attrib +r) has the attribute cleared first. A user who may not
  // write there cannot take it and holds up no one (Refusal).
  UpdateTurn(const std::string& exeDir, UpdateProgress& progress, const std::string& programName);
  UpdateTurn(const UpdateTurn&) = delete;
  UpdateTurn& operator=(const UpdateTurn&) = delete;

  // False when another run held the turn past the wait's bound, or it was refused.
  bool TurnCame() const { return static_cast<bool>(turn_); }
  // The system's error when the turn file could not be opened for another
  // reason than another run holding it (no right to write the
  // installation); ERROR_SUCCESS otherwise.
  DWORD Refusal() const { return refusal_; }

 private:
  UniqueFile turn_;
  DWORD refusal_ = ERROR_SUCCESS;
};

}  // namespace kolvex
