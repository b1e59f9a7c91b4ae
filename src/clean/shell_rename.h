// ShellRename: one rename request, handed to the shell's file-operation service.
#pragma once

#include <cstdint>

#include "ui/platform/platform.h"
#include "ui/platform/shell.h"

namespace clean {

using ShellService = decltype(&SHFileOperation);

// Asks `service` to rename `source` (a bare name, resolved against the working directory) to
// `destination` (a full path) and returns its result unchanged: 0 on success. The request
// carries no flag that would silence the service's confirmations or error reports.
std::int32_t ShellRename(const platform::NativeName& source,
                         const platform::NativeName& destination,
                         ShellService service = &SHFileOperation);

// True when the user stopped the operation in one of the service's dialogs, which the service
// says by its result or by the request's fAnyOperationsAborted; `aborted` is that flag.
inline bool cancelledByUser(std::int32_t result, bool aborted) {
  return aborted || result == kShellCancelled;
}

// ShellRename that also reports the request's fAnyOperationsAborted in `aborted`.
std::int32_t ShellRename(const platform::NativeName& source,
                         const platform::NativeName& destination, ShellService service,
                         bool& aborted);

}  // namespace clean
