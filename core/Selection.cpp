#include "core/Selection.h"

#include "core/FileUtils.h"
#include "core/ListLock.h"

namespace {

void ApplyOperation(TFileRecord& e, uint32_t mark, int operation) {
  switch (operation) {
    case SelToggle: e.Flags ^= mark; break;
    case SelSet: e.Flags |= mark; break;
    case SelClear: e.Flags &= ~mark; break;
    default: break;
  }
}

// The files counted under the folder.
int64_t ComputeFolderSize(TFileRecord& e, TstateOfBrowser& list) {
  const std::string path =
      EntryDirPath(e.DirNumber, list) + "\\" + list.Names->GetString(e.NameOffset);
  int64_t count = 0;
  e.Size = uint64_t(GetFolderSize(path, count));
  e.Flags |= FileSizeKnown;
  return count;
}

template <typename TVisit>
void ForEachRecord(const TListLock& lock, uint32_t dir, TVisit visit) {
  const TDirRecord* d = lock.Dir(dir);
  if (!d) return;
  for (uint32_t r = 1; r <= d->FileCount; ++r)
    if (TFileRecord* e = lock.Record(dir, r)) visit(*e);
}

// Every record of the directories open in the list, in block order.
template <typename TVisit>
void ForEachOpenRecord(const TListLock& lock, const TstateOfBrowser& list, TVisit visit) {
  for (uint32_t dir = 1; int64_t(dir) <= list.DirCount; ++dir) {
    const TDirRecord* d = lock.Dir(dir);
    if (d && (d->Flags & DirOpen)) ForEachRecord(lock, dir, visit);
  }
}

bool NameStartsWith(const TPoolLock& pool, const TFileRecord& e, const std::string& text) {
  if (e.NameLength < text.size()) return false;
  return CompareNames(pool.Text(e.NameOffset), uint32_t(text.size()), text.data(),
                      uint32_t(text.size())) == 0;
}

bool NameEquals(const TPoolLock& pool, const TFileRecord& e, const char* text, uint32_t length) {
  return CompareNames(pool.Text(e.NameOffset), e.NameLength, text, length) == 0;
}

// Mathematical modulo for the wrap of FindNextByPrefix.
uint32_t Wrap(int64_t value, uint32_t n) { return uint32_t(((value % n) + n) % n) + 1; }

}  // namespace

void ChangeItemSelection(uint32_t dir, int32_t row, TstateOfBrowser& list, int operation,
                         bool computeSize) {
  TListLock lock(list);
  const TDirRecord* d = lock.Dir(dir);
  if (!d) return;
  const int64_t pos = int64_t(row) - (d->Depth > 0 ? 1 : 0);
  if (pos < 1) return;
  TFileRecord* e = lock.Entry(dir, uint32_t(pos));
  if (!e) return;
  const uint32_t mark = PaneMark(list);
  if (!e->ItemIdList) ApplyOperation(*e, mark, operation);
  if (computeSize && (e->Flags & mark) && IsFolder(*e)) ComputeFolderSize(*e, list);
}

void ChangeDirSelection(uint32_t dir, TstateOfBrowser& list, bool includeFolders, int operation) {
  TListLock lock(list);
  const uint32_t mark = PaneMark(list);
  ForEachRecord(lock, dir, [&](TFileRecord& e) {
    if (!e.ItemIdList && (includeFolders || !IsFolder(e))) ApplyOperation(e, mark, operation);
  });
}

bool IsFileSelected(uint32_t dir, uint32_t pos, TstateOfBrowser& list) {
  TListLock lock(list);
  const TFileRecord* e = lock.Entry(dir, pos);
  return e && (e->Flags & PaneMark(list));
}

void SelectByMask(uint32_t dir, const std::string& mask, bool select, TstateOfBrowser& list) {
  TFilterList masks;
  ParseFilterList(mask, masks);
  TPoolLock pool(list.Names);
  TListLock lock(list);
  if (!pool) return;
  const uint32_t mark = PaneMark(list);
  const bool skipFolders = GeneralCheckContainer & OptMaskSkipsFolders;
  ForEachRecord(lock, dir, [&](TFileRecord& e) {
    if (e.ItemIdList || (skipFolders && IsFolder(e))) return;
    if (!MatchFilterList(pool.Text(e.NameOffset), masks, false)) return;
    ApplyOperation(e, mark, select ? SelSet : SelClear);
  });
}

void SetGroupSelection(uint32_t dir, uint32_t group, bool select, TstateOfBrowser& list) {
  TListLock lock(list);
  const uint32_t mark = PaneMark(list);
  ForEachRecord(lock, dir, [&](TFileRecord& e) {
    if (group == 0)
      e.GroupNumber = 0;
    else if (e.GroupNumber == group && !e.ItemIdList)
      ApplyOperation(e, mark, select ? SelSet : SelClear);
  });
}

void ClearDirSelection(uint32_t dir, int mode, TstateOfBrowser& list) {
  TListLock lock(list);
  ForEachRecord(lock, dir, [&](TFileRecord& e) {
    e.Flags &= ~FileMarked;
    if (mode == ClearFreeIdLists && (e.Flags & FileOwnsIdList)) ReleaseOwnedIdList(e);
  });
}

void MarkFileForRemoval(uint32_t dir, uint32_t record, TstateOfBrowser& list) {
  TListLock lock(list);
  if (TFileRecord* e = lock.Record(dir, record)) e->Flags |= FileRemove;
}

std::string GetFirstSelectedName(TstateOfBrowser& list) {
  TListLock lock(list);
  const uint32_t mark = PaneMark(list);
  for (uint32_t dir = 1; int64_t(dir) <= list.DirCount; ++dir) {
    const TDirRecord* d = lock.Dir(dir);
    if (!d || !(d->Flags & DirOpen)) continue;
    for (uint32_t r = 1; r <= d->FileCount; ++r) {
      const TFileRecord* e = lock.Record(dir, r);
      if (e && (e->Flags & mark)) return list.Names->GetString(e->NameOffset);
    }
  }
  return {};
}

uint64_t GetSelectionSize(int64_t& count, TstateOfBrowser& list, bool computeSize) {
  count = 0;
  uint64_t bytes = 0;
  TListLock lock(list);
  const uint32_t mark = PaneMark(list);
  ForEachOpenRecord(lock, list, [&](TFileRecord& e) {
    if (!(e.Flags & mark) || e.ItemIdList) return;
    int64_t n = 1;
    if (!IsFolder(e)) {
      bytes += e.Size;
    } else if (computeSize) {
      n = ComputeFolderSize(e, list);
      bytes += e.Size;
    }
    count += n;
    e.Tag = uint32_t(n);
  });
  return bytes;
}

void UpdateListTotals(TstateOfBrowser& list) {
  list.SelectedCount = list.SelectedFiles = list.ListedFiles = 0;
  list.SelectedBytes = list.TotalBytes = 0;
  TBusyScope busy(list);
  TListLock lock(list);
  const uint32_t mark = PaneMark(list);
  ForEachOpenRecord(lock, list, [&](TFileRecord& e) {
    e.Flags &= ~FileRemove;
    const bool marked = e.Flags & mark;
    if (marked) ++list.SelectedCount;
    if (!IsFolder(e)) {
      ++list.ListedFiles;
      list.TotalBytes += e.Size;
      if (marked) {
        ++list.SelectedFiles;
        list.SelectedBytes += e.Size;
      }
    } else if ((e.Flags & FileSizeKnown) && !(e.Flags & FileOpen)) {
      list.TotalBytes += e.Size;
      if (marked) list.SelectedBytes += e.Size;
    }
  });
}

uint32_t FindNextByPrefix(uint32_t dir, uint32_t start, const std::string& text,
                          TstateOfBrowser& list, bool backwards) {
  TPoolLock pool(list.Names);
  TListLock lock(list);
  const TDirRecord* d = lock.Dir(dir);
  if (!pool || !d || d->FileCount == 0) return 0;
  const uint32_t n = d->FileCount;
  for (uint32_t i = 1; i <= n; ++i) {
    const uint32_t pos = Wrap(int64_t(start) - 1 + (backwards ? -int64_t(i) : int64_t(i)), n);
    if (text.empty()) return pos;
    const TFileRecord* e = lock.Entry(dir, pos);
    if (e && NameStartsWith(pool, *e, text)) return pos;
  }
  return 0;
}

uint32_t FindFileByName(uint32_t dir, const std::string& text, TstateOfBrowser& list, bool exact) {
  if (text.empty()) return 0;
  TPoolLock pool(list.Names);
  TListLock lock(list);
  const TDirRecord* d = lock.Dir(dir);
  if (!pool || !d) return 0;
  for (uint32_t pos = 1; pos <= d->FileCount; ++pos) {
    const TFileRecord* e = lock.Entry(dir, pos);
    if (!e) continue;
    if (exact ? NameEquals(pool, *e, text.data(), uint32_t(text.size()))
              : NameStartsWith(pool, *e, text))
      return pos;
  }
  return 0;
}

uint32_t FindFolderPosition(const std::string& name, TstateOfBrowser& list) {
  TPoolLock pool(list.Names);
  TListLock lock(list);
  const TDirRecord* d = lock.Dir(1);
  if (!pool || !d) return 0;
  if (d->FileCount == 0) return 1;
  uint32_t low = 0, high = d->FileCount + 1;
  while (low + 1 != high) {
    const uint32_t mid = (low + high) / 2;
    const TFileRecord* e = lock.Entry(1, mid);
    // Files sort after every folder.
    const bool before = !e || !IsFolder(*e) ||
                        CompareNames(name.data(), uint32_t(name.size()), pool.Text(e->NameOffset),
                                     e->NameLength) < 0;
    if (before)
      high = mid;
    else
      low = mid;
  }
  return low;
}

uint32_t FindDuplicates(int mode, TstateOfBrowser& list) {
  const uint32_t n = list.FileCount > 0 ? uint32_t(list.FileCount) : 0;
  // An unknown mode keeps the list as it is.
  if (mode < 0 || mode > 3) return n;
  TPoolLock pool(list.Names);
  TListLock lock(list);
  if (!pool || !lock || n < 2) return 0;
  TFileRecord* files = lock.Files();
  uint32_t* order = lock.Order();
  auto equal = [&](uint32_t a, uint32_t b) {
    if (a < 1 || a > n || b < 1 || b > n) return false;
    const TFileRecord& x = files[a - 1];
    const TFileRecord& y = files[b - 1];
    const bool sameSize = x.Size == y.Size;
    const bool sameName = NameEquals(pool, x, pool.Text(y.NameOffset), y.NameLength);
    switch (mode) {
      case 1: return sameName;
      case 3: return sameSize && sameName;
      default: return sameSize;
    }
  };
  uint32_t written = 0;
  bool previous = false;
  for (uint32_t k = 0; k + 1 < n; ++k) {
    const uint32_t a = order[k], b = order[k + 1];
    const bool same = equal(a, b);
    // The output never overtakes the reading: at most k + 2 entries so far.
    if (same && !previous) order[written++] = a;
    if (same) order[written++] = b;
    previous = same;
  }
  return written;
}
