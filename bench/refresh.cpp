// Reading a large folder and starting: Refresh through the real window against a bare readdir
// and sort; the time from exec to the window painted on a small folder, against a minimal Qt
// Widgets window with one list view (bench/start_window); and the peak memory of Namewisp with
// 100,000 names listed against the same window on an empty folder, each a fresh process. The
// contenders take turns within each round; the medians and their ratios are what to read.
// Usage: refresh [-r rounds] [files] (default 5 rounds, 100000 files).
#include <QApplication>

#include <dirent.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench_support.h"
#include "ui/frm_clean.h"
#include "ui/platform/platform.h"

extern char** environ;

namespace {

using namespace bench;

double bareReadAndSort() {
  const auto start = Clock::now();
  std::vector<std::string> names;
  DIR* dir = opendir(".");
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] != '.' && entry->d_type == DT_REG) names.emplace_back(entry->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return seconds(Clock::now() - start);
}

struct Started {
  double seconds;  // from exec to the first window painted
  double filled;   // from exec to the list filled with the folder's files
  double peakMiB;  // the child's peak memory then
};

// Runs `program` (beside this one) in `folder` until it has painted its window.
Started start(const std::string& program, const std::filesystem::path& folder) {
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  const std::string path = (self.parent_path() / program).string();
  int channel[2];
  if (pipe(channel) != 0) std::abort();
  const std::string fd = "NAMEWISP_BENCH_FD=" + std::to_string(channel[1]);
  std::vector<char*> env;
  for (char** e = environ; *e != nullptr; ++e)
    env.push_back(*e);
  env.push_back(const_cast<char*>(fd.c_str()));
  env.push_back(nullptr);
  char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, channel[0]);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t child = 0;
  const auto begin = Clock::now();
  if (posix_spawn(&child, path.c_str(), &actions, nullptr, argv, env.data()) != 0) std::abort();
  close(channel[1]);
  // Two lines: "shown", then the peak memory once the list is filled.
  char words[64] = {};
  std::size_t got = 0, lines = 0;
  double took = 0, filled = 0;
  while (lines < 2 && got + 1 < sizeof words) {
    const ssize_t n = read(channel[0], words + got, sizeof words - 1 - got);
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) {
      if (words[got + static_cast<std::size_t>(i)] != '\n') continue;
      (++lines == 1 ? took : filled) = seconds(Clock::now() - begin);
    }
    got += static_cast<std::size_t>(n);
  }
  const char* word = std::strchr(words, '\n');
  close(channel[0]);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  waitpid(child, &status, 0);
  if (lines < 2 || word == nullptr || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s did not show its window\n", program.c_str());
    std::abort();
  }
  return {took, filled, static_cast<double>(std::atol(word + 1)) / 1024};
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
  int files = 100000;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-r") == 0 && i + 1 < argc) {
      rounds = std::atoi(argv[++i]);
    } else {
      files = std::atoi(argv[i]);
    }
  }
  const auto large = makeFolder(files);
  const auto small = makeFolder(10);
  const auto empty = makeFolder(0);
  int qtArgc = 1;
  platform::Application app(qtArgc, argv);
  std::filesystem::current_path(large);

  std::vector<double> bare, refresh, minimal, namewisp, emptyPeak, largePeak, largeStart,
      largeFilled;
  {
    frmClean form;
    form.Show();
    QCoreApplication::processEvents();
    for (int round = 0; round < rounds; ++round) {
      bare.push_back(bareReadAndSort());
      const auto t = Clock::now();
      form.cmdRefresh_Click();
      QCoreApplication::processEvents();
      form.FileChoice.Current();  // the read on the disk thread, until the list holds it
      refresh.push_back(seconds(Clock::now() - t));
      if (form.FileChoice.ListCount() != static_cast<std::size_t>(files)) std::abort();

      minimal.push_back(start("start_window", small).seconds);
      namewisp.push_back(start("start_namewisp", small).seconds);
      emptyPeak.push_back(start("start_namewisp", empty).peakMiB);
      const Started full = start("start_namewisp", large);
      largePeak.push_back(full.peakMiB);
      largeStart.push_back(full.seconds);
      largeFilled.push_back(full.filled);
    }
  }

  std::printf("%d files, %s\n", files, std::getenv("QT_QPA_PLATFORM"));
  printSpread("bare readdir + sort", bare, " s");
  printSpread("Refresh through the window", refresh, " s");
  printSpread("Refresh / bare", ratios(refresh, bare), "x");
  printSpread("minimal window, 10 files: start", minimal, " s");
  printSpread("Namewisp, 10 files: start", namewisp, " s");
  printSpread("Namewisp start / minimal", ratios(namewisp, minimal), "x");
  printSpread("Namewisp, large folder: start", largeStart, " s");
  printSpread("Namewisp, large folder: list filled", largeFilled, " s");
  printSpread("peak memory, empty folder", emptyPeak, " MiB");
  printSpread("peak memory, large folder", largePeak, " MiB");
  std::vector<double> extra;
  for (std::size_t i = 0; i < largePeak.size(); ++i)
    extra.push_back(largePeak[i] - emptyPeak[i]);
  printSpread("peak memory for the names", extra, " MiB");
  removeFolder(large);
  removeFolder(small);
  removeFolder(empty);
  return 0;
}
