#pragma once
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/FileList.h"

// What the user does with the entry at (directory, position) of a list
// through the shell. Every shell call and message box is owned by
// ShellOwnerWindow; in the flat view the entry's real folder is used.

// True for a file (position above 0), which is opened with its program;
// a missing one is reported. Folders and the header row give False.
bool ExecuteFileEntry(uint32_t dir, uint32_t pos, TstateOfBrowser& list);
// Opens the file in the viewer, or with editor set in the editor; a folder
// the shell opens instead.
void ViewOrEditFile(uint32_t dir, uint32_t pos, TstateOfBrowser& list, bool editor);
// Creates the file in the root folder when it is missing (an existing one is
// left as it is) and opens it in the editor. False in a shell-namespace
// folder, or when the file is missing and cannot be made.
bool EditNewFile(const std::string& name, TstateOfBrowser& list);
// True when root + "\" + name was created; False in a shell-namespace folder.
bool CreateSubfolder(const std::string& name, TstateOfBrowser& list);
void ShowFileProperties(uint32_t dir, uint32_t pos, TstateOfBrowser& list);

// Offered the verb of the command chosen in the shell's menu; true when it
// carried the command out itself.
using TShellVerbHook = std::function<bool(const std::string& verb)>;
// The shell's context menu of the entry at the screen point, owned by the
// grid's window, and the chosen command carried out. While the menu is
// open, icm holds its menu-message handler for the grid to forward to; it is
// nil again when this returns.
void ShowShellContextMenu(HWND grid, IContextMenu2*& icm, const TShellVerbHook& verbHook, int x, int y,
                          uint32_t dir, uint32_t pos, TstateOfBrowser& list);
