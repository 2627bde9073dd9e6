#pragma once
// The update-progress window as a Win32 window: a caption-only dialog frame
// holding a raised panel, a lowered bevel, the hourglass and two labels.
#include <windows.h>

#include <memory>
#include <string>

#include "common/win32/Handles.h"

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

// The one progress window of the process: empty until ShowUpdateProgress
// first needs it, then kept until the process ends.
extern std::unique_ptr<TfTrwaAktualizacja> fTrwaAktualizacja;

// Creates the window on first use, shows text in it, paints it at once and
// waits 500 ms. The window stays until the process ends.
void ShowUpdateProgress(const std::string& text);

}  // namespace kolvex
