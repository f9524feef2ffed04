// What the system does not scale by itself for a per-monitor DPI-aware
// program: list-view column widths (pixels) and icons loaded at a size.
#pragma once

#include <windows.h>

// GetDpiForWindow where the system has it (Windows 10 1607 and later), else
// the DPI of the screen.
UINT WindowDpi(HWND window);
// `pixels` at 96 DPI, at `dpi`.
int ScaledToDpi(int pixels, UINT dpi);
// Icon resource `id` at the large-icon size of `dpi` (32 pixels at 96 DPI);
// the caller destroys it.
HICON LoadLargeIconForDpi(int id, UINT dpi);
// Icon resource `id` at the small-icon size that the system asks for (the
// tray's); the caller destroys it.
HICON LoadSmallIcon(int id);
