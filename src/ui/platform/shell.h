// The shell's file-operation service and its request record, as the Windows shell defines
// them. On Windows these are the shell's own (the wide entry point, so that every name
// survives); elsewhere src/ui/platform/posix/ provides the same record and a service that
// renames the POSIX way. Callers use the unsuffixed names: SHFILEOPSTRUCT, SHFileOperation.
#pragma once

#if defined(_WIN32)

#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

// The shell's answer when the user cancelled the operation in one of its dialogs.
inline constexpr int kShellCancelled = ERROR_CANCELLED;

#else

#include <cstdint>

using UINT = unsigned int;
using WORD = std::uint16_t;
using BOOL = int;
using FILEOP_FLAGS = WORD;

inline constexpr UINT FO_MOVE = 0x0001;
inline constexpr UINT FO_COPY = 0x0002;
inline constexpr UINT FO_DELETE = 0x0003;
inline constexpr UINT FO_RENAME = 0x0004;
inline constexpr FILEOP_FLAGS FOF_SIMPLEPROGRESS = 0x0100;

// One request. pFrom and pTo are path lists: each path ends in a zero character and the list
// ends in one more. On POSIX a narrow name is the file's native bytes, unconverted.
struct SHFILEOPSTRUCTA {
  void* hwnd;  // owner of the service's windows; null for none
  UINT wFunc;
  const char* pFrom;
  const char* pTo;
  FILEOP_FLAGS fFlags;
  BOOL fAnyOperationsAborted;
  void* hNameMappings;
  const char* lpszProgressTitle;
};
using SHFILEOPSTRUCT = SHFILEOPSTRUCTA;

// Result codes of the POSIX service. 0 is success; every refusal is also reported to the user
// in one modal error dialog, except kShellUnsupported and kShellBadRequest, which are faults of
// the caller rather than of the file. The dialog offers Skip, Skip All (further refusals for the
// same reason in the same task go unasked) and Cancel, which sets fAnyOperationsAborted and
// returns kShellCancelled.
enum : int {
  kShellOk = 0,
  kShellUnsupported = 1,        // wFunc other than FO_RENAME; nothing done
  kShellBadRequest = 2,         // a path list that does not hold exactly one non-empty path
  kShellSourceMissing = 3,      // the file to rename does not exist
  kShellNotARename = 4,         // the new name lies in another folder: that would be a move
  kShellBadName = 5,            // the new name's last part is empty, "." or ".."
  kShellDestinationExists = 6,  // another file already has the new name; nothing replaced
  kShellSystemError = 7,        // the OS refused: permissions, read-only, name too long, ...
  kShellNoSafeWay = 8,          // the file system cannot rename without risk of replacing
  kShellCancelled = 1223,       // the user chose Cancel in the refusal dialog, as Windows' value
};

// Renames one file, never replacing another: see src/ui/platform/posix/shell_file_operation.cpp.
int SHFileOperationA(SHFILEOPSTRUCTA* request);
inline int SHFileOperation(SHFILEOPSTRUCT* request) {
  return SHFileOperationA(request);
}

#endif
