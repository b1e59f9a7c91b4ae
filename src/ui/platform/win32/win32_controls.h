// The form's controls: standard Win32 controls made from the layout table, subclassed for what
// the standard ones lack. Internal to src/ui/platform/win32/.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/platform/platform.h"
#include "ui/platform/win32/win32_accessibility.h"

namespace platform::win32 {

class FormControls {
 public:
  // `onClick` receives the user's actions on the controls: a button pressed, a list entry
  // picked (again, too).
  FormControls(const FormLayout& layout, ClickHandler onClick);
  ~FormControls();
  FormControls(const FormControls&) = delete;
  FormControls& operator=(const FormControls&) = delete;

  // Makes the table's controls as children of `form`, in tab order; false if one cannot be made.
  bool create(HWND form);
  // Takes back what the controls lent out; called while they still exist.
  void destroying();

  HWND handle(ControlId control) const { return handles_.at(control); }
  const std::vector<HWND>& handles() const { return handles_; }
  // The first control in tab order that takes focus, if any.
  HWND firstTabStop() const;

  // WM_COMMAND from the control with window id `id`: raises the click it stands for.
  void command(int id, UINT code);
  // WM_CTLCOLOR*: sets `child`'s colours from the table on `dc` and gives the brush for its
  // background; null for a control in the standard colours.
  HBRUSH colours(HDC dc, HWND child) const;

 private:
  static LRESULT CALLBACK controlProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT onTextBoxMessage(HWND box, WNDPROC before, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT onListMessage(HWND list, ControlId id, UINT message, WPARAM wParam, LPARAM lParam);

  const FormLayout layout_;
  ClickHandler onClick_;
  std::vector<HWND> handles_;         // in tab order, owned by the form's window
  std::vector<WNDPROC> procsBefore_;  // the controls' own window procedures
  std::vector<HBRUSH> brushes_;
  AccessibleNames accessibleNames_;
  unsigned selectionChanges_ = 0;
  bool dropLowSurrogate_ = false;
};

// The text of a window or control.
std::wstring windowText(HWND window);
// Shows `names` in the list box `list`, replacing what it showed.
void fillList(HWND list, const NameList& names);

}  // namespace platform::win32
