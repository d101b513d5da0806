#include "core/DirRegistry.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/FileUtils.h"
#include "core/ListLock.h"
#include "core/Selection.h"
#include "core/SortList.h"
#include "framework/Cursors.h"

namespace {

constexpr uint32_t BothMarks = FileMarked | FileMarkedRight;
// Links of a tree view point into the list they came from.
constexpr uint32_t TreeLinks = FileTreeDirMask | FileOpen;

bool BothMarksOnAdd() { return GeneralCheckContainer & OptBasketBothMarks; }

// Registry search: the first position whose path sorts after path; number
// receives the directory at the position before it when that one has an
// equal path, else 0.
uint32_t SearchRegistry(const std::string& path, TstateOfBrowser& list, uint32_t& number) {
  number = 0;
  const uint32_t count = list.DirCount > 0 ? uint32_t(list.DirCount) : 0;
  TBlockLock<TDirRecord> dirs(list.DirBlock);
  TBlockLock<uint32_t> order(list.DirOrderBlock);
  TPoolLock pool(list.Names);
  if (!dirs || !order || !pool) return count + 1;
  auto compareAt = [&](uint32_t pos) {
    const uint32_t n = order[pos - 1];
    const uint32_t offset = n >= 1 && n <= count ? dirs[n - 1].PathOffset : list.Names->UsedLength;
    const char* text = offset < list.Names->UsedLength ? pool.Text(offset) : "";
    return CompareNames(path.data(), uint32_t(path.size()), text, uint32_t(strlen(text)));
  };
  uint32_t low = 0, high = count + 1;
  while (low + 1 != high) {
    const uint32_t mid = (low + high) / 2;
    if (compareAt(mid) < 0)
      high = mid;
    else
      low = mid;
  }
  if (high > 1 && compareAt(high - 1) == 0) number = order[high - 2];
  return high;
}

// Enters the record at index DirCount into the directory order at pos.
void RegisterAppended(uint32_t pos, TstateOfBrowser& list) {
  TBlockLock<uint32_t> order(list.DirOrderBlock);
  if (!order) return;
  const uint32_t count = uint32_t(list.DirCount);
  pos = std::clamp(pos, 1u, count + 1);
  memmove(&order[pos], &order[pos - 1], (count - (pos - 1)) * sizeof(uint32_t));
  order[pos - 1] = count + 1;
  ++list.DirCount;
}

// One entry on its way into a list: the record without its name.
struct TNewEntry {
  TFileRecord record{};
  std::string name;
  uint32_t extDistance = 0;
};

// A copy of the entry shown at pos; copies lose both marks and the tree
// links, and an owned item-id list is cloned so that each list frees its own.
bool EntryFrom(TstateOfBrowser& source, uint32_t dir, uint32_t pos, TNewEntry& entry) {
  {
    TListLock lock(source);
    const TFileRecord* e = lock.Entry(dir, pos);
    if (!e) return false;
    entry.record = *e;
    entry.name = source.Names->GetString(e->NameOffset);
  }
  TFileRecord& r = entry.record;
  entry.extDistance = std::min(r.ExtOffset - r.NameOffset, uint32_t(entry.name.size()));
  r.IconIndex = r.OpenIconIndex = -1;
  r.GroupNumber = 0;
  r.Flags &= ~(BothMarks | TreeLinks);
  if ((r.Flags & FileOwnsIdList) && r.ItemIdList) r.ItemIdList = ILClone(r.ItemIdList);
  if (!r.ItemIdList) r.Flags &= ~FileOwnsIdList;
  return true;
}

// Opens a slot at the end of dir's run: later records, their order entries
// and the later runs move up by one. The slot's index, or -1.
int64_t OpenRunSlot(TstateOfBrowser& list, uint32_t dir) {
  // Half again once that is more than a step: a basket filled one entry at a
  // time would otherwise copy its blocks over and over.
  if (list.FileCount >= list.FileCapacity &&
      !GrowFileBlocks(list, std::max(FileGrowthInsert, list.FileCapacity / 2)))
    return -1;
  TListLock lock(list);
  TDirRecord* k = lock.Dir(dir);
  if (!k) return -1;
  const uint32_t count = uint32_t(list.FileCount);
  if (k->FileCount == 0) k->FirstFile = count;
  const uint32_t at = k->FirstFile + k->FileCount;
  if (at > count) return -1;
  memmove(&lock.Files()[at + 1], &lock.Files()[at], (count - at) * sizeof(TFileRecord));
  memmove(&lock.Order()[at + 1], &lock.Order()[at], (count - at) * sizeof(uint32_t));
  if (at < count)
    for (uint32_t i = 1; int64_t(i) <= list.DirCount; ++i)
      if (TDirRecord* d = lock.Dir(i); d != k && d->FirstFile >= at) ++d->FirstFile;
  ++k->FileCount;
  ++list.FileCount;
  return at;
}

// Stores the entry in dir, shown at pos (0: last); false when nothing was added.
bool PlaceEntry(TstateOfBrowser& list, uint32_t dir, TNewEntry& entry, uint32_t pos) {
  TFileRecord& r = entry.record;
  r.NameOffset = list.Names->Add(entry.name.c_str());
  int64_t slot = r.NameOffset == TTextStorage::NoOffset ? -1 : OpenRunSlot(list, dir);
  if (slot < 0) {
    ReleaseOwnedIdList(r);
    return false;
  }
  r.NameLength = uint32_t(entry.name.size());
  r.ExtOffset = r.NameOffset + entry.extDistance;
  r.DirNumber = dir;
  TListLock lock(list);
  const TDirRecord* k = lock.Dir(dir);
  lock.Files()[slot] = r;
  const uint32_t count = k->FileCount;
  if (pos == 0 || pos > count) pos = count;
  uint32_t* run = lock.Order() + k->FirstFile;
  memmove(run + pos, run + pos - 1, (count - pos) * sizeof(uint32_t));
  run[pos - 1] = count;
  return true;
}

// Where name goes in dir's name-sorted display order, or 0 when an entry
// has that name already (it then gets both marks with the option).
uint32_t UniquePosition(TstateOfBrowser& list, uint32_t dir, const std::string& name) {
  TPoolLock pool(list.Names);
  TListLock lock(list);
  const TDirRecord* k = lock.Dir(dir);
  if (!pool || !k) return 0;
  auto compareAt = [&](uint32_t pos, TFileRecord*& e) {
    e = lock.Entry(dir, pos);
    return e ? CompareNames(name.data(), uint32_t(name.size()), pool.Text(e->NameOffset),
                            e->NameLength)
             : -1;
  };
  uint32_t low = 0, high = k->FileCount + 1;
  TFileRecord* e = nullptr;
  while (low + 1 != high) {
    const uint32_t mid = (low + high) / 2;
    if (compareAt(mid, e) < 0)
      high = mid;
    else
      low = mid;
  }
  if (high > 1 && compareAt(high - 1, e) == 0) {
    if (BothMarksOnAdd()) e->Flags |= BothMarks;
    return 0;
  }
  return high;
}

void InsertUnique(TstateOfBrowser& list, uint32_t dir, TNewEntry& entry) {
  const uint32_t pos = UniquePosition(list, dir, entry.name);
  if (pos == 0)
    ReleaseOwnedIdList(entry.record);
  else
    PlaceEntry(list, dir, entry, pos);
}

uint32_t FirstEmptyDir(TstateOfBrowser& list) {
  TListLock lock(list);
  for (uint32_t i = 1; int64_t(i) <= list.DirCount; ++i)
    if (lock.Dir(i) && lock.Dir(i)->FileCount == 0) return i;
  return 0;
}

void FreeOrderBlock(TstateOfBrowser& view) {
  if (view.OrderBlock) GlobalFree(view.OrderBlock);
  view.OrderBlock = nullptr;
}

}  // namespace

int32_t FindDirInsertPos(std::string& path, TstateOfBrowser& list) {
  StripTrailingBackslash(path);
  if (path.empty()) return -1;
  uint32_t number = 0;
  const uint32_t pos = SearchRegistry(path, list, number);
  return number ? -1 : int32_t(pos);
}

bool AppendDirRecord(const std::string& path, TstateOfBrowser& list) {
  if (list.DirCount >= list.DirCapacity && !GrowDirBlocks(list, DirGrowth)) return false;
  const uint32_t offset = list.Names->Add(path.c_str());
  if (offset == TTextStorage::NoOffset) return false;
  TBlockLock<TDirRecord> dirs(list.DirBlock);
  if (!dirs) return false;
  dirs[list.DirCount] = TDirRecord{nullptr, 0, uint32_t(list.FileCount), offset, DirOpen, 1, -1};
  return true;
}

bool CommitDirRecord(int32_t pos, TstateOfBrowser& list) {
  if (list.DirCount >= list.DirCapacity) return false;
  TDirRecord appended;
  {
    TBlockLock<TDirRecord> dirs(list.DirBlock);
    if (!dirs) return false;
    appended = dirs[list.DirCount];
  }
  if (appended.FileCount == 0) {
    list.Names->SetUsedLength(appended.PathOffset);
    return false;
  }
  RegisterAppended(uint32_t(std::max(pos, 1)), list);
  return true;
}

int32_t FindOrAddDir(std::string& path, TstateOfBrowser& list) {
  StripTrailingBackslash(path);
  if (path.empty()) return -1;
  uint32_t number = 0;
  const uint32_t pos = SearchRegistry(path, list, number);
  if (number) return int32_t(number);
  if (!AppendDirRecord(path, list)) return -1;
  RegisterAppended(pos, list);
  return list.DirCount;
}

void CopyDirRecord(uint32_t targetDir, TstateOfBrowser& target, uint32_t sourceDir,
                   TstateOfBrowser& source) {
  if (targetDir < 1 || int64_t(targetDir) > target.DirCapacity) return;
  if (sourceDir < 1 || int64_t(sourceDir) > source.DirCount) return;
  TDirRecord copy;
  {
    TBlockLock<TDirRecord> dirs(source.DirBlock);
    if (!dirs) return;
    copy = dirs[sourceDir - 1];
  }
  copy.PathOffset = target.Names->Add(source.Names->GetString(copy.PathOffset).c_str());
  if (copy.PathOffset == TTextStorage::NoOffset) return;
  CloneOwnedDirIdLists(&copy, 1);
  TBlockLock<TDirRecord> dirs(target.DirBlock);
  if (dirs) dirs[targetDir - 1] = copy;
}

void CopyFileRecord(uint32_t sourceDir, uint32_t sourcePos, uint32_t targetDir, bool resort,
                    TstateOfBrowser& target, TstateOfBrowser& source) {
  TNewEntry entry;
  if (!EntryFrom(source, sourceDir, sourcePos, entry)) return;
  if (!PlaceEntry(target, targetDir, entry, 0) || !resort) return;
  TDirRecord k;
  {
    TListLock lock(target);
    k = *lock.Dir(targetDir);
  }
  SortFilesRange(k.FirstFile, k.FileCount - 1, k.FileCount, target, target.SortKind);
}

void InsertFileUnique(uint32_t sourceDir, uint32_t sourcePos, uint32_t targetDir,
                      TstateOfBrowser& target, TstateOfBrowser& source) {
  TNewEntry entry;
  if (!EntryFrom(source, sourceDir, sourcePos, entry)) return;
  if (BothMarksOnAdd()) entry.record.Flags |= BothMarks;
  InsertUnique(target, targetDir, entry);
}

void AddFileFromDisk(const std::string& folder, const std::string& name, uint32_t dir,
                     TstateOfBrowser& list) {
  std::string full = folder;
  StripTrailingBackslash(full);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA((full + "\\" + name).c_str(), GetFileExInfoStandard, &data)) return;
  TNewEntry entry;
  TFileRecord& r = entry.record;
  r.Attributes = data.dwFileAttributes;
  r.Size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  r.LastWriteTime = data.ftLastWriteTime;
  r.Flags = BothMarksOnAdd() ? BothMarks : 0;
  r.IconIndex = r.OpenIconIndex = -1;
  entry.name = name;
  entry.extDistance = ExtOffsetOf(name.c_str(), 0, uint32_t(name.size()), IsFolder(r));
  InsertUnique(list, dir, entry);
}

void CopyItemStatesByName(TstateOfBrowser& oldList, TstateOfBrowser& newList, uint32_t newDir,
                          uint32_t oldDir) {
  TPoolLock oldPool(oldList.Names), newPool(newList.Names);
  TListLock oldLock(oldList), newLock(newList);
  const TDirRecord* o = oldLock.Dir(oldDir);
  const TDirRecord* n = newLock.Dir(newDir);
  if (!oldPool || !newPool || !o || !n) return;
  for (uint32_t i = 1, j = 1; i <= n->FileCount && j <= o->FileCount;) {
    TFileRecord* ne = newLock.Entry(newDir, i);
    const TFileRecord* oe = oldLock.Entry(oldDir, j);
    if (!ne || !oe) break;
    const int c = CompareNames(newPool.Text(ne->NameOffset), ne->NameLength,
                               oldPool.Text(oe->NameOffset), oe->NameLength);
    if (c == 0) {
      ne->OpenIconIndex = oe->OpenIconIndex;
      ne->IconIndex = oe->IconIndex;
      // Ownership of the item-id list stays with the new record's own list.
      ne->Flags = (oe->Flags & ~FileOwnsIdList) | (ne->Flags & FileOwnsIdList);
      ne->GroupNumber = oe->GroupNumber;
      if (oe->Flags & FileSizeKnown) ne->Size = oe->Size;
    }
    i += c <= 0;
    j += c >= 0;
  }
}

bool CopySelectedToList(TstateOfBrowser& target, TstateOfBrowser& source) {
  UpdateListTotals(source);
  if (source.SelectedCount == 0) return false;
  // In the flat view the entries' directory numbers address the saved blocks.
  const bool flat = source.SavedDirBlock != nullptr;
  HGLOBAL dirBlock = flat ? source.SavedDirBlock : source.DirBlock;
  HGLOBAL dirOrderBlock = flat ? source.SavedDirOrderBlock : source.DirOrderBlock;
  const int32_t dirCount = flat ? source.SavedDirCount : source.DirCount;
  InitFileList(target, dirCount + 1, source.FileCount + 1, source.MaskText,
               int32_t(source.Names->UsedLength));
  target.Names->CopyFrom(*source.Names);
  target.DirCount = dirCount;
  target.DriveIndex = source.DriveIndex;
  target.SortKind = source.SortKind;
  target.ModeFlags = source.ModeFlags;
  target.CursorName = source.CursorName;
  const uint32_t mark = PaneMark(source);
  {
    TBlockLock<TDirRecord> sd(dirBlock), td(target.DirBlock);
    TBlockLock<uint32_t> so(dirOrderBlock), to(target.DirOrderBlock);
    TBlockLock<TFileRecord> sf(source.FileBlock), tf(target.FileBlock);
    if (!sd || !td || !so || !to || !sf || !tf) {
      FreeFileList(target);
      return false;
    }
    memcpy(td.Get(), sd.Get(), size_t(dirCount) * sizeof(TDirRecord));
    memcpy(to.Get(), so.Get(), size_t(dirCount) * sizeof(uint32_t));
    CloneOwnedDirIdLists(td.Get(), dirCount);
    for (int32_t i = 0; i < dirCount; ++i) td[i].FileCount = 0;
    uint32_t previous = 0;
    for (int32_t i = 0; i < source.FileCount; ++i) {
      const TFileRecord& r = sf[i];
      if (!(r.Flags & mark) || r.ItemIdList || r.DirNumber < 1 || int64_t(r.DirNumber) > dirCount)
        continue;
      TFileRecord& copy = tf[target.FileCount];
      copy = r;
      copy.Tag = uint32_t(i + 1);
      TDirRecord& d = td[r.DirNumber - 1];
      if (r.DirNumber != previous) d.FirstFile = uint32_t(target.FileCount);
      previous = r.DirNumber;
      ++d.FileCount;
      ++target.FileCount;
    }
  }
  if (target.FileCount > 0) return true;
  FreeFileList(target);
  return false;
}

void PurgeMarkedFiles(uint32_t dir, TstateOfBrowser& list) {
  TListLock lock(list);
  TDirRecord* d = lock.Dir(dir);
  if (!d || uint64_t(d->FirstFile) + d->FileCount > uint64_t(list.FileCount)) return;
  TFileRecord* run = lock.Files() + d->FirstFile;
  uint32_t kept = 0;
  for (uint32_t r = 0; r < d->FileCount; ++r) {
    if (run[r].Flags & FileRemove)
      ReleaseOwnedIdList(run[r]);
    else
      run[kept++] = run[r];
  }
  const uint32_t dropped = d->FileCount - kept;
  // Later runs move down too, so that any directory may be purged.
  const uint32_t end = d->FirstFile + d->FileCount;
  const uint32_t tail = uint32_t(list.FileCount) - end;
  memmove(run + kept, run + d->FileCount, tail * sizeof(TFileRecord));
  uint32_t* order = lock.Order() + d->FirstFile;
  memmove(order + kept, order + d->FileCount, tail * sizeof(uint32_t));
  for (uint32_t p = 0; p < kept; ++p) order[p] = p + 1;  // block order until sorted
  if (dropped)
    for (uint32_t i = 1; int64_t(i) <= list.DirCount; ++i)
      if (TDirRecord* other = lock.Dir(i); other != d && other->FirstFile >= end)
        other->FirstFile -= dropped;
  d->FileCount = kept;
  list.FileCount -= int32_t(dropped);
}

void PurgeBasket(TstateOfBrowser& list) {
  bool dropped = false;
  {
    TListLock lock(list);
    if (!lock) return;
    TFileRecord* files = lock.Files();
    uint32_t written = 0, previous = 0;
    for (int32_t i = 0; i < list.FileCount; ++i) {
      TDirRecord* d = lock.Dir(files[i].DirNumber);
      if (files[i].DirNumber != previous && d) {
        d->FirstFile = written;
        d->FileCount = 0;
      }
      previous = files[i].DirNumber;
      if (files[i].Flags & FileRemove) {
        ReleaseOwnedIdList(files[i]);
        dropped = true;
        continue;
      }
      files[written++] = files[i];
      if (d) ++d->FileCount;
    }
    list.FileCount = int32_t(written);
  }
  for (uint32_t empty = FirstEmptyDir(list); empty; empty = FirstEmptyDir(list))
    RemoveDirRecord(empty, list);
  if (dropped) SortAllDirs(list);
}

void RemoveDirRecord(uint32_t dir, TstateOfBrowser& list) {
  if (dir < 1 || int64_t(dir) > list.DirCount) return;
  // Its entries go first: they would belong to the next directory otherwise.
  RemoveDirFiles(dir, list);
  TListLock lock(list);
  TBlockLock<uint32_t> order(list.DirOrderBlock);
  if (!lock || !order) return;
  TDirRecord* dirs = lock.Dir(1);
  const uint32_t count = uint32_t(list.DirCount);
  if (dirs[dir - 1].Flags & DirOwnsIdList) FreeIdList(dirs[dir - 1].ItemIdList);
  memmove(&dirs[dir - 1], &dirs[dir], (count - dir) * sizeof(TDirRecord));
  // Exactly one number leaves the order, even when the block lacks dir.
  uint32_t kept = 0;
  for (uint32_t i = 0; i < count; ++i)
    if (order[i] != dir && kept < count - 1) order[kept++] = order[i] - (order[i] > dir);
  list.DirCount = int32_t(count - 1);
  for (int32_t i = 0; i < list.FileCount; ++i)
    if (lock.Files()[i].DirNumber > dir) --lock.Files()[i].DirNumber;
}

void CompactTextPool(TstateOfBrowser& list) {
  if (!list.Names) return;
  const bool flat = list.SavedDirBlock != nullptr;
  const int32_t dirCount = flat ? list.SavedDirCount : list.DirCount;
  auto* pool = new TTextStorage(int32_t(std::max<uint32_t>(list.Names->UsedLength, 1)));
  std::vector<uint32_t> paths, names;
  bool ok = pool->Handle != nullptr;
  {
    TPoolLock old(list.Names);
    TBlockLock<TDirRecord> dirs(flat ? list.SavedDirBlock : list.DirBlock);
    TBlockLock<TFileRecord> files(list.FileBlock);
    ok = ok && old && dirs && files;
    auto add = [&](uint32_t offset, std::vector<uint32_t>& to) {
      const uint32_t at = pool->Add(offset < list.Names->UsedLength ? old.Text(offset) : "");
      ok = ok && at != TTextStorage::NoOffset;
      to.push_back(at);
    };
    for (int32_t i = 0; ok && i < dirCount; ++i) add(dirs[i].PathOffset, paths);
    for (int32_t i = 0; ok && i < list.FileCount; ++i) add(files[i].NameOffset, names);
    // Offsets change only when every text found its place.
    for (int32_t i = 0; ok && i < dirCount; ++i) dirs[i].PathOffset = paths[size_t(i)];
    for (int32_t i = 0; ok && i < list.FileCount; ++i) {
      TFileRecord& r = files[i];
      r.ExtOffset = names[size_t(i)] + (r.ExtOffset - r.NameOffset);
      r.NameOffset = names[size_t(i)];
    }
  }
  if (!ok) {
    delete pool;
    return;
  }
  delete list.Names;
  list.Names = pool;
}

void AttachBasketView(uint32_t flag, bool first, TstateOfBrowser& basket) {
  TstateOfBrowser& view = flag == ModeLeftView ? LeftBasketView : RightBasketView;
  const bool wasFlat = !first && view.SavedDirBlock;
  if (wasFlat) RestoreDirBlocks(view);
  view.DirBlock = basket.DirBlock;
  view.FileBlock = basket.FileBlock;
  view.Names = basket.Names;
  view.DirOrderBlock = basket.DirOrderBlock;
  view.SavedDirBlock = basket.SavedDirBlock;
  view.SavedDirOrderBlock = basket.SavedDirOrderBlock;
  view.FileCount = basket.FileCount;
  view.DirCount = basket.DirCount;
  view.FileCapacity = basket.FileCapacity;
  view.DirCapacity = basket.DirCapacity;
  view.ModeFlags = flag + ModeBasketView;
  FreeOrderBlock(view);
  TGlobalBlock order;
  order.Allocate(size_t(std::max(basket.FileCapacity, 1)) * sizeof(uint32_t));
  view.OrderBlock = order.Release();
  if (wasFlat) FlattenDirBlocks(view, view.FileCount);
  SortAllDirs(view);
}

void DetachBasketView(TstateOfBrowser& view) {
  RestoreDirBlocks(view);
  FreeOrderBlock(view);
  view = TstateOfBrowser();
}

void RefreshAllLists() {
  if (!Basket.Names) return;
  THourglassCursor hourglass;
  PurgeBasket(Basket);
  CompactTextPool(Basket);
  AttachBasketView(ModeLeftView, false, Basket);
  AttachBasketView(ModeSecondMark, false, Basket);
  UpdateListTotals(LeftBasketView);
  UpdateListTotals(RightBasketView);
}

void AddSelectionToBasket(TstateOfBrowser& list) {
  // A view's entries are the basket's own.
  if (&list == &Basket || (list.ModeFlags & ModeBasketView) || !Basket.Names) return;
  TBusyScope busy(list);
  uint32_t previous = 0;
  int32_t basketDir = -1;
  for (uint32_t dir = 1; int64_t(dir) <= list.DirCount; ++dir) {
    TDirRecord d;
    {
      TListLock lock(list);
      if (!lock.Dir(dir) || !(lock.Dir(dir)->Flags & DirOpen)) continue;
      d = *lock.Dir(dir);
    }
    for (uint32_t pos = 1; pos <= d.FileCount; ++pos) {
      uint32_t number = 0;
      {
        TListLock lock(list);
        TFileRecord* e = lock.Entry(dir, pos);
        if (!e || !(e->Flags & FileMarked)) continue;
        e->Flags &= ~FileMarked;
        if (e->ItemIdList) continue;
        number = e->DirNumber;
      }
      if (number != previous) {
        std::string path = ShownEntryDirPath(number, list);
        basketDir = FindOrAddDir(path, Basket);
        previous = number;
      }
      if (basketDir > 0) InsertFileUnique(dir, pos, uint32_t(basketDir), Basket, list);
    }
  }
}

void RefreshAfterListOperation(TPluginStructure& walk) {
  if (walk.Changed) {
    RefreshAllLists();
  } else if (walk.List && (walk.List->ModeFlags & ModeBasketView)) {
    UpdateListTotals(LeftBasketView);
    UpdateListTotals(RightBasketView);
  }
}
