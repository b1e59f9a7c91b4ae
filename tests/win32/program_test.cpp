// What the executable declares to Windows: its manifest and its version resource, which the
// test program carries too.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <winver.h>

#include <string>
#include <vector>

namespace {

template <typename Function>
Function systemFunction(const wchar_t* module, const char* name) {
  const FARPROC found = GetProcAddress(LoadLibraryW(module), name);
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

TEST(Program, IsAwareOfEachMonitorsDpi) {
  using Context = HANDLE;
  const auto current =
      systemFunction<Context(WINAPI*)()>(L"user32.dll", "GetThreadDpiAwarenessContext");
  const auto awareness =
      systemFunction<int(WINAPI*)(Context)>(L"user32.dll", "GetAwarenessFromDpiAwarenessContext");
  ASSERT_NE(current, nullptr);
  ASSERT_NE(awareness, nullptr);
  constexpr int kPerMonitorAware = 2;  // DPI_AWARENESS_PER_MONITOR_AWARE
  EXPECT_EQ(awareness(current()), kPerMonitorAware);
}

TEST(Program, NamesItsProductNamewisp) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeW(path, &ignored));
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(GetFileVersionInfoW(path, 0, static_cast<DWORD>(info.size()), info.data()));
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(
      VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductName", &value, &length));
  EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), L"Namewisp");
}

}  // namespace
