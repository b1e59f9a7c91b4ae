// Long work on the one thread, for Win32: messages handled between steps, so that the window
// repaints and Windows never takes it for hung, and user input to the form dropped meanwhile.
#include <windows.h>

#include <chrono>

#include "ui/platform/platform.h"
#include "ui/platform/win32/win32_window.h"

namespace platform::win32 {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Rare enough to cost nothing next to the steps, often enough for Windows' hang detection.
constexpr auto kTurn = 30ms;

bool isUserInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) || message == WM_CLOSE;
}

class Win32Task final : public Task {
 public:
  explicit Win32Task(HWND form) : form_(form) { ++busyTasks; }
  ~Win32Task() override { --busyTasks; }

  bool proceed(std::size_t) override {
    const Clock::time_point now = Clock::now();
    if (now < nextTurn_) return true;
    nextTurn_ = now + kTurn;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      const bool toForm =
          message.hwnd != nullptr && (message.hwnd == form_ || IsChild(form_, message.hwnd));
      if (toForm && isUserInput(message.message)) continue;
      dispatch(message);
    }
    return true;
  }

 private:
  HWND form_;
  Clock::time_point nextTurn_ = Clock::now();
};

}  // namespace

int busyTasks = 0;

std::unique_ptr<Task> beginTask(HWND form) {
  return std::make_unique<Win32Task>(form);
}

}  // namespace platform::win32
