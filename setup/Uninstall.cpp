#include "setup/Uninstall.h"

#include <windows.h>

#include "core/ProgramKey.h"
#include "framework/Handles.h"
#include "framework/Registry.h"
#include "setup/InstalledFiles.h"

namespace {

constexpr const char* kLinkValues[] = {"LinkKELVO", "LinkUninstall", "LinkHelp", "LinkDeskTop"};

bool IsFile(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// A value of the entry is input: only a link file is ever deleted through it.
bool IsLinkFile(const std::string& path) {
  return path.size() > 4 &&
         CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, path.c_str() + path.size() - 4, 4,
                        ".lnk", 4) == CSTR_EQUAL &&
         IsFile(path);
}

// An empty or relative folder would point the names at the current drive.
bool IsInstallFolder(const std::string& path) {
  const bool absolute = (path.size() >= 3 && path[1] == ':' && path[2] == '\\') ||
                        (path.size() >= 3 && path[0] == '\\' && path[1] == '\\');
  const DWORD a = GetFileAttributesA(path.c_str());
  return absolute && a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool MarkForDeletion(HANDLE file, bool mark) {
  FILE_DISPOSITION_INFO info{};
  info.DeleteFile = mark;
  return SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof info);
}

// Every installed file goes, or none does. Each is first opened for deletion
// without sharing, which a file in use (the running program, a reader)
// refuses and which keeps anyone from opening it meanwhile; only when all are
// held are they marked for deletion, and the marks are taken back when one is
// refused. They go as the handles close. The result lists what was refused.
std::vector<std::string> RemoveInstalledFiles(const std::string& folder) {
  struct THeld {
    std::string Path;
    THandle File;
    DWORD Attributes;
  };
  std::vector<THeld> held;
  std::vector<std::string> refused;
  for (const std::string& name : BuildFileList()) {
    const std::string path = folder + name;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    // A read-only file cannot be marked.
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    THandle file(CreateFileA(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) refused.push_back(path);
    held.push_back({path, std::move(file), attributes});
  }
  size_t marked = 0;
  while (refused.empty() && marked < held.size())
    if (MarkForDeletion(held[marked].File.Get(), true))
      ++marked;
    else
      refused.push_back(held[marked].Path);
  if (refused.empty()) return refused;
  for (size_t i = 0; i < marked; ++i) MarkForDeletion(held[i].File.Get(), false);
  for (THeld& h : held) {
    h.File.Reset();
    if (h.Attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(h.Path.c_str(), h.Attributes);
  }
  return refused;
}

bool KeyIsEmpty(const std::string& path) {
  TRegistry reg(HKEY_LOCAL_MACHINE, KEY_READ);
  DWORD subkeys = 0, values = 0;
  // A key that cannot be read counts as full: it is then never deleted.
  return reg.OpenKeyReadOnly(path) &&
         RegQueryInfoKeyA(reg.CurrentKey(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         subkeys == 0 && values == 0;
}

void RemoveProgramKey() {
  TRegistry reg(HKEY_LOCAL_MACHINE);
  reg.DeleteKey(ProgramRegistryKey);
  std::string parent = ProgramRegistryKey;
  // Up to the vendor's key; "Software" itself is never a candidate.
  for (size_t cut = parent.rfind('\\'); cut != std::string::npos && cut > 8;
       cut = parent.rfind('\\')) {
    parent.resize(cut);
    if (!KeyIsEmpty(parent) || !reg.DeleteKey(parent)) break;
  }
}

}  // namespace

TInstallRecord ReadInstallRecord() {
  TInstallRecord record;
  TRegistry reg(HKEY_LOCAL_MACHINE, KEY_READ);
  if (!reg.OpenKeyReadOnly(UninstallRegistryKey)) return record;
  record.SourceDirectory = reg.ReadString("SourceDirectory").value_or("");
  record.FolderName = reg.ReadString("FolderName").value_or("");
  for (const char* name : kLinkValues)
    if (auto link = reg.ReadString(name)) record.Links.push_back(*link);
  return record;
}

std::vector<std::string> RemoveInstallation(const TInstallRecord& record) {
  std::vector<std::string> left;
  std::string folder = record.SourceDirectory;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  if (IsInstallFolder(folder)) {
    left = RemoveInstalledFiles(folder);
    if (!left.empty()) return left;
    RemoveDirectoryA(folder.c_str());
  }
  for (const std::string& link : record.Links)
    if (IsLinkFile(link)) DeleteFileA(link.c_str());
  if (!record.FolderName.empty()) RemoveDirectoryA(record.FolderName.c_str());
  TRegistry(HKEY_LOCAL_MACHINE).DeleteKey(UninstallRegistryKey);
  RemoveProgramKey();
  return left;
}
