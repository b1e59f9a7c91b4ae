// The dialog in which the POSIX rename service reports a refusal, as a file manager does: Skip,
// Skip All, Cancel. The toolkit backend provides it. Internal to src/ui/platform/.
#pragma once

#include "ui/platform/platform.h"

namespace platform::posix {

enum class Refusal { Skip, Cancel };

// Shows `message` in one modal error dialog captioned with the application title, unless the
// user already chose Skip All for `reason` in the running task; then it skips at once.
Refusal reportRefusal(const Text& message, const Text& reason);

}  // namespace platform::posix
