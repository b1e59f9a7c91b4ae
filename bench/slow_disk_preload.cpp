// A slow medium under a whole program, loaded with LD_PRELOAD by bench/answers_x11: the folder
// the program starts in (and only that one) gives its entries NAMEWISP_SLOW_READDIR_US
// microseconds apart; every renameat2 takes NAMEWISP_SLOW_RENAME_US, and the one numbered
// NAMEWISP_STALL_AT (from 1) blocks for NAMEWISP_STALL_MS first, as a medium that stalls. When
// each read of that folder starts and ends, and each rename ends, is written to the file
// NAMEWISP_SLOW_LOG, in seconds of CLOCK_MONOTONIC: the benchmark cuts its phases there.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

long setting(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::atol(value) : 0;
}

void sleepMicroseconds(long microseconds) {
  if (microseconds <= 0) return;
  timespec time{microseconds / 1000000, (microseconds % 1000000) * 1000};
  while (nanosleep(&time, &time) != 0) {
  }
}

void note(const char* what) {
  static std::mutex mutex;
  static FILE* log = [] {
    const char* path = std::getenv("NAMEWISP_SLOW_LOG");
    return path != nullptr ? std::fopen(path, "a") : nullptr;
  }();
  if (log == nullptr) return;
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  const std::lock_guard lock(mutex);
  std::fprintf(log, "%s %ld.%09ld\n", what, static_cast<long>(now.tv_sec), now.tv_nsec);
  std::fflush(log);
}

template <typename Function>
Function real(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// The one folder read slowly, open: only one at a time is read in the program.
std::atomic<DIR*> slowFolder{nullptr};
std::atomic<int> renames{0};

bool isWorkingFolder(DIR* dir) {
  struct stat folder, working;
  return fstat(dirfd(dir), &folder) == 0 && stat(".", &working) == 0 &&
         folder.st_dev == working.st_dev && folder.st_ino == working.st_ino;
}

DIR* watched(DIR* dir) {
  if (dir != nullptr && isWorkingFolder(dir)) {
    slowFolder = dir;
    note("read-begin");
  }
  return dir;
}

}  // namespace

extern "C" DIR* opendir(const char* name) {
  static const auto next = real<DIR* (*)(const char*)>("opendir");
  return watched(next(name));
}

// The program reads its folder through the descriptor it holds open.
extern "C" DIR* fdopendir(int fd) {
  static const auto next = real<DIR* (*)(int)>("fdopendir");
  return watched(next(fd));
}

extern "C" dirent* readdir(DIR* dir) {
  static const auto next = real<dirent* (*)(DIR*)>("readdir");
  static const long delay = setting("NAMEWISP_SLOW_READDIR_US");
  if (dir == slowFolder.load()) sleepMicroseconds(delay);
  return next(dir);
}

extern "C" int closedir(DIR* dir) {
  static const auto next = real<int (*)(DIR*)>("closedir");
  if (dir == slowFolder.load()) {
    slowFolder = nullptr;
    note("read-end");
  }
  return next(dir);
}

extern "C" int renameat2(int fromDir, const char* from, int toDir, const char* to,
                         unsigned flags) noexcept {
  static const auto next = real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
  static const long delay = setting("NAMEWISP_SLOW_RENAME_US");
  static const long stallAt = setting("NAMEWISP_STALL_AT");
  static const long stall = setting("NAMEWISP_STALL_MS");
  if (++renames == stallAt) {
    note("stall-begin");
    sleepMicroseconds(stall * 1000);
  }
  sleepMicroseconds(delay);
  const int result = next(fromDir, from, toDir, to, flags);
  note("rename");
  return result;
}
