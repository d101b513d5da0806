#include "core/SortList.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/ListLock.h"

namespace {

enum TPart { PartName, PartStem, PartExt, PartCount };

constexpr DWORD SortKeyFlags = LCMAP_SORTKEY | NORM_IGNORECASE;

// The locale's sort keys of one part of every record, back to back in one
// buffer: byte order of keys is the order CompareStringA gives. Records with
// the same text can share one key (extensions repeat a lot), which also makes
// their comparison a tie without looking at the bytes.
class TKeyTable {
 public:
  void Reserve(uint32_t count, bool shareEqualTexts) {
    share_ = shareEqualTexts;
    slots_.reserve(count);
    starts_.reserve(count + 1);
    bytes_.reserve(share_ ? 256 : size_t(count) * 32);
  }

  void Add(const char* text, uint32_t len) {
    if (share_) {
      auto [known, added] = shared_.try_emplace(std::string_view(text, len), uint32_t(starts_.size()));
      slots_.push_back(known->second);
      if (!added) return;
    } else {
      slots_.push_back(uint32_t(starts_.size()));
    }
    starts_.push_back(bytes_.size());
    const size_t at = bytes_.size();
    if (len == 0) return;
    int room = int(len) * 8 + 16;
    bytes_.resize(at + size_t(room));
    int n = LCMapStringA(LOCALE_SYSTEM_DEFAULT, SortKeyFlags, text, int(len), Out(at), room);
    if (n == 0) {
      room = LCMapStringA(LOCALE_SYSTEM_DEFAULT, SortKeyFlags, text, int(len), nullptr, 0);
      bytes_.resize(at + size_t(std::max(room, 0)));
      n = room > 0 ? LCMapStringA(LOCALE_SYSTEM_DEFAULT, SortKeyFlags, text, int(len), Out(at), room) : 0;
    }
    bytes_.resize(at + size_t(std::max(n, 0)));
  }

  int Compare(uint32_t a, uint32_t b) const {
    const uint32_t slotA = slots_[a], slotB = slots_[b];
    if (slotA == slotB) return 0;
    const size_t lenA = End(slotA) - starts_[slotA], lenB = End(slotB) - starts_[slotB];
    int c = memcmp(bytes_.data() + starts_[slotA], bytes_.data() + starts_[slotB], std::min(lenA, lenB));
    return c != 0 ? c : (lenA > lenB) - (lenA < lenB);
  }

 private:
  char* Out(size_t at) { return reinterpret_cast<char*>(bytes_.data() + at); }
  size_t End(uint32_t slot) const { return slot + 1 < starts_.size() ? starts_[slot + 1] : bytes_.size(); }

  bool share_ = false;
  std::vector<unsigned char> bytes_;
  std::vector<size_t> starts_;    // key k begins at bytes_[starts_[k]]
  std::vector<uint32_t> slots_;   // the key of each record
  std::unordered_map<std::string_view, uint32_t> shared_;
};

template <typename T>
int CompareValues(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

class TSorter {
 public:
  TSorter(const char* pool, const TFileRecord* run, uint32_t word)
      : pool_(pool), run_(run), word_(word) {
    // A key code that comes again can only tie: it compares what tied before.
    for (int key = 0; key < 4; ++key) {
      const uint32_t code = (word >> (3 * key)) & 7;
      if (code < 4 && std::find(codes_, codes_ + codeCount_, code) == codes_ + codeCount_)
        codes_[codeCount_++] = code;
    }
  }

  // Sort keys of the first count records, for the parts the word compares:
  // one key per record instead of a locale comparison per probe.
  void UseKeys(uint32_t count) {
    // Full names decide only between folders, or under the name-only bit.
    bool needed[PartCount] = {bool(word_ & SortByNameOnly), false, false};
    for (uint32_t i = 0; i < count && !needed[PartName]; ++i)
      needed[PartName] = run_[i].Attributes & FILE_ATTRIBUTE_DIRECTORY;
    for (uint32_t i = 0; i < codeCount_ && !(word_ & SortByNameOnly); ++i) {
      if (codes_[i] == 0) needed[PartStem] = true;
      if (codes_[i] == 1) needed[PartExt] = true;
    }
    for (int part = 0; part < PartCount; ++part) {
      if (!needed[part]) continue;
      keys_[part].Reserve(count, part == PartExt);
      for (uint32_t i = 0; i < count; ++i) {
        uint32_t len = 0;
        const char* text = Part(TPart(part), run_[i], len);
        keys_[part].Add(text, len);
      }
    }
    keyed_ = true;
  }

  // Whether record n (0-based in the run) goes in front of record p.
  bool Before(uint32_t n, uint32_t p) const {
    const bool nFolder = run_[n].Attributes & FILE_ATTRIBUTE_DIRECTORY;
    const bool pFolder = run_[p].Attributes & FILE_ATTRIBUTE_DIRECTORY;
    const bool nameOnly = word_ & SortByNameOnly;
    if (!nameOnly && nFolder != pFolder) return nFolder;
    if (nameOnly || nFolder) return ComparePart(PartName, n, p) < 0;
    const bool result = CompareFiles(n, p) <= 0;  // a full tie puts the new record first
    return (word_ & SortReverse) ? !result : result;
  }

  // The order that inserting records 0, 1, 2... one by one with Before
  // builds, as a strict total order: folders by name, then files by the keys;
  // equal names keep block order, equal files go latest first (block order
  // when reversed).
  bool Precedes(uint32_t a, uint32_t b) const {
    const bool aFolder = run_[a].Attributes & FILE_ATTRIBUTE_DIRECTORY;
    const bool bFolder = run_[b].Attributes & FILE_ATTRIBUTE_DIRECTORY;
    const bool nameOnly = word_ & SortByNameOnly;
    if (!nameOnly && aFolder != bFolder) return aFolder;
    if (nameOnly || aFolder) {
      int c = ComparePart(PartName, a, b);
      return c != 0 ? c < 0 : a < b;
    }
    const bool reverse = word_ & SortReverse;
    int c = CompareFiles(a, b);
    if (c != 0) return reverse ? c > 0 : c < 0;
    return reverse ? a < b : a > b;
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
    if (keyed_) return keys_[part].Compare(n, p);
    uint32_t lenN = 0, lenP = 0;
    const char* a = Part(part, run_[n], lenN);
    const char* b = Part(part, run_[p], lenP);
    return CompareNames(a, lenN, b, lenP);
  }

  // The first key that does not tie decides.
  int CompareFiles(uint32_t n, uint32_t p) const {
    for (uint32_t i = 0; i < codeCount_; ++i) {
      int c = CompareKey(codes_[i], n, p);
      if (c != 0) return c;
    }
    return 0;
  }

  int CompareKey(uint32_t code, uint32_t n, uint32_t p) const {
    switch (code) {
      case 0: return ComparePart(PartStem, n, p);
      case 1: return ComparePart(PartExt, n, p);
      case 2: return CompareValues(run_[n].Size, run_[p].Size);
      default: return CompareFileTime(&run_[n].LastWriteTime, &run_[p].LastWriteTime);
    }
  }

  const char* pool_;
  const TFileRecord* run_;
  uint32_t word_;
  uint32_t codes_[4] = {};
  uint32_t codeCount_ = 0;
  bool keyed_ = false;
  TKeyTable keys_[PartCount];
};

// Keys pay off when many records are inserted; a single insertion compares
// directly.
constexpr uint32_t KeyedMinimum = 16;

// positions[p - 1] is the record shown p-th; records from+1..to go in by
// binary search, one memory move each.
void InsertRecords(const TSorter& sorter, uint32_t* positions, uint32_t from, uint32_t to) {
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

// A whole run in one sort over keys: n log n comparisons and no moves of
// the growing run.
void SortWholeRun(const TSorter& sorter, uint32_t* positions, uint32_t count) {
  std::vector<uint32_t> records(count);
  std::iota(records.begin(), records.end(), 0u);
  std::sort(records.begin(), records.end(),
            [&sorter](uint32_t a, uint32_t b) { return sorter.Precedes(a, b); });
  for (uint32_t p = 0; p < count; ++p) positions[p] = records[p] + 1;
}

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
      uint32_t* positions = order.Get() + firstFile;
      const bool keyed = to - from >= KeyedMinimum && (to - from) * 8 >= to;
      if (keyed) sorter.UseKeys(to);
      // Keys give a consistent order, which a one-pass sort needs; direct
      // locale comparisons keep to binary insertion.
      if (keyed && from == 0)
        SortWholeRun(sorter, positions, to);
      else
        InsertRecords(sorter, positions, from, to);
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
