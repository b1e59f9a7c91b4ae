// Names that a disk Windows also reads cannot keep, whatever Linux's driver lets through: FAT,
// exFAT and NTFS sticks and disks, and SMB shares. Internal to src/ui/platform/.
#pragma once

#include <sys/types.h>

#include <string_view>

namespace platform::posix {

// Whether the file system on `device` is one Windows also reads, by the type the kernel reports
// for its mount (ntfs-3g and exfat-fuse mount as fuseblk).
bool isWindowsDisk(dev_t device);
bool isWindowsFileSystem(std::string_view type);

enum class WindowsName {
  Fine,
  EndsInDotOrSpace,  // Windows drops the dot or space, or will not open the file
  DeviceName,        // CON, PRN, AUX, NUL, COM1-9, LPT1-9, in any case, alone or with an extension
};
WindowsName windowsVerdict(std::string_view name);

}  // namespace platform::posix
