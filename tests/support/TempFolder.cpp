#include "support/TempFolder.h"

#include <algorithm>

#include "framework/FileIO.h"

void TTempFolder::RemoveTree(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileA(path.c_str());
    return;
  }
  if (attr & FILE_ATTRIBUTE_REPARSE_POINT) {
    RemoveDirectoryA(path.c_str());
    return;
  }
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string n = fd.cFileName;
      if (n != "." && n != "..") RemoveTree(path + "\\" + n);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(path.c_str());
}

namespace {

void MakeParents(const std::string& full) {
  for (size_t at = full.find('\\', 3); at != std::string::npos; at = full.find('\\', at + 1))
    CreateDirectoryA(full.substr(0, at).c_str(), nullptr);
}

}  // namespace

TTempFolder::TTempFolder() {
  static int counter = 0;
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  path_ = std::string(base) + "kvt_" + std::to_string(GetCurrentProcessId()) + "_" +
          std::to_string(GetTickCount64()) + "_" + std::to_string(counter++);
  CreateDirectoryA(path_.c_str(), nullptr);
}

TTempFolder::~TTempFolder() { RemoveTree(path_); }

void TTempFolder::File(const std::string& name, uint64_t size, FILETIME time) const {
  const std::string full = path_ + "\\" + name;
  MakeParents(full);
  HANDLE h = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER at;
  at.QuadPart = LONGLONG(size);
  SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
  SetEndOfFile(h);
  if (time.dwLowDateTime || time.dwHighDateTime) SetFileTime(h, nullptr, nullptr, &time);
  CloseHandle(h);
}

void TTempFolder::Folder(const std::string& name) const {
  const std::string full = path_ + "\\" + name;
  MakeParents(full);
  CreateDirectoryA(full.c_str(), nullptr);
}

void TTempFolder::Remove(const std::string& name) const { RemoveTree(path_ + "\\" + name); }

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

bool WriteTestFile(const std::string& path, const std::string& bytes) {
  MakeParents(path);
  return WriteFileReplacing(path, bytes);
}

std::string ReadTestFile(const std::string& path) {
  std::string data;
  return ReadWholeFile(path, data) ? data : std::string();
}
