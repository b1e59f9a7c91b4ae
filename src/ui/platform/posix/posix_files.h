// POSIX facts about files that the toolkit backends share. Internal to src/ui/platform/.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <string_view>

#include "ui/platform/name_list.h"

namespace platform::posix {

// The working directory, held open from the moment the window asks for it: the folder its list
// reads and every rename of a listed name happens in, even after that folder is renamed, or
// another is made at its path, by someone else.
struct WorkingFolder {
  std::string path;  // as it was when held, the way destinations spell it
  int fd = -1;       // O_PATH
  dev_t device = 0;
  ino_t inode = 0;
};

// Holds the current directory in place of the one held before; returns its path, or empty when
// it cannot be read (for example once it was deleted).
std::string holdWorkingFolder();
// The held folder, when `path` is the path it was held under; else null.
const WorkingFolder* heldWorkingFolder(std::string_view path);

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
