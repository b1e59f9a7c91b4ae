// One whole session as a user has it: start, select a file, type, Clean, Close. Small on purpose:
// CI also runs it under valgrind, where every allocation is checked.
#include <gtest/gtest.h>
#include <QTest>

#include "support.h"

namespace {

using test::TempFolder;
using test::Window;

TEST(Session, StartSelectTypeCleanClose) {
  TempFolder folder;
  folder.write("a_old.txt");
  folder.write("b.txt");
  Window window;
  QAbstractItemView* list = window.list();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualRect(list->model()->index(0, 0)).center());
  ASSERT_EQ(window.text()->text(), "a_old.txt");
  window.text()->selectAll();
  QTest::keyClicks(window.text(), "_old");
  window.press("cmdClean");
  Window::settle();
  EXPECT_EQ(window.shown(), (QStringList{"a.txt", "b.txt"}));
  QTimer::singleShot(0, [&] { window.press("cmdClose"); });
  EXPECT_EQ(QApplication::exec(), 0);
}

}  // namespace
