// Long work on the window's thread, for Win32: the Task of platform.h over a form's window.
// Internal to src/ui/platform/win32/.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/platform/platform.h"

namespace platform::win32 {

class ProgressWindow;

class Win32Task final : public Task {
 public:
  // A task of `total` steps, or with a `label`, a wait without steps.
  Win32Task(HWND form, std::size_t total, const Text& label = {});
  ~Win32Task() override;
  Win32Task(const Win32Task&) = delete;
  Win32Task& operator=(const Win32Task&) = delete;

  bool proceed(std::size_t done) override;
  bool wait(const DiskWork& work) override;

  // The running task, if any.
  static Win32Task* current() { return current_; }
  // True for user input that the running task keeps from `window`: the form's and its
  // controls'. The form's procedures drop it too, since a loop other than the task's may
  // dispatch it, and some of it arrives sent, not posted.
  static bool holdsOff(HWND window, UINT message, WPARAM wParam);
  // True while a task handles messages, between its steps or while it waits: work given to
  // post() is held until the task ends then.
  static bool holding() { return current_ != nullptr && current_->pumping_; }
  void hold(std::function<void()> work) { held_.push_back(std::move(work)); }

 private:
  void pump(LONGLONG until);
  void showProgress();

  HWND form_;
  std::size_t total_;
  std::size_t done_ = 0;  // steps done, as the last proceed() said
  std::wstring label_;    // a wait's; empty for steps
  // Performance counter ticks: one read and one compare decide whether a step is a turn.
  LONGLONG started_ = 0;
  LONGLONG nextTurn_ = 0;
  std::unique_ptr<ProgressWindow> progress_;
  bool cancelled_ = false;
  bool pumping_ = false;
  std::vector<std::function<void()>> held_;
  // The loop's end, asked for during the task, and left for the loop after it.
  bool quit_ = false;
  int quitCode_ = 0;

  static inline Win32Task* current_ = nullptr;
};

}  // namespace platform::win32
