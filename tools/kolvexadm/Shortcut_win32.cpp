#include "tools/kolvexadm/Shortcut_win32.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "common/win32/Utf.h"

namespace kolvex {

namespace {

// A COM interface pointer released with the value.
template <typename T>
class Com {
 public:
  Com() = default;
  ~Com() {
    if (p_) p_->Release();
  }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  T** put() { return &p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

bool MakeLink(Com<IShellLinkW>& link, Com<IPersistFile>& file) {
  return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(link.put()))) &&
         SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put())));
}

}  // namespace

ComScope::ComScope() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
ComScope::~ComScope() {
  if (initialised_) CoUninitialize();
}

std::optional<Shortcut> ReadShortcut(const std::string& path) {
  Com<IShellLinkW> link;
  Com<IPersistFile> file;
  if (GetFileAttributesW(Widen(path).c_str()) == INVALID_FILE_ATTRIBUTES || !MakeLink(link, file) ||
      FAILED(file->Load(Widen(path).c_str(), STGM_READ)))
    return std::nullopt;
  wchar_t text[INFOTIPSIZE];
  Shortcut shortcut;
  int iconIndex = 0;
  // SLGP_RAWPATH: the path as written, not as it resolves today.
  if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) shortcut.target = Narrow(text);
  if (SUCCEEDED(link->GetArguments(text, INFOTIPSIZE))) shortcut.arguments = Narrow(text);
  if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) shortcut.folder = Narrow(text);
  if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &iconIndex))) shortcut.icon = Narrow(text);
  if (SUCCEEDED(link->GetDescription(text, INFOTIPSIZE))) shortcut.description = Narrow(text);
  return shortcut;
}

bool WriteShortcut(const std::string& path, const Shortcut& shortcut) {
  Com<IShellLinkW> link;
  Com<IPersistFile> file;
  HRESULT result = MakeLink(link, file) ? S_OK : E_FAIL;
  if (SUCCEEDED(result)) result = link->SetPath(Widen(shortcut.target).c_str());
  if (SUCCEEDED(result)) result = link->SetArguments(Widen(shortcut.arguments).c_str());
  if (SUCCEEDED(result)) result = link->SetWorkingDirectory(Widen(shortcut.folder).c_str());
  if (SUCCEEDED(result)) result = link->SetIconLocation(Widen(shortcut.icon).c_str(), 0);
  if (SUCCEEDED(result)) result = link->SetDescription(Widen(shortcut.description).c_str());
  if (SUCCEEDED(result)) result = file->Save(Widen(path).c_str(), TRUE);
  if (FAILED(result)) SetLastError(HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : result);
  return SUCCEEDED(result);
}

}  // namespace kolvex
