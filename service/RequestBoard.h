#pragma once
// What the service is at work on. Starts that ask at once for the same
// update (one installation, one program) share it: the service does it once
// and every one of them reads the same replies. Updates of one installation
// take turns. A session keeps only so many connections and workers at once
// (a worker counts until it ends, whether its start still listens or not),
// and only one request of it waits for an installation's turn, so that one
// user cannot hold the service up for everybody else.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
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
    enum class Kind : std::uint8_t { Reply, Silence, Stalled, End } kind;
    std::string reply;
  };
  // The reply numbered index (from 0): Reply when it has come, End when
  // the update ended before it; when neither happened within most, Silence
  // while the work goes on, Stalled while it waits for a share that has
  // stopped answering (a start is then told nothing: it tells a working
  // service from a stuck one by that).
  Awaited Next(std::size_t index, std::chrono::milliseconds most);
  // Whether the work waits for a share that has stopped answering.
  void Stalled(bool stalled);
  // Ends the replies where they stand (no memory for the last one).
  void End() noexcept;

 private:
  std::mutex mutex_;
  std::condition_variable added_;
  std::vector<std::string> replies_;
  bool ended_ = false;
  bool stalled_ = false;
};

class RequestBoard {
 public:
  explicit RequestBoard(std::size_t mostPerSession) : mostPerSession_(mostPerSession) {}

  // Lets a connection or a worker of the session in, unless the session
  // has its most of them; each admitted leaves when it ends.
  bool Admit(std::uint32_t session);
  void Leave(std::uint32_t session);

  // A request of the session is about to wait for the installation's turn:
  // false when one of the session's already waits for it. Each queued one
  // is Unqueued when its wait ends.
  bool Queue(std::uint32_t session, const FolderIdentity& folder);
  void Unqueue(std::uint32_t session, const FolderIdentity& folder);

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
  std::set<std::pair<std::uint32_t, FolderIdentity>> queued_;
  std::map<UpdateKey, std::shared_ptr<SharedReplies>> updates_;
  std::map<FolderIdentity, std::unique_ptr<std::timed_mutex>> turns_;
};

}  // namespace kolvex
