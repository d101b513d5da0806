#pragma once
#include <string>
#include <vector>

// The names the installer writes below the install folder and the uninstaller
// removes again, each beginning with a backslash. Entry n - 1 is the content
// of the embedded resource "file" + n, so the order is part of the format of
// kvtSETUP.exe.
std::vector<std::string> BuildFileList();

// The three entries that the wizard's links and the uninstall entry name.
inline constexpr const char* ProgramFileName = "\\Kelvanto.exe";
inline constexpr const char* UninstallerFileName = "\\UninstKVT.exe";
inline constexpr const char* HelpFileName = "\\kvt.chm";

// HKEY_LOCAL_MACHINE key of the uninstall entry.
inline constexpr const char* UninstallRegistryKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kelvanto";
