// Work whose request lasts past its limit, on a request the system can
// cancel under Wine too: a read from a pipe nobody writes waits as a look-up
// on a dead server does.
#include "common/win32/TimeBox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "common/win32/Handles.h"
#include "support/Robot.h"

namespace kolvex {
namespace {

TEST(RunBounded, ARequestPastTheLimitIsGivenUpOnCancelledAndNothingAfterItIsDone) {
  HANDLE read = nullptr, write = nullptr;
  ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 0));
  const UniqueKernelHandle reader(read), writer(write);
  struct Seen {
    std::atomic<bool> returned{false}, after{false};
  };
  const auto seen = std::make_shared<Seen>();
  const DWORD start = GetTickCount();
  EXPECT_FALSE(RunBounded(300, [seen, read](RequestWatch& watch) {
    watch.Ask([&] {
      char byte = 0;
      DWORD count = 0;
      ReadFile(read, &byte, 1, &count, nullptr);
      seen->returned = true;
    });
    seen->after = true;
  }));
  EXPECT_GE(GetTickCount() - start, 280u);
  EXPECT_TRUE(test::WaitUntil([&] { return seen->returned.load(); }, 2000)) << "the read was not cancelled";
  Sleep(100);
  EXPECT_FALSE(seen->after);
}

}  // namespace
}  // namespace kolvex
