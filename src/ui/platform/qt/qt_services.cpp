// The process-wide services of platform.h, for Qt on POSIX.
#include <QApplication>
#include <QLocale>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app_info.h"
#include "ui/platform/disk_thread.h"
#include "ui/platform/platform.h"
#include "ui/platform/posix/posix_files.h"
#include "ui/platform/posix/refusal.h"
#include "ui/platform/qt/qt_task.h"
#include "ui/platform/qt/qt_text.h"

namespace platform {

using qt::fromQString;
using qt::toQString;

struct Application::Impl {
  Impl(int& argc, char** argv) : app(argc, argv) {
    // Ties the window to its desktop entry: its icon and name in a Wayland shell's task list.
    QGuiApplication::setDesktopFileName(QStringLiteral(NAMEWISP_APP_ID));
  }
  QApplication app;
};

namespace {
// How long a closed program waits for a disk call under way before it ends without it.
constexpr int kLetFinishMs = 250;
}  // namespace

Application::Application(int& argc, char** argv) : impl_(std::make_unique<Impl>(argc, argv)) {}

Application::~Application() {
  // A disk call still blocked may yet end and post to the application: leave it in place.
  if (!disk::stop()) (void)impl_.release();
}

int Application::exec() {
  const int status = QApplication::exec();
  // The user closed the window while a disk call is still blocked, as on a share that went
  // away: ending now leaves nothing for the call to find torn down, whenever it returns. A call
  // that is merely under way, a local read say, is let finish.
  if (!disk::idleWithin(kLetFinishMs)) {
    std::fflush(nullptr);
    std::_Exit(status);
  }
  return status;
}

void messageBox(const Text& text) {
  QMessageBox box(QMessageBox::NoIcon, toQString(NAMEWISP_TITLE), toQString(text), QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void post(std::function<void()> task) {
  QMetaObject::invokeMethod(
      qApp,
      [task = std::move(task)]() mutable {
        // Not while a task handles events: a re-read of a large folder between the steps of a
        // press would cost more than the steps.
        if (qt::QtTask::holding()) return qt::QtTask::current()->hold(std::move(task));
        task();
      },
      Qt::QueuedConnection);
}

namespace disk {

void threadStarted() {}

void finished(const std::shared_ptr<Job>& job) {
  // The event itself wakes the window's thread, should it sleep waiting for the job.
  QMetaObject::invokeMethod(
      qApp, [job] { job->runThen(); }, Qt::QueuedConnection);
}

}  // namespace disk

namespace {

// Runs `ask` on the window's thread and returns its answer, from whichever thread; the disk
// thread runs other queued work meanwhile (disk::serveUntil).
template <typename Answer>
Answer onWindowThread(const std::function<Answer()>& ask) {
  if (!disk::onDiskThread()) return ask();
  Answer answer{};
  std::atomic<bool> answered{false};
  QMetaObject::invokeMethod(
      qApp,
      [&] {
        answer = ask();
        answered.store(true);
        disk::wake();
      },
      Qt::QueuedConnection);
  disk::serveUntil([&] { return answered.load(); });
  return answer;
}

bool skippedInThisTask(const Text& kind) {
  qt::QtTask* task = qt::QtTask::current();
  return task != nullptr && task->skipped().contains(kind);
}

posix::Refusal askUser(const Text& kind, const Text& message) {
  qt::QtTask* task = qt::QtTask::current();
  // A dialog opens: work held for the end of the task runs first, a coalesced re-read of the
  // folder among it, and its read ends before the dialog shows, so that the list behind the
  // dialog is the folder as it is now.
  const bool pumping = task != nullptr && task->releaseHeld();
  while (!disk::drained())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  QMessageBox box(QMessageBox::Warning, toQString(NAMEWISP_TITLE), toQString(message));
  box.setWindowModality(Qt::ApplicationModal);
  QPushButton* skip =
      box.addButton(QApplication::translate("Namewisp", "&Skip"), QMessageBox::AcceptRole);
  QPushButton* skipAll =
      box.addButton(QApplication::translate("Namewisp", "Skip &All"), QMessageBox::AcceptRole);
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(skip);
  box.setEscapeButton(cancel);
  box.exec();
  if (task != nullptr) task->setPumping(pumping);
  if (box.clickedButton() == cancel) return posix::Refusal::Cancel;
  if (box.clickedButton() == skipAll && task != nullptr) task->skipped().insert(kind);
  return posix::Refusal::Skip;
}

}  // namespace

namespace posix {

// Called by the rename service on the disk thread. The question whether to ask and the dialog
// belong to the window's thread; the message is made here, since it may read the folder.
Refusal reportRefusal(const Text& kind, const std::function<Text()>& message) {
  if (onWindowThread<bool>([&] { return skippedInThisTask(kind); })) return Refusal::Skip;
  const Text text = message();
  return onWindowThread<Refusal>([&] { return askUser(kind, text); });
}

}  // namespace posix

NativeName workingDirectory() {
  // The path comes from the kernel's own record; holding the folder open asks its disk, so that
  // is the disk thread's first job, before the read that uses it.
  std::string path = posix::currentDirectory();
  if (!path.empty()) runOnDiskThread([path] { posix::holdWorkingFolder(path); });
  return path;
}

Text toLower(const Text& text) {
  return fromQString(QLocale().toLower(toQString(text)));
}

Text toText(NameList::Name name) {
  return fromQString(qt::fromNative(name));
}

NativeName toNative(const Text& text) {
  return toQString(text).toStdString();
}

}  // namespace platform
