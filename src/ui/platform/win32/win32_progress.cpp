#include "ui/platform/win32/win32_progress.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include <string>
#include <utility>

#include "app_info.h"
#include "ui/platform/win32/win32_layout.h"
#include "ui/platform/win32/win32_window.h"

namespace platform::win32 {

namespace {

constexpr const wchar_t* kClassName = L"NamewispProgress";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
// Pixels at 96 dots per inch.
constexpr int kMargin = 12, kClientWidth = 300, kClientHeight = 102;
constexpr int kButtonWidth = 80, kButtonHeight = 26;
constexpr int kBarRange = 1000;

}  // namespace

ProgressWindow::ProgressWindow(HWND owner, std::size_t total, bool& cancelled)
    : ProgressWindow(owner, total, {}, cancelled) {}

ProgressWindow::ProgressWindow(HWND owner, const std::wstring& label, bool& cancelled)
    : ProgressWindow(owner, 0, label, cancelled) {}

ProgressWindow::ProgressWindow(HWND owner, std::size_t total, std::wstring waitLabel,
                               bool& cancelled)
    : owner_(owner),
      total_(total),
      waitLabel_(std::move(waitLabel)),
      cancelled_(cancelled),
      dpi_(dpiOf(owner)) {
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

ProgressWindow::~ProgressWindow() {
  // Enabled first, so that Windows gives the activation back to the owner.
  if (IsWindow(owner_)) EnableWindow(owner_, TRUE);
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  if (font_ != nullptr) DeleteObject(font_);
}

void ProgressWindow::show(std::size_t done) {
  if (hwnd_ == nullptr || done == shown_ || !waitLabel_.empty()) return;
  shown_ = done;
  const std::wstring text =
      std::to_wstring(done) + L" of " + std::to_wstring(total_) + L" files done";
  SetWindowTextW(label_, text.c_str());
  const auto position = total_ == 0 ? 0 : done * kBarRange / total_;
  SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

LRESULT CALLBACK ProgressWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ProgressWindow* self = attachedObject(hwnd, message, lParam, &ProgressWindow::hwnd_);
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  const LRESULT result = self->handleMessage(message, wParam, lParam);
  detachAtEnd(hwnd, message, self, &ProgressWindow::hwnd_);
  return result;
}

LRESULT ProgressWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
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

bool ProgressWindow::onCreate() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_PROGRESS_CLASS;
  InitCommonControlsEx(&controls);
  const int inner = kClientWidth - 2 * kMargin;
  label_ = child(L"STATIC", SS_LEFT | SS_NOPREFIX, kMargin, kMargin, inner, 20, 0);
  // A read cannot tell how far it is: its bar only shows that it goes on.
  bar_ = child(PROGRESS_CLASSW, waitLabel_.empty() ? 0 : PBS_MARQUEE, kMargin, 38, inner, 16, 0);
  // IDCANCEL: Esc, through the dialog manager, presses it too.
  cancel_ = child(L"BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, kClientWidth - kMargin - kButtonWidth,
                  kClientHeight - kMargin - kButtonHeight, kButtonWidth, kButtonHeight, IDCANCEL);
  if (label_ == nullptr || bar_ == nullptr || cancel_ == nullptr) return false;
  SetWindowTextW(cancel_, L"Cancel");
  if (waitLabel_.empty()) {
    SendMessageW(bar_, PBM_SETRANGE32, 0, kBarRange);
  } else {
    SetWindowTextW(label_, waitLabel_.c_str());
    SendMessageW(bar_, PBM_SETMARQUEE, TRUE, 30);
  }

  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    // The system gives it for the system's DPI; the window may be on a monitor of another.
    const HDC screen = GetDC(nullptr);
    const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    font_ = createFontAt(metrics.lfMessageFont, systemDpi, dpi_);
  }
  for (const HWND control : {label_, bar_, cancel_})
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return true;
}

void ProgressWindow::onCommand(int id) {
  if (id == IDCANCEL) cancelled_ = true;
}

// The close box cancels; the window itself goes with its task.
void ProgressWindow::onClose() {
  cancelled_ = true;
}

HWND ProgressWindow::child(const wchar_t* className, DWORD style, int left, int top, int width,
                           int height, int id) {
  return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, pixels(left),
                         pixels(top), pixels(width), pixels(height), hwnd_,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

int ProgressWindow::pixels(int at96) const {
  return MulDiv(at96, static_cast<int>(dpi_), USER_DEFAULT_SCREEN_DPI);
}

}  // namespace platform::win32
