#pragma once
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "core/Masks.h"
#include "core/TextStorage.h"
#include "framework/Handles.h"

// Directory record flags.
constexpr uint32_t DirTreeFileMask = 0x00FFFFFF;  // folder entry's file number
constexpr uint32_t DirOpen = 0x2000000;
constexpr uint32_t DirOwnsIdList = 0x4000000;
constexpr uint32_t DirShellFolder = 0x8000000;

// Entry record flags.
constexpr uint32_t FileTreeDirMask = 0x00FFFFFF;  // directory of an opened folder
constexpr uint32_t FileOpen = 0x2000000;
constexpr uint32_t FileOwnsIdList = 0x4000000;
constexpr uint32_t FileMarked = 0x10000000;
constexpr uint32_t FileSizeKnown = 0x20000000;
constexpr uint32_t FileRemove = 0x40000000;
constexpr uint32_t FileMarkedRight = 0x80000000;

// List modes.
constexpr uint32_t ModeBasketView = 1;
constexpr uint32_t ModeResults = 2;
constexpr uint32_t ModeSecondMark = 4;
constexpr uint32_t ModeLeftView = 8;

// Growth steps of the blocks, in records.
constexpr int32_t FileGrowthRead = 2600;
constexpr int32_t FileGrowthInsert = 20;
constexpr int32_t DirGrowth = 10;

struct TDirRecord {
  LPITEMIDLIST ItemIdList;  // absolute, or nil for a file-system path
  uint32_t FileCount;
  uint32_t FirstFile;   // 0-based index into the file and order blocks
  uint32_t PathOffset;  // path without trailing backslash, or display name
  uint32_t Flags;
  int32_t Depth;
  int32_t FsLevels;  // -1 for a file-system path
};

struct TFileRecord {
  LPITEMIDLIST ItemIdList;  // relative to the directory, or nil
  uint64_t Size;
  FILETIME LastWriteTime;
  uint32_t Attributes;
  uint32_t DirNumber;
  uint32_t Flags;
  int32_t IconIndex;
  int32_t OpenIconIndex;
  uint32_t NameLength;
  uint32_t NameOffset;
  uint32_t ExtOffset;
  uint32_t Tag;
  uint32_t GroupNumber;
};

struct TFileFilter {
  uint8_t Active = 0;
  uint8_t Duplicates = 0;
  uint32_t DuplicateRule = 0;
  uint32_t DateMode = 0;  // 1 window, 2 age
  uint64_t SizeValue = 0;
  uint32_t ExcludedAttributes = 0;
  uint32_t RequiredAttributes = 0;
  FILETIME DateFrom{};
  FILETIME DateTo{};
  uint32_t AgeCount = 0;
  uint32_t AgeUnit = 0;   // 0 hours, 1 days, 2 weeks, 3 months, else years
  uint32_t SizeRule = 0;  // bits 0-1: 1 equal, 2 less, 3 more; bits 2-3: 2 KiB, 3 MiB
};

// One file list. A plain record: blocks are owned by InitFileList and
// FreeFileList, not by the record, because a basket view shares the basket's
// blocks and owns only its order block. A copy would alias blocks that
// FreeFileList frees, so there is none: blocks change hands through
// MoveFileList, and a view shares the basket's through AttachBasketView.
struct TstateOfBrowser {
  TstateOfBrowser() = default;
  TstateOfBrowser(const TstateOfBrowser&) = delete;
  TstateOfBrowser& operator=(const TstateOfBrowser&) = delete;
  HGLOBAL DirBlock = nullptr;
  HGLOBAL FileBlock = nullptr;
  HGLOBAL OrderBlock = nullptr;
  TTextStorage* Names = nullptr;
  HGLOBAL DirOrderBlock = nullptr;
  HGLOBAL SavedDirBlock = nullptr;
  HGLOBAL SavedDirOrderBlock = nullptr;
  int32_t SavedDirCount = 0;
  int32_t FileCapacity = 0;
  int32_t DirCapacity = 0;
  int32_t FileCount = 0;
  int32_t DirCount = 0;
  uint16_t DriveIndex = 0;
  uint32_t SortKind = 0;
  int32_t RowCount = 0;
  int32_t SelectedCount = 0;
  int32_t SelectedFiles = 0;
  uint64_t SelectedBytes = 0;
  uint64_t TotalBytes = 0;
  int32_t ListedFiles = 0;
  uint8_t Busy = 0;
  TFileFilter Filter;
  uint32_t ModeFlags = 0;
  std::string MaskText;
  TFilterList* MaskList = nullptr;
  std::string CursorName;

 private:
  friend void MoveFileList(TstateOfBrowser& target, TstateOfBrowser& source);
  friend void DetachBasketView(TstateOfBrowser& view);
  TstateOfBrowser& operator=(TstateOfBrowser&&) = default;
};

// The walk over the selected entries of one list (the walk itself lives with
// the main window's commands).
struct TPluginStructure {
  uint32_t CurrentDir = 0;
  uint32_t CurrentPos = 0;
  uint32_t PreviousDir = 0;
  TstateOfBrowser* List = nullptr;
  HGLOBAL TextBlock = nullptr;
  char* TextBlockPtr = nullptr;
  uint32_t TextBlockSize = 1000;
  uint8_t AutoMarked = 0;
  std::string RootPath;
  uint32_t* LockedOrder = nullptr;
  TFileRecord* LockedFiles = nullptr;
  TDirRecord* LockedDirs = nullptr;
  uint8_t Changed = 0;
};

// The five global lists, in this order.
extern TstateOfBrowser FileLists[5];
inline TstateOfBrowser& Basket = FileLists[0];
inline TstateOfBrowser& RightBasketView = FileLists[1];
inline TstateOfBrowser& LeftBasketView = FileLists[2];
inline TstateOfBrowser& RightPaneList = FileLists[3];
inline TstateOfBrowser& LeftPaneList = FileLists[4];

extern TPluginStructure PluginStructure;
// Obtained by the main window at start; released at shut-down.
extern IShellFolder* DesktopFolder;
// Owner window for shell enumerations (may be nil).
extern HWND ShellOwnerWindow;
extern std::string ViewerPath;
extern std::string EditorPath;
// Set on the window thread when a job starts; the file-operation thread clears
// it at its end while the window thread reads it.
extern std::atomic<uint32_t> ToolBusy;
// Bits read here: 0x08 select by mask leaves folders, 0x80 show hidden and
// system entries, 0x4000 basket additions get both marks.
extern uint32_t GeneralCheckContainer;
constexpr uint32_t OptShowHidden = 0x80;
constexpr uint32_t OptBasketBothMarks = 0x4000;

// The selection bit this list uses on shared records.
inline uint32_t PaneMark(const TstateOfBrowser& list) {
  return (list.ModeFlags & (ModeBasketView | ModeSecondMark)) == (ModeBasketView | ModeSecondMark)
             ? FileMarkedRight
             : FileMarked;
}

void InitFileList(TstateOfBrowser& list, int32_t dirs, int32_t files, const std::string& mask,
                  int32_t poolSize);
void FreeFileList(TstateOfBrowser& list);
// The target, owning nothing, takes the source's blocks and all its state;
// the source is left as a record made afresh.
void MoveFileList(TstateOfBrowser& target, TstateOfBrowser& source);
void CopyListState(TstateOfBrowser& target, TstateOfBrowser& source);
void FlattenDirBlocks(TstateOfBrowser& list, int32_t fileCount);
void RestoreDirBlocks(TstateOfBrowser& list);
void RemoveDirFiles(uint32_t dir, TstateOfBrowser& list);
int32_t GetDirLevel(uint32_t dir, TstateOfBrowser& list);
std::string GetFileNameAt(uint32_t dir, uint32_t record, TstateOfBrowser& list);
std::string GetDirPath(uint32_t dir, TstateOfBrowser& list);
int32_t CountExpandedFiles(TstateOfBrowser& list);
// Releases what the walk of PluginStructure locked, runs OnListOperationEnd
// (the basket's refresh or the views' recount) and clears the list's Busy.
void EndListOperation();
using TListOperationEnd = void (*)(TPluginStructure& walk);
extern TListOperationEnd OnListOperationEnd;

// Block growth keeping the contents; false (nothing changed) without memory.
// zeroFill false leaves the new room as it comes, for a caller that writes
// each record before counting it: zeroing would touch every page of it.
bool GrowFileBlocks(TstateOfBrowser& list, int32_t by, bool zeroFill = true);
bool GrowDirBlocks(TstateOfBrowser& list, int32_t by);
// Appends a directory record (growing by DirGrowth); its number, or 0.
uint32_t AddDirRecord(TstateOfBrowser& list, const TDirRecord& dir);
// Offset of a name's extension: after its last dot unless that dot comes
// first; folders have none (the end of the name).
uint32_t ExtOffsetOf(const char* name, uint32_t nameOffset, uint32_t nameLength, bool folder);
// Frees an item-id list through the shell allocator.
void FreeIdList(LPITEMIDLIST idList);
// Copied directory records get clones of the item-id lists they own, so that
// each list frees only its own.
void CloneOwnedDirIdLists(TDirRecord* dirs, int32_t count);
// The entry lets go of its item-id list, freeing it when owned; a record
// that outlives the call cannot free it twice.
void ReleaseOwnedIdList(TFileRecord& r);

// Typed view of a locked block for the life of the object.
template <typename T>
class TBlockLock {
 public:
  explicit TBlockLock(HGLOBAL h) : lock_(h) {}
  T* Get() const { return lock_.Get<T>(); }
  T& operator[](size_t i) const { return Get()[i]; }
  explicit operator bool() const { return Get() != nullptr; }

 private:
  TGlobalLock lock_;
};
