#pragma once
// The update-progress window as a Win32 window: a caption-only dialog frame
// holding a raised panel, a lowered bevel, the hourglass and two labels.
#include <windows.h>

#include <memory>
#include <string>

#include "common/win32/Handles.h"
#include "launcher/Update.h"

namespace kolvex {

class TfTrwaAktualizacja {
 public:
  // Creates the window and its elements, hidden, with no owner. Should the
  // system refuse to create it, the object stays empty and shows nothing:
  // the window only informs, the update goes on without it.
  TfTrwaAktualizacja();
  TfTrwaAktualizacja(const TfTrwaAktualizacja&) = delete;
  TfTrwaAktualizacja& operator=(const TfTrwaAktualizacja&) = delete;

  // Sets the component name and repaints its label.
  void SetComponentName(const std::string& text);
  // Shows the window and paints it, elements included, before returning:
  // the launcher runs no message loop that would do it later.
  void ShowAndPaint();

  HWND Handle() const { return window_.get(); }
  HWND Panel1() const { return panel1_; }
  HWND Bevel1() const { return bevel1_; }
  HWND Image1() const { return image1_; }
  HWND L_NazwaSkl() const { return lNazwaSkl_; }
  HWND Label1() const { return label1_; }

 private:
  UniqueFont labelFont_;  // both outlive the window that uses them
  UniqueIcon icon_;
  UniqueWindow window_;
  HWND panel1_ = nullptr;
  HWND bevel1_ = nullptr;
  HWND image1_ = nullptr;
  HWND lNazwaSkl_ = nullptr;
  HWND label1_ = nullptr;
};

// The update's progress as a start shows it: the progress window, made when
// it first has a name to show and kept while the sink lives. Where nobody
// can see a window, it shows nothing and waits for nothing.
class ProgressWindow final : public UpdateProgress {
 public:
  // The caption, or the file name upper-cased by the user's locale.
  void Refreshing(const std::string& name, const std::string& caption) override;
  // The window shows names, not amounts.
  void Copying(uint64_t, uint64_t) noexcept override {}
  // The program's file name, upper-cased.
  void WaitingForTurn(const std::string& programName) override;

  // Creates the window on first use, shows text in it, paints it at once and
  // waits 500 ms, so that each name stays in sight.
  void Show(const std::string& text);
  // The window once it has been shown, empty before: tests reach its parts
  // through it.
  const TfTrwaAktualizacja* Form() const { return fTrwaAktualizacja.get(); }

 private:
  std::unique_ptr<TfTrwaAktualizacja> fTrwaAktualizacja;
};

}  // namespace kolvex
