// Pressing Clean through the real window on the file system that holds $TMPDIR. Not part of the
// normal run: scripts/test-filesystems mounts each file system of the matrix and runs these
// there. After every press each original byte is there under exactly one name and nothing else
// is: no reservation left behind, no copy, no loss.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "support.h"
#include "ui/platform/posix/folder_facts.h"
#include "ui/platform/posix/rename_ways.h"
#include "ui/platform/posix/windows_names.h"

namespace {

namespace fs = std::filesystem;
using platform::posix::RenameWay;
using test::bytesOf;
using test::DialogWatcher;
using test::pressClean;
using test::TempFolder;
using test::Window;
using Contents = std::map<std::string, std::string>;

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

// Whether Windows also reads the disk that holds the working directory, by the service's own
// rule; said for the matrix's summary.
bool isWindowsDisk() {
  TempFolder scratch;
  struct stat here;
  const bool windows = stat(".", &here) == 0 && platform::posix::isWindowsDisk(here.st_dev);
  std::cout << "Read by Windows: " << (windows ? "yes" : "no") << std::endl;
  return windows;
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
  pressClean(window, "_old");
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
  pressClean(window, "_old");
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

// Taken where the disk ignores case, and on every disk Windows also reads, which could not
// tell the two apart: the refusal names the file that has the name.
TEST(FileSystem, ANameThatDiffersOnlyInLetterCaseIsTakenWhereTheDiskIgnoresCaseOrWindowsReadsIt) {
  const bool refused = ignoresLetterCase() || isWindowsDisk();
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
  pressClean(window, "_old");
  const Contents after = folder.contents();
  EXPECT_EQ(bytesOf(after), bytesOf(before));
  if (refused) {
    EXPECT_EQ(after, before);
    ASSERT_EQ(dialogs.dialogs().size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
      SCOPED_TRACE(cases[i].name);
      const QString text = dialogs.dialogs()[i].text;
      EXPECT_TRUE(text.startsWith(QString::fromStdString(
          std::string("Could not rename \u201C") + cases[i].name + "\u201D to \u201C" +
          cases[i].cleaned + "\u201D: \u201C" + cases[i].neighbour + "\u201D is already there")))
          << text.toStdString();
      EXPECT_TRUE(text.endsWith("does not tell names apart by letter case.")) << text.toStdString();
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

// Names a disk forbids or alters, each in a folder of its own beside an ordinary file that needs
// the same press: the odd name alone is refused, in plain words, where the disk or Linux could
// not keep it; the ordinary file is renamed, and so is one added for a second press, so one odd
// name never stops a folder.
TEST(FileSystem, NamesTheDiskCannotKeepAreRefusedOneByOneAndTheFolderStillCleans) {
  const bool windows = isWindowsDisk();
  const bool caseBlind = windows || ignoresLetterCase();
  struct Case {
    const char* what;
    std::vector<std::string> names;
    const char* removal;
    bool refused;
    const char* neighbour = nullptr;  // a file already there
  };
  const Case cases[] = {
      {"trailing dot", {"report.bak"}, "bak", windows},
      {"trailing space", {"Holiday copy"}, "copy", windows},
      {"device name", {"aux_old.c", "CON_old.txt"}, "_old", windows},
      {"case only", {"notes_old.txt"}, "_old", caseBlind, "NOTES.TXT"},
      {"leading dot", {"copy.txt"}, "copy", true},
      {"not UTF-8", {"caf\xE9_old.txt"}, "_old", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    const std::string fine = std::string("fine") + c.removal + ".txt";
    folder.write(fine);
    if (c.neighbour != nullptr) folder.write(c.neighbour);
    bool made = true;
    for (const std::string& name : c.names) {
      const int fd = open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0644);
      if (fd < 0) {
        std::cout << "Case " << c.what << ": n/a, the disk will not make the file ("
                  << strerrorname_np(errno) << ")" << std::endl;
        made = false;
        break;
      }
      ASSERT_EQ(write(fd, name.data(), name.size()), static_cast<ssize_t>(name.size()));
      close(fd);
    }
    if (made && !folder.contents().contains(c.names.back())) {
      std::cout << "Case " << c.what << ": n/a, the disk keeps the file under another name"
                << std::endl;
      made = false;
    }
    if (!made) continue;
    const Contents before = folder.contents();
    Window window;
    DialogWatcher dialogs;
    pressClean(window, c.removal);
    folder.write(std::string("later") + c.removal + ".txt");
    window.press("cmdRefresh");
    pressClean(window, c.removal);
    const Contents after = folder.contents();

    EXPECT_EQ(after.at("fine.txt"), fine) << "the ordinary file beside it";
    EXPECT_EQ(after.at("later.txt"), std::string("later") + c.removal + ".txt") << "a later press";
    std::size_t refusedHere = 0;
    for (const std::string& name : c.names) {
      std::string cleaned = name;
      cleaned.erase(cleaned.find(c.removal), std::strlen(c.removal));
      const bool kept = after.contains(name);
      ASSERT_NE(kept, after.contains(cleaned)) << name << ": lost or doubled";
      EXPECT_EQ(after.at(kept ? name : cleaned), name) << "its bytes";
      refusedHere += kept;
      // Where the disk itself may refuse or keep a name Linux allows, either is honest.
      if (!windows || c.refused) {
        EXPECT_EQ(kept, c.refused) << name;
      }
    }
    std::cout << "Case " << c.what << ": " << (refusedHere ? "refused" : "renamed") << std::endl;
    // Each refusal said once a press, naming the file, in plain words.
    ASSERT_EQ(dialogs.dialogs().size(), 2 * refusedHere);
    for (const test::Dialog& dialog : dialogs.dialogs()) {
      EXPECT_FALSE(dialog.text.contains("Invalid argument")) << dialog.text.toStdString();
      EXPECT_FALSE(dialog.text.contains("no way to rename")) << dialog.text.toStdString();
      if (c.neighbour != nullptr) {
        EXPECT_TRUE(dialog.text.contains(c.neighbour)) << dialog.text.toStdString();
      }
    }
    if (c.neighbour != nullptr) {
      EXPECT_EQ(after.at(c.neighbour), c.neighbour);
    }
    EXPECT_EQ(after.size(), before.size() + 1) << "one file added for the second press";
  }
}

TEST(FileSystem, RefusesANameCleanedToNothingAndGoesOn) {
  TempFolder folder;
  for (const char* name : {"_old", "_old_old", "y_old"})
    folder.write(name);
  Window window;
  DialogWatcher dialogs;
  pressClean(window, "_old");
  EXPECT_EQ(folder.contents(),
            (Contents{{"_old", "_old"}, {"_old_old", "_old_old"}, {"y", "y_old"}}));
  ASSERT_EQ(dialogs.dialogs().size(), 2u);
  for (const test::Dialog& dialog : dialogs.dialogs()) {
    EXPECT_TRUE(dialog.text.endsWith("the new name would be empty.")) << dialog.text.toStdString();
  }
}

// What a press cut short (the program killed, the stick pulled) left at a new name: a
// reservation, an empty file marked by its modification time or, where the disk ignores case, by
// its turned spelling. The next press finishes those renames, and replaces no other empty file.
TEST(FileSystem, TheNextPressFinishesRenamesThatWereCutShort) {
  const bool caseBlind = ignoresLetterCase();
  TempFolder folder;
  folder.write("DSC_0001_old.JPG");
  folder.write("dsc_0001.jpg", "");  // reserved in the turned spelling, not yet marked
  folder.write("b_old.txt");
  folder.write("b.txt", "");
  const timespec mark[2] = {{platform::posix::kReservationMark, 0},
                            {platform::posix::kReservationMark, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, "b.txt", mark, 0), 0);
  folder.write("c_old.txt");
  folder.write("c.txt", "");  // empty, but no reservation
  Window window;
  DialogWatcher dialogs;
  pressClean(window, "_old");
  Contents expected = {{"DSC_0001.JPG", "DSC_0001_old.JPG"},
                       {"b.txt", "b_old.txt"},
                       {"c.txt", ""},
                       {"c_old.txt", "c_old.txt"}};
  // Where the disk keeps case the turned spelling is another file: in the way only for Windows.
  const bool clash = !caseBlind && isWindowsDisk();
  if (!caseBlind) expected["dsc_0001.jpg"] = "";
  if (clash)
    expected = {{"DSC_0001_old.JPG", "DSC_0001_old.JPG"},
                {"dsc_0001.jpg", ""},
                {"b.txt", "b_old.txt"},
                {"c.txt", ""},
                {"c_old.txt", "c_old.txt"}};
  Contents after = folder.contents();
  // An SMB client may go on showing the spelling it saw last, with the right bytes behind it.
  if (caseBlind && after.contains("dsc_0001.jpg") && !after.contains("DSC_0001.JPG")) {
    after["DSC_0001.JPG"] = after["dsc_0001.jpg"];
    after.erase("dsc_0001.jpg");
  }
  EXPECT_EQ(after, expected);
  EXPECT_EQ(dialogs.dialogs().size(), clash ? 2u : 1u);
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
  pressClean(window, "_old");
  EXPECT_EQ(test::contentsOf(left), before);
  ASSERT_FALSE(dialogs.dialogs().empty());
  for (const test::Dialog& dialog : dialogs.dialogs()) {
    EXPECT_TRUE(dialog.text.endsWith("the folder is on a read-only file system."))
        << dialog.text.toStdString();
  }
}

}  // namespace
