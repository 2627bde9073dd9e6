#pragma once
// The update log written on Windows: in the ANSI code page, with the user's
// date and time formats.
#include <cstdint>
#include <string>

#include "update/Update.h"
#include "update/UpdateLog.h"

namespace kolvex {

// Appends the line to the log of UpdateLogPath (in the ANSI code page),
// creating the file when needed. Raises EInOutError when the log can neither
// be opened nor created, or the line cannot be written. The log is nobody
// else's while the line is written, or (besideReaders) shared with those who
// only read it and let it be written: in the per-machine way anybody may read
// it, and no reader may make the update fail.
void WriteUpdateLog(const std::string& fileName, uint8_t compareMode, const ComponentUpdate& update,
                    const std::string& exeDir, bool besideReaders = false);
// Appends UpdateLogWaitingLine to the same log, raising as WriteUpdateLog does.
void WriteWaitingLog(const std::string& fileName, const ComponentUpdate& update, const std::string& exeDir,
                     bool besideReaders = false);

// The update's record in a start: each file brought in is a line of the
// update log of the installation in exeDir.
class UpdateLogFile final : public UpdateRecord {
 public:
  explicit UpdateLogFile(std::string exeDir, bool besideReaders = false)
      : exeDir_(std::move(exeDir)), besideReaders_(besideReaders) {}
  void Refreshed(const std::string& fileName, const ComponentUpdate& update) override {
    WriteUpdateLog(fileName, update.compareMode, update, exeDir_, besideReaders_);
  }
  void Waiting(const std::string& fileName, const ComponentUpdate& update) override {
    WriteWaitingLog(fileName, update, exeDir_, besideReaders_);
  }

 private:
  std::string exeDir_;
  bool besideReaders_;
};

}  // namespace kolvex
