#pragma once
#include <windows.h>

#include <string>

// text := the system's message text for an error code (at most 1024 bytes,
// without its closing line break). With show, a warning box also shows it
// under the prefix (the text alone for an empty prefix).
void ShowSystemError(bool show, DWORD code, std::string& text, const std::string& prefix,
                     const std::string& caption, HWND owner = nullptr);
