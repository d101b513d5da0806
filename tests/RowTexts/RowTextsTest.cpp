#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/DirRegistry.h"
#include "core/Drives.h"
#include "core/FileUtils.h"
#include "core/Formats.h"
#include "core/ReadFolder.h"
#include "core/RenameName.h"
#include "core/RowTexts.h"
#include "core/Selection.h"
#include "core/SortList.h"
#include "core/translator.h"
#include "support/PaneList.h"
#include "support/ShellDesktop.h"
#include "support/TempFolder.h"

namespace {

int32_t BackslashCount(const std::string& path) {
  return int32_t(std::count(path.begin(), path.end(), '\\'));
}

std::string NameAt(TstateOfBrowser& list, uint32_t dir, uint32_t pos) {
  std::string name;
  int32_t depth = 0;
  GetItemName(dir, pos, name, list, depth);
  return name;
}

TDirRecord DirOf(TstateOfBrowser& list, uint32_t d) {
  TBlockLock<TDirRecord> dirs(list.DirBlock);
  return dirs[d - 1];
}

std::string RootPath(TstateOfBrowser& list) {
  return list.Names->GetString(DirOf(list, 1).PathOffset);
}

// A pane's list and its tree rows.
struct TPane : TPaneList {
  // Tree rows as names, "!" for a row that does not map.
  std::string Rows(int32_t count) {
    std::string rows;
    for (int32_t r = 1; r <= count; ++r) {
      uint32_t d = 9, p = 9;
      const bool ok = TreeRowToItem(r, d, p, list);
      if (!rows.empty()) rows += ',';
      rows += ok ? NameAt(list, d, p) : "!";
      if (!ok) {
        EXPECT_EQ(d + p, 0u);
      }
    }
    return rows;
  }
};

// Root: folders A (two files) and B, three files.
void MakeTree(const TTempFolder& dir) {
  dir.File("A\\a1.txt", 1);
  dir.File("A\\a2.txt", 2);
  dir.File("B\\b1.txt", 3);
  for (auto n : {"f1", "f2", "f3"}) dir.File(n, 10);
}

TEST(RowTexts, TreeRowsWithOneOpenFolder) {
  TTempFolder dir;
  MakeTree(dir);
  TPane pane;
  ASSERT_TRUE(pane.Open(dir.Path()));
  EXPECT_EQ(pane.Rows(6), "A,B,f1,f2,f3,!");
  EXPECT_EQ(pane.Toggle(1, "A"), 2);
  EXPECT_EQ(pane.Rows(8), "A,a1.txt,a2.txt,B,f1,f2,f3,!");
  uint32_t d = 5, p = 5;
  EXPECT_FALSE(TreeRowToItem(0, d, p, pane.list));
  EXPECT_FALSE(TreeRowToItem(-3, d, p, pane.list));
  EXPECT_TRUE(TreeRowToItem(3, d, p, pane.list));
  EXPECT_EQ(d, 2u);
  EXPECT_EQ(p, 2u);
}

TEST(RowTexts, ClosingKeepsRecordsAndClearsMarks) {
  TTempFolder dir;
  MakeTree(dir);
  dir.File("A\\C\\c1", 1);
  TPane pane;
  ASSERT_TRUE(pane.Open(dir.Path()));
  ASSERT_EQ(pane.Toggle(1, "A"), 2);
  ASSERT_EQ(pane.Toggle(2, "C"), 3);
  EXPECT_EQ(pane.Rows(10), "A,C,c1,a1.txt,a2.txt,B,f1,f2,f3,!");
  ChangeDirSelection(2, pane.list, true, SelSet);
  EXPECT_EQ(pane.Toggle(1, "A"), 0);  // closed
  EXPECT_EQ(pane.Rows(6), "A,B,f1,f2,f3,!");
  EXPECT_EQ(DirOf(pane.list, 3).Flags & DirOpen, 0u) << "nested folders close too";
  dir.Remove("A\\a2.txt");
  EXPECT_EQ(pane.Toggle(1, "A"), 0);  // shown again without a read
  EXPECT_EQ(pane.Rows(7), "A,C,a1.txt,a2.txt,B,f1,f2");
  EXPECT_FALSE(IsFileSelected(2, pane.Find(2, "a1.txt"), pane.list));
  EXPECT_EQ(ToggleFolderEntry(1, pane.Find(1, "f1"), pane.list), -1);
  EXPECT_EQ(ToggleFolderEntry(1, 99, pane.list), -1);
  EXPECT_EQ(ToggleFolderEntry(7, 1, pane.list), -1);
}

// A broken link must not end the program: the rows past it do not map.
TEST(RowTexts, BrokenTreeLinksGiveNoRow) {
  TTempFolder dir;
  MakeTree(dir);
  TPane pane;
  ASSERT_TRUE(pane.Open(dir.Path()));
  ASSERT_EQ(pane.Toggle(1, "A"), 2);
  {
    TBlockLock<TDirRecord> dirs(pane.list.DirBlock);
    dirs[1].Flags &= ~DirTreeFileMask;
  }
  EXPECT_EQ(pane.Rows(4), "A,a1.txt,a2.txt,!");
  {
    // A folder entry of A leading back to A itself.
    TBlockLock<TDirRecord> dirs(pane.list.DirBlock);
    TBlockLock<TFileRecord> files(pane.list.FileBlock);
    dirs[1].Flags |= dirs[1].FirstFile + 1;
    files[dirs[1].FirstFile].Attributes |= FILE_ATTRIBUTE_DIRECTORY;
    files[dirs[1].FirstFile].Flags |= FileOpen | 2;
  }
  uint32_t d = 0, p = 0;
  EXPECT_FALSE(TreeRowToItem(50, d, p, pane.list));
}

TEST(RowTexts, RereadKeepsOpenFoldersAndMarks) {
  TTempFolder dir;
  MakeTree(dir);
  dir.File("A\\C\\c1", 1);
  dir.File("ro.txt", 1);
  SetFileAttributesA((dir.Path() + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  TPane pane;
  pane.list.Filter.Active = 1;
  pane.list.Filter.ExcludedAttributes = FILE_ATTRIBUTE_READONLY;
  ASSERT_TRUE(pane.Open(dir.Path()));
  ASSERT_EQ(pane.Toggle(1, "A"), 2);
  ASSERT_EQ(pane.Toggle(2, "C"), 3);
  ASSERT_EQ(pane.Toggle(1, "B"), 4);
  ChangeItemSelection(2, 0, pane.list, SelSet, false);
  ChangeDirSelection(2, pane.list, false, SelSet);  // a1.txt, a2.txt
  ChangeDirSelection(3, pane.list, false, SelSet);  // c1
  dir.Remove("B");
  dir.File("A\\new.txt", 1);
  dir.File("f4", 1);
  ASSERT_TRUE(RereadKeepingExpanded(pane.list));
  EXPECT_EQ(pane.Rows(11), "A,C,c1,a1.txt,a2.txt,new.txt,f1,f2,f3,f4,!");
  const uint32_t a = FindFileByName(1, "A", pane.list, true);
  std::string marked;
  for (int32_t r = 1; r <= 10; ++r) {
    uint32_t d = 0, p = 0;
    TreeRowToItem(r, d, p, pane.list);
    if (IsFileSelected(d, p, pane.list)) marked += NameAt(pane.list, d, p) + ";";
  }
  EXPECT_EQ(marked, "c1;a1.txt;a2.txt;");
  EXPECT_EQ(a, 1u);
  SetFileAttributesA((dir.Path() + "\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(RowTexts, RereadOfAVanishedRootGivesTheOldListBack) {
  TPane pane;
  {
    TTempFolder dir;
    MakeTree(dir);
    ASSERT_TRUE(pane.Open(dir.Path()));
    ASSERT_EQ(pane.Toggle(1, "A"), 2);
  }
  const HGLOBAL block = pane.list.FileBlock;
  EXPECT_FALSE(RereadKeepingExpanded(pane.list));
  EXPECT_EQ(pane.list.FileBlock, block);
  EXPECT_EQ(pane.Rows(8), "A,a1.txt,a2.txt,B,f1,f2,f3,!");
}

TEST(RowTexts, OpenPathAndGoUp) {
  TTempFolder dir;
  dir.File("one\\two\\x.txt", 1);
  const int32_t base = BackslashCount(dir.Path());
  struct TCase {
    std::string path;
    bool opened;
    int32_t depth;
    std::string root;
  };
  const TCase cases[] = {
      {"C:\\", true, 0, "C:"},
      {"C:\\windows\\system32", true, 2, "C:\\windows\\system32"},
      {"C:\\windows\\system32\\", true, 2, "C:\\windows\\system32"},
      {dir.Path() + "\\one\\two", true, base + 2, dir.Path() + "\\one\\two"},
      {dir.Path() + "\\missing", false, 0, ""},
      {"", false, 0, ""},
  };
  for (const TCase& c : cases) {
    TPane pane;
    ASSERT_TRUE(pane.Open(dir.Path()));
    const HGLOBAL before = pane.list.FileBlock;
    const int32_t files = pane.list.FileCount;
    EXPECT_EQ(OpenPathAsRoot(c.path, pane.list), c.opened) << c.path;
    if (!c.opened) {
      EXPECT_EQ(pane.list.FileCount, files);
      EXPECT_EQ(pane.list.FileBlock, before);
      EXPECT_EQ(RootPath(pane.list), dir.Path());
      continue;
    }
    EXPECT_EQ(pane.list.FileCount, 0);
    EXPECT_EQ(pane.list.DirCount, 1);
    EXPECT_EQ(DirOf(pane.list, 1).Depth, c.depth) << c.path;
    EXPECT_EQ(RootPath(pane.list), c.root);
  }
  TPane pane;
  ASSERT_TRUE(pane.Open("C:\\windows\\system32\\"));
  std::string name;
  for (const char* left : {"system32", "windows", ""}) {
    GoToParentFolder(pane.list, name);
    EXPECT_EQ(name, left);
    ASSERT_TRUE(ReadDirEntries(1, ReadFoldersSkipMasks, pane.list));
    SortDir(1, pane.list.SortKind, pane.list);
  }
  EXPECT_EQ(DirOf(pane.list, 1).Depth, 0);
  EXPECT_EQ(RootPath(pane.list), "C:");
  EXPECT_GT(FindFileByName(1, "windows", pane.list, true), 0u);
  EXPECT_GT(FindFolderPosition("windows", pane.list), 0u);
}

TEST(RowTexts, GoingUpDropsTheTree) {
  TTempFolder dir;
  MakeTree(dir);
  TPane pane;
  ASSERT_TRUE(pane.Open(dir.Path() + "\\A"));
  std::string name;
  GoToParentFolder(pane.list, name);
  EXPECT_EQ(name, "A");
  EXPECT_EQ(pane.list.FileCount, 0);
  ASSERT_TRUE(ReadDirEntries(1, ReadFoldersSkipMasks, pane.list));
  SortDir(1, pane.list.SortKind, pane.list);
  ASSERT_EQ(pane.Toggle(1, "A"), 2);
  GoToParentFolder(pane.list, name);
  EXPECT_EQ(pane.list.DirCount, 1);
  EXPECT_EQ(pane.list.FileCount, 0);
}

TEST(RowTexts, OpenDriveRoot) {
  FillDriveList(DriveList, 0);
  ASSERT_FALSE(DriveList.empty());
  const int c = FindDriveIndex('c', DriveList);
  ASSERT_LT(size_t(c), DriveList.size());
  TPane pane;
  ASSERT_TRUE(pane.Open("C:\\windows"));
  for (int index : {-1, int(DriveList.size()), 1000}) {
    EXPECT_FALSE(OpenDriveRoot(index, pane.list)) << index;
    EXPECT_EQ(RootPath(pane.list), "C:\\windows");
  }
  ASSERT_TRUE(OpenDriveRoot(c, pane.list));
  EXPECT_EQ(pane.list.DriveIndex, c);
  EXPECT_EQ(DirOf(pane.list, 1).Depth, 0);
  EXPECT_EQ(GetDirPath(1, pane.list), "C:");
  ASSERT_TRUE(ReadDirEntries(1, ReadFoldersSkipMasks, pane.list));
  EXPECT_GT(pane.list.FileCount, 0);
  DriveList.clear();
}

TEST(RowTexts, ColumnTexts) {
  RegisterSharedTexts();
  TTempFolder dir;
  SYSTEMTIME st{2024, 3, 0, 5, 14, 30, 0, 0};
  FILETIME time{};
  SystemTimeToFileTime(&st, &time);
  dir.File("README.TXT", 1234567, time);
  dir.File("MixedCase.Doc", 5, time);
  dir.File("archive.tar.gz", 0, time);
  dir.File("noext", 0, time);
  dir.File("sub\\in.dat", 300);
  SetFileAttributesA((dir.Path() + "\\README.TXT").c_str(),
                     FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
  TPane pane;
  ASSERT_TRUE(pane.Open(dir.Path()));
  RenamerFileStructure = TRenamerFileStructure();
  RenamerFileStructure.NameMask = "new_[N].[E]";
  std::string when;
  FileTimeToText(time, when);
  struct TCase {
    const char* name;  // "" for the header row
    int kind;
    std::string text;
  };
  const TCase cases[] = {
      {"README.TXT", ColName, "Readme"},
      {"README.TXT", ColNameOnly, "Readme"},
      {"README.TXT", ColExtension, "txt"},
      {"README.TXT", ColSize, "1 234 567"},
      {"README.TXT", ColTime, when},
      {"README.TXT", ColAttributes, "a-r-"},
      {"README.TXT", ColFullName, "Readme.txt"},
      {"README.TXT", ColNewName, "new_README"},
      {"README.TXT", ColNewExtension, "TXT"},
      {"README.TXT", ColStoredName, "README.TXT"},
      {"README.TXT", 11, ""},
      {"README.TXT", -1, ""},
      {"MixedCase.Doc", ColName, "MixedCase"},
      {"MixedCase.Doc", ColExtension, "doc"},
      {"MixedCase.Doc", ColFullName, "MixedCase.Doc"},
      {"archive.tar.gz", ColName, "archive.tar"},
      {"archive.tar.gz", ColExtension, "gz"},
      {"noext", ColName, "noext"},
      {"noext", ColExtension, ""},
      {"noext", ColNewExtension, ""},
      {"sub", ColName, "[sub]"},
      {"sub", ColFullName, "[sub]"},
      {"sub", ColExtension, ""},
      {"sub", ColSize, "<DIR>"},
      {"sub", ColAttributes, "----"},
      {"", ColName, "[..]"},
      {"", ColFullName, "[..]"},
      {"", ColSize, ""},
  };
  for (const TCase& c : cases) {
    const uint32_t pos = *c.name ? pane.Find(1, c.name) : 0;
    ASSERT_TRUE(pos > 0 || !*c.name) << c.name;
    std::string text = "stale";
    GetColumnText(c.kind, 1, pos, text, pane.list);
    EXPECT_EQ(text, c.text) << c.name << " " << c.kind;
  }
  std::string location;
  GetColumnText(ColLocation, 1, 1, location, pane.list);
  EXPECT_EQ(location, GetDirPath(1, pane.list));
  const uint32_t sub = pane.Find(1, "sub");
  ChangeItemSelection(1, int32_t(sub) + 1, pane.list, SelSet, true);  // row 1 is "[..]"
  std::string size;
  GetColumnText(ColSize, 1, sub, size, pane.list);
  EXPECT_EQ(size, "300");
  std::string text = "stale";
  GetColumnText(ColName, 1, 99, text, pane.list);
  EXPECT_EQ(text, "");
  text = "stale";
  GetColumnText(ColName, 5, 1, text, pane.list);
  EXPECT_EQ(text, "");
  RenamerFileStructure = TRenamerFileStructure();
}

TEST(RowTexts, ItemNames) {
  TTempFolder dir;
  dir.File("Sub\\file.txt", 1);
  TPane pane;
  ASSERT_TRUE(pane.Open(dir.Path() + "\\SUB"));
  std::string name = "stale";
  int32_t depth = -7;
  GetItemName(1, 0, name, pane.list, depth);
  EXPECT_EQ(name, GetDirPath(1, pane.list) + "\\");
  EXPECT_EQ(name.substr(name.size() - 5), "\\Sub\\");
  EXPECT_EQ(depth, BackslashCount(dir.Path()) + 1);
  GetItemName(1, 1, name, pane.list, depth);
  EXPECT_EQ(name, "file.txt");
  GetItemName(1, 2, name, pane.list, depth);
  EXPECT_EQ(name, "");
  GetItemName(3, 1, name, pane.list, depth);
  EXPECT_EQ(name, "");
  EXPECT_EQ(depth, 0);
}

TEST(RowTexts, FlatRowsOfAGatheringList) {
  TTempFolder one, two;
  one.File("a", 1);
  one.File("b", 1);
  two.File("c", 1);
  TstateOfBrowser list;
  InitFileList(list, 10, 300, "*.*", 1000);
  // Registered in path order, whatever order they come in.
  for (const TTempFolder* f : {&two, &one}) {
    std::string path = f->Path();
    const uint32_t k = uint32_t(FindOrAddDir(path, list));
    for (auto n : {"a", "b", "c"}) AddFileFromDisk(f->Path(), n, k, list);
  }
  // The rows in path order, "" for a header row.
  const std::vector<std::string> groups[2] = {{"a", "b"}, {"c"}};
  const bool oneFirst = _stricmp(one.Path().c_str(), two.Path().c_str()) < 0;
  for (bool header : {false, true}) {
    std::vector<std::string> rows;
    for (int g : {oneFirst ? 0 : 1, oneFirst ? 1 : 0}) {
      if (header) rows.push_back("");
      rows.insert(rows.end(), groups[g].begin(), groups[g].end());
    }
    for (int32_t row = -1; row <= int32_t(rows.size()) + 1; ++row) {
      uint32_t d = 99, p = 99;
      FlatRowToItem(row, header, d, list, p);
      if (row < 1 || row > int32_t(rows.size())) {
        EXPECT_EQ(d + p, 198u) << row;
        continue;
      }
      EXPECT_EQ(p == 0 ? std::string() : NameAt(list, d, p), rows[size_t(row - 1)])
          << row << header;
    }
  }
  FreeFileList(list);
}

// A folder of the shell namespace that has a file-system path: the tree
// opens it as a file-system folder with its own item-id list, and going up
// from there returns to the namespace.
TEST(RowTexts, ShellNamespaceFolders) {
  TShellDesktop desktop;
  ASSERT_TRUE(desktop.Ready());
  {
    TTempFolder dir;
    dir.File("inner\\deep\\x.txt", 1);
    LPITEMIDLIST pidl = ILCreateFromPathA(dir.Path().c_str());
    ASSERT_NE(pidl, nullptr);
    TPane pane;
    AddDirRecord(pane.list, TDirRecord{pidl, 0, 0, pane.list.Names->Add("shell"),
                                       DirOpen | DirOwnsIdList | DirShellFolder, 1, -1});
    ASSERT_TRUE(ReadDirEntries(1, 0, pane.list));
    ASSERT_EQ(pane.list.FileCount, 1);
    ASSERT_EQ(ToggleFolderEntry(1, 1, pane.list), 2);
    const TDirRecord inner = DirOf(pane.list, 2);
    EXPECT_EQ(inner.FsLevels, 0);
    EXPECT_EQ(inner.Flags & (DirShellFolder | DirOwnsIdList), DirOwnsIdList);
    EXPECT_EQ(_stricmp(pane.list.Names->GetString(inner.PathOffset).c_str(),
                       (dir.Path() + "\\inner").c_str()),
              0);
    ASSERT_TRUE(ReadDirEntries(2, 0, pane.list));
    ASSERT_EQ(ToggleFolderEntry(2, 1, pane.list), 3);
    const TDirRecord deep = DirOf(pane.list, 3);
    EXPECT_EQ(deep.FsLevels, 1);
    EXPECT_EQ(deep.Depth, 3);
    EXPECT_NE(deep.ItemIdList, inner.ItemIdList) << "each directory owns its list";

    // The folder where the namespace meets the file system, as a root.
    TPane up;
    AddDirRecord(up.list, TDirRecord{nullptr, 0, 0, 0, DirOpen, 0, -1});
    CopyDirRecord(1, up.list, 2, pane.list);
    std::string name;
    GoToParentFolder(up.list, name);
    EXPECT_EQ(name, "inner");
    const TDirRecord parent = DirOf(up.list, 1);
    EXPECT_EQ(parent.FsLevels, -1);
    EXPECT_TRUE(parent.Flags & DirShellFolder);
    EXPECT_EQ(parent.Depth, 1);
    const std::string last = dir.Path().substr(dir.Path().rfind('\\') + 1);
    EXPECT_EQ(_stricmp(RootPath(up.list).c_str(), last.c_str()), 0);
    ASSERT_TRUE(ReadDirEntries(1, 0, up.list));
    EXPECT_EQ(NameAt(up.list, 1, 1), "inner");
  }
}

// A pseudo-drive of the shell namespace as the network drive: its root is
// opened through its own copy of the drive's item-id list.
TEST(RowTexts, ShellPseudoDriveRoot) {
  TShellDesktop desktop;
  ASSERT_TRUE(desktop.Ready());
  {
    TTempFolder dir;
    dir.File("inner\\x.txt", 1);
    TItemIdList cache;
    cache.Reset(ILCreateFromPathA(dir.Path().c_str()));
    ASSERT_NE(cache.Get(), nullptr);
    const UINT size = ILGetSize(cache.Get());
    auto drive = std::make_unique<TDriveRecord>();
    drive->ItemIdList = cache.Get();
    drive->Letter = '\\';
    drive->DriveType = DRIVE_REMOTE;
    strcpy(drive->DisplayText, "Stand-in network");
    DriveList.clear();
    TPane pane;
    ASSERT_TRUE(pane.Open(dir.Path()));
    const std::string unc = "\\\\?\\" + dir.Path();
    ASSERT_TRUE(PathExists(unc));
    EXPECT_FALSE(OpenPathAsRoot(unc, pane.list)) << "no network drive in the list";
    EXPECT_EQ(RootPath(pane.list), dir.Path());
    DriveList.push_back(std::move(drive));
    ASSERT_TRUE(OpenPathAsRoot(unc, pane.list));
    const TDirRecord root = DirOf(pane.list, 1);
    EXPECT_EQ(root.Flags, DirOpen | DirShellFolder | DirOwnsIdList);
    EXPECT_EQ(root.Depth, 0);
    EXPECT_EQ(pane.list.DriveIndex, 0);
    EXPECT_NE(root.ItemIdList, cache.Get());
    EXPECT_EQ(RootPath(pane.list), "Stand-in network");
    ASSERT_TRUE(ReadDirEntries(1, 0, pane.list));
    ASSERT_EQ(pane.list.FileCount, 1);
    EXPECT_EQ(NameAt(pane.list, 1, 1), "inner");
    ASSERT_EQ(ToggleFolderEntry(1, 1, pane.list), 2);
    EXPECT_EQ(DirOf(pane.list, 2).FsLevels, 0);
    std::string name = "stale";
    GoToParentFolder(pane.list, name);
    EXPECT_EQ(name, "") << "a drive root has no parent";
    FreeFileList(pane.list);
    InitFileList(pane.list, 1, 1, "*.*", 10);
    EXPECT_EQ(ILGetSize(cache.Get()), size) << "the drive's own list is untouched";
    DriveList.clear();
  }
}

}  // namespace
