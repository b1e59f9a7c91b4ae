// Shared by the benchmarks: folders of empty files and a clock.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

inline std::string name(int i) {
  return "holiday_old_" + std::to_string(i) + ".jpg";
}
inline std::string cleaned(int i) {
  return "holiday_" + std::to_string(i) + ".jpg";
}

// A fresh folder under $TMPDIR holding `files` empty files named name(0)...
inline std::filesystem::path makeFolder(int files) {
  std::string pattern = (std::filesystem::temp_directory_path() / "namewisp-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  for (int i = 0; i < files; ++i) {
    const int fd = open((pattern + "/" + name(i)).c_str(), O_CREAT | O_WRONLY, 0644);
    if (fd < 0) std::abort();
    close(fd);
  }
  sync();  // so that no side pays for another's writeback
  return pattern;
}

inline void removeFolder(const std::filesystem::path& folder) {
  std::filesystem::current_path("/");
  std::filesystem::remove_all(folder);
}

// The median of several rounds, with the fastest and slowest beside it: one sample on a shared
// machine cannot tell a 10% gain from noise.
struct Spread {
  double median, min, max;
};
inline Spread spreadOf(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  const std::size_t n = samples.size();
  const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
  return {median, samples.front(), samples.back()};
}
inline void printSpread(const char* what, const std::vector<double>& samples, const char* unit) {
  const Spread s = spreadOf(samples);
  std::printf("  %-34s median %8.3f%s  (min %.3f, max %.3f, %zu rounds)\n", what, s.median, unit,
              s.min, s.max, samples.size());
}

}  // namespace bench
