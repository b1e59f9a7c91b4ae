#include "ui/platform/win32/win32_task.h"

#include <windows.h>

#include <stdexcept>

#include "ui/platform/disk_thread.h"
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
  // An input method's composition and its characters would change the text mid-task.
  if (message >= WM_IME_STARTCOMPOSITION && message <= WM_IME_KEYLAST) return true;
  // Buttons and wheels; a pointer that merely moves acts on nothing.
  if (message > WM_MOUSEMOVE && message <= WM_MOUSELAST) return true;
  if (message > WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) return true;
  switch (message) {
    case WM_SYSCOMMAND:
      return (wParam & 0xFFF0) == SC_CLOSE;
    case WM_CLOSE:  // the close box would end the program in the middle of the work
    case WM_CONTEXTMENU:
    case WM_IME_CHAR:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
      return true;
    default:
      return false;
  }
}

}  // namespace

Win32Task::Win32Task(HWND form, std::size_t total, const Text& label)
    : form_(form), total_(total), label_(toWide(label)) {
  // A second task would take over the first's hold on input and then drop it with its own.
  if (current_ != nullptr) throw std::logic_error("a task is already running");
  current_ = this;
  started_ = ticks();
  nextTurn_ = started_;
}

Win32Task::~Win32Task() {
  progress_.reset();
  // A task longer than a turn answers once more as it ends, so that the re-read and repaint
  // that follow it are all the window waits through, not a turn on top of them.
  if (ticks() - started_ >= ticksFor(kTurnMs)) pump(ticks() + ticksFor(kPumpAtMostMs));
  current_ = nullptr;
  for (std::function<void()>& work : held_)
    post(std::move(work));
  if (quit_) PostQuitMessage(quitCode_);
}

bool Win32Task::proceed(std::size_t done) {
  done_ = done;
  if (cancelled_) return false;
  const LONGLONG now = ticks();
  if (now < nextTurn_) return true;
  nextTurn_ = now + ticksFor(kTurnMs);
  if (progress_ == nullptr && now - started_ >= ticksFor(kShowAfterMs)) showProgress();
  if (progress_ != nullptr) progress_->show(done);
  pump(now + ticksFor(kPumpAtMostMs));
  return !cancelled_;
}

bool Win32Task::wait(const DiskWork& work) {
  const auto& job = static_cast<const disk::Job&>(work);
  if (job.endedOrWatched()) return true;
  // Sleeps until a message comes: the job's end is one, posted by the disk thread.
  while (!job.done() && !cancelled_) {
    DWORD timeout = INFINITE;
    if (progress_ == nullptr) {
      const LONGLONG due = started_ + ticksFor(kShowAfterMs) - ticks();
      if (due <= 0) {
        showProgress();
      } else {
        timeout = static_cast<DWORD>(due / ticksFor(1) + 1);
      }
    }
    MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    pump(ticks() + ticksFor(kPumpAtMostMs));
  }
  return job.done();
}

void Win32Task::showProgress() {
  progress_ = label_.empty() ? std::make_unique<ProgressWindow>(form_, total_, cancelled_)
                             : std::make_unique<ProgressWindow>(form_, label_, cancelled_);
  progress_->show(done_);  // shown in a wait, too, as a rename stalls
}

void Win32Task::pump(LONGLONG until) {
  // Work given to post() that this pump takes is held for the task's end.
  const bool was = pumping_;
  pumping_ = true;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit_ = true;
      quitCode_ = static_cast<int>(message.wParam);
      continue;
    }
    // Before the dialog manager, which would otherwise move the form's focus on Tab.
    if (!holdsOff(message.hwnd, message.message, message.wParam)) dispatch(message);
    if (ticks() >= until) break;
  }
  pumping_ = was;
}

bool Win32Task::holdsOff(HWND window, UINT message, WPARAM wParam) {
  if (current_ == nullptr || window == nullptr || !isUserInput(message, wParam)) return false;
  return window == current_->form_ || IsChild(current_->form_, window);
}

}  // namespace platform::win32
