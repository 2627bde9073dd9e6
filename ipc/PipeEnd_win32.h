#pragma once
// One end of a connection through the update service's pipe, read and
// written with deadlines, on either side: the other end may send nothing,
// half a message or too much, and may read nothing; each costs this end at
// most the deadline.
#include <windows.h>

#include <string>
#include <string_view>

#include "common/win32/Handles.h"
#include "ipc/ServiceProtocol.h"

namespace kolvex {

class PipeEnd {
 public:
  // pipe: opened for overlapped use (FILE_FLAG_OVERLAPPED). handlingMessages:
  // while it waits, the thread's window messages are handled, so that a
  // window of the thread answers however long the other end takes.
  explicit PipeEnd(UniqueFile pipe, bool handlingMessages = false);
  PipeEnd(const PipeEnd&) = delete;
  PipeEnd& operator=(const PipeEnd&) = delete;

  HANDLE Handle() const { return pipe_.get(); }

  enum class Received : std::uint8_t { Message, TooLong, NotInTime, Closed };
  // The next message of frames, reading from the pipe as long as it takes
  // within ms: Message with it in message, or why there is none.
  Received Receive(FrameReader& frames, DWORD ms, std::string& message);

  // The message, framed, within ms; false when it could not be written whole in time.
  bool Send(std::string_view message, DWORD ms);

 private:
  // One overlapped read or write, waited for at most ms and cancelled after.
  bool Transfer(bool write, void* bytes, DWORD size, DWORD ms, DWORD& done);
  // Whether the transfer under way ended within ms.
  bool Ended(DWORD ms);

  UniqueFile pipe_;
  UniqueKernelHandle event_;
  bool handlingMessages_;
};

}  // namespace kolvex
