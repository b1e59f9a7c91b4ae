// What the Windows window and end-to-end tests share: a real temporary folder that is the
// working directory, a watcher thread that answers the process's dialogs, the real window with
// its controls found by id, and real keyboard and mouse input.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "temp_folder.h"
#include "ui/frm_clean.h"

namespace test {

// The test program's one Application, made in its main.
platform::Application& application();

std::string utf8(const std::wstring& text);

// A dialog of this process: what it said and what the watcher pressed.
struct Dialog {
  std::wstring caption;
  std::wstring text;         // its static texts, one per line
  std::vector<int> buttons;  // the ids of its buttons
  bool icon = false;
  int pressed = 0;
};

// While it lives, answers every dialog (class #32770) that the process shows, from a thread
// of its own, since the dialog's modal loop holds the thread that shows it: records it and
// presses the button that leaves things as they are (No, Cancel, then OK).
class DialogWatcher {
 public:
  DialogWatcher();
  ~DialogWatcher();
  std::vector<Dialog> dialogs() const;

 private:
  void watch();

  std::atomic<bool> stop_ = false;
  mutable std::mutex mutex_;
  std::vector<Dialog> dialogs_;
  std::vector<HWND> answered_;
  std::thread thread_;
};

// The real window over the current working directory, shown and in front; its list filled,
// unless `filled` is false.
class Window {
 public:
  // Renames go to `service`, the shell's unless a test stands another in at its seam.
  explicit Window(clean::ShellService service = &SHFileOperation, bool filled = true);
  ~Window();

  frmClean& form() { return *form_; }
  // The top-level window, or null once it is gone.
  HWND hwnd() const;
  HWND control(frmClean::Control control) const;
  std::wstring text() const;
  // The entries the list shows, in order.
  std::vector<std::wstring> shown() const;

  // Runs every message waiting, as the event loop would, until none is left, and lets the
  // latest window's read end: on the window's thread, and outside a press, whose own waits
  // handle that.
  static void settle();

 private:
  std::unique_ptr<frmClean> form_;
  DWORD thread_ = GetCurrentThreadId();  // the window's
  static inline Window* latest_ = nullptr;
};

// Real input, through the system's input queue, to whatever has the focus; each settles.
void type(const std::wstring& text);
void press(WORD key, WORD modifier = 0);
void click(HWND window, POINT at);  // `at` in the window's client coordinates
void click(HWND window);            // at its centre

// Types the removal text and presses Clean with the mouse; returns once the press has ended
// and the posted re-read has run.
void pressClean(Window& window, const std::wstring& removal);

std::wstring windowText(HWND window);
std::wstring className(HWND window);
// The program's window (class frmClean) made on `thread`, or null: the disk thread, in a
// test's hook, looks for the window thread's.
HWND formWindow(DWORD thread = GetCurrentThreadId());
// The entries a list box shows, in order.
std::vector<std::wstring> itemsOf(HWND list);

}  // namespace test
