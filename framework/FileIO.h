#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

// Reads a whole file (read and write sharing); false when it cannot be read,
// also when it is too large to be held in memory.
bool ReadWholeFile(const std::string& path, std::string& data);

// Writes data to a new file beside path and moves it over path in one step,
// so that path always holds either the old or the new content.
bool WriteFileReplacing(const std::string& path, std::string_view data);

// Creates a new file under the first name nameFor(attempt) gives that no file
// or folder holds at that moment; never opens one that exists, which belongs to
// somebody else. INVALID_HANDLE_VALUE when no name could be made.
HANDLE CreateFileUnderFreeName(const std::function<std::string(int)>& nameFor, std::string& name,
                               DWORD access, DWORD share, DWORD attributes);
