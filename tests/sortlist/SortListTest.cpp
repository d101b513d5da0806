#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/SortList.h"

namespace {

constexpr uint64_t GiB4 = 1ull << 32;

struct TEntry {
  const char* name;  // a trailing "/" makes a folder
  uint64_t size = 0;
  uint64_t time = 0;
};

// A one-directory list of the entries in block order.
struct TSortList {
  explicit TSortList(const std::vector<TEntry>& entries) {
    InitFileList(list, 1, int32_t(entries.size()) + 1, "*.*", 100);
    AddDirRecord(list, TDirRecord{nullptr, uint32_t(entries.size()), 0, list.Names->Add("c:"), DirOpen, 0, -1});
    TBlockLock<TFileRecord> files(list.FileBlock);
    for (const auto& e : entries) {
      std::string name = e.name;
      const bool folder = name.back() == '/';
      if (folder) name.pop_back();
      TFileRecord r{};
      r.NameOffset = list.Names->Add(name.c_str());
      r.NameLength = uint32_t(name.size());
      r.ExtOffset = ExtOffsetOf(name.c_str(), r.NameOffset, r.NameLength, folder);
      r.Attributes = folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
      r.Size = e.size;
      r.LastWriteTime = FILETIME{DWORD(e.time), DWORD(e.time >> 32)};
      files[list.FileCount++] = r;
    }
  }
  ~TSortList() { FreeFileList(list); }
  // Display order of every directory as names, a folder with "/".
  std::string Shown() {
    TBlockLock<TDirRecord> dirs(list.DirBlock);
    TBlockLock<uint32_t> order(list.OrderBlock);
    TBlockLock<TFileRecord> files(list.FileBlock);
    std::string shown;
    for (int32_t d = 0; d < list.DirCount; ++d) {
      const uint32_t first = dirs[d].FirstFile;
      for (uint32_t p = 0; p < dirs[d].FileCount; ++p) {
        const TFileRecord& r = files[first + order[first + p] - 1];
        if (!shown.empty()) shown += ' ';
        shown += list.Names->GetString(r.NameOffset);
        if (r.Attributes & FILE_ATTRIBUTE_DIRECTORY) shown += '/';
      }
    }
    return shown;
  }
  TstateOfBrowser list;
};

struct TSortCase {
  const char* what;
  std::vector<TEntry> entries;
  uint32_t word;
  const char* shown;
};

const TSortCase SortCases[] = {
    {"default", {{"b.txt"}, {"a.doc"}, {"a.txt"}}, 8, "a.doc a.txt b.txt"},
    {"extension first", {{"b.txt"}, {"a.doc"}, {"a.txt"}}, 1, "a.doc a.txt b.txt"},
    {"default reversed", {{"b.txt"}, {"a.doc"}, {"a.txt"}}, 8 | 0x2000, "b.txt a.txt a.doc"},
    {"extension decides", {{"c.doc"}, {"b.txt"}}, 1, "c.doc b.txt"},
    {"name decides", {{"c.doc"}, {"b.txt"}}, 8, "b.txt c.doc"},
    {"case ignored", {{"B.txt"}, {"a.TXT"}, {"C.txt"}}, 8, "a.TXT B.txt C.txt"},
    {"no extension first", {{"x.b"}, {"y"}, {"z.a"}}, 1, "y z.a x.b"},
    {"stem without the dot", {{"ab.c"}, {"a.z"}}, 8, "a.z ab.c"},
    {"folders first", {{"a.txt"}, {"zz/"}, {"m/"}}, 8, "m/ zz/ a.txt"},
    {"folders stay ascending", {{"a.txt"}, {"zz/"}, {"b.txt"}, {"m/"}}, 8 | 0x2000, "m/ zz/ b.txt a.txt"},
    {"name only mixes folders", {{"z.txt"}, {"m/"}, {"a.txt"}}, 0x4000, "a.txt m/ z.txt"},
    {"name only ignores reverse", {{"z.txt"}, {"m/"}, {"a.txt"}}, 0x4000 | 0x2000 | 2, "a.txt m/ z.txt"},
    {"size", {{"big", GiB4 + 1}, {"small", GiB4 - 1}, {"zero", 0}}, 2, "zero small big"},
    {"size reversed", {{"big", GiB4 + 1}, {"small", GiB4 - 1}, {"zero", 0}}, 2 | 0x2000, "big small zero"},
    {"time", {{"new", 0, 5ull << 40}, {"old", 0, 7}, {"mid", 0, 1ull << 32}}, 3, "old mid new"},
    {"time then name", {{"b", 0, 9}, {"a", 0, 9}, {"c", 0, 1}}, 3, "c a b"},
    {"umlaut between letters", {{"z"}, {"\xE4"}, {"a"}, {"b"}}, 0, "a \xE4 b z"},
};

TEST(SortList, OrdersForEveryKey) {
  for (const auto& c : SortCases) {
    TSortList l(c.entries);
    SortDir(1, c.word, l.list);
    EXPECT_EQ(l.Shown(), c.shown) << c.what;
    EXPECT_EQ(l.list.Names->LockDepth, 0);
  }
}

// Equal files: the record numbers in display order.
std::string TieOrder(uint32_t word) {
  TSortList l({{"same.txt", 1, 1}, {"same.txt", 1, 1}, {"same.txt", 1, 1}});
  SortDir(1, word, l.list);
  TBlockLock<uint32_t> order(l.list.OrderBlock);
  return std::to_string(order[0]) + std::to_string(order[1]) + std::to_string(order[2]);
}

TEST(SortList, TiesFollowInsertion) {
  EXPECT_EQ(TieOrder(8), "321");
  EXPECT_EQ(TieOrder(8 | 0x2000), "123");
  EXPECT_EQ(TieOrder(4 | (5 << 3) | (6 << 6) | (7 << 9)), "321");
}

TEST(SortList, NoKeysReverseBlockOrder) {
  TSortList l({{"c"}, {"a"}, {"b"}});
  SortDir(1, 4 | (4 << 3) | (4 << 6) | (4 << 9), l.list);
  EXPECT_EQ(l.Shown(), "b a c");
}

TEST(SortList, InsertingIntoASortedRun) {
  TSortList l({{"d.txt"}, {"b.txt"}, {"sub/"}, {"a.txt"}, {"c.txt"}});
  SortFilesRange(0, 0, 3, l.list, 8);
  {
    TBlockLock<uint32_t> order(l.list.OrderBlock);
    EXPECT_EQ(order[0], 3u);
  }
  SortFilesRange(0, 3, 4, l.list, 8);
  SortFilesRange(0, 4, 5, l.list, 8);
  SortFilesRange(0, 5, 5, l.list, 8);  // nothing new
  EXPECT_EQ(l.Shown(), "sub/ a.txt b.txt c.txt d.txt");
}

TEST(SortList, AllDirsWithTheListsWord) {
  TSortList l({{"b"}, {"a"}, {"d"}, {"c"}});
  {
    TBlockLock<TDirRecord> dirs(l.list.DirBlock);
    dirs[0].FileCount = 2;
  }
  AddDirRecord(l.list, TDirRecord{nullptr, 2, 2, 0, DirOpen, 0, -1});
  l.list.SortKind = 0x2000 | 8;
  SortAllDirs(l.list);
  EXPECT_EQ(l.Shown(), "b a d c");
}

// A whole run sorted at once must equal the same records inserted one by one.
TEST(SortList, BulkSortAgreesWithSingleInsertions) {
  std::mt19937 rng(42);
  const char chars[] = "aAbBzZ09_-.' ~\xE4\xC4\xDF\xE9$";
  std::vector<std::string> names;
  std::vector<TEntry> entries;
  for (int i = 0; i < 300; ++i) {
    std::string name;
    for (int k = int(rng() % 6); k >= 0; --k) name += chars[rng() % (sizeof(chars) - 1)];
    if (name.back() == '.' || name.back() == ' ') name += 'q';
    if (rng() % 5 == 0) name += '/';
    names.push_back(name);
  }
  for (int i = 0; i < 300; ++i) entries.push_back({names[i].c_str(), rng() % 4, rng() % 3});
  const uint32_t words[] = {8, 8 | 0x2000, 1, 1 | (2 << 3), 2, 3 | 0x2000, 0x4000, 0x4000 | 0x2000,
                            4 | (4 << 3) | (4 << 6) | (4 << 9), 2 | (2 << 3) | (1 << 6),
                            (7 << 9) | 0x2000};
  for (uint32_t word : words) {
    TSortList bulk(entries), halves(entries), single(entries);
    SortDir(1, word, bulk.list);
    SortFilesRange(0, 0, 150, halves.list, word);  // a keyed run added to a sorted one
    SortFilesRange(0, 150, 300, halves.list, word);
    for (uint32_t k = 1; k <= entries.size(); ++k) SortFilesRange(0, k - 1, k, single.list, word);
    TBlockLock<uint32_t> a(bulk.list.OrderBlock), h(halves.list.OrderBlock), b(single.list.OrderBlock);
    for (size_t p = 0; p < entries.size(); ++p) {
      ASSERT_EQ(a[p], b[p]) << "word " << word << " position " << p;
      ASSERT_EQ(h[p], b[p]) << "word " << word << " position " << p;
    }
  }
}

}  // namespace
