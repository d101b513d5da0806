#pragma once
#include <windows.h>

#include <cstdint>

#include "core/FileList.h"

// One selected entry as the selection walk hands it out.
struct TSelectedItem {
  char* Name;    // NUL-terminated
  char* Folder;  // no trailing backslash, except a drive root
  uint32_t Attributes;
  uint32_t Tag;
};

// Flags of TItemUpdate.
constexpr uint32_t iuRename = 1;
constexpr uint32_t iuUnselect = 2;
constexpr uint32_t iuAttributes = 4;
constexpr uint32_t iuLastWriteTime = 8;
constexpr uint32_t iuSize = 16;
constexpr uint32_t iuRemove = 32;
constexpr uint32_t iuStatusMask = 0x3C0;

// The status marks in the status bits of TItemUpdate and in an entry's
// status word (its GroupNumber).
using TFileStatus = uint32_t;
constexpr TFileStatus fsSuccessful = 64;
constexpr TFileStatus fsFailed = 128;
constexpr TFileStatus fsUnchanged = fsSuccessful | fsFailed;

// What a worker reports about one entry.
struct TItemUpdate {
  uint32_t Flags = 0;
  const char* NewName = nullptr;
  uint32_t Attributes = 0;
  uint32_t Reserved = 0;
  uint64_t Size = 0;
  FILETIME LastWriteTime{};
};

// Gives an entry a new name appended to the list's pool, with its length and
// extension offset; false (the entry unchanged) when the pool cannot take it.
bool SetEntryName(TFileRecord& entry, TstateOfBrowser& list, const char* name);

// Applies an update to one entry of list: unselect and status on any list;
// name, attributes, size, time and removal only when the list is a basket
// walked for a pane (ModeFlags bit 1). Returns true when the entry got the
// removal mark, so that the lists are refreshed at the end.
bool ApplyItemUpdate(const TItemUpdate& update, TFileRecord& entry, TstateOfBrowser& list);
