// The rename service when the disk fails one of its calls, as real media do: each call of each
// way fails in turn with each error the media gave. Whatever fails, every file's bytes are still
// there under exactly one name, nothing unmarked is left behind, the user is told in plain words,
// and the rest of the press goes on.
#include <gtest/gtest.h>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support.h"
#include "ui/platform/posix/disk_calls.h"
#include "ui/platform/posix/rename_ways.h"

namespace {

using platform::posix::disk::faults::Call;
using test::DialogWatcher;
using test::pressClean;
using test::TempFolder;
using test::Window;
namespace faults = platform::posix::disk::faults;
using Contents = std::map<std::string, std::string>;

struct Disk {
  const char* name;
  std::vector<std::pair<Call, int>> lacks;  // the ways it does not offer, as it says so
};

// The three ways, each on a disk that offers it first: the calls each way makes are all tried.
const Disk kDisks[] = {
    {"renameat2", {}},
    {"link+unlink", {{Call::RenameNoReplace, EINVAL}}},
    {"reservation", {{Call::RenameNoReplace, EINVAL}, {Call::Link, EPERM}}},
};

TEST(DiskFaults, AnyCallFailingLosesNothingLeavesNothingAndTheRestIsRenamed) {
  const char* const files[] = {"a_old", "b_old", "c_old"};
  for (const Disk& disk : kDisks) {
    for (const int error : {EINVAL, EPERM, EEXIST, ENOENT, EIO, ENOTCONN, EROFS, ENOSPC, EACCES}) {
      for (int nth = 1;; ++nth) {
        SCOPED_TRACE(std::string(disk.name) + ", call " + std::to_string(nth) + " fails with " +
                     strerrorname_np(error));
        TempFolder folder;
        for (const char* name : files)
          folder.write(name);
        Window window;
        DialogWatcher dialogs;
        for (const auto& [call, lacking] : disk.lacks)
          faults::lack(call, lacking);
        faults::failNth(nth, error);
        pressClean(window, "_old");
        const bool fired = faults::fired();
        faults::clear();
        if (!fired) break;  // past the press's last call

        const Contents after = folder.contents();
        int renamed = 0;
        for (const std::string name : files) {
          const std::string cleaned = name.substr(0, 1);
          const bool kept = after.contains(name), moved = after.contains(cleaned);
          ASSERT_NE(kept, moved) << name << ": lost or doubled";
          EXPECT_EQ(after.at(moved ? cleaned : name), name) << "its bytes";
          renamed += moved;
        }
        // A reservation that a failed look at it kept from being removed carries the mark.
        for (const auto& [name, bytes] : after) {
          if (name.ends_with("_old") || name.size() == 1) continue;
          struct stat left;
          ASSERT_EQ(stat(name.c_str(), &left), 0);
          EXPECT_EQ(left.st_mtime, platform::posix::kReservationMark) << name << " left behind";
          EXPECT_EQ(bytes, "") << name << " left behind";
        }
        EXPECT_GE(renamed, 2) << "one fault stopped more than its own file";
        ASSERT_LE(dialogs.dialogs().size(), 1u);
        EXPECT_EQ(dialogs.dialogs().size(), std::size(files) - renamed) << "a file kept unsaid";
        for (const test::Dialog& dialog : dialogs.dialogs()) {
          EXPECT_FALSE(dialog.text.contains(std::strerror(error))) << "raw system text";
          // Once a way worked in the folder, one fault is no verdict on the disk.
          if (!dialog.text.contains("\u201Ca_old\u201D")) {
            EXPECT_FALSE(dialog.text.contains("no way to rename")) << dialog.text.toStdString();
          }
        }
      }
    }
  }
}

TEST(DiskFaults, ADiskThatOffersNoWaySaysSoForEachFileAndKeepsThemAll) {
  TempFolder folder;
  folder.write("a_old");
  folder.write("b_old");
  const Contents before = folder.contents();
  Window window;
  DialogWatcher dialogs;
  faults::lack(Call::RenameNoReplace, EINVAL);
  faults::lack(Call::Link, EPERM);
  faults::lack(Call::Rename, EINVAL);  // even onto its own reservation
  pressClean(window, "_old");
  faults::clear();
  EXPECT_EQ(folder.contents(), before) << "no reservation left";
  ASSERT_EQ(dialogs.dialogs().size(), 2u);
  for (const test::Dialog& dialog : dialogs.dialogs())
    EXPECT_TRUE(dialog.text.contains("no way to rename a file without the risk"))
        << dialog.text.toStdString();
}

// A reservation is an empty file marked by its modification time. A press cut short between it
// and the rename onto it leaves it behind; the next press finishes the rename, and replaces no
// file that lacks the mark.
TEST(DiskFaults, TheNextPressFinishesARenameThatWasCutShortAndReplacesNothingElse) {
  TempFolder folder;
  const auto mark = [](const char* name) {
    const timespec times[2] = {{platform::posix::kReservationMark, 0},
                               {platform::posix::kReservationMark, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, name, times, 0), 0);
  };
  folder.write("a_old");
  folder.write("a", "");  // left by the press that was cut short
  mark("a");
  folder.write("b_old");
  folder.write("b", "");  // empty, but no reservation
  folder.write("c_old");
  folder.write("c", "");  // marked, yet written to since
  mark("c");
  ASSERT_EQ(truncate("c", 0), 0);
  folder.write("c", "c has bytes");
  mark("c");
  Window window;
  DialogWatcher dialogs;
  pressClean(window, "_old");
  EXPECT_EQ(folder.contents(), (Contents{{"a", "a_old"},
                                         {"b", ""},
                                         {"b_old", "b_old"},
                                         {"c", "c has bytes"},
                                         {"c_old", "c_old"}}));
  EXPECT_EQ(dialogs.dialogs().size(), 2u);
}

// A stick pulled or a share gone answers each file with one of several errors; they are one
// reason to the user, so Skip All on the first covers the rest.
TEST(DiskFaults, AMediumThatWentAwayIsOneReasonInPlainWords) {
  TempFolder folder;
  for (const char* name : {"a_old", "b_old", "c_old"})
    folder.write(name);
  const Contents before = folder.contents();
  Window window;
  DialogWatcher dialogs({}, "Skip All");
  faults::lack(Call::RenameNoReplace, ENOTCONN);
  faults::failNth(1, ESTALE);
  pressClean(window, "_old");
  faults::clear();
  EXPECT_EQ(folder.contents(), before);
  ASSERT_EQ(dialogs.dialogs().size(), 1u);
  EXPECT_TRUE(dialogs.dialogs()[0].text.endsWith("the disk is no longer there."))
      << dialogs.dialogs()[0].text.toStdString();
}

}  // namespace
