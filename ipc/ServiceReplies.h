#pragma once
// What a start makes of the update service's replies: the update's outcome
// as a start of its own would have it, the service's refusal, and when the
// "Aktualizacja" window shows: once the service has copied one file for more
// than a second, so that a short copy flashes nothing.
#include <cstdint>
#include <optional>
#include <string>

#include "update/Installation.h"
#include "ipc/ServiceProtocol.h"
#include "update/Update.h"

namespace kolvex {

inline constexpr std::uint64_t kShowServiceCopyAfterMs = 1000;

class ServiceReplies {
 public:
  // installation: the start's own view of it, whose paths the updates get.
  ServiceReplies(const Installation& installation, UpdateProgress& progress)
      : installation_(installation), progress_(progress) {}

  // The reply, come at nowMs (any steady clock's milliseconds).
  void Read(const ServiceReply& reply, std::uint64_t nowMs);

  const UpdateOutcome& Outcome() const { return outcome_; }
  // Why the service would not update the installation, when it would not.
  const std::optional<std::string>& Refusal() const { return refusal_; }

 private:
  void Copying(const std::string& caption, std::uint64_t nowMs);

  const Installation& installation_;
  UpdateProgress& progress_;
  UpdateOutcome outcome_;
  std::optional<std::string> refusal_;
  std::string caption_;
  std::uint64_t since_ = 0;
  bool shown_ = false;
};

}  // namespace kolvex
