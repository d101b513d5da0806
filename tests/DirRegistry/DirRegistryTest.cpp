#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/DirRegistry.h"
#include "core/ReadFolder.h"
#include "core/Selection.h"
#include "core/SortList.h"
#include "support/TempFolder.h"

namespace {

constexpr uint32_t SortBySize = 2 | (7 << 3) | (7 << 6) | (7 << 9);

void Append(std::string& names, const std::string& name) {
  if (!names.empty()) names += ',';
  names += name;
}

TDirRecord DirOf(TstateOfBrowser& list, uint32_t d) {
  TBlockLock<TDirRecord> dirs(list.DirBlock);
  return dirs[d - 1];
}

TFileRecord& EntryOf(TstateOfBrowser& list, uint32_t d, uint32_t pos) {
  TDirRecord dir = DirOf(list, d);
  TBlockLock<uint32_t> order(list.OrderBlock);
  TBlockLock<TFileRecord> files(list.FileBlock);
  return files[dir.FirstFile + order[dir.FirstFile + pos - 1] - 1];  // blocks stay put unlocked
}

// Names of directory d in display order.
std::string Shown(TstateOfBrowser& list, uint32_t d, uint32_t mark = 0) {
  std::string names;
  for (uint32_t p = 1; p <= DirOf(list, d).FileCount; ++p) {
    const TFileRecord& e = EntryOf(list, d, p);
    if (!mark || (e.Flags & mark)) Append(names, list.Names->GetString(e.NameOffset));
  }
  return names;
}

// Registered paths in directory order.
std::string Registry(TstateOfBrowser& list) {
  std::string paths;
  TBlockLock<uint32_t> order(list.DirOrderBlock);
  for (int32_t i = 0; i < list.DirCount; ++i)
    Append(paths, list.Names->GetString(DirOf(list, order[i]).PathOffset));
  return paths;
}

struct TTestList {
  TstateOfBrowser list;
  explicit TTestList(int32_t dirs = 1, int32_t files = 300) {
    InitFileList(list, dirs, files, "*.*", 100);
  }
  ~TTestList() { FreeFileList(list); }
  uint32_t Add(const std::string& path, int32_t depth = 0) {
    uint32_t d = AddDirRecord(list, TDirRecord{nullptr, 0, 0, list.Names->Add(path.c_str()),
                                               DirOpen, depth, -1});
    EXPECT_TRUE(ReadDirEntries(d, 0, list));
    SortDir(d, list.SortKind, list);
    return d;
  }
};

// The global basket, freed again with its views.
struct TBasketScope {
  TBasketScope() {
    InitFileList(Basket, 10, 300, "*.*", 10000);
    GeneralCheckContainer = 0;
  }
  ~TBasketScope() {
    for (TstateOfBrowser* view : {&LeftBasketView, &RightBasketView}) DetachBasketView(*view);
    FreeFileList(Basket);
    GeneralCheckContainer = 0;
  }
};

TEST(DirRegistry, PathsRegisteredOnceWithoutTrailingBackslash) {
  TTestList l(1, 10);
  struct TStep {
    const char* path;
    int32_t number;
  };
  static const TStep steps[] = {{"C:\\Data\\Beta\\", 1}, {"c:\\data\\BETA", 1}, {"C:\\Data\\Alpha", 2},
                                {"", -1},                {"\\", -1},           {"C:\\Data\\Gamma", 3},
                                {"C:\\DATA\\ALPHA\\", 2}};
  for (const TStep& s : steps) {
    std::string path = s.path;
    EXPECT_EQ(FindOrAddDir(path, l.list), s.number) << s.path;
    EXPECT_TRUE(path.empty() || path.back() != '\\');
  }
  EXPECT_EQ(Registry(l.list), "C:\\Data\\Alpha,C:\\Data\\Beta,C:\\Data\\Gamma");
  EXPECT_EQ(l.list.Names->GetString(DirOf(l.list, 1).PathOffset), "C:\\Data\\Beta");
  struct TProbe {
    const char* path;
    int32_t pos;
  };
  static const TProbe probes[] = {{"c:\\data\\gamma\\", -1}, {"C:\\Data\\Aaa", 1},
                                  {"C:\\Data\\Delta", 3},    {"C:\\Data\\Zeta", 4},
                                  {"\\", -1}};
  for (const TProbe& p : probes) {
    std::string path = p.path;
    EXPECT_EQ(FindDirInsertPos(path, l.list), p.pos) << p.path;
  }
}

TEST(DirRegistry, RegistryGrowsPastItsCapacity) {
  TTestList l(1, 10);
  for (int i = 0; i < 25; ++i) {
    std::string path = "C:\\F" + std::to_string(100 - i);
    EXPECT_EQ(FindOrAddDir(path, l.list), i + 1);
  }
  EXPECT_EQ(l.list.DirCount, 25);
  std::string first = "c:\\f76";
  EXPECT_EQ(FindOrAddDir(first, l.list), 25);
}

// The finder's three steps: find the position, append, read, commit.
TEST(DirRegistry, CommitKeepsOnlyFoldersWithEntries) {
  TTempFolder empty, full;
  full.File("hit.txt", 3);
  TTestList l(1, 10);
  for (const TTempFolder* f : {&empty, &full}) {
    std::string path = f->Path() + "\\";
    const int32_t pos = FindDirInsertPos(path, l.list);
    ASSERT_EQ(pos, 1);
    const uint32_t used = l.list.Names->UsedLength;
    const int32_t dirs = l.list.DirCount;
    AppendDirRecord(path, l.list);
    ++l.list.DirCount;  // the finder reads into the appended record
    ASSERT_TRUE(ReadDirEntries(uint32_t(l.list.DirCount), 0, l.list));
    --l.list.DirCount;
    const bool kept = CommitDirRecord(pos, l.list);
    EXPECT_EQ(kept, f == &full);
    EXPECT_EQ(l.list.DirCount, dirs + (kept ? 1 : 0));
    if (!kept) {
      EXPECT_EQ(l.list.Names->UsedLength, used);
    }
  }
  EXPECT_EQ(Registry(l.list), full.Path());
  EXPECT_EQ(Shown(l.list, 1), "hit.txt");
}

TEST(DirRegistry, InsertFileUniqueKeepsOneEntryPerName) {
  TTempFolder dir;
  for (auto n : {"b.txt", "a.txt", "c.txt"}) dir.File(n, 1);
  struct TCase {
    uint32_t option;
    uint32_t marksAfterSecond;
  };
  static const TCase cases[] = {{0, 0}, {OptBasketBothMarks, FileMarked | FileMarkedRight}};
  for (const TCase& c : cases) {
    TTestList source;
    source.Add(dir.Path());
    TTestList target(1, 1);
    std::string path = dir.Path();
    const int32_t k = FindOrAddDir(path, target.list);
    GeneralCheckContainer = c.option;
    for (uint32_t pos : {2u, 3u, 1u}) InsertFileUnique(1, pos, uint32_t(k), target.list, source.list);
    EXPECT_EQ(Shown(target.list, 1), "a.txt,b.txt,c.txt");
    for (uint32_t p = 1; p <= 3; ++p) EntryOf(target.list, 1, p).Flags &= ~(FileMarked | FileMarkedRight);
    InsertFileUnique(1, 2, uint32_t(k), target.list, source.list);
    GeneralCheckContainer = 0;
    EXPECT_EQ(target.list.FileCount, 3);
    EXPECT_EQ(EntryOf(target.list, 1, 2).Flags & (FileMarked | FileMarkedRight), c.marksAfterSecond);
    InsertFileUnique(1, 9, uint32_t(k), target.list, source.list);  // no such position
    InsertFileUnique(1, 1, 7, target.list, source.list);             // no such directory
    EXPECT_EQ(target.list.FileCount, 3);
  }
}

TEST(DirRegistry, AddFileFromDisk) {
  TTempFolder dir;
  dir.File("Report.Final.doc", 1234);
  dir.Folder("sub");
  TTestList l(1, 1);
  std::string path = dir.Path();
  const uint32_t k = uint32_t(FindOrAddDir(path, l.list));
  for (auto name : {"Report.Final.doc", "missing.txt", "sub", "report.final.DOC"})
    AddFileFromDisk(dir.Path() + "\\", name, k, l.list);
  ASSERT_EQ(Shown(l.list, k), "Report.Final.doc,sub");
  const TFileRecord& doc = EntryOf(l.list, k, 1);
  EXPECT_EQ(doc.Size, 1234u);
  EXPECT_EQ(l.list.Names->GetString(doc.ExtOffset), "doc");
  EXPECT_EQ(doc.IconIndex, -1);
  EXPECT_EQ(doc.DirNumber, k);
  const TFileRecord& sub = EntryOf(l.list, k, 2);
  EXPECT_TRUE(sub.Attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(sub.ExtOffset, sub.NameOffset + sub.NameLength);
}

TEST(DirRegistry, CopyFileRecordMovesLaterRuns) {
  TTempFolder one, two;
  for (auto n : {"m.txt", "z.txt"}) one.File(n, 1);
  for (auto n : {"x1", "x2"}) two.File(n, 1);
  TTestList source;
  source.Add(one.Path());
  TTestList target(1, 1);
  std::string p1 = "C:\\One", p2 = "C:\\Two";
  FindOrAddDir(p1, target.list);
  FindOrAddDir(p2, target.list);
  CopyFileRecord(1, 1, 1, true, target.list, source.list);  // m.txt
  CopyFileRecord(1, 2, 1, true, target.list, source.list);  // z.txt
  TTestList second;
  second.Add(two.Path());
  CopyFileRecord(1, 1, 2, true, target.list, second.list);
  CopyFileRecord(1, 2, 2, false, target.list, second.list);
  // A record in front of the second run: that run moves up by one.
  EntryOf(source.list, 1, 1).Flags |= FileMarked | FileOpen | 5;
  CopyFileRecord(1, 1, 1, true, target.list, source.list);
  EXPECT_EQ(Shown(target.list, 1), "m.txt,m.txt,z.txt");
  EXPECT_EQ(Shown(target.list, 2), "x1,x2");
  EXPECT_EQ(DirOf(target.list, 2).FirstFile, 3u);
  EXPECT_EQ(target.list.FileCount, 5);
  for (uint32_t p = 1; p <= 3; ++p) {
    const TFileRecord& e = EntryOf(target.list, 1, p);
    EXPECT_EQ(e.DirNumber, 1u);
    EXPECT_EQ(e.Flags, 0u) << "marks and tree links stay with the source list";
  }
}

TEST(DirRegistry, PurgeBasketDropsEmptiedFolders) {
  TTempFolder a, b, c;
  a.File("a1", 1);
  b.File("b1", 1);
  b.File("b2", 1);
  c.File("c1", 1);
  c.File("c2", 1);
  TTestList l(1, 10);
  for (const TTempFolder* f : {&a, &b, &c}) {
    std::string path = f->Path();
    const uint32_t k = uint32_t(FindOrAddDir(path, l.list));
    for (auto n : {"a1", "b1", "b2", "c1", "c2"}) AddFileFromDisk(f->Path(), n, k, l.list);
  }
  MarkFileForRemoval(2, 1, l.list);
  MarkFileForRemoval(2, 2, l.list);
  MarkFileForRemoval(3, 1, l.list);
  PurgeBasket(l.list);
  ASSERT_EQ(l.list.DirCount, 2);
  EXPECT_EQ(l.list.FileCount, 2);
  EXPECT_EQ(l.list.Names->GetString(DirOf(l.list, 2).PathOffset), c.Path());
  EXPECT_EQ(Shown(l.list, 1), "a1");
  EXPECT_EQ(Shown(l.list, 2), "c2");
  EXPECT_EQ(EntryOf(l.list, 2, 1).DirNumber, 2u);
  EXPECT_EQ(Registry(l.list).find(b.Path()), std::string::npos);
}

TEST(DirRegistry, PurgeMarkedFilesKeepsLaterRuns) {
  TTempFolder one, two;
  for (auto n : {"a", "b", "c"}) one.File(n, 1);
  for (auto n : {"x", "y"}) two.File(n, 1);
  TTestList l;
  l.Add(one.Path());
  l.Add(two.Path());
  MarkFileForRemoval(1, 2, l.list);
  PurgeMarkedFiles(1, l.list);
  SortDir(1, l.list.SortKind, l.list);
  EXPECT_EQ(Shown(l.list, 1), "a,c");
  EXPECT_EQ(Shown(l.list, 2), "x,y");
  EXPECT_EQ(l.list.FileCount, 4);
  PurgeMarkedFiles(2, l.list);  // nothing marked
  EXPECT_EQ(Shown(l.list, 2), "x,y");
  PurgeMarkedFiles(3, l.list);
  EXPECT_EQ(l.list.FileCount, 4);
}

TEST(DirRegistry, RemoveDirRecordTakesItsEntries) {
  TTempFolder one, two, three;
  one.File("a", 1);
  two.File("b", 1);
  three.File("c", 1);
  TTestList l(1, 10);
  for (const TTempFolder* f : {&three, &one, &two}) {
    std::string path = f->Path();
    const uint32_t k = uint32_t(FindOrAddDir(path, l.list));
    for (auto n : {"a", "b", "c"}) AddFileFromDisk(f->Path(), n, k, l.list);
  }
  RemoveDirRecord(2, l.list);  // one: "a"
  RemoveDirRecord(0, l.list);
  RemoveDirRecord(9, l.list);
  ASSERT_EQ(l.list.DirCount, 2);
  EXPECT_EQ(l.list.FileCount, 2);
  EXPECT_EQ(Shown(l.list, 1), "c");
  EXPECT_EQ(Shown(l.list, 2), "b");
  EXPECT_EQ(EntryOf(l.list, 2, 1).DirNumber, 2u);
  EXPECT_EQ(Registry(l.list), two.Path() < three.Path() ? two.Path() + "," + three.Path()
                                                         : three.Path() + "," + two.Path());
}

TEST(DirRegistry, CompactTextPoolKeepsLiveTexts) {
  TTempFolder one, two;
  one.File("keep.txt", 1);
  one.File("drop.txt", 1);
  two.File("gone", 1);
  TTestList l(1, 10);
  for (const TTempFolder* f : {&one, &two}) {
    std::string path = f->Path();
    const uint32_t k = uint32_t(FindOrAddDir(path, l.list));
    for (auto n : {"keep.txt", "drop.txt", "gone"}) AddFileFromDisk(f->Path(), n, k, l.list);
  }
  MarkFileForRemoval(1, 2, l.list);  // drop.txt, in block order after keep.txt
  MarkFileForRemoval(2, 1, l.list);
  PurgeBasket(l.list);
  const uint32_t before = l.list.Names->UsedLength;
  CompactTextPool(l.list);
  EXPECT_EQ(l.list.Names->UsedLength, one.Path().size() + 1 + 9);
  EXPECT_LT(l.list.Names->UsedLength, before);
  EXPECT_EQ(Registry(l.list), one.Path());
  EXPECT_EQ(Shown(l.list, 1), "keep.txt");
  EXPECT_EQ(l.list.Names->GetString(EntryOf(l.list, 1, 1).ExtOffset), "txt");
}

TEST(DirRegistry, CopySelectedToList) {
  TTempFolder one, two;
  for (auto n : {"a", "b", "c"}) one.File(n, 1);
  two.File("d", 1);
  TTestList source;
  source.Add(one.Path());
  source.Add(two.Path());
  TstateOfBrowser target;
  target.FileCount = 77;
  EXPECT_FALSE(CopySelectedToList(target, source.list));
  EXPECT_EQ(target.FileBlock, nullptr);
  EXPECT_EQ(target.FileCount, 77);

  struct TCase {
    bool flat;
  };
  for (TCase c : {TCase{false}, TCase{true}}) {
    EntryOf(source.list, 1, 1).Flags |= FileMarked;
    EntryOf(source.list, 1, 3).Flags |= FileMarked;
    EntryOf(source.list, 2, 1).Flags |= FileMarked;
    if (c.flat) FlattenDirBlocks(source.list, source.list.FileCount);
    TstateOfBrowser copy;
    ASSERT_TRUE(CopySelectedToList(copy, source.list));
    if (c.flat) RestoreDirBlocks(source.list);
    ASSERT_EQ(copy.DirCount, 2) << c.flat;
    EXPECT_EQ(copy.FileCount, 3);
    SortAllDirs(copy);
    EXPECT_EQ(Shown(copy, 1), "a,c");
    EXPECT_EQ(Shown(copy, 2), "d");
    EXPECT_EQ(EntryOf(copy, 1, 2).Tag, 3u);
    EXPECT_EQ(EntryOf(copy, 2, 1).Tag, 4u);
    EXPECT_EQ(GetDirPath(2, copy), GetDirPath(2, source.list));
    FreeFileList(copy);
  }
}

TEST(DirRegistry, CopyItemStatesByName) {
  TTempFolder dir;
  for (auto n : {"keep", "gone", "mark"}) dir.File(n, 1);
  dir.Folder("sized");
  TTestList old;
  old.Add(dir.Path());
  SortDir(1, SortByNameOnly, old.list);
  for (uint32_t p = 1; p <= 4; ++p) {
    TFileRecord& e = EntryOf(old.list, 1, p);
    const std::string name = old.list.Names->GetString(e.NameOffset);
    e.IconIndex = int32_t(p) * 10;
    if (name == "mark" || name == "gone") e.Flags |= FileMarked;
    if (name == "sized") {
      e.Flags |= FileSizeKnown;
      e.Size = 4242;
      e.GroupNumber = 3;
    }
  }
  dir.Remove("gone");
  dir.File("new", 1);
  TTestList fresh;
  fresh.Add(dir.Path());
  SortDir(1, SortByNameOnly, fresh.list);
  CopyItemStatesByName(old.list, fresh.list, 1, 1);
  SortDir(1, fresh.list.SortKind, fresh.list);
  EXPECT_EQ(Shown(fresh.list, 1), "sized,keep,mark,new");
  EXPECT_EQ(Shown(fresh.list, 1, FileMarked), "mark");
  const TFileRecord& sized = EntryOf(fresh.list, 1, 1);
  EXPECT_EQ(sized.Size, 4242u);
  EXPECT_EQ(sized.GroupNumber, 3u);
  EXPECT_EQ(EntryOf(fresh.list, 1, 4).IconIndex, -1);
  EXPECT_GT(EntryOf(fresh.list, 1, 2).IconIndex, 0);
}

TEST(DirRegistry, BasketViewsAndRefresh) {
  TBasketScope scope;
  TTempFolder one, two;
  one.File("big", 300);
  one.File("small", 1);
  two.File("mid", 20);
  TTestList pane;
  pane.Add(one.Path());
  pane.Add(two.Path());
  ChangeDirSelection(1, pane.list, true, SelSet);
  ChangeDirSelection(2, pane.list, true, SelSet);
  GeneralCheckContainer = OptBasketBothMarks;
  AddSelectionToBasket(pane.list);
  EXPECT_EQ(GetFirstSelectedName(pane.list), "");
  ASSERT_EQ(Basket.DirCount, 2);
  EXPECT_EQ(Basket.FileCount, 3);
  EXPECT_EQ(pane.list.Busy, 0);

  LeftBasketView.SortKind = SortDefault;
  RightBasketView.SortKind = SortBySize;
  AttachBasketView(ModeLeftView, true, Basket);
  AttachBasketView(ModeSecondMark, true, Basket);
  EXPECT_EQ(LeftBasketView.ModeFlags, 9u);
  EXPECT_EQ(RightBasketView.ModeFlags, 5u);
  FlattenDirBlocks(RightBasketView, RightBasketView.FileCount);

  // Taking one entry out: the next refresh purges and re-attaches both views.
  std::string path = two.Path();
  MarkFileForRemoval(uint32_t(FindOrAddDir(path, Basket)), 1, Basket);
  TPluginStructure walk;
  walk.List = &pane.list;
  walk.Changed = 1;
  RefreshAfterListOperation(walk);
  EXPECT_EQ(Basket.DirCount, 1);
  EXPECT_EQ(Shown(LeftBasketView, 1), "big,small");
  ASSERT_NE(RightBasketView.SavedDirBlock, nullptr) << "the flat view stays on";
  EXPECT_EQ(Shown(RightBasketView, 1), "small,big");
  for (TstateOfBrowser* view : {&LeftBasketView, &RightBasketView}) {
    EXPECT_EQ(view->SelectedCount, 2);
    EXPECT_EQ(view->TotalBytes, 301u);
    EXPECT_EQ(view->Names, Basket.Names);
  }
  // A view's entries are the basket's own: adding them again does nothing.
  AddSelectionToBasket(LeftBasketView);
  EXPECT_EQ(Basket.FileCount, 2);
}

// The finder's flat results: each entry goes to the basket folder of its
// own directory, found through the saved directory block.
TEST(DirRegistry, FlatResultsToBasket) {
  TBasketScope scope;
  TTempFolder one, two;
  one.File("a", 1);
  two.File("b", 2);
  two.File("c", 3);
  TTestList results(1, 10);
  results.list.ModeFlags = ModeResults;
  for (const TTempFolder* f : {&one, &two}) {
    std::string path = f->Path();
    const uint32_t k = uint32_t(FindOrAddDir(path, results.list));
    for (auto n : {"a", "b", "c"}) AddFileFromDisk(f->Path(), n, k, results.list);
  }
  FlattenDirBlocks(results.list, results.list.FileCount);
  SortDir(1, SortByNameOnly, results.list);
  ChangeItemSelection(1, 1, results.list, SelSet, false);  // a, in one
  ChangeItemSelection(1, 3, results.list, SelSet, false);  // c, in two
  AddSelectionToBasket(results.list);
  RestoreDirBlocks(results.list);
  ASSERT_EQ(Basket.DirCount, 2);
  std::string p1 = one.Path(), p2 = two.Path();
  EXPECT_EQ(Shown(Basket, uint32_t(FindOrAddDir(p1, Basket))), "a");
  EXPECT_EQ(Shown(Basket, uint32_t(FindOrAddDir(p2, Basket))), "c");
  EXPECT_EQ(Basket.DirCount, 2);
  UpdateListTotals(results.list);
  EXPECT_EQ(results.list.SelectedCount, 0);
}

// A copied directory record must not share an owned item-id list: the
// source list frees its own.
TEST(DirRegistry, CopyDirRecordClonesOwnedIdList) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  {
    TTempFolder dir;
    LPITEMIDLIST pidl = ILCreateFromPathA(dir.Path().c_str());
    ASSERT_NE(pidl, nullptr);
    TTestList target;
    {
      TTestList source;
      AddDirRecord(source.list, TDirRecord{pidl, 0, 0, source.list.Names->Add("shell"),
                                           DirOpen | DirOwnsIdList | DirShellFolder, 1, 0});
      CopyDirRecord(1, target.list, 1, source.list);
      CopyDirRecord(2, target.list, 1, source.list);  // beyond the capacity
      CopyDirRecord(1, target.list, 2, source.list);  // no such source
    }
    target.list.DirCount = 1;
    const TDirRecord d = DirOf(target.list, 1);
    EXPECT_NE(d.ItemIdList, pidl);
    char path[MAX_PATH] = {};
    ASSERT_TRUE(SHGetPathFromIDListA(d.ItemIdList, path));
    EXPECT_EQ(_stricmp(path, dir.Path().c_str()), 0);
    EXPECT_EQ(target.list.Names->GetString(d.PathOffset), "shell");
  }
  CoUninitialize();
}

}  // namespace
