// The window answers whatever the disk does: a folder whose entries arrive slowly, renames
// that take their time, a rename that blocks for seconds. Reads and renames wait on the disk
// thread; the window's own thread keeps turning, and Cancel and Close work at once.
#include <gtest/gtest.h>
#include <QProcess>
#include <QTest>

#include <chrono>

#include "slow_disk.h"
#include "support.h"

namespace {

using namespace std::chrono_literals;
using test::DialogWatcher;
using test::progressWindow;
using test::SlowDisk;
using test::TempFolder;
using test::Window;
using Clock = std::chrono::steady_clock;
using Contents = std::map<std::string, std::string>;

// Well under the second after which a window reads as frozen, with room for a busy machine
// and the sanitizers: the window's turns come every 10 ms or so when all is well.
constexpr auto kAnswersWithin = 300ms;

// The longest the window's event loop went without a turn, seen by a 10 ms timer, as a screen
// reader's question or a window manager's ping would wait for an answer. `act`, if any, looks
// at the screen at each turn.
class GapMeter {
 public:
  explicit GapMeter(std::function<void()> act = {}) : act_(std::move(act)) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const Clock::time_point now = Clock::now();
      longest_ = std::max(longest_, now - last_);
      last_ = now;
      if (act_) act_();
    });
    timer_.start();
  }
  Clock::duration longest() const { return std::max(longest_, Clock::now() - last_); }

 private:
  QTimer timer_;
  std::function<void()> act_;
  Clock::time_point last_ = Clock::now();
  Clock::duration longest_{};
};

double ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

std::size_t renamedIn(const Contents& contents, const std::string& text) {
  std::size_t renamed = 0;
  for (const auto& [name, content] : contents)
    renamed += name.find(text) == std::string::npos;
  return renamed;
}

TEST(Stall, TheWindowShowsAtOnceAndItsListFillsWhenASlowReadEnds) {
  TempFolder folder;
  folder.makeEmpty("f", 1500);
  const SlowDisk disk(1ms, 0us);  // a read of a second and a half or more
  const Clock::time_point start = Clock::now();
  Window window(&SHFileOperation, false);
  GapMeter meter;
  EXPECT_LT(Clock::now() - start, 500ms) << "shown before the read ends";
  EXPECT_TRUE(window.shown().isEmpty()) << "no entries until the read ends";
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.shown().size() == 1500; }, 20000));
  EXPECT_LT(meter.longest(), kAnswersWithin) << ms(meter.longest()) << " ms";
  EXPECT_EQ(window.form().FileChoice.readCount(), 1u);
}

TEST(Stall, CleanPressedDuringTheReadWaitsForItOrStopsOnCancel) {
  for (const bool cancel : {false, true}) {
    SCOPED_TRACE(cancel ? "cancelled" : "waited for");
    TempFolder folder;
    folder.makeEmpty("a_old", 1500);
    const SlowDisk disk(1ms, 0us);
    Window window(&SHFileOperation, false);
    DialogWatcher dialogs;
    QString label;
    GapMeter meter([&] {
      QProgressDialog* progress = progressWindow();
      if (progress == nullptr || !label.isEmpty()) return;
      label = progress->labelText();
      if (cancel) progress->findChild<QPushButton*>()->click();
    });
    window.text()->setText("_old");
    const Clock::time_point pressed = Clock::now();
    window.press("cmdClean");
    const Clock::duration took = Clock::now() - pressed;
    EXPECT_EQ(label, "Reading the folder\u2026");
    EXPECT_TRUE(dialogs.dialogs().empty()) << "never \"No Files Found!\" for a list not yet read";
    EXPECT_LT(meter.longest(), kAnswersWithin) << ms(meter.longest()) << " ms";
    if (cancel) {
      EXPECT_LT(took, 1200ms) << "the press ends at the cancel, not with the read";
      EXPECT_EQ(renamedIn(folder.contents(), "_old"), 0u);
      EXPECT_TRUE(QTest::qWaitFor([&] { return window.shown().size() == 1500; }, 20000))
          << "the read goes on and fills the list";
    } else {
      EXPECT_EQ(renamedIn(folder.contents(), "_old"), 1500u);
    }
    Window::settle();
  }
}

TEST(Stall, RefreshAPressThatStallsForSecondsAndTheReReadNeverFreezeTheWindow) {
  TempFolder folder;
  folder.makeEmpty("r_old", 300);
  Window window;
  SlowDisk disk(2ms, 2ms);  // a read of 0.6 s or more, renames of 2 ms
  GapMeter meter;
  Clock::time_point pressed = Clock::now();
  window.press("cmdRefresh");
  EXPECT_LT(Clock::now() - pressed, 100ms) << "Refresh returns before the read ends";
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.form().FileChoice.readCount() == 2; }));
  Window::settle();
  EXPECT_LT(meter.longest(), kAnswersWithin) << "Refresh: " << ms(meter.longest()) << " ms";

  GapMeter pressMeter;
  disk.stallAfter(100);
  QTimer::singleShot(2500, [&] { disk.release(); });  // a medium that comes back
  QString stallLabel;                                 // what the progress window said in the stall
  GapMeter watch([&] {
    if (disk.blocked() > 0 && progressWindow() != nullptr)
      stallLabel = progressWindow()->labelText();
  });
  window.text()->setText("_old");
  pressed = Clock::now();
  window.press("cmdClean");
  EXPECT_GE(Clock::now() - pressed, 2500ms) << "the press waited through the stall";
  EXPECT_EQ(stallLabel, "100 of 300 files done") << "shown in the stall, with the count";
  EXPECT_LT(pressMeter.longest(), kAnswersWithin) << "press: " << ms(pressMeter.longest()) << " ms";

  GapMeter rereadMeter;
  Window::settle();
  EXPECT_LT(rereadMeter.longest(), kAnswersWithin)
      << "re-read: " << ms(rereadMeter.longest()) << " ms";
  EXPECT_EQ(renamedIn(folder.contents(), "_old"), 300u);
  EXPECT_EQ(window.shown().size(), 300);
}

TEST(Stall, CancelAndCloseWorkAtOnceWhileARenameIsBlocked) {
  TempFolder folder;
  folder.makeEmpty("s_old", 20);
  Window window;
  SlowDisk disk(0us, 0us);
  disk.stallAfter(5);
  Clock::time_point cancelled;
  GapMeter meter([&] {
    QProgressDialog* progress = progressWindow();
    if (progress != nullptr && disk.blocked() == 1 && cancelled == Clock::time_point()) {
      cancelled = Clock::now();
      progress->findChild<QPushButton*>()->click();
    }
  });
  window.text()->setText("_old");
  window.press("cmdClean");
  EXPECT_NE(cancelled, Clock::time_point()) << "the progress window showed within the stall";
  EXPECT_LT(Clock::now() - cancelled, 200ms) << "the press ended at the cancel";
  EXPECT_EQ(disk.blocked(), 1) << "the rename is still blocked";
  EXPECT_LT(meter.longest(), kAnswersWithin) << ms(meter.longest()) << " ms";

  window.press("cmdClose");
  EXPECT_EQ(window.widget(), nullptr) << "closed at once, the rename still blocked";
  EXPECT_EQ(disk.blocked(), 1);

  // The rename the user stopped waiting for ends on its own, and nothing is lost.
  disk.release();
  EXPECT_TRUE(QTest::qWaitFor([&] { return disk.renamed() == 6; }));
  QTest::qWait(50);  // the read queued behind it
  const Contents after = folder.contents();
  EXPECT_EQ(after.size(), 20u);
  EXPECT_EQ(renamedIn(after, "_old"), 6u);
}

// The program as a user ends it: closed after a cancel while a rename is blocked for good. It
// ends at once with status 0, without waiting for the call or tearing down what it uses.
TEST(Stall, TheProgramEndsAtOnceWhenClosedWithARenameBlockedForGood) {
  TempFolder folder;
  folder.makeEmpty("b_old", 3);
  QProcess program;
  program.setWorkingDirectory(QString::fromStdString(folder.path().string()));
  const Clock::time_point start = Clock::now();
  program.start(NAMEWISP_BLOCKED_EXIT, {});
  ASSERT_TRUE(program.waitForFinished(20000)) << "still running after 20 s";
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
  EXPECT_LT(Clock::now() - start, 10s);
  const Contents after = folder.contents();
  EXPECT_EQ(after.size(), 3u);
  EXPECT_EQ(renamedIn(after, "_old"), 1u) << "the first renamed, the second blocked for good";
}

}  // namespace
