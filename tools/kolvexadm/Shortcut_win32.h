#pragma once
// Shell links (.lnk), as the Start menu and the desktop hold them, through
// the shell's own IShellLinkW: written, and read back to tell whether one
// is already as it should be.
#include <optional>
#include <string>

namespace kolvex {

struct Shortcut {
  std::string target;      // the program the link starts
  std::string arguments;   // its command line after the program
  std::string folder;      // where it starts
  std::string icon;        // the file whose first icon the link shows
  std::string description;
  bool operator==(const Shortcut&) const = default;
};

// The link at path as the shell reads it; nothing when there is none.
// The caller has COM initialised (ComScope).
std::optional<Shortcut> ReadShortcut(const std::string& path);
// Writes the link at path; false with the system's error set.
bool WriteShortcut(const std::string& path, const Shortcut& shortcut);

// COM on this thread for as long as it lives.
class ComScope {
 public:
  ComScope();
  ~ComScope();
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialised_;
};

}  // namespace kolvex
