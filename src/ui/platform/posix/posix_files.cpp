#include "ui/platform/posix/posix_files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace platform::posix {

NameList readFileNames(const std::string& folder) {
  NameList names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  const int fd = dirfd(dir);
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    bool isFile = entry->d_type == DT_REG;
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      struct stat target;  // a link counts when what it points to is a regular file
      isFile = fstatat(fd, entry->d_name, &target, 0) == 0 && S_ISREG(target.st_mode);
    }
    if (isFile) names.add(entry->d_name);
  }
  closedir(dir);
  return names;
}

std::string currentDirectory() {
  std::string path(PATH_MAX, '\0');
  while (getcwd(path.data(), path.size()) == nullptr) {
    if (errno != ERANGE) return {};
    path.resize(path.size() * 2);
  }
  path.resize(path.find('\0'));
  return path;
}

}  // namespace platform::posix
