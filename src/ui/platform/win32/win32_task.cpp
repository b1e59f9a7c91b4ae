#include "ui/platform/win32/win32_task.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include <string>

#include "app_info.h"
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
constexpr int kBarRange = 1000;

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

// The progress window: modal to its owner, as a dialog is, captioned with the application title.
// It counts files and never names one.
class ProgressWindow {
 public:
  ProgressWindow(HWND owner, std::size_t total, bool& cancelled)
      : owner_(owner), total_(total), cancelled_(cancelled), dpi_(dpiOf(owner)) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);  // fails harmlessly from the second task on

    RECT frame{0, 0, pixels(kClientWidth), pixels(kClientHeight)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT over;
    GetWindowRect(owner, &over);
    CreateWindowExW(kExStyle, kClassName, toWide(NAMEWISP_TITLE).c_str(), kStyle,
                    over.left + (over.right - over.left - width) / 2,
                    over.top + (over.bottom - over.top - height) / 2, width, height, owner, nullptr,
                    instance, this);
    if (hwnd_ == nullptr) return;
    // Shown before the owner is disabled, so that the owner still has its focus to remember.
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    EnableWindow(owner_, FALSE);
    SetFocus(cancel_);
    UpdateWindow(hwnd_);
  }

  ~ProgressWindow() {
    // Enabled first, so that Windows gives the activation back to the owner.
    if (IsWindow(owner_)) EnableWindow(owner_, TRUE);
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    if (font_ != nullptr) DeleteObject(font_);
  }

  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  void show(std::size_t done) {
    if (hwnd_ == nullptr || done == shown_) return;
    shown_ = done;
    const std::wstring text =
        std::to_wstring(done) + L" of " + std::to_wstring(total_) + L" files done";
    SetWindowTextW(label_, text.c_str());
    const auto position = total_ == 0 ? 0 : done * kBarRange / total_;
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  }

 private:
  static constexpr const wchar_t* kClassName = L"NamewispProgress";
  static constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  static constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
  // Pixels at 96 dots per inch.
  static constexpr int kMargin = 12, kClientWidth = 300, kClientHeight = 102;
  static constexpr int kButtonWidth = 80, kButtonHeight = 26;

  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ProgressWindow* self = win32::attachedObject(hwnd, message, lParam, &ProgressWindow::hwnd_);
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = self->handleMessage(message, wParam, lParam);
    win32::detachAtEnd(hwnd, message, self, &ProgressWindow::hwnd_);
    return result;
  }

  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE:
        return onCreate() ? 0 : -1;
      case WM_COMMAND:
        onCommand(LOWORD(wParam));
        return 0;
      case WM_CLOSE:
        onClose();
        return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

  bool onCreate() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&controls);
    const int inner = kClientWidth - 2 * kMargin;
    label_ = child(L"STATIC", SS_LEFT | SS_NOPREFIX, kMargin, kMargin, inner, 20, 0);
    bar_ = child(PROGRESS_CLASSW, 0, kMargin, 38, inner, 16, 0);
    // IDCANCEL: Esc, through the dialog manager, presses it too.
    cancel_ = child(L"BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, kClientWidth - kMargin - kButtonWidth,
                    kClientHeight - kMargin - kButtonHeight, kButtonWidth, kButtonHeight, IDCANCEL);
    if (label_ == nullptr || bar_ == nullptr || cancel_ == nullptr) return false;
    SetWindowTextW(cancel_, L"Cancel");
    SendMessageW(bar_, PBM_SETRANGE32, 0, kBarRange);

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
      // The system gives it for the system's DPI; the window may be on a monitor of another.
      const HDC screen = GetDC(nullptr);
      const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
      ReleaseDC(nullptr, screen);
      if (systemDpi > 0) {
        metrics.lfMessageFont.lfHeight =
            MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi_), systemDpi);
      }
      font_ = CreateFontIndirectW(&metrics.lfMessageFont);
    }
    for (const HWND control : {label_, bar_, cancel_})
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return true;
  }

  void onCommand(int id) {
    if (id == IDCANCEL) cancelled_ = true;
  }

  // The close box cancels; the window itself goes with its task.
  void onClose() { cancelled_ = true; }

  HWND child(const wchar_t* className, DWORD style, int left, int top, int width, int height,
             int id) {
    return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, pixels(left),
                           pixels(top), pixels(width), pixels(height), hwnd_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
  }

  int pixels(int at96) const {
    return MulDiv(at96, static_cast<int>(dpi_), USER_DEFAULT_SCREEN_DPI);
  }

  HWND owner_;
  std::size_t total_;
  bool& cancelled_;
  UINT dpi_;
  HWND hwnd_ = nullptr;
  HWND label_ = nullptr;
  HWND bar_ = nullptr;
  HWND cancel_ = nullptr;
  HFONT font_ = nullptr;
  std::size_t shown_ = static_cast<std::size_t>(-1);
};

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
