#include "support.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "ui/platform/win32/win32_task.h"
#include "ui/platform/win32/win32_window.h"

namespace test {

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring className(HWND window) {
  wchar_t name[256];
  return std::wstring(name, static_cast<std::size_t>(GetClassNameW(window, name, 256)));
}

HWND formWindow(DWORD thread) {
  HWND found = nullptr;
  EnumThreadWindows(
      thread,
      [](HWND window, LPARAM result) {
        if (className(window) != L"frmClean") return TRUE;
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<std::wstring> itemsOf(HWND list) {
  std::vector<std::wstring> names;
  const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring name(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(name.data()));
    names.push_back(name);
  }
  return names;
}

// ---- Dialogs ---------------------------------------------------------------------------------

DialogWatcher::DialogWatcher() : thread_([this] { watch(); }) {}

DialogWatcher::~DialogWatcher() {
  stop_ = true;
  thread_.join();
}

std::vector<Dialog> DialogWatcher::dialogs() const {
  std::lock_guard lock(mutex_);
  return dialogs_;
}

void DialogWatcher::watch() {
  while (!stop_) {
    std::vector<HWND> found;
    // Of any thread: the shell's own dialogs come from the disk thread.
    EnumWindows(
        [](HWND window, LPARAM list) {
          DWORD process = 0;
          GetWindowThreadProcessId(window, &process);
          if (process == GetCurrentProcessId() && className(window) == L"#32770" &&
              IsWindowVisible(window))
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    for (const HWND window : found) {
      if (std::find(answered_.begin(), answered_.end(), window) != answered_.end()) continue;
      Dialog dialog;
      dialog.caption = windowText(window);
      for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring kind = className(child);
        if (CompareStringOrdinal(kind.c_str(), -1, L"Button", -1, TRUE) == CSTR_EQUAL) {
          if (IsWindowVisible(child)) dialog.buttons.push_back(GetDlgCtrlID(child));
        } else if (CompareStringOrdinal(kind.c_str(), -1, L"Static", -1, TRUE) == CSTR_EQUAL) {
          if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            dialog.icon = dialog.icon ||
                          (IsWindowVisible(child) && SendMessageW(child, STM_GETICON, 0, 0) != 0);
          } else if (const std::wstring text = windowText(child); !text.empty()) {
            dialog.text += (dialog.text.empty() ? L"" : L"\n") + text;
          }
        }
      }
      for (const int choice : {IDNO, IDCANCEL, IDOK}) {
        if (std::find(dialog.buttons.begin(), dialog.buttons.end(), choice) !=
            dialog.buttons.end()) {
          dialog.pressed = choice;
          break;
        }
      }
      if (dialog.pressed == 0) continue;  // not ready yet: no button to press
      answered_.push_back(window);
      {
        std::lock_guard lock(mutex_);
        dialogs_.push_back(dialog);
      }
      PostMessageW(window, WM_COMMAND, MAKEWPARAM(dialog.pressed, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(window, dialog.pressed)));
    }
    Sleep(10);
  }
}

// ---- The window ------------------------------------------------------------------------------

Window::Window(clean::ShellService service, bool filled)
    : form_(std::make_unique<frmClean>(service)) {
  form_->Show();
  settle();
  EXPECT_EQ(GetForegroundWindow(), hwnd()) << "the window must be in front to take input";
  if (filled) form_->FileChoice.Current();
  latest_ = this;
}

Window::~Window() {
  if (latest_ == this) latest_ = nullptr;
  form_.reset();
  settle();
}

HWND Window::hwnd() const {
  return formWindow(thread_);
}

HWND Window::control(frmClean::Control control) const {
  return GetDlgItem(hwnd(), platform::win32::controlId(control));
}

std::wstring Window::text() const {
  return windowText(control(frmClean::txtRemove));
}

std::vector<std::wstring> Window::shown() const {
  return itemsOf(control(frmClean::FileChoiceBox));
}

void Window::settle() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Left for the event loop that this may run inside, which it ends.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    platform::win32::dispatch(message);
  }
  if (latest_ != nullptr && latest_->thread_ == GetCurrentThreadId() &&
      platform::win32::Win32Task::current() == nullptr) {
    latest_->form_->FileChoice.Current();
  }
}

// ---- Input -----------------------------------------------------------------------------------

namespace {

INPUT key(WORD virtualKey, wchar_t character, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = character;
  input.ki.dwFlags = (character != 0 ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
  // The navigation block, not the numeric keypad.
  if (virtualKey >= VK_PRIOR && virtualKey <= VK_DOWN) input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  return input;
}

void send(std::vector<INPUT> inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Window::settle();
}

}  // namespace

void type(const std::wstring& text) {
  std::vector<INPUT> inputs;
  for (const wchar_t c : text) {
    inputs.push_back(key(0, c, false));
    inputs.push_back(key(0, c, true));
  }
  send(std::move(inputs));
}

void press(WORD virtualKey, WORD modifier) {
  std::vector<INPUT> inputs;
  if (modifier != 0) inputs.push_back(key(modifier, 0, false));
  inputs.push_back(key(virtualKey, 0, false));
  inputs.push_back(key(virtualKey, 0, true));
  if (modifier != 0) inputs.push_back(key(modifier, 0, true));
  send(std::move(inputs));
}

void click(HWND window, POINT at) {
  ClientToScreen(window, &at);
  SetCursorPos(at.x, at.y);
  INPUT down{};
  down.type = INPUT_MOUSE;
  down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  INPUT up = down;
  up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  send({down, up});
}

void click(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  click(window, POINT{client.right / 2, client.bottom / 2});
}

void pressClean(Window& window, const std::wstring& removal) {
  SetFocus(window.control(frmClean::txtRemove));
  type(removal);
  ASSERT_EQ(window.text(), removal);
  click(window.control(frmClean::cmdClean));
  Window::settle();
}

}  // namespace test
