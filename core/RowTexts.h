#pragma once
#include <cstdint>
#include <string>

#include "core/FileList.h"

// Column kinds of GetColumnText (the numbering of the column titles).
enum TColumnKind : int {
  ColName = 0,
  ColExtension = 1,
  ColSize = 2,
  ColTime = 3,
  ColAttributes = 4,
  ColFullName = 5,
  ColNewName = 6,
  ColLocation = 7,
  ColNameOnly = 8,
  ColNewExtension = 9,
  ColStoredName = 10,
};

// Mode bit of MakeSubfolderRecord: link the folder entry and the new
// directory as a tree node.
constexpr uint32_t SubfolderTreeLink = 2;

// Gathering lists: rows from 1 over the directories in path order, each
// led by a header row (position 0) when header is set. The outputs stay
// as they were for a row outside the list.
void FlatRowToItem(int32_t row, bool header, uint32_t& dir, TstateOfBrowser& list,
                   uint32_t& pos);
// Tree view: rows from 1 through the root and, depth first, every open
// folder. False, with dir and pos 0, for a row outside the tree or a tree
// whose links do not lead back to the root.
bool TreeRowToItem(int32_t row, uint32_t& dir, uint32_t& pos, TstateOfBrowser& list);
// Position 0 is the header row "[..]".
void GetColumnText(int kind, uint32_t dir, uint32_t pos, std::string& text,
                   TstateOfBrowser& list);
// Position 0 gives the directory's shown path with a backslash.
void GetItemName(uint32_t dir, uint32_t pos, std::string& name, TstateOfBrowser& list,
                 int32_t& depth);
// Tree view: the new directory number of a folder opened the first time
// (the caller reads and sorts it), 0 when an opened folder was shown or
// hidden again, -1 for a file.
int32_t ToggleFolderEntry(uint32_t dir, uint32_t pos, TstateOfBrowser& list);
void CollapseTreeNode(uint32_t dir, TstateOfBrowser& list);
// False when the record could not be made.
bool MakeSubfolderRecord(uint32_t parentDir, uint32_t pos, TstateOfBrowser& source,
                         uint32_t mode, TstateOfBrowser& target, uint32_t targetDir);
bool RereadKeepingExpanded(TstateOfBrowser& list);
// The list's only directory becomes the path or the drive's root; the
// caller reads and sorts it.
bool OpenPathAsRoot(const std::string& path, TstateOfBrowser& list);
bool OpenDriveRoot(int index, TstateOfBrowser& list);
// name receives the folder left, "" at a root.
void GoToParentFolder(TstateOfBrowser& list, std::string& name);
