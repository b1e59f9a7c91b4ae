#include "clean/shell_rename.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The request as the service saw it, recorded by a fake service at the platform seam.
struct Seen {
  SHFILEOPSTRUCT record{};
  std::string from, to;  // the path lists, both terminating zeros included
  int calls = 0;
};
Seen seen;
int result = 0;

std::string pathList(const char* list) {
  std::string out;
  for (;;) {
    const std::string path(list);
    out += path;
    out.push_back('\0');
    if (path.empty()) return out;
    list += path.size() + 1;
  }
}

int fakeService(SHFILEOPSTRUCT* request) {
  ++seen.calls;
  seen.record = *request;
  seen.from = pathList(request->pFrom);
  seen.to = pathList(request->pTo);
  return result;
}

TEST(ShellRename, SendsOneRenameWithSimpleProgressAndNothingElse) {
  seen = {};
  result = 0;
  EXPECT_EQ(clean::ShellRename("a_old.txt", "/f/a.txt", fakeService), 0);
  ASSERT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.record.wFunc, FO_RENAME);
  EXPECT_EQ(seen.record.fFlags, FOF_SIMPLEPROGRESS);
  EXPECT_EQ(seen.record.hwnd, nullptr);
  EXPECT_EQ(seen.record.fAnyOperationsAborted, 0);
  EXPECT_EQ(seen.record.hNameMappings, nullptr);
  EXPECT_EQ(seen.record.lpszProgressTitle, nullptr);
  EXPECT_EQ(seen.from, std::string("a_old.txt\0\0", 11));
  EXPECT_EQ(seen.to, std::string("/f/a.txt\0\0", 10));
}

TEST(ShellRename, SendsOddRequestsUnchangedAndReturnsTheServiceResult) {
  seen = {};
  result = 0x71;
  EXPECT_EQ(clean::ShellRename("same", "/f/same", fakeService), 0x71);
  EXPECT_EQ(seen.to, std::string("/f/same\0\0", 9));
  EXPECT_EQ(clean::ShellRename("whole", "/f/", fakeService), 0x71);  // empty new name
  EXPECT_EQ(seen.to, std::string("/f/\0\0", 5));
  EXPECT_EQ(clean::ShellRename("\xFF\xFE", "/f/\xFF", fakeService), 0x71);  // bytes as they are
  EXPECT_EQ(seen.from, std::string("\xFF\xFE\0\0", 4));
  EXPECT_EQ(seen.calls, 3);
}

}  // namespace
