// POSIX facts about files that the toolkit backends share. Internal to src/ui/platform/.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "ui/platform/name_list.h"

namespace platform::posix {

// The working directory, held open from the moment the window asks for it: the folder its list
// reads and every rename of a listed name happens in, even after that folder is renamed, or
// another is made at its path, by someone else.
struct WorkingFolder {
  WorkingFolder(std::string at, int open, dev_t onDevice, ino_t asInode)
      : path(std::move(at)), fd(open), device(onDevice), inode(asInode) {}
  ~WorkingFolder();
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

  const std::string path;  // as it was when held, the way destinations spell it
  const int fd;            // O_PATH, closed when the last user lets go
  const dev_t device;
  const ino_t inode;
};

// Holds the folder at `path`, the working directory, in place of the one held before, which
// stays open until its last user lets go. On the disk thread: opening a folder on a share that
// stopped answering may block.
void holdWorkingFolder(const std::string& path);
// The held folder, when `path` is the path it was held under; else null.
std::shared_ptr<const WorkingFolder> heldWorkingFolder(std::string_view path);

// The names of the regular files, and links to regular files, in `folder` (the held working
// folder itself when it names it), leaving out hidden (dot) names; in directory order. Empty
// when the folder cannot be read.
NameList readFileNames(const std::string& folder);

// The current directory, or empty when it cannot be read.
std::string currentDirectory();

// The names the window lists, as last read: of the held working folder.
void rememberListed(std::shared_ptr<const NameList> names);
std::shared_ptr<const NameList> listed();

}  // namespace platform::posix
