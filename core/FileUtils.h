#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Path of the settings file for the given program folder (created empty there
// when missing; the user's application-data folder when that one refuses).
std::string SettingsFileName(const std::string& programFolder);
bool PathExists(const std::string& path);
// -1 when the file cannot be opened for reading.
int64_t GetFileSize64(const std::string& fileName);
// The size in the file's folder entry, known even while another process holds
// the file without sharing; -1 when there is no such file.
int64_t GetEntrySize(const std::string& fileName);
bool CanOpenExclusive(const std::string& fileName);
// Creates the file empty; false when it cannot, also when it exists already.
bool CanCreateExclusive(const std::string& fileName);
bool CopyCreationTime(HANDLE source, HANDLE target);
// Byte total of a folder tree; count receives its number of files. Folder
// links are not entered.
int64_t GetFolderSize(const std::string& folder, int64_t& count);
// Folder chosen in the shell's folder dialog with a trailing backslash, or "".
void BrowseForFolder(HWND owner, const std::string& title, std::string& path);
void CapitalizePath(const std::string& path, std::string& result);
void NormalizeNameCase(const char* name, std::string& result);
void ExtractNamePart(const std::string& fileName, std::string& result);
void ExtractExtPart(const std::string& fileName, std::string& result);
// The program file's folder, ending in a backslash.
std::string ProgramFolder();
// folder + "\" + name, without doubling the backslash of a drive root.
inline std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '\\') return folder + name;
  return folder + '\\' + name;
}
inline void StripTrailingBackslash(std::string& path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
}
// True for the "." and ".." entries of a folder enumeration.
inline bool IsDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}
// Keeps the system's critical-error and open-file boxes away for its life.
class TQuietErrors {
 public:
  explicit TQuietErrors(UINT mode = SEM_FAILCRITICALERRORS) : old_(SetErrorMode(mode)) {}
  ~TQuietErrors() { SetErrorMode(old_); }
  TQuietErrors(const TQuietErrors&) = delete;
  TQuietErrors& operator=(const TQuietErrors&) = delete;

 private:
  UINT old_;
};
// A link (Wine shows a Unix link to a folder so) is never entered: it may
// lead outside the tree or back to a folder above it.
inline bool IsFolderLink(DWORD attributes) { return attributes & FILE_ATTRIBUTE_REPARSE_POINT; }
