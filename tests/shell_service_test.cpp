// The POSIX shell service on its own: every request it refuses, and the ones it lets through.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <cerrno>

#include "clean/shell_rename.h"
#include "support.h"
#include "ui/platform/posix/rename_ways.h"
#include "ui/platform/posix/windows_names.h"

namespace {

using test::DialogWatcher;
using test::TempFolder;
using Contents = std::map<std::string, std::string>;

int rename(const std::string& from, const std::string& to) {
  return clean::ShellRename(from, to);  // through the record, as the window sends it
}

TEST(ShellService, RenamesWithinTheFolderAndReturnsZero) {
  TempFolder folder;
  folder.write("a_old");
  std::filesystem::create_symlink("a_old", "link_old");
  DialogWatcher dialogs;
  EXPECT_EQ(rename("a_old", (folder.path() / "a").string()), kShellOk);
  EXPECT_EQ(rename("link_old", (folder.path() / "." / "link").string()), kShellOk);
  EXPECT_TRUE(std::filesystem::is_symlink(folder.path() / "link")) << "the link, not its target";
  EXPECT_EQ(folder.contents(), (Contents{{"a", "a_old"}, {"link", ""}}));
  EXPECT_TRUE(dialogs.dialogs().empty());
}

TEST(ShellService, TheSameFileUnderTheSameOrAnotherNameChangesNothing) {
  TempFolder folder;
  folder.write("same");
  std::filesystem::create_hard_link("same", "twin");
  DialogWatcher dialogs;
  EXPECT_EQ(rename("same", (folder.path() / "same").string()), kShellOk);
  EXPECT_EQ(rename("same", (folder.path() / "twin").string()), kShellOk);
  EXPECT_EQ(folder.contents(), (Contents{{"same", "same"}, {"twin", "same"}}));
  EXPECT_TRUE(dialogs.dialogs().empty());
}

TEST(ShellService, RefusesWhatIsNotOneRenameWithoutADialog) {
  TempFolder folder;
  folder.write("a");
  DialogWatcher dialogs;
  for (const UINT function : {0u, FO_MOVE, FO_COPY, FO_DELETE, 99u}) {
    SHFILEOPSTRUCT request{};
    request.wFunc = function;
    request.pFrom = "a\0";
    request.pTo = "b\0";
    EXPECT_EQ(SHFileOperation(&request), kShellUnsupported) << function;
  }
  for (const char* list : {"\0", "a\0b\0"}) {
    SHFILEOPSTRUCT request{};
    request.wFunc = FO_RENAME;
    request.pFrom = list;
    request.pTo = "c\0";
    EXPECT_EQ(SHFileOperation(&request), kShellBadRequest);
  }
  EXPECT_EQ(SHFileOperation(nullptr), kShellUnsupported);
  EXPECT_EQ(folder.contents(), (Contents{{"a", "a"}}));
  EXPECT_TRUE(dialogs.dialogs().empty());
}

TEST(ShellService, RefusesEachUnsafeRequestWithOneDialog) {
  TempFolder folder;
  folder.write("a");
  folder.write("b");
  std::filesystem::create_directory("sub");
  const std::string here = folder.path().string();
  struct Case {
    std::string to;
    int result;
    const char* reason;
  };
  const Case cases[] = {
      {here + "/b", kShellDestinationExists, "a file with that name is already there"},
      {here + "/sub", kShellDestinationExists, "a file with that name is already there"},
      {here + "/sub/a", kShellNotARename, "a rename never moves a file"},
      {"/tmp/a", kShellNotARename, "a rename never moves a file"},
      {here + "/missing/a", kShellNotARename, "a rename never moves a file"},
      {here + "/", kShellBadName, "the new name would be empty"},
      {here + "/.", kShellBadName, "are not file names"},
      {here + "/..", kShellBadName, "are not file names"},
      {here + "/" + std::string(300, 'n'), kShellSystemError, "the new name is too long"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.to);
    DialogWatcher dialogs;
    EXPECT_EQ(rename("a", c.to), c.result);
    ASSERT_EQ(dialogs.dialogs().size(), 1u);
    EXPECT_TRUE(dialogs.dialogs()[0].text.startsWith("Could not rename \u201Ca\u201D"));
    EXPECT_TRUE(dialogs.dialogs()[0].text.contains(c.reason))
        << dialogs.dialogs()[0].text.toStdString();
    EXPECT_EQ(dialogs.dialogs()[0].title, "Namewisp");
  }
  DialogWatcher dialogs;
  EXPECT_EQ(rename("gone", here + "/new"), kShellSourceMissing);
  EXPECT_EQ(dialogs.dialogs().size(), 1u);
  EXPECT_EQ(folder.contents(), (Contents{{"a", "a"}, {"b", "b"}, {"sub", "<dir>"}}));
}

TEST(ShellService, EverySafeWayRenamesAndNoneReplacesOrLeavesAnythingBehind) {
  using platform::posix::RenameWay;
  for (const RenameWay first :
       {RenameWay::NoReplace, RenameWay::Link, RenameWay::Reserve, RenameWay::ReserveKeepingCase}) {
    SCOPED_TRACE(platform::posix::nameOf(first));
    TempFolder folder;
    for (const char* name : {"x_old", "y_old", "y"})
      folder.write(name);
    RenameWay way = first;
    EXPECT_EQ(platform::posix::renameNoReplace(AT_FDCWD, "x_old", "x", way), 0);
    // A disk that keeps case holds nothing by a reservation in another case.
    EXPECT_EQ(way, first == RenameWay::Reserve ? RenameWay::ReserveKeepingCase : first)
        << "a way that works is kept";
    EXPECT_EQ(platform::posix::renameNoReplace(AT_FDCWD, "y_old", "y", way), EEXIST);
    EXPECT_EQ(platform::posix::renameNoReplace(AT_FDCWD, "gone", "z", way), ENOENT);
    EXPECT_EQ(folder.contents(), (Contents{{"x", "x_old"}, {"y", "y"}, {"y_old", "y_old"}}));
  }
}

TEST(ShellService, KnowsTheNamesWindowsCannotKeepAndTheDisksItReads) {
  using platform::posix::WindowsName;
  const std::pair<const char*, WindowsName> names[] = {
      {"report.", WindowsName::EndsInDotOrSpace},
      {"Holiday ", WindowsName::EndsInDotOrSpace},
      {"aux.c", WindowsName::DeviceName},
      {"CON.txt", WindowsName::DeviceName},
      {"nul", WindowsName::DeviceName},
      {"Lpt9.tar.gz", WindowsName::DeviceName},
      {"com1", WindowsName::DeviceName},
      {"com0", WindowsName::Fine},
      {"COM10.txt", WindowsName::Fine},
      {"auxiliary.c", WindowsName::Fine},
      {"my aux.c", WindowsName::Fine},
      {".txt", WindowsName::Fine},
      {"report.txt", WindowsName::Fine},
  };
  for (const auto& [name, verdict] : names)
    EXPECT_EQ(platform::posix::windowsVerdict(name), verdict) << name;
  for (const char* type : {"vfat", "exfat", "fuseblk", "cifs", "smb3", "ntfs3"})
    EXPECT_TRUE(platform::posix::isWindowsFileSystem(type)) << type;
  for (const char* type : {"ext4", "xfs", "btrfs", "tmpfs", "nfs4", "fuse.sshfs", "9p"})
    EXPECT_FALSE(platform::posix::isWindowsFileSystem(type)) << type;
}

}  // namespace
