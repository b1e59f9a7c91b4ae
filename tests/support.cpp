#include "support.h"

#include <QMessageBox>
#include <QTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace test {

TempFolder::TempFolder() : previous_(std::filesystem::current_path()) {
  std::string pattern = (std::filesystem::temp_directory_path() / "namewisp-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  std::filesystem::current_path(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void TempFolder::write(const std::string& name, const std::string& content) const {
  std::ofstream(path_ / name, std::ios::binary) << content;
}

void TempFolder::makeEmpty(const std::string& prefix, int count) const {
  for (int i = 0; i < count; ++i) {
    const int fd = open((path_ / (prefix + std::to_string(i))).c_str(), O_CREAT | O_WRONLY, 0644);
    if (fd < 0) throw std::runtime_error("cannot make " + prefix + std::to_string(i));
    close(fd);
  }
}

std::map<std::string, std::string> TempFolder::contents() const {
  std::map<std::string, std::string> result;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) {
    const std::string name = entry.path().filename().string();
    result[name] = entry.is_directory() ? "<dir>" : readFile(entry.path());
  }
  return result;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

DialogWatcher::DialogWatcher(std::function<void()> whileOpen) : whileOpen_(std::move(whileOpen)) {
  timer_.setInterval(5);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    dialogs_.push_back(
        {box->windowTitle(), box->text(), box->icon(), static_cast<int>(box->buttons().size())});
    if (whileOpen_) whileOpen_();
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
      ok->click();
    } else {
      box->reject();
    }
  });
  timer_.start();
}

Window::Window() : form_(std::make_unique<frmClean>()) {
  form_->Show();
  QWidget* window = widget();
  window->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(window));
}

Window::~Window() = default;

QWidget* Window::widget() const {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->objectName() == "frmClean" && top->isVisible()) return top;
  }
  return nullptr;
}

QLineEdit* Window::text() const {
  return widget()->findChild<QLineEdit*>("txtRemove");
}

QAbstractItemView* Window::list() const {
  return widget()->findChild<QAbstractItemView*>("FileChoice");
}

QPushButton* Window::button(const char* name) const {
  return widget()->findChild<QPushButton*>(name);
}

QStringList Window::shown() const {
  QStringList names;
  const QAbstractItemModel* model = list()->model();
  for (int row = 0; row < model->rowCount(); ++row) {
    names << model->index(row, 0).data().toString();
  }
  return names;
}

void Window::press(const char* name) const {
  QTest::mouseClick(button(name), Qt::LeftButton);
}

void Window::settle() {
  QCoreApplication::processEvents();
}

}  // namespace test
