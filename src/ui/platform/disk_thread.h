// The disk thread behind runOnDiskThread: one thread that makes every call of the program that
// may wait on the disk, one job at a time in the order given, so that no two of them ever
// overlap and the service's state (a held folder, the ways learned) is only ever touched there.
// Shared by the backends, which wake their window's thread when a job ends (finished() below).
// Internal to src/ui/platform/.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "ui/platform/platform.h"

namespace platform::disk {

class Job final : public DiskWork {
 public:
  Job(std::function<void()> work, std::function<void()> then)
      : work_(std::move(work)), then_(std::move(then)) {}

  bool done() const override { return done_.load(); }

  // For the window's thread, about to wait for the job: spins briefly for its end, since most
  // renames on a local disk end sooner than a sleeping thread wakes; if it has not ended, has the
  // disk thread wake this thread by finished() when it does. True if it ended, and no wake will
  // come.
  bool endedOrWatched() const;
  // Runs `then` on the window's thread; does nothing the second time.
  void runThen();

 private:
  friend struct Thread;
  std::function<void()> work_;
  std::function<void()> then_;
  bool hasThen_ = static_cast<bool>(then_);
  std::atomic<bool> done_{false};
  mutable std::atomic<bool> watched_{false};
};

// Defined by each backend: called first on the disk thread, to set it up for the calls it makes.
void threadStarted();

// Defined by each backend: called on the disk thread once `job` has run, if it has a `then` or its
// end is watched: runs job->runThen() on the window's thread, by a message or an event that also
// wakes that thread.
void finished(const std::shared_ptr<Job>& job);

// True on the disk thread.
bool onDiskThread();
// True while a job is queued or running.
bool busy();
// Waits up to `milliseconds` for the disk thread to have no job queued or running; false if it
// still has one then, as when a call is blocked.
bool idleWithin(int milliseconds);
// True when nothing is queued, no job runs inside another (serveUntil), and every `then` ran.
// The job that asks from inside a serveUntil does not count.
bool drained();

// On the disk thread, inside a job that waits for the window's thread: runs further queued jobs
// until `ready()` holds, since that thread may need the disk meanwhile. The job that waits
// makes no disk call meanwhile, so calls still never overlap.
void serveUntil(const std::function<bool()>& ready);
// Has serveUntil look at its `ready()` again.
void wake();

// Ends the disk thread if it is idle and returns true; false, leaving it, if it is not.
bool stop();

}  // namespace platform::disk
