// The safe ways to rename a file without ever replacing another. Internal to src/ui/platform/.
#pragma once

#include <time.h>

#include <cerrno>

namespace platform::posix {

// In the order they are tried; each is needed only where the file system lacks the ones before.
enum class RenameWay {
  NoReplace,  // renameat2(RENAME_NOREPLACE): atomic
  Link,       // a hard link to the new name, then the old name unlinked
  Reserve,    // an exclusive create reserves the new name; the file is renamed onto it. Where
              // the disk ignores case, it is made in the name's turned case, which marks it
  ReserveKeepingCase,  // the same under the new name itself, where the disk keeps case
  None,                // past the last: none of them
};
const char* nameOf(RenameWay way);

// The modification time a reservation carries from before the rename onto it, so that a press
// cut short (the program killed, the stick pulled) leaves nothing a later press cannot finish.
// 2001-02-03 04:05:06 UTC: an even second, which FAT stores exactly, and no camera's default.
inline constexpr time_t kReservationMark = 981173106;

// Returned when the file system was shown to offer none of the ways: a new name it accepts,
// which every way still refused.
inline constexpr int kNoSafeWay = EOPNOTSUPP;
// Returned when the disk would not take the new name at all, by any way.
inline constexpr int kNameNotAllowed = EINVAL;

// Renames `from` to `to`, both resolved against the folder `dir`, only if nothing is at `to`;
// returns 0 or an errno value (EEXIST when something is, in any letter case where the file
// system ignores case). Tries the ways from `way` on, each after the one before failed for this
// file; on success leaves in `way` the one that worked, and otherwise leaves it as it was. A
// reservation that an interrupted rename left at `to` is completed, never a file
// without its mark. Never a plain rename over any other name.
int renameNoReplace(int dir, const char* from, const char* to, RenameWay& way);

// Whether `name` in `dir` is a reservation left by a rename that was interrupted: an empty
// regular file with the mark that only reservations carry.
bool isLeftReservation(int dir, const char* name);

}  // namespace platform::posix
