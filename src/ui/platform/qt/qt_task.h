// Long work on the window's thread, for Qt: the Task of platform.h. Internal to
// src/ui/platform/qt/.
#pragma once

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <set>
#include <vector>

#include "ui/platform/platform.h"

namespace platform::qt {

class QtTask final : public QObject, public Task {
 public:
  // A task of `total` steps, or with a `label`, a wait without steps.
  QtTask(QWidget& form, std::size_t total, const Text& label = {});
  ~QtTask() override;

  bool proceed(std::size_t done) override;
  bool wait(const DiskWork& work) override;

  // The running task, if any.
  static QtTask* current() { return current_; }
  // True while a task handles events, between its steps or while it waits: work given to
  // post() is held until the task ends then.
  static bool holding() { return current_ != nullptr && current_->pumping_; }
  void hold(std::function<void()> work) { held_.push_back(std::move(work)); }
  // For a dialog that opens: runs the held work now, and takes no more until `pumping` is set
  // again; returns what it was.
  bool releaseHeld();
  void setPumping(bool pumping) { pumping_ = pumping; }
  // Kinds of refusal for which the user chose Skip All in this task.
  std::set<Text>& skipped() { return skipped_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using Clock = std::chrono::steady_clock;

  void showProgress();
  void showDone();

  QWidget& form_;
  std::size_t total_;
  std::size_t done_ = 0;  // steps done, as the last proceed() said
  QString label_;         // a wait's; empty for steps
  Clock::time_point started_ = Clock::now();
  Clock::time_point nextTurn_ = started_;
  Clock::time_point nextDraw_ = started_;
  QTimer showTimer_;                    // wakes a wait when the progress window is due
  QPointer<QProgressDialog> progress_;  // deleted with the form, should it go first
  bool cancelled_ = false;
  bool pumping_ = false;
  std::vector<std::function<void()>> held_;
  std::set<Text> skipped_;

  static inline QtTask* current_ = nullptr;
};

}  // namespace platform::qt
