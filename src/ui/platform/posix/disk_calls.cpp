#include "ui/platform/posix/disk_calls.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace platform::posix::disk {

namespace {

using faults::Call;

// Only tests arm these; the service makes its calls one at a time.
std::array<int, static_cast<int>(Call::Count)> lacking{};
int countdown = 0;
int nthError = 0;
bool nthFired = false;

// True when the call is to fail instead of being made; errno then holds the fault.
bool faulted(Call call) {
  if (countdown > 0 && --countdown == 0) {
    nthFired = true;
    errno = nthError;
    return true;
  }
  if (const int error = lacking[static_cast<int>(call)]; error != 0) {
    errno = error;
    return true;
  }
  return false;
}

}  // namespace

int renameNoReplace(int dir, const char* from, const char* to) {
  if (faulted(Call::RenameNoReplace)) return -1;
  return renameat2(dir, from, dir, to, RENAME_NOREPLACE);
}

int rename(int dir, const char* from, const char* to) {
  if (faulted(Call::Rename)) return -1;
  return renameat(dir, from, dir, to);
}

int link(int dir, const char* from, const char* to) {
  if (faulted(Call::Link)) return -1;
  return linkat(dir, from, dir, to, 0);
}

int unlink(int dir, const char* name) {
  if (faulted(Call::Unlink)) return -1;
  return unlinkat(dir, name, 0);
}

int createExclusive(int dir, const char* name) {
  if (faulted(Call::Create)) return -1;
  return openat(dir, name, O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0600);
}

int setTimes(int fd, const timespec times[2]) {
  if (faulted(Call::SetTimes)) return -1;
  return futimens(fd, times);
}

int fileStatus(int fd, struct stat* status) {
  if (faulted(Call::Status)) return -1;
  return fstat(fd, status);
}

int status(int dir, const char* name, struct stat* status) {
  if (faulted(Call::Status)) return -1;
  return fstatat(dir, name, status, AT_SYMLINK_NOFOLLOW);
}

int close(int fd) {
  return ::close(fd);
}

}  // namespace platform::posix::disk

namespace platform::posix::disk::faults {

void lack(Call call, int error) {
  lacking[static_cast<int>(call)] = error;
}

void failNth(int nth, int error) {
  countdown = nth;
  nthError = error;
  nthFired = false;
}

bool fired() {
  return nthFired;
}

void clear() {
  lacking.fill(0);
  countdown = 0;
  nthFired = false;
}

}  // namespace platform::posix::disk::faults
