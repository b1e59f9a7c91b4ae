#include "clean/shell_rename.h"

namespace clean {

std::int32_t ShellRename(const platform::NativeName& source,
                         const platform::NativeName& destination, ShellService service) {
  bool aborted = false;
  return ShellRename(source, destination, service, aborted);
}

std::int32_t ShellRename(const platform::NativeName& source,
                         const platform::NativeName& destination, ShellService service,
                         bool& aborted) {
  // A path list: the path, its terminating zero, and the list's own zero (c_str() adds it).
  platform::NativeName from = source;
  from.push_back(0);
  platform::NativeName to = destination;
  to.push_back(0);

  SHFILEOPSTRUCT request{};
  request.wFunc = FO_RENAME;
  request.pFrom = from.c_str();
  request.pTo = to.c_str();
  request.fFlags = FOF_SIMPLEPROGRESS;
  const std::int32_t result = service(&request);
  aborted = request.fAnyOperationsAborted != 0;
  return result;
}

}  // namespace clean
