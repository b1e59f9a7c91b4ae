// The Win32 window's text box: what it holds, typed, pasted or copied from the list, never
// splitting a character at its limit of sixty.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support.h"

namespace {

using test::TempFolder;
using test::Window;

TEST(Window, TextBoxHoldsSixtyCharactersTypedAndNeverHalfACharacter) {
  TempFolder folder;
  Window window;
  struct Case {
    std::wstring typed;
    std::wstring held;
  };
  const Case cases[] = {
      {std::wstring(70, L'x'), std::wstring(60, L'x')},
      // A character outside the Basic Multilingual Plane is two code units, typed as two.
      {std::wstring(59, L'y') + L"😀", std::wstring(59, L'y')},
      {std::wstring(58, L'y') + L"😀", std::wstring(58, L'y') + L"😀"},
      {std::wstring(59, L'y') + L"😀z", std::wstring(59, L'y') + L"z"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(test::utf8(c.typed));
    SetWindowTextW(window.control(frmClean::txtRemove), L"");
    test::type(c.typed);
    EXPECT_EQ(window.text(), c.held);
  }
}

void putOnClipboard(HWND owner, const std::wstring& pasted) {
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (pasted.size() + 1) * sizeof(wchar_t));
  std::copy_n(pasted.c_str(), pasted.size() + 1, static_cast<wchar_t*>(GlobalLock(memory)));
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

TEST(Window, APasteCutAtSixtyNeverLeavesHalfACharacter) {
  TempFolder folder;
  Window window;
  putOnClipboard(window.hwnd(), L"😀😀");

  struct Case {
    int typed;  // characters in the box before the paste
    std::wstring held;
  };
  const Case cases[] = {
      {57, std::wstring(57, L'p') + L"😀"},  // room for one character and a half
      {58, std::wstring(58, L'p') + L"😀"},
      {59, std::wstring(59, L'p')},  // room for half a character
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    SetWindowTextW(window.control(frmClean::txtRemove), L"");
    test::type(std::wstring(static_cast<std::size_t>(c.typed), L'p'));
    test::press('V', VK_CONTROL);
    EXPECT_EQ(window.text(), c.held);
  }
}

// A line copied from a terminal keeps its line break; the box keeps what comes before it.
TEST(Window, APasteKeepsItsFirstLine) {
  TempFolder folder;
  Window window;
  putOnClipboard(window.hwnd(), L"_old\r\nnext line\r\n");
  test::press('V', VK_CONTROL);
  EXPECT_EQ(window.text(), L"_old");
}

TEST(Window, SelectingAnEntryCopiesItsBareNameCutToSixty) {
  TempFolder folder;
  const std::wstring longName = std::wstring(59, L'l') + L"😀" + L"_tail.txt";  // pair at 59..60
  folder.write(L"report_old.txt");
  folder.write(std::wstring(70, L'm'));
  folder.write(longName);
  Window window;
  const HWND list = window.control(frmClean::FileChoiceBox);
  test::type(L"typed");

  const auto clickEntry = [&](const std::wstring& name) {
    const auto index = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(name.c_str()));
    ASSERT_NE(index, LB_ERR);
    RECT item;
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    test::click(list, POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
  };
  struct Step {
    std::wstring entry;
    std::wstring shown;
  };
  const Step steps[] = {
      {L"report_old.txt", L"report_old.txt"},
      {L"report_old.txt", L"report_old.txt"},  // again, though already selected
      {std::wstring(70, L'm'), std::wstring(60, L'm')},
      {longName, std::wstring(59, L'l')},  // never half a character
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(test::utf8(step.entry));
    SetWindowTextW(window.control(frmClean::txtRemove), L"report");
    clickEntry(step.entry);
    EXPECT_EQ(window.text(), step.shown);
  }

  test::press(VK_END);  // the keyboard selects too
  EXPECT_EQ(window.text(), L"report_old.txt");
}

}  // namespace
