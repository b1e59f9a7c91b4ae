// Sizes at a DPI: the form's table, in twips, made pixels; the window's frame around it; and the
// fonts, made at the density of the monitor the window is on. Internal to
// src/ui/platform/win32/.
#pragma once

#include <windows.h>

#include <span>

#include "ui/platform/platform.h"

namespace platform::win32 {

// The form's frame: a fixed single border with a title bar, a window menu and a minimise box;
// no maximise box.
inline constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
inline constexpr DWORD kFormExStyle = 0;

// Dots per inch of `window`'s monitor as the window sees it.
UINT dpiOf(HWND window);

// `font`, whose height is given for `fontDpi` dots per inch, made for `dpi`. Every font of the
// backend is made here, so the form and the progress window scale theirs alike.
HFONT createFontAt(LOGFONTW font, int fontDpi, UINT dpi);

// Font, controls and window size of `form` for `dpi`: at creation, and again when the window
// moves to a monitor of another density. `controls` are in the table's order; `font` is the one
// they use, replaced by the new one.
void layOut(HWND form, const FormLayout& layout, std::span<const HWND> controls, UINT dpi,
            HFONT& font);

}  // namespace platform::win32
