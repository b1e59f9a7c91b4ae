// What the file list shows of a real folder, and in what order.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "support.h"
#include "ui/platform/win32/win32_window.h"

namespace {

using test::TempFolder;
using test::Window;
using Names = std::vector<std::wstring>;

TEST(FileList, ShowsFilesOnly) {
  TempFolder folder;
  folder.write(L"plain.txt");
  folder.write(L"hidden.txt");
  SetFileAttributesW(L"hidden.txt", FILE_ATTRIBUTE_HIDDEN);
  folder.write(L"system.txt");
  SetFileAttributesW(L"system.txt", FILE_ATTRIBUTE_SYSTEM);
  folder.write(L"read-only.txt");
  SetFileAttributesW(L"read-only.txt", FILE_ATTRIBUTE_READONLY);
  std::filesystem::create_directory(folder.path() / L"folder");
  std::filesystem::create_directory(folder.path() / L"folder.txt");
  Window window;
  EXPECT_EQ(window.shown(), (Names{L"plain.txt", L"read-only.txt"}));
}

TEST(FileList, SortsByTheUsersLocaleIgnoringCase) {
  TempFolder folder;
  // One name per letter case: the file system itself ignores case.
  for (const wchar_t* name : {L"b", L"AC", L"A", L"ab", L"Z", L"\u00E4", L"_x", L"10", L"9"})
    folder.write(name);
  Window window;
  const Names expected{L"_x", L"10", L"9", L"A", L"\u00E4", L"ab", L"AC", L"b", L"Z"};
  EXPECT_EQ(window.shown(), expected);
  for (int twice = 0; twice < 2; ++twice) {  // the same order on every read
    window.form().cmdRefresh_Click();
    EXPECT_EQ(window.form().FileChoice.entries(), expected);
  }
}

TEST(FileList, ShowsNamesOutsideTheWesternCodePageExactly) {
  TempFolder folder;
  const Names names{L"αρχείο.txt", L"報告書.txt", L"😀.txt"};
  for (const std::wstring& name : names)
    folder.write(name);
  Window window;
  Names shown = window.shown();
  std::sort(shown.begin(), shown.end());
  Names expected = names;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(shown, expected);
}

TEST(FileList, ListsAFolderOfThousandsOfFiles) {
  TempFolder folder;
  // Wine makes files slowly in a large folder; the list box's own limits are tested apart.
  const int count = 2'000;
  for (int i = 0; i < count; ++i) {
    const HANDLE file = CreateFileW((L"f" + std::to_wstring(100000 + i)).c_str(), GENERIC_WRITE, 0,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  Window window;
  const std::wstring last = L"f" + std::to_wstring(100000 + count - 1);
  EXPECT_EQ(window.form().FileChoice.ListCount(), static_cast<std::size_t>(count));
  const HWND list = window.control(frmClean::FileChoiceBox);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), count);
  EXPECT_EQ(window.form().FileChoice.List(count - 1), last);
  SendMessageW(list, LB_SETCURSEL, count - 2, 0);  // raises nothing: only the user's choices do
  EXPECT_EQ(window.text(), L"");
  SetFocus(list);
  test::press(VK_DOWN);
  EXPECT_EQ(window.text(), last);
}

// More entries than a 16-bit count holds, filled at once: the program's window built from its
// table, as frmClean builds it, given the entries straight away instead of a folder that big.
TEST(FileList, FillsAHundredThousandEntries) {
  TempFolder folder;
  const std::unique_ptr<platform::Form> form =
      platform::createForm(frmClean::kLayout, [](platform::ControlId) {});
  form->show();
  Window::settle();
  std::vector<platform::NativeName> items;
  for (int i = 0; i < 100'000; ++i)
    items.push_back(L"entry " + std::to_wstring(i));
  form->setItems(frmClean::FileChoiceBox, std::make_shared<const platform::NameList>(items));
  const HWND list =
      GetDlgItem(test::formWindow(), platform::win32::controlId(frmClean::FileChoiceBox));
  ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 100'000);
  EXPECT_EQ(test::itemsOf(list).back(), L"entry 99999");
  EXPECT_EQ(form->selectedItem(frmClean::FileChoiceBox), std::nullopt);
  SendMessageW(list, LB_SETCURSEL, 99'998, 0);
  SetFocus(list);
  test::press(VK_DOWN);
  EXPECT_EQ(form->selectedItem(frmClean::FileChoiceBox), 99'999u);
}

TEST(FileList, AnEmptyOrVanishedFolderListsNothing) {
  TempFolder folder;
  std::filesystem::create_directory(L"sub");
  std::filesystem::current_path(L"sub");
  Window window;
  EXPECT_EQ(window.form().FileChoice.ListCount(), 0u);
  std::filesystem::current_path(folder.path());
  std::filesystem::remove(folder.path() / L"sub");
  window.form().cmdRefresh_Click();
  EXPECT_EQ(window.form().FileChoice.ListCount(), 0u);
}

}  // namespace
