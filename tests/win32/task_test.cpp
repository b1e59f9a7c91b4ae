// A long Clean press, end to end: the real window and the real shell in a real folder, behind a
// service at the seam that takes its time. What the tests look at is sampled before each rename,
// on the disk thread that makes it, at timer ticks on the window's thread, or from a thread of
// their own while the press runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "press.h"

namespace {

using namespace test;

// What the long press showed, sampled on the window's thread between renames and at timer
// ticks, while it ran.
struct Seen {
  Window* window = nullptr;
  HWND form = nullptr;
  std::size_t total = 0;
  HWND progress = nullptr;
  std::size_t firstCallShown = 0;  // the rename before which it was first seen
  std::wstring caption;
  std::vector<std::wstring> classes, texts;  // of its controls
  std::vector<std::wstring> labels;          // every "n of total" text seen, in order
  bool formEnabledUnderIt = false;
  bool formInvalid = false, progressInvalid = false;
  int formRepaints = 0, progressRepaints = 0;
  std::vector<LONGLONG> midPressTicks;  // performance counter at each tick between renames
  bool posted = false, postedRan = false;
  std::size_t postedRanAfter = 0;  // renames begun when the posted work ran
  DWORD inputLeft = 0;
};
Seen seen;

// Marks a corner of `window` for repainting and counts the repaints done since: a window that
// answers repaints between two renames. A corner clear of the controls, so that only the window
// itself repaints: repainting a long list every turn would slow the whole press down.
void repaintCheck(HWND window, bool& invalid, int& repaints) {
  if (invalid && !GetUpdateRect(window, nullptr, FALSE)) {
    ++repaints;
    invalid = false;
  }
  const RECT corner{0, 0, 4, 4};
  if (!invalid) invalid = InvalidateRect(window, &corner, TRUE) != 0;
}

// Clicks the text box and types, presses Clean again by access key and by mouse, clicks the
// close box and presses Alt+F4: none of it may reach the window while the press runs.
void tryToInterrupt(Window& window) {
  clickOn(window.control(frmClean::txtRemove));
  keys({'Z'});
  keys({VK_MENU, 'C'});
  clickOn(window.control(frmClean::cmdClean));
  clickAt(closeBoxOf(window.hwnd()));
  keys({VK_MENU, VK_F4});
}

void sampleLongPress(std::size_t call) {
  repaintCheck(seen.form, seen.formInvalid, seen.formRepaints);
  const HWND progress = ownedBy(seen.form);
  if (progress == nullptr) return;
  if (seen.progress == nullptr) {
    seen.progress = progress;
    seen.firstCallShown = call;
    seen.caption = windowText(progress);
    for (const HWND child : children(progress)) {
      seen.classes.push_back(className(child));
      seen.texts.push_back(windowText(child));
    }
  }
  seen.formEnabledUnderIt = seen.formEnabledUnderIt || IsWindowEnabled(seen.form);
  for (const HWND child : children(progress)) {
    const std::wstring text = windowText(child);
    if (text.find(L" files done") == std::wstring::npos) continue;
    if (seen.labels.empty() || seen.labels.back() != text) seen.labels.push_back(text);
  }
  repaintCheck(progress, seen.progressInvalid, seen.progressRepaints);
}

void CALLBACK onTick(HWND, UINT, UINT_PTR, DWORD) {
  if (Slow::calls == 0) return;
  // On the window's thread, whose input queue it looks at, while the last renames run.
  if (Slow::calls + 2 >= seen.total)
    seen.inputLeft = HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON));
  if (Slow::calls >= seen.total) return;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  seen.midPressTicks.push_back(now.QuadPart);
  if (seen.posted) return;
  seen.posted = true;
  platform::post([] {
    seen.postedRan = true;
    seen.postedRanAfter = Slow::calls;
  });
}

TEST(Task, ALongPressShowsProgressWithoutNamesAndKeepsAnswering) {
  constexpr int kFiles = 150;
  TempFolder folder;
  const std::vector<std::wstring> names = makeFiles(folder, kFiles);
  DialogWatcher watcher;
  Window window(&slowShell);
  const std::size_t reads = window.form().FileChoice.readCount();
  seen = Seen{};
  seen.form = window.hwnd();
  seen.total = kFiles;
  Slow::calls = 0;
  seen.window = &window;
  Slow::before = [](std::size_t call) {
    if (call == 1) tryToInterrupt(*seen.window);
    sampleLongPress(call);
  };
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, onTick);
  {
    Prober prober(seen.form, kFiles);
    pressClean(window, L"_old");
    std::cout << "longest wait for a sent message during the press: " << prober.longestWaitMs()
              << " ms\n";
    EXPECT_FALSE(prober.everHung());
  }
  KillTimer(nullptr, timer);
  Slow::before = nullptr;

  // It ran to the end, once, and took none of the input sent meanwhile.
  EXPECT_EQ(Slow::calls, static_cast<std::size_t>(kFiles));
  EXPECT_EQ(folder.contents(), expectedAfter(names, kFiles));
  ASSERT_NE(window.hwnd(), nullptr) << "neither the close box nor Alt+F4 may end it";
  EXPECT_EQ(window.text(), L"_old");
  EXPECT_EQ(seen.inputLeft, 0u) << "the input sent was dropped during the press, not after";
  EXPECT_TRUE(watcher.dialogs().empty());
  EXPECT_EQ(window.form().FileChoice.readCount(), reads + 1) << "posted re-reads wait for the end";
  EXPECT_TRUE(seen.postedRan);
  EXPECT_EQ(seen.postedRanAfter, static_cast<std::size_t>(kFiles));

  // Messages were handled between renames, and both windows repainted.
  EXPECT_GE(seen.midPressTicks.size(), 2u);
  EXPECT_GE(seen.formRepaints, 1);
  EXPECT_GE(seen.progressRepaints, 1);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  LONGLONG gap = 0;
  for (std::size_t i = 1; i < seen.midPressTicks.size(); ++i)
    gap = std::max(gap, seen.midPressTicks[i] - seen.midPressTicks[i - 1]);
  std::cout << seen.midPressTicks.size() << " timer ticks handled between renames; longest gap "
            << 1000.0 * static_cast<double>(gap) / static_cast<double>(frequency.QuadPart)
            << " ms\n";

  // The progress window: late, modal to the form, counting files without naming any.
  ASSERT_NE(seen.progress, nullptr);
  std::cout << "progress first seen before rename " << seen.firstCallShown << " of " << kFiles
            << "; " << seen.labels.size() << " counts shown\n";
  EXPECT_GT(seen.firstCallShown, 1u);
  EXPECT_EQ(seen.caption, L"Namewisp");
  EXPECT_FALSE(seen.formEnabledUnderIt);
  EXPECT_NE(std::find(seen.classes.begin(), seen.classes.end(), L"msctls_progress32"),
            seen.classes.end());
  EXPECT_NE(std::find(seen.texts.begin(), seen.texts.end(), L"Cancel"), seen.texts.end());
  for (const std::wstring& text : seen.texts) {
    EXPECT_EQ(text.find(L"photo"), std::wstring::npos) << utf8(text);
    EXPECT_EQ(text.find(L"_old"), std::wstring::npos) << utf8(text);
  }
  ASSERT_GE(seen.labels.size(), 2u) << "the count moves on";
  std::size_t previous = 0;
  for (const std::wstring& label : seen.labels) {
    std::size_t done = 0, total = 0;
    ASSERT_EQ(swscanf(label.c_str(), L"%zu of %zu files done", &done, &total), 2) << utf8(label);
    EXPECT_EQ(total, static_cast<std::size_t>(kFiles));
    EXPECT_GT(done, previous);
    previous = done;
  }

  // Gone with the press, and the form back in charge.
  EXPECT_FALSE(IsWindow(seen.progress));
  EXPECT_TRUE(IsWindowEnabled(window.hwnd()));
  EXPECT_EQ(GetActiveWindow(), window.hwnd());
  EXPECT_EQ(window.shown(), listed());
}

// The cancel to send once the progress window shows, and the rename before which it was sent.
struct CancelBy {
  const char* what;
  void (*send)(HWND progress);
};
const CancelBy* cancelBy = nullptr;
HWND cancelFor = nullptr;
std::size_t cancelSentAt = 0;

TEST(Task, CancelStopsThePressBeforeItsNextRename) {
  constexpr int kFiles = 150;
  const CancelBy ways[] = {
      {"the Cancel button", [](HWND progress) { clickOn(childWithText(progress, L"Cancel")); }},
      {"Esc", [](HWND) { keys({VK_ESCAPE}); }},
      {"the close box", [](HWND progress) { clickAt(closeBoxOf(progress)); }},
  };
  for (const CancelBy& way : ways) {
    SCOPED_TRACE(way.what);
    TempFolder folder;
    const std::vector<std::wstring> names = makeFiles(folder, kFiles);
    DialogWatcher watcher;
    Window window(&slowShell);
    Slow::calls = 0;
    cancelBy = &way;
    cancelFor = window.hwnd();
    cancelSentAt = 0;
    Slow::before = [](std::size_t call) {
      if (cancelSentAt != 0) return;
      if (const HWND progress = ownedBy(cancelFor)) {
        cancelBy->send(progress);
        cancelSentAt = call;
      }
    };
    pressClean(window, L"_old");
    Slow::before = nullptr;

    const std::size_t renamed = Slow::calls;
    std::cout << way.what << ": sent before rename " << cancelSentAt << ", stopped after "
              << renamed << " of " << kFiles << "\n";
    ASSERT_GT(cancelSentAt, 0u) << "the progress window showed";
    EXPECT_GE(renamed, cancelSentAt);
    EXPECT_LT(renamed, static_cast<std::size_t>(kFiles));
    EXPECT_EQ(folder.contents(), expectedAfter(names, renamed));
    EXPECT_EQ(window.shown(), listed()) << "the list shows the folder as it is";
    EXPECT_TRUE(watcher.dialogs().empty()) << "no message follows a cancel";
    EXPECT_EQ(ownedBy(window.hwnd()), nullptr);
  }
}

TEST(Task, AShortPressShowsNoProgressAtAll) {
  TempFolder folder;
  const std::vector<std::wstring> names = makeFiles(folder, 3);
  DialogWatcher watcher;
  Window window(&slowShell);
  Slow::calls = 0;
  Slow::delay = 2;
  {
    const WindowsMade made;
    pressClean(window, L"_old");
    EXPECT_TRUE(made.windows().empty()) << "not even a flash of a window";
  }
  Slow::delay = 8;
  EXPECT_EQ(Slow::calls, 3u);
  EXPECT_EQ(folder.contents(), expectedAfter(names, 3));
  EXPECT_TRUE(watcher.dialogs().empty());
}

// A service that renames the first file, then answers the way the shell does when the user
// cancelled in one of its own dialogs.
struct ShellCancel {
  const char* what;
  int result;
  BOOL aborted;
};
const ShellCancel* shellCancel = nullptr;

int WINAPI cancellingShell(LPSHFILEOPSTRUCTW request) {
  if (++Slow::calls == 1) return SHFileOperationW(request);
  request->fAnyOperationsAborted = shellCancel->aborted;
  return shellCancel->result;
}

TEST(Task, ACancelInTheShellsOwnDialogStopsThePress) {
  const ShellCancel cases[] = {
      {"ERROR_CANCELLED", ERROR_CANCELLED, FALSE},
      {"fAnyOperationsAborted, though the result says success", 0, TRUE},
  };
  for (const ShellCancel& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    const std::vector<std::wstring> names = makeFiles(folder, 4);
    DialogWatcher watcher;
    Window window(&cancellingShell);
    Slow::calls = 0;
    shellCancel = &c;
    pressClean(window, L"_old");
    EXPECT_EQ(Slow::calls, 2u) << "nothing asked after the cancel";
    EXPECT_EQ(folder.contents(), expectedAfter(names, 1));
    EXPECT_EQ(window.shown(), listed());
    EXPECT_TRUE(watcher.dialogs().empty());
  }
}

}  // namespace
