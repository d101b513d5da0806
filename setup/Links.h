#pragma once
#include <windows.h>

#include <string>

// What CreateShellLink reports, in the order of its steps.
enum TShellLinkResult : int {
  slOk = 0,
  slCannotReplace = 1,   // a file at the link path cannot be deleted
  slNoLinkObject = 2,    // the shell's link object cannot be made
  slNoPersistFile = 3,   // it cannot be saved
  slCannotSetPath = 4,   // target or working folder refused
  slCannotConvert = 5,   // the link path has no UTF-16 form
  slCannotSave = 6,      // the link file cannot be written
};

// Writes a shell link (.lnk) at linkPath to targetPath, started in
// workingFolder; a file already at linkPath is replaced. Needs COM on the
// calling thread.
int CreateShellLink(const std::string& linkPath, const std::string& targetPath,
                    const std::string& workingFolder);

// CreateShellLink, with an error box over owner when it fails.
bool MakeLink(HWND owner, const std::string& linkPath, const std::string& targetPath,
              const std::string& workingFolder);
