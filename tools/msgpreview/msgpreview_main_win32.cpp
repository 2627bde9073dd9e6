// msgpreview: shows a message in the message window exactly as the launcher
// would, for people who write message texts, and for tests that drive the
// window from outside. Prints the value returned and exits with it.
//
//   msgpreview [options] TEXT
//     -b, --buttons LIST   buttons left to right, separated by commas: names
//                          (Yes No Cancel OK Help Delete YesToAll NoToAll
//                          CancelAll Archive Custom1 .. Custom4, any case) or
//                          numbers 0-254; default OK
//     -d, --default BTN    the default button, a name or number; default: the
//                          first button
//     -k, --kind KIND      Question, Error, Warning, Information or a number
//                          0-255; default Information
//     -c, --captions TEXT  captions of the Custom buttons, separated by ";"
//     -x, --check TEXT     caption of the confirmation check box
//     -s, --seconds N      countdown: the window closes itself after N seconds
//     -f, --file PATH      take the text from a file: UTF-8 with or without a
//                          byte-order mark, UTF-16 with one, otherwise the
//                          ANSI code page (Windows-1250 on Polish systems),
//                          as the launcher reads baza.set
//     -h, --help           usage
//
//   TEXT is message markup: "^" starts a new line, <B>, <I>, <U>, <S>,
//   <C:colour> and <A:CENTER> format it, and up to two leading <FONT:name>
//   and <SIZE:points> tags choose the font.
//
//     --                   the next argument is the text, even when it starts
//                          with "-"
//
//   Exit code: the value returned (0-254); 255 when the arguments are wrong
//   or the window cannot be shown, with the reason on stderr. No button
//   returns 255, and an exit code above 255 does not survive Wine (256
//   arrives as 1, the value of No).
//
//   msgpreview -k Question -b Yes,No -d No -s 10 "Zastąpić plik?^<B>prog.exe</B>"
#include <windows.h>

#include <charconv>
#include <cstdio>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/Text.h"
#include "common/TextDecode.h"
#include "common/win32/Files.h"
#include "common/win32/SystemText.h"
#include "common/win32/Utf.h"
#include "messages/MessageWindow_win32.h"

namespace {

using kolvex::MessageOptions;
using kolvex::TMessageButton;
using kolvex::TMessageKind;

constexpr int kUsageError = 255;  // above every value a button can return
constexpr int kMaxButton = 254;

constexpr const char* kUsage =
    "Usage: msgpreview [options] TEXT\n"
    "Shows TEXT (message markup) in the message window, prints the value\n"
    "returned and exits with it.\n"
    "\n"
    "  -b, --buttons LIST   buttons left to right, separated by commas: names\n"
    "                       (Yes No Cancel OK Help Delete YesToAll NoToAll\n"
    "                       CancelAll Archive Custom1..Custom4) or numbers\n"
    "                       0-254; default OK\n"
    "  -d, --default BTN    the default button; default: the first button\n"
    "  -k, --kind KIND      Question, Error, Warning, Information or 0-255;\n"
    "                       default Information\n"
    "  -c, --captions TEXT  captions of the Custom buttons, separated by ';'\n"
    "  -x, --check TEXT     caption of the confirmation check box\n"
    "  -s, --seconds N      close by itself after N seconds\n"
    "  -f, --file PATH      take the text from a file: UTF-8 with or without\n"
    "                       a byte-order mark, UTF-16 with one, otherwise\n"
    "                       the ANSI code page (Windows-1250 in Poland)\n"
    "  -h, --help           this text\n"
    "  --                   the next argument is the text, even when it starts\n"
    "                       with '-': msgpreview -- \"-5 stopni\"\n"
    "\n"
    "TEXT: '^' starts a new line; <B> <I> <U> <S> and </B> etc. switch styles;\n"
    "<C:clRed> or <C:$0000FF> colours; <A:CENTER> <A:RIGHT> <A:LEFT> start an\n"
    "aligned line; leading <FONT:Arial><SIZE:10> choose the font.\n"
    "Exit code: the value returned (0-254); 255 when the arguments are wrong\n"
    "or the window cannot be shown.\n"
    "Example: msgpreview -k Question -b Yes,No -d No -s 10 \"Zastapic plik?^<B>prog.exe</B>\"\n";

constexpr std::string_view kButtonNames[] = {"Yes",     "No",       "Cancel",  "OK",        "Help",
                                             "Delete",  "YesToAll", "NoToAll", "CancelAll", "Archive",
                                             "Custom1", "Custom2",  "Custom3", "Custom4"};
constexpr std::string_view kKindNames[] = {"Question", "Error", "Warning", "Information"};

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::optional<int> ParseInt(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// A name from the list (its index) or a number 0-max.
template <std::size_t N>
std::uint8_t ParseValue(std::string_view text, const std::string_view (&names)[N], const char* what, int max) {
  for (std::size_t i = 0; i < N; ++i) {
    if (kolvex::SameTextIgnoringAsciiCase(text, names[i])) return static_cast<std::uint8_t>(i);
  }
  if (const auto n = ParseInt(text); n && *n >= 0 && *n <= max) return static_cast<std::uint8_t>(*n);
  throw UsageError(std::string("unknown ") + what + ": " + std::string(text));
}

std::vector<TMessageButton> ParseButtons(std::string_view list) {
  std::vector<TMessageButton> buttons;
  if (list.empty()) return buttons;  // allowed: shows nothing and returns Cancel
  for (std::size_t from = 0;;) {
    const std::size_t comma = list.find(',', from);
    const std::string_view item = list.substr(from, comma == std::string_view::npos ? comma : comma - from);
    buttons.push_back(static_cast<TMessageButton>(ParseValue(item, kButtonNames, "button", kMaxButton)));
    if (comma == std::string_view::npos) return buttons;
    from = comma + 1;
  }
}

// The file's text in UTF-8, whatever of the usual encodings it was written in.
std::string ReadTextFile(const std::string& path) {
  const std::optional<std::string> bytes = kolvex::ReadWholeFile(path);
  if (!bytes) {
    const DWORD error = GetLastError();
    throw UsageError("cannot read " + path + ": " + kolvex::GetErrorReason(static_cast<int32_t>(error)));
  }
  return kolvex::DecodeText(*bytes, kolvex::FromAnsi);
}

struct Request {
  std::string text;
  MessageOptions options;
};

// nullopt: the usage was asked for.
std::optional<Request> ParseArguments(const std::vector<std::string>& args) {
  Request r;
  r.options.buttons = {TMessageButton::OK};
  std::optional<TMessageButton> defaultButton;
  std::optional<std::string> text;
  bool optionsEnd = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnd || a.empty() || a[0] != '-' || a == "-") {
      if (text) throw UsageError("more than one text; quote the text as one argument");
      text = a;
      continue;
    }
    if (a == "--") {
      optionsEnd = true;
      continue;
    }
    if (a == "-h" || a == "--help" || a == "/?") return std::nullopt;
    auto value = [&]() -> const std::string& {
      if (i + 1 == args.size()) throw UsageError(a + " needs a value");
      return args[++i];
    };
    if (a == "-b" || a == "--buttons") {
      r.options.buttons = ParseButtons(value());
    } else if (a == "-d" || a == "--default") {
      defaultButton = static_cast<TMessageButton>(ParseValue(value(), kButtonNames, "button", kMaxButton));
    } else if (a == "-k" || a == "--kind") {
      r.options.kind = static_cast<TMessageKind>(ParseValue(value(), kKindNames, "kind", 255));
    } else if (a == "-c" || a == "--captions") {
      r.options.customCaptions = value();
    } else if (a == "-x" || a == "--check") {
      r.options.checkCaption = value();
    } else if (a == "-s" || a == "--seconds") {
      const auto seconds = ParseInt(value());
      if (!seconds) throw UsageError("not a number of seconds: " + args[i]);
      r.options.seconds = *seconds;
    } else if (a == "-f" || a == "--file") {
      if (text) throw UsageError("a text and a file; give one of them");
      text = ReadTextFile(value());
    } else {
      throw UsageError("unknown option " + a + "; a text that starts with '-' goes after --");
    }
  }
  if (!text) throw UsageError("no text to show");
  r.text = *text;
  if (defaultButton) {
    r.options.defaultButton = *defaultButton;
  } else if (!r.options.buttons.empty()) {
    r.options.defaultButton = r.options.buttons.front();
  }
  return r;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(kolvex::Narrow(argv[i]));
  try {
    const std::optional<Request> request = ParseArguments(args);
    if (!request) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    const auto result = static_cast<int>(kolvex::ShowMessageWindow(request->text, request->options));
    std::printf("%d\n", result);
    return result;
  } catch (const UsageError& e) {
    std::fprintf(stderr, "msgpreview: %s\n\n%s", e.what(), kUsage);
    return kUsageError;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "msgpreview: %s\n", e.what());
    return kUsageError;
  }
}
