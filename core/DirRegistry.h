#pragma once
#include <cstdint>
#include <string>

#include "core/FileList.h"

// Gathering lists (the basket, the finder's results) register one directory
// per folder, in a directory-order block sorted by path with case ignored.
// Paths are registered without a trailing backslash, which these routines
// remove from the caller's text.

// Position for a new path, or -1 for an empty or registered one.
int32_t FindDirInsertPos(std::string& path, TstateOfBrowser& list);
// A record at index DirCount that CommitDirRecord keeps or drops; false when
// it cannot be stored.
bool AppendDirRecord(const std::string& path, TstateOfBrowser& list);
bool CommitDirRecord(int32_t pos, TstateOfBrowser& list);
// The directory number of the path, registered when new; -1 for "".
int32_t FindOrAddDir(std::string& path, TstateOfBrowser& list);
// targetDir may be any number up to the target's capacity.
void CopyDirRecord(uint32_t targetDir, TstateOfBrowser& target, uint32_t sourceDir,
                   TstateOfBrowser& source);
// Appends a copy of the entry shown at sourcePos to the target directory.
void CopyFileRecord(uint32_t sourceDir, uint32_t sourcePos, uint32_t targetDir, bool resort,
                    TstateOfBrowser& target, TstateOfBrowser& source);
// Inserts a copy at its name-sorted place unless the name is there.
void InsertFileUnique(uint32_t sourceDir, uint32_t sourcePos, uint32_t targetDir,
                      TstateOfBrowser& target, TstateOfBrowser& source);
void AddFileFromDisk(const std::string& folder, const std::string& name, uint32_t dir,
                     TstateOfBrowser& list);
// Both directories sorted by name alone first (SortByNameOnly).
void CopyItemStatesByName(TstateOfBrowser& oldList, TstateOfBrowser& newList, uint32_t newDir,
                          uint32_t oldDir);
// A new list of the source's selected entries, order block not filled; false
// (the target untouched or freed again) when none.
bool CopySelectedToList(TstateOfBrowser& target, TstateOfBrowser& source);
void PurgeMarkedFiles(uint32_t dir, TstateOfBrowser& list);
void PurgeBasket(TstateOfBrowser& list);
void RemoveDirRecord(uint32_t dir, TstateOfBrowser& list);
void CompactTextPool(TstateOfBrowser& list);
// flag: ModeLeftView for the left pane's view, else the right one.
void AttachBasketView(uint32_t flag, bool first, TstateOfBrowser& basket);
// The view lets go of the basket's blocks and frees its own, so that it
// never points into a basket that is freed; it is left as a record made afresh.
void DetachBasketView(TstateOfBrowser& view);
void RefreshAllLists();
void AddSelectionToBasket(TstateOfBrowser& list);
// For OnListOperationEnd: the basket's refresh after a walk that changed
// it, else the views' recount after a walk over a basket view.
void RefreshAfterListOperation(TPluginStructure& walk);
