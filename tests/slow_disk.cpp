#include "slow_disk.h"

#include <dirent.h>
#include <dlfcn.h>
#include <stdio.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

std::atomic<long> entryDelay{0};   // microseconds
std::atomic<long> renameDelay{0};  // microseconds
std::atomic<int> renamed{0};

std::mutex mutex;
std::condition_variable released;
int stallFrom = -1;  // the count of renames from which they block; -1 for none
int blocked = 0;

template <typename Function>
Function real(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

void sleepFor(long microseconds) {
  if (microseconds > 0) std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
}

}  // namespace

extern "C" dirent* readdir(DIR* dir) {
  static const auto next = real<dirent* (*)(DIR*)>("readdir");
  sleepFor(entryDelay.load());
  return next(dir);
}

extern "C" int renameat2(int fromDir, const char* from, int toDir, const char* to,
                         unsigned flags) noexcept {
  static const auto next = real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
  {
    std::unique_lock lock(mutex);
    if (stallFrom >= 0 && renamed.load() >= stallFrom) {
      ++blocked;
      released.wait(lock, [] { return stallFrom < 0; });
      --blocked;
    }
  }
  sleepFor(renameDelay.load());
  const int result = next(fromDir, from, toDir, to, flags);
  ++renamed;
  return result;
}

namespace test {

SlowDisk::SlowDisk(std::chrono::microseconds perEntry, std::chrono::microseconds perRename) {
  entryDelay = static_cast<long>(perEntry.count());
  renameDelay = static_cast<long>(perRename.count());
  ::renamed = 0;
}

SlowDisk::~SlowDisk() {
  entryDelay = 0;
  renameDelay = 0;
  release();
}

void SlowDisk::stallAfter(int renames) {
  const std::lock_guard lock(mutex);
  stallFrom = ::renamed.load() + renames;
}

void SlowDisk::release() {
  const std::lock_guard lock(mutex);
  stallFrom = -1;
  released.notify_all();
}

int SlowDisk::blocked() const {
  const std::lock_guard lock(mutex);
  return ::blocked;
}

int SlowDisk::renamed() const {
  return ::renamed.load();
}

}  // namespace test
