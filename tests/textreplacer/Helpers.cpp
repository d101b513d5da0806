#include "Helpers.h"

#include <gtest/gtest.h>

#include <algorithm>

TTempFolder::TTempFolder() {
  static int serial = 0;
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  path_ = std::string(base) + "kvtrepl" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
  CreateDirectoryA(path_.c_str(), nullptr);
}

TTempFolder::~TTempFolder() {
  for (const auto& name : Names()) {
    const std::string f = File(name);
    SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(f.c_str());
  }
  RemoveDirectoryA(path_.c_str());
}

std::vector<std::string> TTempFolder::Names() const {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string n = fd.cFileName;
    if (n != "." && n != "..") names.push_back(n);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

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
