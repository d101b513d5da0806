#include <gtest/gtest.h>

#include <string>

#include "PaneFixture.h"
#include "core/Drives.h"
#include "core/FileList.h"
#include "core/RowTexts.h"
#include "support/BoxWatch.h"

namespace {

class PaneKeys : public TPaneTest {
 protected:
  // The root: "[..]", alpha (a1.txt, a2.txt), beta (b1.doc), one.txt,
  // README, three.ini, two.doc.
  void SmallTree() {
    MakeTree({"alpha\\a1.txt", "alpha\\a2.txt", "beta\\b1.doc", "one.txt", "two.doc", "three.ini", "README"});
  }
  std::string Folder(TBrowserForm& pane) {
    const std::string path = GetDirPath(1, *pane.FolderList);
    return path.substr(path.rfind('\\') + 1);
  }
};

// A row of the pane's numbering given by the grid's rows: per grid rows,
// plus; or counted from the last row.
struct TAt {
  int perGridRows, plus;
  bool fromEnd;
  int Of(int gridRows, int rows) const { return fromEnd ? rows - 1 + plus : perGridRows * gridRows + plus; }
};
constexpr TAt Row(int r) { return {0, r, false}; }
constexpr TAt Col(int c, int r) { return {c, r, false}; }
constexpr TAt Last(int minus = 0) { return {0, -minus, true}; }

TEST_F(PaneKeys, BriefModeWalksColumns) {
  std::vector<std::string> names;
  for (int i = 0; i < 60; ++i) names.push_back(std::to_string(100 + i) + ".txt");
  MakeTree(names);
  WriteSetting("BROWSER_LEFT", "Directory", temp.Path());
  WriteSetting("BROWSER_LEFT", "BrowserMode", "1");
  TBrowserForm& pane = MakePane();
  const int gridRows = pane.sgBrowser->RowCount;
  const int rows = pane.RowTotal();  // "[..]" and 60 files
  ASSERT_EQ(rows, 61);
  ASSERT_GE(pane.sgBrowser->ColCount, 3) << gridRows;
  const struct {
    TAt start;
    WORD key;
    TAt want;
  } cases[] = {
      {Row(0), VK_RIGHT, Col(1, 0)},
      {Row(0), VK_DOWN, Row(1)},
      {Col(1, -1), VK_DOWN, Col(1, 0)},      // bottom grid row: into the next column
      {Col(1, 0), VK_UP, Col(1, -1)},        // top grid row: into the previous column
      {Row(0), VK_UP, Row(0)},
      {Row(2), VK_LEFT, Row(0)},             // first column: Home
      {Col(1, 2), VK_LEFT, Row(2)},
      {Row(0), VK_NEXT, Col(1, -1)},
      {Last(3), VK_NEXT, Last()},
      {Col(1, 5), VK_PRIOR, Row(6)},
      {Row(3), VK_PRIOR, Row(0)},
      {Col(1, 1), VK_HOME, Row(0)},
      {Row(1), VK_END, Last()},
      {Last(), VK_DOWN, Last()},
      {Last(1), VK_RIGHT, Last()},           // last column: End
  };
  for (const auto& c : cases) {
    const int start = c.start.Of(gridRows, rows), want = c.want.Of(gridRows, rows);
    ASSERT_TRUE(pane.MoveTo(start, 0, 0)) << start;
    Key(pane, c.key);
    EXPECT_EQ(pane.CurrentIndex, want) << "key " << c.key << " from " << start << " with " << gridRows << " rows";
    EXPECT_EQ(pane.sgBrowser->Col() * gridRows + pane.sgBrowser->Row(), pane.CurrentIndex) << c.key;
  }
  // A row of the second-last column whose neighbour to the right is missing.
  const int lastCol = (rows - 1) / gridRows;
  const int lonely = (lastCol - 1) * gridRows + gridRows - 1;
  if ((rows - 1) % gridRows != gridRows - 1) {
    ASSERT_TRUE(pane.MoveTo(lonely, 0, 0));
    Key(pane, VK_RIGHT);
    EXPECT_EQ(pane.CurrentIndex, rows - 1);
  }
}

TEST_F(PaneKeys, FullModeKeys) {
  SmallTree();
  WriteSetting("BROWSER_LEFT", "Directory", temp.Path());
  const struct {
    int start;
    WORD key;
    unsigned shift;
    uint32_t options;  // GeneralCheckContainer
    int want;  // -1: the folder left, which the next test checks
    const char* marks;
    const char* folder;
  } cases[] = {
      {0, VK_DOWN, 0, 0, 1, "", ""},
      {3, VK_UP, 0, 0, 2, "", ""},
      {2, VK_END, 0, 0, 6, "", ""},
      {5, VK_HOME, 0, 0, 0, "", ""},
      {1, VK_NEXT, 0, 0, 6, "", ""},
      {6, VK_PRIOR, 0, 0, 0, "", ""},
      {3, VK_SPACE, 0, 0, 3, "one.txt", ""},
      {3, VK_INSERT, 0, 0, 4, "one.txt", ""},
      {6, VK_INSERT, 0, 0, 6, "two.doc", ""},
      {0, VK_MULTIPLY, 0, 0, 0, "alpha,beta,one.txt,README,three.ini,two.doc", ""},
      {0, VK_MULTIPLY, 0, 0x08, 0, "one.txt,README,three.ini,two.doc", ""},
      {1, VK_RETURN, 0, 0, 0, "", "alpha"},
      {0, VK_RETURN, 0, 0, -1, "", "Temp"},
      {0, VK_BACK, 0, 0, -1, "", "Temp"},
  };
  for (const auto& c : cases) {
    panes.clear();
    GeneralCheckContainer = c.options;
    TBrowserForm& pane = MakePane();
    ASSERT_TRUE(pane.MoveTo(c.start, 0, 0));
    Key(pane, c.key, c.shift);
    const std::string what = "key " + std::to_string(c.key) + " from " + std::to_string(c.start);
    if (c.want >= 0) {
      EXPECT_EQ(pane.CurrentIndex, c.want) << what;
    }
    EXPECT_EQ(Marked(pane), c.marks) << what;
    if (*c.folder) {
      EXPECT_EQ(_stricmp(Folder(pane).c_str(), c.folder), 0) << what << ": " << Folder(pane);
    }
  }
}

// Going up makes the folder left current, by its place among the folders.
TEST_F(PaneKeys, UpOneLevelMakesTheFolderLeftCurrent) {
  SmallTree();
  WriteSetting("BROWSER_LEFT", "Directory", temp / "beta");
  TBrowserForm& pane = MakePane();
  EXPECT_EQ(pane.RowTotal(), 2);
  Key(pane, VK_BACK);
  EXPECT_EQ(CurrentName(pane), "beta");
  EXPECT_EQ(pane.CurrentIndex, 2);
  ASSERT_TRUE(pane.MoveTo(1, 0, 0));
  Key(pane, VK_RETURN);
  EXPECT_EQ(CurrentName(pane), "[..]");
  Key(pane, VK_RETURN);  // on "[..]"
  EXPECT_EQ(CurrentName(pane), "alpha");
  EXPECT_EQ(pane.pnlAddressLine->Caption(), GetDirPath(1, *pane.FolderList) + "\\*.*");
}

TEST_F(PaneKeys, BasketModeKeys) {
  SmallTree();
  WriteSetting("BROWSER_LEFT", "Directory", temp.Path());
  GeneralCheckContainer = 0;
  // Rows: alpha's folder row, a1.txt, a2.txt, beta's folder row, b1.doc.
  const struct {
    int start;
    WORD key;
    int want;
    const char* marks;
  } cases[] = {
      {0, VK_DOWN, 1, ""},         {4, VK_UP, 3, ""},     {1, VK_SPACE, 1, "a1.txt"},
      {1, VK_INSERT, 2, "a1.txt"}, {0, VK_SPACE, 0, ""},  {2, VK_MULTIPLY, 2, "a1.txt,a2.txt,b1.doc"},
      {0, VK_RETURN, 0, ""},       {3, VK_BACK, 3, ""},   {4, VK_END, 4, ""},
      {4, VK_HOME, 0, ""},         {0, VK_NEXT, 4, ""},   {4, VK_PRIOR, 0, ""},
  };
  for (const auto& c : cases) {
    panes.clear();
    ResetBasket();
    AddToBasket(temp / "alpha");
    AddToBasket(temp / "beta");
    TBrowserForm& pane = MakePane();
    pane.SetMode(PaneBasket);
    ASSERT_EQ(pane.RowTotal(), 5);
    ASSERT_TRUE(pane.MoveTo(c.start, 0, 0));
    Key(pane, c.key);
    const std::string what = "key " + std::to_string(c.key) + " from " + std::to_string(c.start);
    EXPECT_EQ(pane.CurrentIndex, c.want) << what;
    EXPECT_EQ(Marked(pane), c.marks) << what;
    EXPECT_EQ(pane.Mode, PaneBasket) << what;
  }
}


// The focus moving among a pane's own controls is no leaving of the pane;
// Enter and Esc in its drive combo are the combo's, not a dialog's.
TEST_F(PaneKeys, FocusAndTheDriveCombo) {
  SmallTree();
  WriteSetting("BROWSER_LEFT", "Directory", temp.Path());
  WriteSetting("BROWSER_RIGHT", "Directory", temp.Path());
  TBrowserForm& pane = MakePane();
  TBrowserForm& other = MakePane("RightBrowser");
  pane.ApplyLayout(0xF9);
  pane.sgBrowser->SetFocus();
  Pump();
  EXPECT_EQ(ActivePane, &pane);
  EXPECT_EQ(host.Entered, &pane);
  EXPECT_EQ(pane.pnlAddressLine->Color(), clActiveCaption);
  host.Entered = nullptr;
  pane.cmbDrives->SetFocus();
  Pump();
  EXPECT_EQ(host.Entered, nullptr);
  EXPECT_EQ(pane.pnlAddressLine->Color(), clActiveCaption);
  auto comboKey = [&](WORD vk) {
    PostMessageA(pane.cmbDrives->Handle(), WM_KEYDOWN, vk, 1);
    PostMessageA(pane.cmbDrives->Handle(), WM_KEYUP, vk, 0xC0000001);
    Pump();
  };
  comboKey(VK_ESCAPE);
  EXPECT_EQ(GetFocus(), pane.sgBrowser->Handle());
  pane.cmbDrives->SetFocus();
  Pump();
  const int z = FindDriveIndex('z', DriveList);
  ASSERT_LT(z, int(DriveList.size()));
  pane.cmbDrives->SetItemIndex(z);
  comboKey(VK_RETURN);
  EXPECT_EQ(pane.DriveLetter, 'z');
  EXPECT_EQ(_stricmp(GetDirPath(1, *pane.FolderList).c_str(), "Z:"), 0) << GetDirPath(1, *pane.FolderList);
  other.sgBrowser->SetFocus();
  Pump();
  EXPECT_EQ(ActivePane, &other);
  EXPECT_EQ(pane.pnlAddressLine->Color(), clInactiveCaption);
  // Leaving the combo puts back the drive shown.
  pane.cmbDrives->SetFocus();
  Pump();
  pane.cmbDrives->SetItemIndex(FindDriveIndex('c', DriveList));
  pane.sgBrowser->SetFocus();
  Pump();
  EXPECT_EQ(pane.cmbDrives->ItemIndex(), z);
  EXPECT_EQ(pane.DriveLetter, 'z');
  // A letter typed chooses a drive, which opens the folder last shown on it.
  pane.cmbDrives->SetFocus();
  Pump();
  PostMessageA(pane.cmbDrives->Handle(), WM_CHAR, 'c', 1);
  Pump();
  EXPECT_EQ(pane.DriveLetter, 'c');
  const std::string shown = GetDirPath(1, *pane.FolderList);
  EXPECT_EQ(_stricmp(shown.c_str(), temp.Path().c_str()), 0) << shown;
}

// Alt+Enter asks the shell for the properties of a file or a folder: the
// folder is not entered and no box of ours tells of a failure.
TEST_F(PaneKeys, AltEnterShowsProperties) {
  SmallTree();
  WriteSetting("BROWSER_LEFT", "Directory", temp.Path());
  TBrowserForm& pane = MakePane();
  const std::string shown = GetDirPath(1, *pane.FolderList);
  for (int row : {1, 3}) {
    TBoxWatch watch(VK_ESCAPE);
    ASSERT_TRUE(pane.MoveTo(row, 0, 0));
    Key(pane, VK_RETURN, ssAlt);
    EXPECT_EQ(GetDirPath(1, *pane.FolderList), shown) << row;
    EXPECT_EQ(pane.CurrentIndex, row);
    for (const TSeenBox& b : watch.Boxes) EXPECT_NE(b.Caption, "error!") << row << ": " << b.Text;
  }
  for (HWND w : ProcessWindowsOfClass("#32770")) PostMessageA(w, WM_CLOSE, 0, 0);
  Pump();
}

}  // namespace
