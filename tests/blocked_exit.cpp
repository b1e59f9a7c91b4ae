// Namewisp as src/ui/main.cpp runs it, in the working directory, over a disk whose second rename
// never returns: Clean is pressed, the press cancelled once its progress shows, and the window
// closed. For Stall.TheProgramEndsAtOnceWhenClosedWithARenameBlockedForGood, which times it.
#include <QApplication>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include <stdlib.h>

#include "slow_disk.h"
#include "ui/frm_clean.h"
#include "ui/platform/platform.h"

int main(int argc, char** argv) {
  using namespace std::chrono_literals;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  test::SlowDisk disk(0us, 0us);
  disk.stallAfter(1);
  platform::Application app(argc, argv);
  frmClean form;
  form.Show();
  QWidget* window = QApplication::topLevelWidgets().front();
  QTimer::singleShot(0, [window] {
    window->findChild<QLineEdit*>("txtRemove")->setText("_old");
    window->findChild<QPushButton*>("cmdClean")->click();
  });
  bool cancelled = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      auto* progress = qobject_cast<QProgressDialog*>(top);
      if (progress != nullptr && progress->isVisible() && disk.blocked() == 1 && !cancelled) {
        cancelled = true;
        progress->findChild<QPushButton*>()->click();
        return;
      }
    }
    // Once the press has ended, at the next turn of the loop.
    if (cancelled) window->findChild<QPushButton*>("cmdClose")->click();
  });
  poll.start(10);
  return app.exec();
}
