// The service's own rules: who may change a folder it writes, the folders
// and files a name reaches, and the board that merges requests and caps
// sessions.
#include <gtest/gtest.h>

#include <thread>

#include "ipc/FolderRights.h"
#include "ipc/ServiceAccess.h"
#include "service/RequestBoard.h"
#include "service/UpdateRules.h"
#include "update/Components.h"

namespace kolvex {
namespace {

TEST(UntrustedWriter, OnlyTheSystemAdministratorsAndTheCheckerMayChangeAFolder) {
  const std::string users = "S-1-5-32-545", authenticated = "S-1-5-11", own = "S-1-5-21-1-2-3-1000";
  const std::string trusted[] = {own};
  const AccessEntry readAndRun{.rights = 0x1200a9, .sid = users};
  const AccessEntry addFolders{.rights = 0x4, .sid = authenticated};               // C:\ gives users this
  const AccessEntry modifyBelow{.inheritOnly = true, .rights = 0x1301bf, .sid = authenticated};
  const AccessEntry full{.rights = 0x1f01ff, .sid = std::string(kAdministratorsSid)};
  const struct {
    FolderSecurity security;
    FolderPlace place;
    std::optional<std::string> writer;
  } cases[] = {
      {{own, std::vector{full, readAndRun, modifyBelow}}, FolderPlace::Written, std::nullopt},
      {{std::string(kTrustedInstallerSid), std::vector{addFolders}}, FolderPlace::Above, std::nullopt},
      {{own, std::vector{addFolders}}, FolderPlace::Written, authenticated},
      {{users, std::vector{full}}, FolderPlace::Above, users},
      {{own, std::nullopt}, FolderPlace::Above, "S-1-1-0"},
      {{own, std::vector{AccessEntry{.allows = false, .rights = 0x10000000, .sid = users}}}, FolderPlace::Written,
       std::nullopt},
      {{own, std::vector{AccessEntry{.rights = 0x10000, .sid = users}}}, FolderPlace::Above, users},  // delete
      {{own, std::vector{AccessEntry{.rights = 0x100, .sid = users}}}, FolderPlace::Written, users},  // attributes
      {{own, std::vector{AccessEntry{.rights = 0x2, .sid = users}}}, FolderPlace::Written, users},  // baza.set's data
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UntrustedWriter(c.security, c.place, trusted), c.writer) << c.security.owner;
  }
}

TEST(UpdateRules, FoldersOnTheWayAndAboveTheServiceWaysFilesAndTheListedOnes) {
  EXPECT_EQ(FoldersOnTheWay("a/b/../c\\.\\x.dll"), (std::vector<std::string>{"a", "a\\c"}));
  EXPECT_EQ(FoldersOnTheWay("prog.exe"), std::vector<std::string>{});
  EXPECT_EQ(FoldersAbove("C:\\a\\b"), (std::vector<std::string>{"C:\\a", "C:\\"}));
  for (const char* name : {"baza.set", "BAZA.SET", ".\\Kolvex.lock", "sub\\..\\kolvexusluga.exe"})
    EXPECT_TRUE(IsServiceWayFile(name)) << name;
  for (const char* name : {"sub\\baza.set", "baza.set.txt", "prog.exe"}) EXPECT_FALSE(IsServiceWayFile(name)) << name;
  // What baza.set lists, the only names the service brings in that are not installed yet.
  const std::vector<Component> listed{{"prog.dll", 1, ""}, {"pomoc\\prog.hlp", 2, ""}};
  for (const char* name : {"PROG.DLL", "pomoc/./prog.hlp", "x\\..\\Pomoc\\PROG.HLP"}) EXPECT_TRUE(IsListed(name, listed)) << name;
  for (const char* name : {"dane\\notatka.txt", "prog.hlp", "pomoc", "pomoc\\prog.hlp\\x", "inny\\prog.dll"})
    EXPECT_FALSE(IsListed(name, listed)) << name;
}

TEST(RequestBoard, StartsAskingAtOnceShareOneUpdateAndASessionHasItsMost) {
  RequestBoard board(2);
  EXPECT_TRUE(board.Admit(1) && board.Admit(1) && board.Admit(2));
  EXPECT_FALSE(board.Admit(1));
  board.Leave(1);
  EXPECT_TRUE(board.Admit(1));

  const UpdateKey key{.folder = {.volumeSerial = 7}, .program = "PROG.EXE"};
  bool started = false, again = true, other = false;
  const auto replies = board.Join(key, started);
  EXPECT_TRUE(started);
  EXPECT_EQ(board.Join(key, again), replies);
  EXPECT_FALSE(again);
  EXPECT_NE(board.Join({.folder = key.folder, .program = "INNY.EXE"}, other), replies);

  std::thread update([&] {
    replies->Add("postęp", false);
    replies->Add("koniec", true);
    replies->Add("po końcu", true);
  });
  EXPECT_EQ(replies->Next(1, std::chrono::seconds(10)).reply, "koniec");
  update.join();
  EXPECT_EQ(replies->Next(0, {}).reply, "postęp");  // a start that joined late reads them all
  EXPECT_EQ(replies->Next(2, {}).kind, SharedReplies::Awaited::Kind::End);
  board.Finished(key);
  EXPECT_TRUE(board.Join(key, started) != replies && started);
  SharedReplies stuck;
  EXPECT_EQ(stuck.Next(0, std::chrono::milliseconds(1)).kind, SharedReplies::Awaited::Kind::Silence);
  stuck.Stalled(true);  // a share that stopped answering: the starts hear nothing
  EXPECT_EQ(stuck.Next(0, std::chrono::milliseconds(1)).kind, SharedReplies::Awaited::Kind::Stalled);
  stuck.End();
  EXPECT_EQ(stuck.Next(0, {}).kind, SharedReplies::Awaited::Kind::End);

  // One request of a session waits for an installation's turn.
  EXPECT_TRUE(board.Queue(1, key.folder) && board.Queue(2, key.folder) && board.Queue(1, {}));
  EXPECT_FALSE(board.Queue(1, key.folder));
  board.Unqueue(1, key.folder);
  EXPECT_TRUE(board.Queue(1, key.folder));
}

// Whoever logged on may ask (a scheduled task or another service has no
// Interactive group), only for what a start asks, never over the network.
TEST(ServiceAccess, AuthenticatedUsersMayAskAndNobodyOverTheNetwork) {
  constexpr std::uint32_t createPipeInstance = 0x4, startRights = 0x0004 | 0x0010, pipeRightsAsked = 0x00100083;
  for (const std::string& text : {PipeAccessText(), ServiceAccessText()}) {
    const size_t deny = text.find("(D;;GA;;;NU)"), users = text.find(";;;AU)");
    EXPECT_TRUE(deny != std::string::npos && deny < text.find("(A;")) << text;
    ASSERT_NE(users, std::string::npos) << text;
    EXPECT_EQ(text.find(";;;IU)"), std::string::npos) << text;
    const std::uint32_t rights = std::stoul(text.substr(text.rfind(";;", users - 1) + 2, 10), nullptr, 16);
    const std::uint32_t asked = text == PipeAccessText() ? pipeRightsAsked : startRights;
    EXPECT_EQ(rights & asked, asked) << text;
    if (text == PipeAccessText()) {
      EXPECT_EQ(rights & createPipeInstance, 0u);
    }
  }
}

}  // namespace
}  // namespace kolvex
