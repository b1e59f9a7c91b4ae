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

// The one path in a path list; null when the list does not hold exactly one non-empty path.
const char* onlyPath(const char* list) {
  if (list == nullptr || *list == '\0') return nullptr;
  return list[std::strlen(list) + 1] == '\0' ? list : nullptr;
}

std::string_view lastPart(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == path.npos ? path : path.substr(slash + 1);
}

std::string_view folderPart(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == path.npos ? std::string_view() : path.substr(0, slash == 0 ? 1 : slash);
}

// The folder part of `path` made absolute: a bare name lies in the working directory.
std::string folderOf(std::string_view path) {
  const std::string folder(folderPart(path));
  if (folder.empty()) return platform::posix::currentDirectory();
  return folder.front() == '/' ? folder : platform::posix::currentDirectory() + '/' + folder;
}

bool sameEntry(int dir, const char* a, const char* b, bool followLinks) {
  struct stat sa, sb;
  const int flags = followLinks ? 0 : AT_SYMLINK_NOFOLLOW;
  return fstatat(dir, a, &sa, flags) == 0 && fstatat(dir, b, &sb, flags) == 0 &&
         sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool isThere(int dir, const char* name) {
  struct stat st;
  return fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// Where a rename happens: the folder that the source and `to` are resolved against.
struct Place {
  int dir = AT_FDCWD;
  const char* to = nullptr;
  std::string_view folder;  // absolute
  platform::posix::RenameWay* way = nullptr;
};

// The working directory held open, for the request a press makes of every file: a bare source
// and a destination in the working directory. Through it such a rename costs no getcwd, no
// allocation and no walk along the path. The program never changes its working directory; were
// it changed, a bare source would be taken from the folder the destination names, so a rename
// still never moves a file.
struct HeldFolder {
  std::string path;  // as the destinations spell it
  int fd = -1;
  platform::posix::RenameWay* way = nullptr;
};

const HeldFolder* heldFolderFor(std::string_view destinationFolder) {
  static HeldFolder held;
  if (held.fd >= 0 && held.path == destinationFolder) return &held;
  if (destinationFolder.empty() || destinationFolder.front() != '/') return nullptr;
  std::string cwd = platform::posix::currentDirectory();
  const std::string path(destinationFolder);
  if (cwd.empty() || (cwd != path && !sameEntry(AT_FDCWD, ".", path.c_str(), true))) {
    return nullptr;
  }
  const int fd = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  if (held.fd >= 0) close(held.fd);
  held = {path, fd, &platform::posix::wayFor(cwd)};
  return &held;
}

platform::Text text(std::string_view name) {
  return platform::toText(name);
}

// Reports the refusal and returns `code`, or kShellCancelled when the user cancels. Refusals of
// one `kind` can be skipped all at once; `why` is worked out only for a dialog that shows.
int refuse(int code, std::string_view from, std::string_view to, std::u16string_view kind,
           const std::function<platform::Text()>& why) {
  const auto answer = platform::posix::reportRefusal(platform::Text(kind), [&] {
    return u"Could not rename \u201C" + text(lastPart(from)) + u"\u201D to \u201C" +
           text(lastPart(to)) + u"\u201D: " + why() + u".";
  });
  return answer == platform::posix::Refusal::Cancel ? kShellCancelled : code;
}

int refuse(int code, std::string_view from, std::string_view to, std::u16string_view why) {
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
platform::Text whyTaken(std::string_view folder, std::string_view newName) {
  const platform::Text wanted = platform::toLower(text(newName));
  for (const std::string_view name : platform::posix::readFileNames(std::string(folder))) {
    if (name != newName && platform::toLower(text(name)) == wanted) {
      return u"\u201C" + text(name) +
             u"\u201D is already there, and this disk does not tell names apart by letter case";
    }
  }
  return u"a file with that name is already there";
}

int renameFile(const char* from, const char* to) {
  const std::string_view newName = lastPart(to);
  if (newName.empty()) return refuse(kShellBadName, from, to, u"the new name would be empty");
  if (newName == "." || newName == "..") {
    return refuse(kShellBadName, from, to, u"\u201C.\u201D and \u201C..\u201D are not file names");
  }
  Place place;
  std::string folder;  // for a request the held folder does not serve
  const bool bare = std::strchr(from, '/') == nullptr;
  if (const HeldFolder* held = bare ? heldFolderFor(folderPart(to)) : nullptr) {
    place = {held->fd, newName.data(), held->path, held->way};
  } else {
    folder = folderOf(from);
    const std::string newFolder = folderOf(to);
    if (folder != newFolder && !sameEntry(AT_FDCWD, folder.c_str(), newFolder.c_str(), true)) {
      return refuse(kShellNotARename, from, to,
                    u"the new name is in another folder, and a rename never moves a file");
    }
    place = {AT_FDCWD, to, folder, &platform::posix::wayFor(folder)};
  }
  if (lastPart(from) == newName) {  // nothing to change, if the file is still there
    if (isThere(place.dir, from)) return kShellOk;
    return refuse(kShellSourceMissing, from, to, u"the file is no longer there");
  }

  // A folder without a safe way is said so once, by the first refusal there.
  if (*place.way == platform::posix::RenameWay::None) return kShellNoSafeWay;
  const int error = platform::posix::renameNoReplace(place.dir, from, place.to, *place.way);
  if (error == 0) return kShellOk;
  if (error == EEXIST || error == ENOTEMPTY) {
    // Two names of one file (hard links): a rename would change nothing.
    if (sameEntry(place.dir, from, place.to, false)) return kShellOk;
    return refuse(kShellDestinationExists, from, to, u"taken",
                  [&] { return whyTaken(place.folder, newName); });
  }
  if (error == platform::posix::kNoSafeWay) {
    return refuse(kShellNoSafeWay, from, to,
                  u"this disk offers no way to rename a file without the risk of replacing "
                  u"another, so Namewisp renames nothing in this folder");
  }
  if (error == ENOENT) {
    if (!isThere(place.dir, from)) {
      return refuse(kShellSourceMissing, from, to, u"the file is no longer there");
    }
    return refuse(kShellSystemError, from, to, u"its folder is no longer there");
  }
  return refuse(kShellSystemError, from, to, reasonFor(error));
}

}  // namespace

int SHFileOperationA(SHFILEOPSTRUCTA* request) {
  if (request == nullptr || request->wFunc != FO_RENAME) return kShellUnsupported;
  const char* from = onlyPath(request->pFrom);
  const char* to = onlyPath(request->pTo);
  if (from == nullptr || to == nullptr) return kShellBadRequest;
  const int result = renameFile(from, to);
  if (result == kShellCancelled) request->fAnyOperationsAborted = 1;
  return result;
}
