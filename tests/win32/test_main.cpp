// The test program's entry: no crash or error dialog of Windows' own may stop a run.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdlib.h>

#include "ui/platform/platform.h"

namespace {
platform::Application* theApplication = nullptr;
}

namespace test {
platform::Application& application() {
  return *theApplication;
}
}  // namespace test

int main(int argc, char** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  // The C runtime's assert and abort messages to stderr, not a message box. (msvcrt.dll, the
  // runtime mingw-w64 links by default, has no _set_abort_behavior.)
  _set_error_mode(_OUT_TO_STDERR);
  testing::InitGoogleTest(&argc, argv);
  platform::Application app(argc, argv);
  theApplication = &app;
  return RUN_ALL_TESTS();
}
