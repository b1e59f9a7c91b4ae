#include "ui/platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <mutex>

namespace platform::posix {

namespace {

std::mutex heldLock;
std::shared_ptr<const WorkingFolder> held;

std::mutex listedLock;  // the list is read on one thread, the service may ask on another
std::shared_ptr<const NameList> listedNames;

}  // namespace

void holdWorkingFolder(const std::string& path) {
  const int fd = open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  struct stat folder;
  if (fd < 0 || fstat(fd, &folder) != 0) {
    if (fd >= 0) close(fd);
    return;
  }
  auto made = std::make_shared<const WorkingFolder>(path, fd, folder.st_dev, folder.st_ino);
  const std::lock_guard lock(heldLock);
  held = std::move(made);
}

WorkingFolder::~WorkingFolder() {
  close(fd);
}

std::shared_ptr<const WorkingFolder> heldWorkingFolder(std::string_view path) {
  const std::lock_guard lock(heldLock);
  return held != nullptr && held->path == path ? held : nullptr;
}

NameList readFileNames(const std::string& folder) {
  NameList names;
  const std::shared_ptr<const WorkingFolder> working = heldWorkingFolder(folder);
  const int fd = working != nullptr ? openat(working->fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                    : open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
  if (dir == nullptr) {
    if (fd >= 0) close(fd);
    return names;
  }
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

void rememberListed(std::shared_ptr<const NameList> names) {
  const std::lock_guard lock(listedLock);
  listedNames = std::move(names);
}

std::shared_ptr<const NameList> listed() {
  const std::lock_guard lock(listedLock);
  return listedNames;
}

}  // namespace platform::posix
