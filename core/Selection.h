#pragma once
#include <cstdint>
#include <string>

#include "core/FileList.h"

// Selection operation codes; other values leave the mark alone.
constexpr int SelToggle = 1;
constexpr int SelSet = 2;
constexpr int SelClear = 4;

// Mode of ClearDirSelection that also frees the entries' own item-id lists.
constexpr int ClearFreeIdLists = 4;

// Option bit of GeneralCheckContainer: select by mask leaves folders alone.
constexpr uint32_t OptMaskSkipsFolders = 0x08;

// Rows of a directory below the root start with the "[..]" row.
void ChangeItemSelection(uint32_t dir, int32_t row, TstateOfBrowser& list, int operation,
                         bool computeSize);
void ChangeDirSelection(uint32_t dir, TstateOfBrowser& list, bool includeFolders, int operation);
bool IsFileSelected(uint32_t dir, uint32_t pos, TstateOfBrowser& list);
void SelectByMask(uint32_t dir, const std::string& mask, bool select, TstateOfBrowser& list);
// Group 0 ends every grouping of the directory.
void SetGroupSelection(uint32_t dir, uint32_t group, bool select, TstateOfBrowser& list);
void ClearDirSelection(uint32_t dir, int mode, TstateOfBrowser& list);
void MarkFileForRemoval(uint32_t dir, uint32_t record, TstateOfBrowser& list);
std::string GetFirstSelectedName(TstateOfBrowser& list);
// Bytes of the selected entries of open directories; count receives the
// files they stand for, and each entry's Tag its own share.
uint64_t GetSelectionSize(int64_t& count, TstateOfBrowser& list, bool computeSize);
void UpdateListTotals(TstateOfBrowser& list);
// Positions are 1-based in display order; 0 when nothing matches.
uint32_t FindNextByPrefix(uint32_t dir, uint32_t start, const std::string& text,
                          TstateOfBrowser& list, bool backwards);
uint32_t FindFileByName(uint32_t dir, const std::string& text, TstateOfBrowser& list, bool exact);
uint32_t FindFolderPosition(const std::string& name, TstateOfBrowser& list);
// Modes: 0 or 2 equal size, 1 equal name, 3 both. The flat, sorted list's
// order block keeps only the runs of equal neighbours; their number.
uint32_t FindDuplicates(int mode, TstateOfBrowser& list);
