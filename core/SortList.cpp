#include "core/SortList.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

enum TPart { PartName, PartStem, PartExt, PartCount };

// Byte-length comparison in the system default locale, case ignored; an
// empty part sorts before any other.
int CompareParts(const char* a, uint32_t lenA, const char* b, uint32_t lenB) {
  if (lenA == 0 || lenB == 0) return (lenA != 0) - (lenB != 0);
  return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a, int(lenA), b, int(lenB)) - 2;
}

// The locale's sort key: byte order of keys is the order CompareStringA gives.
std::string SortKey(const char* text, uint32_t len) {
  if (len == 0) return {};
  std::string key(size_t(len) * 8 + 16, '\0');
  int n = LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, text, int(len),
                       reinterpret_cast<char*>(key.data()), int(key.size()));
  if (n == 0) {
    n = LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, text, int(len), nullptr, 0);
    key.assign(size_t(n > 0 ? n : 0), '\0');
    LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, text, int(len),
                 reinterpret_cast<char*>(key.data()), n);
  }
  key.resize(size_t(n > 0 ? n : 0));
  return key;
}

int CompareKeys(const std::string& a, const std::string& b) {
  int c = memcmp(a.data(), b.data(), a.size() < b.size() ? a.size() : b.size());
  if (c == 0) c = (a.size() > b.size()) - (a.size() < b.size());
  return c;
}

template <typename T>
int CompareValues(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

class TSorter {
 public:
  TSorter(const char* pool, const TFileRecord* run, uint32_t word)
      : pool_(pool), run_(run), word_(word) {}

  // Sort keys of the first count records, for the parts the word compares:
  // one key per record instead of a locale comparison per probe.
  void UseKeys(uint32_t count) {
    bool needed[PartCount] = {true, false, false};
    for (int key = 0; key < 4 && !(word_ & SortByNameOnly); ++key) {
      uint32_t code = (word_ >> (3 * key)) & 7;
      if (code == 0) needed[PartStem] = true;
      if (code == 1) needed[PartExt] = true;
    }
    for (int part = 0; part < PartCount; ++part) {
      if (!needed[part]) continue;
      keys_[part].reserve(count);
      for (uint32_t i = 0; i < count; ++i) {
        uint32_t len = 0;
        const char* text = Part(TPart(part), run_[i], len);
        keys_[part].push_back(SortKey(text, len));
      }
    }
    keyed_ = true;
  }

  // Whether record n (0-based in the run) goes in front of record p.
  bool Before(uint32_t n, uint32_t p) const {
    const TFileRecord& rn = run_[n];
    const TFileRecord& rp = run_[p];
    const bool nFolder = rn.Attributes & FILE_ATTRIBUTE_DIRECTORY;
    const bool pFolder = rp.Attributes & FILE_ATTRIBUTE_DIRECTORY;
    const bool nameOnly = word_ & SortByNameOnly;
    if (!nameOnly && nFolder != pFolder) return nFolder;
    if (nameOnly || nFolder) return ComparePart(PartName, n, p) < 0;
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
  const char* Part(TPart part, const TFileRecord& r, uint32_t& len) const {
    switch (part) {
      case PartStem: {
        uint32_t stem = r.ExtOffset - r.NameOffset;
        len = stem > 0 && pool_[r.ExtOffset - 1] == '.' ? stem - 1 : stem;
        return pool_ + r.NameOffset;
      }
      case PartExt:
        len = r.NameOffset + r.NameLength - r.ExtOffset;
        return pool_ + r.ExtOffset;
      default:
        len = r.NameLength;
        return pool_ + r.NameOffset;
    }
  }

  int ComparePart(TPart part, uint32_t n, uint32_t p) const {
    if (keyed_) return CompareKeys(keys_[part][n], keys_[part][p]);
    uint32_t lenN = 0, lenP = 0;
    const char* a = Part(part, run_[n], lenN);
    const char* b = Part(part, run_[p], lenP);
    return CompareParts(a, lenN, b, lenP);
  }

  int CompareKey(uint32_t code, uint32_t n, uint32_t p) const {
    switch (code) {
      case 0: return ComparePart(PartStem, n, p);
      case 1: return ComparePart(PartExt, n, p);
      case 2: return CompareValues(run_[n].Size, run_[p].Size);
      case 3: return CompareFileTime(&run_[n].LastWriteTime, &run_[p].LastWriteTime);
      default: return 0;
    }
  }

  const char* pool_;
  const TFileRecord* run_;
  uint32_t word_;
  bool keyed_ = false;
  std::vector<std::string> keys_[PartCount];
};

// Keys pay off when many records are inserted; a single insertion compares
// directly.
constexpr uint32_t KeyedMinimum = 16;

}  // namespace

void SortFilesRange(uint32_t firstFile, uint32_t from, uint32_t to, TstateOfBrowser& list,
                    uint32_t sortWord) {
  if (to == from || to == 0 || to < from) return;
  if (!list.Names->Lock()) return;
  {
    TBlockLock<TFileRecord> files(list.FileBlock);
    TBlockLock<uint32_t> order(list.OrderBlock);
    if (files && order) {
      TSorter sorter(list.Names->LockedPtr, files.Get() + firstFile, sortWord);
      if (to - from >= KeyedMinimum && (to - from) * 8 >= to) sorter.UseKeys(to);
      uint32_t* positions = order.Get() + firstFile;  // positions[p - 1]: record shown p-th
      for (uint32_t rec = from + 1; rec <= to; ++rec) {
        const uint32_t placed = rec - 1;
        uint32_t low = 0, high = placed + 1;
        while (low + 1 != high) {
          uint32_t mid = (low + high) / 2;
          if (sorter.Before(rec - 1, positions[mid - 1] - 1))
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
