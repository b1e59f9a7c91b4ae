// For the start benchmark's children: says "shown" on the file descriptor in NAMEWISP_BENCH_FD
// once the first window has been painted; then, once `filled` has returned (the list holds the
// folder), the process's peak resident memory (KiB), and ends the event loop. The parent times
// from its exec to each line.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

namespace bench {

class ShownSignal final : public QObject {
 public:
  explicit ShownSignal(std::function<void()> filled = {}) : filled_(std::move(filled)) {
    qApp->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!done_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow()) {
      done_ = true;
      // After this paint has reached the screen: the next turn of the loop.
      QTimer::singleShot(0, [this] {
        say("shown\n");
        if (filled_) filled_();
        // VmHWM rather than getrusage: ru_maxrss carries over the spawning process's peak.
        std::ifstream status("/proc/self/status");
        std::string line, word = "0\n";
        while (std::getline(status, line)) {
          if (line.rfind("VmHWM:", 0) == 0)
            word = std::to_string(std::atol(line.c_str() + 6)) + "\n";
        }
        say(word);
        QCoreApplication::quit();
      });
    }
    return false;
  }

 private:
  static void say(const std::string& word) {
    if (const char* fd = std::getenv("NAMEWISP_BENCH_FD")) {
      if (write(std::atoi(fd), word.data(), word.size()) < 0) std::abort();
    }
  }

  std::function<void()> filled_;
  bool done_ = false;
};

}  // namespace bench
