#include "core/ReadFolder.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "core/FileUtils.h"
#include "core/Formats.h"
#include "core/ListLock.h"
#include "framework/FindFiles.h"

namespace {

constexpr uint32_t ShellInfoFlags = SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME |
                                    SHGFI_ATTRIBUTES | SHGFI_SMALLICON;
constexpr DWORD ShellEnumFlags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;

uint64_t AsUInt64(const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

// Eight times the capacity at a time once that exceeds the step: each page a
// growth copies into is a fresh fault, which costs more than reading the
// entries in it, while room not yet filled costs nothing until it is
// touched. Half the capacity where that much address space cannot be had.
bool GrowForRead(TstateOfBrowser& list) {
  const int64_t capacity = list.FileCapacity, room = INT32_MAX - capacity;
  if (room <= 0) return false;
  for (int64_t by : {7 * capacity, capacity / 2})
    if (GrowFileBlocks(list, int32_t(std::min(std::max<int64_t>(FileGrowthRead, by), room)), false)) return true;
  return false;
}

// Appends records to one directory's run, keeping the file and order blocks
// locked and re-locking them after each growth.
class TEntryAppender {
 public:
  TEntryAppender(TstateOfBrowser& list, uint32_t dir) : list_(list), dir_(dir) {
    SetRun(uint32_t(list.FileCount), 0);
    Relock();
  }
  ~TEntryAppender() { SetRun(first_, count_); }

  // The record to fill, or nil when the blocks cannot grow.
  TFileRecord* Next() {
    if (list_.FileCount >= list_.FileCapacity) {
      files_.reset();
      order_.reset();
      const bool grown = GrowForRead(list_);
      Relock();
      if (!grown) return nullptr;
    }
    if (!*files_ || !*order_) return nullptr;
    TFileRecord* r = &(*files_)[size_t(list_.FileCount)];
    *r = TFileRecord{};
    r->DirNumber = dir_;
    r->IconIndex = r->OpenIconIndex = -1;
    return r;
  }
  void Commit() {
    (*order_)[size_t(list_.FileCount)] = ++count_;
    ++list_.FileCount;
  }

 private:
  void Relock() {
    files_.emplace(list_.FileBlock);
    order_.emplace(list_.OrderBlock);
  }
  void SetRun(uint32_t first, uint32_t count) {
    first_ = first;
    TBlockLock<TDirRecord> dirs(list_.DirBlock);
    if (!dirs) return;
    dirs[dir_ - 1].FirstFile = first;
    dirs[dir_ - 1].FileCount = count;
  }

  TstateOfBrowser& list_;
  uint32_t dir_;
  uint32_t first_ = 0;
  uint32_t count_ = 0;
  std::optional<TBlockLock<TFileRecord>> files_;
  std::optional<TBlockLock<uint32_t>> order_;
};

bool SetName(TFileRecord& r, TTextStorage& names, const char* name, bool folder) {
  r.NameOffset = names.Add(name);
  if (r.NameOffset == TTextStorage::NoOffset) return false;
  r.NameLength = uint32_t(strlen(name));
  r.ExtOffset = ExtOffsetOf(name, r.NameOffset, r.NameLength, folder);
  return true;
}

TDirRecord DirAt(TstateOfBrowser& list, uint32_t dir) {
  TBlockLock<TDirRecord> dirs(list.DirBlock);
  return dirs ? dirs[dir - 1] : TDirRecord{};
}

bool SizePasses(uint32_t rule, uint64_t value, uint64_t size) {
  switch ((rule >> 2) & 3) {
    case 2: size >>= 10; break;
    case 3: size >>= 20; break;
    default: break;
  }
  switch (rule & 3) {
    case 1: return size == value;
    case 2: return size < value;
    case 3: return size > value;
    default: return true;
  }
}

bool ReadShellFolder(uint32_t dir, const TDirRecord& record, TstateOfBrowser& list) {
  if (!record.ItemIdList || !DesktopFolder) return false;
  TComPtr<IShellFolder> folder;
  if (record.ItemIdList->mkid.cb == 0) {
    folder = TComPtr<IShellFolder>::Share(DesktopFolder);
  } else if (FAILED(DesktopFolder->BindToObject(record.ItemIdList, nullptr, IID_IShellFolder, folder.Put()))) {
    return false;
  }
  TComPtr<IEnumIDList> items;
  if (FAILED(folder->EnumObjects(ShellOwnerWindow, ShellEnumFlags, reinterpret_cast<IEnumIDList**>(items.Put()))))
    return false;
  if (!items) return true;  // S_FALSE without an enumerator: nothing to list

  SYSTEMTIME fixed{2001, 8, 5, 31, 13, 0, 0, 0};
  FILETIME fixedTime{};
  SystemTimeToFileTime(&fixed, &fixedTime);
  TEntryAppender run(list, dir);
  LPITEMIDLIST item = nullptr;
  ULONG fetched = 0;
  while (items->Next(1, &item, &fetched) == S_OK && item) {
    TFileRecord* r = run.Next();
    if (!r) {
      FreeIdList(item);
      break;
    }
    SHFILEINFOA info{};
    const TItemIdList full(CombinePidls(record.ItemIdList, item));
    if (full) SHGetFileInfoA(reinterpret_cast<LPCSTR>(full.Get()), 0, &info, sizeof(info), ShellInfoFlags);
    bool isFolder = info.dwAttributes & SFGAO_FOLDER;
    r->ItemIdList = item;
    r->Flags = FileOwnsIdList;  // freed with the list
    r->IconIndex = info.iIcon;
    r->Attributes = isFolder ? FILE_ATTRIBUTE_DIRECTORY : 0;
    r->LastWriteTime = fixedTime;
    if (!SetName(*r, *list.Names, info.szDisplayName, true)) {
      FreeIdList(item);
      break;
    }
    run.Commit();
  }
  return true;
}

}  // namespace

uint32_t PidlSize(LPCITEMIDLIST idList) {
  uint32_t size = 0;
  if (!idList) return 0;
  auto* p = reinterpret_cast<const BYTE*>(idList);
  for (USHORT cb; memcpy(&cb, p + size, 2), cb != 0;) size += cb;
  return size;
}

LPITEMIDLIST CombinePidls(LPCITEMIDLIST first, LPCITEMIDLIST second) {
  uint32_t a = PidlSize(first), b = PidlSize(second);
  auto* p = static_cast<BYTE*>(CoTaskMemAlloc(a + b + 4));
  if (!p) return nullptr;
  if (a) memcpy(p, first, a);
  if (b) memcpy(p + a, second, b);
  memset(p + a + b, 0, 4);
  return reinterpret_cast<LPITEMIDLIST>(p);
}

bool MatchFileFilter(uint32_t readFlags, const TFileFilter& filter, const TFilterList& masks,
                     const WIN32_FIND_DATAA& entry) {
  bool ok = true;
  const uint32_t attr = entry.dwFileAttributes;
  if (filter.Active) {
    if (filter.DateMode == 1) {
      uint64_t t = AsUInt64(entry.ftLastWriteTime);
      ok = AsUInt64(filter.DateFrom) <= t && t <= AsUInt64(filter.DateTo);
    } else if (filter.DateMode == 2 && ok) {
      ok = IsNotOlderThan(entry.ftLastWriteTime, filter.AgeUnit, filter.AgeCount);
    }
    if ((attr & filter.RequiredAttributes) != filter.RequiredAttributes ||
        (attr & filter.ExcludedAttributes))
      ok = false;
    uint64_t size = (uint64_t(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    if (filter.SizeRule && ok) ok = SizePasses(filter.SizeRule, filter.SizeValue, size);
  }
  if (!(GeneralCheckContainer & OptShowHidden) &&
      (attr & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
    return false;
  if (!ok) return false;
  const bool folder = attr & FILE_ATTRIBUTE_DIRECTORY;
  if (!(folder && (readFlags & ReadFoldersSkipMasks)) &&
      !MatchFilterList(entry.cFileName, masks, true))
    return false;
  return !(folder && (readFlags & ReadFilesOnly));
}

bool ReadFolder(uint32_t dir, uint32_t readFlags, TstateOfBrowser& list, TStringList* names) {
  if (dir < 1 || int32_t(dir) > list.DirCount) return false;
  TEntryAppender run(list, dir);
  const std::string path = list.Names->GetString(DirAt(list, dir).PathOffset);
  DWORD attr = GetFileAttributesA((path + "\\").c_str());
  if (attr == INVALID_FILE_ATTRIBUTES) return false;

  // A file, or an empty drive root, lists no entries.
  TFindFiles search(path + "\\*.*");
  const TPoolLock pool(list.Names);
  const bool basketMarks =
      (list.ModeFlags & ModeBasketView) && (GeneralCheckContainer & OptBasketBothMarks);
  const TFilterList noMasks;
  const TFilterList& masks = list.MaskList ? *list.MaskList : noMasks;
  WIN32_FIND_DATAA fd;
  while (search.Next(fd)) {
    // "." and ".." are skipped wherever the enumeration puts them.
    if (IsDotEntry(fd.cFileName)) continue;
    const bool folder = fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    // A folder link is listed but not collected: a walk through it could
    // loop, or leave the tree for the host's own folders.
    if (folder && names && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        (!(fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) ||
         (GeneralCheckContainer & OptShowHidden)))
      names->Add(fd.cFileName);
    if (!MatchFileFilter(readFlags, list.Filter, masks, fd)) continue;
    TFileRecord* r = run.Next();
    if (!r || !SetName(*r, *list.Names, fd.cFileName, folder)) break;
    r->Size = (uint64_t(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    r->Attributes = fd.dwFileAttributes;
    r->LastWriteTime = fd.ftLastWriteTime;
    r->Flags = basketMarks ? FileMarked | FileMarkedRight : 0;
    run.Commit();
  }
  return true;
}

bool ReadDirEntries(uint32_t dir, uint32_t readFlags, TstateOfBrowser& list) {
  if (dir < 1 || int32_t(dir) > list.DirCount) return false;
  TDirRecord record = DirAt(list, dir);
  if (record.Flags & DirShellFolder) {
    {
      TEntryAppender empty(list, dir);  // the run starts empty even when binding fails
    }
    return ReadShellFolder(dir, record, list);
  }
  return ReadFolder(dir, readFlags, list, nullptr);
}
