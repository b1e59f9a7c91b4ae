// Renaming without ever replacing a file, on every file system a desktop meets: atomically where
// the kernel offers it, else through a hard link, else onto a reservation made by an exclusive
// create (FAT and exFAT through FUSE have neither of the first two).
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include "ui/platform/posix/posix_files.h"

namespace platform::posix {

namespace {

// The file system lacks the way, rather than refusing this file.
bool lacksWay(int error) {
  return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

int renameAtomically(int dir, const char* from, const char* to) {
  return renameat2(dir, from, dir, to, RENAME_NOREPLACE) == 0 ? 0 : errno;
}

int linkThenUnlink(int dir, const char* from, const char* to) {
  if (linkat(dir, from, dir, to, 0) != 0) return errno;
  if (unlinkat(dir, from, 0) != 0) {
    const int error = errno;
    unlinkat(dir, to, 0);  // the file stays under its old name only
    return error;
  }
  return 0;
}

int renameOntoReservation(int dir, const char* from, const char* to) {
  // O_EXCL is honoured by every file system here, case-blind ones included: it fails when any
  // file answers to the name.
  const int fd = openat(dir, to, O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  struct stat reserved;
  const bool known = fstat(fd, &reserved) == 0;
  close(fd);
  if (renameat(dir, from, dir, to) == 0) return 0;
  const int error = errno;
  // Removed only while it is still the empty file made above, never a file that took its place.
  struct stat now;
  if (known && fstatat(dir, to, &now, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(now.st_mode) &&
      now.st_size == 0 && now.st_dev == reserved.st_dev && now.st_ino == reserved.st_ino) {
    unlinkat(dir, to, 0);
  }
  return error;
}

}  // namespace

const char* nameOf(RenameWay way) {
  switch (way) {
    case RenameWay::NoReplace:
      return "renameat2";
    case RenameWay::Link:
      return "link+unlink";
    case RenameWay::Reserve:
      return "reservation";
    case RenameWay::None:
      return "none";
  }
  return "";
}

int renameNoReplace(int dir, const char* from, const char* to, RenameWay& way) {
  int error = 0;
  switch (way) {
    case RenameWay::NoReplace:
      error = renameAtomically(dir, from, to);
      if (!lacksWay(error)) return error;
      way = RenameWay::Link;
      [[fallthrough]];
    case RenameWay::Link:
      error = linkThenUnlink(dir, from, to);
      // EPERM is also how a file system without hard links says so; the reservation tells a
      // real permission problem apart, with its own error.
      if (!lacksWay(error) && error != EPERM && error != EMLINK) return error;
      way = RenameWay::Reserve;
      [[fallthrough]];
    case RenameWay::Reserve:
      error = renameOntoReservation(dir, from, to);
      if (!lacksWay(error)) return error;
      way = RenameWay::None;
      [[fallthrough]];
    case RenameWay::None:
      return kNoSafeWay;
  }
  return kNoSafeWay;
}

namespace {
std::map<std::string, RenameWay>& learned() {
  static std::map<std::string, RenameWay> ways;
  return ways;
}
}  // namespace

std::optional<RenameWay> learnedWay(const std::string& folder) {
  const auto found = learned().find(folder);
  return found == learned().end() ? std::nullopt : std::optional(found->second);
}

RenameWay& wayFor(const std::string& folder) {
  return learned().try_emplace(folder, RenameWay::NoReplace).first->second;
}

}  // namespace platform::posix
