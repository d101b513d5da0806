#include "core/ListLock.h"

#include "core/FileUtils.h"

bool TListLock::RunValid(const TDirRecord& d) const {
  return uint64_t(d.FirstFile) + d.FileCount <= uint64_t(list_.FileCount > 0 ? list_.FileCount : 0);
}

TDirRecord* TListLock::Dir(uint32_t dir) const {
  if (!*this || dir < 1 || int64_t(dir) > list_.DirCount) return nullptr;
  return &dirs_[dir - 1];
}

uint32_t TListLock::RecordAt(uint32_t dir, uint32_t pos) const {
  const TDirRecord* d = Dir(dir);
  if (!d || pos < 1 || pos > d->FileCount || !RunValid(*d)) return 0;
  uint32_t record = order_[d->FirstFile + pos - 1];
  return record >= 1 && record <= d->FileCount ? record : 0;
}

TFileRecord* TListLock::Record(uint32_t dir, uint32_t record) const {
  const TDirRecord* d = Dir(dir);
  if (!d || record < 1 || record > d->FileCount || !RunValid(*d)) return nullptr;
  return &files_[d->FirstFile + record - 1];
}

bool EntryDirRecord(uint32_t dirNumber, TstateOfBrowser& list, TDirRecord& dir) {
  HGLOBAL block = list.SavedDirBlock ? list.SavedDirBlock : list.DirBlock;
  const int32_t count = list.SavedDirBlock ? list.SavedDirCount : list.DirCount;
  if (dirNumber < 1 || int64_t(dirNumber) > count) return false;
  TBlockLock<TDirRecord> dirs(block);
  if (!dirs) return false;
  dir = dirs[dirNumber - 1];
  return true;
}

std::string EntryDirPath(uint32_t dirNumber, TstateOfBrowser& list) {
  TDirRecord dir;
  return EntryDirRecord(dirNumber, list, dir) ? list.Names->GetString(dir.PathOffset) : std::string();
}

std::string ShownEntryDirPath(uint32_t dirNumber, TstateOfBrowser& list) {
  std::string path;
  CapitalizePath(EntryDirPath(dirNumber, list), path);
  if (!path.empty()) CharUpperBuffA(path.data(), 1);
  return path;
}

int CompareNames(const char* a, uint32_t lenA, const char* b, uint32_t lenB) {
  if (lenA == 0 || lenB == 0) return (lenA != 0) - (lenB != 0);
  return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a, int(lenA), b, int(lenB)) - 2;
}
