// One press of Clean through the real window against a bare renameat2(RENAME_NOREPLACE) loop
// and util-linux rename over the same names, each on a fresh folder, timed in the same run so
// that the ratios mean something on a shared machine.
// Usage: clean_pass [files...] (default 1000 10000 100000).
#include <QApplication>
#include <QLineEdit>

#include <stdio.h>

#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "ui/frm_clean.h"
#include "ui/platform/platform.h"

namespace {

using namespace bench;

double bareLoop(int files) {
  const auto folder = makeFolder(files);
  std::filesystem::current_path(folder);
  const auto start = Clock::now();
  for (int i = 0; i < files; ++i) {
    if (renameat2(AT_FDCWD, name(i).c_str(), AT_FDCWD, cleaned(i).c_str(), RENAME_NOREPLACE) != 0) {
      std::perror("renameat2");
      std::abort();
    }
  }
  const double took = seconds(Clock::now() - start);
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

double cleanPress(int files) {
  const auto folder = makeFolder(files);
  std::filesystem::current_path(folder);
  double took = 0;
  {
    frmClean form;
    form.Show();
    auto* box = QApplication::topLevelWidgets().front()->findChild<QLineEdit*>("txtRemove");
    box->setText("_old");
    const auto start = Clock::now();
    form.cmdClean_Click();
    QCoreApplication::processEvents();  // the coalesced re-read after the last rename
    took = seconds(Clock::now() - start);
    if (form.files().ListCount() != static_cast<std::size_t>(files) ||
        form.files().List(0).find("_old") != std::string::npos) {
      std::fprintf(stderr, "the press did not rename every file\n");
      std::abort();
    }
  }
  removeFolder(folder);
  return took;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i)
    sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {1000, 10000, 100000};
  int qtArgc = 1;
  platform::Application app(qtArgc, argv);

  std::printf("%8s %12s %12s %12s %14s %14s\n", "files", "renameat2 s", "rename.ul s", "Clean s",
              "Clean/bare", "rename.ul/bare");
  for (const int files : sizes) {
    const double bare = bareLoop(files);
    const double util = utilLinux(files);
    const double press = cleanPress(files);
    std::printf("%8d %12.3f %12.3f %12.3f %14.2f %14.2f\n", files, bare, util, press, press / bare,
                util / bare);
  }
  return 0;
}
