// One press of Clean through the real window against a bare renameat2(RENAME_NOREPLACE) loop
// over the same names, timed in the same run so that the ratio means something on a shared
// machine. Usage: clean_pass [files...] (default 1000 10000 100000).
#include <QApplication>
#include <QLineEdit>

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ui/frm_clean.h"
#include "ui/platform/platform.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string name(int i) {
  return "holiday_old_" + std::to_string(i) + ".jpg";
}
std::string cleaned(int i) {
  return "holiday_" + std::to_string(i) + ".jpg";
}

fs::path makeFolder(int files) {
  std::string pattern = (fs::temp_directory_path() / "namewisp-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  for (int i = 0; i < files; ++i) {
    const int fd = open((pattern + "/" + name(i)).c_str(), O_CREAT | O_WRONLY, 0644);
    if (fd < 0) std::abort();
    close(fd);
  }
  sync();  // so that neither side pays for the other's writeback
  return pattern;
}

double seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

double bareLoop(int files) {
  const fs::path folder = makeFolder(files);
  fs::current_path(folder);
  const auto start = Clock::now();
  for (int i = 0; i < files; ++i) {
    if (renameat2(AT_FDCWD, name(i).c_str(), AT_FDCWD, cleaned(i).c_str(), RENAME_NOREPLACE) != 0) {
      std::perror("renameat2");
      std::abort();
    }
  }
  const auto took = Clock::now() - start;
  fs::current_path("/");
  fs::remove_all(folder);
  return seconds(took);
}

double cleanPress(int files) {
  const fs::path folder = makeFolder(files);
  fs::current_path(folder);
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
  fs::current_path("/");
  fs::remove_all(folder);
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

  std::printf("%10s %14s %14s %8s\n", "files", "bare loop s", "Clean press s", "ratio");
  for (const int files : sizes) {
    const double bare = bareLoop(files);
    const double press = cleanPress(files);
    std::printf("%10d %14.3f %14.3f %8.2f\n", files, bare, press, press / bare);
  }
  return 0;
}
