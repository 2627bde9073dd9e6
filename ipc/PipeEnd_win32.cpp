#include "ipc/PipeEnd_win32.h"

#include "common/win32/Window.h"

namespace kolvex {

PipeEnd::PipeEnd(UniqueFile pipe, bool handlingMessages)
    : pipe_(std::move(pipe)), event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), handlingMessages_(handlingMessages) {}

bool PipeEnd::Ended(DWORD ms) {
  const HANDLE event = event_.get();
  if (!handlingMessages_) return WaitForSingleObject(event, ms) == WAIT_OBJECT_0;
  for (const DWORD start = GetTickCount();;) {
    const DWORD passed = GetTickCount() - start;  // right across the counter's wrap
    const DWORD result = MsgWaitForMultipleObjects(1, &event, FALSE, passed >= ms ? 0 : ms - passed, QS_ALLINPUT);
    if (result != WAIT_OBJECT_0 + 1) return result == WAIT_OBJECT_0;
    HandleMessages();
  }
}

// Started and cancelled on the calling thread: CancelIo (Windows 2000's,
// unlike CancelIoEx) cancels only what the thread itself started.
bool PipeEnd::Transfer(bool write, void* bytes, DWORD size, DWORD ms, DWORD& done) {
  done = 0;
  if (!pipe_ || !event_) return false;
  OVERLAPPED overlapped{};
  overlapped.hEvent = event_.get();
  ResetEvent(event_.get());
  const BOOL atOnce = write ? WriteFile(pipe_.get(), bytes, size, nullptr, &overlapped)
                            : ReadFile(pipe_.get(), bytes, size, nullptr, &overlapped);
  if (!atOnce && GetLastError() != ERROR_IO_PENDING) return false;
  if (!Ended(ms)) CancelIo(pipe_.get());
  // After a cancel, the wait ends as soon as the system has let go of the buffer.
  return GetOverlappedResult(pipe_.get(), &overlapped, &done, TRUE) != FALSE;
}

PipeEnd::Received PipeEnd::Receive(FrameReader& frames, DWORD ms, std::string& message) {
  const DWORD start = GetTickCount();
  while (true) {
    if (std::optional<std::string> next = frames.Next()) {
      message = std::move(*next);
      return Received::Message;
    }
    if (frames.Spoilt()) return Received::TooLong;
    const DWORD waited = GetTickCount() - start;  // right across the counter's wrap
    if (waited >= ms) return Received::NotInTime;
    char bytes[4096];
    DWORD read = 0;
    if (!Transfer(false, bytes, sizeof bytes, ms - waited, read))
      return GetLastError() == ERROR_OPERATION_ABORTED ? Received::NotInTime : Received::Closed;
    frames.Take({bytes, read});
  }
}

bool PipeEnd::Send(std::string_view message, DWORD ms) {
  std::string bytes = Framed(message);
  DWORD written = 0;
  return Transfer(true, bytes.data(), static_cast<DWORD>(bytes.size()), ms, written) && written == bytes.size();
}

}  // namespace kolvex
