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

// Removes the installed names from the install folder, then, when all of them
// are gone, the links, the empty folders and both registry keys. Files the
// installer did not write (a kvt.ini) stay, and with them their folder. When
// an installed file cannot be removed (the program still runs), the
// uninstaller, the links and the keys stay too, so that the user can run it
// again; the result lists the paths left behind.
std::vector<std::string> RemoveInstallation(const TInstallRecord& record);
