// The service's messages: what is written reads back the same, and a request
// or reply altered in any one way is refused whole.
#include "ipc/ServiceProtocol.h"

#include "update/Components.h"

#include <gtest/gtest.h>

#include <limits>

namespace kolvex {
namespace {

const ServiceRequest kRequest{.kind = RequestKind::Update,
                              .folder = {.volumeSerial = 0x0123456789ABCDEF,
                                         .fileId = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
                              .programName = "bin\\Księgi.exe"};

TEST(ServiceProtocol, RequestsAndRepliesReadBackAsWritten) {
  // The folder's identity from the 64-bit index, both halves, or from the 128-bit id.
  EXPECT_EQ(FolderIdentityOf(0xABCDEF, 0x01020304, 0x05060708), (FolderIdentity{0xABCDEF, {8, 7, 6, 5, 4, 3, 2, 1}}));
  EXPECT_EQ(FolderIdentityOf(kRequest.folder.volumeSerial, kRequest.folder.fileId), kRequest.folder);
  EXPECT_EQ(ParseRequest(EncodeRequest(kRequest)), kRequest);
  const ServiceRequest look{.kind = RequestKind::LookAtShare, .folder = kRequest.folder};
  EXPECT_EQ(ParseRequest(EncodeRequest(look)), look);
  const ServiceRequest lookAtProgram{.kind = RequestKind::LookAtShare, .programName = "bin\\prog.exe"};
  EXPECT_EQ(ParseRequest(EncodeRequest(lookAtProgram)), lookAtProgram);

  const ServiceReply replies[] = {
      ProgressReply{"KSIĘGI.EXE"},
      UpdatedReply{{.name = "pomoc\\a.chm", .oldVersion = "1.0", .newVersion = "1.1", .oldDate = {45000.5},
                    .newDate = {-1.25}, .compareMode = kCompareByDate}},
      SkippedReply{{"a.dll", "brak podpisu"}},
      FinishedReply{UpdateResult::Failed, "Błąd^x", "powód"},
      RefusedReply{"odmowa"},
      ShareViewReply{true, "katalog wspólny: 3 pliki"},
      WaitingReply{"pomoc\\a.chm"}};
  for (const ServiceReply& reply : replies) EXPECT_EQ(ParseReply(EncodeReply(reply)), reply);

  // A text too long for a reply is cut before a whole character, and the reply still reads.
  std::string polish;
  for (size_t i = 0; i < kMostReplyTextBytes; ++i) polish += "ą";
  const auto cut = ParseReply(EncodeReply(RefusedReply{"x" + polish}));
  ASSERT_TRUE(cut);
  EXPECT_EQ(std::get<RefusedReply>(*cut).reason, "x" + polish.substr(0, kMostReplyTextBytes - 2));
}

TEST(ServiceProtocol, AnythingButAWholeMessageIsRefused) {
  const std::string request = EncodeRequest(kRequest);
  const auto withRequest = [&](size_t at, std::string_view bytes) {
    return std::string(request).replace(at, bytes.size(), bytes);
  };
  const auto named = [](std::string name) {
    ServiceRequest r = kRequest;
    r.programName = std::move(name);
    return EncodeRequest(r);
  };
  const auto lookingWith = [](std::string name) {
    return EncodeRequest({.kind = RequestKind::LookAtShare, .programName = std::move(name)});
  };
  const std::string badRequests[] = {
      "",
      request.substr(0, request.size() - 1),
      request + '\0',
      withRequest(0, "KVR"),       // a reply's mark
      withRequest(3, "\x02"),      // another version
      withRequest(4, "\x03"),      // no such kind
      withRequest(4, std::string_view("\0", 1)),
      withRequest(29, "\xFF\xFF"),  // the name's length beyond the message
      named(""),
      named("..\\Kolvex.exe"),
      named("C:prog.exe"),
      named("\\\\serwer\\udział\\prog.exe"),
      named("prog.exe:strumień"),
      named("\xC4prog.exe"),
      named(std::string(kMostRequestBytes, 'a')),
      lookingWith("..\\prog.exe"),
  };
  for (const std::string& bytes : badRequests) EXPECT_FALSE(ParseRequest(bytes)) << testing::PrintToString(bytes);

  const std::string finished = EncodeReply(FinishedReply{UpdateResult::Updated, ""});
  const ComponentUpdate update{.name = "a.dll", .compareMode = kCompareByVersion};
  const auto withDate = [&](double date) {
    ComponentUpdate u = update;
    u.newDate = {date};
    return EncodeReply(UpdatedReply{u});
  };
  const std::string badReplies[] = {
      finished.substr(0, finished.size() - 1),
      finished + 'x',
      std::string(finished).replace(4, 1, "\x08"),  // no such kind
      // no such result
      std::string(finished).replace(5, 1, 1, static_cast<char>(static_cast<uint8_t>(kLastUpdateResult) + 1)),
      EncodeRequest(kRequest),
      EncodeReply(RefusedReply{"\xC5"}),
      EncodeReply(UpdatedReply{ComponentUpdate{.name = "a.dll", .compareMode = 0}}),
      withDate(std::numeric_limits<double>::quiet_NaN()),
      withDate(2958466.0),  // 1 January 10000
      std::string(EncodeReply(ShareViewReply{true, ""})).replace(5, 1, "\x02"),
      std::string(EncodeReply(SkippedReply{{"a.dll", "brak podpisu"}})).replace(5, 1, "\x14"),  // name past the end
  };
  for (const std::string& bytes : badReplies) EXPECT_FALSE(ParseReply(bytes)) << testing::PrintToString(bytes);
  EXPECT_TRUE(ParseReply(withDate(2958465.5)));
}

TEST(ServiceProtocol, FramesComeWholeHoweverThePipeCutsThem) {
  const std::string stream = Framed("jeden") + Framed("") + Framed("trzy");
  FrameReader reader(5);
  std::vector<std::string> messages;
  for (char byte : stream) {
    reader.Take({&byte, 1});
    while (std::optional<std::string> message = reader.Next()) messages.push_back(*message);
  }
  EXPECT_EQ(messages, (std::vector<std::string>{"jeden", "", "trzy"}));
  reader.Take(Framed("sześć"));  // seven bytes
  EXPECT_FALSE(reader.Next());
  EXPECT_TRUE(reader.Spoilt());
}

}  // namespace
}  // namespace kolvex
