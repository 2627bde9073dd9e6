#pragma once
// What a start (or kolvexadm) says to the update service through the
// service's pipe, and what the service answers. The service trusts nothing a
// request says: a request is small, of one fixed shape, and read strictly,
// and anything else is refused. It names the installation by the identity of
// its folder, never by a path, so the service never opens a path a user
// chose (a UNC path would send the computer's credentials to a host of the
// user's choosing; a pipe path would let the user impersonate the system).
//
// A start sends one request; the service answers with messages of its own:
// any number of Progress, Updated, Skipped and Waiting, then one Finished, Refused or
// ShareView, after which it closes the connection. On the pipe each message
// is framed (Framed, FrameReader): the pipe is a byte stream, as switching a
// pipe to messages takes a right its users are not given.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <variant>

#include "update/InstallationFiles.h"
#include "update/UpdateOutcome.h"

namespace kolvex {

// The service: its name with the service manager and its pipe (its
// program's name is the installation's: update/InstallationFiles.h).
inline constexpr std::string_view kServiceName = "KolvexUsluga";
inline constexpr std::string_view kServicePipe = "\\\\.\\pipe\\KolvexUsluga";
// The service's own exit code (with ERROR_SERVICE_SPECIFIC_ERROR) when it
// stops because another program holds a pipe of its name, and what a start
// and kolvexadm say of that, and of a pipe that is not the service's.
inline constexpr std::uint32_t kPipeTakenExitCode = 1;
inline constexpr std::string_view kPipeTaken = "potok usługi aktualizacji zajął inny program";

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
  friend auto operator<=>(const FolderIdentity&, const FolderIdentity&) = default;
};

// The identity from the system's answers: the 128-bit file id as it comes,
// or the 64-bit index as its two halves, least significant byte first.
FolderIdentity FolderIdentityOf(std::uint64_t volumeSerial, std::span<const std::uint8_t, 16> fileId);
FolderIdentity FolderIdentityOf(std::uint32_t volumeSerial, std::uint32_t indexHigh, std::uint32_t indexLow);

enum class RequestKind : std::uint8_t {
  Update = 1,       // a start: update the installation, then say how it went
  LookAtShare = 2,  // kolvexadm: read the installation's shared directory as the service does
};

struct ServiceRequest {
  RequestKind kind = RequestKind::Update;
  FolderIdentity folder{};
  // Update: the start's program relative to the installation, a name by the
  // rules of a [SKLADNIKI] entry's (IsComponentName); LookAtShare: empty, or
  // the program kolvexadm checks, named so too.
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
// A file of the share not installed for its signature (UpdateOutcome::refused).
struct SkippedReply {
  RefusedUpdate skipped;
  friend bool operator==(const SkippedReply& a, const SkippedReply& b) {
    return std::tie(a.skipped.name, a.skipped.reason) == std::tie(b.skipped.name, b.skipped.reason);
  }
};
// How the update ended: the result, for Failed what the user is shown, and
// the system's text where the result has one (UpdateOutcome::reason).
struct FinishedReply {
  UpdateResult result = UpdateResult::NothingToDo;
  std::string failure{};
  std::string reason{};
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
// A listed file another program holds open, left as it was (UpdateOutcome::waiting).
struct WaitingReply {
  std::string name;
  friend bool operator==(const WaitingReply&, const WaitingReply&) = default;
};
using ServiceReply = std::variant<ProgressReply, UpdatedReply, SkippedReply, FinishedReply, RefusedReply,
                                  ShareViewReply, WaitingReply>;
// Whether nothing comes after the reply: Finished, Refused and ShareView.
bool IsLastReply(const ServiceReply& reply);

// At most kMostReplyBytes, texts cut to kMostReplyTextBytes.
std::string EncodeReply(const ServiceReply& reply);
// Nothing for any bytes but a whole reply, exactly: texts in UTF-8, a known
// result, dates within the calendar's years 1 to 9999.
std::optional<ServiceReply> ParseReply(std::string_view bytes);

// The message as it goes through the pipe: its length in four bytes, least
// significant first, then its bytes.
std::string Framed(std::string_view message);

// Takes the bytes of a pipe as they come and gives back the whole messages
// in them; a frame longer than the most the reader takes spoils the stream.
class FrameReader {
 public:
  explicit FrameReader(size_t most) : most_(most) {}
  void Take(std::string_view bytes) { bytes_ += bytes; }
  // The next whole message, if one has come.
  std::optional<std::string> Next();
  // Whether a frame announced more than the most: nothing more can be read.
  bool Spoilt() const { return spoilt_; }

 private:
  size_t most_;
  std::string bytes_;
  bool spoilt_ = false;
};

}  // namespace kolvex
