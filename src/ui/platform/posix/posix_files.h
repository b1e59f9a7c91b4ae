// POSIX facts about files that the toolkit backends share. Internal to src/ui/platform/.
#pragma once

#include <string>
#include <vector>

namespace platform::posix {

// The names of the regular files, and links to regular files, in `folder`, leaving out hidden
// (dot) names; in directory order. Empty when the folder cannot be read.
std::vector<std::string> readFileNames(const std::string& folder);

// The current directory, or empty when it cannot be read (for example once it was deleted).
std::string currentDirectory();

}  // namespace platform::posix

namespace platform::posix {

// Renames `from` to `to` only if nothing is at `to`; returns 0 or an errno value (EEXIST when
// something is). Uses renameat2(RENAME_NOREPLACE) and, where the file system lacks it (or
// `useRenameat2` is false), a hard link followed by an unlink, which cannot replace a file
// either. Never a plain rename().
int renameNoReplace(const char* from, const char* to, bool useRenameat2 = true);

}  // namespace platform::posix
