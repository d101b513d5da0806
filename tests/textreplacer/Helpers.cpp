#include "Helpers.h"

#include <gtest/gtest.h>

#include <cstdio>

void PutFile(const std::string& path, std::string_view data) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  DWORD done = 0;
  if (!data.empty()) WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &done, nullptr);
  CloseHandle(h);
  ASSERT_EQ(done, data.size());
}

std::string GetFile(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string data(GetFileSize(h, nullptr), '\0');
  DWORD done = 0;
  if (!data.empty()) ReadFile(h, data.data(), static_cast<DWORD>(data.size()), &done, nullptr);
  CloseHandle(h);
  data.resize(done);
  return data;
}

FILETIME LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d);
  return d.ftLastWriteTime;
}

TReplaceResult RunReplacer(const std::string& path, TReplaceMode mode, const TPairSpec& pair, bool backup,
                           int32_t split, int32_t* matches, TThread* thread) {
  TPatternPairOptions options;
  options.CaseSensitive = pair.CaseSensitive;
  options.CaseEnabled = mode != rmInsToHead && mode != rmInsToFoot;
  options.WholeWord = pair.WholeWord;
  TGlobalBlock block = BuildPatternBlock(pair.Find, pair.Replacement, options);
  TTextReplacer replacer(thread, backup, block.Handle(), mode);
  replacer.SplitPosition = split;
  const TReplaceResult result = replacer.ReplaceInFile(path);
  if (matches) *matches = replacer.MatchCount;
  return result;
}

bool WriteAt(HANDLE h, int64_t at, const void* data, DWORD size) {
  LARGE_INTEGER li;
  li.QuadPart = at;
  DWORD done = 0;
  return SetFilePointerEx(h, li, nullptr, FILE_BEGIN) && WriteFile(h, data, size, &done, nullptr) && done == size;
}

std::string ReadAt(HANDLE h, int64_t at, DWORD size) {
  LARGE_INTEGER li;
  li.QuadPart = at;
  std::string s(size, '?');
  DWORD done = 0;
  if (!SetFilePointerEx(h, li, nullptr, FILE_BEGIN) || !ReadFile(h, s.data(), size, &done, nullptr)) return "";
  s.resize(done);
  return s;
}

void SkipWhenDiskIsShort(const std::string& folder, int64_t needed) {
  ULARGE_INTEGER available{};
  if (GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr) &&
      available.QuadPart >= static_cast<uint64_t>(needed))
    return;
  printf("skipped: fewer than %lld free bytes in %s\n", static_cast<long long>(needed), folder.c_str());
  fflush(stdout);
  ExitProcess(77);
}
