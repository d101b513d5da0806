#include <gtest/gtest.h>

#include "PaneFixture.h"
#include "core/Drives.h"
#include "core/RowTexts.h"
#include "framework/IniFile.h"

namespace {

class PaneSettings : public TPaneTest {};

constexpr uint64_t kDefaultWidths = 16125026496ull;

TEST_F(PaneSettings, SavedPaneComesBackAsItWas) {
  constexpr uint64_t kWidths = 100 + (50 << 9) + (80 << 18) + (90ull << 27);
  MakeTree({"sub\\a.txt", "sub\\b.txt", "sub\\c.doc", "top.txt"});
  WriteSetting("BROWSER_LEFT", "Directory", temp / "sub");
  {
    TBrowserForm& pane = MakePane();
    pane.SetMode(PaneBrief);
    pane.ChangeSortColumn(2);
    pane.BasketMode = 1;
    pane.sgTitle->SetColumnWidth(kWidths);
    pane.FolderList->MaskText = "*.txt";
    pane.SaveSettings("BROWSER_LEFT");
    panes.clear();
  }
  TBrowserForm& back = MakePane();
  EXPECT_EQ(back.Mode, PaneBrief);
  EXPECT_EQ(back.OldMode, PaneFull);
  EXPECT_EQ(back.BasketMode, 1);
  EXPECT_EQ(back.FolderList->SortKind, 66u);
  EXPECT_EQ(back.sgTitle->KindOfSort(), 66u);
  EXPECT_EQ(back.sgTitle->ColumnWidth(), kWidths);
  EXPECT_EQ(back.FolderList->MaskText, "*.txt");
  EXPECT_EQ(_stricmp(GetDirPath(1, *back.FolderList).c_str(), (temp / "sub").c_str()), 0);
  // The mask reads only the text files: "[..]", a.txt, b.txt.
  EXPECT_EQ(back.RowTotal(), 3);
}

TEST_F(PaneSettings, BasketPaneKeepsNoFolder) {
  WriteSetting("BROWSER_LEFT", "BrowserMode", "4");
  {
    TBrowserForm& pane = MakePane();
    EXPECT_EQ(pane.DriveLetter, '*');
    pane.SaveSettings("BROWSER_LEFT");
    panes.clear();
  }
  EXPECT_FALSE(TIniFile(ini).ValueExists("BROWSER_LEFT", "Directory"));
  TBrowserForm& back = MakePane();
  EXPECT_EQ(back.Mode, PaneBasket);
  EXPECT_EQ(back.pnlAddressLine->Caption(), "BASKET");
}

// Values a hand-edited or damaged file may hold: the pane starts in full
// mode with the default widths on the first fixed drive.
TEST_F(PaneSettings, HostileValuesFallBack) {
  const std::string longFolder = "C:\\" + std::string(5000, 'x');
  // A path that exists but does not list as a folder would show as an empty one.
  temp.File("plain.txt", 10);
  const struct {
    const char* key;
    std::string value;
  } cases[] = {
      {"BrowserMode", "0"},
      {"BrowserMode", "7"},
      {"BrowserMode", "-1"},
      {"BrowserMode", "abc"},
      {"BrowserMode", "2abc"},
      {"BasketMode", "9"},
      {"ColumnsWidth", "abc"},
      {"ColumnsWidth", "-1"},
      {"ColumnsWidth", "123456789012345678901234567890"},
      {"ColumnsWidth", std::to_string(300 + (300 << 9))},
      {"Directory", longFolder},
      {"Directory", ".."},
      {"Directory", "C:Windows"},
      {"Directory", temp / "plain.txt"},
  };
  const int firstFixed = FindFirstFixedDrive(DriveList);
  ASSERT_LT(firstFixed, int(DriveList.size()));
  const std::string rootOfFirstFixed{char(toupper(DriveList[size_t(firstFixed)]->Letter)), ':'};
  for (const auto& c : cases) {
    TIniFile(ini).EraseSection("BROWSER_LEFT");
    WriteSetting("BROWSER_LEFT", c.key, c.value);
    TBrowserForm& pane = MakePane();
    const std::string what = std::string(c.key) + "=" + c.value.substr(0, 40);
    EXPECT_EQ(pane.Mode, PaneFull) << what;
    EXPECT_EQ(pane.BasketMode, 2) << what;
    EXPECT_EQ(pane.sgTitle->ColumnWidth(), kDefaultWidths) << what;
    EXPECT_EQ(pane.DriveLetter, DriveList[size_t(firstFixed)]->Letter) << what;
    EXPECT_EQ(GetDirPath(1, *pane.FolderList), rootOfFirstFixed) << what;
    panes.clear();
  }
  // Without a [Browser] section the first pane makes the default font.
  ASSERT_TRUE(FilesFont);
  EXPECT_EQ(FilesFont->Name, "MS Sans Serif");
  EXPECT_EQ(FilesFont->Size, 8);
  EXPECT_TRUE(FilesFont->Bold);
}

TEST_F(PaneSettings, FontComesFromTheFirstPaneThatLoads) {
  WriteSetting("Browser", "FilesFontName", "Tahoma");
  WriteSetting("Browser", "FilesFontSize", "11");
  WriteSetting("Browser", "FilesFontStyle", "14");
  MakePane();
  WriteSetting("Browser", "FilesFontSize", "20");
  MakePane("RightBrowser");
  ASSERT_TRUE(FilesFont);
  EXPECT_EQ(FilesFont->Name, "Tahoma");
  EXPECT_EQ(FilesFont->Size, 11);
  EXPECT_FALSE(FilesFont->Bold);
  EXPECT_TRUE(FilesFont->Italic && FilesFont->Underline && FilesFont->StrikeOut);
}

TEST(MainColorValue, NumbersAndSlotDefaults) {
  const struct {
    int number, slot;
    COLORREF want;
  } cases[] = {
      {0, 1, RGB(0, 0, 0)},       {0, 2, RGB(255, 255, 255)}, {0, 3, RGB(255, 0, 0)},   {0, 4, RGB(0, 0, 128)},
      {0, 5, RGB(255, 255, 255)}, {3, 1, RGB(255, 255, 0)},   {5, 2, RGB(0, 0, 128)},   {9, 3, RGB(255, 0, 0)},
      {10, 4, RGB(0, 0, 255)},    {11, 5, RGB(0, 255, 255)},  {12, 2, RGB(0, 0, 0)},    {-1, 2, RGB(0, 0, 0)},
  };
  for (const auto& c : cases) EXPECT_EQ(MainColorValue(c.number, c.slot), c.want) << c.number << "/" << c.slot;
}

}  // namespace
