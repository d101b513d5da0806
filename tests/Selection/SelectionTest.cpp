#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ReadFolder.h"
#include "core/Selection.h"
#include "core/SortList.h"
#include "support/ShellDesktop.h"
#include "support/TempFolder.h"

namespace {

// Size alone, ascending: keys 1-3 unused.
constexpr uint32_t SortBySize = 2 | (7 << 3) | (7 << 6) | (7 << 9);

void Append(std::string& names, const std::string& name) {
  if (!names.empty()) names += ',';
  names += name;
}

// A list of one or more real folders, each read and sorted.
struct TTestList {
  TstateOfBrowser list;
  TTestList() { InitFileList(list, 1, 300, "*.*", 1000); }
  ~TTestList() { FreeFileList(list); }
  uint32_t Add(const std::string& path, int32_t depth = 0, uint32_t sortWord = SortDefault) {
    uint32_t d = AddDirRecord(list, TDirRecord{nullptr, 0, 0, list.Names->Add(path.c_str()),
                                               DirOpen, depth, -1});
    EXPECT_TRUE(ReadDirEntries(d, 0, list));
    SortDir(d, sortWord, list);
    return d;
  }
  TDirRecord Dir(uint32_t d) {
    TBlockLock<TDirRecord> dirs(list.DirBlock);
    return dirs[d - 1];
  }
  TFileRecord& Entry(uint32_t d, uint32_t pos) {
    TBlockLock<TDirRecord> dirs(list.DirBlock);
    TBlockLock<uint32_t> order(list.OrderBlock);
    TBlockLock<TFileRecord> files(list.FileBlock);
    const uint32_t first = dirs[d - 1].FirstFile;
    return files[first + order[first + pos - 1] - 1];  // the blocks stay put while unlocked
  }
  std::string Name(const TFileRecord& r) { return list.Names->GetString(r.NameOffset); }
  // Names shown in directory d that carry the mark, in display order.
  std::string Marked(uint32_t d, uint32_t mark = FileMarked) {
    std::string names;
    for (uint32_t p = 1; p <= Dir(d).FileCount; ++p)
      if (Entry(d, p).Flags & mark) Append(names, Name(Entry(d, p)));
    return names;
  }
};

struct TRowCase {
  int32_t depth;
  std::vector<std::pair<int32_t, int>> steps;  // row, operation
  const char* marked;
};

TEST(Selection, ItemSelectionByRow) {
  TTempFolder dir;
  for (auto n : {"a.txt", "b.txt", "c.txt"}) dir.File(n, 10);
  static const TRowCase cases[] = {
      {0, {{1, SelToggle}}, "a.txt"},
      {1, {{1, SelToggle}}, ""},  // the "[..]" row
      {1, {{2, SelToggle}}, "a.txt"},
      {0, {{0, SelSet}, {-5, SelSet}, {4, SelSet}, {1000, SelSet}}, ""},
      {0, {{2, SelSet}, {2, SelSet}}, "b.txt"},
      {0, {{2, SelToggle}, {2, SelToggle}}, ""},
      {0, {{3, SelSet}, {3, SelClear}, {1, SelSet}}, "a.txt"},
      {0, {{1, 3}, {2, 0}, {3, 8}}, ""},
  };
  for (const TRowCase& c : cases) {
    TTestList l;
    l.Add(dir.Path(), c.depth);
    for (auto [row, op] : c.steps) ChangeItemSelection(1, row, l.list, op, false);
    EXPECT_EQ(l.Marked(1), c.marked) << c.depth << " " << c.steps.front().first;
  }
  TTestList l;
  l.Add(dir.Path());
  ChangeItemSelection(2, 1, l.list, SelSet, false);  // no such directory
  EXPECT_EQ(l.Marked(1), "");
}

TEST(Selection, RightBasketViewUsesItsOwnMark) {
  TTempFolder dir;
  dir.File("x.bin", 1);
  TTestList l;
  l.Add(dir.Path());
  l.list.ModeFlags = ModeBasketView | ModeSecondMark;
  ChangeItemSelection(1, 1, l.list, SelSet, false);
  EXPECT_EQ(l.Entry(1, 1).Flags & (FileMarked | FileMarkedRight), FileMarkedRight);
  EXPECT_TRUE(IsFileSelected(1, 1, l.list));
  l.list.ModeFlags = ModeBasketView | ModeLeftView;
  EXPECT_FALSE(IsFileSelected(1, 1, l.list));
  EXPECT_FALSE(IsFileSelected(1, 2, l.list));
}

TEST(Selection, FolderSizeCountsOnceKnownUnlessOpen) {
  TTempFolder dir;
  dir.File("sub\\one.dat", 100);
  dir.File("sub\\deep\\two.dat", 250);
  dir.File("top.dat", 7);
  TTestList l;
  l.Add(dir.Path());
  ASSERT_EQ(l.Name(l.Entry(1, 1)), "sub");
  UpdateListTotals(l.list);
  EXPECT_EQ(l.list.TotalBytes, 7u);
  ChangeItemSelection(1, 1, l.list, SelSet, true);
  EXPECT_EQ(l.Entry(1, 1).Size, 350u);
  EXPECT_TRUE(l.Entry(1, 1).Flags & FileSizeKnown);
  UpdateListTotals(l.list);
  EXPECT_EQ(l.list.TotalBytes, 357u);
  EXPECT_EQ(l.list.SelectedBytes, 350u);
  EXPECT_EQ(l.list.SelectedCount, 1);
  EXPECT_EQ(l.list.SelectedFiles, 0);
  EXPECT_EQ(l.list.ListedFiles, 1);
  l.Entry(1, 1).Flags |= FileOpen;  // open in the tree: its files count themselves
  UpdateListTotals(l.list);
  EXPECT_EQ(l.list.TotalBytes, 7u);
  EXPECT_EQ(l.list.SelectedBytes, 0u);
}

TEST(Selection, SelectionSizeAndTags) {
  TTempFolder dir;
  dir.File("sub\\one.dat", 100);
  dir.File("sub\\two.dat", 20);
  dir.File("sub\\in\\three.dat", 3);
  dir.File("top.dat", 7);
  dir.File("other.dat", 1000);
  struct TCase {
    bool computeSize;
    uint64_t bytes;
    int64_t count;
    uint32_t folderTag;
  };
  static const TCase cases[] = {{false, 7, 2, 1}, {true, 130, 4, 3}};
  for (const TCase& c : cases) {
    TTestList l;
    l.Add(dir.Path());
    ChangeItemSelection(1, 1, l.list, SelSet, false);  // sub
    ChangeItemSelection(1, 3, l.list, SelSet, false);  // top.dat
    int64_t count = -1;
    EXPECT_EQ(GetSelectionSize(count, l.list, c.computeSize), c.bytes) << c.computeSize;
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(l.Entry(1, 1).Tag, c.folderTag);
    EXPECT_EQ(l.Entry(1, 3).Tag, 1u);
  }
}

TEST(Selection, SelectByMask) {
  TTempFolder dir;
  for (auto n : {"a.txt", "b.doc", "c.bin", "D.TXT"}) dir.File(n);
  dir.Folder("notes.txt");
  struct TCase {
    const char* mask;
    uint32_t option;
    const char* marked;
  };
  static const TCase cases[] = {
      {"*.txt;*.doc", OptMaskSkipsFolders, "a.txt,b.doc,D.TXT"},
      {"*.txt;*.doc", 0, "notes.txt,a.txt,b.doc,D.TXT"},
      {"c*", 0, "c.bin"},
      {"", 0, ""},
      {";;", 0, ""},
  };
  for (const TCase& c : cases) {
    TTestList l;
    l.Add(dir.Path());
    GeneralCheckContainer = c.option;
    SelectByMask(1, c.mask, true, l.list);
    EXPECT_EQ(l.Marked(1), c.marked) << c.mask;
    GeneralCheckContainer = 0;
  }
  TTestList l;
  l.Add(dir.Path());
  SelectByMask(1, "*", true, l.list);
  GeneralCheckContainer = OptMaskSkipsFolders;
  SelectByMask(1, "*.*", false, l.list);
  GeneralCheckContainer = 0;
  EXPECT_EQ(l.Marked(1), "notes.txt");
}

TEST(Selection, DirectoryAndGroupSelection) {
  TTempFolder dir;
  for (auto n : {"a", "b", "c"}) dir.File(n);
  dir.Folder("f");
  TTestList l;
  l.Add(dir.Path());
  ChangeDirSelection(1, l.list, false, SelSet);
  EXPECT_EQ(l.Marked(1), "a,b,c");
  ChangeDirSelection(1, l.list, true, SelToggle);
  EXPECT_EQ(l.Marked(1), "f");
  l.Entry(1, 2).GroupNumber = 5;
  l.Entry(1, 4).GroupNumber = 5;
  l.Entry(1, 3).GroupNumber = 6;
  SetGroupSelection(1, 5, true, l.list);
  EXPECT_EQ(l.Marked(1), "f,a,c");
  SetGroupSelection(1, 5, false, l.list);
  EXPECT_EQ(l.Marked(1), "f");
  EXPECT_EQ(GetFirstSelectedName(l.list), "f");
  SetGroupSelection(1, 0, true, l.list);
  for (uint32_t p = 1; p <= 4; ++p) EXPECT_EQ(l.Entry(1, p).GroupNumber, 0u);
  ClearDirSelection(1, 1, l.list);
  EXPECT_EQ(l.Marked(1), "");
  EXPECT_EQ(GetFirstSelectedName(l.list), "");
}

TEST(Selection, RemovalMarkIsRangeCheckedAndClearedByRecount) {
  TTempFolder dir;
  dir.File("a", 1);
  dir.File("b", 2);
  TTestList l;
  l.Add(dir.Path());
  for (uint32_t rec : {0u, 3u, 100u}) MarkFileForRemoval(1, rec, l.list);
  MarkFileForRemoval(7, 1, l.list);
  EXPECT_EQ(l.Marked(1, FileRemove), "");
  MarkFileForRemoval(1, 2, l.list);
  EXPECT_EQ(l.Marked(1, FileRemove).size(), 1u);
  UpdateListTotals(l.list);
  EXPECT_EQ(l.Marked(1, FileRemove), "");
  EXPECT_EQ(l.list.TotalBytes, 3u);
  EXPECT_EQ(l.list.Busy, 0);
}

TEST(Selection, ClosedDirectoriesAreNotCounted) {
  TTempFolder one, two;
  one.File("a", 5);
  two.File("b", 50);
  TTestList l;
  l.Add(one.Path());
  uint32_t d = l.Add(two.Path());
  ChangeDirSelection(d, l.list, true, SelSet);
  {
    TBlockLock<TDirRecord> dirs(l.list.DirBlock);
    dirs[d - 1].Flags &= ~DirOpen;
  }
  UpdateListTotals(l.list);
  EXPECT_EQ(l.list.TotalBytes, 5u);
  EXPECT_EQ(l.list.SelectedCount, 0);
  EXPECT_EQ(GetFirstSelectedName(l.list), "");
}

TEST(Selection, FindNextByPrefix) {
  TTempFolder dir;
  dir.File("readme", 1);
  dir.File("a", 2);
  dir.File("report", 3);
  TTestList l;
  l.Add(dir.Path(), 0, SortBySize);  // shown: readme, a, report
  struct TCase {
    uint32_t start;
    const char* text;
    bool backwards;
    uint32_t found;
  };
  static const TCase cases[] = {
      {1, "re", false, 3}, {3, "re", false, 1}, {1, "re", true, 3}, {3, "RE", true, 1},
      {2, "a", false, 2},  {1, "", false, 2},   {3, "", false, 1},  {1, "", true, 3},
      {1, "readmex", false, 0}, {2, "zz", true, 0}, {0, "re", false, 1}, {9, "a", false, 2},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(FindNextByPrefix(1, c.start, c.text, l.list, c.backwards), c.found)
        << c.start << " " << c.text << " " << c.backwards;
  EXPECT_EQ(FindNextByPrefix(2, 1, "a", l.list, false), 0u);
}

TEST(Selection, FindFileByName) {
  TTempFolder dir;
  for (auto n : {"alpha.txt", "alphabet", "beta"}) dir.File(n);
  TTestList l;
  l.Add(dir.Path());  // shown: alpha.txt, alphabet, beta
  struct TCase {
    const char* text;
    bool exact;
    uint32_t found;
  };
  static const TCase cases[] = {
      {"alpha", false, 1}, {"ALPHA.TXT", true, 1}, {"alpha", true, 0}, {"b", false, 3},
      {"alphab", false, 2}, {"Alphabet", true, 2},
      {"", false, 0},      {"", true, 0},          {"betamax", false, 0},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(FindFileByName(1, c.text, l.list, c.exact), c.found) << c.text << c.exact;
}

TEST(Selection, FindFolderPosition) {
  TTempFolder dir;
  for (auto n : {"alpha", "beta", "delta"}) dir.Folder(n);
  for (auto n : {"aaa.txt", "zz"}) dir.File(n);
  TTestList l;
  l.Add(dir.Path());
  struct TCase {
    const char* name;
    uint32_t pos;
  };
  static const TCase cases[] = {{"beta", 2},  {"BETA", 2}, {"charlie", 2}, {"aaa", 0},
                                {"zeta", 3}, {"alpha", 1}, {"delta", 3}};
  for (const TCase& c : cases) EXPECT_EQ(FindFolderPosition(c.name, l.list), c.pos) << c.name;
  TTempFolder empty;
  TTestList e;
  e.Add(empty.Path());
  EXPECT_EQ(FindFolderPosition("x", e.list), 1u);
}

TEST(Selection, FindDuplicatesKeepsRunsOfEqualNeighbours) {
  TTempFolder one, two, three;
  one.File("a", 1);
  one.File("b", 2);
  one.File("c", 3);
  two.File("A", 2);
  two.File("c", 3);
  three.File("c", 3);
  struct TCase {
    int mode;
    const char* kept;
  };
  static const TCase cases[] = {
      {1, "a,A,c,c,c"}, {0, "A,b,c,c,c"}, {2, "A,b,c,c,c"}, {3, "c,c,c"}, {9, "a,A,b,c,c,c"},
  };
  for (const TCase& c : cases) {
    TTestList l;
    for (const TTempFolder* f : {&one, &two, &three}) l.Add(f->Path());
    FlattenDirBlocks(l.list, l.list.FileCount);
    SortDir(1, SortByNameOnly, l.list);
    uint32_t kept = FindDuplicates(c.mode, l.list);
    std::string names;
    for (uint32_t p = 1; p <= kept; ++p) Append(names, l.Name(l.Entry(1, p)));
    EXPECT_EQ(names, c.kept) << c.mode;
    RestoreDirBlocks(l.list);
  }
}

// Shell-namespace entries are never selected, and freeing their item-id lists
// before the records go leaves nothing for the list to free twice.
TEST(Selection, ShellEntries) {
  TShellDesktop desktop;
  ASSERT_TRUE(desktop.Ready());
  {
    TTempFolder dir;
    dir.File("doc.txt", 5);
    dir.Folder("inner");
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, dir.Path().c_str(), -1, wide, MAX_PATH);
    LPITEMIDLIST pidl = nullptr;
    ASSERT_TRUE(SUCCEEDED(
        DesktopFolder->ParseDisplayName(nullptr, nullptr, wide, nullptr, &pidl, nullptr)));
    TTestList l;
    AddDirRecord(l.list, TDirRecord{pidl, 0, 0, l.list.Names->Add("shell"),
                                    DirOpen | DirOwnsIdList | DirShellFolder, 1, 0});
    ASSERT_TRUE(ReadDirEntries(1, 0, l.list));
    ASSERT_EQ(l.Dir(1).FileCount, 2u);
    ChangeItemSelection(1, 2, l.list, SelSet, true);
    ChangeDirSelection(1, l.list, true, SelSet);
    SelectByMask(1, "*", true, l.list);
    for (uint32_t p = 1; p <= 2; ++p) l.Entry(1, p).GroupNumber = 4;
    SetGroupSelection(1, 4, true, l.list);
    EXPECT_EQ(l.Marked(1), "");
    l.Entry(1, 1).Flags |= FileMarked;
    ClearDirSelection(1, ClearFreeIdLists, l.list);
    for (uint32_t p = 1; p <= 2; ++p) {
      EXPECT_EQ(l.Entry(1, p).ItemIdList, nullptr);
      EXPECT_EQ(l.Entry(1, p).Flags & (FileOwnsIdList | FileMarked), 0u);
    }
  }
}

}  // namespace
