// The request that ShellRename hands to the shell's file-operation service, as a fake service at
// the platform seam sees it. The same test on every build: names are native, bytes on Linux and
// UTF-16 for the Windows shell's wide entry point.
#include "clean/shell_rename.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#if defined(_WIN32)
#define NATIVE(text) L##text
#else
#define NATIVE(text) text
#define WINAPI
#endif

namespace {

using platform::NativeChar;
using platform::NativeName;

const NativeName kFolder = platform::kPathSeparator == '/' ? NATIVE("/f/") : NATIVE("C:\\f\\");

struct Seen {
  SHFILEOPSTRUCT record{};
  NativeName from, to;  // the path lists, both terminating zeros included
  int calls = 0;
};
Seen seen;
int result = 0;

NativeName pathList(const NativeChar* list) {
  NativeName out;
  for (;;) {
    const NativeName path(list);
    out += path;
    out.push_back(0);
    if (path.empty()) return out;
    list += path.size() + 1;
  }
}

int WINAPI fakeService(SHFILEOPSTRUCT* request) {
  ++seen.calls;
  seen.record = *request;
  seen.from = pathList(request->pFrom);
  seen.to = pathList(request->pTo);
  return result;
}

NativeName listOf(const NativeName& path) {
  return path + NativeName(2, 0);
}

TEST(ShellRename, SendsOneRenameWithSimpleProgressAndNothingElse) {
  seen = {};
  result = 0;
  EXPECT_EQ(clean::ShellRename(NATIVE("a_old.txt"), kFolder + NATIVE("a.txt"), fakeService), 0);
  ASSERT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.record.wFunc, static_cast<UINT>(FO_RENAME));
  EXPECT_EQ(seen.record.fFlags, FOF_SIMPLEPROGRESS);
  EXPECT_EQ(seen.record.hwnd, nullptr);
  EXPECT_EQ(seen.record.fAnyOperationsAborted, 0);
  EXPECT_EQ(seen.record.hNameMappings, nullptr);
  EXPECT_EQ(seen.record.lpszProgressTitle, nullptr);
  EXPECT_EQ(seen.from, listOf(NATIVE("a_old.txt")));
  EXPECT_EQ(seen.to, listOf(kFolder + NATIVE("a.txt")));
}

TEST(ShellRename, SendsOddRequestsUnchangedAndReturnsTheServiceResult) {
  seen = {};
  result = 0x71;
  struct Case {
    NativeName source, destination;
  };
  const Case cases[] = {
    {NATIVE("same"), kFolder + NATIVE("same")},
    {NATIVE("whole"), kFolder},                          // empty new name
    {NATIVE("αρχείο_old"), kFolder + NATIVE("αρχείο")},  // outside a Western code page
#if defined(_WIN32)
    {L"bad\xD800_old", kFolder + L"bad\xD800"},  // an unpaired surrogate, as it is
#else
    {"\xFF\xFE_old", kFolder + "\xFF\xFE"},  // bytes that are not UTF-8, as they are
#endif
  };
  for (const Case& c : cases) {
    EXPECT_EQ(clean::ShellRename(c.source, c.destination, fakeService), 0x71);
    EXPECT_EQ(seen.from, listOf(c.source));
    EXPECT_EQ(seen.to, listOf(c.destination));
  }
  EXPECT_EQ(seen.calls, 4);
}

#if defined(_WIN32)
TEST(ShellRename, UsesTheWideEntryPoint) {
  EXPECT_EQ(clean::ShellService{&SHFileOperationW}, clean::ShellService{&SHFileOperation});
  EXPECT_TRUE((std::is_same_v<SHFILEOPSTRUCT, SHFILEOPSTRUCTW>));
}
#endif

}  // namespace
