// The dialog in which the POSIX rename service reports a refusal, as a file manager does: Skip,
// Skip All, Cancel. The toolkit backend provides it. Internal to src/ui/platform/.
#pragma once

#include <functional>

#include "ui/platform/platform.h"

namespace platform::posix {

enum class Refusal { Skip, Cancel };

// Shows the text `message` makes in one modal error dialog captioned with the application
// title, unless the user already chose Skip All for `kind` in the running task; then it skips
// at once, without making the text.
Refusal reportRefusal(const Text& kind, const std::function<Text()>& message);

}  // namespace platform::posix
