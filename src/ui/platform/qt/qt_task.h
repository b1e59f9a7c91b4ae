// Long work on the one thread, for Qt. Internal to src/ui/platform/qt/.
#pragma once

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QWidget>

#include <chrono>
#include <set>

#include "ui/platform/platform.h"

namespace platform::qt {

class QtTask final : public QObject, public Task {
 public:
  QtTask(QWidget& form, std::size_t total);
  ~QtTask() override;

  bool proceed(std::size_t done) override;

  // The running task, if any.
  static QtTask* current() { return current_; }
  // True while a task handles events between its steps.
  static bool pumping() { return pumping_; }
  // Kinds of refusal for which the user chose Skip All in this task.
  std::set<Text>& skipped() { return skipped_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using Clock = std::chrono::steady_clock;

  void showProgress();

  QWidget& form_;
  std::size_t total_;
  Clock::time_point started_ = Clock::now();
  Clock::time_point nextTurn_ = started_;
  Clock::time_point nextDraw_ = started_;
  QPointer<QProgressDialog> progress_;  // deleted with the form, should it go first
  bool cancelled_ = false;
  std::set<Text> skipped_;

  static inline QtTask* current_ = nullptr;
  static inline bool pumping_ = false;
};

}  // namespace platform::qt
