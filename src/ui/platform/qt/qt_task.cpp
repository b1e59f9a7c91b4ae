#include "ui/platform/qt/qt_task.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>

#include "app_info.h"
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
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Close:  // the close box would end the program in the middle of the work
      return true;
    default:
      return false;
  }
}

}  // namespace

QtTask::QtTask(QWidget& form, std::size_t total) : form_(form), total_(total) {
  current_ = this;
  posix::beginPress();  // what the rename service learned of a folder holds for one press
  qApp->installEventFilter(this);
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
}

bool QtTask::proceed(std::size_t done) {
  const Clock::time_point now = Clock::now();
  if (now < nextTurn_ || cancelled_) return !cancelled_;
  nextTurn_ = now + kTurn;
  pumping_ = true;  // from before the drawing: a modal QProgressDialog handles events in setValue()
  if (now >= nextDraw_) {
    nextDraw_ = now + kDrawEvery;
    if (progress_ == nullptr && now - started_ >= kShowAfter) showProgress();
    if (progress_ != nullptr) {
      progress_->setLabelText(
          QApplication::translate("Namewisp", "%1 of %2 files done").arg(done).arg(total_));
      progress_->setValue(static_cast<int>(done));
    }
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

void QtTask::showProgress() {
  progress_ = new QProgressDialog(&form_);
  progress_->setWindowTitle(toQString(NAMEWISP_TITLE));
  progress_->setWindowModality(Qt::WindowModal);
  progress_->setAutoReset(false);
  progress_->setAutoClose(false);
  progress_->setMinimumDuration(0);
  progress_->setRange(0, static_cast<int>(total_));
  // Cancel and the close box end in canceled(), Esc in rejected().
  connect(progress_, &QProgressDialog::canceled, this, [this] { cancelled_ = true; });
  connect(progress_, &QDialog::rejected, this, [this] { cancelled_ = true; });
  progress_->show();
}

bool QtTask::eventFilter(QObject* watched, QEvent* event) {
  if (!isUserInput(event->type()) || !watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  if (widget != &form_ && !form_.isAncestorOf(widget)) return false;
  event->ignore();  // a close event left accepted would still close the window
  return true;
}

}  // namespace platform::qt
