// The process-wide services of platform.h, for Qt on POSIX.
#include <QApplication>
#include <QLocale>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>

#include <string>

#include <unicode/ucol.h>

#include "app_info.h"
#include "ui/platform/name_order.h"
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
  return posix::currentDirectory();
}

namespace {

// Sort keys as plain bytes, so that sorting a large folder compares memory and nothing else.
class NameCollator {
 public:
  NameCollator() {
    const QLocale locale;  // the user's
    if (locale.language() == QLocale::C) return;
    UErrorCode status = U_ZERO_ERROR;
    collator_ = ucol_open(locale.name().toUtf8().constData(), &status);
    if (U_FAILURE(status)) {
      collator_ = nullptr;
      return;
    }
    ucol_setStrength(collator_, UCOL_SECONDARY);  // letter case ignored, accents not
  }
  ~NameCollator() {
    if (collator_ != nullptr) ucol_close(collator_);
  }
  NameCollator(const NameCollator&) = delete;
  NameCollator& operator=(const NameCollator&) = delete;

  std::string key(const NativeName& name) const {
    // Folding first also makes the C locale, which orders by code point, ignore case.
    const QString folded = qt::fromNative(name).toCaseFolded();
    if (collator_ == nullptr) return folded.toStdString();  // UTF-8 sorts in code point order
    const auto* text = reinterpret_cast<const UChar*>(folded.utf16());
    const auto length = static_cast<std::int32_t>(folded.size());
    std::string key(static_cast<std::size_t>(length) * 2 + 16, '\0');
    for (;;) {
      const std::int32_t size =
          ucol_getSortKey(collator_, text, length, reinterpret_cast<std::uint8_t*>(key.data()),
                          static_cast<std::int32_t>(key.size()));
      if (static_cast<std::size_t>(size) <= key.size()) {
        key.resize(static_cast<std::size_t>(size));
        return key;
      }
      key.resize(static_cast<std::size_t>(size));
    }
  }

 private:
  UCollator* collator_ = nullptr;
};

}  // namespace

std::vector<NativeName> listFiles(const NativeName& folder) {
  const NameCollator collator;
  return sortedByKey(posix::readFileNames(folder),
                     [&](const NativeName& name) { return collator.key(name); });
}

Text toLower(const Text& text) {
  return fromQString(QLocale().toLower(toQString(text)));
}

Text toText(const NativeName& name) {
  return fromQString(qt::fromNative(name));
}

NativeName toNative(const Text& text) {
  return toQString(text).toStdString();
}

}  // namespace platform
