// Shared by the benchmarks: folders of empty files and a clock.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

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

}  // namespace bench
