#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

// Reads a whole file (read and write sharing); false when it cannot be read,
// also when it is too large to be held in memory.
bool ReadWholeFile(const std::string& path, std::string& data);

// Writes data to a new file beside path, checks that the file holds all of
// it, and moves it over path in one step, so that path always holds either
// the old or the new content.
bool WriteFileReplacing(const std::string& path, std::string_view data);

// Faults the platform gives a write, for tests: the next WriteFileReplacing
// that has data meets it once, half-way through its data.
enum class TWriteFault {
  None,
  DiskFull,        // the write fails
  CutButReported,  // the write stores nothing more, yet reports all stored
  Killed,          // the process ends, as under kill -9
};
void InjectWriteFault(TWriteFault fault);

// Creates a new file under the first name nameFor(attempt) gives that no file
// or folder holds at that moment; never opens one that exists, which belongs to
// somebody else. INVALID_HANDLE_VALUE when no name could be made.
HANDLE CreateFileUnderFreeName(const std::function<std::string(int)>& nameFor, std::string& name,
                               DWORD access, DWORD share, DWORD attributes);
