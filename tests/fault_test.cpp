// Clean under faults and odd names. After each, every file's original bytes must still exist
// under exactly one name: nothing lost, nothing duplicated, nothing overwritten.
#include <gtest/gtest.h>

#include <algorithm>

#include "support.h"

namespace {

using test::bytesOf;
using test::DialogWatcher;
using test::pressClean;
using test::TempFolder;
using test::Window;
using Contents = std::map<std::string, std::string>;

TEST(Faults, AFolderDeletedUnderTheWindowListsEmptyAndHasNoFiles) {
  TempFolder folder;
  std::filesystem::create_directory("doomed");
  folder.write("doomed/x_old", "x_old");
  std::filesystem::current_path("doomed");
  Window window;
  EXPECT_EQ(window.shown(), QStringList{"x_old"});
  std::filesystem::remove_all(folder.path() / "doomed");
  window.press("cmdRefresh");
  Window::settle();
  EXPECT_TRUE(window.shown().isEmpty());
  DialogWatcher dialogs;
  pressClean(window, "_old");
  ASSERT_EQ(dialogs.dialogs().size(), 1u);
  EXPECT_EQ(dialogs.dialogs()[0].text, "No Files Found!");
}

TEST(Faults, ChangesBetweenTheListingAndThePressLoseNothing) {
  TempFolder folder;
  for (const char* name : {"gone_old", "folder_old", "taken_old", "fine_old"})
    folder.write(name);
  Window window;
  std::filesystem::remove("gone_old");
  std::filesystem::remove("folder_old");
  std::filesystem::create_directory("folder_old");  // a file replaced by a folder
  folder.write("taken", "appeared");                // a file appearing at a destination
  const Contents before = folder.contents();
  DialogWatcher dialogs;
  pressClean(window, "_old");
  const Contents after = folder.contents();
  EXPECT_EQ(bytesOf(after), bytesOf(before));
  EXPECT_EQ(after.at("taken"), "appeared");
  EXPECT_EQ(after.at("taken_old"), "taken_old");
  EXPECT_EQ(after.at("fine"), "fine_old");
  // The shell renames whatever now has the listed name; a folder keeps its contents either way.
  EXPECT_EQ(after.count("folder"), 1u);
  ASSERT_EQ(dialogs.dialogs().size(), 2u);
  EXPECT_TRUE(dialogs.dialogs()[0].text.contains("\u201Cgone_old\u201D"));
  EXPECT_TRUE(dialogs.dialogs()[1].text.contains("\u201Ctaken_old\u201D"));
}

// The folder the window shows is the one it renames in, even after someone else moved it and
// made a new folder at its path.
TEST(Faults, AFolderMovedAndReplacedUnderTheWindowIsStillTheOneListedAndCleaned) {
  TempFolder root;
  std::filesystem::create_directory("photos");
  root.write("photos/x_old", "x_old");
  std::filesystem::current_path("photos");
  Window window;
  std::filesystem::rename(root.path() / "photos", root.path() / "moved");
  std::filesystem::create_directory(root.path() / "photos");
  root.write("photos/y_old", "y_old");
  window.press("cmdRefresh");
  Window::settle();
  EXPECT_EQ(window.shown(), QStringList{"x_old"});
  DialogWatcher dialogs;
  pressClean(window, "_old");
  EXPECT_TRUE(dialogs.dialogs().empty());
  EXPECT_EQ(test::contentsOf(root.path() / "moved"), (Contents{{"x", "x_old"}}));
  EXPECT_EQ(test::contentsOf(root.path() / "photos"), (Contents{{"y_old", "y_old"}}));
  EXPECT_EQ(window.shown(), QStringList{"x"});
}

TEST(Faults, OddNamesAreCleanedByteForByte) {
  TempFolder folder;
  const std::string longest = std::string(251, 'n') + "_old";  // 255 bytes, the most ext4 holds
  const std::string odd[] = {"line\nbreak_old", "back\\slash_old", "-dash_old",    " lead_old",
                             "trail_old ",      "tab\t_old",       "\xFF\xFE_old", longest,
                             "x_old_old",       "quote\"'_old"};
  for (const std::string& name : odd)
    folder.write(name);
  const Contents before = folder.contents();
  Window window;
  DialogWatcher dialogs;
  pressClean(window, "_old");
  const Contents after = folder.contents();
  EXPECT_EQ(bytesOf(after), bytesOf(before));
  EXPECT_TRUE(dialogs.dialogs().empty());
  for (const std::string& name : odd) {
    std::string expected = name;
    for (auto at = expected.find("_old"); at != expected.npos; at = expected.find("_old", at)) {
      expected.erase(at, 4);
    }
    SCOPED_TRACE(expected);
    ASSERT_EQ(after.count(expected), 1u);
    EXPECT_EQ(after.at(expected), name);
  }
}

TEST(Faults, AHundredThousandFilesAreListedAndCleanedInOnePress) {
  TempFolder folder;
  const int count = 100'000;
  folder.makeEmpty("[draft] ", count);
  Window window;
  ASSERT_EQ(window.form().FileChoice.ListCount(), static_cast<std::size_t>(count));
  DialogWatcher dialogs;
  pressClean(window, "[DRAFT] ");
  pressClean(window, "[draft] ");
  EXPECT_TRUE(dialogs.dialogs().empty());
  const auto names = window.form().FileChoice.entries();
  ASSERT_EQ(names.size(), static_cast<std::size_t>(count));
  std::vector<int> numbers;
  for (const auto& name : names)
    numbers.push_back(std::stoi(name));
  std::sort(numbers.begin(), numbers.end());
  for (int i = 0; i < count; ++i)
    ASSERT_EQ(numbers[static_cast<std::size_t>(i)], i);
}

}  // namespace
