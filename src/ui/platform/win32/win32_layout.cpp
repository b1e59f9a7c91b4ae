#include "ui/platform/win32/win32_layout.h"

#include <windows.h>

#include <algorithm>

namespace platform::win32 {

namespace {

template <typename Function>
Function user32Function(const char* name) {
  const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// Windows 10 1607 and later; older systems give every window the system's DPI.
using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
const auto getDpiForWindow = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
const auto adjustWindowRectExForDpi =
    user32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");

// A point is a pixel at 72 dots per inch.
constexpr int kPointsPerInch = 72;
constexpr int kTwipsPerInch = 1440;

LOGFONTW logFont(const FontLayout& face) {
  LOGFONTW font{};
  font.lfHeight = -face.points;  // negative: the characters' height, not the cell's
  font.lfWeight = face.weight;
  font.lfItalic = face.italic;
  font.lfUnderline = face.underline;
  font.lfStrikeOut = face.strikeout;
  font.lfCharSet = static_cast<BYTE>(face.charset);
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::size_t length = std::min<std::size_t>(face.face.size(), LF_FACESIZE - 1);
  std::copy_n(face.face.begin(), length, font.lfFaceName);
  return font;
}

}  // namespace

UINT dpiOf(HWND window) {
  if (getDpiForWindow != nullptr) {
    if (const UINT dpi = getDpiForWindow(window); dpi != 0) return dpi;
  }
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

HFONT createFontAt(LOGFONTW font, int fontDpi, UINT dpi) {
  if (fontDpi > 0) font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), fontDpi);
  return CreateFontIndirectW(&font);
}

void layOut(HWND form, const FormLayout& layout, std::span<const HWND> controls, UINT dpi,
            HFONT& font) {
  const auto pixels = [dpi](int twips) {
    return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch);
  };
  const HFONT made = createFontAt(logFont(layout.font), kPointsPerInch, dpi);
  for (ControlId id = 0; id < controls.size(); ++id) {
    const ControlLayout& control = layout.controls[id];
    SetWindowPos(controls[id], nullptr, pixels(control.left), pixels(control.top),
                 pixels(control.width), pixels(control.height), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(controls[id], WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
  }
  if (font != nullptr) DeleteObject(font);
  font = made;

  RECT frame{0, 0, pixels(layout.clientWidth), pixels(layout.clientHeight)};
  if (adjustWindowRectExForDpi != nullptr) {
    adjustWindowRectExForDpi(&frame, kFormStyle, FALSE, kFormExStyle, dpi);
  } else {
    AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
  }
  SetWindowPos(form, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace platform::win32
