// The window as the user meets it: layout, focus, keys, the text box and the handlers.
#include <gtest/gtest.h>
#include <QClipboard>
#include <QLabel>
#include <QListView>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <cstdlib>

#include "support.h"

namespace {

using test::TempFolder;
using test::Window;

int pixels(int twips) {
  const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
  return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

QColor bgr(unsigned value) {
  return QColor(value & 0xFF, (value >> 8) & 0xFF, value >> 16);
}

// In device pixels, at the scale the run asked for (QT_SCALE_FACTOR, given again in
// NAMEWISP_TEST_SCALE) or 1: what the window really covers on the screen.
TEST(Window, IsLaidOutAsItsTableSays) {
  TempFolder folder;
  Window window;
  QWidget* form = window.widget();
  const qreal scale = form->devicePixelRatio();
  const char* asked = std::getenv("NAMEWISP_TEST_SCALE");
  ASSERT_EQ(scale, asked != nullptr ? std::atof(asked) : 1.0) << "the scale the run asked for";
  const auto device = [scale](int twips) { return static_cast<int>(scale * pixels(twips)); };
  EXPECT_EQ(form->windowTitle(), "Namewisp");
  EXPECT_EQ(form->grab().size(), QSize(device(3735), device(3855)));
  if (QGuiApplication::primaryScreen()->logicalDotsPerInch() == 96) {
    EXPECT_EQ(form->grab().size(), QSize(249, 257) * scale);
  }
  EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "the border must not resize";
  EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Qt::black));

  struct Row {
    const char* name;
    int left, top, width, height;
    QString caption;
  };
  const Row rows[] = {
      {"lblText", 120, 120, 1575, 255, "Text to Remove"},
      {"txtRemove", 1680, 120, 1935, 360, ""},
      {"FileChoice", 120, 600, 3495, 2340, ""},
      {"cmdRefresh", 1560, 3240, 975, 495, "&Refresh"},
      {"cmdClean", 2640, 3240, 975, 495, "&Clean"},
      {"cmdClose", 480, 3240, 975, 495, "&Close"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto* control = form->findChild<QWidget*>(row.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(QRect(control->mapTo(form, QPoint(0, 0)) * scale, control->grab().size()),
              QRect(device(row.left), device(row.top), device(row.width), device(row.height)));
    EXPECT_EQ(control->font().family(), "Tahoma");
    EXPECT_EQ(control->font().pointSize(), 9);
    EXPECT_EQ(control->font().weight(), QFont::Normal);
    EXPECT_FALSE(control->font().italic() || control->font().underline() ||
                 control->font().strikeOut());
    if (auto* button = qobject_cast<QPushButton*>(control)) {
      EXPECT_EQ(button->text(), row.caption);
      EXPECT_FALSE(button->isDefault() || button->autoDefault());
    }
  }
  auto* label = form->findChild<QLabel*>("lblText");
  EXPECT_EQ(label->text(), "Text to Remove");
  EXPECT_EQ(label->palette().color(QPalette::WindowText), bgr(0x00FFFF));
  EXPECT_EQ(label->palette().color(QPalette::Window), bgr(0x000000));
  for (QWidget* box :
       {static_cast<QWidget*>(window.text()), static_cast<QWidget*>(window.list())}) {
    SCOPED_TRACE(box->objectName().toStdString());
    EXPECT_EQ(box->palette().color(QPalette::Text), bgr(0xC0C0C0));
    EXPECT_EQ(box->palette().color(QPalette::Base), bgr(0x000000));
  }
}

TEST(Window, StartsInTheTextBoxAndTabsRefreshCleanClose) {
  TempFolder folder;
  folder.write("a.txt");
  Window window;
  EXPECT_EQ(QApplication::focusWidget(), window.text());
  const char* order[] = {"FileChoice", "cmdRefresh", "cmdClean", "cmdClose", "txtRemove"};
  for (const char* name : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), name);
  }
  EXPECT_EQ(window.text()->text(), "") << "tabbing through the list selects nothing";
}

TEST(Window, EnterAndEscInTheTextBoxPressNoButton) {
  TempFolder folder;
  folder.write("a_old.txt");
  Window window;
  QSignalSpy refresh(window.button("cmdRefresh"), &QPushButton::clicked);
  QSignalSpy clean(window.button("cmdClean"), &QPushButton::clicked);
  QSignalSpy close(window.button("cmdClose"), &QPushButton::clicked);
  QTest::keyClicks(window.text(), "_old");
  QTest::keyClick(window.text(), Qt::Key_Return);
  QTest::keyClick(window.text(), Qt::Key_Enter);
  QTest::keyClick(window.text(), Qt::Key_Escape);
  Window::settle();
  EXPECT_EQ(refresh.count() + clean.count() + close.count(), 0);
  EXPECT_TRUE(window.widget()->isVisible());
  EXPECT_EQ(folder.contents().count("a_old.txt"), 1u);
}

TEST(Window, AccessKeysPressTheirButtons) {
  TempFolder folder;
  Window window;
  QSignalSpy refresh(window.button("cmdRefresh"), &QPushButton::clicked);
  folder.write("new.txt");
  QTest::keyClick(window.text(), Qt::Key_R, Qt::AltModifier);
  // An access key presses its button the way a click does, with a short visible delay.
  EXPECT_TRUE(QTest::qWaitFor([&] { return refresh.count() == 1; }, 2000));
  Window::settle();
  EXPECT_EQ(window.shown(), QStringList{"new.txt"});
}

TEST(Window, TextBoxHoldsSixtyCharactersAndNeverHalfACharacter) {
  TempFolder folder;
  Window window;
  QLineEdit* box = window.text();
  QTest::keyClicks(box, QString(70, 'x'));
  EXPECT_EQ(box->text(), QString(60, 'x'));

  box->clear();
  QTest::keyClicks(box, QString(59, 'y'));
  // One key that types a character outside the Basic Multilingual Plane: two code units.
  QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString::fromUtf8("😀"), Qt::NoModifier);
  EXPECT_EQ(box->text(), QString(59, 'y'));
  box->clear();
  QTest::keyClicks(box, QString(58, 'y'));
  QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString::fromUtf8("😀"), Qt::NoModifier);
  EXPECT_EQ(box->text(), QString(58, 'y') + QString::fromUtf8("😀"));
}

// As a single-line box on Windows takes a paste: up to the first line break, so that a line
// copied from a terminal, its break with it, still cleans.
TEST(Window, PastedTextKeepsWhatPrecedesItsFirstLineBreak) {
  struct Case {
    const char* held;
    int cursor;
    const char* pasted;
    const char* kept;
  };
  const Case cases[] = {
      {"", 0, "_old\n", "_old"},
      {"", 0, "_old\r\nnext line\n", "_old"},
      {"ab", 1, "X\nY", "aXb"},
      {"ab", 2, "\nY", "ab"},
  };
  TempFolder folder;
  folder.write("a_old.txt");
  Window window;
  QLineEdit* box = window.text();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pasted);
    box->setText(c.held);
    box->setCursorPosition(c.cursor);
    QGuiApplication::clipboard()->setText(c.pasted);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->text().toStdString(), c.kept);
  }
  box->clear();
  QGuiApplication::clipboard()->setText("_old\n");
  QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
  window.press("cmdClean");
  Window::settle();
  EXPECT_EQ(window.shown(), QStringList{"a.txt"});
}

TEST(Window, SelectingAnEntryCopiesItsBareNameCutToSixty) {
  TempFolder folder;
  const std::string longName = std::string(59, 'l') + "😀" + "_tail.txt";  // pair at 59..60
  folder.write("report_old.txt");
  folder.write(std::string(70, 'm'));
  folder.write(longName);
  Window window;
  QAbstractItemView* list = window.list();
  QTest::keyClicks(window.text(), "typed");

  auto click = [&](const QString& name) {
    const QModelIndexList hits = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole,
                                                      name, 1, Qt::MatchExactly);
    ASSERT_EQ(hits.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(hits[0]).center());
  };
  click("report_old.txt");
  EXPECT_EQ(window.text()->text(), "report_old.txt");
  window.text()->setText("report");
  click("report_old.txt");  // again, though already selected
  EXPECT_EQ(window.text()->text(), "report_old.txt");
  click(QString(70, 'm'));
  EXPECT_EQ(window.text()->text(), QString(60, 'm'));
  click(QString::fromStdString(longName));
  EXPECT_EQ(window.text()->text(), QString(59, 'l'));

  list->setFocus();  // the keyboard selects too
  QTest::keyClick(list, Qt::Key_End);
  EXPECT_EQ(window.text()->text(), "report_old.txt");
}

TEST(Window, ARereadKeepsWhatTheUserTyped) {
  TempFolder folder;
  folder.write("a.txt");
  folder.write("b.txt");
  Window window;
  window.list()->setCurrentIndex(window.list()->model()->index(1, 0));
  EXPECT_EQ(window.text()->text(), "b.txt");
  window.text()->setText("mine");
  std::filesystem::remove(folder.path() / "a.txt");  // the selection moves or goes
  QTest::mouseClick(window.button("cmdRefresh"), Qt::LeftButton);
  Window::settle();
  EXPECT_EQ(window.shown(), QStringList{"b.txt"});
  EXPECT_EQ(window.text()->text(), "mine");
}

TEST(Window, RefreshBringsTheListUpToDate) {
  TempFolder folder;
  folder.write("keep.txt");
  folder.write("gone.txt");
  Window window;
  EXPECT_EQ(window.shown(), (QStringList{"gone.txt", "keep.txt"}));
  folder.write("added.txt");
  std::filesystem::rename(folder.path() / "keep.txt", folder.path() / "kept.txt");
  std::filesystem::remove(folder.path() / "gone.txt");
  Window::settle();
  EXPECT_EQ(window.shown(), (QStringList{"gone.txt", "keep.txt"})) << "a snapshot until re-read";
  EXPECT_EQ(window.form().FileChoice.List(1), "keep.txt");
  QTest::mouseClick(window.button("cmdRefresh"), Qt::LeftButton);
  Window::settle();
  EXPECT_EQ(window.shown(), (QStringList{"added.txt", "kept.txt"}));
  EXPECT_EQ(window.form().FileChoice.ListCount(), 2u);
  EXPECT_EQ(window.form().FileChoice.List(2), "") << "past the end reads as an empty name";
}

TEST(Window, CloseAndTheCloseBoxEndTheEventLoop) {
  TempFolder folder;
  for (const bool byButton : {true, false}) {
    SCOPED_TRACE(byButton ? "Close button" : "close box");
    Window window;
    QTimer::singleShot(0, [&] {
      if (byButton) {
        QTest::mouseClick(window.button("cmdClose"), Qt::LeftButton);
      } else {
        window.widget()->close();  // what the title bar's close box does
      }
    });
    QTimer guard;  // ends a loop that would not end; gone with this scope
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(window.widget(), nullptr) << "no visible window is left";
  }
}

// The list gives its current entry back when the focus returns; a click that brings the focus
// still picks the entry under the pointer, wherever the list was scrolled to meanwhile.
TEST(Window, AClickIntoAScrolledListPicksTheEntryUnderThePointer) {
  TempFolder folder;
  folder.makeEmpty("f", 100);
  Window window;
  QAbstractItemView* list = window.list();
  const QModelIndex first = list->model()->index(0, 0);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(first).center());
  QTest::mouseClick(window.text(), Qt::LeftButton);
  ASSERT_EQ(QApplication::focusWidget(), window.text());
  list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
  const QModelIndex last = list->model()->index(99, 0);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(last).center());
  EXPECT_EQ(window.text()->text(), last.data().toString());
}

}  // namespace
