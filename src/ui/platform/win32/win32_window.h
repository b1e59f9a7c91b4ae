// What the Win32 backend's files share with each other and with the tests that drive its
// window. Internal to src/ui/platform/win32/.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "ui/platform/platform.h"

namespace platform::win32 {

// Control ids start clear of IDOK (1), IDCANCEL (2) and the dialog manager's other ids, so
// Enter and Esc, which it turns into IDOK and IDCANCEL, reach no control.
inline constexpr int kFirstControlId = 100;
inline int controlId(ControlId control) {
  return kFirstControlId + static_cast<int>(control);
}

// The message that runs the work given to post(); during a task, the work is held for its end.
inline constexpr UINT kRunPosted = WM_APP + 1;
// The message by which the disk thread says that a job ended (disk::finished).
inline constexpr UINT kDiskJobEnded = WM_APP + 2;

// One message of the event loop: Tab, arrow and access keys go to the dialog manager of the
// message's top-level window, everything else is translated and dispatched.
void dispatch(MSG& message);

// The scratch-program routing for a class T with a window: CreateWindowEx's parameter is the
// object, kept in the window's user data from the first message on; `handle` is the object's
// own window handle, set then and cleared after the last message (detachAtEnd).
template <class T>
T* attachedObject(HWND hwnd, UINT message, LPARAM lParam, HWND T::*handle) {
  if (message != WM_NCCREATE) return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
  self->*handle = hwnd;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  return self;
}
template <class T>
void detachAtEnd(HWND hwnd, UINT message, T* self, HWND T::*handle) {
  if (message != WM_NCDESTROY) return;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  self->*handle = nullptr;
}

// UTF-16 both: these only change the character type.
inline std::wstring toWide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}
inline Text fromWide(std::wstring_view text) {
  return Text(text.begin(), text.end());
}

}  // namespace platform::win32
