#include "core/SortList.h"

#include <cstring>

namespace {

// Byte-length comparison in the system default locale, case ignored; an
// empty part sorts before any other.
int CompareParts(const char* a, uint32_t lenA, const char* b, uint32_t lenB) {
  if (lenA == 0 || lenB == 0) return (lenA != 0) - (lenB != 0);
  return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a, int(lenA), b, int(lenB)) - 2;
}

template <typename T>
int CompareValues(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

class TSorter {
 public:
  TSorter(TstateOfBrowser& list, uint32_t word) : pool_(list.Names->LockedPtr), word_(word) {}

  bool Before(const TFileRecord& n, const TFileRecord& p) const {
    const bool nFolder = n.Attributes & FILE_ATTRIBUTE_DIRECTORY;
    const bool pFolder = p.Attributes & FILE_ATTRIBUTE_DIRECTORY;
    const bool nameOnly = word_ & SortByNameOnly;
    if (!nameOnly && nFolder != pFolder) return nFolder;
    if (nameOnly || nFolder)
      return CompareParts(pool_ + n.NameOffset, n.NameLength, pool_ + p.NameOffset, p.NameLength) < 0;
    bool result = true;  // a full tie puts the new record first
    for (int key = 0; key < 4; ++key) {
      int c = CompareKey((word_ >> (3 * key)) & 7, n, p);
      if (c != 0) {
        result = c < 0;
        break;
      }
    }
    return (word_ & SortReverse) ? !result : result;
  }

 private:
  uint32_t StemLength(const TFileRecord& r) const {
    uint32_t stem = r.ExtOffset - r.NameOffset;
    return stem > 0 && pool_[r.ExtOffset - 1] == '.' ? stem - 1 : stem;
  }
  uint32_t ExtLength(const TFileRecord& r) const { return r.NameOffset + r.NameLength - r.ExtOffset; }

  int CompareKey(uint32_t code, const TFileRecord& n, const TFileRecord& p) const {
    switch (code) {
      case 0:
        return CompareParts(pool_ + n.NameOffset, StemLength(n), pool_ + p.NameOffset, StemLength(p));
      case 1:
        return CompareParts(pool_ + n.ExtOffset, ExtLength(n), pool_ + p.ExtOffset, ExtLength(p));
      case 2: return CompareValues(n.Size, p.Size);
      case 3: return CompareFileTime(&n.LastWriteTime, &p.LastWriteTime);
      default: return 0;
    }
  }

  const char* pool_;
  uint32_t word_;
};

}  // namespace

void SortFilesRange(uint32_t firstFile, uint32_t from, uint32_t to, TstateOfBrowser& list,
                    uint32_t sortWord) {
  if (to == from || to == 0 || to < from) return;
  if (!list.Names->Lock()) return;
  {
    TBlockLock<TFileRecord> files(list.FileBlock);
    TBlockLock<uint32_t> order(list.OrderBlock);
    if (files && order) {
      const TSorter sorter(list, sortWord);
      const TFileRecord* run = files.Get() + firstFile;
      uint32_t* positions = order.Get() + firstFile;  // positions[p - 1]: record shown p-th
      for (uint32_t rec = from + 1; rec <= to; ++rec) {
        const uint32_t placed = rec - 1;
        uint32_t low = 0, high = placed + 1;
        while (low + 1 != high) {
          uint32_t mid = (low + high) / 2;
          if (sorter.Before(run[rec - 1], run[positions[mid - 1] - 1]))
            high = mid;
          else
            low = mid;
        }
        memmove(positions + high, positions + high - 1, (placed - (high - 1)) * sizeof(uint32_t));
        positions[high - 1] = rec;
      }
    }
  }
  list.Names->Unlock();
}

void SortDir(uint32_t dir, uint32_t sortWord, TstateOfBrowser& list) {
  if (dir < 1 || int32_t(dir) > list.DirCount) return;
  TDirRecord d;
  {
    TBlockLock<TDirRecord> dirs(list.DirBlock);
    if (!dirs) return;
    d = dirs[dir - 1];
  }
  SortFilesRange(d.FirstFile, 0, d.FileCount, list, sortWord);
}

void SortAllDirs(TstateOfBrowser& list) {
  for (int32_t dir = 1; dir <= list.DirCount; ++dir) SortDir(uint32_t(dir), list.SortKind, list);
}
