#include "ui/platform/win32/win32_task.h"

#include <windows.h>

#include "ui/platform/win32/win32_progress.h"
#include "ui/platform/win32/win32_window.h"

namespace platform::win32 {

namespace {

// Messages are handled this often between steps: well inside the tenth of a second a user
// notices and the seconds after which Windows calls a window hung, and rare enough to cost
// nothing next to the steps.
constexpr LONGLONG kTurnMs = 30;
// A task that ends sooner shows no progress at all, not even a flash.
constexpr LONGLONG kShowAfterMs = 500;
// At most this long of messages between two steps, so that a flood of them cannot stall the work.
constexpr LONGLONG kPumpAtMostMs = 30;

LONGLONG ticks() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

LONGLONG ticksFor(LONGLONG milliseconds) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart * milliseconds / 1000;
}

bool isUserInput(UINT message, WPARAM wParam) {
  if (message >= WM_KEYFIRST && message <= WM_KEYLAST) return true;
  // Buttons and wheels; a pointer that merely moves acts on nothing.
  if (message > WM_MOUSEMOVE && message <= WM_MOUSELAST) return true;
  if (message > WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) return true;
  switch (message) {
    case WM_SYSCOMMAND:
      return (wParam & 0xFFF0) == SC_CLOSE;
    case WM_CLOSE:  // the close box would end the program in the middle of the work
    case WM_CONTEXTMENU:
      return true;
    default:
      return false;
  }
}

}  // namespace

Win32Task::Win32Task(HWND form, std::size_t total) : form_(form), total_(total) {
  current_ = this;
  started_ = ticks();
  nextTurn_ = started_;
}

Win32Task::~Win32Task() {
  progress_.reset();
  // A task longer than a turn answers once more as it ends, so that the re-read and repaint
  // that follow it are all the window waits through, not a turn on top of them.
  if (ticks() - started_ >= ticksFor(kTurnMs)) pump();
  current_ = nullptr;
}

bool Win32Task::proceed(std::size_t done) {
  if (cancelled_) return false;
  const LONGLONG now = ticks();
  if (now < nextTurn_) return true;
  nextTurn_ = now + ticksFor(kTurnMs);
  if (progress_ == nullptr && now - started_ >= ticksFor(kShowAfterMs)) {
    progress_ = std::make_unique<ProgressWindow>(form_, total_, cancelled_);
  }
  if (progress_ != nullptr) progress_->show(done);
  pump();
  return !cancelled_;
}

void Win32Task::pump() {
  const LONGLONG until = ticks() + ticksFor(kPumpAtMostMs);
  MSG message;
  // Two ranges, around the message that runs work given to post(): that work waits in the
  // queue, for the loop after the task or for a dialog's loop, either of which runs it.
  while (PeekMessageW(&message, nullptr, 0, kRunPosted - 1, PM_REMOVE) ||
         PeekMessageW(&message, nullptr, kRunPosted + 1, ~0u, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the event loop to end on
      return;
    }
    // Before the dialog manager, which would otherwise move the form's focus on Tab.
    if (!holdsOff(message.hwnd, message.message, message.wParam)) dispatch(message);
    if (ticks() >= until) return;
  }
}

bool Win32Task::holdsOff(HWND window, UINT message, WPARAM wParam) {
  if (current_ == nullptr || window == nullptr || !isUserInput(message, wParam)) return false;
  return window == current_->form_ || IsChild(current_->form_, window);
}

}  // namespace platform::win32
