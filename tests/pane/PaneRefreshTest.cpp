#include <gtest/gtest.h>

#include "PaneFixture.h"
#include "core/Drives.h"
#include "core/ListLock.h"
#include "core/RowTexts.h"
#include "core/Selection.h"
#include "core/translator.h"
#include "support/WineDrive.h"

namespace {

class PaneRefresh : public TPaneTest {
 protected:
  TFileRecord* Entry(TBrowserForm& pane, const std::string& name, TListLock& lock) {
    const uint32_t pos = FindFileByName(1, name, *pane.FolderList, true);
    return pos ? lock.Entry(1, pos) : nullptr;
  }
  static bool SamePath(const std::string& a, const std::string& b) { return _stricmp(a.c_str(), b.c_str()) == 0; }
  // The drive list as the system has it now, in the pane's controls too.
  void ReadDrives(TBrowserForm* pane) {
    DriveList.clear();
    FillDriveList(DriveList, DriveOptionBasket);
    if (pane) pane->RebuildDriveControls();
  }
  int DriveIndex(char letter) { return FindDriveIndex(letter, DriveList); }
};

// Answers the drive choice dialog: Esc, or the given drive and Enter.
struct TChoiceAnswer {
  static inline int seen = 0;
  static inline int choose = -1;  // -1: Esc
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowA(nullptr, "ERROR!");
    if (!box || !IsWindowVisible(box) || !IsWindowEnabled(box)) return;
    HWND combo = FindWindowExA(box, nullptr, "ComboBox", nullptr);
    if (!combo) return;
    ++seen;
    if (choose >= 0) SendMessageA(combo, CB_SETCURSEL, WPARAM(choose), 0);
    const WORD key = choose >= 0 ? VK_RETURN : VK_ESCAPE;
    PostMessageA(combo, WM_KEYDOWN, key, 1);
    PostMessageA(combo, WM_KEYUP, key, 0xC0000001);
  }
};

TEST_F(PaneRefresh, KeepsMarksIconsAndTheCurrentEntryByName) {
  MakeTree({"a.txt", "b.txt", "c.txt", "d.txt", "sub\\x.txt"});
  WriteSetting("BROWSER_LEFT", "Directory", temp.Path());
  TBrowserForm& pane = MakePane();
  // The icon reader the first paint started would write over the icon set here.
  pane.StopIconThread();
  {
    TListLock lock(*pane.FolderList);
    for (const char* name : {"b.txt", "d.txt"}) Entry(pane, name, lock)->Flags |= FileMarked;
    Entry(pane, "b.txt", lock)->IconIndex = 12345;
    Entry(pane, "b.txt", lock)->GroupNumber = 7;
  }
  ASSERT_TRUE(pane.MoveTo(4, 0, 0));
  ASSERT_EQ(CurrentName(pane), "c.txt");
  temp.Remove("a.txt");
  temp.File("e.txt", 5);
  ASSERT_TRUE(MoveFileA((temp / "d.txt").c_str(), (temp / "dd.txt").c_str()));
  pane.Refresh();
  EXPECT_EQ(pane.RowTotal(), 6);  // [..], sub, b, c, dd, e
  EXPECT_EQ(Marked(pane), "b.txt");
  EXPECT_EQ(CurrentName(pane), "c.txt");
  EXPECT_EQ(pane.CurrentIndex, 3);
  TListLock lock(*pane.FolderList);
  EXPECT_EQ(Entry(pane, "b.txt", lock)->IconIndex, 12345);
  EXPECT_EQ(Entry(pane, "b.txt", lock)->GroupNumber, 7u);
  EXPECT_EQ(pane.FolderList->SelectedCount, 1);
}

TEST_F(PaneRefresh, ClimbsOutOfAFolderThatIsGone) {
  MakeTree({"sub\\deep\\z.txt", "sub\\x.txt", "sub\\zz\\y.txt"});
  WriteSetting("BROWSER_LEFT", "Directory", temp / "sub\\deep");
  TBrowserForm& pane = MakePane();
  ASSERT_EQ(pane.RowTotal(), 2);
  temp.Remove("sub\\deep");
  pane.Refresh();
  EXPECT_TRUE(SamePath(GetDirPath(1, *pane.FolderList), temp / "sub"));
  EXPECT_EQ(pane.RowTotal(), 3);  // [..], zz, x.txt
  EXPECT_EQ(CurrentName(pane), "[..]");  // the last folder before "deep": none
  EXPECT_TRUE(SamePath(pane.pnlAddressLine->Caption(), temp / "sub\\*.*"));
  temp.Remove("sub");
  pane.Refresh();
  EXPECT_TRUE(SamePath(GetDirPath(1, *pane.FolderList), temp.Path()));
}

TEST_F(PaneRefresh, DriveThatIsGone) {
  TTestDrive drive('q', DRIVE_FIXED);
  ASSERT_TRUE(drive.Ok());
  WriteTestFile(drive.Folder() + "\\apple.txt", "a");
  MakeTree({"one.txt"});
  WriteSetting("BROWSER_LEFT", "Directory", temp.Path());
  ReadDrives(nullptr);
  TBrowserForm& pane = MakePane();
  const UINT_PTR timer = SetTimer(nullptr, 0, 40, TChoiceAnswer::Tick);

  // Choosing the drive once it is gone asks for another; Esc keeps the folder shown.
  drive.Remove();
  TChoiceAnswer::seen = 0;
  TChoiceAnswer::choose = -1;
  pane.SelectDrive(DriveIndex('q'));
  EXPECT_EQ(TChoiceAnswer::seen, 1);
  EXPECT_TRUE(SamePath(GetDirPath(1, *pane.FolderList), temp.Path()));
  EXPECT_EQ(pane.cmbDrives->ItemIndex(), DriveIndex('c'));
  EXPECT_EQ(pane.DriveLetter, 'c');

  // The drive shown goes: the refresh asks, and the drive chosen opens.
  {
    TTestDrive again('q', DRIVE_FIXED);
    ASSERT_TRUE(again.Ok());
    WriteTestFile(again.Folder() + "\\apple.txt", "a");
    pane.SelectDrive(DriveIndex('q'));
    ASSERT_EQ(pane.DriveLetter, 'q');
    EXPECT_EQ(NameAt(pane, 0), "apple.txt");
    again.Remove();
    // The free space of a drive that is gone: the error, not stale numbers.
    pane.UpdateDriveInfo();
    const std::string info = pane.pnlInfo->Caption(), error = Tx(29);
    ASSERT_EQ(info.substr(0, error.size()), error);
    EXPECT_GT(atoi(info.c_str() + error.size()), 0) << info;
    TChoiceAnswer::seen = 0;
    TChoiceAnswer::choose = DriveIndex('c');
    pane.Refresh();
    EXPECT_EQ(TChoiceAnswer::seen, 1);
    EXPECT_EQ(GetDirPath(1, *pane.FolderList), "C:");
    EXPECT_EQ(pane.DriveLetter, 'c');
    // Cancelled while the drive shown is the one gone: the first fixed drive.
    pane.cmbDrives->SetItemIndex(DriveIndex('q'));
    pane.DriveLetter = 'q';
    TChoiceAnswer::seen = 0;
    TChoiceAnswer::choose = -1;
    pane.OpenCurrentDriveRoot();
    EXPECT_EQ(TChoiceAnswer::seen, 1);
    EXPECT_EQ(pane.DriveLetter, DriveList[size_t(FindFirstFixedDrive(DriveList))]->Letter);
    TTempFolder::RemoveTree(again.Folder());
  }
  KillTimer(nullptr, timer);
}

// On a drive root there is no "[..]": the first entry is row 0, which the
// quick search reaches both ways; an empty root shows one empty column.
TEST_F(PaneRefresh, DriveRootsQuickSearchAndAnEmptyOne) {
  TTestDrive drive('q', DRIVE_FIXED);
  TTestDrive empty('r', DRIVE_FIXED);
  ASSERT_TRUE(drive.Ok() && empty.Ok());
  for (const char* name : {"apple.txt", "avocado.txt", "banana.txt"}) WriteTestFile(drive.Folder() + "\\" + name, "x");
  WriteSetting("BROWSER_LEFT", "Directory", "q:\\");
  ReadDrives(nullptr);
  TBrowserForm& pane = MakePane();
  ASSERT_EQ(pane.RowTotal(), 3);
  ASSERT_TRUE(pane.MoveTo(2, 0, 0));
  EXPECT_EQ(pane.FindNextByText("a", false), 0);
  EXPECT_EQ(pane.CurrentIndex, 0);
  EXPECT_EQ(pane.FindNextByText("a", false), 1);
  EXPECT_EQ(pane.FindNextByText("a", true), 0);
  EXPECT_EQ(pane.FindNextByText("z", false), -1);
  EXPECT_EQ(pane.CurrentIndex, 0);
  EXPECT_EQ(pane.FindFirstByText("B"), 3);
  Key(pane, VK_BACK);  // nothing above a root
  EXPECT_EQ(pane.DriveLetter, 'q');

  pane.SelectDrive(DriveIndex('r'));
  pane.SetMode(PaneBrief);
  Pump();
  EXPECT_EQ(pane.RowTotal(), 0);
  EXPECT_EQ(pane.sgBrowser->ColCount, 1);
  for (WORD key : {VK_DOWN, VK_RIGHT, VK_END, VK_RETURN, VK_SPACE, VK_INSERT, VK_MULTIPLY, VK_BACK}) Key(pane, key);
  EXPECT_EQ(pane.CurrentIndex, 0);
  TTempFolder::RemoveTree(drive.Folder());
}

}  // namespace
