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

// The message that runs the work given to post(); a task's message pump leaves it queued.
inline constexpr UINT kRunPosted = WM_APP + 1;

// One message of the event loop: Tab, arrow and access keys go to the dialog manager of the
// message's top-level window, everything else is translated and dispatched.
void dispatch(MSG& message);

// Dots per inch of `window`'s monitor as the window sees it.
UINT dpiOf(HWND window);

// UTF-16 both: these only change the character type.
inline std::wstring toWide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}
inline Text fromWide(std::wstring_view text) {
  return Text(text.begin(), text.end());
}

}  // namespace platform::win32
