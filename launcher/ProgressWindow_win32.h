#pragma once
// The update-progress window as a Win32 window: a caption-only dialog frame
// holding a raised panel, a lowered bevel, the hourglass and two labels.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "common/win32/Handles.h"
#include "update/Update.h"

namespace kolvex {

class TfTrwaAktualizacja {
 public:
  // Creates the window and its elements, hidden, with no owner. Should the
  // system refuse to create it, the object stays empty and shows nothing:
  // the window only informs, the update goes on without it.
  TfTrwaAktualizacja();
  TfTrwaAktualizacja(const TfTrwaAktualizacja&) = delete;
  TfTrwaAktualizacja& operator=(const TfTrwaAktualizacja&) = delete;

  // Sets the component name and repaints its label; the share copied so far is cleared.
  void SetComponentName(const std::string& text);
  // Shows how far the copy is, as a percentage of total bytes.
  void SetCopied(uint64_t done, uint64_t total);
  // Shows the window and paints it, elements included, before returning:
  // the launcher runs no message loop that would do it later.
  void ShowAndPaint();

  HWND Handle() const { return window_.get(); }
  HWND Panel1() const { return panel1_; }
  HWND Bevel1() const { return bevel1_; }
  HWND Image1() const { return image1_; }
  HWND L_NazwaSkl() const { return lNazwaSkl_; }
  HWND Label1() const { return label1_; }
  HWND L_Postep() const { return lPostep_; }

 private:
  UniqueFont labelFont_;  // both outlive the window that uses them
  UniqueIcon icon_;
  UniqueWindow window_;
  HWND panel1_ = nullptr;
  HWND bevel1_ = nullptr;
  HWND image1_ = nullptr;
  HWND lNazwaSkl_ = nullptr;
  HWND label1_ = nullptr;
  HWND lPostep_ = nullptr;
};

// How long each name stays in sight before the update goes on.
inline constexpr DWORD kProgressNameShownMs = 500;

// What the window shows for a listed file: its caption, or without one the
// file name upper-cased by the user's locale.
std::string ProgressText(const std::string& name, const std::string& caption);

// The update's progress as a start shows it: the progress window, made when
// it first has a name to show and kept until Close. It is told on the
// window's own thread (UpdateAside relays what an update on another thread
// tells). Where nobody can see a window, it shows nothing and waits for
// nothing.
class ProgressWindow final : public UpdateProgress {
 public:
  // The caption, or the file name upper-cased by the user's locale, for half a second.
  void Refreshing(const std::string& name, const std::string& caption) override;
  // The program's file name, upper-cased: at once when the window is in
  // sight, otherwise once its copy has lasted a second.
  void RefreshingProgram(const std::string& name) override;
  // How far the copy is; the window's messages are handled meanwhile.
  void Copying(uint64_t done, uint64_t total) noexcept override;
  // The program's file name, upper-cased, for half a second.
  void WaitingForTurn(const std::string& programName) override;

  // Creates the window on first use and shows text in it, painted at once.
  void ShowNow(const std::string& text);
  // ShowNow, then waits kProgressNameShownMs handling the window's
  // messages, so that each name stays in sight.
  void Show(const std::string& text);
  // The window goes, before the program is handed off.
  void Close();
  // The window once it has been shown, empty before: tests reach its parts
  // through it.
  const TfTrwaAktualizacja* Form() const { return fTrwaAktualizacja.get(); }

 private:
  std::unique_ptr<TfTrwaAktualizacja> fTrwaAktualizacja;
  std::string program_;   // the program's name while its copy is not yet shown
  DWORD programSince_ = 0;
};

}  // namespace kolvex
