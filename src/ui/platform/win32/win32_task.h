// Long work on the one thread, for Win32: the Task of platform.h over a form's window. Internal
// to src/ui/platform/win32/.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

#include "ui/platform/platform.h"

namespace platform::win32 {

class ProgressWindow;

class Win32Task final : public Task {
 public:
  Win32Task(HWND form, std::size_t total);
  ~Win32Task() override;
  Win32Task(const Win32Task&) = delete;
  Win32Task& operator=(const Win32Task&) = delete;

  bool proceed(std::size_t done) override;

  // The running task, if any.
  static Win32Task* current() { return current_; }
  // True for user input that the running task keeps from `window`: the form's and its
  // controls'. The form's procedures drop it too, since a loop other than the task's (the
  // shell's own dialog, say) may dispatch it, and some of it arrives sent, not posted.
  static bool holdsOff(HWND window, UINT message, WPARAM wParam);

 private:
  void pump();

  HWND form_;
  std::size_t total_;
  // Performance counter ticks: one read and one compare decide whether a step is a turn.
  LONGLONG started_ = 0;
  LONGLONG nextTurn_ = 0;
  std::unique_ptr<ProgressWindow> progress_;
  bool cancelled_ = false;

  static inline Win32Task* current_ = nullptr;
};

}  // namespace platform::win32
