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

}  // namespace clean
