// The service's messages in any bytes: no crash, no hang; whatever is read as
// a request or a reply is exactly what writing it back gives, so a message
// has one reading and nothing in it goes unread.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ipc/ServiceProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (const auto request = kolvex::ParseRequest(bytes); request && kolvex::EncodeRequest(*request) != bytes) {
    std::abort();
  }
  if (const auto reply = kolvex::ParseReply(bytes); reply && kolvex::EncodeReply(*reply) != bytes) std::abort();
  return 0;
}
