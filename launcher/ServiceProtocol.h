#pragma once
// What a start (or kolvexadm) says to the update service through the
// service's pipe, and what the service answers. The service trusts nothing a
// request says: a request is small, of one fixed shape, and read strictly,
// and anything else is refused. It names the installation by the identity of
// its folder, never by a path, so the service never opens a path a user
// chose (a UNC path would send the computer's credentials to a host of the
// user's choosing; a pipe path would let the user impersonate the system).
//
// A request is one pipe message; the service answers with messages of its
// own: any number of Progress and Updated, then one Finished, Refused or
// ShareView, after which it closes the connection.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <variant>

#include "launcher/UpdateOutcome.h"

namespace kolvex {

// The largest message each side reads: a longer one is refused whole.
inline constexpr size_t kMostRequestBytes = 1024;
inline constexpr size_t kMostReplyBytes = 64 * 1024;
// A text in a reply is cut to this many bytes (at a character's start) when
// written, so that every reply the service writes is one the start reads.
inline constexpr size_t kMostReplyTextBytes = 16 * 1024;

// A folder as its file system knows it, whatever the path to it: the serial
// number of its volume and its file id, the 128-bit one where the file
// system has it (ReFS), otherwise the 64-bit index in the first 8 bytes.
struct FolderIdentity {
  std::uint64_t volumeSerial = 0;
  std::array<std::uint8_t, 16> fileId{};
  friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};

enum class RequestKind : std::uint8_t {
  Update = 1,       // a start: update the installation, then say how it went
  LookAtShare = 2,  // kolvexadm: read the installation's shared directory as the service does
};

struct ServiceRequest {
  RequestKind kind = RequestKind::Update;
  FolderIdentity folder{};
  // Update: the start's program relative to the installation, a name by the
  // rules of a [SKLADNIKI] entry's (IsComponentName); LookAtShare: empty.
  std::string programName{};
  friend bool operator==(const ServiceRequest&, const ServiceRequest&) = default;
};

std::string EncodeRequest(const ServiceRequest& request);
// Nothing for any bytes but a whole request, exactly: the right mark and
// version, a known kind, a program name that is UTF-8 and fits its kind, and
// not a byte more.
std::optional<ServiceRequest> ParseRequest(std::string_view bytes);

// The service copies a file: the start shows the "Aktualizacja" window with
// this caption when the copying lasts.
struct ProgressReply {
  std::string caption;
  friend bool operator==(const ProgressReply&, const ProgressReply&) = default;
};
// A file the update brought in; the start fills in its two paths (src, dst)
// from its own view of the installation.
struct UpdatedReply {
  ComponentUpdate update;
  // By what the reply carries.
  friend bool operator==(const UpdatedReply& a, const UpdatedReply& b) {
    const auto carried = [](const ComponentUpdate& u) {
      return std::tie(u.name, u.oldVersion, u.newVersion, u.oldDate, u.newDate, u.compareMode);
    };
    return carried(a.update) == carried(b.update);
  }
};
// How the update ended: the result and, for Failed, what the user is shown.
struct FinishedReply {
  UpdateResult result = UpdateResult::NothingToDo;
  std::string failure;
  friend bool operator==(const FinishedReply&, const FinishedReply&) = default;
};
// The request was not carried out: why, in Polish, for the start report and kolvexadm.
struct RefusedReply {
  std::string reason;
  friend bool operator==(const RefusedReply&, const RefusedReply&) = default;
};
// What the service sees of the shared directory, in Polish lines.
struct ShareViewReply {
  bool readable = false;
  std::string text;
  friend bool operator==(const ShareViewReply&, const ShareViewReply&) = default;
};
using ServiceReply = std::variant<ProgressReply, UpdatedReply, FinishedReply, RefusedReply, ShareViewReply>;

// At most kMostReplyBytes, texts cut to kMostReplyTextBytes.
std::string EncodeReply(const ServiceReply& reply);
// Nothing for any bytes but a whole reply, exactly: texts in UTF-8, a known
// result, dates within the calendar's years 1 to 9999.
std::optional<ServiceReply> ParseReply(std::string_view bytes);

}  // namespace kolvex
