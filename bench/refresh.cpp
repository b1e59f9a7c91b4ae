// Reading a large folder: Refresh through the real window against a bare readdir and sort,
// the time from nothing to the window shown, and the memory the listed entries cost.
// Usage: refresh [files] (default 100000).
#include <QApplication>

#include <dirent.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "ui/frm_clean.h"
#include "ui/platform/platform.h"

namespace {

using namespace bench;

long peakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

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

template <class F>
double best(int runs, F f) {
  double fastest = 1e9;
  for (int i = 0; i < runs; ++i)
    fastest = std::min(fastest, f());
  return fastest;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const int files = argc > 1 ? std::atoi(argv[1]) : 100000;
  const auto folder = makeFolder(files);
  const auto processStart = Clock::now();
  int qtArgc = 1;
  platform::Application app(qtArgc, argv);
  const double toolkit = seconds(Clock::now() - processStart);
  std::filesystem::current_path(folder);

  const long before = peakKiB();
  const auto start = Clock::now();
  frmClean form;
  form.Show();
  QCoreApplication::processEvents();
  const double shown = seconds(Clock::now() - start);
  const long after = peakKiB();

  const double bare = best(5, bareReadAndSort);
  const double refresh = best(5, [&] {
    const auto t = Clock::now();
    form.cmdRefresh_Click();
    QCoreApplication::processEvents();
    return seconds(Clock::now() - t);
  });
  if (form.files().ListCount() != static_cast<std::size_t>(files)) std::abort();

  std::printf("files                         %10d\n", files);
  std::printf("toolkit started, s            %10.3f\n", toolkit);
  std::printf("window built and shown, s     %10.3f  (folder read and listed)\n", shown);
  std::printf("bare readdir + sort, s        %10.3f  (best of 5)\n", bare);
  std::printf("Refresh, s                    %10.3f  (best of 5)\n", refresh);
  std::printf("Refresh / bare                %10.2f\n", refresh / bare);
  std::printf("peak memory before, MiB       %10.1f\n", static_cast<double>(before) / 1024);
  std::printf("peak memory with list, MiB    %10.1f\n", static_cast<double>(after) / 1024);
  removeFolder(folder);
  return 0;
}
