// Work whose request lasts past its limit, on a request the system can
// cancel under Wine too: a read from a pipe nobody writes waits as a look-up
// on a dead server does.
#include "common/win32/TimeBox.h"

#include <gtest/gtest.h>

#include <atomic>

#include "common/win32/Handles.h"
#include "support/Robot.h"

namespace kolvex {
namespace {

// The share's first look, standing in for GetFileAttributesW: a read from such a pipe.
HANDLE stalledPipe = nullptr;
std::atomic<bool> lookUpReturned{false};
DWORD WINAPI ReadStalledPipe(LPCWSTR) {
  char byte = 0;
  DWORD count = 0;
  ReadFile(stalledPipe, &byte, 1, &count, nullptr);
  lookUpReturned = true;
  return INVALID_FILE_ATTRIBUTES;
}

TEST(RunBounded, ARequestPastTheLimitIsGivenUpOnCancelledAndNothingAfterItIsDone) {
  HANDLE read = nullptr, write = nullptr;
  ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 0));
  const UniqueKernelHandle reader(read), writer(write);
  // Given up on, it stays with its thread: the test leaves it allocated.
  struct Reading final : BoundedWork {
    explicit Reading(HANDLE pipe) : BoundedWork(300), pipe(pipe) {}
    void Run(RequestWatch& watch) override {
      watch.Ask([&] {
        char byte = 0;
        DWORD count = 0;
        ReadFile(pipe, &byte, 1, &count, nullptr);
        returned = true;
      });
      after = true;
    }
    HANDLE pipe;
    std::atomic<bool> returned{false}, after{false};
  };
  auto* const work = new Reading(read);
  const DWORD start = GetTickCount();
  EXPECT_FALSE(RunBounded(*work));
  EXPECT_GE(GetTickCount() - start, 280u);
  EXPECT_TRUE(test::WaitUntil([&] { return work->returned.load(); }, 2000)) << "the read was not cancelled";
  Sleep(100);
  EXPECT_FALSE(work->after);
  stalledPipe = read;
  DWORD attributes = 0, error = 0;
  EXPECT_FALSE(FileAttributesWithin(L"\\\\serwer\\dane", 300, attributes, error, &ReadStalledPipe));
  EXPECT_TRUE(test::WaitUntil([] { return lookUpReturned.load(); }, 2000)) << "the look-up was not cancelled";
}

}  // namespace
}  // namespace kolvex
