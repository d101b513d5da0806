#pragma once
#include <string>
#include <vector>

// What the uninstall entry says the installer put on the machine.
struct TInstallRecord {
  std::string SourceDirectory;     // the install folder
  std::string FolderName;          // the group folder, or ""
  std::vector<std::string> Links;  // link values, as written
};

// The uninstall entry's values; empty fields for what is missing.
TInstallRecord ReadInstallRecord();

// Removes the installed names from the install folder, then the links, the
// empty folders and both registry keys. Files the installer did not write (a
// kvt.ini) stay, and with them their folder. When any installed file cannot
// be removed (the program still runs, a file is open), nothing at all is
// removed, so that the user can close it and run the uninstaller again; the
// result lists the files that could not be removed.
std::vector<std::string> RemoveInstallation(const TInstallRecord& record);
