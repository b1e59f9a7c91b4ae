// One press of Clean in the working directory, clicked through the real window as a user
// clicks, then the program ends: for bench/interrupted_presses, which kills it mid-press.
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>

#include "ui/frm_clean.h"
#include "ui/platform/platform.h"

int main(int argc, char** argv) {
  platform::Application app(argc, argv);
  if (argc != 2) return 2;
  frmClean form;
  form.Show();
  // A refusal is told on standard error and skipped: no one is there to answer it.
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    std::fprintf(stderr, "%s\n", qPrintable(box->text()));
    for (QAbstractButton* button : box->buttons()) {
      if (button->text().remove('&') == "Skip") return button->click();
    }
    box->close();
  });
  answer.start(20);
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* text = window->findChild<QLineEdit*>("txtRemove");
    auto* clean = window->findChild<QPushButton*>("cmdClean");
    if (text == nullptr || clean == nullptr) continue;
    text->setText(QString::fromLocal8Bit(argv[1]));
    QTest::mouseClick(clean, Qt::LeftButton);
    return 0;
  }
  return 1;
}
