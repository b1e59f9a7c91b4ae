// Pressing Clean on real folders: what is renamed, what is refused, and that nothing is lost.
#include <gtest/gtest.h>
#include <QMessageBox>

#include <sys/stat.h>
#include <unistd.h>

#include "support.h"

namespace {

using test::DialogWatcher;
using test::pressClean;
using test::TempFolder;
using test::Window;
using Contents = std::map<std::string, std::string>;

TEST(Clean, RenamesMatchingFilesOnceAndLeavesTheRest) {
  TempFolder folder;
  folder.write("a_old.txt");
  folder.write("b.txt");
  Window window;
  DialogWatcher dialogs;
  const std::size_t reads = window.form().FileChoice.readCount();
  pressClean(window, "_old");
  EXPECT_EQ(folder.contents(), (Contents{{"a.txt", "a_old.txt"}, {"b.txt", "b.txt"}}));
  EXPECT_EQ(window.shown(), (QStringList{"a.txt", "b.txt"}));
  EXPECT_EQ(window.text()->text(), "_old") << "the text box keeps the removal text";
  EXPECT_TRUE(dialogs.dialogs().empty()) << "no message at the end of a pass";
  EXPECT_EQ(window.form().FileChoice.readCount(), reads + 1);
}

TEST(Clean, InAnEmptyFolderSaysNoFilesFoundAndNothingElse) {
  TempFolder folder;
  Window window;
  DialogWatcher dialogs;
  for (const QString removal : {"", "x"}) {
    pressClean(window, removal);
  }
  ASSERT_EQ(dialogs.dialogs().size(), 2u);
  for (const test::Dialog& dialog : dialogs.dialogs()) {
    EXPECT_EQ(dialog.text, "No Files Found!");
    EXPECT_EQ(dialog.title, "Namewisp");
    EXPECT_EQ(dialog.icon, QMessageBox::NoIcon);
    EXPECT_EQ(dialog.buttons, 1);
  }
  EXPECT_TRUE(folder.contents().empty());
}

TEST(Clean, WithAnEmptyTextOrAnotherCaseChangesNothingAndSaysNothing) {
  TempFolder folder;
  for (const char* name : {"x_old.txt", "y.txt", "z"})
    folder.write(name);
  const Contents before = folder.contents();
  Window window;
  DialogWatcher dialogs;
  pressClean(window, "");
  pressClean(window, "OLD");  // matches x_old.txt, but nothing of that case is in it
  EXPECT_EQ(folder.contents(), before);
  EXPECT_TRUE(dialogs.dialogs().empty());
}

TEST(Clean, RemovesAPrefixFromFiftyFilesInOnePress) {
  TempFolder folder;
  Contents expected;
  for (int i = 0; i < 50; ++i) {
    const std::string name = "[site] track " + std::to_string(i) + ".mp3";
    folder.write(name);
    expected[name.substr(7)] = name;
  }
  Window window;
  const std::size_t reads = window.form().FileChoice.readCount();
  pressClean(window, "[site] ");
  EXPECT_EQ(folder.contents(), expected);
  EXPECT_EQ(window.form().FileChoice.readCount(), reads + 1) << "re-reads are coalesced";
  EXPECT_EQ(window.shown().size(), 50);
}

TEST(Clean, NeverReplacesAnExistingFile) {
  TempFolder folder;
  folder.write("c_old.txt");
  folder.write("c.txt");
  folder.write("d_old.txt");
  std::filesystem::create_directory("e");
  folder.write("e_old");
  const Contents before = folder.contents();
  Window window;
  DialogWatcher dialogs;
  pressClean(window, "_old");
  EXPECT_EQ(folder.contents(), (Contents{{"c_old.txt", "c_old.txt"},
                                         {"c.txt", "c.txt"},
                                         {"d.txt", "d_old.txt"},
                                         {"e", "<dir>"},
                                         {"e_old", "e_old"}}));
  ASSERT_EQ(dialogs.dialogs().size(), 2u);
  EXPECT_EQ(dialogs.dialogs()[0].text,
            "Could not rename \u201Cc_old.txt\u201D to \u201Cc.txt\u201D: a file with that name "
            "is already there.");
  EXPECT_EQ(dialogs.dialogs()[0].title, "Namewisp");
  EXPECT_TRUE(dialogs.dialogs()[1].text.contains("\u201Ce_old\u201D to \u201Ce\u201D"));
}

TEST(Clean, ShowsTheRenamesSoFarBehindAnErrorAndVisitsNoNewFile) {
  TempFolder folder;
  folder.write("a_old");
  folder.write("b_old");
  folder.write("b");
  folder.write("c_old");
  Window window;
  QStringList behindTheDialog;
  DialogWatcher dialogs([&] {
    behindTheDialog = window.shown();
    folder.write("bb_old");  // appears mid-pass: not visited by this press
  });
  pressClean(window, "_old");
  ASSERT_EQ(dialogs.dialogs().size(), 1u);
  EXPECT_EQ(behindTheDialog, (QStringList{"a", "b", "b_old", "c_old"}));
  EXPECT_EQ(
      folder.contents(),
      (Contents{
          {"a", "a_old"}, {"b", "b"}, {"b_old", "b_old"}, {"bb_old", "bb_old"}, {"c", "c_old"}}));
}

TEST(Clean, ReportsAFileThatWentAwayAndGoesOn) {
  TempFolder folder;
  folder.write("x_old");
  folder.write("y_old");
  Window window;
  std::filesystem::remove("x_old");
  DialogWatcher dialogs;
  pressClean(window, "_old");
  EXPECT_EQ(folder.contents(), (Contents{{"y", "y_old"}}));
  ASSERT_EQ(dialogs.dialogs().size(), 1u);
  EXPECT_EQ(dialogs.dialogs()[0].text,
            "Could not rename \u201Cx_old\u201D to \u201Cx\u201D: the file is no longer there.");
}

TEST(Clean, InAReadOnlyFolderChangesNothingAndReportsEachFile) {
  TempFolder folder;
  for (const char* name : {"a_old", "b_old", "c_old", "d"})
    folder.write(name);
  const Contents before = folder.contents();
  ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
  Window window;
  DialogWatcher dialogs;
  {
    test::ActingAsNobody nobody;
    pressClean(window, "_old");
  }
  EXPECT_EQ(folder.contents(), before);
  ASSERT_EQ(dialogs.dialogs().size(), 3u);
  for (const test::Dialog& dialog : dialogs.dialogs()) {
    EXPECT_TRUE(dialog.text.endsWith("you do not have permission to change this folder."))
        << dialog.text.toStdString();
  }
  window.press("cmdRefresh");  // still running and usable
  Window::settle();
  EXPECT_EQ(window.shown().size(), 4);
}

TEST(Clean, KeepsEveryOtherByteOfANameThatIsNotUtf8) {
  TempFolder folder;
  folder.write("caf\xE9_old\xFF.txt", "latin-1");
  Window window;
  pressClean(window, "_old");
  EXPECT_EQ(folder.contents(), (Contents{{"caf\xE9\xFF.txt", "latin-1"}}));
}

TEST(Clean, RefusesNamesThatCleanToNothingToDotsOrToAHiddenName) {
  TempFolder folder;
  for (const char* name : {"qq", "qq.", "qq..", "qq.hidden"})
    folder.write(name);
  Window window;
  DialogWatcher dialogs;
  pressClean(window, "qq");
  EXPECT_EQ(folder.contents(),
            (Contents{{"qq", "qq"}, {"qq.", "qq."}, {"qq..", "qq.."}, {"qq.hidden", "qq.hidden"}}));
  ASSERT_EQ(dialogs.dialogs().size(), 4u);
  EXPECT_TRUE(dialogs.dialogs()[0].text.endsWith("the new name would be empty."));
  EXPECT_TRUE(dialogs.dialogs()[1].text.contains("are not file names"));
  EXPECT_TRUE(dialogs.dialogs()[2].text.contains("are not file names"));
  // A file that vanished from the list and from file managers would look lost.
  EXPECT_TRUE(
      dialogs.dialogs()[3].text.endsWith("a name that starts with a dot would hide the file."));
  EXPECT_EQ(window.shown(), (QStringList{"qq", "qq.", "qq..", "qq.hidden"}));
}

TEST(Clean, RenamesFortyThousandMatchingFilesInOnePress) {
  TempFolder folder;
  const int count = 40'000;
  folder.makeEmpty("x_old", count);
  Window window;
  const std::size_t reads = window.form().FileChoice.readCount();
  pressClean(window, "_OLD");  // every name matches; the exact-case text is "_old"
  pressClean(window, "_old");
  EXPECT_EQ(window.form().FileChoice.readCount(), reads + 2);
  const auto names = window.form().FileChoice.entries();
  ASSERT_EQ(names.size(), static_cast<std::size_t>(count));
  for (const auto& name : names)
    ASSERT_EQ(name.rfind("x", 0), 0u) << name;
  EXPECT_TRUE(std::none_of(names.begin(), names.end(),
                           [](const std::string& n) { return n.find("_old") != n.npos; }));
}

}  // namespace
