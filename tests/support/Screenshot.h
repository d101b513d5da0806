#pragma once
#include <windows.h>

#include <string>

// Saves what the screen shows of a window as a 24-bit .bmp; false on failure.
bool SaveWindowShot(HWND hwnd, const std::string& path);
