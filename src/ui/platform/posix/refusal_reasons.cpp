#include "ui/platform/posix/refusal_reasons.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform::posix {

// The medium went away under the request: a stick pulled, a share or FUSE daemon gone.
bool mediumGone(int dir, int error) {
  switch (error) {
    case ENOTCONN:
    case ECONNABORTED:
    case ENODEV:
    case ENXIO:
    case ESTALE:
    case ESHUTDOWN:
      return true;
    case EIO: {  // gone, or only one bad spot: whether the folder still answers tells
      const int fd = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd < 0) return true;
      close(fd);
      return false;
    }
    default:
      return false;
  }
}

Text reasonFor(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return u"you do not have permission to change this folder";
    case EROFS:
      return u"the folder is on a read-only file system";
    case ENAMETOOLONG:
      return u"the new name is too long";
    case ENOSPC:
    case EDQUOT:
      return u"the disk is full";
    case EBUSY:
    case ETXTBSY:
      return u"the file is in use";
    case EIO:
      return u"the disk reported an error";
    case EINVAL:
    case EILSEQ:
      return u"this disk does not allow that name";
    case EEXIST:
    case ENOTEMPTY:
      return u"a file with that name is already there";
    case ENOENT:
      return u"the disk could not find the file";
    case EXDEV:
      return u"the new name is on another disk";
    default:  // none that real media were seen to give
      return toText(std::strerror(error));
  }
}

}  // namespace platform::posix
