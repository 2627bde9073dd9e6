#include "service/RequestBoard.h"

namespace kolvex {

void SharedReplies::Add(std::string reply, bool last) {
  {
    const std::lock_guard lock(mutex_);
    if (ended_) return;
    replies_.push_back(std::move(reply));
    ended_ = last;
  }
  added_.notify_all();
}

SharedReplies::Awaited SharedReplies::Next(std::size_t index, std::chrono::milliseconds most) {
  std::unique_lock lock(mutex_);
  added_.wait_for(lock, most, [&] { return index < replies_.size() || ended_; });
  if (index < replies_.size()) return {Awaited::Kind::Reply, replies_[index]};
  if (ended_) return {Awaited::Kind::End, {}};
  return {stalled_ ? Awaited::Kind::Stalled : Awaited::Kind::Silence, {}};
}

void SharedReplies::End() noexcept {
  {
    const std::lock_guard lock(mutex_);
    ended_ = true;
  }
  added_.notify_all();
}

void SharedReplies::Stalled(bool stalled) {
  const std::lock_guard lock(mutex_);
  stalled_ = stalled;
}

bool RequestBoard::Admit(std::uint32_t session) {
  const std::lock_guard lock(mutex_);
  std::size_t& open = sessions_[session];
  if (open >= mostPerSession_) return false;
  ++open;
  return true;
}

void RequestBoard::Leave(std::uint32_t session) {
  const std::lock_guard lock(mutex_);
  if (const auto found = sessions_.find(session); found != sessions_.end() && --found->second == 0) {
    sessions_.erase(found);
  }
}

bool RequestBoard::Queue(std::uint32_t session, const FolderIdentity& folder) {
  const std::lock_guard lock(mutex_);
  return queued_.emplace(session, folder).second;
}

void RequestBoard::Unqueue(std::uint32_t session, const FolderIdentity& folder) {
  const std::lock_guard lock(mutex_);
  queued_.erase({session, folder});
}

std::shared_ptr<SharedReplies> RequestBoard::Join(const UpdateKey& key, bool& started) {
  const std::lock_guard lock(mutex_);
  std::shared_ptr<SharedReplies>& replies = updates_[key];
  started = !replies;
  if (started) replies = std::make_shared<SharedReplies>();
  return replies;
}

void RequestBoard::Finished(const UpdateKey& key) {
  const std::lock_guard lock(mutex_);
  updates_.erase(key);
}

std::timed_mutex& RequestBoard::Turn(const FolderIdentity& folder) {
  const std::lock_guard lock(mutex_);
  std::unique_ptr<std::timed_mutex>& turn = turns_[folder];
  if (!turn) turn = std::make_unique<std::timed_mutex>();
  return *turn;
}

bool RequestBoard::Idle() {
  const std::lock_guard lock(mutex_);
  return sessions_.empty() && updates_.empty();
}

}  // namespace kolvex
