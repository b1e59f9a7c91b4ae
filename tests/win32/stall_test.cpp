// The window answers whatever the disk does: a rename that blocks (a share that went away),
// and the folder's read queued behind it. The renames and reads wait on the disk thread; the
// window's thread keeps answering, and Cancel and Close work at once.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <iostream>
#include <mutex>

#include "press.h"

namespace {

using namespace test;
using Clock = std::chrono::steady_clock;

// The real shell, except that renames after the first `stallAfter` block while `stalled`.
struct Stall {
  static inline std::mutex mutex;
  static inline std::condition_variable released;
  static inline bool stalled = false;
  static inline std::size_t stallAfter = 0;
  static inline std::atomic<std::size_t> calls = 0;
  static inline std::atomic<int> blocked = 0;

  static void release() {
    const std::lock_guard lock(mutex);
    stalled = false;
    released.notify_all();
  }
};

int WINAPI stallingShell(LPSHFILEOPSTRUCTW request) {
  {
    std::unique_lock lock(Stall::mutex);
    if (Stall::stalled && ++Stall::calls > Stall::stallAfter) {
      ++Stall::blocked;
      Stall::released.wait(lock, [] { return !Stall::stalled; });
      --Stall::blocked;
    }
  }
  return SHFileOperationW(request);
}

// From a thread of its own, all the while it lives: how long the form takes to answer a sent
// message, as Windows asks before it calls a window hung.
class Answers {
 public:
  explicit Answers(HWND form) : thread_([this, form] { run(form); }) {}
  ~Answers() { stop(); }
  void stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  double longestMs() const { return longest_; }
  bool everHung() const { return hung_; }

 private:
  void run(HWND form) {
    while (!stop_) {
      const Clock::time_point sent = Clock::now();
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
      const double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
      longest_ = std::max(longest_.load(), ms);
      hung_ = hung_ || IsHungAppWindow(form);
      Sleep(10);
    }
  }

  std::atomic<bool> stop_ = false;
  std::atomic<double> longest_ = 0;
  std::atomic<bool> hung_ = false;
  std::thread thread_;
};

// What the window's thread saw at its timer ticks while the disk was blocked.
struct Watch {
  HWND form = nullptr;
  std::vector<std::wstring> labels;  // of each progress window it cancelled
  HWND cancelled = nullptr;          // the last, which stays until its task looks
  Clock::time_point lastCancel;
};
Watch watch;

// Cancels each progress window that shows while a rename is blocked, as a user would who
// gives up waiting, and notes what it said.
void CALLBACK onTick(HWND, UINT, UINT_PTR, DWORD) {
  if (Stall::blocked == 0) return;
  const HWND progress = ownedBy(watch.form);
  if (progress == nullptr || progress == watch.cancelled) return;
  watch.cancelled = progress;
  std::wstring label;
  for (const HWND child : children(progress)) {
    if (className(child) == L"Static" && !windowText(child).empty()) label = windowText(child);
  }
  watch.labels.push_back(label);
  watch.lastCancel = Clock::now();
  SendMessageW(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

TEST(Stall, TheWindowAnswersThroughABlockedRenameAndCancelAndCloseWorkAtOnce) {
  TempFolder folder;
  const std::vector<std::wstring> names = makeFiles(folder, 20);
  DialogWatcher dialogs;
  Window window(&stallingShell);
  watch = Watch{};
  watch.form = window.hwnd();
  Stall::calls = 0;
  Stall::stallAfter = 5;
  Stall::stalled = true;
  SetFocus(window.control(frmClean::txtRemove));
  type(L"_old");
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, onTick);
  Answers answers(watch.form);
  // The press, cancelled in the stall; then the re-read after it, queued behind the blocked
  // rename, and waited for when the list is looked at: cancelled too.
  click(window.control(frmClean::cmdClean));
  const Clock::time_point returned = Clock::now();
  answers.stop();
  KillTimer(nullptr, timer);

  std::cout << "longest wait for a sent message: " << answers.longestMs() << " ms\n";
  EXPECT_LT(answers.longestMs(), 300.0);
  EXPECT_FALSE(answers.everHung());
  ASSERT_EQ(watch.labels.size(), 2u) << "the press's progress, then the read's";
  EXPECT_NE(watch.labels[0].find(L" of 20 files done"), std::wstring::npos)
      << utf8(watch.labels[0]);
  EXPECT_EQ(watch.labels[1], L"Reading the folder\u2026");
  EXPECT_LT(returned - watch.lastCancel, std::chrono::milliseconds(200));
  EXPECT_EQ(Stall::blocked, 1) << "the rename is still blocked";
  EXPECT_EQ(window.shown(), names) << "the list keeps what it showed";

  click(window.control(frmClean::cmdClose));
  EXPECT_EQ(window.hwnd(), nullptr) << "closed at once, the rename still blocked";
  EXPECT_EQ(Stall::blocked, 1);
  MSG quit;
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the loop would end";

  // The rename the user stopped waiting for ends on its own, and nothing is lost.
  Stall::release();
  for (int i = 0; i < 200 && Stall::blocked > 0; ++i)
    Sleep(10);
  Sleep(100);  // the read queued behind it
  EXPECT_EQ(folder.contents(), expectedAfter(names, 6));
  EXPECT_TRUE(dialogs.dialogs().empty());
}

}  // namespace
