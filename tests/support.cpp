#include "support.h"

#include <QMessageBox>
#include <QTest>

#include <unistd.h>

#include <algorithm>

namespace test {

DialogWatcher::DialogWatcher(std::function<void()> whileOpen, QString answer)
    : whileOpen_(std::move(whileOpen)), answer_(std::move(answer)) {
  timer_.setInterval(5);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    dialogs_.push_back(
        {box->windowTitle(), box->text(), box->icon(), static_cast<int>(box->buttons().size())});
    if (whileOpen_) whileOpen_();
    for (QAbstractButton* button : box->buttons()) {
      if (button->text().remove('&') == answer_) {
        button->click();
        return;
      }
    }
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
      ok->click();
    } else {
      box->reject();
    }
  });
  timer_.start();
}

ActingAsNobody::ActingAsNobody() {
  if (geteuid() == 0) changed_ = seteuid(65534) == 0;
}

ActingAsNobody::~ActingAsNobody() {
  if (changed_) {
    EXPECT_EQ(seteuid(0), 0);
  }
}

QProgressDialog* progressWindow() {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (auto* progress = qobject_cast<QProgressDialog*>(top); progress && progress->isVisible())
      return progress;
  }
  return nullptr;
}

Window::Window(clean::ShellService service, bool filled)
    : form_(std::make_unique<frmClean>(service)) {
  form_->Show();
  QWidget* window = widget();
  window->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(window));
  if (filled) form_->FileChoice.Current();
  latest_ = this;
}

Window::~Window() {
  if (latest_ == this) latest_ = nullptr;
}

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
  if (latest_ != nullptr) latest_->form_->FileChoice.Current();
}

void pressClean(Window& window, const QString& removal) {
  window.text()->clear();
  QTest::keyClicks(window.text(), removal);
  window.press("cmdClean");
  Window::settle();
}

std::vector<std::string> bytesOf(const std::map<std::string, std::string>& contents) {
  std::vector<std::string> bytes;
  for (const auto& [name, content] : contents)
    bytes.push_back(content);
  std::sort(bytes.begin(), bytes.end());
  return bytes;
}

}  // namespace test
