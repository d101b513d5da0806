#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/ReadFolder.h"
#include "support/ShellDesktop.h"
#include "support/TempFolder.h"

namespace {

constexpr uint64_t GiB4 = 1ull << 32;

FILETIME MakeTime(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s) {
  SYSTEMTIME st{y, mo, 0, d, h, mi, s, 0};
  FILETIME ft{};
  SystemTimeToFileTime(&st, &ft);
  return ft;
}

// The shared temp folder, with attributes given to what it makes.
class TTempDir : public TTempFolder {
 public:
  void File(const std::string& name, uint64_t size, FILETIME time, DWORD attr = 0) const {
    TTempFolder::File(name, size, time);
    ASSERT_NE(GetFileAttributesA((*this / name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
    if (attr) SetFileAttributesA((*this / name).c_str(), attr);
  }
  void Folder(const std::string& name, DWORD attr = 0) const {
    TTempFolder::Folder(name);
    if (attr) SetFileAttributesA((*this / name).c_str(), attr | FILE_ATTRIBUTE_DIRECTORY);
  }
};

// A list with one directory for path; its number is 1.
struct TOneDirList {
  explicit TOneDirList(const std::string& path, const std::string& mask = "*.*") {
    InitFileList(list, 1, 10, mask, 1000);
    AddDirRecord(list, TDirRecord{nullptr, 0, 0, list.Names->Add(path.c_str()), DirOpen, 0, -1});
  }
  ~TOneDirList() { FreeFileList(list); }
  TDirRecord Dir(uint32_t n = 1) const {
    TBlockLock<TDirRecord> dirs(list.DirBlock);
    return dirs[n - 1];
  }
  std::vector<TFileRecord> Records(uint32_t n = 1) const {
    TDirRecord d = Dir(n);
    TBlockLock<TFileRecord> files(list.FileBlock);
    std::vector<TFileRecord> records;
    for (uint32_t i = 0; i < d.FileCount; ++i) records.push_back(files[d.FirstFile + i]);
    return records;
  }
  std::string Names(uint32_t n = 1) {
    std::vector<std::string> names;
    for (const auto& r : Records(n)) names.push_back(list.Names->GetString(r.NameOffset));
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const auto& s : names) {
      if (!joined.empty()) joined.push_back(' ');
      joined.append(s);
    }
    return joined;
  }
  TstateOfBrowser list;
};

class ReadFolderTest : public testing::Test {
 protected:
  void SetUp() override { GeneralCheckContainer = 0; }
  void TearDown() override { GeneralCheckContainer = 0; }
};

TEST_F(ReadFolderTest, ReadsEveryEntryWithSizesAndExtensions) {
  TTempDir dir;
  FILETIME t = MakeTime(2024, 1, 2, 3, 4, 5);
  dir.File("archive.tar.gz", 10, t);
  dir.File("big.bin", GiB4 + 1, t);
  dir.File("name.", 0, t);
  dir.Folder("sub.dir");
  TOneDirList l(dir.Path());
  ASSERT_TRUE(ReadFolder(1, 0, l.list, nullptr));
  EXPECT_EQ(l.Names(), "archive.tar.gz big.bin name sub.dir");  // Windows drops the trailing dot
  for (const auto& r : l.Records()) {
    std::string name = l.list.Names->GetString(r.NameOffset);
    std::string ext = l.list.Names->GetString(r.ExtOffset);
    EXPECT_EQ(r.DirNumber, 1u);
    EXPECT_EQ(r.IconIndex, -1);
    EXPECT_EQ(r.NameLength, name.size());
    if (name == "archive.tar.gz") {
      EXPECT_EQ(ext, "gz");
    }
    if (name == "big.bin") {
      EXPECT_EQ(r.Size, GiB4 + 1);
      EXPECT_EQ(CompareFileTime(&r.LastWriteTime, &t), 0);
    }
    if (name == "sub.dir") {
      EXPECT_EQ(ext, "");
      EXPECT_TRUE(r.Attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
  }
}

// The folder read four times over: several growths, the later ones larger
// than the step, each run apart from the others.
TEST_F(ReadFolderTest, GrowsPastTheBlockStepAndKeepsRunsApart) {
  constexpr uint32_t Files = 2000, Reads = 4;
  TTempDir dir;
  char name[32];
  for (uint32_t i = 0; i < Files; ++i) {
    wsprintfA(name, "f%u.txt", i);
    dir.File(name, 0, FILETIME{});
  }
  dir.Folder("inner");
  dir.File("inner\\one.txt", 1, FILETIME{});
  TOneDirList l(dir.Path());
  AddDirRecord(l.list, TDirRecord{nullptr, 0, 0, l.list.Names->Add((dir.Path() + "\\inner").c_str()),
                                  DirOpen, 1, -1});
  ASSERT_TRUE(ReadFolder(2, 0, l.list, nullptr));
  for (uint32_t k = 1; k < Reads; ++k)
    AddDirRecord(l.list, TDirRecord{nullptr, 0, 0, l.Dir(1).PathOffset, DirOpen, 0, -1});
  for (uint32_t d : {1u, 3u, 4u, 5u}) ASSERT_TRUE(ReadFolder(d, 0, l.list, nullptr));
  EXPECT_EQ(l.list.FileCount, int32_t(Reads * (Files + 1) + 1));
  EXPECT_GE(l.list.FileCapacity, l.list.FileCount);
  EXPECT_EQ(l.Dir(2).FirstFile, 0u);
  EXPECT_EQ(GetFileNameAt(2, 1, l.list), "one.txt");
  uint32_t first = 1;
  for (uint32_t d : {1u, 3u, 4u, 5u}) {
    EXPECT_EQ(l.Dir(d).FirstFile, first) << d;
    ASSERT_EQ(l.Dir(d).FileCount, Files + 1) << d;
    std::vector<std::string> names;
    for (uint32_t r = 1; r <= Files + 1; ++r) names.push_back(GetFileNameAt(d, r, l.list));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::unique(names.begin(), names.end()), names.end()) << d;
    EXPECT_EQ(names.front(), "f0.txt") << d;
    EXPECT_EQ(names.back(), "inner") << d;
    TBlockLock<uint32_t> order(l.list.OrderBlock);
    for (uint32_t p = 1; p <= Files + 1; ++p) ASSERT_EQ(order[first + p - 1], p) << d;
    first += Files + 1;
  }
}

TEST_F(ReadFolderTest, MissingFileOrEmptyFoldersGiveNoEntries) {
  TTempDir dir;
  dir.File("plain.txt", 5, FILETIME{});
  dir.Folder("empty");
  const struct {
    const char* name;
    bool result;
  } cases[] = {{"missing", false}, {"plain.txt", false}, {"empty", true}, {"missing\\deeper", false}};
  for (const auto& c : cases) {
    TOneDirList l(dir.Path() + "\\" + c.name);
    EXPECT_EQ(ReadFolder(1, 0, l.list, nullptr), c.result) << c.name;
    EXPECT_EQ(l.list.FileCount, 0) << c.name;
    EXPECT_EQ(l.Dir().FileCount, 0u) << c.name;
  }
}

TEST_F(ReadFolderTest, DriveRootListsItsEntriesWithoutDots) {
  TOneDirList l("C:");
  ASSERT_TRUE(ReadFolder(1, 0, l.list, nullptr));
  std::string names(1, ' ');
  names.append(l.Names()).push_back(' ');
  EXPECT_NE(names.find(" windows "), std::string::npos) << names;
  EXPECT_EQ(names.find(" . "), std::string::npos) << names;
  EXPECT_EQ(names.find(" .. "), std::string::npos) << names;
}

TEST_F(ReadFolderTest, HiddenFoldersAndTheSubfolderNameList) {
  TTempDir dir;
  dir.Folder("shown");
  dir.Folder("secret", FILE_ATTRIBUTE_HIDDEN);
  dir.File("x.txt", 0, FILETIME{});
  for (uint32_t option : {0u, OptShowHidden}) {
    GeneralCheckContainer = option;
    TOneDirList l(dir.Path(), "*.txt");
    TStringList names;
    ASSERT_TRUE(ReadFolder(1, ReadFilesOnly, l.list, &names));
    EXPECT_EQ(l.Names(), "x.txt");  // folders fail the masks and the files-only flag
    std::vector<std::string> got(names.begin(), names.end());
    std::sort(got.begin(), got.end());
    if (option)
      EXPECT_EQ(got, (std::vector<std::string>{"secret", "shown"}));
    else
      EXPECT_EQ(got, (std::vector<std::string>{"shown"}));
  }
}

struct TFilterCase {
  const char* what;
  uint32_t readFlags;
  uint32_t option;
  const char* mask;
  TFileFilter filter;
  const char* names;
};

TFileFilter Sized(uint32_t rule, uint64_t value) {
  TFileFilter f;
  f.Active = 1;
  f.SizeRule = rule;
  f.SizeValue = value;
  return f;
}

TFileFilter Window(FILETIME from, FILETIME to) {
  TFileFilter f;
  f.Active = 1;
  f.DateMode = 1;
  f.DateFrom = from;
  f.DateTo = to;
  return f;
}

TFileFilter Attributes(uint32_t required, uint32_t excluded, uint8_t active = 1) {
  TFileFilter f;
  f.Active = active;
  f.RequiredAttributes = required;
  f.ExcludedAttributes = excluded;
  return f;
}

TFileFilter Age(uint32_t unit, uint32_t count) {
  TFileFilter f;
  f.Active = 1;
  f.DateMode = 2;
  f.AgeUnit = unit;
  f.AgeCount = count;
  return f;
}

const FILETIME Day0 = MakeTime(2024, 3, 10, 0, 0, 0);
const FILETIME Day1 = MakeTime(2024, 3, 10, 23, 59, 59);

const TFilterCase FilterCases[] = {
    {"everything", 0, 0, "*.*", TFileFilter(),
     "a0.txt a1023.txt a1024.dat a2047.dat a2048.txt big.bin d0000.txt d2359.txt fresh.txt "
     "next.txt prev.txt ro.txt small.bin sub"},
    {"show hidden", ReadFilesOnly, OptShowHidden, "h*", TFileFilter(), "hid.txt"},
    {"masks hold folders back", 0, 0, "*.txt", TFileFilter(),
     "a0.txt a1023.txt a2048.txt d0000.txt d2359.txt fresh.txt next.txt prev.txt ro.txt"},
    {"folders skip masks", ReadFoldersSkipMasks, 0, "*.dat", TFileFilter(), "a1024.dat a2047.dat sub"},
    {"both flags", ReadFoldersSkipMasks | ReadFilesOnly, 0, "*.dat", TFileFilter(), "a1024.dat a2047.dat"},
    {"below 1 KiB", ReadFilesOnly, 0, "a*", Sized(2 | 8, 1), "a0.txt a1023.txt"},
    {"equal 1 KiB", ReadFilesOnly, 0, "a*", Sized(1 | 8, 1), "a1024.dat a2047.dat"},
    {"more than 2 KiB", ReadFilesOnly, 0, "*", Sized(3 | 8, 2), "big.bin small.bin"},
    {"more than 4 GiB - 1 bytes", ReadFilesOnly, 0, "*", Sized(3, GiB4 - 1), "big.bin"},
    {"less than 4 GiB bytes", ReadFilesOnly, 0, "*.bin", Sized(2, GiB4), "small.bin"},
    {"equal 4096 MiB", ReadFilesOnly, 0, "*", Sized(1 | 12, 4096), "big.bin"},
    {"equal 4095 MiB", ReadFilesOnly, 0, "*", Sized(1 | 12, 4095), "small.bin"},
    {"inactive rules", ReadFilesOnly, 0, "r*", Attributes(0xFFFF, 0, 0), "ro.txt"},
    {"required read-only", ReadFilesOnly, 0, "*", Attributes(FILE_ATTRIBUTE_READONLY, 0), "ro.txt"},
    {"excluded read-only", ReadFilesOnly, 0, "r*;f*", Attributes(0, FILE_ATTRIBUTE_READONLY), "fresh.txt"},
    {"one day window", ReadFilesOnly, 0, "*", Window(Day0, Day1), "d0000.txt d2359.txt"},
    {"not older than 1 hour", ReadFilesOnly, 0, "*", Age(0, 1), "fresh.txt"},
    {"not older than 3 years", ReadFilesOnly, 0, "d*;fresh*", Age(4, 100), "d0000.txt d2359.txt fresh.txt"},
};

TEST_F(ReadFolderTest, FilterRules) {
  TTempDir dir;
  const FILETIME old = MakeTime(2024, 1, 1, 12, 0, 0);
  dir.File("a0.txt", 0, old);
  dir.File("a1023.txt", 1023, old);
  dir.File("a1024.dat", 1024, old);
  dir.File("a2047.dat", 2047, old);
  dir.File("a2048.txt", 2048, old);
  dir.File("small.bin", GiB4 - 1, old);
  dir.File("big.bin", GiB4 + 1, old);
  dir.File("ro.txt", 3, old, FILE_ATTRIBUTE_READONLY);
  dir.File("hid.txt", 3, old, FILE_ATTRIBUTE_HIDDEN);
  dir.File("d0000.txt", 1, Day0);
  dir.File("d2359.txt", 1, Day1);
  dir.File("prev.txt", 1, MakeTime(2024, 3, 9, 23, 59, 59));
  dir.File("next.txt", 1, MakeTime(2024, 3, 11, 0, 0, 0));
  dir.File("fresh.txt", 1, FILETIME{});
  dir.Folder("sub");
  for (const auto& c : FilterCases) {
    GeneralCheckContainer = c.option;
    TOneDirList l(dir.Path(), c.mask);
    l.list.Filter = c.filter;
    ASSERT_TRUE(ReadFolder(1, c.readFlags, l.list, nullptr));
    EXPECT_EQ(l.Names(), c.names) << c.what;
  }
}

TEST_F(ReadFolderTest, BasketViewsMarkWithBothBitsWhenAsked) {
  TTempDir dir;
  dir.File("a.txt", 0, FILETIME{});
  const struct {
    uint32_t mode, option, flags;
  } cases[] = {{0, OptBasketBothMarks, 0}, {5, 0, 0}, {5, OptBasketBothMarks, 0x90000000}};
  for (auto c : cases) {
    GeneralCheckContainer = c.option;
    TOneDirList l(dir.Path());
    l.list.ModeFlags = c.mode;
    ASSERT_TRUE(ReadFolder(1, 0, l.list, nullptr));
    EXPECT_EQ(l.Records().at(0).Flags, c.flags) << c.mode << " " << c.option;
  }
}

TEST_F(ReadFolderTest, ShellFolderEntries) {
  TShellDesktop desktop;
  ASSERT_TRUE(desktop.Ready());
  {
    TTempDir dir;
    dir.File("doc.txt", 500, FILETIME{});
    dir.Folder("inner");
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, dir.Path().c_str(), -1, wide, MAX_PATH);
    LPITEMIDLIST pidl = nullptr;
    ASSERT_TRUE(SUCCEEDED(DesktopFolder->ParseDisplayName(nullptr, nullptr, wide, nullptr, &pidl, nullptr)));
    TstateOfBrowser list;
    InitFileList(list, 1, 1, "*.*", 100);
    uint32_t d = AddDirRecord(list, TDirRecord{pidl, 0, 0, list.Names->Add("shell"),
                                               DirOpen | DirOwnsIdList | DirShellFolder, 1, 0});
    ASSERT_TRUE(ReadDirEntries(d, 0, list));
    ASSERT_EQ(list.FileCount, 2);
    const FILETIME fixed = MakeTime(2001, 8, 31, 13, 0, 0);
    TBlockLock<TFileRecord> files(list.FileBlock);
    for (int i = 0; i < 2; ++i) {
      const TFileRecord& r = files[i];
      std::string name = list.Names->GetString(r.NameOffset);
      EXPECT_TRUE(name == "inner" || name.rfind("doc", 0) == 0) << name;
      EXPECT_EQ(r.Attributes, name == "inner" ? 0x10u : 0u) << name;
      EXPECT_EQ(r.Size, 0u);
      EXPECT_EQ(CompareFileTime(&r.LastWriteTime, &fixed), 0);
      EXPECT_EQ(r.ExtOffset, r.NameOffset + r.NameLength);
      EXPECT_NE(r.ItemIdList, nullptr);
    }
    TDirRecord noIdList{nullptr, 0, 0, 0, DirShellFolder, 1, 0};
    uint32_t bad = AddDirRecord(list, noIdList);
    EXPECT_FALSE(ReadDirEntries(bad, 0, list));
    FreeFileList(list);
  }
}

TEST(Pidls, SizeAndCombination) {
  BYTE a[] = {4, 0, 'x', 'y', 3, 0, 'z', 0, 0};
  BYTE b[] = {3, 0, 'q', 0, 0};
  auto* pa = reinterpret_cast<LPCITEMIDLIST>(a);
  auto* pb = reinterpret_cast<LPCITEMIDLIST>(b);
  EXPECT_EQ(PidlSize(pa), 7u);
  EXPECT_EQ(PidlSize(pb), 3u);
  LPITEMIDLIST c = CombinePidls(pa, pb);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(PidlSize(c), 10u);
  EXPECT_EQ(memcmp(c, a, 7), 0);
  EXPECT_EQ(memcmp(reinterpret_cast<BYTE*>(c) + 7, b, 3), 0);
  FreeIdList(c);
}

}  // namespace
