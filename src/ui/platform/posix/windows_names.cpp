#include "ui/platform/posix/windows_names.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>
#include <string>

namespace platform::posix {

namespace {

char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool equalsUpper(std::string_view name, std::string_view upperName) {
  return name.size() == upperName.size() &&
         std::equal(name.begin(), name.end(), upperName.begin(),
                    [](char a, char b) { return upper(a) == b; });
}

}  // namespace

bool isWindowsFileSystem(std::string_view type) {
  constexpr std::array<std::string_view, 13> kTypes = {
      "vfat", "msdos",        "exfat",      "ntfs",         "ntfs3",           "fuseblk",   "cifs",
      "smb3", "fuse.fusefat", "fuse.exfat", "fuse.ntfs-3g", "fuse.exfat-fuse", "fuse.ntfs",
  };
  return std::find(kTypes.begin(), kTypes.end(), type) != kTypes.end();
}

bool isWindowsDisk(dev_t device) {
  // Each line: id parent major:minor root mountpoint options [optional fields] - type source ...
  std::ifstream mounts("/proc/self/mountinfo");
  const std::string wanted = std::to_string(major(device)) + ':' + std::to_string(minor(device));
  for (std::string line; std::getline(mounts, line);) {
    std::istringstream fields(line);
    std::string id, parent, numbers;
    if (!(fields >> id >> parent >> numbers) || numbers != wanted) continue;
    const auto dash = line.find(" - ");
    if (dash == std::string::npos) continue;
    std::istringstream rest(line.substr(dash + 3));
    std::string type;
    rest >> type;
    return isWindowsFileSystem(type);
  }
  return false;
}

WindowsName windowsVerdict(std::string_view name) {
  if (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
    return WindowsName::EndsInDotOrSpace;
  }
  const std::string_view stem = name.substr(0, name.find('.'));
  for (const std::string_view device : {"CON", "PRN", "AUX", "NUL"}) {
    if (equalsUpper(stem, device)) return WindowsName::DeviceName;
  }
  if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9' &&
      (equalsUpper(stem.substr(0, 3), "COM") || equalsUpper(stem.substr(0, 3), "LPT"))) {
    return WindowsName::DeviceName;
  }
  return WindowsName::Fine;
}

}  // namespace platform::posix
