// The shell's file-operation service, for POSIX: what the Windows shell does for a rename
// request, done so that no request can ever replace or lose a file.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ui/platform/platform.h"
#include "ui/platform/posix/posix_files.h"
#include "ui/platform/posix/refusal.h"
#include "ui/platform/shell.h"

namespace {

// The one path in a path list; empty when the list does not hold exactly one non-empty path.
std::optional<std::string> onlyPath(const char* list) {
  if (list == nullptr || *list == '\0') return std::nullopt;
  std::string path(list);
  if (list[path.size() + 1] != '\0') return std::nullopt;
  return path;
}

std::string_view lastPart(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == path.npos ? path : path.substr(slash + 1);
}

// The folder part of `path` made absolute: a bare name lies in the working directory.
std::string folderOf(std::string_view path) {
  const auto slash = path.rfind('/');
  if (slash == path.npos) return platform::posix::currentDirectory();
  std::string folder(path.substr(0, slash == 0 ? 1 : slash));
  return folder.front() == '/' ? folder : platform::posix::currentDirectory() + '/' + folder;
}

bool sameEntry(const char* a, const char* b, bool followLinks) {
  struct stat sa, sb;
  const auto get = followLinks ? ::stat : ::lstat;
  return get(a, &sa) == 0 && get(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

platform::Text text(std::string_view name) {
  return platform::toText(name);
}

// Reports the refusal and returns `code`, or kShellCancelled when the user cancels. Refusals of
// one `kind` can be skipped all at once; `why` is worked out only for a dialog that shows.
int refuse(int code, const std::string& from, const std::string& to, std::u16string_view kind,
           const std::function<platform::Text()>& why) {
  const auto answer = platform::posix::reportRefusal(platform::Text(kind), [&] {
    return u"Could not rename \u201C" + text(lastPart(from)) + u"\u201D to \u201C" +
           text(lastPart(to)) + u"\u201D: " + why() + u".";
  });
  return answer == platform::posix::Refusal::Cancel ? kShellCancelled : code;
}

int refuse(int code, const std::string& from, const std::string& to, std::u16string_view why) {
  return refuse(code, from, to, why, [why] { return platform::Text(why); });
}

platform::Text reasonFor(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return u"you do not have permission to change this folder";
    case EROFS:
      return u"the folder is on a read-only file system";
    case ENAMETOOLONG:
      return u"the new name is too long";
    case ENOSPC:
    case EDQUOT:
      return u"the disk is full";
    case EBUSY:
      return u"the file is in use";
    case EIO:
      return u"the disk reported an error";
    default:
      return text(std::strerror(error));
  }
}

// Why `newName` is taken. On a file system that ignores letter case the file that has it may
// show another spelling, which the user should see.
platform::Text whyTaken(const std::string& folder, std::string_view newName) {
  const platform::Text wanted = platform::toLower(text(newName));
  for (const std::string_view name : platform::posix::readFileNames(folder)) {
    if (name != newName && platform::toLower(text(name)) == wanted) {
      return u"\u201C" + text(name) +
             u"\u201D is already there, and this disk does not tell names apart by letter case";
    }
  }
  return u"a file with that name is already there";
}

int renameFile(const std::string& from, const std::string& to) {
  const std::string_view newName = lastPart(to);
  if (newName.empty()) return refuse(kShellBadName, from, to, u"the new name would be empty");
  if (newName == "." || newName == "..") {
    return refuse(kShellBadName, from, to, u"\u201C.\u201D and \u201C..\u201D are not file names");
  }
  const std::string folder = folderOf(from);
  const std::string newFolder = folderOf(to);
  if (folder != newFolder && !sameEntry(folder.c_str(), newFolder.c_str(), true)) {
    return refuse(kShellNotARename, from, to,
                  u"the new name is in another folder, and a rename never moves a file");
  }
  if (lastPart(from) == newName) {  // nothing to change, if the file is still there
    struct stat st;
    if (lstat(from.c_str(), &st) == 0) return kShellOk;
    return refuse(kShellSourceMissing, from, to, u"the file is no longer there");
  }

  platform::posix::RenameWay& way = platform::posix::wayFor(folder);
  // A folder without a safe way is said so once, by the first refusal there.
  if (way == platform::posix::RenameWay::None) return kShellNoSafeWay;
  const int error = platform::posix::renameNoReplace(from.c_str(), to.c_str(), way);
  if (error == 0) return kShellOk;
  if (error == EEXIST || error == ENOTEMPTY) {
    // Two names of one file (hard links): a rename would change nothing.
    if (sameEntry(from.c_str(), to.c_str(), false)) return kShellOk;
    return refuse(kShellDestinationExists, from, to, u"taken",
                  [&] { return whyTaken(folder, newName); });
  }
  if (error == platform::posix::kNoSafeWay) {
    return refuse(kShellNoSafeWay, from, to,
                  u"this disk offers no way to rename a file without the risk of replacing "
                  u"another, so Namewisp renames nothing in this folder");
  }
  if (error == ENOENT) {
    struct stat st;
    if (lstat(from.c_str(), &st) != 0) {
      return refuse(kShellSourceMissing, from, to, u"the file is no longer there");
    }
    return refuse(kShellSystemError, from, to, u"its folder is no longer there");
  }
  return refuse(kShellSystemError, from, to, reasonFor(error));
}

}  // namespace

int SHFileOperationA(SHFILEOPSTRUCTA* request) {
  if (request == nullptr || request->wFunc != FO_RENAME) return kShellUnsupported;
  const auto from = onlyPath(request->pFrom);
  const auto to = onlyPath(request->pTo);
  if (!from || !to) return kShellBadRequest;
  const int result = renameFile(*from, *to);
  if (result == kShellCancelled) request->fAnyOperationsAborted = 1;
  return result;
}
