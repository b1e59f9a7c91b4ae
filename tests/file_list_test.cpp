// What the file list shows of a real folder, and in what order.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QLocale>

#include "support.h"

namespace {

using test::TempFolder;
using test::Window;

TEST(FileList, ShowsFilesAndLinksToFilesOnly) {
  TempFolder folder;
  folder.write("plain.txt");
  folder.write(".hidden");
  std::filesystem::create_directory(folder.path() / "folder");
  std::filesystem::create_directory(folder.path() / ".git");
  std::filesystem::create_symlink("plain.txt", folder.path() / "link-to-file");
  std::filesystem::create_symlink("folder", folder.path() / "link-to-folder");
  std::filesystem::create_symlink("nowhere", folder.path() / "dangling");
  mkfifo((folder.path() / "fifo").c_str(), 0600);
  Window window;
  EXPECT_EQ(window.shown(), (QStringList{"link-to-file", "plain.txt"}));
}

TEST(FileList, SortsByTheUsersLocaleIgnoringCaseWithBytesBreakingTies) {
  TempFolder folder;
  for (const char* name : {"b", "A", "a", "B", "Z", "\xC3\xA4", "_x", "10", "9"})
    folder.write(name);
  const QLocale previous;
  QLocale::setDefault(QLocale::c());
  {
    Window window;
    EXPECT_EQ(window.shown(), (QStringList{"10", "9", "_x", "A", "a", "B", "b", "Z", "ä"}));
  }
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  {
    Window window;
    EXPECT_EQ(window.shown(), (QStringList{"_x", "10", "9", "A", "a", "ä", "B", "b", "Z"}));
    for (int twice = 0; twice < 2; ++twice) {  // the same order on every read
      window.form().cmdRefresh_Click();
      EXPECT_EQ(window.form().FileChoice.List(5), "\xC3\xA4");
    }
  }
  QLocale::setDefault(previous);
}

TEST(FileList, ListsFortyThousandFiles) {
  TempFolder folder;
  const int count = 40'000;  // more than a 16-bit count can hold
  folder.makeEmpty("f", count);
  Window window;
  EXPECT_EQ(window.form().FileChoice.ListCount(), static_cast<std::size_t>(count));
  EXPECT_EQ(window.list()->model()->rowCount(), count);
  EXPECT_EQ(window.form().FileChoice.List(count - 1), "f9999") << "by name, so f9999 sorts last";
  window.list()->setCurrentIndex(window.list()->model()->index(count - 1, 0));
  EXPECT_EQ(window.text()->text(), "f9999");
}

TEST(FileList, KeepsANameThatIsNotUtf8ByteForByte) {
  TempFolder folder;
  const std::string name = "caf\xE9_\xFF.txt";  // Latin-1 bytes, not UTF-8
  folder.write(name);
  Window window;
  EXPECT_EQ(window.shown(), QStringList{QString::fromUtf8("caf\uFFFD_\uFFFD.txt")});
  EXPECT_EQ(window.form().FileChoice.List(0), name);
  window.list()->setCurrentIndex(window.list()->model()->index(0, 0));
  EXPECT_EQ(window.form().FileChoice.FileName(), name);
}

TEST(FileList, AnEmptyOrVanishedFolderListsNothing) {
  TempFolder folder;
  std::filesystem::create_directory("sub");
  std::filesystem::current_path("sub");
  Window window;
  EXPECT_EQ(window.form().FileChoice.ListCount(), 0u);
  std::filesystem::current_path(folder.path());
  std::filesystem::remove("sub");
  window.form().cmdRefresh_Click();
  EXPECT_EQ(window.form().FileChoice.ListCount(), 0u);
}

}  // namespace
