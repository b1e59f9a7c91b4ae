// The progress window of a long task: modal to its owner, as a dialog is, captioned with the
// application title. It counts files, or shows what a wait is for, and never names a file.
// Internal to src/ui/platform/win32/.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace platform::win32 {

class ProgressWindow {
 public:
  // Shows the window over `owner` at once, and disables the owner until it goes. `cancelled`
  // turns true when the user cancels: Cancel, Esc or the close box.
  ProgressWindow(HWND owner, std::size_t total, bool& cancelled);
  // For a wait without steps: `label` over a busy bar.
  ProgressWindow(HWND owner, const std::wstring& label, bool& cancelled);
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // Shows `done` of the total as done.
  void show(std::size_t done);

 private:
  ProgressWindow(HWND owner, std::size_t total, std::wstring waitLabel, bool& cancelled);
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool onCreate();
  void onCommand(int id);
  void onClose();
  HWND child(const wchar_t* className, DWORD style, int left, int top, int width, int height,
             int id);
  int pixels(int at96) const;

  HWND owner_;
  std::size_t total_;
  std::wstring waitLabel_;  // a wait's; empty for steps
  bool& cancelled_;
  UINT dpi_;
  HWND hwnd_ = nullptr;
  HWND label_ = nullptr;
  HWND bar_ = nullptr;
  HWND cancel_ = nullptr;
  HFONT font_ = nullptr;
  std::size_t shown_ = static_cast<std::size_t>(-1);
};

}  // namespace platform::win32
