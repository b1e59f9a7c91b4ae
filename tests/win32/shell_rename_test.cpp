// The request that ShellRename hands to the Windows shell's wide entry point.
#include "clean/shell_rename.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The request as the service saw it, recorded by a fake service at the platform seam.
struct Seen {
  SHFILEOPSTRUCTW record{};
  std::wstring from, to;  // the path lists, both terminating zeros included
  int calls = 0;
};
Seen seen;
int result = 0;

std::wstring pathList(const wchar_t* list) {
  std::wstring out;
  for (;;) {
    const std::wstring path(list);
    out += path;
    out.push_back(L'\0');
    if (path.empty()) return out;
    list += path.size() + 1;
  }
}

int WINAPI fakeService(SHFILEOPSTRUCTW* request) {
  ++seen.calls;
  seen.record = *request;
  seen.from = pathList(request->pFrom);
  seen.to = pathList(request->pTo);
  return result;
}

TEST(ShellRename, UsesTheWideEntryPoint) {
  EXPECT_EQ(clean::ShellService{&SHFileOperationW}, clean::ShellService{&SHFileOperation});
  EXPECT_TRUE((std::is_same_v<SHFILEOPSTRUCT, SHFILEOPSTRUCTW>));
}

TEST(ShellRename, SendsOneRenameWithSimpleProgressAndNothingElse) {
  seen = {};
  result = 0;
  EXPECT_EQ(clean::ShellRename(L"a_old.txt", L"C:\\f\\a.txt", fakeService), 0);
  ASSERT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.record.wFunc, static_cast<UINT>(FO_RENAME));
  EXPECT_EQ(seen.record.fFlags, FOF_SIMPLEPROGRESS);
  EXPECT_EQ(seen.record.hwnd, nullptr);
  EXPECT_EQ(seen.record.fAnyOperationsAborted, 0);
  EXPECT_EQ(seen.record.hNameMappings, nullptr);
  EXPECT_EQ(seen.record.lpszProgressTitle, nullptr);
  EXPECT_EQ(seen.from, std::wstring(L"a_old.txt\0\0", 11));
  EXPECT_EQ(seen.to, std::wstring(L"C:\\f\\a.txt\0\0", 12));
}

TEST(ShellRename, SendsOddRequestsUnchangedAndReturnsTheServiceResult) {
  seen = {};
  result = 0x71;
  struct Case {
    std::wstring source, destination;
  };
  const Case cases[] = {
      {L"same", L"C:\\f\\same"},
      {L"whole", L"C:\\f\\"},                   // empty new name
      {L"αρχείο_old", L"C:\\f\\αρχείο"},        // outside the system code page
      {L"bad\xD800_old", L"C:\\f\\bad\xD800"},  // an unpaired surrogate, as it is
  };
  for (const Case& c : cases) {
    EXPECT_EQ(clean::ShellRename(c.source, c.destination, fakeService), 0x71);
    EXPECT_EQ(seen.from, c.source + std::wstring(2, L'\0'));
    EXPECT_EQ(seen.to, c.destination + std::wstring(2, L'\0'));
  }
  EXPECT_EQ(seen.calls, 4);
}

}  // namespace
