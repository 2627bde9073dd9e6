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
// be opened nor created, or the line cannot be written.
void WriteUpdateLog(const std::string& fileName, uint8_t compareMode, const ComponentUpdate& update,
                    const std::string& exeDir);
// Appends UpdateLogWaitingLine to the same log, raising as WriteUpdateLog does.
void WriteWaitingLog(const std::string& fileName, const ComponentUpdate& update, const std::string& exeDir);

// Appends line (CR LF included) to the log of UpdateLogPath, raising as WriteUpdateLog does.
void AppendToUpdateLog(const std::string& fileName, const std::string& exeDir, const std::string& line);

// The update's record in a start: each file brought in is a line of the
// update log of the installation in exeDir.
class UpdateLogFile final : public UpdateRecord {
 public:
  explicit UpdateLogFile(std::string exeDir) : exeDir_(std::move(exeDir)) {}
  void Refreshed(const std::string& fileName, const ComponentUpdate& update) override {
    WriteUpdateLog(fileName, update.compareMode, update, exeDir_);
  }
  void Waiting(const std::string& fileName, const ComponentUpdate& update) override {
    WriteWaitingLog(fileName, update, exeDir_);
  }

 private:
  std::string exeDir_;
};

}  // namespace kolvex
