#include "ui/platform/disk_thread.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace platform::disk {

namespace {

using Clock = std::chrono::steady_clock;

// After a job, the disk thread looks for the next this long before it sleeps: a press hands it
// the next rename within a few microseconds, a turn of the window's events within milliseconds.
constexpr int kSpinForNextMicroseconds = 200;
// The window's thread spins this long for a job's end before it sleeps (Job::endedOrWatched):
// waking a sleeping thread costs tens of microseconds, more than a rename on a local disk.
constexpr int kSpinForEndMicroseconds = 200;

// Calls `done()` until it holds or `microseconds` have passed; the clock is read every few
// dozen calls only. No pause instruction between calls: a virtual machine may trap it, which
// made a round trip between the threads 17 times slower on the machine we measure on.
// After 50 microseconds it yields between calls too: on a busy machine the other thread may be
// waiting for this one's processor. Not sooner: a yield is a system call, and yielding from 5
// microseconds on had the handing over take 17% of a press of quick renames instead of 14%.
template <typename Done>
bool spin(Done done, int microseconds) {
  const Clock::time_point start = Clock::now();
  const Clock::time_point until = start + std::chrono::microseconds(microseconds);
  const Clock::time_point yieldFrom = start + std::chrono::microseconds(50);
  for (;;) {
    for (int i = 0; i < 64; ++i) {
      if (done()) return true;
    }
    const Clock::time_point now = Clock::now();
    if (now >= until) return done();
    if (now >= yieldFrom) std::this_thread::yield();
  }
}

}  // namespace

// Each thread takes the lock only briefly and never while the other spins for it: a thread that
// finds the lock taken sleeps in the kernel, and waking it costs more than a rename.
struct Thread {
  std::mutex mutex;
  std::condition_variable wakeup;  // the disk thread's sleep
  std::deque<std::shared_ptr<Job>> queue;
  std::atomic<bool> pending{false};  // the queue holds a job: read without the lock, to spin on
  std::atomic<bool> running{false};  // a job taken from the queue has not ended yet
  bool sleeping = false;
  bool stopping = false;
  int nested = 0;  // jobs running inside serveUntil
  std::atomic<int> undelivered{0};
  std::thread worker;
  std::thread::id id;

  Thread() : worker([this] { loop(); }) {}

  void submit(std::shared_ptr<Job> job) {
    bool asleep = false;
    {
      const std::lock_guard lock(mutex);
      queue.push_back(std::move(job));
      asleep = sleeping;
    }
    // After the lock is let go: a disk thread that spins on this finds the lock free.
    pending.store(true);
    if (asleep) wakeup.notify_one();
  }

  // With the lock held and the queue not empty.
  std::shared_ptr<Job> take() {
    std::shared_ptr<Job> job = std::move(queue.front());
    queue.pop_front();
    pending.store(!queue.empty());
    return job;
  }

  void loop() {
    threadStarted();
    for (;;) {
      spin([this] { return pending.load(std::memory_order_relaxed); }, kSpinForNextMicroseconds);
      std::unique_lock lock(mutex);
      while (queue.empty() && !stopping) {
        sleeping = true;
        wakeup.wait(lock);
        sleeping = false;
      }
      if (queue.empty()) return;  // stopping
      const std::shared_ptr<Job> job = take();
      running.store(true);
      lock.unlock();
      run(job);
      running.store(false);
    }
  }

  static void run(const std::shared_ptr<Job>& job);
};

namespace {

// Made on first use and never destroyed while its thread may run: a thread still blocked in a
// call when the process ends must find its queue and lock where they were.
std::atomic<Thread*> instance{nullptr};
std::mutex instanceMutex;

Thread& diskThread() {
  if (Thread* made = instance.load()) return *made;
  const std::lock_guard lock(instanceMutex);
  if (instance.load() == nullptr) {
    auto* made = new Thread;
    made->id = made->worker.get_id();
    instance.store(made);
  }
  return *instance.load();
}

}  // namespace

void Thread::run(const std::shared_ptr<Job>& job) {
  job->work_();
  job->work_ = nullptr;  // what it held goes here, not on the window's thread
  if (job->hasThen_) ++diskThread().undelivered;
  job->done_.store(true);
  if (job->hasThen_ || job->watched_.load()) finished(job);
}

bool Job::endedOrWatched() const {
  if (spin([this] { return done_.load(std::memory_order_acquire); }, kSpinForEndMicroseconds))
    return true;
  watched_.store(true);
  return done_.load();
}

void Job::runThen() {
  if (!then_) return;
  const std::function<void()> then = std::move(then_);
  then_ = nullptr;
  --diskThread().undelivered;
  then();
}

bool onDiskThread() {
  const Thread* t = instance.load();
  return t != nullptr && std::this_thread::get_id() == t->id;
}

bool busy() {
  Thread& t = diskThread();
  const std::lock_guard lock(t.mutex);
  return !t.queue.empty() || t.running.load();
}

bool idleWithin(int milliseconds) {
  const Clock::time_point until = Clock::now() + std::chrono::milliseconds(milliseconds);
  while (busy()) {
    if (Clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

bool drained() {
  Thread& t = diskThread();
  const std::lock_guard lock(t.mutex);
  return t.queue.empty() && t.nested == 0 && t.undelivered.load() == 0;
}

void serveUntil(const std::function<bool()>& ready) {
  Thread& t = diskThread();
  std::unique_lock lock(t.mutex);
  while (!ready()) {
    if (!t.queue.empty()) {
      const std::shared_ptr<Job> job = t.take();
      ++t.nested;
      lock.unlock();
      Thread::run(job);
      lock.lock();
      --t.nested;
      continue;
    }
    t.sleeping = true;
    t.wakeup.wait(lock);
    t.sleeping = false;
  }
}

void wake() {
  Thread& t = diskThread();
  const std::lock_guard lock(t.mutex);
  t.wakeup.notify_one();
}

bool stop() {
  const std::lock_guard made(instanceMutex);
  Thread* t = instance.load();
  if (t == nullptr) return true;
  {
    const std::lock_guard lock(t->mutex);
    if (!t->queue.empty() || t->running.load() || t->nested > 0) return false;
    t->stopping = true;
    t->wakeup.notify_one();
  }
  t->worker.join();
  instance.store(nullptr);
  delete t;
  return true;
}

}  // namespace platform::disk

namespace platform {

std::shared_ptr<const DiskWork> runOnDiskThread(std::function<void()> work,
                                                std::function<void()> then) {
  auto job = std::make_shared<disk::Job>(std::move(work), std::move(then));
  disk::diskThread().submit(job);
  return job;
}

}  // namespace platform
