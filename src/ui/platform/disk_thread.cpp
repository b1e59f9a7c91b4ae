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

void pause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// Calls `done()` until it holds or `microseconds` have passed; the clock is read every few
// dozen calls only.
template <typename Done>
bool spin(Done done, int microseconds) {
  const Clock::time_point until = Clock::now() + std::chrono::microseconds(microseconds);
  for (;;) {
    for (int i = 0; i < 64; ++i) {
      if (done()) return true;
      pause();
    }
    if (Clock::now() >= until) return done();
  }
}

}  // namespace

struct Thread {
  std::mutex mutex;
  std::condition_variable wakeup;  // the disk thread's sleep
  std::deque<std::shared_ptr<Job>> queue;
  std::atomic<bool> pending{false};  // the queue holds a job: read without the lock, to spin on
  bool sleeping = false;
  bool stopping = false;
  bool running = false;  // a job taken from the queue has not ended yet
  int nested = 0;        // jobs running inside serveUntil
  std::atomic<int> undelivered{0};
  std::thread worker;
  std::thread::id id;

  Thread() : worker([this] { loop(); }) {}

  void submit(std::shared_ptr<Job> job) {
    const std::lock_guard lock(mutex);
    queue.push_back(std::move(job));
    pending.store(true);
    if (sleeping) wakeup.notify_one();
  }

  // With the lock held and the queue not empty.
  std::shared_ptr<Job> take() {
    std::shared_ptr<Job> job = std::move(queue.front());
    queue.pop_front();
    pending.store(!queue.empty());
    return job;
  }

  void loop() {
    for (;;) {
      spin([this] { return pending.load(std::memory_order_relaxed); }, kSpinForNextMicroseconds);
      std::unique_lock lock(mutex);
      while (queue.empty() && !stopping) {
        sleeping = true;
        wakeup.wait(lock);
        sleeping = false;
      }
      if (queue.empty()) return;  // stopping
      std::shared_ptr<Job> job = take();
      running = true;
      lock.unlock();
      run(job);
      lock.lock();
      running = false;
    }
  }

  static void run(const std::shared_ptr<Job>& job);
};

namespace {

// Made on first use and never destroyed while its thread may run: a thread still blocked in a
// call when the process ends must find its queue and lock where they were.
Thread* instance = nullptr;
std::mutex instanceMutex;

Thread& diskThread() {
  const std::lock_guard lock(instanceMutex);
  if (instance == nullptr) {
    instance = new Thread;
    instance->id = instance->worker.get_id();
  }
  return *instance;
}

}  // namespace

void Thread::run(const std::shared_ptr<Job>& job) {
  job->work_();
  job->work_ = nullptr;  // what it held goes here, not on the window's thread
  if (job->hasThen_) ++diskThread().undelivered;
  job->done_.store(true);
  if (job->hasThen_ || job->watched_.load()) finished(job);
}

bool Job::watch() const {
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

bool Job::spinUntilDone(int microseconds) const {
  return spin([this] { return done_.load(std::memory_order_acquire); }, microseconds);
}

bool onDiskThread() {
  const std::lock_guard lock(instanceMutex);
  return instance != nullptr && std::this_thread::get_id() == instance->id;
}

bool busy() {
  Thread& t = diskThread();
  const std::lock_guard lock(t.mutex);
  return !t.queue.empty() || t.running;
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
  Thread* t = nullptr;
  {
    const std::lock_guard lock(instanceMutex);
    if (instance == nullptr) return true;
    t = instance;
  }
  {
    const std::lock_guard lock(t->mutex);
    if (!t->queue.empty() || t->running || t->nested > 0) return false;
    t->stopping = true;
    t->wakeup.notify_one();
  }
  t->worker.join();
  const std::lock_guard lock(instanceMutex);
  instance = nullptr;
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
