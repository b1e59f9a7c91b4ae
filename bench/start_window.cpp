// The floor for the start benchmark: a minimal Qt Widgets window with one list view of the
// working directory's files, shown.
#include <QApplication>
#include <QDir>
#include <QListView>
#include <QStringListModel>
#include <QWidget>

#include "shown_signal.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const bench::ShownSignal signal;
  QWidget window;
  window.setFixedSize(249, 257);
  QStringListModel model(QDir::current().entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
  QListView list(&window);
  list.setGeometry(8, 40, 233, 156);
  list.setModel(&model);
  window.show();
  return app.exec();
}
