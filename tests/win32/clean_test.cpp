// Clean, end to end: the real window, the real Windows shell, real files in a fresh folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "support.h"

namespace {

using test::pressClean;
using test::TempFolder;
using test::Window;
using Contents = std::map<std::wstring, std::string>;

// Here the Windows shell reports a refusal in dialogs of its own, which differ between Windows
// versions and Wine; Namewisp adds no message to them.
void expectNoMessageOfOurOwn(const test::DialogWatcher& watcher) {
  for (const test::Dialog& dialog : watcher.dialogs()) {
    EXPECT_NE(dialog.caption, L"Namewisp")
        << "a message of Namewisp's own: " << test::utf8(dialog.text);
  }
}

TEST(Clean, RenamesMatchingFilesOnceWithOneRead) {
  TempFolder folder;
  for (const wchar_t* name : {L"a_old.txt", L"b.txt", L"C_OLD.txt", L"x_old_old.txt", L"_old"})
    folder.write(name);
  test::DialogWatcher watcher;
  Window window;
  const std::size_t reads = window.form().FileChoice.readCount();
  pressClean(window, L"_old");
  EXPECT_EQ(folder.contents(), (Contents{{L"a.txt", "a_old.txt"},
                                         {L"b.txt", "b.txt"},
                                         {L"C_OLD.txt", "C_OLD.txt"},  // matched, nothing to take
                                         {L"x.txt", "x_old_old.txt"},
                                         {L"_old", "_old"}}));  // its new name would be empty
  EXPECT_EQ(window.shown(),
            (std::vector<std::wstring>{L"_old", L"a.txt", L"b.txt", L"C_OLD.txt", L"x.txt"}));
  EXPECT_EQ(window.form().FileChoice.readCount(), reads + 1) << "re-reads are coalesced";
  expectNoMessageOfOurOwn(watcher);
}

TEST(Clean, NeverReplacesAnExistingFileAndGoesOn) {
  TempFolder folder;
  folder.write(L"c_old.txt");
  folder.write(L"c.txt");
  folder.write(L"d_old.txt");  // after the refusal, in list order
  test::DialogWatcher watcher;
  Window window;
  pressClean(window, L"_old");
  EXPECT_EQ(folder.contents(),
            (Contents{{L"c.txt", "c.txt"}, {L"c_old.txt", "c_old.txt"}, {L"d.txt", "d_old.txt"}}));
  EXPECT_EQ(window.shown(), (std::vector<std::wstring>{L"c.txt", L"c_old.txt", L"d.txt"}));
  expectNoMessageOfOurOwn(watcher);
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
    pressClean(window, c.removal);
    EXPECT_EQ(folder.contents(),
              (Contents{{c.cleaned, test::utf8(c.name)}, {L"other.txt", "other.txt"}}));
    EXPECT_TRUE(watcher.dialogs().empty());
  }
}

TEST(Clean, AnEmptyFolderSaysNoFilesFound) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path() / L"not a file");
  test::DialogWatcher watcher;
  Window window;
  pressClean(window, L"x");
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
