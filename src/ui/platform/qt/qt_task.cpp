#include "ui/platform/qt/qt_task.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>

#include <stdexcept>

#include "app_info.h"
#include "ui/platform/disk_thread.h"
#include "ui/platform/posix/folder_facts.h"
#include "ui/platform/qt/qt_text.h"

namespace platform::qt {

namespace {

using namespace std::chrono_literals;

// Events are handled this often between steps: well inside what a screen reader or a window
// manager waits for, and rare enough to cost nothing next to the steps.
constexpr auto kTurn = 30ms;
// A task that ends sooner shows no progress at all, not even a flash.
constexpr auto kShowAfter = 500ms;
// What was drawn is sent to the display this often, the progress window redrawn first: ten
// times a second reads as smooth, and doing both at every turn would cost the work 1% or more.
constexpr auto kDrawEvery = 100ms;

bool isUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:  // an input method's commit would change the text mid-task
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
    case QEvent::Gesture:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::Close:  // the close box would end the program in the middle of the work
      return true;
    default:
      return false;
  }
}

}  // namespace

QtTask::QtTask(QWidget& form, std::size_t total, const Text& label)
    : form_(form), total_(total), label_(toQString(label)) {
  // A second task would take over the first's input filter and then drop it with its own.
  if (current_ != nullptr) throw std::logic_error("a task is already running");
  current_ = this;
  // What the rename service learned of a folder holds for one press; a wait is not one.
  if (label.empty()) posix::beginPress();
  qApp->installEventFilter(this);
  // Only wakes a wait, which then shows the progress window; the turns between steps look at
  // the clock themselves.
  showTimer_.setSingleShot(true);
  showTimer_.start(kShowAfter);
}

QtTask::~QtTask() {
  delete progress_;
  // A task longer than a turn answers once more as it ends, so that the re-read and repaint
  // that follow it are all the window waits through, not a turn on top of them.
  if (Clock::now() - started_ >= kTurn) {
    pumping_ = true;
    QGuiApplication::sync();
    pumping_ = false;
  }
  qApp->removeEventFilter(this);
  current_ = nullptr;
  for (std::function<void()>& work : held_)
    post(std::move(work));
}

bool QtTask::proceed(std::size_t done) {
  done_ = done;
  const Clock::time_point now = Clock::now();
  if (now < nextTurn_ || cancelled_) return !cancelled_;
  nextTurn_ = now + kTurn;
  pumping_ = true;  // from before the drawing: a modal QProgressDialog handles events in setValue()
  if (now >= nextDraw_) {
    nextDraw_ = now + kDrawEvery;
    if (progress_ == nullptr && now - started_ >= kShowAfter) showProgress();
    if (progress_ != nullptr) showDone();
    // Handles events and also sends what was drawn: X11 and Wayland requests go out when the
    // loop is about to wait, which a loop that never waits does not do. That takes a round trip
    // to the display, so it is not done at every turn.
    QGuiApplication::sync();
  } else {
    QCoreApplication::processEvents();
  }
  pumping_ = false;
  return !cancelled_;
}

bool QtTask::wait(const DiskWork& work) {
  const auto& job = static_cast<const disk::Job&>(work);
  if (job.endedOrWatched()) return true;
  const bool was = pumping_;
  pumping_ = true;
  // Sleeps until an event comes: the job's end is one, sent by the disk thread.
  while (!job.done() && !cancelled_) {
    if (progress_ == nullptr && Clock::now() - started_ >= kShowAfter) showProgress();
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  pumping_ = was;
  return job.done();
}

bool QtTask::releaseHeld() {
  const bool was = pumping_;
  pumping_ = false;
  std::vector<std::function<void()>> held;
  held.swap(held_);
  for (std::function<void()>& work : held)
    work();
  return was;
}

void QtTask::showProgress() {
  progress_ = new QProgressDialog(&form_);
  progress_->setWindowTitle(toQString(NAMEWISP_TITLE));
  progress_->setWindowModality(Qt::WindowModal);
  progress_->setAutoReset(false);
  progress_->setAutoClose(false);
  progress_->setMinimumDuration(0);
  if (label_.isEmpty()) {
    progress_->setRange(0, static_cast<int>(total_));
    showDone();  // shown in a wait, too, as a rename stalls
  } else {
    progress_->setLabelText(label_);
    progress_->setRange(0, 0);  // a busy bar: a read cannot tell how far it is
  }
  // Cancel and the close box end in canceled(), Esc in rejected().
  connect(progress_, &QProgressDialog::canceled, this, [this] { cancelled_ = true; });
  connect(progress_, &QDialog::rejected, this, [this] { cancelled_ = true; });
  progress_->show();
}

void QtTask::showDone() {
  progress_->setLabelText(
      QApplication::translate("Namewisp", "%1 of %2 files done").arg(done_).arg(total_));
  progress_->setValue(static_cast<int>(done_));
}

bool QtTask::eventFilter(QObject* watched, QEvent* event) {
  if (!isUserInput(event->type()) || !watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  if (widget != &form_ && !form_.isAncestorOf(widget)) return false;
  event->ignore();  // a close event left accepted would still close the window
  return true;
}

}  // namespace platform::qt
