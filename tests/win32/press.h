// What the tests of a long Clean press share: the slow service at the seam, files that sort in
// the order they are made, the windows a press shows, input sent without waiting for it to be
// handled, and a thread that measures how soon the window answers.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support.h"

namespace test {

// The slow service's state: one press at a time, on the disk thread.
struct Slow {
  static inline DWORD delay = 8;  // ms before each rename
  static inline std::atomic<std::size_t> calls = 0;
  // Called on the disk thread before each rename, while the window's thread waits for it.
  static inline void (*before)(std::size_t call) = nullptr;
};

// The real shell, Slow::delay late.
int WINAPI slowShell(LPSHFILEOPSTRUCTW request);

// `count` files whose names contain "_old" and sort in the order they are made.
std::vector<std::wstring> makeFiles(const TempFolder& folder, int count);
// The files after a press that stopped after `renamed` of `names`: those before renamed, the
// others untouched, every file's bytes its own.
std::map<std::wstring, std::string> expectedAfter(const std::vector<std::wstring>& names,
                                                  std::size_t renamed);
// The working directory's files in the order the list shows them.
std::vector<std::wstring> listed();

// The visible window that `owner` owns, as a progress window would be; null for none.
HWND ownedBy(HWND owner);
std::vector<HWND> children(HWND window);
HWND childWithText(HWND window, const std::wstring& text);
// A point, in screen coordinates, where a click lands on the close box of `window`.
POINT closeBoxOf(HWND window);

// Real input through the system's queue, left for whichever loop runs next to take.
void clickAt(POINT screen);
void clickOn(HWND control);
void keys(std::vector<WORD> chord);  // pressed in order, released in reverse

// Top-level windows made on this thread while it lives, message-only ones aside.
class WindowsMade {
 public:
  WindowsMade();
  ~WindowsMade();
  WindowsMade(const WindowsMade&) = delete;
  WindowsMade& operator=(const WindowsMade&) = delete;
  const std::vector<HWND>& windows() const { return made_; }

 private:
  static LRESULT CALLBACK onHook(int code, WPARAM wParam, LPARAM lParam);
  HHOOK hook_;
  static inline std::vector<HWND> made_;
};

// From a thread of its own, while renames 1 to total - 1 are under way: how long the form
// takes to answer a sent message, and whether Windows would call it or the window it owns hung.
class Prober {
 public:
  Prober(HWND form, std::size_t total);
  ~Prober();
  Prober(const Prober&) = delete;
  Prober& operator=(const Prober&) = delete;
  double longestWaitMs() const { return longest_; }
  bool everHung() const { return hung_; }

 private:
  void run(HWND form, std::size_t total);

  std::atomic<bool> stop_ = false;
  std::atomic<double> longest_ = 0;
  std::atomic<bool> hung_ = false;
  std::thread thread_;
};

}  // namespace test
