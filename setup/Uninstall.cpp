#include "setup/Uninstall.h"

#include <windows.h>

#include "core/ProgramKey.h"
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

// True when the file is gone afterwards; a missing file counts as removed.
bool RemoveFile(const std::string& path) {
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileA(path.c_str());
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
    for (const std::string& name : BuildFileList())
      if (name != UninstallerFileName && !RemoveFile(folder + name)) left.push_back(folder + name);
    if (!left.empty()) return left;
    if (!RemoveFile(folder + UninstallerFileName)) {
      left.push_back(folder + UninstallerFileName);
      return left;
    }
    RemoveDirectoryA(folder.c_str());
  }
  for (const std::string& link : record.Links)
    if (IsLinkFile(link)) DeleteFileA(link.c_str());
  if (!record.FolderName.empty()) RemoveDirectoryA(record.FolderName.c_str());
  TRegistry(HKEY_LOCAL_MACHINE).DeleteKey(UninstallRegistryKey);
  RemoveProgramKey();
  return left;
}
