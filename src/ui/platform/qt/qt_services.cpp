// The process-wide services of platform.h, for Qt on POSIX.
#include <QApplication>
#include <QLocale>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>

#include <string>

#include "app_info.h"
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

Application::Application(int& argc, char** argv) : impl_(std::make_unique<Impl>(argc, argv)) {}
Application::~Application() = default;

int Application::exec() {
  return QApplication::exec();
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
        // Not between a task's steps: a re-read of a large folder there would cost more than
        // the steps. Qt runs what is posted here at its next turn, so this cannot spin.
        if (qt::QtTask::pumping()) return post(std::move(task));
        task();
      },
      Qt::QueuedConnection);
}

namespace posix {

Refusal reportRefusal(const Text& kind, const std::function<Text()>& message) {
  qt::QtTask* task = qt::QtTask::current();
  if (task != nullptr && task->skipped().contains(kind)) return Refusal::Skip;
  QMessageBox box(QMessageBox::Warning, toQString(NAMEWISP_TITLE), toQString(message()));
  box.setWindowModality(Qt::ApplicationModal);
  QPushButton* skip =
      box.addButton(QApplication::translate("Namewisp", "&Skip"), QMessageBox::AcceptRole);
  QPushButton* skipAll =
      box.addButton(QApplication::translate("Namewisp", "Skip &All"), QMessageBox::AcceptRole);
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(skip);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == cancel) return Refusal::Cancel;
  if (box.clickedButton() == skipAll && task != nullptr) task->skipped().insert(kind);
  return Refusal::Skip;
}

}  // namespace posix

NativeName workingDirectory() {
  return posix::holdWorkingFolder();
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
