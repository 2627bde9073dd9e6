#pragma once
// The component update: refreshes one installed file from the shared
// directory when the two differ, keeping a backup and logging the change.
#include <cstdint>
#include <string>

namespace kolvex {

// CompareMode: 1 by file version, 2 by file date, anything else never.
// Raises EAbort after a failed copy (already shown to the user).
void UpdateComponent(const std::string& fileName, const std::string& ext, uint8_t compareMode,
                     const std::string& caption, bool showForm);

}  // namespace kolvex
