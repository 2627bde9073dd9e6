#pragma once
// What the service is at work on. Starts that ask at once for the same
// update (one installation, one program) share it: the service does it once
// and every one of them reads the same replies. Updates of one installation
// take turns. A session keeps only so many connections at once, so that one
// user cannot hold the service up for everybody else.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ipc/ServiceProtocol.h"

namespace kolvex {

// One update: the installation and its program's name as the file system
// compares names (the caller folds the case).
struct UpdateKey {
  FolderIdentity folder;
  std::string program;
  friend auto operator<=>(const UpdateKey&, const UpdateKey&) = default;
};

// The replies of one update as they come, each kept for every start that reads them.
class SharedReplies {
 public:
  // The last reply ends the update: nothing comes after it.
  void Add(std::string reply, bool last);

  struct Awaited {
    enum class Kind : std::uint8_t { Reply, Silence, End } kind;
    std::string reply;
  };
  // The reply numbered index (from 0): Reply when it has come, End when
  // the update ended before it, Silence when neither happened within most.
  Awaited Next(std::size_t index, std::chrono::milliseconds most);

 private:
  std::mutex mutex_;
  std::condition_variable added_;
  std::vector<std::string> replies_;
  bool ended_ = false;
};

class RequestBoard {
 public:
  explicit RequestBoard(std::size_t mostPerSession) : mostPerSession_(mostPerSession) {}

  // Lets a connection of the session in, unless the session has its most.
  bool Admit(std::uint32_t session);
  void Leave(std::uint32_t session);

  // The replies of the update under way for key, or of a new one: then
  // started is true and the caller does it and calls Finished.
  std::shared_ptr<SharedReplies> Join(const UpdateKey& key, bool& started);
  // The update for key is done: a later request starts another.
  void Finished(const UpdateKey& key);

  // The installation's turn: one update of it at a time.
  std::timed_mutex& Turn(const FolderIdentity& folder);

  // Whether no connection is open and no update under way.
  bool Idle();

 private:
  std::size_t mostPerSession_;
  std::mutex mutex_;
  std::map<std::uint32_t, std::size_t> sessions_;
  std::map<UpdateKey, std::shared_ptr<SharedReplies>> updates_;
  std::map<FolderIdentity, std::unique_ptr<std::timed_mutex>> turns_;
};

}  // namespace kolvex
