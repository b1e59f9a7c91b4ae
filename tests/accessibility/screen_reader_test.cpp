// The window as a screen reader meets it through Qt's accessibility tree: what each object is
// called, which one has the focus, and the buttons pressed through their actions.
#include <gtest/gtest.h>
#include <QAccessible>
#include <QLabel>
#include <QTest>

#include <functional>

#include "support.h"

namespace {

using test::TempFolder;
using test::Window;

QAccessibleInterface* accessible(QObject* object) {
  return QAccessible::queryAccessibleInterface(object);
}

// What reports itself focused: controls by object name, list entries by their text.
QStringList focusedObjects(QAccessibleInterface* object) {
  QStringList focused;
  if (object->state().focused) {
    focused.push_back(object->object() != nullptr ? object->object()->objectName()
                                                  : object->text(QAccessible::Name));
  }
  for (int i = 0; i < object->childCount(); ++i)
    focused += focusedObjects(object->child(i));
  return focused;
}

void pressAction(QObject* button) {
  QAccessibleActionInterface* actions = accessible(button)->actionInterface();
  ASSERT_NE(actions, nullptr);
  ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
  actions->doAction(QAccessibleActionInterface::pressAction());
}

TEST(ScreenReader, NamesEveryControlAndEachEntry) {
  TempFolder folder;
  folder.write("a.txt");
  folder.write("b.txt");
  Window window;
  struct Row {
    QObject* object;
    QAccessible::Role role;
    QString name;
  };
  const Row rows[] = {
      {window.widget(), QAccessible::Window, "Namewisp"},
      {window.widget()->findChild<QLabel*>("lblText"), QAccessible::StaticText, "Text to Remove"},
      {window.text(), QAccessible::EditableText, "Text to Remove"},  // from the label before it
      {window.list(), QAccessible::List, "Files"},
      {window.button("cmdRefresh"), QAccessible::Button, "Refresh"},
      {window.button("cmdClean"), QAccessible::Button, "Clean"},
      {window.button("cmdClose"), QAccessible::Button, "Close"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name.toStdString());
    ASSERT_NE(row.object, nullptr);
    EXPECT_EQ(accessible(row.object)->role(), row.role);
    EXPECT_EQ(accessible(row.object)->text(QAccessible::Name), row.name);
  }
  QAccessibleInterface* list = accessible(window.list());
  ASSERT_EQ(list->childCount(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(list->child(i)->role(), QAccessible::ListItem);
    EXPECT_EQ(list->child(i)->text(QAccessible::Name), window.shown()[i]);
  }
  EXPECT_EQ(window.widget()->findChildren<QLabel*>().size(), 1) << "the list's name is not shown";
}

// After a re-read the tree is only right where a screen reader listens, which offscreen nobody
// does: the AT-SPI test checks that case on the real display.
TEST(ScreenReader, OneControlHasTheFocusAndOnlyTheFocusedListAnEntry) {
  TempFolder folder;
  folder.write("a.txt");
  folder.write("b.txt");
  Window window;
  const auto key = [](Qt::Key pressed) {
    return [=](Window&) { QTest::keyClick(QApplication::focusWidget(), pressed); };
  };
  const auto click = [](const char* name) {
    return [=](Window& w) {
      QTest::mouseClick(w.widget()->findChild<QWidget*>(name), Qt::LeftButton);
    };
  };
  const auto clickEntry = [](int row) {
    return [=](Window& w) {
      const QRect entry = w.list()->visualRect(w.list()->model()->index(row, 0));
      QTest::mouseClick(w.list()->viewport(), Qt::LeftButton, {}, entry.center());
    };
  };
  struct Step {
    const char* what;
    std::function<void(Window&)> act;
    QStringList focused;  // the control first, then the entry current in it
  };
  const Step steps[] = {
      {"start", [](Window&) {}, {"txtRemove"}},
      {"Tab", key(Qt::Key_Tab), {"FileChoice", "a.txt"}},
      {"Tab", key(Qt::Key_Tab), {"cmdRefresh"}},
      {"Tab", key(Qt::Key_Tab), {"cmdClean"}},
      {"Tab", key(Qt::Key_Tab), {"cmdClose"}},
      {"Tab", key(Qt::Key_Tab), {"txtRemove"}},
      {"Tab", key(Qt::Key_Tab), {"FileChoice", "a.txt"}},
      {"Down", key(Qt::Key_Down), {"FileChoice", "b.txt"}},
      {"click the text box", click("txtRemove"), {"txtRemove"}},
      {"Tab back to the list", key(Qt::Key_Tab), {"FileChoice", "b.txt"}},
      {"click an entry", clickEntry(0), {"FileChoice", "a.txt"}},
      {"Shift+Tab", key(Qt::Key_Backtab), {"txtRemove"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.act(window);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), step.focused.front());
    EXPECT_EQ(focusedObjects(accessible(window.widget())).join(", ").toStdString(),
              step.focused.join(", ").toStdString());
  }
}

TEST(ScreenReader, PressActionsRunTheButtonsHandlers) {
  TempFolder folder;
  folder.write("a_old.txt");
  Window window;
  folder.write("b_old.txt");
  pressAction(window.button("cmdRefresh"));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return window.shown() == QStringList({"a_old.txt", "b_old.txt"});
      },
      2000));

  QAccessibleEditableTextInterface* box = accessible(window.text())->editableTextInterface();
  ASSERT_NE(box, nullptr);
  box->insertText(0, "_old");
  EXPECT_EQ(window.text()->text(), "_old");
  pressAction(window.button("cmdClean"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return folder.contents().count("b.txt") == 1; }, 2000));
  Window::settle();
  EXPECT_EQ(folder.contents().size(), 2u);
  EXPECT_EQ(window.shown(), QStringList({"a.txt", "b.txt"}));

  QTimer::singleShot(0, [&] { pressAction(window.button("cmdClose")); });
  QTimer guard;  // ends a loop that would not end; gone with this scope
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
  guard.start(5000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(window.widget(), nullptr) << "no visible window is left";
}

}  // namespace
