#include "core/FileUtils.h"

#include <shlobj.h>

#include "framework/FindFiles.h"
#include "framework/Handles.h"

namespace {

HANDLE OpenShared(const std::string& name, DWORD access, DWORD share, DWORD disposition) {
  return CreateFileA(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

std::string WithBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

}  // namespace

std::string SettingsFileName(const std::string& programFolder) {
  const std::string path = WithBackslash(programFolder) + "kvt.ini";
  if (CanOpenExclusive(path)) return path;
  DWORD e = GetLastError();
  if (e == ERROR_FILE_NOT_FOUND) {
    if (CanCreateExclusive(path)) return path;
    e = GetLastError();
  }
  if (e != ERROR_ACCESS_DENIED) return path;
  char appData[MAX_PATH];
  if (FAILED(SHGetFolderPathA(GetDesktopWindow(), CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                              appData)))
    return path;
  const std::string folder = WithBackslash(appData) + "KVT";
  CreateDirectoryA(folder.c_str(), nullptr);
  const DWORD attr = GetFileAttributesA(folder.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) return path;
  return folder + "\\kvt.ini";
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int64_t GetFileSize64(const std::string& fileName) {
  THandle f(OpenShared(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
  LARGE_INTEGER size;
  if (!f || !GetFileSizeEx(f.Get(), &size)) return -1;
  return size.QuadPart;
}

int64_t GetEntrySize(const std::string& fileName) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool CanOpenExclusive(const std::string& fileName) {
  THandle f(OpenShared(fileName, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
  return f.Valid();
}

bool CanCreateExclusive(const std::string& fileName) {
  // Never truncates: a file that appeared since it was found missing is
  // somebody's (another instance's settings).
  THandle f(OpenShared(fileName, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW));
  return f.Valid();
}

bool CopyCreationTime(HANDLE source, HANDLE target) {
  FILETIME tc, ta, tw, sc, sa, sw;
  if (!GetFileTime(target, &tc, &ta, &tw) || !GetFileTime(source, &sc, &sa, &sw)) return false;
  return SetFileTime(target, &sc, &ta, &tw) != 0;
}

namespace {

int64_t SizeOfTree(const std::string& folder, int64_t& count) {
  TFindFiles find(folder + "\\*.*");
  WIN32_FIND_DATAA fd;
  int64_t total = 0;
  while (find.Next(fd)) {
    // "." and ".." may come anywhere in the enumeration; recursing into
    // either would never end.
    if (IsDotEntry(fd.cFileName)) continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!IsFolderLink(fd.dwFileAttributes))
        total += SizeOfTree(folder + "\\" + fd.cFileName, count);
    } else {
      total += (int64_t(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
      ++count;
    }
  }
  return total;
}

}  // namespace

int64_t GetFolderSize(const std::string& folder, int64_t& count) {
  count = 0;
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || IsFolderLink(attributes)) return 0;
  return SizeOfTree(folder, count);
}

void BrowseForFolder(HWND owner, const std::string& title, std::string& path) {
  path.clear();
  BROWSEINFOA bi{};
  bi.hwndOwner = owner;
  bi.lpszTitle = title.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  const TItemIdList pidl(SHBrowseForFolderA(&bi));
  if (!pidl) return;
  char buf[MAX_PATH];
  if (SHGetPathFromIDListA(pidl.Get(), buf)) path = WithBackslash(buf);
}

void CapitalizePath(const std::string& path, std::string& result) {
  result = path;
  if (result.empty()) return;
  CharLowerBuffA(result.data(), static_cast<DWORD>(result.size()));
  for (size_t i = 1; i < result.size(); ++i)
    if (result[i - 1] == '\\') CharUpperBuffA(&result[i], 1);
}

void NormalizeNameCase(const char* name, std::string& result) {
  result = name;
  for (char c : result)
    if (c >= 'a' && c <= 'z') return;
  if (result.empty()) return;
  CharLowerBuffA(result.data() + 1, static_cast<DWORD>(result.size() - 1));
  CharUpperBuffA(result.data(), 1);
}

void ExtractNamePart(const std::string& fileName, std::string& result) {
  const size_t dot = fileName.rfind('.');
  result = dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

void ExtractExtPart(const std::string& fileName, std::string& result) {
  const size_t dot = fileName.rfind('.');
  result = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
}

std::string ProgramFolder() {
  std::string buf(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    buf.resize(buf.size() * 2);
  }
  return buf.substr(0, buf.rfind('\\') + 1);
}
