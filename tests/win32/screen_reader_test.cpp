// The Win32 window as a screen reader meets it through MSAA: what each control is called and
// which one reports the focus.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, whose types they use.
#include <initguid.h>
#include <ole2.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "support.h"

namespace {

using test::TempFolder;
using test::Window;

// What a screen reader reads through MSAA: each control's client object as oleacc presents it.
class Accessible {
 public:
  explicit Accessible(HWND control) {
    AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                               reinterpret_cast<void**>(&object_));
  }
  ~Accessible() {
    if (object_ != nullptr) object_->Release();
  }
  Accessible(const Accessible&) = delete;
  Accessible& operator=(const Accessible&) = delete;

  bool exists() const { return object_ != nullptr; }
  std::wstring name() const {
    BSTR text = nullptr;
    if (object_->get_accName(self(), &text) != S_OK) return L"(none)";
    std::wstring name(text, SysStringLen(text));
    SysFreeString(text);
    return name;
  }
  std::wstring defaultAction() const {
    BSTR text = nullptr;
    if (object_->get_accDefaultAction(self(), &text) != S_OK) return L"(none)";
    std::wstring action(text, SysStringLen(text));
    SysFreeString(text);
    return action;
  }
  HRESULT doDefaultAction() const { return object_->accDoDefaultAction(self()); }
  long role() const {
    VARIANT role;
    VariantInit(&role);
    return object_->get_accRole(self(), &role) == S_OK && role.vt == VT_I4 ? role.lVal : -1;
  }
  bool focused() const {
    VARIANT state;
    VariantInit(&state);
    return object_->get_accState(self(), &state) == S_OK && state.vt == VT_I4 &&
           (state.lVal & STATE_SYSTEM_FOCUSED) != 0;
  }

 private:
  static VARIANT self() {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = CHILDID_SELF;
    return child;
  }
  IAccessible* object_ = nullptr;
};

class ComScope {
 public:
  ComScope() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (started_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool started_;
};

// Wine's oleacc (8.0) reads names off a control's text and the label before it as Windows
// does, but presents every control other than an edit box as a bare client object, and keeps no
// name given through IAccPropServices: SetHwndPropStr answers E_NOTIMPL. Under Wine the test
// expects what Wine shows; the list's name "Files" is for Windows' own oleacc to show.
bool underWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TEST(ScreenReader, NamesEveryControl) {
  TempFolder folder;
  folder.write(L"a.txt");
  Window window;
  ComScope com;
  const bool wine = underWine();
  struct Row {
    frmClean::Control id;
    const wchar_t* name;
    long role;
    const wchar_t* wineName;
    long wineRole;
  };
  const Row rows[] = {
      {frmClean::lblText, L"Text to Remove", ROLE_SYSTEM_STATICTEXT, L"Text to Remove",
       ROLE_SYSTEM_CLIENT},
      {frmClean::txtRemove, L"Text to Remove", ROLE_SYSTEM_TEXT, L"Text to Remove",
       ROLE_SYSTEM_TEXT},
      {frmClean::FileChoiceBox, L"Files", ROLE_SYSTEM_LIST, L"(none)", ROLE_SYSTEM_CLIENT},
      {frmClean::cmdRefresh, L"Refresh", ROLE_SYSTEM_PUSHBUTTON, L"Refresh", ROLE_SYSTEM_CLIENT},
      {frmClean::cmdClean, L"Clean", ROLE_SYSTEM_PUSHBUTTON, L"Clean", ROLE_SYSTEM_CLIENT},
      {frmClean::cmdClose, L"Close", ROLE_SYSTEM_PUSHBUTTON, L"Close", ROLE_SYSTEM_CLIENT},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(test::utf8(row.name));
    const Accessible control(window.control(row.id));
    ASSERT_TRUE(control.exists());
    EXPECT_EQ(control.name(), wine ? row.wineName : row.name);
    EXPECT_EQ(control.role(), wine ? row.wineRole : row.role);
  }
  EXPECT_EQ(test::windowText(window.control(frmClean::FileChoiceBox)), L"")
      << "the list's name is for screen readers only";
}

TEST(ScreenReader, OneControlReportsTheFocusTabByTab) {
  TempFolder folder;
  folder.write(L"a.txt");
  Window window;
  ComScope com;
  const auto reportingFocus = [&] {
    std::vector<frmClean::Control> focused;
    for (const auto id : {frmClean::lblText, frmClean::txtRemove, frmClean::FileChoiceBox,
                          frmClean::cmdRefresh, frmClean::cmdClean, frmClean::cmdClose}) {
      if (Accessible(window.control(id)).focused()) focused.push_back(id);
    }
    return focused;
  };
  EXPECT_EQ(reportingFocus(), std::vector{frmClean::txtRemove});
  const frmClean::Control order[] = {frmClean::FileChoiceBox, frmClean::cmdRefresh,
                                     frmClean::cmdClean,      frmClean::cmdClose,
                                     frmClean::txtRemove,     frmClean::FileChoiceBox};
  for (const frmClean::Control id : order) {
    test::press(VK_TAB);
    EXPECT_EQ(reportingFocus(), std::vector{id}) << "after Tab, expected control #" << id;
  }
}

// A screen reader presses a button through its default action, which reaches the button as a
// message, not as mouse or key input. Wine's oleacc offers no default action, so under Wine the
// test sends the button BM_CLICK, the same press without input.
TEST(ScreenReader, PressesEachButtonThroughItsDefaultAction) {
  TempFolder folder;
  folder.write(L"a_old.txt");
  Window window;
  ComScope com;
  const bool wine = underWine();
  const auto press = [&](frmClean::Control id) {
    const Accessible button(window.control(id));
    ASSERT_TRUE(button.exists());
    if (wine) {
      EXPECT_EQ(button.defaultAction(), L"(none)");
      SendMessageW(window.control(id), BM_CLICK, 0, 0);
    } else {
      EXPECT_EQ(button.defaultAction(), L"Press");
      EXPECT_EQ(button.doDefaultAction(), S_OK);
    }
    Window::settle();
  };
  folder.write(L"b_old.txt");
  press(frmClean::cmdRefresh);
  EXPECT_EQ(window.shown(), (std::vector<std::wstring>{L"a_old.txt", L"b_old.txt"}));
  SetWindowTextW(window.control(frmClean::txtRemove), L"_old");
  press(frmClean::cmdClean);
  EXPECT_EQ(window.shown(), (std::vector<std::wstring>{L"a.txt", L"b.txt"}));
  EXPECT_EQ(folder.contents().size(), 2u);
  EXPECT_EQ(folder.contents().count(L"a.txt") + folder.contents().count(L"b.txt"), 2u);
  platform::post([&] { press(frmClean::cmdClose); });
  EXPECT_EQ(test::application().exec(), 0);
  EXPECT_EQ(window.hwnd(), nullptr) << "no window is left";
}

}  // namespace
