// A long or failing Clean press through the real window: progress, a window that answers,
// Cancel, and one dialog for a storm of refusals of one kind.
#include <gtest/gtest.h>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

#include <sys/stat.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "support.h"

namespace {

using namespace std::chrono_literals;
using test::DialogWatcher;
using test::progressWindow;
using test::TempFolder;
using test::Window;
using Contents = std::map<std::string, std::string>;
using Clock = std::chrono::steady_clock;

// The real service on a medium where each rename takes 2 ms, as on a slow share.
int slowRename(SHFILEOPSTRUCT* request) {
  std::this_thread::sleep_for(2ms);
  return SHFileOperation(request);
}

int calls = 0;
int countedRename(SHFILEOPSTRUCT* request) {
  ++calls;
  return SHFileOperation(request);
}

// Looks at the screen every few milliseconds while the press runs, from the event loop, as a
// user or a screen reader would; `act` may answer what it sees.
class Observer {
 public:
  explicit Observer(std::function<void(QProgressDialog*)> act = {}) : act_(std::move(act)) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const Clock::time_point now = Clock::now();
      if (ticks_++ > 0) longestGap_ = std::max(longestGap_, now - last_);
      last_ = now;
      QProgressDialog* progress = progressWindow();
      if (progress != nullptr && seen_.isEmpty()) {
        seen_ = progress->labelText();
        title_ = progress->windowTitle();
        modal_ = progress->windowModality() == Qt::WindowModal;
        owner_ = progress->parentWidget();
      }
      if (act_) act_(progress);
    });
    timer_.start();
  }
  ~Observer() {
    std::printf("longest unanswered gap during the press: %.1f ms over %d turns\n",
                std::chrono::duration<double, std::milli>(longestGap_).count(), ticks_);
  }

  int ticks_ = 0;
  QString seen_, title_;  // the progress window's text and caption, once shown
  bool modal_ = false;
  QWidget* owner_ = nullptr;

 private:
  QTimer timer_;
  std::function<void(QProgressDialog*)> act_;
  Clock::time_point last_;
  Clock::duration longestGap_{};
};

void press(Window& window, const QString& removal) {
  window.text()->setText(removal);
  window.press("cmdClean");
  Window::settle();
}

TEST(Press, ALongPressShowsProgressWithoutFileNamesAndAShortOneShowsNone) {
  TempFolder folder;
  folder.makeEmpty("photo_old", 400);
  folder.write("z_old");
  Window window(&slowRename);
  {
    Observer short_;
    press(window, "z_");
    EXPECT_TRUE(short_.seen_.isEmpty()) << "no flash of progress for a short press";
  }
  Observer observer;
  const std::size_t reads = window.form().FileChoice.readCount();
  press(window, "_old");
  EXPECT_EQ(window.form().FileChoice.readCount(), reads + 1)
      << "one read after the press, none while the progress window is drawn";
  EXPECT_EQ(observer.seen_.right(17), "of 400 files done");
  EXPECT_FALSE(observer.seen_.contains("photo")) << observer.seen_.toStdString();
  EXPECT_EQ(observer.title_, "Namewisp");
  EXPECT_TRUE(observer.modal_);
  EXPECT_EQ(observer.owner_, window.widget());
  EXPECT_GT(observer.ticks_, 20) << "the window answered all along the press";
  EXPECT_EQ(progressWindow(), nullptr) << "closed when the press ends";
  EXPECT_EQ(window.shown().size(), 401);
  EXPECT_EQ(folder.contents().count("photo0"), 1u);
  EXPECT_EQ(folder.contents().count("old"), 1u);
}

TEST(Press, CancelStopsBeforeTheNextRenameAndLosesNothing) {
  const std::function<void(QProgressDialog*)> cancels[] = {
      [](QProgressDialog* p) { p->findChild<QPushButton*>()->click(); },
      [](QProgressDialog* p) { QTest::keyClick(p, Qt::Key_Escape); },
      [](QProgressDialog* p) { p->close(); },
  };
  for (const auto& cancel : cancels) {
    SCOPED_TRACE(&cancel - cancels);
    TempFolder folder;
    folder.makeEmpty("f_old", 400);
    Window window(&slowRename);
    DialogWatcher dialogs;
    Observer observer([&](QProgressDialog* progress) {
      if (progress != nullptr && progress->value() >= 50) cancel(progress);
    });
    press(window, "_old");
    const Contents after = folder.contents();
    ASSERT_EQ(after.size(), 400u) << "nothing lost, nothing doubled";
    std::size_t renamed = 0;
    for (const auto& [name, content] : after) {
      EXPECT_EQ(content, "") << name;
      renamed += name.find("_old") == std::string::npos;
    }
    EXPECT_GE(renamed, 50u);
    EXPECT_LT(renamed, 400u) << "stopped before the end";
    EXPECT_TRUE(dialogs.dialogs().empty()) << "no message follows a cancel";
    EXPECT_EQ(window.shown().size(), 400);
    EXPECT_EQ(progressWindow(), nullptr);
  }
}

TEST(Press, NoInputReachesTheWindowUntilThePressEnds) {
  TempFolder folder;
  for (int i = 0; i < 300; ++i)
    folder.write("f" + std::to_string(i) + "aabb", "");
  Window window(&slowRename);
  bool tried = false;
  bool menuOpened = false;
  Observer observer([&](QProgressDialog*) {
    if (tried) return;
    tried = true;  // at the first turn, before any progress window blocks the form
    window.press("cmdClean");
    QTest::keyClick(window.widget(), Qt::Key_C, Qt::AltModifier);
    QTest::keyClicks(window.text(), "zz");
    window.button("cmdClose")->click();
    window.widget()->close();
    // A context menu would open modally: should one open, it is closed and told.
    QTimer::singleShot(100, [&] {
      if (QWidget* popup = QApplication::activePopupWidget()) {
        menuOpened = true;
        popup->close();
      }
    });
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(2, 2), QPoint(2, 2));
    QApplication::sendEvent(window.text(), &menu);
    QInputMethodEvent commit;  // an input method's typing, which no key event carries
    commit.setCommitString("zz");
    QApplication::sendEvent(window.text(), &commit);
    const auto other = platform::createForm(frmClean::kLayout, [](platform::ControlId) {});
    EXPECT_THROW(other->beginTask(1), std::logic_error) << "one task at a time, of any form";
  });
  press(window, "ab");
  Window::settle();
  EXPECT_TRUE(tried);
  EXPECT_FALSE(menuOpened);
  ASSERT_NE(window.widget(), nullptr) << "the window is still open";
  EXPECT_EQ(window.text()->text(), "ab");
  // A second press would have made "f0aabb" "f0", not "f0ab".
  const Contents after = folder.contents();
  EXPECT_EQ(after.size(), 300u);
  EXPECT_EQ(after.count("f0ab"), 1u);
  EXPECT_EQ(after.count("f0"), 0u);
}

TEST(Press, AStormOfRefusalsCostsOneDialogOrStopsAtTheFirst) {
  struct Case {
    const char* answer;
    std::size_t dialogs;
    int calls;
  };
  for (const Case& c : {Case{"Skip All", 1, 40}, Case{"Cancel", 1, 1}, Case{"Skip", 40, 40}}) {
    SCOPED_TRACE(c.answer);
    TempFolder folder;
    folder.makeEmpty("x_old", 40);
    const Contents before = folder.contents();
    ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
    Window window(&countedRename);
    DialogWatcher dialogs({}, c.answer);
    calls = 0;
    {
      test::ActingAsNobody nobody;
      press(window, "_old");
    }
    EXPECT_EQ(dialogs.dialogs().size(), c.dialogs);
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(folder.contents(), before);
    EXPECT_EQ(window.shown().size(), 40);
  }
  // Skip All lasts one press: the next one asks again.
  TempFolder folder;
  folder.makeEmpty("y_old", 3);
  ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
  Window window;
  DialogWatcher dialogs({}, "Skip All");
  test::ActingAsNobody nobody;
  press(window, "_old");
  press(window, "_old");
  EXPECT_EQ(dialogs.dialogs().size(), 2u);
}

}  // namespace
