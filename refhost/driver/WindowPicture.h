// A picture of a window as it shows on screen, for the documentation.
#pragma once

#include <windows.h>
#include <string>

namespace refhost {

// Shows and repaints the window, lets its messages run, and writes what the
// screen shows of it as a 24-bit BMP file. False when the file cannot be written.
bool SaveWindowPicture(HWND hWnd, const std::string &bmpPath);

} // namespace refhost
