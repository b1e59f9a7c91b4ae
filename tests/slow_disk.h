// A slow or stalled disk under the program's own calls in this process, as a share over Wi-Fi
// or a server that went away shows it: readdir and renameat2 are interposed here (a test
// executable's definitions come before the C library's), and answer late, or not at all until
// the stall ends.
#pragma once

#include <chrono>

namespace test {

class SlowDisk {
 public:
  // Each directory entry read takes `perEntry`; each rename `perRename`.
  SlowDisk(std::chrono::microseconds perEntry, std::chrono::microseconds perRename);
  // Undoes the delays and ends any stall.
  ~SlowDisk();
  SlowDisk(const SlowDisk&) = delete;
  SlowDisk& operator=(const SlowDisk&) = delete;

  // Renames after the first `renames` from now on block until release().
  void stallAfter(int renames);
  void release();
  // Renames blocked in the stall at this moment.
  int blocked() const;
  // Renames done (ended) since this was made.
  int renamed() const;
};

}  // namespace test
