// POSIX facts about files that the toolkit backends share. Internal to src/ui/platform/.
#pragma once

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "ui/platform/name_list.h"

namespace platform::posix {

// The names of the regular files, and links to regular files, in `folder`, leaving out hidden
// (dot) names; in directory order. Empty when the folder cannot be read.
NameList readFileNames(const std::string& folder);

// The current directory, or empty when it cannot be read (for example once it was deleted).
std::string currentDirectory();

}  // namespace platform::posix

namespace platform::posix {

// The safe ways to rename, in the order they are tried; each is used only where the file system
// lacks the ones before it.
enum class RenameWay {
  NoReplace,  // renameat2(RENAME_NOREPLACE): atomic
  Link,       // a hard link to the new name, then the old name unlinked
  Reserve,    // an exclusive create reserves the new name; the file is renamed onto it
  None,       // the file system offers none of them: nothing is renamed
};
const char* nameOf(RenameWay way);

// Returned when the file system offers none of the ways (`way` is then None).
inline constexpr int kNoSafeWay = EOPNOTSUPP;

// Renames `from` to `to`, both resolved against the folder `dir` (or AT_FDCWD), only if nothing
// is at `to`; returns 0 or an errno value (EEXIST when something is, in any letter case where
// the file system ignores case). Tries the ways from `way` on and leaves in `way` the one that
// last answered, so the next call in the same folder starts there. Never a plain rename() over
// a name it did not reserve.
int renameNoReplace(int dir, const char* from, const char* to, RenameWay& way);

// The way renames in `folder` have taken, once one has been tried there.
std::optional<RenameWay> learnedWay(const std::string& folder);
// Where the next rename in `folder` starts: learned once per folder, so a large press on a
// file system without the first ways does not try every way for every file.
RenameWay& wayFor(const std::string& folder);

}  // namespace platform::posix
