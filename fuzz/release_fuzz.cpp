// wydanie.set in any bytes: no crash, no hang; a file read lets a release
// through only with a version and a limit, and halting it by hand is what
// reading it back sees.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/TextDecode.h"
#include "update/Release.h"

namespace {
std::string Latin(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) out += c < 0x80 ? std::string(1, static_cast<char>(c)) : "?";
  return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = kolvex::DecodeText({reinterpret_cast<const char*>(data), size}, Latin);
  const kolvex::ReleaseFile file = kolvex::ParseRelease(text);
  if (!file.problem.empty()) return 0;
  if (file.release.version.empty() || file.release.failureLimit == 0) std::abort();
  for (const kolvex::ReleaseStage& stage : file.release.stages) {
    if (stage.percent < 0 || stage.percent > 100) std::abort();
  }
  for (bool halted : {true, false}) {
    const kolvex::ReleaseFile again = kolvex::ParseRelease(kolvex::SetReleaseHalted(text, halted));
    if (!again.problem.empty() || again.release.halted != halted || again.release.version != file.release.version ||
        again.release.stages != file.release.stages)
      std::abort();
  }
  return 0;
}
