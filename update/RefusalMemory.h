#pragma once
// Share files refused for their signature, remembered by what the share's
// listing and version block say of them, so that later starts do not copy
// the same refused file again (a 200 MB program on every start) only to
// refuse it once more: it is skipped, and still reported, until it changes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolvex {

// A share file as the update sees it before copying it.
struct SharedFileFacts {
  int64_t size = -1;     // -1: could not be read
  std::string date{};    // of its last change, YYYY-MM-DD hh:mm:ss
  std::string version{};  // empty: none (or not a program)
  friend bool operator==(const SharedFileFacts&, const SharedFileFacts&) = default;
};

class RefusalMemory {
 public:
  // The reason the file of that name was refused when it had exactly these
  // facts; nothing for any other file (changed since, or never refused). A
  // size that could not be read matches nothing.
  std::optional<std::string> Refusal(std::string_view name, const SharedFileFacts& facts) const;
  // Keeps a refusal, in place of any earlier one of the same name.
  void Remember(std::string_view name, const SharedFileFacts& facts, std::string_view reason);
  // Drops the refusal of a name (its file was taken since).
  void Forget(std::string_view name);
  bool Changed() const { return changed_; }

  // The file's bytes: a header line, then "SIZE|DATE|VERSION|NAME|REASON"
  // per refusal, CR LF.
  std::string Format() const;
  // The refusals of such bytes; a damaged line is passed over (its file is
  // then checked again, which costs a copy, never a wrong decision).
  static RefusalMemory Parse(std::string_view text);

 private:
  std::vector<std::string> lines_;  // as Format writes them, without their line ends
  bool changed_ = false;
};

}  // namespace kolvex
