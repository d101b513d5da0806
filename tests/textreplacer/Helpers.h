#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "engines/ReplacerBase.h"
#include "engines/TextReplacer.h"
#include "support/TempFolder.h"

void PutFile(const std::string& path, std::string_view data);
std::string GetFile(const std::string& path);
FILETIME LastWriteTime(const std::string& path);

struct TPairSpec {
  std::string Find;
  std::string Replacement;
  bool CaseSensitive = true;
  bool WholeWord = false;
};

// Runs one replacer call on the file with a freshly built block.
TReplaceResult RunReplacer(const std::string& path, TReplaceMode mode, const TPairSpec& pair, bool backup = false,
                           int32_t split = 0, int32_t* matches = nullptr, TThread* thread = nullptr);

// Positioned writes and reads in files past 4 GiB.
bool WriteAt(HANDLE h, int64_t at, const void* data, DWORD size);
std::string ReadAt(HANDLE h, int64_t at, DWORD size);
// Ends the test program as skipped (exit code 77, see test.cmake) when the
// folder's disk has fewer than needed bytes free.
void SkipWhenDiskIsShort(const std::string& folder, int64_t needed);
