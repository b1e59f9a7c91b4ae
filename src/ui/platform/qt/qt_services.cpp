// The process-wide services of platform.h, for Qt on POSIX.
#include <QApplication>
#include <QCollator>
#include <QLocale>
#include <QMessageBox>
#include <QMetaObject>

#include <algorithm>
#include <numeric>

#include "app_info.h"
#include "ui/platform/platform.h"
#include "ui/platform/posix/posix_files.h"
#include "ui/platform/qt/qt_text.h"

namespace platform {

using qt::fromQString;
using qt::toQString;

struct Application::Impl {
  Impl(int& argc, char** argv) : app(argc, argv) {}
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
  QMetaObject::invokeMethod(qApp, std::move(task), Qt::QueuedConnection);
}

NativeName workingDirectory() {
  return posix::currentDirectory();
}

std::vector<NativeName> listFiles(const NativeName& folder) {
  std::vector<NativeName> names = posix::readFileNames(folder);

  QCollator collator;  // the user's locale
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  // Folding first also makes the C locale, which compares code points, ignore case.
  std::vector<QCollatorSortKey> keys;
  keys.reserve(names.size());
  for (const NativeName& name : names) {
    keys.push_back(collator.sortKey(QString::fromUtf8(name).toCaseFolded()));
  }
  std::vector<std::size_t> order(names.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const int byKey = keys[a].compare(keys[b]);
    return byKey != 0 ? byKey < 0 : names[a] < names[b];  // bytes break ties, so order is total
  });

  std::vector<NativeName> sorted;
  sorted.reserve(names.size());
  for (const std::size_t i : order)
    sorted.push_back(std::move(names[i]));
  return sorted;
}

Text toLower(const Text& text) {
  return fromQString(QLocale().toLower(toQString(text)));
}

Text toText(const NativeName& name) {
  return fromQString(QString::fromUtf8(name));
}

NativeName toNative(const Text& text) {
  return toQString(text).toStdString();
}

}  // namespace platform
