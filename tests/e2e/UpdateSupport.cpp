#include "e2e/UpdateSupport.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "common/win32/Handles.h"
#include "common/win32/Utf.h"
#include "support/Robot.h"
#include "update/StartReport_win32.h"
#include "update/UpdateTurn.h"

namespace kolvex::test {

std::string FixtureBytes(const std::string& fixture) { return ReadFileBytes(BinDir() + "\\" + fixture + ".exe"); }

void WriteSettings(const Installation& app, const std::string& sharedDirValue, const std::string& moreMain) {
  const std::wstring text = L"\xFEFF[MAIN]\r\nSHARED_DIR=" + Widen(sharedDirValue) + L"\r\n" + Widen(moreMain);
  WriteFileBytes(app / "baza.set",
                 std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
}

namespace {

constexpr size_t kMegabyte = 1 << 20;

std::string Filler(unsigned char fill) {
  std::string piece(kMegabyte, '\0');
  for (size_t i = 0; i < piece.size(); ++i) piece[i] = static_cast<char>((i * 131 + i / 4096 + fill) & 0xFF);
  return piece;
}

}  // namespace

void WriteLargeProgram(const std::string& path, const std::string& program, int megabytes, unsigned char fill) {
  UniqueFile f(
      CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) throw std::runtime_error("cannot create " + path);
  const std::string piece = Filler(fill);
  DWORD written = 0;
  bool ok = WriteFile(f.get(), program.data(), static_cast<DWORD>(program.size()), &written, nullptr);
  for (int i = 0; ok && i < megabytes; ++i)
    ok = WriteFile(f.get(), piece.data(), static_cast<DWORD>(piece.size()), &written, nullptr);
  if (!ok) throw std::runtime_error("cannot write " + path);
}

bool HoldsLargeProgram(const std::string& path, const std::string& program, int megabytes, unsigned char fill) {
  UniqueFile f(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!f) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(f.get(), &size) ||
      static_cast<uint64_t>(size.QuadPart) != program.size() + static_cast<uint64_t>(megabytes) * kMegabyte)
    return false;
  auto readExactly = [&](std::string& buffer) {
    DWORD got = 0;
    return ReadFile(f.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got == buffer.size();
  };
  std::string head(program.size(), '\0');
  if (!readExactly(head) || head != program) return false;
  const std::string piece = Filler(fill);
  std::string buffer(kMegabyte, '\0');
  for (int i = 0; i < megabytes; ++i) {
    if (!readExactly(buffer) || buffer != piece) return false;
  }
  return true;
}

int TargetStarts(const Installation& app) {
  const std::string record = FileExists(app / "target-run.txt") ? ReadFileBytes(app / "target-run.txt") : "";
  int starts = 0;
  for (size_t at = record.find("cmdline="); at != std::string::npos; at = record.find("cmdline=", at + 1)) ++starts;
  return starts;
}

std::vector<std::string> UnexpectedEntries(const std::string& dir, const std::vector<std::string>& expected) {
  std::vector<std::string> unexpected;
  for (const std::string& name : ListDir(dir)) {
    if (name != kTurnFileName && std::find(expected.begin(), expected.end(), name) == expected.end())
      unexpected.push_back(name);
  }
  return unexpected;
}

bool WriteOnceReleased(const std::string& path, const std::string& bytes) {
  return WaitUntil(
      [&] {
        try {
          WriteFileBytes(path, bytes);
          return true;
        } catch (const std::exception&) {
          return false;
        }
      },
      15000);
}

StartReport ThisComputersReport(const std::string& reportDir) {
  StartReport report;
  EXPECT_TRUE(ParseStartReport(ReadFileBytes(reportDir + "\\" + StartReportFileName(ComputerName())), report));
  return report;
}

}  // namespace kolvex::test
