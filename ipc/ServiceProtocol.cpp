#include "ipc/ServiceProtocol.h"

#include <algorithm>
#include <bit>

#include "common/Exceptions.h"
#include "common/TextDecode.h"
#include "common/Unicode.h"
#include "update/Components.h"

namespace kolvex {

namespace {

// Every message begins with the mark of its side and the protocol's version,
// so that a stray writer or an older program is told apart at once.
constexpr std::string_view kRequestMark = "KVQ\x01";
constexpr std::string_view kReplyMark = "KVR\x01";

// The reply messages' kinds, in the order of ServiceReply's alternatives.
constexpr uint8_t kFirstReplyKind = 1;

// Numbers least significant byte first; a text as its length in two bytes, then its bytes.
class Writer {
 public:
  explicit Writer(std::string_view mark) : bytes_(mark) {}
  Writer& Number(uint64_t value, size_t size) {
    for (size_t i = 0; i < size; ++i) bytes_ += static_cast<char>(value >> (8 * i) & 0xFF);
    return *this;
  }
  Writer& Text(std::string_view text) {
    if (text.size() > kMostReplyTextBytes) {
      size_t end = kMostReplyTextBytes;
      while (end > 0 && IsUtf8Continuation(text[end])) --end;
      text = text.substr(0, end);
    }
    Number(text.size(), 2);
    bytes_ += text;
    return *this;
  }
  std::string Bytes() && { return std::move(bytes_); }

 private:
  std::string bytes_;
};

// Reads a message front to back; the first thing amiss (a field cut short, a
// text that is not UTF-8) spoils the whole reading for good.
class Reader {
 public:
  Reader(std::string_view bytes, std::string_view mark) : rest_(bytes), ok_(bytes.starts_with(mark)) {
    Skip(mark.size());
  }
  uint64_t Number(size_t size) {
    if (!Has(size)) return 0;
    uint64_t value = 0;
    for (size_t i = size; i-- > 0;) value = value << 8 | static_cast<uint8_t>(rest_[i]);
    Skip(size);
    return value;
  }
  std::string Text(size_t most) {
    const size_t size = Number(2);
    if (size > most || !Has(size) || !IsValidUtf8(rest_.substr(0, size))) return Spoil();
    std::string text(rest_.substr(0, size));
    Skip(size);
    return text;
  }
  void Require(bool condition) {
    if (!condition) Spoil();
  }
  // Whether every byte was read, and rightly.
  bool Whole() const { return ok_ && rest_.empty(); }

 private:
  bool Has(size_t size) {
    if (rest_.size() < size) Spoil();
    return ok_;
  }
  void Skip(size_t size) { rest_.remove_prefix(ok_ ? size : rest_.size()); }
  std::string Spoil() {
    ok_ = false;
    rest_ = {};
    return {};
  }

  std::string_view rest_;
  bool ok_;
};

// A date as its eight bytes; one the calendar cannot show (not a number,
// beyond the year 9999) spoils the reading, as the start report shows every date.
DateTime ReadDate(Reader& reader) {
  const DateTime date{std::bit_cast<double>(reader.Number(8))};
  try {
    DecodeDateTime(date);
  } catch (const EConvertError&) {
    reader.Require(false);
  }
  return date;
}

void WriteReply(Writer& out, const ProgressReply& reply) { out.Text(reply.caption); }

void WriteReply(Writer& out, const UpdatedReply& reply) {
  const ComponentUpdate& update = reply.update;
  out.Text(update.name).Text(update.oldVersion).Text(update.newVersion);
  out.Number(std::bit_cast<uint64_t>(update.oldDate.value), 8).Number(std::bit_cast<uint64_t>(update.newDate.value), 8);
  out.Number(update.compareMode, 1);
}

void WriteReply(Writer& out, const SkippedReply& reply) { out.Text(reply.skipped.name).Text(reply.skipped.reason); }

void WriteReply(Writer& out, const FinishedReply& reply) {
  out.Number(static_cast<uint8_t>(reply.result), 1).Text(reply.failure).Text(reply.reason);
}

void WriteReply(Writer& out, const RefusedReply& reply) { out.Text(reply.reason); }

void WriteReply(Writer& out, const ShareViewReply& reply) { out.Number(reply.readable, 1).Text(reply.text); }

void WriteReply(Writer& out, const WaitingReply& reply) { out.Text(reply.name); }

ServiceReply ReadReply(Reader& in, uint8_t kind) {
  switch (kind) {
    case 1:
      return ProgressReply{in.Text(kMostReplyTextBytes)};
    case 2: {
      ComponentUpdate update{.name = in.Text(kMostReplyTextBytes)};
      update.oldVersion = in.Text(kMostReplyTextBytes);
      update.newVersion = in.Text(kMostReplyTextBytes);
      update.oldDate = ReadDate(in);
      update.newDate = ReadDate(in);
      update.compareMode = static_cast<uint8_t>(in.Number(1));
      in.Require(update.compareMode == kCompareByVersion || update.compareMode == kCompareByDate);
      return UpdatedReply{std::move(update)};
    }
    case 3: {
      std::string name = in.Text(kMostReplyTextBytes);
      return SkippedReply{{std::move(name), in.Text(kMostReplyTextBytes)}};
    }
    case 4: {
      const uint64_t result = in.Number(1);
      in.Require(result <= static_cast<uint8_t>(kLastUpdateResult));
      std::string failure = in.Text(kMostReplyTextBytes);
      return FinishedReply{static_cast<UpdateResult>(result), std::move(failure), in.Text(kMostReplyTextBytes)};
    }
    case 5:
      return RefusedReply{in.Text(kMostReplyTextBytes)};
    case 6: {
      const uint64_t readable = in.Number(1);
      in.Require(readable <= 1);
      return ShareViewReply{readable == 1, in.Text(kMostReplyTextBytes)};
    }
    case 7:
      return WaitingReply{in.Text(kMostReplyTextBytes)};
    default:
      in.Require(false);
      return RefusedReply{};
  }
}

}  // namespace

FolderIdentity FolderIdentityOf(uint64_t volumeSerial, std::span<const uint8_t, 16> fileId) {
  FolderIdentity identity{.volumeSerial = volumeSerial};
  std::ranges::copy(fileId, identity.fileId.begin());
  return identity;
}

FolderIdentity FolderIdentityOf(uint32_t volumeSerial, uint32_t indexHigh, uint32_t indexLow) {
  FolderIdentity identity{.volumeSerial = volumeSerial};
  const uint64_t index = uint64_t{indexHigh} << 32 | indexLow;
  for (size_t i = 0; i < 8; ++i) identity.fileId[i] = static_cast<uint8_t>(index >> (8 * i));
  return identity;
}

std::string Framed(std::string_view message) {
  Writer out("");
  out.Number(message.size(), 4);
  return std::move(out).Bytes().append(message);
}

std::optional<std::string> FrameReader::Next() {
  Reader in(bytes_, "");
  const uint64_t size = in.Number(4);
  spoilt_ = spoilt_ || (bytes_.size() >= 4 && size > most_);
  if (spoilt_ || bytes_.size() < 4 + size) return std::nullopt;
  std::string message = bytes_.substr(4, size);
  bytes_.erase(0, 4 + size);
  return message;
}

std::string EncodeRequest(const ServiceRequest& request) {
  Writer out(kRequestMark);
  out.Number(static_cast<uint8_t>(request.kind), 1).Number(request.folder.volumeSerial, 8);
  for (uint8_t byte : request.folder.fileId) out.Number(byte, 1);
  out.Text(request.programName);
  return std::move(out).Bytes();
}

std::optional<ServiceRequest> ParseRequest(std::string_view bytes) {
  if (bytes.size() > kMostRequestBytes) return std::nullopt;
  Reader in(bytes, kRequestMark);
  ServiceRequest request;
  const uint64_t kind = in.Number(1);
  request.kind = static_cast<RequestKind>(kind);
  request.folder.volumeSerial = in.Number(8);
  for (uint8_t& byte : request.folder.fileId) byte = static_cast<uint8_t>(in.Number(1));
  request.programName = in.Text(kMostRequestBytes);
  in.Require(request.kind == RequestKind::Update ? IsComponentName(request.programName)
                                                  : kind == static_cast<uint8_t>(RequestKind::LookAtShare) &&
                                                        (request.programName.empty() ||
                                                         IsComponentName(request.programName)));
  if (!in.Whole()) return std::nullopt;
  return request;
}

bool IsLastReply(const ServiceReply& reply) {
  return std::holds_alternative<FinishedReply>(reply) || std::holds_alternative<RefusedReply>(reply) ||
         std::holds_alternative<ShareViewReply>(reply);
}

std::string EncodeReply(const ServiceReply& reply) {
  Writer out(kReplyMark);
  out.Number(kFirstReplyKind + reply.index(), 1);
  std::visit([&out](const auto& alternative) { WriteReply(out, alternative); }, reply);
  return std::move(out).Bytes();
}

std::optional<ServiceReply> ParseReply(std::string_view bytes) {
  if (bytes.size() > kMostReplyBytes) return std::nullopt;
  Reader in(bytes, kReplyMark);
  const auto kind = static_cast<uint8_t>(in.Number(1));
  ServiceReply reply = ReadReply(in, kind);
  if (!in.Whole()) return std::nullopt;
  return reply;
}

}  // namespace kolvex
