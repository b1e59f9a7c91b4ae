// The controls of the form, and their rules: a text box whose limit never splits a character,
// and a list that reports the user picking its selected entry again.
#include "ui/platform/win32/win32_controls.h"

#include <windows.h>

#include <utility>

#include "ui/platform/win32/win32_task.h"
#include "ui/platform/win32/win32_window.h"

namespace platform::win32 {

namespace {

struct ControlClass {
  const wchar_t* name;
  DWORD style;
  DWORD exStyle;
};

ControlClass classOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::TextBox:
      return {L"EDIT", WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::FileList:
      // No LBS_SORT: the entries come sorted by the user's locale.
      return {L"LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
              WS_EX_CLIENTEDGE};
    case ControlKind::Button:
      return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::Label:
      break;
  }
  return {L"STATIC", SS_LEFT, 0};
}

// A paste cut at the limit can end between the halves of a pair.
void dropHalfCharacterBeforeCaret(HWND box) {
  DWORD caret = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
  const std::wstring text = windowText(box);
  if (caret == 0 || caret > text.size() || !IS_HIGH_SURROGATE(text[caret - 1])) return;
  if (caret < text.size() && IS_LOW_SURROGATE(text[caret])) return;
  SendMessageW(box, EM_SETSEL, caret - 1, caret);
  SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
}

}  // namespace

FormControls::FormControls(const FormLayout& layout, ClickHandler onClick)
    : layout_(layout), onClick_(std::move(onClick)) {
  for (const ControlLayout& control : layout.controls)
    brushes_.push_back(control.backColour ? CreateSolidBrush(*control.backColour) : nullptr);
}

FormControls::~FormControls() {
  for (const HBRUSH brush : brushes_)
    DeleteObject(brush);
}

bool FormControls::create(HWND form) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  for (ControlId id = 0; id < layout_.controls.size(); ++id) {
    const ControlLayout& control = layout_.controls[id];
    const ControlClass kind = classOf(control.kind);
    const HWND child = CreateWindowExW(kind.exStyle, kind.name, toWide(control.caption).c_str(),
                                       WS_CHILD | WS_VISIBLE | kind.style, 0, 0, 0, 0, form,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(id))),
                                       instance, nullptr);
    if (child == nullptr) return false;
    handles_.push_back(child);
    if (!control.accessibleName.empty()) accessibleNames_.name(child, control.accessibleName);
    if (control.kind == ControlKind::TextBox && control.maxLength > 0) {
      SendMessageW(child, EM_SETLIMITTEXT, static_cast<WPARAM>(control.maxLength), 0);
    }
    // Subclassed the classic way: SetWindowSubclass keeps its data in window properties, which
    // under Wine costs a round trip to the server on every message, 100,000 times over when the
    // list fills.
    SetWindowLongPtrW(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    procsBefore_.push_back(reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProc))));
  }
  return true;
}

void FormControls::destroying() {
  accessibleNames_.clear();
}

HWND FormControls::firstTabStop() const {
  for (const HWND control : handles_) {
    if ((GetWindowLongPtrW(control, GWL_STYLE) & WS_TABSTOP) && IsWindowEnabled(control))
      return control;
  }
  return nullptr;
}

void FormControls::command(int id, UINT code) {
  if (id < controlId(0) || id >= controlId(handles_.size())) return;  // IDOK, IDCANCEL
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

HBRUSH FormControls::colours(HDC dc, HWND child) const {
  for (ControlId id = 0; id < handles_.size(); ++id) {
    if (handles_[id] != child) continue;
    const ControlLayout& control = layout_.controls[id];
    if (!control.textColour && !control.backColour) return nullptr;
    if (control.textColour) SetTextColor(dc, *control.textColour);
    if (control.backColour) SetBkColor(dc, *control.backColour);
    return brushes_[id] != nullptr ? brushes_[id] : GetSysColorBrush(COLOR_WINDOW);
  }
  return nullptr;
}

LRESULT CALLBACK FormControls::controlProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<FormControls*>(GetWindowLongPtrW(child, GWLP_USERDATA));
  if (Win32Task::holdsOff(child, message, wParam)) return 0;
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
LRESULT FormControls::onTextBoxMessage(HWND box, WNDPROC before, UINT message, WPARAM wParam,
                                       LPARAM lParam) {
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

// Raises the selection event for a press on the entry that is already selected: the user
// picked it again, though the list sends no LBN_SELCHANGE for it. A second press soon after
// the first arrives as a double click.
LRESULT FormControls::onListMessage(HWND list, ControlId id, UINT message, WPARAM wParam,
                                    LPARAM lParam) {
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

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

void fillList(HWND list, const NameList& names) {
  std::size_t characters = 0;
  for (const NameList::Name name : names)
    characters += name.size() + 1;
  // Without redraws and with the storage made up front, a folder of 100,000 files fills in a
  // moment instead of repainting and reallocating for every entry.
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

}  // namespace platform::win32
