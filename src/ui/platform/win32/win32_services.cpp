// The process-wide services of platform.h, for Win32.
#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <deque>
#include <memory>
#include <string>

#include "app_info.h"
#include "ui/platform/disk_thread.h"
#include "ui/platform/name_order.h"
#include "ui/platform/platform.h"
#include "ui/platform/win32/win32_task.h"
#include "ui/platform/win32/win32_window.h"

namespace platform {

using win32::fromWide;
using win32::toWide;

namespace {

// Tasks from post(), run by a message-only window: every message loop of the thread, a message
// box's included, dispatches its messages, and Windows hands out posted messages before input.
// While a long task handles messages, it holds them for its end (win32_task.cpp). The window
// also takes the disk thread's word that a job ended.
class TaskQueue {
 public:
  void push(std::function<void()> task) {
    tasks_.push_back(std::move(task));
    if (tasks_.size() == 1) PostMessageW(window(), win32::kRunPosted, 0, 0);
  }

  // Made on the window's thread, whose messages it takes, before the disk thread needs it.
  HWND window() {
    if (window_ == nullptr) {
      WNDCLASSEXW windowClass{};
      windowClass.cbSize = sizeof windowClass;
      windowClass.lpfnWndProc = windowProc;
      windowClass.hInstance = GetModuleHandleW(nullptr);
      windowClass.lpszClassName = L"NamewispTasks";
      RegisterClassExW(&windowClass);
      window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, windowClass.hInstance, nullptr);
    }
    return window_;
  }

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  // Tasks that a task posts wait for the next message, so a task that posts itself cannot
  // keep the loop from reaching the user's input.
  void runAll() {
    std::deque<std::function<void()>> batch;
    batch.swap(tasks_);
    for (std::function<void()>& task : batch) {
      if (win32::Win32Task::holding()) {
        win32::Win32Task::current()->hold(std::move(task));
      } else {
        task();
      }
    }
  }

  std::deque<std::function<void()>> tasks_;
  HWND window_ = nullptr;
};

TaskQueue tasks;

LRESULT CALLBACK TaskQueue::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == win32::kDiskJobEnded) {
    const std::unique_ptr<std::shared_ptr<disk::Job>> job(
        reinterpret_cast<std::shared_ptr<disk::Job>*>(lParam));
    (*job)->runThen();
    return 0;
  }
  if (message != win32::kRunPosted) return DefWindowProcW(hwnd, message, wParam, lParam);
  tasks.runAll();
  return 0;
}

// The user's locale's collation key of `name`, letter case ignored: byte keys compare as the
// locale compares the names, so sorting costs one key per name instead of a call per pair.
std::string sortKey(const std::wstring& name) {
  constexpr DWORD flags = LCMAP_SORTKEY | LINGUISTIC_IGNORECASE;
  const int length = static_cast<int>(name.size());
  const int size = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, name.c_str(), length, nullptr, 0,
                                 nullptr, nullptr, 0);
  if (size <= 0) return {};
  std::string key(static_cast<std::size_t>(size), '\0');
  LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, name.c_str(), length,
                reinterpret_cast<LPWSTR>(key.data()), size, nullptr, nullptr, 0);
  return key;
}

}  // namespace

struct Application::Impl {};

Application::Application(int&, char**) : impl_(std::make_unique<Impl>()) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);
  tasks.window();
}

Application::~Application() {
  disk::stop();
}

namespace {
// How long a closed program waits for a disk call under way before it ends without it.
constexpr int kLetFinishMs = 250;
}  // namespace

int Application::exec() {
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0)
    win32::dispatch(message);
  const int status = got == 0 ? static_cast<int>(message.wParam) : 1;
  // The user closed the window while a disk call is still blocked, as on a share that went
  // away: ending now leaves nothing for the call to find torn down, whenever it returns. A call
  // that is merely under way, a local read say, is let finish.
  if (!disk::idleWithin(kLetFinishMs)) {
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
  }
  return status;
}

namespace disk {

void threadStarted() {
  // The shell's file operations are made of COM objects, which want an apartment.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

void finished(const std::shared_ptr<Job>& job) {
  // The message itself wakes the window's thread, should it sleep waiting for the job.
  auto* held = new std::shared_ptr<Job>(job);
  if (!PostMessageW(tasks.window(), win32::kDiskJobEnded, 0, reinterpret_cast<LPARAM>(held)))
    delete held;
}

}  // namespace disk

void messageBox(const Text& text) {
  // No owner, yet task-modal: the window must not take another Clean while a pass waits here.
  MessageBoxW(nullptr, toWide(text).c_str(), toWide(NAMEWISP_TITLE).c_str(), MB_OK | MB_TASKMODAL);
}

void post(std::function<void()> task) {
  tasks.push(std::move(task));
}

NativeName workingDirectory() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return {};
  std::wstring folder(size, L'\0');
  const DWORD length = GetCurrentDirectoryW(size, folder.data());
  if (length == 0 || length >= size) return {};
  folder.resize(length);
  return folder;
}

NameList listFiles(const NativeName& folder) {
  std::wstring pattern = folder;
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';

  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return {};
  constexpr DWORD kLeftOut =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    if ((found.dwFileAttributes & kLeftOut) == 0) names.emplace_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);

  return NameList(sortedByKey(std::move(names), sortKey));
}

Text toLower(const Text& text) {
  if (text.empty()) return {};
  constexpr DWORD flags = LCMAP_LOWERCASE | LCMAP_LINGUISTIC_CASING;
  const std::wstring wide = toWide(text);
  const int length = static_cast<int>(wide.size());
  const int size = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, wide.c_str(), length, nullptr, 0,
                                 nullptr, nullptr, 0);
  if (size <= 0) return text;
  std::wstring lower(static_cast<std::size_t>(size), L'\0');
  lower.resize(
      static_cast<std::size_t>(LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, wide.c_str(), length,
                                             lower.data(), size, nullptr, nullptr, 0)));
  return fromWide(lower);
}

Text toText(NameList::Name name) {
  return fromWide(name);
}

NativeName toNative(const Text& text) {
  return toWide(text);
}

}  // namespace platform
