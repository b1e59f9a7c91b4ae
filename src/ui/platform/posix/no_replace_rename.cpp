// Renaming without ever replacing a file, on every file system a desktop meets: atomically where
// the kernel offers it, else through a hard link, else onto a reservation made by an exclusive
// create (FAT and exFAT through FUSE have neither of the first two).
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>

#include "ui/platform/posix/disk_calls.h"
#include "ui/platform/posix/rename_ways.h"

namespace platform::posix {

namespace {

// How one way fared for one file.
enum class Outcome {
  Done,     // renamed
  Refused,  // the answer for this file: taken, missing, read-only, ...
  NotHere,  // this way did not work for this file here; the next may
};

struct Attempt {
  Outcome outcome;
  int error = 0;
};

Attempt done() {
  return {Outcome::Done};
}

// The file system lacks the way, or will not take this name by it.
bool notHere(int error) {
  return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

Attempt failed(int error, bool orNotHere) {
  return {orNotHere ? Outcome::NotHere : Outcome::Refused, error};
}

Attempt renameAtomically(int dir, const char* from, const char* to) {
  if (disk::renameNoReplace(dir, from, to) == 0) return done();
  return failed(errno, notHere(errno));
}

Attempt linkThenUnlink(int dir, const char* from, const char* to) {
  if (disk::link(dir, from, to) != 0) {
    // EPERM is also how a file system without hard links says so.
    return failed(errno, notHere(errno) || errno == EPERM || errno == EMLINK);
  }
  if (disk::unlink(dir, from) != 0) {
    const int error = errno;
    disk::unlink(dir, to);  // the file stays under its old name only
    return failed(error, false);
  }
  return done();
}

bool carriesMark(const struct stat& file) {
  if (!S_ISREG(file.st_mode) || file.st_size != 0) return false;
  // FAT keeps local time: read under another time zone the mark moves by a multiple of a
  // quarter hour, up to fourteen hours, give or take its two-second steps.
  const long long off = std::llabs(static_cast<long long>(file.st_mtime - kReservationMark));
  return off <= 14 * 3600 + 2 && (off + 2) % 900 <= 4;
}

// The empty file made by createExclusive, while it is still that file.
bool stillReservation(int dir, const char* name, const struct stat& made) {
  struct stat now;
  return disk::status(dir, name, &now) == 0 && S_ISREG(now.st_mode) && now.st_size == 0 &&
         now.st_dev == made.st_dev && now.st_ino == made.st_ino;
}

Attempt renameOntoReservation(int dir, const char* from, const char* to) {
  // O_EXCL is honoured by every file system here, case-blind ones included: it fails when any
  // file answers to the name.
  const int fd = disk::createExclusive(dir, to);
  if (fd < 0) {
    // Creating a file is no way of renaming that a disk might lack: the name is what it refuses.
    return failed(errno == EINVAL || errno == EILSEQ ? kNameNotAllowed : errno, false);
  }
  const timespec mark[2] = {{kReservationMark, 0}, {kReservationMark, 0}};
  disk::setTimes(fd, mark);  // without it only an interrupted rename's recovery is lost
  struct stat made;
  const bool known = disk::fileStatus(fd, &made) == 0;
  disk::close(fd);
  if (disk::rename(dir, from, to) == 0) return done();
  const int error = errno;
  // Removed only while it is still the empty file made above, never a file that took its place.
  if (known && stillReservation(dir, to, made)) disk::unlink(dir, to);
  return failed(error, notHere(error));
}

Attempt tryWay(RenameWay way, int dir, const char* from, const char* to) {
  switch (way) {
    case RenameWay::NoReplace:
      return renameAtomically(dir, from, to);
    case RenameWay::Link:
      return linkThenUnlink(dir, from, to);
    case RenameWay::Reserve:
      return renameOntoReservation(dir, from, to);
    case RenameWay::None:
      break;
  }
  return failed(kNoSafeWay, false);
}

bool sameFile(int dir, const char* a, const char* b) {
  struct stat sa, sb;
  return disk::status(dir, a, &sa) == 0 && disk::status(dir, b, &sb) == 0 &&
         sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
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

bool isLeftReservation(int dir, const char* name) {
  struct stat file;
  return disk::status(dir, name, &file) == 0 && carriesMark(file);
}

int renameNoReplace(int dir, const char* from, const char* to, RenameWay& way) {
  for (int w = static_cast<int>(way); w < static_cast<int>(RenameWay::None); ++w) {
    const Attempt attempt = tryWay(static_cast<RenameWay>(w), dir, from, to);
    if (attempt.outcome == Outcome::Done) {
      way = static_cast<RenameWay>(w);
      return 0;
    }
    if (attempt.outcome == Outcome::NotHere) continue;
    if (attempt.error == EEXIST && isLeftReservation(dir, to) && !sameFile(dir, from, to)) {
      // Ours, from a press that was cut short: the one file a rename may replace.
      return disk::rename(dir, from, to) == 0 ? 0 : errno;
    }
    return attempt.error;
  }
  // The reservation was made, yet no way could rename onto the name: the disk lacks them all.
  // Not remembered: the next file tries again, so that one fault never stops a folder.
  return kNoSafeWay;
}

}  // namespace platform::posix
