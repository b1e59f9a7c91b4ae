// The plain words in which a refusal by the disk is told. Internal to src/ui/platform/.
#pragma once

#include "ui/platform/platform.h"

namespace platform::posix {

// Whether `error` from a call in the folder `dir` means the medium went away under it: a stick
// pulled, a share or FUSE daemon gone. One reason covers them all.
bool mediumGone(int dir, int error);
// The reason for any other error, in plain words for every error real media give.
Text reasonFor(int error);

}  // namespace platform::posix
