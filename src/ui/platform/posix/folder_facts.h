// What the rename service learns of a folder in the course of one press, kept by the folder
// itself (its device and inode) rather than its path, and forgotten when the next press starts:
// a disk mounted later at the same path, or a folder that changed, starts afresh. Internal to
// src/ui/platform/.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <unordered_map>

#include "ui/platform/platform.h"
#include "ui/platform/posix/rename_ways.h"

namespace platform::posix {

struct FolderFacts {
  // Where the next rename starts: the last way that succeeded here.
  RenameWay way = RenameWay::NoReplace;
  bool renamed = false;  // whether any way has worked here
  std::optional<bool> windowsDisk;
  // On a Windows disk, every name the folder holds, lowered, with the name itself: the names the
  // window lists, kept up to date with the press's own renames.
  std::optional<std::unordered_map<Text, std::string>> lowered;
};

// Called as a press starts; any thread.
void beginPress();
FolderFacts& factsFor(dev_t device, ino_t inode);
// What renames in `folder` took during the last press there, if it tried any.
std::optional<RenameWay> learnedWay(const std::string& folder);

}  // namespace platform::posix
