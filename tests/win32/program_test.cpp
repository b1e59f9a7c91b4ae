// What the executable declares to Windows: its manifest, its icon and its version resource,
// which the test program carries too.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <winver.h>

#include <set>
#include <string>
#include <vector>

#include "support.h"
#include "ui/platform/win32/win32_resources.h"

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

// An icon group's directory as the resource compiler stores it.
#pragma pack(push, 2)
struct IconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitsPerPixel;
  DWORD bytes;
  WORD id;
};
struct IconGroup {
  WORD reserved, type, count;
  IconEntry entries[1];
};
#pragma pack(pop)

// The sizes of the program's icon, 256 stored as 0.
std::set<int> iconSizes() {
  const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(NAMEWISP_ICON), RT_GROUP_ICON);
  if (found == nullptr) return {};
  const auto* group = static_cast<const IconGroup*>(LockResource(LoadResource(nullptr, found)));
  std::set<int> sizes;
  for (WORD i = 0; i < group->count; ++i) {
    const IconEntry& entry = group->entries[i];
    EXPECT_EQ(entry.bitsPerPixel, 32) << "with an alpha channel";
    sizes.insert(entry.width == 0 ? 256 : entry.width);
  }
  return sizes;
}

// Each size Windows draws an icon at, from 100% to 250% scaling, so none is scaled from another.
TEST(Program, CarriesItsIconAtEachSizeWindowsDraws) {
  EXPECT_EQ(iconSizes(), (std::set<int>{16, 20, 24, 32, 40, 48, 64, 256}));
}

SIZE iconSize(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {};
  BITMAP bitmap{};
  GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return {bitmap.bmWidth, bitmap.bmHeight};
}

// The title bar draws the small icon, the taskbar and Alt+Tab the large one; each is the
// program's own, at the size the display asks for (32 and 16 pixels at 96 dots per inch, 64 and
// 32 at 192).
TEST(Program, ShowsItsIconInTheTitleBarTaskbarAndAltTab) {
  test::TempFolder folder;
  test::Window window;
  const HWND form = window.hwnd();
  ASSERT_NE(form, nullptr);
  const HICON stock = LoadIconW(nullptr, IDI_APPLICATION);
  struct Row {
    int kind, width, height;
  };
  for (const Row row :
       {Row{GCLP_HICON, SM_CXICON, SM_CYICON}, Row{GCLP_HICONSM, SM_CXSMICON, SM_CYSMICON}}) {
    const auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(form, row.kind));
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(icon, stock);
    const SIZE size = iconSize(icon);
    EXPECT_EQ(size.cx, GetSystemMetrics(row.width));
    EXPECT_EQ(size.cy, GetSystemMetrics(row.height));
    EXPECT_TRUE(iconSizes().contains(size.cx)) << "drawn as made, not scaled from another size";
  }
}

}  // namespace
