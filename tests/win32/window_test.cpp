// The Win32 window as the user meets it: layout, colours, focus, keys and the handlers; the
// text box has text_box_test.cpp.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "support.h"
#include "ui/platform/win32/win32_layout.h"

namespace {

using test::TempFolder;
using test::Window;

bool sameClass(const std::wstring& a, const wchar_t* b) {
  return CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

TEST(Window, IsLaidOutAsItsTableSaysAtTheDpiInUse) {
  TempFolder folder;
  Window window;
  const HWND form = window.hwnd();
  ASSERT_NE(form, nullptr);
  const UINT dpi = platform::win32::dpiOf(form);
  if (const char* expected = std::getenv("NAMEWISP_TEST_DPI")) {
    ASSERT_EQ(dpi, static_cast<UINT>(std::atoi(expected))) << "the display the run asked for";
  }
  const auto pixels = [dpi](int twips) { return MulDiv(twips, static_cast<int>(dpi), 1440); };

  EXPECT_EQ(test::windowText(form), L"Namewisp");
  RECT client;
  GetClientRect(form, &client);
  EXPECT_EQ(client.right, pixels(3735));
  EXPECT_EQ(client.bottom, pixels(3855));
  const LONG_PTR style = GetWindowLongPtrW(form, GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME) << "the border must not resize";
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);

  // Centred on the screen's work area, give or take the odd pixel of an uneven split.
  RECT frame, work;
  GetWindowRect(form, &frame);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_LE(std::abs((frame.left - work.left) - (work.right - frame.right)), 1);
  EXPECT_LE(std::abs((frame.top - work.top) - (work.bottom - frame.bottom)), 1);

  struct Row {
    frmClean::Control id;
    const wchar_t* kind;
    int left, top, width, height;
    const wchar_t* caption;
  };
  const Row rows[] = {
      {frmClean::lblText, L"Static", 120, 120, 1575, 255, L"Text to Remove"},
      {frmClean::txtRemove, L"Edit", 1680, 120, 1935, 360, L""},
      {frmClean::FileChoiceBox, L"ListBox", 120, 600, 3495, 2340, L""},
      {frmClean::cmdRefresh, L"Button", 1560, 3240, 975, 495, L"&Refresh"},
      {frmClean::cmdClean, L"Button", 2640, 3240, 975, 495, L"&Clean"},
      {frmClean::cmdClose, L"Button", 480, 3240, 975, 495, L"&Close"},
  };
  HWND previous = nullptr;
  for (const Row& row : rows) {
    SCOPED_TRACE(test::utf8(row.caption) + " #" + std::to_string(row.id));
    const HWND control = window.control(row.id);
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(sameClass(test::className(control), row.kind)) << test::utf8(row.kind);
    EXPECT_EQ(test::windowText(control), row.caption);
    EXPECT_NE(GetDlgCtrlID(control), IDOK);
    EXPECT_NE(GetDlgCtrlID(control), IDCANCEL);
    // Children are created in tab order, which is their z-order.
    EXPECT_EQ(GetWindow(control, GW_HWNDPREV), previous);
    previous = control;

    RECT bounds;
    GetWindowRect(control, &bounds);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&bounds), 2);
    EXPECT_EQ(bounds.left, pixels(row.left));
    EXPECT_EQ(bounds.top, pixels(row.top));
    EXPECT_EQ(bounds.right - bounds.left, pixels(row.width));
    EXPECT_EQ(bounds.bottom - bounds.top, pixels(row.height));

    LOGFONTW font{};
    const auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    ASSERT_NE(handle, nullptr);
    GetObjectW(handle, sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    EXPECT_EQ(font.lfHeight, -MulDiv(9, static_cast<int>(dpi), 72));
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut);
    EXPECT_EQ(font.lfCharSet, ANSI_CHARSET);
  }

  const HWND list = window.control(frmClean::FileChoiceBox);
  const LONG_PTR listStyle = GetWindowLongPtrW(list, GWL_STYLE);
  EXPECT_TRUE(listStyle & LBS_NOTIFY);
  EXPECT_FALSE(listStyle & LBS_SORT) << "the entries come sorted by the user's locale";
  for (const auto id : {frmClean::cmdRefresh, frmClean::cmdClean, frmClean::cmdClose}) {
    EXPECT_EQ(GetWindowLongPtrW(window.control(id), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    // Only version 6 of the common controls, which the manifest asks for, knows this message.
    SIZE ideal{};
    EXPECT_TRUE(
        SendMessageW(window.control(id), BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
  }
  EXPECT_EQ(SendMessageW(window.control(frmClean::txtRemove), EM_GETLIMITTEXT, 0, 0), 60);
}

TEST(Window, PaintsItsTableColours) {
  TempFolder folder;
  Window window;
  struct Row {
    frmClean::Control id;
    UINT message;
    COLORREF text, back;
  };
  const Row rows[] = {
      {frmClean::lblText, WM_CTLCOLORSTATIC, 0x00FFFF, 0x000000},
      {frmClean::txtRemove, WM_CTLCOLOREDIT, 0xC0C0C0, 0x000000},
      {frmClean::FileChoiceBox, WM_CTLCOLORLISTBOX, 0xC0C0C0, 0x000000},
  };
  const HDC screen = GetDC(nullptr);
  const HDC dc = CreateCompatibleDC(screen);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.id);
    SetTextColor(dc, 0x123456);
    SetBkColor(dc, 0x654321);
    // What the control itself asks its parent for before it paints.
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(window.hwnd(), row.message, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(window.control(row.id))));
    EXPECT_EQ(GetTextColor(dc), row.text);
    EXPECT_EQ(GetBkColor(dc), row.back);
    LOGBRUSH fill{};
    ASSERT_NE(brush, nullptr);
    GetObjectW(brush, sizeof fill, &fill);
    EXPECT_EQ(fill.lbColor, row.back);
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);

  // The form's own background, black, as painted.
  const HWND form = window.hwnd();
  RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  const HDC formDc = GetDC(form);
  EXPECT_EQ(GetPixel(formDc, 2, 2), 0x000000u);
  ReleaseDC(form, formDc);
}

TEST(Window, StartsInTheTextBoxAndTabsRefreshCleanClose) {
  TempFolder folder;
  folder.write(L"a.txt");
  Window window;
  EXPECT_EQ(GetFocus(), window.control(frmClean::txtRemove));
  const frmClean::Control order[] = {frmClean::FileChoiceBox, frmClean::cmdRefresh,
                                     frmClean::cmdClean, frmClean::cmdClose, frmClean::txtRemove};
  for (const frmClean::Control id : order) {
    test::press(VK_TAB);
    EXPECT_EQ(GetFocus(), window.control(id)) << "after Tab, expected control #" << id;
  }
  EXPECT_EQ(window.text(), L"") << "tabbing through the list selects nothing";
}

TEST(Window, EnterAndEscInTheTextBoxPressNoButton) {
  TempFolder folder;
  folder.write(L"a_old.txt");
  test::DialogWatcher watcher;
  Window window;
  test::type(L"_old");
  EXPECT_EQ(window.text(), L"_old");
  const std::size_t reads = window.form().FileChoice.readCount();
  for (const WORD key : {WORD{VK_RETURN}, WORD{VK_ESCAPE}}) {
    SCOPED_TRACE(key);
    test::press(key);
    EXPECT_NE(window.hwnd(), nullptr) << "the window is still there";
    EXPECT_EQ(folder.contents().count(L"a_old.txt"), 1u) << "Clean was not pressed";
    EXPECT_EQ(window.form().FileChoice.readCount(), reads) << "Refresh was not pressed";
  }
  EXPECT_TRUE(watcher.dialogs().empty());
}

TEST(Window, AccessKeysPressTheirButtons) {
  TempFolder folder;
  Window window;
  folder.write(L"new.txt");
  test::press('R', VK_MENU);
  Window::settle();
  EXPECT_EQ(window.shown(), std::vector<std::wstring>{L"new.txt"});
}

TEST(Window, RefreshBringsTheListUpToDate) {
  TempFolder folder;
  folder.write(L"keep.txt");
  folder.write(L"gone.txt");
  Window window;
  EXPECT_EQ(window.shown(), (std::vector<std::wstring>{L"gone.txt", L"keep.txt"}));
  folder.write(L"added.txt");
  std::filesystem::rename(folder.path() / L"keep.txt", folder.path() / L"kept.txt");
  std::filesystem::remove(folder.path() / L"gone.txt");
  Window::settle();
  EXPECT_EQ(window.shown(), (std::vector<std::wstring>{L"gone.txt", L"keep.txt"}))
      << "a snapshot until re-read";
  test::click(window.control(frmClean::cmdRefresh));
  EXPECT_EQ(window.shown(), (std::vector<std::wstring>{L"added.txt", L"kept.txt"}));
  EXPECT_EQ(window.form().FileChoice.ListCount(), 2u);
}

TEST(Window, CloseAndTheCloseBoxEndTheEventLoop) {
  TempFolder folder;
  struct Way {
    const char* name;
    void (*close)(Window&);
  };
  const Way ways[] = {
      {"Close button", [](Window& w) { test::click(w.control(frmClean::cmdClose)); }},
      {"close box", [](Window& w) { PostMessageW(w.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Alt+F4", [](Window&) { test::press(VK_F4, VK_MENU); }},
      {"Close with a re-read still posted",
       [](Window& w) {
         w.form().cmdRefresh_Click();
         w.form().cmdClose_Click();
       }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    Window window;
    platform::post([&] { way.close(window); });
    EXPECT_EQ(test::application().exec(), 0);
    EXPECT_EQ(window.hwnd(), nullptr) << "no window is left";
  }
}

}  // namespace
