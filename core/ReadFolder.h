#pragma once
#include <windows.h>
#include <shlobj.h>

#include <cstdint>

#include "core/FileList.h"
#include "framework/StringList.h"

// Read flags.
constexpr uint32_t ReadFoldersSkipMasks = 1;
constexpr uint32_t ReadFilesOnly = 2;

// Appends directory dir's entries as one run at the end of the file block,
// through the shell for shell-namespace folders.
bool ReadDirEntries(uint32_t dir, uint32_t readFlags, TstateOfBrowser& list);
// The file-system read with the list's filter; subfolder names (before the
// filter, folder links left out) go to names when given. False when the
// folder does not exist.
bool ReadFolder(uint32_t dir, uint32_t readFlags, TstateOfBrowser& list, TStringList* names);
bool MatchFileFilter(uint32_t readFlags, const TFileFilter& filter, const TFilterList& masks,
                     const WIN32_FIND_DATAA& entry);
uint32_t PidlSize(LPCITEMIDLIST idList);
// Allocated through the shell allocator; the caller frees it the same way.
LPITEMIDLIST CombinePidls(LPCITEMIDLIST first, LPCITEMIDLIST second);
