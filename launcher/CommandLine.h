#pragma once
// The launcher's own reading of its command line. It differs from the C
// runtime's argv: backslashes are ordinary characters, a quote always opens
// or closes a quoted stretch, and "" where an argument would begin is skipped.
#include <string>
#include <string_view>
#include <vector>

namespace kolvex {

// Splits a whole command line (program name first) into its arguments.
// Codes 1..32 separate; a quoted stretch may hold separators and joins the
// text around it; empty arguments are dropped.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// " \"arg1\" \"arg2\" ..." for the arguments after the program name.
std::string BuildForwardedParams(const std::vector<std::string>& args);

}  // namespace kolvex
