// The shell's file-operation service, for POSIX: what the Windows shell does for a rename
// request, done so that no request can ever replace or lose a file.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "ui/platform/platform.h"
#include "ui/platform/posix/folder_facts.h"
#include "ui/platform/posix/posix_files.h"
#include "ui/platform/posix/refusal.h"
#include "ui/platform/posix/refusal_reasons.h"
#include "ui/platform/posix/rename_ways.h"
#include "ui/platform/posix/windows_names.h"
#include "ui/platform/shell.h"

namespace {

using platform::Text;
using platform::posix::FolderFacts;

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
  bool working = false;     // the held working folder, whose names the window lists
  FolderFacts* facts = nullptr;
  std::shared_ptr<const platform::posix::WorkingFolder> held;  // keeps `dir` open
};

Text text(std::string_view name) {
  return platform::toText(name);
}

// Reports the refusal and returns `code`, or kShellCancelled when the user cancels. Refusals of
// one `kind` can be skipped all at once; `why` is worked out only for a dialog that shows.
int refuse(int code, std::string_view from, std::string_view to, std::u16string_view kind,
           const std::function<Text()>& why) {
  const auto answer = platform::posix::reportRefusal(Text(kind), [&] {
    return u"Could not rename \u201C" + text(lastPart(from)) + u"\u201D to \u201C" +
           text(lastPart(to)) + u"\u201D: " + why() + u".";
  });
  return answer == platform::posix::Refusal::Cancel ? kShellCancelled : code;
}

int refuse(int code, std::string_view from, std::string_view to, std::u16string_view why) {
  return refuse(code, from, to, why, [why] { return Text(why); });
}

// Why `newName` is taken. On a file system that ignores letter case the file that has it may
// show another spelling, which the user should see.
Text whyTaken(const Place& place, std::string_view newName) {
  const Text wanted = platform::toLower(text(newName));
  for (const std::string_view name : platform::posix::readFileNames(std::string(place.folder))) {
    if (name != newName && platform::toLower(text(name)) == wanted) {
      return u"\u201C" + text(name) +
             u"\u201D is already there, and this disk does not tell names apart by letter case";
    }
  }
  return u"a file with that name is already there";
}

// Every name of the folder, lowered: those the window lists, for the working folder.
std::unordered_map<Text, std::string> loweredNames(const Place& place) {
  std::unordered_map<Text, std::string> lowered;
  const std::shared_ptr<const platform::NameList> listed =
      place.working ? platform::posix::listed() : nullptr;
  const platform::NameList names =
      listed ? platform::NameList() : platform::posix::readFileNames(std::string(place.folder));
  for (const std::string_view name : listed ? *listed : names) {
    lowered.try_emplace(platform::toLower(text(name)), name);
  }
  return lowered;
}

// A reservation an interrupted press left, under another spelling, is the rename's to finish.
bool isLeftReservation(const Place& place, const std::string& name) {
  const std::string at = place.dir == AT_FDCWD ? std::string(place.folder) + '/' + name : name;
  return platform::posix::isLeftReservation(place.dir, at.c_str());
}

// Refuses, before any rename, a new name that would hide the file, or that Windows could not
// keep on a disk it also reads; returns -1 for a name that may be tried.
int refuseUnfit(const Place& place, std::string_view from, std::string_view to) {
  const std::string_view newName = lastPart(to);
  if (newName.front() == '.') {
    return refuse(kShellBadName, from, to, u"a name that starts with a dot would hide the file");
  }
  FolderFacts& facts = *place.facts;
  if (!*facts.windowsDisk) return -1;
  switch (platform::posix::windowsVerdict(newName)) {
    case platform::posix::WindowsName::EndsInDotOrSpace:
      return refuse(kShellBadName, from, to,
                    u"this disk, which Windows also reads, does not allow a name that ends in a "
                    u"dot or a space");
    case platform::posix::WindowsName::DeviceName:
      return refuse(kShellBadName, from, to,
                    u"this disk, which Windows also reads, does not allow a name that Windows "
                    u"keeps for a device");
    case platform::posix::WindowsName::Fine:
      break;
  }
  if (!facts.lowered) facts.lowered = loweredNames(place);
  const auto found = facts.lowered->find(platform::toLower(text(newName)));
  if (found != facts.lowered->end() && found->second != newName &&
      found->second != lastPart(from) && !isLeftReservation(place, std::string(newName))) {
    return refuse(kShellDestinationExists, from, to, u"taken", [&] {
      return u"\u201C" + text(found->second) +
             u"\u201D is already there, and Windows, which also reads this disk, does not tell "
             u"names apart by letter case";
    });
  }
  return -1;
}

void remember(FolderFacts& facts, std::string_view from, std::string_view to) {
  if (!facts.lowered) return;
  const auto old = facts.lowered->find(platform::toLower(text(from)));
  if (old != facts.lowered->end() && old->second == from) facts.lowered->erase(old);
  facts.lowered->insert_or_assign(platform::toLower(text(to)), std::string(to));
}

// The place for a request: the held working folder for a bare source and a destination there,
// as every request of a press is; else the folder the paths name, which must be one.
std::optional<Place> placeOf(const char* from, const char* to, std::string& folder) {
  const std::string_view newFolder = folderPart(to);
  auto held =
      std::strchr(from, '/') == nullptr ? platform::posix::heldWorkingFolder(newFolder) : nullptr;
  if (held != nullptr) {
    return Place{held->fd,
                 lastPart(to).data(),
                 held->path,
                 true,
                 &platform::posix::factsFor(held->device, held->inode),
                 held};
  }
  folder = folderOf(from);
  const std::string destinationFolder = folderOf(to);
  struct stat status;
  if ((folder != destinationFolder &&
       !sameEntry(AT_FDCWD, folder.c_str(), destinationFolder.c_str(), true)) ||
      stat(folder.c_str(), &status) != 0) {
    return std::nullopt;
  }
  return Place{
      AT_FDCWD, to, folder, false, &platform::posix::factsFor(status.st_dev, status.st_ino),
      nullptr};
}

int renameFile(const char* from, const char* to) {
  const std::string_view newName = lastPart(to);
  if (newName.empty()) return refuse(kShellBadName, from, to, u"the new name would be empty");
  if (newName == "." || newName == "..") {
    return refuse(kShellBadName, from, to, u"\u201C.\u201D and \u201C..\u201D are not file names");
  }
  std::string folder;
  const std::optional<Place> place = placeOf(from, to, folder);
  if (!place) {
    return refuse(kShellNotARename, from, to,
                  u"the new name is in another folder, and a rename never moves a file");
  }
  if (lastPart(from) == newName) {  // nothing to change, if the file is still there
    if (isThere(place->dir, from)) return kShellOk;
    return refuse(kShellSourceMissing, from, to, u"the file is no longer there");
  }
  FolderFacts& facts = *place->facts;
  // The folder itself, named the way its descriptor, if any, needs.
  const char* self = place->dir == AT_FDCWD ? folder.c_str() : ".";
  if (!facts.windowsDisk) {
    struct stat status;
    facts.windowsDisk =
        fstatat(place->dir, self, &status, 0) == 0 && platform::posix::isWindowsDisk(status.st_dev);
  }
  if (const int refused = refuseUnfit(*place, from, to); refused >= 0) return refused;

  platform::posix::RenameWay way = facts.way;
  const int error = platform::posix::renameNoReplace(place->dir, from, place->to, way);
  if (error == 0) {
    facts.way = way;
    facts.renamed = true;
    remember(facts, lastPart(from), newName);
    return kShellOk;
  }
  if (error == EEXIST || error == ENOTEMPTY) {
    // Two names of one file (hard links): a rename would change nothing.
    if (sameEntry(place->dir, from, place->to, false)) return kShellOk;
    return refuse(kShellDestinationExists, from, to, u"taken",
                  [&] { return whyTaken(*place, newName); });
  }
  if (error == platform::posix::kNoSafeWay && facts.renamed) {
    return refuse(kShellSystemError, from, to, u"the disk would not rename it");
  }
  if (error == platform::posix::kNoSafeWay) {
    return refuse(kShellNoSafeWay, from, to,
                  u"this disk offers no way to rename a file without the risk of replacing "
                  u"another");
  }
  if (platform::posix::mediumGone(place->dir, error)) {
    return refuse(kShellSystemError, from, to, u"the disk is no longer there");
  }
  if (error == ENOENT) {
    if (!isThere(place->dir, from)) {
      return refuse(kShellSourceMissing, from, to, u"the file is no longer there");
    }
    if (!isThere(place->dir, self)) {
      return refuse(kShellSystemError, from, to, u"its folder is no longer there");
    }
  }
  if (error == platform::posix::kNameNotAllowed) {
    return refuse(kShellBadName, from, to, u"this disk does not allow that name");
  }
  return refuse(kShellSystemError, from, to, platform::posix::reasonFor(error));
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
