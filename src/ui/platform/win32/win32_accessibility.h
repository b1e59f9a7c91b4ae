// Names for screen readers that Windows cannot read off a control: its own text and the label
// before it are what MSAA and UI Automation use, and a list has neither. Internal to
// src/ui/platform/win32/.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

struct IAccPropServices;

namespace platform::win32 {

// The names a form gave its controls, taken back before the controls go.
class AccessibleNames {
 public:
  AccessibleNames() = default;
  ~AccessibleNames();
  AccessibleNames(const AccessibleNames&) = delete;
  AccessibleNames& operator=(const AccessibleNames&) = delete;

  // Names `control` (its client object, as oleacc presents it) for screen readers. False where
  // the system keeps no such names; the control is then unnamed, as it was.
  bool name(HWND control, std::u16string_view text);
  // Takes every name back; call while the controls still exist.
  void clear();

 private:
  IAccPropServices* services_ = nullptr;
  bool started_ = false;
  bool comStarted_ = false;  // by this object, which ends it again
  std::vector<HWND> named_;
};

}  // namespace platform::win32
