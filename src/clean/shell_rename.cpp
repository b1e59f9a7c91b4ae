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
  // Two path lists in one buffer, each the path, its terminating zero and the list's own zero
  // (c_str() adds the last): one allocation per request.
  platform::NativeName lists;
  lists.reserve(source.size() + destination.size() + 3);
  lists.append(source).append(2, 0).append(destination).push_back(0);

  SHFILEOPSTRUCT request{};
  request.wFunc = FO_RENAME;
  request.pFrom = lists.c_str();
  request.pTo = lists.c_str() + source.size() + 2;
  request.fFlags = FOF_SIMPLEPROGRESS;
  const std::int32_t result = service(&request);
  aborted = request.fAnyOperationsAborted != 0;
  return result;
}

}  // namespace clean
