// The system calls through which the rename service changes or inspects a folder, in one place,
// so that a test can make any of them fail the way real media do. Each returns what the call
// itself returns and leaves errno as it does. Internal to src/ui/platform/.
#pragma once

#include <sys/stat.h>
#include <time.h>

namespace platform::posix::disk {

int renameNoReplace(int dir, const char* from, const char* to);  // renameat2 RENAME_NOREPLACE
int rename(int dir, const char* from, const char* to);           // replaces what is at `to`
int link(int dir, const char* from, const char* to);
int unlink(int dir, const char* name);
int createExclusive(int dir, const char* name);  // an empty file; its descriptor, or -1
int setTimes(int fd, const timespec times[2]);
int fileStatus(int fd, struct stat* status);
int status(int dir, const char* name,
           struct stat* status);  // the entry itself, not a link's target
int close(int fd);

}  // namespace platform::posix::disk

// For tests: faults injected into the calls above, without making them.
namespace platform::posix::disk::faults {

enum class Call { RenameNoReplace, Rename, Link, Unlink, Create, SetTimes, Status, Count };

// Every call of `call` fails with `error` until clear(): a disk without that way.
void lack(Call call, int error);
// The `nth` call from now (1 for the next) fails with `error`, once.
void failNth(int nth, int error);
// True once the call armed by failNth() has failed.
bool fired();
void clear();

}  // namespace platform::posix::disk::faults
