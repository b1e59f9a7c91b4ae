// ShellRename handed to the real Windows shell (SHFileOperationW), in a real folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

#include "clean/shell_rename.h"
#include "support.h"

namespace {

using test::TempFolder;
using Contents = std::map<std::wstring, std::string>;

// The real shell, with what it answered kept, to compare with what ShellRename passes back.
struct Answer {
  int result = -1;
  BOOL aborted = FALSE;
  bool asked = false;
};
Answer shellAnswer;
int WINAPI answeringShell(LPSHFILEOPSTRUCTW request) {
  shellAnswer.result = SHFileOperationW(request);
  shellAnswer.aborted = request->fAnyOperationsAborted;
  shellAnswer.asked = true;
  return shellAnswer.result;
}

TEST(ShellService, RenamesInTheFolderAndNeverReplaces) {
  struct Case {
    const char* what;
    std::vector<std::wstring> files;
    std::wstring source, destination;  // the destination's bare name
    bool succeeds;
    Contents after;
  };
  const Case cases[] = {
      {"a plain rename",
       {L"a_old.txt", L"b.txt"},
       L"a_old.txt",
       L"a.txt",
       true,
       Contents{{L"a.txt", "a_old.txt"}, {L"b.txt", "b.txt"}}},
      {"another file has the new name",
       {L"c_old.txt", L"c.txt"},
       L"c_old.txt",
       L"c.txt",
       false,
       Contents{{L"c_old.txt", "c_old.txt"}, {L"c.txt", "c.txt"}}},
      {"the source is gone",
       {L"d.txt"},
       L"gone.txt",
       L"e.txt",
       false,
       Contents{{L"d.txt", "d.txt"}}},
      {"Greek",
       {L"αρχείο_old.txt"},
       L"αρχείο_old.txt",
       L"αρχείο.txt",
       true,
       Contents{{L"αρχείο.txt", test::utf8(L"αρχείο_old.txt")}}},
      {"Japanese",
       {L"報告書_old.txt"},
       L"報告書_old.txt",
       L"報告書.txt",
       true,
       Contents{{L"報告書.txt", test::utf8(L"報告書_old.txt")}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    for (const std::wstring& file : c.files)
      folder.write(file);
    test::DialogWatcher watcher;
    const std::wstring destination = platform::workingDirectory() + L"\\" + c.destination;
    shellAnswer = {};
    bool aborted = true;
    const std::int32_t result = clean::ShellRename(c.source, destination, &answeringShell, aborted);
    ASSERT_TRUE(shellAnswer.asked);
    EXPECT_EQ(result, shellAnswer.result) << "the shell's own answer, unchanged";
    EXPECT_EQ(aborted, shellAnswer.aborted != FALSE);
    EXPECT_EQ(result == 0, c.succeeds) << "result " << result;
    // A refusal is the file's, not the user's: a press would go on to the next file.
    EXPECT_FALSE(clean::cancelledByUser(result, aborted));
    EXPECT_EQ(folder.contents(), c.after);
  }
}

}  // namespace
