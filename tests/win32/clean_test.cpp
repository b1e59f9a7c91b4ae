// Clean, end to end: the real window, the real Windows shell, real files in a fresh folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "support.h"

namespace {

using test::TempFolder;
using test::Window;
using Contents = std::map<std::wstring, std::string>;

// Types the removal text, presses Clean, and lets the posted re-read run.
void clean(Window& window, const std::wstring& removal) {
  SetFocus(window.control(frmClean::txtRemove));
  test::type(removal);
  ASSERT_EQ(window.text(), removal);
  test::click(window.control(frmClean::cmdClean));
  Window::settle();
}

// What the shell said, for the log: its dialogs are its own.
void log(const std::vector<test::Dialog>& dialogs) {
  for (const test::Dialog& d : dialogs) {
    std::cout << "dialog \"" << test::utf8(d.caption) << "\": \"" << test::utf8(d.text) << "\", "
              << d.buttons.size() << " buttons, pressed " << d.pressed << "\n";
  }
}

TEST(Clean, RenamesMatchingFilesOnceWithOneRead) {
  TempFolder folder;
  for (const wchar_t* name : {L"a_old.txt", L"b.txt", L"C_OLD.txt", L"x_old_old.txt", L"_old"})
    folder.write(name);
  test::DialogWatcher watcher;
  Window window;
  const std::size_t reads = window.form().files().readCount();
  clean(window, L"_old");
  EXPECT_EQ(folder.contents(), (Contents{{L"a.txt", "a_old.txt"},
                                         {L"b.txt", "b.txt"},
                                         {L"C_OLD.txt", "C_OLD.txt"},  // matched, nothing to take
                                         {L"x.txt", "x_old_old.txt"},
                                         {L"_old", "_old"}}));  // its new name would be empty
  EXPECT_EQ(window.shown(),
            (std::vector<std::wstring>{L"_old", L"a.txt", L"b.txt", L"C_OLD.txt", L"x.txt"}));
  EXPECT_EQ(window.form().files().readCount(), reads + 1) << "re-reads are coalesced";
  log(watcher.dialogs());
}

TEST(Clean, NeverReplacesAnExistingFile) {
  TempFolder folder;
  folder.write(L"c_old.txt");
  folder.write(L"c.txt");
  test::DialogWatcher watcher;
  Window window;
  clean(window, L"_old");
  EXPECT_EQ(folder.contents(), (Contents{{L"c.txt", "c.txt"}, {L"c_old.txt", "c_old.txt"}}));
  for (const test::Dialog& dialog : watcher.dialogs()) {
    EXPECT_NE(dialog.pressed, IDYES) << "the watcher never agrees to a replace";
  }
  log(watcher.dialogs());
}

TEST(Clean, RenamesNamesOutsideTheWesternCodePage) {
  struct Case {
    const wchar_t* name;
    const wchar_t* removal;
    const wchar_t* cleaned;
  };
  const Case cases[] = {
      {L"αρχείο_old.txt", L"_old", L"αρχείο.txt"},
      {L"報告書_old.txt", L"_old", L"報告書.txt"},
      {L"ΈΚΘΕΣΗ_ΠΑΛΙΑ.txt", L"_ΠΑΛΙΑ", L"ΈΚΘΕΣΗ.txt"},
      {L"写真 2024 コピー.jpg", L" コピー", L"写真 2024.jpg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(test::utf8(c.name));
    TempFolder folder;
    folder.write(c.name);
    folder.write(L"other.txt");
    test::DialogWatcher watcher;
    Window window;
    clean(window, c.removal);
    EXPECT_EQ(folder.contents(),
              (Contents{{c.cleaned, test::utf8(c.name)}, {L"other.txt", "other.txt"}}));
    EXPECT_TRUE(watcher.dialogs().empty());
    log(watcher.dialogs());
  }
}

TEST(Clean, AnEmptyFolderSaysNoFilesFound) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path() / L"not a file");
  test::DialogWatcher watcher;
  Window window;
  clean(window, L"x");
  const std::vector<test::Dialog> dialogs = watcher.dialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].caption, L"Namewisp");
  EXPECT_EQ(dialogs[0].text, L"No Files Found!");
  EXPECT_EQ(dialogs[0].buttons, std::vector<int>{IDOK});
  EXPECT_FALSE(dialogs[0].icon);
  EXPECT_NE(window.hwnd(), nullptr) << "the window stays";
  EXPECT_EQ(folder.contents(), (Contents{{L"not a file", "<dir>"}}));
}

}  // namespace
