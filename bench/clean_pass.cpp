// One press of Clean through the real window against a bare renameat2(RENAME_NOREPLACE) loop,
// util-linux rename and the same press without its progress machinery (one thread, no task),
// over the same names, each on a fresh folder; and the time the machinery takes within a press:
// its task's calls, and each rename's trip to the disk thread and back. The
// contenders take turns within each round, so that a slow spell of the shared machine falls on all
// of them; the medians and their ratios are what to read. Usage: clean_pass [-r rounds] [-p]
// [files...] (default 5 rounds of 1000 10000 100000); -p times the press alone, for a profiler.
// bench/clean_pass_x11 runs it on X11 with accessibility.
#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <dirent.h>
#include <stdio.h>

#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "bench_support.h"
#include "clean/clean_pass.h"
#include "clean/shell_rename.h"
#include "ui/file_list.h"
#include "ui/frm_clean.h"
#include "ui/platform/platform.h"

namespace {

using namespace bench;

// What the kernel needs: the folder read once, then one renameat2(RENAME_NOREPLACE) per name.
double bareLoop(int files) {
  const auto folder = makeFolder(files);
  std::filesystem::current_path(folder);
  const auto start = Clock::now();
  std::vector<std::string> names;
  DIR* dir = opendir(".");
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] != '.' && entry->d_type == DT_REG) names.emplace_back(entry->d_name);
  }
  closedir(dir);
  std::string cleaned;
  for (const std::string& old : names) {
    cleaned = old;
    cleaned.erase(cleaned.find("_old"), 4);
    if (renameat2(AT_FDCWD, old.c_str(), AT_FDCWD, cleaned.c_str(), RENAME_NOREPLACE) != 0) {
      std::perror("renameat2");
      std::abort();
    }
  }
  const double took = seconds(Clock::now() - start);
  if (static_cast<int>(names.size()) != files) std::abort();
  removeFolder(folder);
  return took;
}

// util-linux rename (rename.ul on Debian), fed by xargs as a user would for this many files.
double utilLinux(int files) {
  const auto folder = makeFolder(files);
  std::filesystem::current_path(folder);
  const auto start = Clock::now();
  const int status =
      std::system("find . -maxdepth 1 -name '*_old*' -print0 | xargs -0 rename.ul _old ''");
  const double took = seconds(Clock::now() - start);
  if (status != 0 || std::filesystem::exists(name(0))) return -1;
  removeFolder(folder);
  return took;
}

// Whether a screen reader's bridge was on for the last press.
bool accessibilityOn = false;

// The longest time the event loop went unanswered in the last press, seen by a 5 ms timer.
double longestGap = 0;

// The time the last press spent in the progress machinery's own calls, timed one by one, less
// what timing a call costs by itself: two clock reads, more than most of the calls take, which
// read the clock once and return.
double inMachinery = 0;
double inHandoff = 0;  // of that, each rename's trip to the disk thread and back
double timingCost = 0;

template <typename Call>
void timed(Call&& call) {
  const auto before = Clock::now();
  call();
  inMachinery += seconds(Clock::now() - before) - timingCost;
}

void measureTimingCost() {
  constexpr int kCalls = 1000000;
  inMachinery = 0;
  const auto start = Clock::now();
  for (int i = 0; i < kCalls; ++i)
    timed([] {});
  timingCost = seconds(Clock::now() - start) / kCalls;
}

enum class Press {
  Click,  // as a user makes it: a click on Clean, through the window system's input
  // The same renames and re-reads on the window's thread, without the task that shows progress
  // and answers, and without the disk thread.
  Bare,
  // The Clean handler's loop again, each of its task's calls timed, and each rename's trip to
  // the disk thread and back timed less the rename itself, timed there.
  TimedTask,
};

// One press until the window answers again: the renames, the re-read of the folder and the
// repaint. Bare against Click is what the machinery costs, with the file system's sway between
// two presses in it; TimedTask gives the machinery's share within one press, free of that sway.
double cleanPress(int files, Press how) {
  const auto folder = makeFolder(files);
  std::filesystem::current_path(folder);
  double took = 0;
  {
    // A click goes to the program's window. The loops without it need the form and the list
    // themselves: they build the same window from its table, with a list over the folder, as
    // frmClean builds its own.
    std::unique_ptr<frmClean> program;
    std::unique_ptr<platform::Form> form;
    std::unique_ptr<FileList> list;
    if (how == Press::Click) {
      program = std::make_unique<frmClean>();
      program->Show();
    } else {
      form = platform::createForm(frmClean::kLayout, [](platform::ControlId) {});
      list =
          std::make_unique<FileList>(*form, frmClean::FileChoiceBox, platform::workingDirectory());
      form->show();
    }
    FileList& shown = program ? program->FileChoice : *list;
    QCoreApplication::processEvents();
    QWidget* window = QApplication::topLevelWidgets().front();
    window->findChild<QLineEdit*>("txtRemove")->setText("_old");
    auto* clean = window->findChild<QPushButton*>("cmdClean");
    QCoreApplication::processEvents();
    accessibilityOn = QAccessible::isActive();
    const auto start = Clock::now();
    Clock::time_point last = start;
    longestGap = 0;
    inMachinery = 0;
    inHandoff = 0;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      const auto now = Clock::now();
      longestGap = std::max(longestGap, seconds(now - last));
      last = now;
    });
    watch.start();
    if (how == Press::Click) {
      QTest::mouseClick(clean, Qt::LeftButton);
    } else {
      // The loop of the Clean handler, which Click runs.
      auto renames = clean::renamesFor(*shown.names(), u"_old", shown.folder());
      std::unique_ptr<platform::Task> task;
      if (how == Press::TimedTask) timed([&] { task = form->beginTask(renames.size()); });
      for (std::size_t done = 0; done < renames.size(); ++done) {
        if (!task) {
          clean::ShellRename(renames[done].source, renames[done].destination);
          shown.Refresh();
          continue;
        }
        timed([&] { task->proceed(done); });
        struct Outcome {
          std::int32_t result = 0;
          bool aborted = false;
          double took = 0;  // on the disk thread
        };
        const auto sent = Clock::now();
        const auto outcome = std::make_shared<Outcome>();
        const auto request =
            platform::runOnDiskThread([outcome, rename = std::move(renames[done])] {
              const auto begun = Clock::now();
              outcome->result = clean::ShellRename(rename.source, rename.destination,
                                                   &SHFileOperation, outcome->aborted);
              outcome->took = seconds(Clock::now() - begun);
            });
        task->wait(*request);
        const double handoff = seconds(Clock::now() - sent) - outcome->took - timingCost;
        inMachinery += handoff;
        inHandoff += handoff;
        shown.Refresh();
      }
      if (task) timed([&] { task.reset(); });
    }
    QCoreApplication::processEvents();  // the coalesced re-read after the last rename, a repaint
    shown.Current();                    // which runs on the disk thread
    took = seconds(Clock::now() - start);
    longestGap = std::max(longestGap, seconds(Clock::now() - last));
    if (shown.ListCount() != static_cast<std::size_t>(files) ||
        shown.List(0).find("_old") != std::string::npos) {
      std::fprintf(stderr, "the press did not rename every file\n");
      std::abort();
    }
  }
  removeFolder(folder);
  return took;
}

std::vector<double> ratios(const std::vector<double>& a, const std::vector<double>& b) {
  std::vector<double> r;
  for (std::size_t i = 0; i < a.size(); ++i)
    r.push_back(a[i] / b[i]);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int rounds = 5;
  bool pressOnly = false;
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-r") == 0 && i + 1 < argc) {
      rounds = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "-p") == 0) {
      pressOnly = true;
    } else {
      sizes.push_back(std::atoi(argv[i]));
    }
  }
  if (sizes.empty()) sizes = {1000, 10000, 100000};
  measureTimingCost();
  int qtArgc = 1;
  platform::Application app(qtArgc, argv);

  if (pressOnly) {  // for a profiler: the press and as little else as can be
    for (const int files : sizes) {
      std::vector<double> press;
      for (int round = 0; round < rounds; ++round)
        press.push_back(cleanPress(files, Press::Click));
      std::printf("%d files, platform %s, accessibility %s\n", files,
                  qPrintable(QGuiApplication::platformName()), accessibilityOn ? "on" : "off");
      printSpread("Clean press", press, " s");
    }
    return 0;
  }
  for (const int files : sizes) {
    std::vector<double> bare, util, press, untasked, gaps, share, handoffShare;
    for (int round = 0; round < rounds; ++round) {
      bare.push_back(bareLoop(files));
      util.push_back(utilLinux(files));
      // In turn first and second, so that what the file system keeps of the round before
      // weighs on both alike.
      if (round % 2 == 1) untasked.push_back(cleanPress(files, Press::Bare));
      press.push_back(cleanPress(files, Press::Click));
      gaps.push_back(longestGap * 1000);
      if (round % 2 == 0) untasked.push_back(cleanPress(files, Press::Bare));
      const double timedPress = cleanPress(files, Press::TimedTask);
      share.push_back(inMachinery / timedPress * 100);
      handoffShare.push_back(inHandoff / timedPress * 100);
    }
    std::printf("%d files, platform %s, accessibility %s\n", files,
                qPrintable(QGuiApplication::platformName()), accessibilityOn ? "on" : "off");
    printSpread("bare readdir + renameat2 loop", bare, " s");
    printSpread("util-linux rename.ul", util, " s");
    printSpread("Clean press", press, " s");
    printSpread("press without progress machinery", untasked, " s");
    printSpread("longest unanswered gap of a press", gaps, " ms");
    printSpread("Clean / bare", ratios(press, bare), "x");
    printSpread("rename.ul / bare", ratios(util, bare), "x");
    printSpread("Clean / press without machinery", ratios(press, untasked), "x");
    printSpread("time in the machinery's calls", share, "% of a press");
    printSpread("  of it, handing renames over", handoffShare, "% of a press");
    std::fflush(stdout);
  }
  return 0;
}
