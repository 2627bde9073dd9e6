#include <windows.h>

#include "common/Global.h"
#include "common/win32/Files.h"
#include "common/win32/TimeBox.h"
#include "common/win32/Utf.h"
#include "launcher/ShareProbe.h"

namespace kolvex {

namespace {

// The directory's attributes: a look-up of its name, the call that waits
// for the network when the server does not answer.
class AttributesProbe final : public TimeBoxedWork {
 public:
  explicit AttributesProbe(std::wstring path) : path_(std::move(path)) {}
  ShareReply reply;

 private:
  void Run() noexcept override {
    const DWORD attributes = GetFileAttributesW(path_.c_str());
    reply = attributes == INVALID_FILE_ATTRIBUTES ? ShareReply{.error = GetLastError()}
                                                  : ShareReply{.found = true, .attributes = attributes};
  }
  std::wstring path_;
};

}  // namespace

// Asked as a directory, with a separator at the end (a share's root too),
// as the update joins its paths.
std::optional<ShareReply> AskShare(const std::string& dir, uint32_t limitMs) {
  const TimeBoxed<AttributesProbe> probe(new AttributesProbe(Widen(LongPathForm(JoinPath(dir, "")))));
  if (!probe->RunWithin(limitMs ? limitMs : INFINITE)) return std::nullopt;
  return probe->reply;
}

}  // namespace kolvex
