// The form of platform.h as a plain Win32 window: one window class, its procedure routing each
// message to one small handler. Its controls are made in win32_controls.cpp, laid out at the
// monitor's DPI in win32_layout.cpp.
#include <windows.h>

#include <utility>

#include "ui/platform/platform.h"
#include "ui/platform/win32/win32_controls.h"
#include "ui/platform/win32/win32_layout.h"
#include "ui/platform/win32/win32_resources.h"
#include "ui/platform/win32/win32_task.h"
#include "ui/platform/win32/win32_window.h"

namespace platform {

namespace win32 {

void dispatch(MSG& message) {
  if (message.hwnd != nullptr) {
    if (const HWND top = GetAncestor(message.hwnd, GA_ROOT); top && IsDialogMessageW(top, &message))
      return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

}  // namespace win32

namespace {

using win32::toWide;

// Forms open, so that the loop ends with the last one the user closes.
int openForms = 0;

class Win32Form final : public Form {
 public:
  Win32Form(const FormLayout& layout, ClickHandler onClick)
      : layout_(layout), controls_(layout, [onClick = std::move(onClick)](ControlId id) {
          // Input is held off during a task; this also stops what bypasses input messages,
          // such as a screen reader's default action.
          if (win32::Win32Task::current() == nullptr) onClick(id);
        }) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring className(layout.name.begin(), layout.name.end());
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The program's icon at the sizes the taskbar and Alt+Tab (large) and the title bar (small)
    // draw it; the system's own where the program carries none.
    const auto icon = [instance](int width, int height) {
      return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(NAMEWISP_ICON), IMAGE_ICON,
                                           GetSystemMetrics(width), GetSystemMetrics(height),
                                           LR_SHARED));
    };
    windowClass.hIcon = icon(SM_CXICON, SM_CYICON);
    windowClass.hIconSm = icon(SM_CXSMICON, SM_CYSMICON);
    windowClass.lpszClassName = className.c_str();
    RegisterClassExW(&windowClass);  // fails harmlessly for a second form of the same class

    backBrush_ = CreateSolidBrush(layout.backColour);
    CreateWindowExW(win32::kFormExStyle, className.c_str(), toWide(layout.caption).c_str(),
                    win32::kFormStyle, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr,
                    instance, this);
  }

  ~Win32Form() override {
    if (hwnd_ != nullptr) {
      closedByOwner_ = true;
      DestroyWindow(hwnd_);
    }
    DeleteObject(font_);
    DeleteObject(backBrush_);
  }

  void show() override {
    if (hwnd_ == nullptr) return;
    RECT frame;
    GetWindowRect(hwnd_, &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    if (const HWND first = controls_.firstTabStop()) SetFocus(first);
    UpdateWindow(hwnd_);
  }

  void unload() override {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  }

  // Once the window is gone (unloaded, with a re-read still posted) the controls read as empty
  // and ignore changes.
  Text text(ControlId control) const override {
    if (hwnd_ == nullptr) return {};
    return win32::fromWide(win32::windowText(controls_.handle(control)));
  }

  void setText(ControlId control, const Text& text) override {
    if (hwnd_ == nullptr) return;
    const ControlLayout& layout = layout_.controls[control];
    const Text shown =
        layout.maxLength > 0 ? cutToLength(text, static_cast<std::size_t>(layout.maxLength)) : text;
    SetWindowTextW(controls_.handle(control), toWide(shown).c_str());
  }

  void setItems(ControlId control, std::shared_ptr<const NameList> shown) override {
    if (hwnd_ == nullptr) return;
    win32::fillList(controls_.handle(control), *shown);  // the list box keeps copies of its own
  }

  std::optional<std::size_t> selectedItem(ControlId control) const override {
    if (hwnd_ == nullptr) return std::nullopt;
    const LRESULT selected = SendMessageW(controls_.handle(control), LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return std::nullopt;
    return static_cast<std::size_t>(selected);
  }

  std::unique_ptr<Task> beginTask(std::size_t total) override {
    return std::make_unique<win32::Win32Task>(hwnd_, total);
  }

  std::unique_ptr<Task> beginWait(const Text& label) override {
    return std::make_unique<win32::Win32Task>(hwnd_, 0, label);
  }

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Form* self = win32::attachedObject(hwnd, message, lParam, &Win32Form::hwnd_);
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (win32::Win32Task::holdsOff(hwnd, message, wParam)) return 0;
    const LRESULT result = self->handleMessage(message, wParam, lParam);
    win32::detachAtEnd(hwnd, message, self, &Win32Form::hwnd_);
    return result;
  }

  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE:
        return onCreate() ? 0 : -1;
      case WM_DESTROY:
        onDestroy();
        return 0;
      case WM_COMMAND:
        controls_.command(LOWORD(wParam), HIWORD(wParam));
        return 0;
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
        if (const HBRUSH brush =
                controls_.colours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
          return reinterpret_cast<LRESULT>(brush);
        }
        break;
      case WM_ERASEBKGND:
        onEraseBackground(reinterpret_cast<HDC>(wParam));
        return 1;
      case WM_ACTIVATE:
        if (HIWORD(wParam) != 0) break;  // minimised: nothing to focus
        onActivate(LOWORD(wParam));
        return 0;
      case WM_DPICHANGED:
        onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

  bool onCreate() {
    ++openForms;  // a failed creation is destroyed too
    if (!controls_.create(hwnd_)) return false;
    layOut(win32::dpiOf(hwnd_));
    created_ = true;
    return true;
  }

  void onDestroy() {
    controls_.destroying();  // the controls go after this message
    --openForms;
    // A form destroyed by its owner is not the user leaving: the loop that runs is not ours
    // to end.
    if (openForms == 0 && !closedByOwner_) PostQuitMessage(created_ ? 0 : 1);
  }

  void onEraseBackground(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, backBrush_);
  }

  // A plain window, unlike a dialog, forgets its focused control when it loses activation,
  // for example to a message box; this brings focus back where it was.
  void onActivate(WORD state) {
    if (state == WA_INACTIVE) {
      const HWND focus = GetFocus();
      if (focus != nullptr && IsChild(hwnd_, focus)) focus_ = focus;
      return;
    }
    if (const HWND target = focus_ != nullptr ? focus_ : controls_.firstTabStop()) SetFocus(target);
  }

  void onDpiChanged(UINT dpi, const RECT& suggested) {
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    layOut(dpi);
  }

  void layOut(UINT dpi) { win32::layOut(hwnd_, layout_, controls_.handles(), dpi, font_); }

  const FormLayout layout_;
  win32::FormControls controls_;
  HWND hwnd_ = nullptr;
  HBRUSH backBrush_ = nullptr;
  HFONT font_ = nullptr;
  HWND focus_ = nullptr;
  bool created_ = false;
  bool closedByOwner_ = false;
};

}  // namespace

std::unique_ptr<Form> createForm(const FormLayout& layout, ClickHandler onClick) {
  return std::make_unique<Win32Form>(layout, std::move(onClick));
}

}  // namespace platform
