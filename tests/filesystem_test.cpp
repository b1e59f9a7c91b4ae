// Pressing Clean through the real window on the file system that holds $TMPDIR. Not part of the
// normal run: scripts/test-filesystems mounts each file system of the matrix and runs these
// there. After every press each original byte is there under exactly one name and nothing else
// is: no reservation left behind, no copy, no loss.
#include <gtest/gtest.h>
#include <QTest>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "support.h"
#include "ui/platform/posix/folder_facts.h"

namespace {

namespace fs = std::filesystem;
using platform::posix::RenameWay;
using test::DialogWatcher;
using test::TempFolder;
using test::Window;
using Contents = std::map<std::string, std::string>;

void clean(Window& window, const QString& removal) {
  window.text()->clear();
  QTest::keyClicks(window.text(), removal);
  window.press("cmdClean");
  Window::settle();
}

// Every file's bytes, sorted: the same before and after when nothing was lost or copied.
std::vector<std::string> bytesOf(const Contents& contents) {
  std::vector<std::string> bytes;
  for (const auto& [name, content] : contents)
    bytes.push_back(content);
  std::sort(bytes.begin(), bytes.end());
  return bytes;
}

std::string here() {
  return fs::current_path().string();
}

// The first of the service's ways that this file system offers, found by trying each directly
// on a scratch file: what the service should have learned.
RenameWay firstWayOffered() {
  TempFolder scratch;
  scratch.write("probe");
  if (renameat2(AT_FDCWD, "probe", AT_FDCWD, "probe-renamed", RENAME_NOREPLACE) == 0) {
    return RenameWay::NoReplace;
  }
  if (link("probe", "probe-linked") == 0) return RenameWay::Link;
  const int fd = open("probe-reserved", O_CREAT | O_EXCL | O_WRONLY, 0600);
  if (fd < 0) return RenameWay::None;
  close(fd);
  return rename("probe", "probe-reserved") == 0 ? RenameWay::Reserve : RenameWay::None;
}

// Whether the file system finds a file under its name in other letters' case (FAT, exFAT).
bool ignoresLetterCase() {
  TempFolder scratch;
  scratch.write("Case-Probe");
  struct stat st;
  const bool ignores = stat("cASE-pROBE", &st) == 0;
  std::cout << "Letter case: " << (ignores ? "ignored" : "kept") << std::endl;
  return ignores;
}

// Says which way renames here took, for the matrix's summary, and checks it is the first one
// the file system offers.
void expectLearnedTheFirstWayOffered(RenameWay offered) {
  const auto learned = platform::posix::learnedWay(here());
  ASSERT_TRUE(learned.has_value()) << "no rename was tried in " << here();
  std::cout << "Rename way learned: " << platform::posix::nameOf(*learned) << std::endl;
  testing::Test::RecordProperty("rename_way", platform::posix::nameOf(*learned));
  EXPECT_EQ(platform::posix::nameOf(*learned), std::string(platform::posix::nameOf(offered)));
}

TEST(FileSystem, RemovesTheTextFromEveryMatchingNameOnePressOnly) {
  const RenameWay offered = firstWayOffered();
  TempFolder folder;
  Contents expected;
  for (const char* name : {"a_old.txt", "b_old_old.txt", "Holiday_old (1).JPG", "x_old",
                           "keep_OLD.txt", "plain.txt", "_oldstart.txt"}) {
    folder.write(name);
  }
  expected = {{"a.txt", "a_old.txt"},
              {"b.txt", "b_old_old.txt"},
              {"Holiday (1).JPG", "Holiday_old (1).JPG"},
              {"x", "x_old"},
              {"keep_OLD.txt", "keep_OLD.txt"},
              {"plain.txt", "plain.txt"},
              {"start.txt", "_oldstart.txt"}};
  // A dozen renames in all: fusefat's write mode (`rw+`, which it calls experimental) damages a
  // folder after about 25 renames in it, whoever makes them (a plain mv too): a renamed file then
  // holds directory-entry bytes. The service's ways are tried and learned on the first file.
  for (int i = 0; i < 6; ++i) {
    const std::string name = "track " + std::to_string(i) + "_old.mp3";
    folder.write(name);
    expected["track " + std::to_string(i) + ".mp3"] = name;
  }
  Window window;
  DialogWatcher dialogs;
  clean(window, "_old");
  EXPECT_EQ(folder.contents(), expected);
  EXPECT_TRUE(dialogs.dialogs().empty()) << dialogs.dialogs().front().text.toStdString();
  EXPECT_EQ(window.shown().size(), static_cast<int>(expected.size()));
  expectLearnedTheFirstWayOffered(offered);
}

TEST(FileSystem, RefusesANameThatIsTakenAndReplacesNothing) {
  const RenameWay offered = firstWayOffered();
  TempFolder folder;
  for (const char* name : {"c_old.txt", "c.txt", "d_old.txt", "e_old"})
    folder.write(name);
  fs::create_directory("e");
  const Contents before = folder.contents();
  Window window;
  DialogWatcher dialogs;
  clean(window, "_old");
  const Contents after = folder.contents();
  EXPECT_EQ(after, (Contents{{"c_old.txt", "c_old.txt"},
                             {"c.txt", "c.txt"},
                             {"d.txt", "d_old.txt"},
                             {"e", "<dir>"},
                             {"e_old", "e_old"}}));
  EXPECT_EQ(bytesOf(after), bytesOf(before));
  ASSERT_EQ(dialogs.dialogs().size(), 2u);
  EXPECT_EQ(dialogs.dialogs()[0].text,
            "Could not rename \u201Cc_old.txt\u201D to \u201Cc.txt\u201D: a file with that name "
            "is already there.");
  EXPECT_EQ(dialogs.dialogs()[1].text,
            "Could not rename \u201Ce_old\u201D to \u201Ce\u201D: a file with that name is "
            "already there.");
  expectLearnedTheFirstWayOffered(offered);
}

TEST(FileSystem, ANameThatDiffersOnlyInLetterCaseIsTakenWhereTheFileSystemIgnoresCase) {
  const bool ignoresCase = ignoresLetterCase();
  TempFolder folder;
  struct Case {
    const char* name;
    const char* cleaned;
    const char* neighbour;  // already there, its name differing from `cleaned` only in case
  };
  const Case cases[] = {
      {"DSC_0001_old.JPG", "DSC_0001.JPG", "dsc_0001.jpg"},
      {"notes_old.txt", "notes.txt", "NOTES.TXT"},
  };
  for (const Case& c : cases) {
    folder.write(c.name);
    folder.write(c.neighbour);
  }
  const Contents before = folder.contents();
  Window window;
  DialogWatcher dialogs;
  clean(window, "_old");
  const Contents after = folder.contents();
  EXPECT_EQ(bytesOf(after), bytesOf(before));
  if (ignoresCase) {
    EXPECT_EQ(after, before);
    ASSERT_EQ(dialogs.dialogs().size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
      SCOPED_TRACE(cases[i].name);
      EXPECT_EQ(dialogs.dialogs()[i].text.toStdString(),
                std::string("Could not rename \u201C") + cases[i].name + "\u201D to \u201C" +
                    cases[i].cleaned + "\u201D: \u201C" + cases[i].neighbour +
                    "\u201D is already there, and this disk does not tell names apart by "
                    "letter case.");
    }
  } else {
    Contents expected;
    for (const Case& c : cases) {
      expected[c.cleaned] = c.name;
      expected[c.neighbour] = c.neighbour;
    }
    EXPECT_EQ(after, expected);
    EXPECT_TRUE(dialogs.dialogs().empty()) << dialogs.dialogs().front().text.toStdString();
  }
}

TEST(FileSystem, RefusesANameCleanedToNothingAndGoesOn) {
  TempFolder folder;
  for (const char* name : {"_old", "_old_old", "y_old"})
    folder.write(name);
  Window window;
  DialogWatcher dialogs;
  clean(window, "_old");
  EXPECT_EQ(folder.contents(),
            (Contents{{"_old", "_old"}, {"_old_old", "_old_old"}, {"y", "y_old"}}));
  ASSERT_EQ(dialogs.dialogs().size(), 2u);
  for (const test::Dialog& dialog : dialogs.dialogs()) {
    EXPECT_TRUE(dialog.text.endsWith("the new name would be empty.")) << dialog.text.toStdString();
  }
}

// The folder stays the working directory while it lives.
class InFolder {
 public:
  explicit InFolder(const fs::path& folder) : previous_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~InFolder() { fs::current_path(previous_); }

 private:
  fs::path previous_;
};

// On files that scripts/test-filesystems left on the file system and then mounted read-only.
TEST(ReadOnlyMount, ChangesNothingAndSaysTheFileSystemIsReadOnly) {
  const char* left = std::getenv("NAMEWISP_READONLY_FOLDER");
  ASSERT_NE(left, nullptr) << "run by scripts/test-filesystems, which sets "
                              "NAMEWISP_READONLY_FOLDER to a folder on a read-only mount";
  struct statvfs mount;
  ASSERT_EQ(statvfs(left, &mount), 0) << left;
  ASSERT_TRUE(mount.f_flag & ST_RDONLY) << left << " is not on a read-only mount";
  InFolder inFolder(left);
  const Contents before = test::contentsOf(left);
  ASSERT_TRUE(std::any_of(before.begin(), before.end(), [](const auto& entry) {
    return entry.first.find("_old") != entry.first.npos;
  })) << "nothing there to clean";
  Window window;
  DialogWatcher dialogs;
  clean(window, "_old");
  EXPECT_EQ(test::contentsOf(left), before);
  ASSERT_FALSE(dialogs.dialogs().empty());
  for (const test::Dialog& dialog : dialogs.dialogs()) {
    EXPECT_TRUE(dialog.text.endsWith("the folder is on a read-only file system."))
        << dialog.text.toStdString();
  }
}

}  // namespace
