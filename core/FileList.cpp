#include "core/FileList.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/FileUtils.h"

TstateOfBrowser FileLists[5];
TPluginStructure PluginStructure;
IShellFolder* DesktopFolder = nullptr;
HWND ShellOwnerWindow = nullptr;
std::string ViewerPath;
std::string EditorPath;
std::atomic<uint32_t> ToolBusy{0};
uint32_t GeneralCheckContainer = 0;
TListOperationEnd OnListOperationEnd = nullptr;

namespace {

HGLOBAL AllocBlock(size_t bytes) {
  TGlobalBlock block;
  block.Allocate(bytes ? bytes : 1);
  return block.Release();
}

void FreeBlock(HGLOBAL& h) {
  if (h) GlobalFree(h);
  h = nullptr;
}

bool ResizeBlock(HGLOBAL& h, size_t bytes, bool zeroFill = true) {
  HGLOBAL moved = h ? GlobalReAlloc(h, bytes, GMEM_MOVEABLE | (zeroFill ? GMEM_ZEROINIT : 0)) : AllocBlock(bytes);
  if (!moved) return false;
  h = moved;
  return true;
}

void FreeDirIdLists(HGLOBAL block, int32_t count) {
  TBlockLock<TDirRecord> dirs(block);
  if (!dirs) return;
  for (int32_t i = 0; i < count; ++i)
    if (dirs[i].Flags & DirOwnsIdList) FreeIdList(dirs[i].ItemIdList);
}

void FreeFileIdLists(TFileRecord* files, int32_t first, int32_t count) {
  for (int32_t i = first; i < first + count; ++i)
    if (files[i].Flags & FileOwnsIdList) FreeIdList(files[i].ItemIdList);
}

// Owned item-id lists are cloned, so that each list frees only its own.
template <typename TRecord>
void CloneOwnedIdLists(TRecord* records, int32_t count, uint32_t ownerFlag) {
  for (int32_t i = 0; i < count; ++i) {
    if (!(records[i].Flags & ownerFlag) || !records[i].ItemIdList) continue;
    records[i].ItemIdList = ILClone(records[i].ItemIdList);
    if (!records[i].ItemIdList) records[i].Flags &= ~ownerFlag;
  }
}

void CopyBlockBytes(HGLOBAL target, HGLOBAL source, size_t bytes) {
  if (!bytes) return;
  TGlobalLock t(target), s(source);
  if (t.Get() && s.Get()) memcpy(t.Get(), s.Get(), bytes);
}

}  // namespace

void FreeIdList(LPITEMIDLIST idList) {
  if (idList) CoTaskMemFree(idList);
}

void CloneOwnedDirIdLists(TDirRecord* dirs, int32_t count) {
  CloneOwnedIdLists(dirs, count, DirOwnsIdList);
}

void ReleaseOwnedIdList(TFileRecord& r) {
  if (r.Flags & FileOwnsIdList) FreeIdList(r.ItemIdList);
  r.ItemIdList = nullptr;
  r.Flags &= ~FileOwnsIdList;
}

uint32_t ExtOffsetOf(const char* name, uint32_t nameOffset, uint32_t nameLength, bool folder) {
  if (!folder)
    for (uint32_t i = nameLength; i-- > 1;)
      if (name[i] == '.') return nameOffset + i + 1;
  return nameOffset + nameLength;
}

void InitFileList(TstateOfBrowser& list, int32_t dirs, int32_t files, const std::string& mask,
                  int32_t poolSize) {
  list.SortKind = 8;
  list.SelectedCount = list.SelectedFiles = 0;
  list.SelectedBytes = 0;
  list.ListedFiles = 0;
  list.SavedDirBlock = list.SavedDirOrderBlock = nullptr;
  list.SavedDirCount = 0;
  list.DirCapacity = dirs;
  list.DirBlock = AllocBlock(size_t(dirs) * sizeof(TDirRecord));
  list.DirOrderBlock = AllocBlock(size_t(dirs) * sizeof(TDirRecord));
  list.FileCapacity = files;
  list.FileBlock = AllocBlock(size_t(files) * sizeof(TFileRecord));
  list.Names = new TTextStorage(poolSize);
  list.OrderBlock = AllocBlock(size_t(files) * sizeof(uint32_t));
  list.FileCount = list.RowCount = list.DirCount = 0;
  list.Filter = TFileFilter();
  list.ModeFlags = 0;
  list.Busy = 0;
  list.MaskList = new TFilterList;
  list.MaskText = mask;
  ParseFilterList(mask, *list.MaskList);
  list.CursorName.clear();
}

void FreeFileList(TstateOfBrowser& list) {
  if (list.FileBlock) {
    TBlockLock<TFileRecord> files(list.FileBlock);
    if (files) FreeFileIdLists(files.Get(), 0, list.FileCount);
  }
  if (list.SavedDirBlock) {
    FreeDirIdLists(list.SavedDirBlock, list.SavedDirCount);
  } else if (list.DirBlock) {
    FreeDirIdLists(list.DirBlock, list.DirCount);
  }
  for (HGLOBAL* h : {&list.FileBlock, &list.DirBlock, &list.OrderBlock, &list.DirOrderBlock,
                     &list.SavedDirBlock, &list.SavedDirOrderBlock})
    FreeBlock(*h);
  delete list.Names;
  list.Names = nullptr;
  delete list.MaskList;
  list.MaskList = nullptr;
  list.FileCount = list.DirCount = list.SavedDirCount = 0;
  list.FileCapacity = list.DirCapacity = 0;
}

void MoveFileList(TstateOfBrowser& target, TstateOfBrowser& source) {
  target = std::move(source);
  source = TstateOfBrowser();
}

void CopyListState(TstateOfBrowser& target, TstateOfBrowser& source) {
  InitFileList(target, source.DirCount + 10, source.FileCount + 10, source.MaskText,
               int32_t(source.Names->UsedLength));
  CopyBlockBytes(target.DirBlock, source.DirBlock, size_t(source.DirCount) * sizeof(TDirRecord));
  CopyBlockBytes(target.FileBlock, source.FileBlock,
                 size_t(source.FileCount) * sizeof(TFileRecord));
  CopyBlockBytes(target.DirOrderBlock, source.DirOrderBlock,
                 size_t(source.DirCount) * sizeof(uint32_t));
  CopyBlockBytes(target.OrderBlock, source.OrderBlock, size_t(source.FileCount) * sizeof(uint32_t));
  target.Names->CopyFrom(*source.Names);
  {
    TBlockLock<TDirRecord> dirs(target.DirBlock);
    if (dirs) CloneOwnedDirIdLists(dirs.Get(), source.DirCount);
    TBlockLock<TFileRecord> files(target.FileBlock);
    if (files) CloneOwnedIdLists(files.Get(), source.FileCount, FileOwnsIdList);
  }
  target.FileCount = source.FileCount;
  target.DirCount = source.DirCount;
  target.DriveIndex = source.DriveIndex;
  target.SortKind = source.SortKind;
  target.RowCount = source.RowCount;
  target.ModeFlags = source.ModeFlags;
  target.CursorName = source.CursorName;
}

// The flat blocks keep the list's directory capacity, so that the counts and
// capacities stay consistent while the view is on; they always hold the one
// record written here, even for a list made without directory room.
void FlattenDirBlocks(TstateOfBrowser& list, int32_t fileCount) {
  if (list.SavedDirBlock) return;
  ListTesting::CheckGrowth(&list);
  const size_t records = size_t(std::max(list.DirCapacity, 1));
  HGLOBAL dirBlock = AllocBlock(records * sizeof(TDirRecord));
  HGLOBAL orderBlock = AllocBlock(records * sizeof(TDirRecord));
  if (!dirBlock || !orderBlock) {
    FreeBlock(dirBlock);
    FreeBlock(orderBlock);
    return;
  }
  {
    TBlockLock<TDirRecord> dirs(dirBlock);
    TBlockLock<uint32_t> order(orderBlock);
    dirs[0] = TDirRecord{nullptr, uint32_t(fileCount), 0, 0, DirOpen, 0, -1};
    order[0] = 1;
  }
  list.SavedDirBlock = std::exchange(list.DirBlock, dirBlock);
  list.SavedDirOrderBlock = std::exchange(list.DirOrderBlock, orderBlock);
  list.SavedDirCount = list.DirCount;
  if (list.DirCount > 0) list.DirCount = 1;
}

void RestoreDirBlocks(TstateOfBrowser& list) {
  if (!list.SavedDirBlock) return;
  ListTesting::CheckGrowth(&list);
  FreeBlock(list.DirBlock);
  FreeBlock(list.DirOrderBlock);
  list.DirBlock = std::exchange(list.SavedDirBlock, nullptr);
  list.DirOrderBlock = std::exchange(list.SavedDirOrderBlock, nullptr);
  list.DirCount = list.SavedDirCount;
  list.SavedDirCount = 0;
}

bool GrowFileBlocks(TstateOfBrowser& list, int32_t by, bool zeroFill) {
  ListTesting::CheckGrowth(&list);
  size_t records = size_t(list.FileCapacity) + size_t(by);
  if (!ResizeBlock(list.FileBlock, records * sizeof(TFileRecord), zeroFill)) return false;
  if (!ResizeBlock(list.OrderBlock, records * sizeof(uint32_t), zeroFill)) return false;
  list.FileCapacity = int32_t(records);
  return true;
}

bool GrowDirBlocks(TstateOfBrowser& list, int32_t by) {
  ListTesting::CheckGrowth(&list);
  size_t records = size_t(list.DirCapacity) + size_t(by);
  if (!ResizeBlock(list.DirBlock, records * sizeof(TDirRecord))) return false;
  if (!ResizeBlock(list.DirOrderBlock, records * sizeof(TDirRecord))) return false;
  list.DirCapacity = int32_t(records);
  return true;
}

uint32_t AddDirRecord(TstateOfBrowser& list, const TDirRecord& dir) {
  if (list.DirCount >= list.DirCapacity && !GrowDirBlocks(list, DirGrowth)) return 0;
  TBlockLock<TDirRecord> dirs(list.DirBlock);
  if (!dirs) return 0;
  dirs[list.DirCount] = dir;
  return uint32_t(++list.DirCount);
}

void RemoveDirFiles(uint32_t dir, TstateOfBrowser& list) {
  if (dir < 1 || int32_t(dir) > list.DirCount) return;
  TBlockLock<TDirRecord> dirs(list.DirBlock);
  TBlockLock<TFileRecord> files(list.FileBlock);
  TBlockLock<uint32_t> order(list.OrderBlock);
  if (!dirs || !files || !order) return;
  TDirRecord& d = dirs[dir - 1];
  const uint32_t first = d.FirstFile, count = d.FileCount;
  if (count == 0 || first + count > uint32_t(list.FileCount)) {
    d.FileCount = 0;
    return;
  }
  FreeFileIdLists(files.Get(), int32_t(first), int32_t(count));
  const size_t tail = size_t(list.FileCount) - first - count;
  memmove(&files[first], &files[first + count], tail * sizeof(TFileRecord));
  memmove(&order[first], &order[first + count], tail * sizeof(uint32_t));
  list.FileCount -= int32_t(count);
  for (int32_t i = 0; i < list.DirCount; ++i)
    if (dirs[i].FirstFile > first) dirs[i].FirstFile -= count;
  d.FileCount = 0;
}

int32_t GetDirLevel(uint32_t dir, TstateOfBrowser& list) {
  if (dir < 1 || int32_t(dir) > list.DirCount) return 0;
  TBlockLock<TDirRecord> dirs(list.DirBlock);
  return dirs ? dirs[dir - 1].Depth : 0;
}

std::string GetFileNameAt(uint32_t dir, uint32_t record, TstateOfBrowser& list) {
  if (dir < 1 || int32_t(dir) > list.DirCount || record < 1) return {};
  TBlockLock<TDirRecord> dirs(list.DirBlock);
  TBlockLock<TFileRecord> files(list.FileBlock);
  if (!dirs || !files || record > dirs[dir - 1].FileCount) return {};
  return list.Names->GetString(files[dirs[dir - 1].FirstFile + record - 1].NameOffset);
}

std::string GetDirPath(uint32_t dir, TstateOfBrowser& list) {
  if (dir < 1 || int32_t(dir) > list.DirCount) return {};
  TBlockLock<TDirRecord> dirs(list.DirBlock);
  if (!dirs) return {};
  std::string path;
  CapitalizePath(list.Names->GetString(dirs[dir - 1].PathOffset), path);
  // Shown paths start with a capital too (the drive letter).
  if (!path.empty()) CharUpperBuffA(path.data(), 1);
  return path;
}

int32_t CountExpandedFiles(TstateOfBrowser& list) {
  TBlockLock<TDirRecord> dirs(list.DirBlock);
  if (!dirs) return 0;
  int32_t total = 0;
  for (int32_t i = 0; i < list.DirCount; ++i)
    if (dirs[i].Flags & DirOpen) total += int32_t(dirs[i].FileCount);
  return total;
}

void EndListOperation() {
  TPluginStructure& walk = PluginStructure;
  for (void* locked : {static_cast<void*>(walk.LockedFiles), static_cast<void*>(walk.LockedOrder),
                       static_cast<void*>(walk.LockedDirs)})
    if (locked) GlobalUnlock(GlobalHandle(locked));
  walk.LockedFiles = nullptr;
  walk.LockedOrder = nullptr;
  walk.LockedDirs = nullptr;
  if (walk.TextBlock) {
    if (walk.TextBlockPtr) GlobalUnlock(walk.TextBlock);
    GlobalFree(walk.TextBlock);
  }
  walk.TextBlock = nullptr;
  walk.TextBlockPtr = nullptr;
  if (!walk.List) return;
  if (walk.List->Names && walk.List->Names->LockDepth > 0) walk.List->Names->Unlock();
  if (OnListOperationEnd) OnListOperationEnd(walk);
  walk.List->Busy = 0;
}
