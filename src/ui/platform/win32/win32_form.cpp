// The form of platform.h as a plain Win32 window: one window class, its procedure routing each
// message to one small handler, and standard controls built from the layout table.
#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include <utility>
#include <vector>

#include "ui/platform/platform.h"
#include "ui/platform/win32/win32_accessibility.h"
#include "ui/platform/win32/win32_resources.h"
#include "ui/platform/win32/win32_task.h"
#include "ui/platform/win32/win32_window.h"

namespace platform {
namespace win32 {

namespace {

template <typename Function>
Function user32Function(const char* name) {
  const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// Windows 10 1607 and later; older systems give every window the system's DPI.
using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
const auto getDpiForWindow = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
const auto adjustWindowRectExForDpi =
    user32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");

}  // namespace

UINT dpiOf(HWND window) {
  if (getDpiForWindow != nullptr) {
    if (const UINT dpi = getDpiForWindow(window); dpi != 0) return dpi;
  }
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

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

using win32::controlId;
using win32::toWide;

// A fixed single border with a title bar, a window menu and a minimise box; no maximise box.
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kFormExStyle = 0;

// Forms open, so that the loop ends with the last one the user closes.
int openForms = 0;

class Win32Form final : public Form {
 public:
  Win32Form(const FormLayout& layout, ClickHandler onClick)
      : layout_(layout), onClick_([onClick = std::move(onClick)](ControlId id) {
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
    for (const ControlLayout& control : layout.controls) {
      controlBrushes_.push_back(control.backColour ? CreateSolidBrush(*control.backColour)
                                                   : nullptr);
    }
    CreateWindowExW(kFormExStyle, className.c_str(), toWide(layout.caption).c_str(), kFormStyle,
                    CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, this);
  }

  ~Win32Form() override {
    if (hwnd_ != nullptr) {
      closedByOwner_ = true;
      DestroyWindow(hwnd_);
    }
    DeleteObject(font_);
    DeleteObject(backBrush_);
    for (const HBRUSH brush : controlBrushes_)
      DeleteObject(brush);
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
    if (const HWND first = firstTabStop()) SetFocus(first);
    UpdateWindow(hwnd_);
  }

  void unload() override {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  }

  // Once the window is gone (unloaded, with a re-read still posted) the controls read as empty
  // and ignore changes.
  Text text(ControlId control) const override {
    if (hwnd_ == nullptr) return {};
    const HWND box = controls_.at(control);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
    return win32::fromWide(text);
  }

  void setText(ControlId control, const Text& text) override {
    if (hwnd_ == nullptr) return;
    const ControlLayout& layout = layout_.controls[control];
    const Text shown =
        layout.maxLength > 0 ? cutToLength(text, static_cast<std::size_t>(layout.maxLength)) : text;
    SetWindowTextW(controls_.at(control), toWide(shown).c_str());
  }

  void setItems(ControlId control, std::shared_ptr<const NameList> shown) override {
    if (hwnd_ == nullptr) return;
    const NameList& names = *shown;  // the list box keeps copies of its own
    const HWND list = controls_.at(control);
    std::size_t characters = 0;
    for (const NameList::Name name : names)
      characters += name.size() + 1;
    // Without redraws and with the storage made up front, a folder of 100,000 files fills in
    // a moment instead of repainting and reallocating for every entry.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    SendMessageW(list, LB_INITSTORAGE, names.size(), characters * sizeof(wchar_t));
    NativeName item;
    for (const NameList::Name name : names) {
      item.assign(name);  // the list box wants the terminating zero
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
  }

  std::optional<std::size_t> selectedItem(ControlId control) const override {
    if (hwnd_ == nullptr) return std::nullopt;
    const LRESULT selected = SendMessageW(controls_.at(control), LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return std::nullopt;
    return static_cast<std::size_t>(selected);
  }

  std::unique_ptr<Task> beginTask(std::size_t total) override {
    return std::make_unique<win32::Win32Task>(hwnd_, total);
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
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
        if (const HBRUSH brush =
                onCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
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
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (ControlId id = 0; id < layout_.controls.size(); ++id) {
      const ControlLayout& control = layout_.controls[id];
      const wchar_t* className = L"STATIC";
      DWORD style = WS_CHILD | WS_VISIBLE;
      DWORD exStyle = 0;
      switch (control.kind) {
        case ControlKind::Label:
          style |= SS_LEFT;
          break;
        case ControlKind::TextBox:
          className = L"EDIT";
          style |= WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
          exStyle = WS_EX_CLIENTEDGE;
          break;
        case ControlKind::FileList:
          // No LBS_SORT: the entries come sorted by the user's locale.
          className = L"LISTBOX";
          style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
          exStyle = WS_EX_CLIENTEDGE;
          break;
        case ControlKind::Button:
          className = L"BUTTON";
          style |= WS_TABSTOP | BS_PUSHBUTTON;
          break;
      }
      const HWND child = CreateWindowExW(
          exStyle, className, toWide(control.caption).c_str(), style, 0, 0, 0, 0, hwnd_,
          reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(id))), instance, nullptr);
      if (child == nullptr) return false;
      controls_.push_back(child);
      if (!control.accessibleName.empty()) accessibleNames_.name(child, control.accessibleName);
      if (control.kind == ControlKind::TextBox && control.maxLength > 0) {
        SendMessageW(child, EM_SETLIMITTEXT, static_cast<WPARAM>(control.maxLength), 0);
      }
      // Subclassed the classic way: SetWindowSubclass keeps its data in window properties,
      // which under Wine costs a round trip to the server on every message, 100,000 times over
      // when the list fills.
      SetWindowLongPtrW(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      procsBefore_.push_back(reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProc))));
    }
    layOut(win32::dpiOf(hwnd_));
    created_ = true;
    return true;
  }

  void onDestroy() {
    accessibleNames_.clear();  // the controls go after this message
    --openForms;
    // A form destroyed by its owner is not the user leaving: the loop that runs is not ours
    // to end.
    if (openForms == 0 && !closedByOwner_) PostQuitMessage(created_ ? 0 : 1);
  }

  void onCommand(int id, UINT code) {
    if (id < controlId(0) || id >= controlId(controls_.size())) return;  // IDOK, IDCANCEL
    const ControlId control = static_cast<ControlId>(id - controlId(0));
    switch (layout_.controls[control].kind) {
      case ControlKind::Button:
        if (code == BN_CLICKED) onClick_(control);
        return;
      case ControlKind::FileList:
        if (code == LBN_SELCHANGE) {
          ++selectionChanges_;
          onClick_(control);
        }
        return;
      default:
        return;
    }
  }

  HBRUSH onCtlColor(HDC dc, HWND child) {
    for (ControlId id = 0; id < controls_.size(); ++id) {
      if (controls_[id] != child) continue;
      const ControlLayout& control = layout_.controls[id];
      if (!control.textColour && !control.backColour) return nullptr;
      if (control.textColour) SetTextColor(dc, *control.textColour);
      if (control.backColour) SetBkColor(dc, *control.backColour);
      return controlBrushes_[id] != nullptr ? controlBrushes_[id] : GetSysColorBrush(COLOR_WINDOW);
    }
    return nullptr;
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
    if (const HWND target = focus_ != nullptr ? focus_ : firstTabStop()) SetFocus(target);
  }

  void onDpiChanged(UINT dpi, const RECT& suggested) {
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    layOut(dpi);
  }

  static LRESULT CALLBACK controlProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(child, GWLP_USERDATA));
    if (win32::Win32Task::holdsOff(child, message, wParam)) return 0;
    const auto id = static_cast<ControlId>(GetDlgCtrlID(child) - controlId(0));
    switch (self->layout_.controls[id].kind) {
      case ControlKind::TextBox:
        return self->onTextBoxMessage(child, self->procsBefore_[id], message, wParam, lParam);
      case ControlKind::FileList:
        return self->onListMessage(child, id, message, wParam, lParam);
      default:
        return CallWindowProcW(self->procsBefore_[id], child, message, wParam, lParam);
    }
  }

  // The box's limit counts UTF-16 code units, and a character outside the Basic Multilingual
  // Plane arrives as two of them: one that does not fit whole is left out whole.
  LRESULT onTextBoxMessage(HWND box, WNDPROC before, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR) {
      const auto unit = static_cast<wchar_t>(wParam);
      if (IS_HIGH_SURROGATE(unit)) {
        DWORD start = 0, end = 0;
        SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        const auto kept = static_cast<LRESULT>(GetWindowTextLengthW(box)) - (end - start);
        dropLowSurrogate_ = kept + 2 > SendMessageW(box, EM_GETLIMITTEXT, 0, 0);
        if (dropLowSurrogate_) return 0;
      } else if (IS_LOW_SURROGATE(unit) && dropLowSurrogate_) {
        dropLowSurrogate_ = false;
        return 0;
      } else {
        dropLowSurrogate_ = false;
      }
    }
    const LRESULT result = CallWindowProcW(before, box, message, wParam, lParam);
    if (message == WM_PASTE) dropHalfCharacterBeforeCaret(box);
    return result;
  }

  // A paste cut at the limit can end between the halves of a pair.
  static void dropHalfCharacterBeforeCaret(HWND box) {
    DWORD caret = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
    if (caret == 0 || caret > text.size() || !IS_HIGH_SURROGATE(text[caret - 1])) return;
    if (caret < text.size() && IS_LOW_SURROGATE(text[caret])) return;
    SendMessageW(box, EM_SETSEL, caret - 1, caret);
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
  }

  // Raises the selection event for a press on the entry that is already selected: the user
  // picked it again, though the list sends no LBN_SELCHANGE for it. A second press soon after
  // the first arrives as a double click.
  LRESULT onListMessage(HWND list, ControlId id, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC before = procsBefore_[id];
    if (message != WM_LBUTTONDOWN && message != WM_LBUTTONDBLCLK)
      return CallWindowProcW(before, list, message, wParam, lParam);
    const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, lParam);
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    const bool again = HIWORD(hit) == 0 && selected != LB_ERR && LOWORD(hit) == selected;
    const unsigned changes = selectionChanges_;
    const LRESULT result = CallWindowProcW(before, list, message, wParam, lParam);
    // Where the list ran a drag-detection loop, the selection may have moved meanwhile.
    if (again && selectionChanges_ == changes && SendMessageW(list, LB_GETCURSEL, 0, 0) == selected)
      onClick_(id);
    return result;
  }

  HWND firstTabStop() const {
    for (const HWND control : controls_) {
      if ((GetWindowLongPtrW(control, GWL_STYLE) & WS_TABSTOP) && IsWindowEnabled(control))
        return control;
    }
    return nullptr;
  }

  int pixels(int twips) const { return MulDiv(twips, static_cast<int>(dpi_), 1440); }

  // Font, controls and window size for `dpi`: at creation, and again when the window moves to
  // a monitor of another density.
  void layOut(UINT dpi) {
    dpi_ = dpi;
    const FontLayout& face = layout_.font;
    const HFONT font =
        CreateFontW(-MulDiv(face.points, static_cast<int>(dpi), 72), 0, 0, 0, face.weight,
                    face.italic, face.underline, face.strikeout, static_cast<DWORD>(face.charset),
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_DONTCARE, toWide(face.face).c_str());
    for (ControlId id = 0; id < controls_.size(); ++id) {
      const ControlLayout& control = layout_.controls[id];
      SetWindowPos(controls_[id], nullptr, pixels(control.left), pixels(control.top),
                   pixels(control.width), pixels(control.height), SWP_NOZORDER | SWP_NOACTIVATE);
      SendMessageW(controls_[id], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    if (font_ != nullptr) DeleteObject(font_);
    font_ = font;

    RECT frame{0, 0, pixels(layout_.clientWidth), pixels(layout_.clientHeight)};
    if (win32::adjustWindowRectExForDpi != nullptr) {
      win32::adjustWindowRectExForDpi(&frame, kFormStyle, FALSE, kFormExStyle, dpi);
    } else {
      AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
    }
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  const FormLayout layout_;
  ClickHandler onClick_;
  HWND hwnd_ = nullptr;
  std::vector<HWND> controls_;  // in tab order, owned by hwnd_
  std::vector<HBRUSH> controlBrushes_;
  HBRUSH backBrush_ = nullptr;
  HFONT font_ = nullptr;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  HWND focus_ = nullptr;
  bool created_ = false;
  bool closedByOwner_ = false;
  std::vector<WNDPROC> procsBefore_;  // the controls' own window procedures
  win32::AccessibleNames accessibleNames_;
  unsigned selectionChanges_ = 0;
  bool dropLowSurrogate_ = false;
};

}  // namespace

std::unique_ptr<Form> createForm(const FormLayout& layout, ClickHandler onClick) {
  return std::make_unique<Win32Form>(layout, std::move(onClick));
}

}  // namespace platform
