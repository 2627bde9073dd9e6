#pragma once
// UTF-8 inside, UTF-16 only at the W-API call.
#include <string>
#include <string_view>

namespace kolvex {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
// For files the system writes in the ANSI code page (the update log).
// Characters the code page lacks become the system's default character.
std::string ToAnsi(std::string_view utf8);
// The same in any code page the system knows (the console's, the OEM one).
std::string ToCodePage(std::string_view utf8, unsigned codePage);
// Text in the ANSI code page, as files written by older tools hold it.
std::string FromAnsi(std::string_view ansi);
// Upper case by the rules of the user's locale, in place.
void UpperCase(std::wstring& text);
// Upper case by the rules of the user's locale.
std::string UpperCase(std::string_view text);

}  // namespace kolvex
