#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/FileList.h"
#include "support/HeapBlocks.h"

namespace {

// A one-item id list of the given bytes, from the shell allocator.
LPITEMIDLIST MakeIdList(const char* bytes) {
  USHORT cb = USHORT(2 + strlen(bytes));
  auto* p = static_cast<BYTE*>(CoTaskMemAlloc(cb + 2));
  memcpy(p, &cb, 2);
  memcpy(p + 2, bytes, cb - 2);
  p[cb] = p[cb + 1] = 0;
  return reinterpret_cast<LPITEMIDLIST>(p);
}

void AddFile(TstateOfBrowser& list, uint32_t dir, const char* name, uint32_t attr,
             LPITEMIDLIST idList = nullptr) {
  if (list.FileCount >= list.FileCapacity) {
    ASSERT_TRUE(GrowFileBlocks(list, FileGrowthInsert));
  }
  TBlockLock<TDirRecord> dirs(list.DirBlock);
  TBlockLock<TFileRecord> files(list.FileBlock);
  TBlockLock<uint32_t> order(list.OrderBlock);
  TFileRecord r{};
  r.ItemIdList = idList;
  r.Flags = idList ? FileOwnsIdList : 0;
  r.Attributes = attr;
  r.DirNumber = dir;
  r.NameLength = uint32_t(strlen(name));
  r.NameOffset = list.Names->Add(name);
  r.ExtOffset = ExtOffsetOf(name, r.NameOffset, r.NameLength, attr & FILE_ATTRIBUTE_DIRECTORY);
  files[list.FileCount] = r;
  TDirRecord& d = dirs[dir - 1];
  if (d.FileCount == 0) d.FirstFile = uint32_t(list.FileCount);
  order[list.FileCount] = ++d.FileCount;
  ++list.FileCount;
}

uint32_t AddDir(TstateOfBrowser& list, const char* path, LPITEMIDLIST idList = nullptr) {
  TDirRecord d{idList, 0, uint32_t(list.FileCount), list.Names->Add(path),
               DirOpen | (idList ? DirOwnsIdList : 0), 1, -1};
  return AddDirRecord(list, d);
}

TEST(FileList, InitGivesEmptyListSortedByName) {
  TstateOfBrowser list;
  InitFileList(list, 1, 300, "*.txt; *.doc", 10000);
  EXPECT_EQ(list.SortKind, 8u);
  EXPECT_EQ(list.FileCount, 0);
  EXPECT_EQ(list.DirCount, 0);
  EXPECT_EQ(list.SavedDirBlock, nullptr);
  EXPECT_EQ(list.MaskList->size(), 2u);
  EXPECT_EQ(list.Names->Capacity, 10000u);
  EXPECT_EQ(list.Filter.Active, 0);
  FreeFileList(list);
  EXPECT_EQ(list.Names, nullptr);
  EXPECT_EQ(list.FileBlock, nullptr);
}

struct TExtCase {
  const char* name;
  bool folder;
  const char* ext;  // nullptr: no extension
};

const TExtCase ExtCases[] = {
    {"archive.tar.gz", false, "gz"}, {".profile", false, nullptr}, {"name.", false, ""},
    {"plain", false, nullptr},       {"a.b", true, nullptr},       {"x", false, nullptr},
};

TEST(FileList, ExtensionOffsets) {
  for (const auto& c : ExtCases) {
    uint32_t len = uint32_t(strlen(c.name));
    uint32_t at = ExtOffsetOf(c.name, 100, len, c.folder);
    if (!c.ext) {
      EXPECT_EQ(at, 100 + len) << c.name;
    } else {
      EXPECT_STREQ(c.name + (at - 100), c.ext) << c.name;
      EXPECT_EQ(c.name[at - 101], '.') << c.name;
    }
  }
}

TEST(FileList, CreateCopyFreeLeavesNoBlocksAndFreesEachIdListOnce) {
  CoInitialize(nullptr);
  FreeIdList(MakeIdList("warm"));  // the allocator's own first-use blocks
  const long before = CountHeapBlocks();
  for (int round = 0; round < 3; ++round) {
    TstateOfBrowser source, copy;
    InitFileList(source, 1, 2, "*.*", 16);
    uint32_t d1 = AddDir(source, "c:\\one", MakeIdList("dir1"));
    uint32_t d2 = AddDir(source, "c:\\two");
    for (int i = 0; i < 50; ++i)
      AddFile(source, i < 20 ? d1 : d2, ("file" + std::to_string(i) + ".txt").c_str(), 0,
              i % 3 ? nullptr : MakeIdList("item"));
    source.CursorName = "file7.txt";
    source.SortKind = 0x2003;
    CopyListState(copy, source);
    EXPECT_EQ(copy.FileCount, 50);
    EXPECT_EQ(copy.DirCount, 2);
    EXPECT_EQ(copy.SortKind, 0x2003u);
    EXPECT_EQ(copy.CursorName, "file7.txt");
    EXPECT_EQ(copy.FileCapacity, 60);
    {
      TBlockLock<TFileRecord> a(source.FileBlock), b(copy.FileBlock);
      EXPECT_NE(a[0].ItemIdList, b[0].ItemIdList);  // each list owns its own
      EXPECT_EQ(a[1].ItemIdList, nullptr);
    }
    FreeFileList(source);
    EXPECT_EQ(GetFileNameAt(d2, 30, copy), "file49.txt");
    EXPECT_EQ(GetDirPath(d1, copy), "C:\\One");
    {
      TBlockLock<TFileRecord> b(copy.FileBlock);
      EXPECT_EQ(ILGetSize(b[3].ItemIdList), 8u);  // still readable after the source is gone
    }
    FreeFileList(copy);
  }
  EXPECT_EQ(CountHeapBlocks(), before);
  CoUninitialize();
}

TEST(FileList, FlatViewOnAndOff) {
  TstateOfBrowser list;
  InitFileList(list, 1, 10, "*.*", 100);
  FlattenDirBlocks(list, 0);
  EXPECT_EQ(list.DirCount, 0);
  HGLOBAL flat = list.DirBlock;
  RestoreDirBlocks(list);
  EXPECT_NE(list.DirBlock, flat);
  EXPECT_EQ(list.SavedDirBlock, nullptr);

  AddDir(list, "c:\\a");
  AddDir(list, "c:\\b");
  AddDir(list, "c:\\c");
  for (uint32_t d = 1; d <= 3; ++d) AddFile(list, d, "f", 0);
  HGLOBAL real = list.DirBlock;
  FlattenDirBlocks(list, 3);
  EXPECT_EQ(list.DirCount, 1);
  EXPECT_EQ(list.SavedDirCount, 3);
  EXPECT_EQ(list.SavedDirBlock, real);
  EXPECT_EQ(CountExpandedFiles(list), 3);
  EXPECT_EQ(GetFileNameAt(1, 3, list), "f");
  RestoreDirBlocks(list);
  EXPECT_EQ(list.DirBlock, real);
  EXPECT_EQ(list.DirCount, 3);
  EXPECT_EQ(list.SavedDirCount, 0);
  FreeFileList(list);
}

TEST(FileList, FlatViewOfAListWithoutDirectoryRoom) {
  TstateOfBrowser list;
  InitFileList(list, 0, 0, "*.*", 0);
  FlattenDirBlocks(list, 0);
  ASSERT_NE(list.SavedDirBlock, nullptr);
  EXPECT_GE(GlobalSize(list.DirBlock), sizeof(TDirRecord));  // its one record fits
  EXPECT_GE(GlobalSize(list.DirOrderBlock), sizeof(uint32_t));
  EXPECT_EQ(list.DirCount, 0);
  RestoreDirBlocks(list);
  EXPECT_EQ(list.SavedDirBlock, nullptr);
  FreeFileList(list);
}

TEST(FileList, RemoveDirFilesClosesTheGap) {
  TstateOfBrowser list;
  InitFileList(list, 1, 2, "*.*", 100);
  const char* names[3][3] = {{"a1", "a2", "a3"}, {"b1", "b2", nullptr}, {"c1", "c2", "c3"}};
  for (uint32_t d = 1; d <= 3; ++d) {
    AddDir(list, "x");
    for (auto* n : names[d - 1])
      if (n) AddFile(list, d, n, 0);
  }
  RemoveDirFiles(2, list);
  EXPECT_EQ(list.FileCount, 6);
  EXPECT_EQ(GetFileNameAt(2, 1, list), "");
  for (uint32_t r = 1; r <= 3; ++r) {
    EXPECT_EQ(GetFileNameAt(1, r, list), names[0][r - 1]);
    EXPECT_EQ(GetFileNameAt(3, r, list), names[2][r - 1]);
  }
  TBlockLock<uint32_t> order(list.OrderBlock);
  EXPECT_EQ(order[3], 1u);
  EXPECT_EQ(order[5], 3u);
  FreeFileList(list);
}

TEST(FileList, PaneMarks) {
  const struct {
    uint32_t mode;
    uint32_t mark;
  } cases[] = {{0, FileMarked}, {5, FileMarkedRight}, {9, FileMarked}, {2, FileMarked}, {4, FileMarked}};
  for (auto c : cases) {
    TstateOfBrowser list;
    list.ModeFlags = c.mode;
    EXPECT_EQ(PaneMark(list), c.mark) << c.mode;
  }
}

TEST(FileList, EndListOperationReleasesTheWalk) {
  TstateOfBrowser list;
  InitFileList(list, 1, 10, "*.*", 100);
  list.Busy = 1;
  ASSERT_TRUE(list.Names->Lock());
  TPluginStructure& walk = PluginStructure;
  walk.List = &list;
  walk.LockedFiles = static_cast<TFileRecord*>(GlobalLock(list.FileBlock));
  walk.LockedOrder = static_cast<uint32_t*>(GlobalLock(list.OrderBlock));
  walk.LockedDirs = static_cast<TDirRecord*>(GlobalLock(list.DirBlock));
  walk.TextBlock = GlobalAlloc(GMEM_MOVEABLE, 1000);
  walk.TextBlockPtr = static_cast<char*>(GlobalLock(walk.TextBlock));
  walk.Changed = 1;
  static int ends = 0;
  static uint8_t busyAtEnd = 0;
  OnListOperationEnd = [](TPluginStructure& w) {
    ++ends;
    busyAtEnd = w.List->Busy;
  };
  EndListOperation();
  OnListOperationEnd = nullptr;
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(busyAtEnd, 1);  // the refresh runs before the list is released
  EXPECT_EQ(list.Busy, 0);
  EXPECT_EQ(list.Names->LockDepth, 0);
  for (HGLOBAL h : {list.FileBlock, list.OrderBlock, list.DirBlock})
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 0u);
  EXPECT_EQ(walk.TextBlock, nullptr);
  walk = TPluginStructure();
  FreeFileList(list);
}

}  // namespace
