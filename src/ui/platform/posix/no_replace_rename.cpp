// Renaming without ever replacing a file, on every file system a desktop meets: atomically where
// the kernel offers it, else through a hard link, else onto a reservation made by an exclusive
// create (FAT and exFAT through FUSE have neither of the first two).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <string_view>

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

char turned(char c) {
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  return c;
}

// `name` with the case of every ASCII letter turned. On a disk that ignores case (FAT and exFAT
// through FUSE, which need reservations) the reservation is made under this spelling, where it
// holds the new name all the same: the spelling marks it from the moment it exists, so a press
// cut short even before the modification time was set leaves nothing a later press cannot
// finish.
std::string turnedCase(std::string_view name) {
  std::string spelling(name);
  for (char& c : spelling)
    c = turned(c);
  return spelling;
}

// Whether the one entry of the folder that answers to `name` in any ASCII case is spelled
// `spelling`: a disk that keeps case may hold both, and then neither is a reservation.
bool onlySpelledAs(int dir, std::string_view name, std::string_view spelling) {
  const int fd = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* folder = fd < 0 ? nullptr : fdopendir(fd);
  if (folder == nullptr) {
    if (fd >= 0) disk::close(fd);
    return false;
  }
  int answering = 0;
  bool spelled = false;
  while (const dirent* entry = readdir(folder)) {
    const std::string_view entryName = entry->d_name;
    if (entryName.size() != name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; same && i < name.size(); ++i)
      same = entryName[i] == name[i] || entryName[i] == turned(name[i]);
    answering += same;
    spelled = spelled || entryName == spelling;
  }
  closedir(folder);
  return answering == 1 && spelled;
}

// An empty file made for a reservation under `name`, marked; what it is, while it lasts.
struct Reservation {
  bool made = false;
  bool marked = false;
  bool known = false;
  struct stat status {};
};

Reservation reserve(int dir, const char* name) {
  Reservation reservation;
  // O_EXCL is honoured by every file system here, case-blind ones included: it fails when any
  // file answers to the name.
  const int fd = disk::createExclusive(dir, name);
  if (fd < 0) return reservation;
  reservation.made = true;
  const timespec mark[2] = {{kReservationMark, 0}, {kReservationMark, 0}};
  reservation.marked = disk::setTimes(fd, mark) == 0;
  reservation.known = disk::fileStatus(fd, &reservation.status) == 0;
  disk::close(fd);
  return reservation;
}

// Removes the reservation only while it is still the empty file made, never one that took its
// place: the same file, or at least an empty one with the mark.
void release(int dir, const char* name, const Reservation& reservation) {
  struct stat now;
  if (disk::status(dir, name, &now) != 0 || !S_ISREG(now.st_mode) || now.st_size != 0) return;
  const bool same = reservation.known && now.st_dev == reservation.status.st_dev &&
                    now.st_ino == reservation.status.st_ino;
  if (same || carriesMark(now)) disk::unlink(dir, name);
}

Attempt renameOnto(int dir, const char* from, const char* to, const char* reservedAs,
                   const Reservation& reservation) {
  if (disk::rename(dir, from, to) == 0) return done();
  const int error = errno;
  release(dir, reservedAs, reservation);
  return failed(error, notHere(error));
}

// Creating a file is no way of renaming that a disk might lack: the name is what it refuses.
Attempt refusedCreate(int error) {
  return failed(error == EINVAL || error == EILSEQ ? kNameNotAllowed : error, false);
}

Attempt renameOntoReservation(int dir, const char* from, const char* to) {
  const Reservation reservation = reserve(dir, to);
  if (!reservation.made) return refusedCreate(errno);
  return renameOnto(dir, from, to, to, reservation);
}

// The reservation under the turned spelling, where the disk ignores case; a name without
// letters has only its own.
Attempt renameOntoTurnedReservation(int dir, const char* from, const char* to) {
  const std::string spelling = turnedCase(to);
  if (spelling == to) return renameOntoReservation(dir, from, to);
  struct stat status;
  if (disk::status(dir, to, &status) == 0) return failed(EEXIST, false);
  if (errno != ENOENT) return failed(errno, false);
  const Reservation turned = reserve(dir, spelling.c_str());
  if (!turned.made) return errno == EEXIST ? failed(EEXIST, true) : refusedCreate(errno);
  // Where the disk ignores case, the new name now finds the marked reservation.
  if (turned.marked && disk::status(dir, to, &status) == 0 && carriesMark(status)) {
    return renameOnto(dir, from, to, spelling.c_str(), turned);
  }
  release(dir, spelling.c_str(), turned);  // the disk keeps case: it holds nothing
  return failed(EEXIST, true);
}

Attempt tryWay(RenameWay way, int dir, const char* from, const char* to) {
  switch (way) {
    case RenameWay::NoReplace:
      return renameAtomically(dir, from, to);
    case RenameWay::Link:
      return linkThenUnlink(dir, from, to);
    case RenameWay::Reserve:
      return renameOntoTurnedReservation(dir, from, to);
    case RenameWay::ReserveKeepingCase:
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
    case RenameWay::ReserveKeepingCase:
      return "reservation, case kept";
    case RenameWay::None:
      return "none";
  }
  return "";
}

bool isLeftReservation(int dir, const char* name) {
  struct stat file;
  if (disk::status(dir, name, &file) != 0 || !S_ISREG(file.st_mode) || file.st_size != 0) {
    return false;
  }
  const std::string spelling = turnedCase(name);
  return carriesMark(file) || (spelling != name && onlySpelledAs(dir, name, spelling));
}

int renameNoReplace(int dir, const char* from, const char* to, RenameWay& way) {
  bool cleared = false;
  for (int w = static_cast<int>(way); w < static_cast<int>(RenameWay::None); ++w) {
    const Attempt attempt = tryWay(static_cast<RenameWay>(w), dir, from, to);
    if (attempt.outcome == Outcome::Done) {
      way = static_cast<RenameWay>(w);
      return 0;
    }
    if (attempt.outcome == Outcome::NotHere) continue;
    if (attempt.error == EEXIST && !cleared && isLeftReservation(dir, to) &&
        !sameFile(dir, from, to)) {
      // Ours, from a press that was cut short: removed, and the rename made as if it had never
      // been there, so nothing is replaced (and a disk that ignores case keeps the new spelling).
      if (disk::unlink(dir, to) != 0) return errno;
      cleared = true;
      w = static_cast<int>(way) - 1;
      continue;
    }
    return attempt.error;
  }
  // The reservation was made, yet no way could rename onto the name: the disk lacks them all.
  // Not remembered: the next file tries again, so that one fault never stops a folder.
  return kNoSafeWay;
}

}  // namespace platform::posix
