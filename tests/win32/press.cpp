#include "press.h"

#include <algorithm>

namespace test {

int WINAPI slowShell(LPSHFILEOPSTRUCTW request) {
  ++Slow::calls;
  if (Slow::before != nullptr) Slow::before(Slow::calls);
  Sleep(Slow::delay);
  return SHFileOperationW(request);
}

std::vector<std::wstring> makeFiles(const TempFolder& folder, int count) {
  std::vector<std::wstring> names;
  for (int i = 0; i < count; ++i) {
    wchar_t name[32];
    swprintf(name, 32, L"photo_%04d_old.jpg", i);
    folder.write(name);
    names.push_back(name);
  }
  return names;
}

std::map<std::wstring, std::string> expectedAfter(const std::vector<std::wstring>& names,
                                                  std::size_t renamed) {
  std::map<std::wstring, std::string> files;
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::wstring name = names[i];
    if (i < renamed) name.erase(name.find(L"_old"), 4);
    files[name] = utf8(names[i]);
  }
  return files;
}

std::vector<std::wstring> listed() {
  std::vector<std::wstring> names;
  for (const platform::NameList::Name name : platform::listFiles(platform::workingDirectory()))
    names.emplace_back(name);
  return names;
}

HWND ownedBy(HWND owner) {
  struct Search {
    HWND owner, found = nullptr;
  } search{owner};
  EnumThreadWindows(
      GetWindowThreadProcessId(owner, nullptr),
      [](HWND window, LPARAM data) {
        auto* s = reinterpret_cast<Search*>(data);
        if (GetWindow(window, GW_OWNER) != s->owner || !IsWindowVisible(window)) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> children(HWND window) {
  std::vector<HWND> found;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    found.push_back(child);
  return found;
}

HWND childWithText(HWND window, const std::wstring& text) {
  for (const HWND child : children(window)) {
    if (windowText(child) == text) return child;
  }
  return nullptr;
}

POINT closeBoxOf(HWND window) {
  RECT frame;
  GetWindowRect(window, &frame);
  for (int y = frame.top; y < frame.top + 40; y += 2) {
    for (int x = frame.right - 1; x > frame.right - 60; x -= 2) {
      if (SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) return POINT{x, y};
    }
  }
  return POINT{-1, -1};
}

namespace {

void inject(std::vector<INPUT> inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT mouse(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  return input;
}

INPUT key(WORD virtualKey, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

}  // namespace

void clickAt(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  inject({mouse(MOUSEEVENTF_LEFTDOWN), mouse(MOUSEEVENTF_LEFTUP)});
}

void clickOn(HWND control) {
  RECT box;
  GetWindowRect(control, &box);
  clickAt(POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2});
}

void keys(std::vector<WORD> chord) {
  std::vector<INPUT> inputs;
  for (const WORD k : chord)
    inputs.push_back(key(k, false));
  for (auto k = chord.rbegin(); k != chord.rend(); ++k)
    inputs.push_back(key(*k, true));
  inject(std::move(inputs));
}

WindowsMade::WindowsMade()
    : hook_(SetWindowsHookExW(WH_CBT, onHook, nullptr, GetCurrentThreadId())) {
  made_.clear();
}

WindowsMade::~WindowsMade() {
  UnhookWindowsHookEx(hook_);
}

LRESULT CALLBACK WindowsMade::onHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const auto window = reinterpret_cast<HWND>(wParam);
    // Message-only windows have a parent of their own; top-level ones, the desktop.
    if (GetAncestor(window, GA_PARENT) == GetDesktopWindow()) made_.push_back(window);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

Prober::Prober(HWND form, std::size_t total) : thread_([this, form, total] { run(form, total); }) {}

Prober::~Prober() {
  stop_ = true;
  thread_.join();
}

void Prober::run(HWND form, std::size_t total) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  while (!stop_) {
    const std::size_t calls = Slow::calls;
    if (calls > 0 && calls < total) {
      LARGE_INTEGER sent, answered;
      QueryPerformanceCounter(&sent);
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
      QueryPerformanceCounter(&answered);
      const double ms = 1000.0 * static_cast<double>(answered.QuadPart - sent.QuadPart) /
                        static_cast<double>(frequency.QuadPart);
      longest_ = std::max(longest_.load(), ms);  // asked mid-press, however late the answer
      const HWND progress = ownedBy(form);
      hung_ = hung_ || IsHungAppWindow(form) || (progress && IsHungAppWindow(progress));
    }
    Sleep(10);
  }
}

}  // namespace test
