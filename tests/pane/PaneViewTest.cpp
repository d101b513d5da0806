#include <gtest/gtest.h>

#include "PaneFixture.h"
#include "core/translator.h"
#include "framework/Graphics.h"
#include "support/Screenshot.h"

namespace {

class PaneView : public TPaneTest {
 protected:
  TBrowserForm& PaneOnTree() {
    MakeTree({"alpha\\a1.txt", "alpha\\a2.txt", "beta\\b1.doc", "one.txt", "two.doc", "three.ini", "README"});
    WriteSetting("BROWSER_LEFT", "Directory", temp.Path());
    TBrowserForm& pane = MakePane();
    pane.sgBrowser->SetFocus();
    Pump();
    return pane;
  }
};

TEST_F(PaneView, HeaderFollowsTheMode) {
  TBrowserForm& pane = PaneOnTree();
  const struct {
    int mode, basketMode;
    size_t columns;
    int gridColumns;
  } steps[] = {{PaneFull, 2, 5, 5}, {PaneBrief, 2, 4, 1}, {PaneBasket, 2, 5, 5}, {PaneBasket, 1, 4, 1},
               {PaneFull, 1, 5, 5}};
  for (const auto& s : steps) {
    pane.BasketMode = s.basketMode;
    pane.SetMode(s.mode == pane.Mode ? PaneTree : s.mode);
    pane.SetMode(s.mode);
    Pump();
    const std::string what = std::to_string(s.mode) + "/" + std::to_string(s.basketMode);
    ASSERT_EQ(pane.sgTitle->HeaderItems.size(), s.columns) << what;
    EXPECT_EQ(pane.sgBrowser->ColCount, s.gridColumns) << what;
    const int width = pane.sgTitle->ClientRect().right;
    if (s.columns == 4) {
      for (int c = 0; c < 3; ++c) EXPECT_EQ(pane.sgTitle->ColWidth(c), width / 4) << what;
    } else {
      const int shares[] = {192, 48, 72, 120};
      for (int c = 0; c < 4; ++c) EXPECT_EQ(pane.sgTitle->ColWidth(c), shares[c] * width / 480) << what;
      for (int c = 0; c < 4; ++c) EXPECT_EQ(pane.sgBrowser->ColWidths[size_t(c)], pane.sgTitle->ColWidth(c)) << what;
    }
  }
  EXPECT_EQ(pane.OldMode, PaneTree);
}

TEST_F(PaneView, HeaderClicksSortAndKeepTheCurrentEntry) {
  TBrowserForm& pane = PaneOnTree();
  ASSERT_TRUE(pane.MoveTo(5, 0, 0));
  const std::string current = CurrentName(pane);
  const struct {
    int column;
    uint32_t kind;
    const char* first;
  } clicks[] = {{2, 66, "alpha"}, {2, 8258, "alpha"}, {1, 1, "alpha"}, {3, 67, "alpha"}, {0, 8, "alpha"}};
  for (const auto& c : clicks) {
    ClickHeader(pane, c.column);
    EXPECT_EQ(pane.FolderList->SortKind, c.kind) << c.column;
    EXPECT_EQ(pane.sgTitle->KindOfSort(), c.kind) << c.column;
    EXPECT_EQ(CurrentName(pane), current) << c.column;
    EXPECT_EQ(NameAt(pane, 1), c.first) << c.column;
  }
  ClickHeader(pane, 2);
  EXPECT_EQ(NameAt(pane, 3), "README");  // 6 000 bytes, the smallest file
  ClickHeader(pane, 2);
  EXPECT_EQ(NameAt(pane, 3), "three.ini");  // reversed: the largest first, folders still on top
}

TEST_F(PaneView, StatusLineShowsTheItemOrTheSelection) {
  TBrowserForm& pane = PaneOnTree();
  pane.SetMode(PaneBrief);
  ASSERT_TRUE(pane.MoveTo(3, 0, 0));
  Pump();
  EXPECT_EQ(StatusText(pane).substr(0, 14), "one|txt|7 000|");
  Key(pane, VK_SPACE);
  EXPECT_EQ(StatusText(pane), "6 of 28 k in 1 of 4 files selected");
  // A translation whose conversions do not fit gives the built-in text.
  Translator().SetTranslation(26, "%s%s%s%n");
  pane.UpdateStatus(pane.CurrentIndex);
  EXPECT_EQ(StatusText(pane), "6 of 28 k in 1 of 4 files selected");
  Translator().SetTranslation(26, "%s / %s k, %d / %d");
  pane.UpdateStatus(pane.CurrentIndex);
  EXPECT_EQ(StatusText(pane), "6 / 28 k, 1 / 4");
  Translator().ClearTranslations();
}

TEST_F(PaneView, CurrentRowAndMarksInTheirColours) {
  TBrowserForm& pane = PaneOnTree();
  ASSERT_TRUE(pane.MoveTo(4, 0, 0));
  Key(pane, VK_INSERT);
  EXPECT_EQ(pane.CurrentIndex, 5);
  EXPECT_TRUE(RowShows(pane, 5, RGB(0, 0, 128)));
  EXPECT_TRUE(RowShows(pane, 5, RGB(255, 255, 255)));
  EXPECT_TRUE(RowShows(pane, 4, RGB(255, 0, 0)));
  EXPECT_FALSE(RowShows(pane, 4, RGB(0, 0, 128)));
  EXPECT_FALSE(RowShows(pane, 6, RGB(255, 0, 0)));
  EXPECT_TRUE(SaveWindowShot(form->Handle(), "pane_full.bmp"));
}

TEST_F(PaneView, RowsAreNeverLowerThanSeventeen) {
  WriteSetting("Browser", "FilesFontSize", "6");
  TBrowserForm& pane = PaneOnTree();
  EXPECT_EQ(pane.sgBrowser->DefaultRowHeight, 17);
  EXPECT_LT(pane.TextHeight, 17);
}

TEST_F(PaneView, BasketModes) {
  TBrowserForm& pane = PaneOnTree();
  pane.SetMode(PaneBasket);
  Pump();
  EXPECT_EQ(pane.RowTotal(), 0);
  EXPECT_EQ(pane.sgBrowser->RowCount, 3);
  // The empty basket's text, centred near the top: the ink spans its width.
  {
    RedrawWindow(pane.sgBrowser->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const int textWidth = ScreenTextExtent(*FilesFont, "There are no items in the Basket.").cx;
    const int width = pane.sgBrowser->ClientRect().right;
    TWindowDC dc(pane.sgBrowser->Handle());
    int first = -1, last = -1;
    for (int x = 0; x < width; ++x)
      for (int y = 10; y < 10 + pane.TextHeight; ++y)
        if (GetPixel(dc.Get(), x, y) == MainColors[0]) {
          if (first < 0) first = x;
          last = x;
        }
    EXPECT_NEAR(first, (width - textWidth) / 2, 3);
    EXPECT_NEAR(last, (width + textWidth) / 2, 4);
  }
  EXPECT_TRUE(SaveWindowShot(form->Handle(), "pane_basket_empty.bmp"));
  GeneralCheckContainer &= ~OptBasketBothMarks;
  AddToBasket(temp / "alpha");
  AddToBasket(temp / "beta");
  pane.UpdateView();
  Pump();
  EXPECT_EQ(pane.RowTotal(), 5);  // two folder rows and three files
  EXPECT_EQ(NameAt(pane, 0), "[..]");
  EXPECT_EQ(NameAt(pane, 2), "a2.txt");
  EXPECT_EQ(NameAt(pane, 4), "b1.doc");
  EXPECT_TRUE(SaveWindowShot(form->Handle(), "pane_basket2.bmp"));
  // The quick search answers a row one past the entry's, or 0 for none.
  ASSERT_TRUE(pane.MoveTo(1, 0, 0));
  EXPECT_EQ(pane.FindFirstByText("a2"), 3);
  EXPECT_EQ(pane.FindFirstByText("zz"), 0);
  pane.BasketMode = 1;
  pane.SetupHeader();
  pane.UpdateView();
  Pump();
  EXPECT_EQ(pane.RowTotal(), 3);
  EXPECT_EQ(NameAt(pane, 2), "b1.doc");
  EXPECT_EQ(pane.FindFirstByText("b1"), 3);
  EXPECT_EQ(pane.FindFirstByText("zz"), 0);
  EXPECT_TRUE(SaveWindowShot(form->Handle(), "pane_basket1.bmp"));
}

TEST_F(PaneView, BriefMode) {
  TBrowserForm& pane = PaneOnTree();
  pane.SetMode(PaneBrief);
  Pump();
  EXPECT_TRUE(SaveWindowShot(form->Handle(), "pane_brief.bmp"));
}


// Tree rows: the folders alpha and beta open, the files of the root after them.
TEST_F(PaneView, TreeOpensFoldersAndJoinsThemWithLines) {
  WriteSetting("BROWSER_LEFT", "BrowserMode", "3");
  TBrowserForm& pane = PaneOnTree();
  ASSERT_EQ(pane.Mode, PaneTree);
  auto rowOf = [&](const std::string& name) {
    for (int32_t i = 0; i < pane.RowTotal(); ++i)
      if (NameAt(pane, i) == name) return i;
    return -1;
  };
  const int32_t roots = pane.RowTotal();
  for (const char* folder : {"alpha", "beta"}) {
    ASSERT_TRUE(pane.MoveTo(rowOf(folder), 0, 0)) << folder;
    Key(pane, VK_RETURN);
  }
  EXPECT_EQ(pane.RowTotal(), roots + 3);
  ASSERT_EQ(rowOf("a1.txt"), rowOf("alpha") + 1);
  ASSERT_EQ(rowOf("b1.doc"), rowOf("beta") + 1);
  // Closing a folder hides its entries; opening it again shows them without a new read.
  ASSERT_TRUE(pane.MoveTo(rowOf("alpha"), 0, 0));
  Key(pane, VK_RETURN);
  EXPECT_EQ(pane.RowTotal(), roots + 1);
  Key(pane, VK_RETURN);
  EXPECT_EQ(pane.RowTotal(), roots + 3);
  // Marking and going up do nothing in the tree.
  ASSERT_TRUE(pane.MoveTo(rowOf("a2.txt"), 0, 0));
  Key(pane, VK_SPACE);
  Key(pane, VK_BACK);
  EXPECT_EQ(Marked(pane), "");
  EXPECT_EQ(CurrentName(pane), "a2.txt");
  EXPECT_FALSE(pane.btnRUpOneLevel->Enabled());
  ASSERT_TRUE(pane.MoveTo(pane.RowTotal() - 1, 0, 0));
  TPylStringGrid& grid = *pane.sgBrowser;
  RedrawWindow(grid.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  // A line at a level's x runs through the whole row while its folder holds
  // entries below it, and stops halfway at the folder's last entry.
  const int h = grid.DefaultRowHeight;
  const struct {
    const char* name;
    int level;
    bool through;
  } lines[] = {{"alpha", 0, true}, {"a1.txt", 1, true}, {"a1.txt", 0, true}, {"a2.txt", 1, false},
               {"a2.txt", 0, true}, {"b1.doc", 1, false}, {"README", 0, true}};
  TWindowDC dc(grid.Handle());
  for (const auto& l : lines) {
    const int top = (rowOf(l.name) - grid.TopRow()) * h;
    const int x = l.level * 15 + 7;
    EXPECT_EQ(GetPixel(dc.Get(), x, top), RGB(0, 0, 0)) << l.name << " " << l.level;
    EXPECT_EQ(GetPixel(dc.Get(), x, top + h - 1) == RGB(0, 0, 0), l.through) << l.name << " " << l.level;
  }
  EXPECT_TRUE(SaveWindowShot(form->Handle(), "pane_tree.bmp"));
}

TEST_F(PaneView, TextsFollowTheLanguage) {
  TBrowserForm& pane = PaneOnTree();
  EXPECT_EQ(Tx(703), "Save Basket list to file...");
  Translator().SetTranslation(702, "Envoyer au panier");
  Translator().SetTranslation(84, "Nom");
  pane.ApplyTexts();
  EXPECT_EQ(pane.btnSendTobasket->Caption(), "Envoyer au panier");
  EXPECT_EQ(pane.sgTitle->HeaderItems[0].Text, "Nom");
  Translator().ClearTranslations();
  pane.ApplyTexts();
  EXPECT_EQ(pane.sgTitle->HeaderItems[0].Text, "Name");
}

}  // namespace

namespace {

// A walk or a worker holds the list (its Busy byte): the pane keeps it as it
// is until the byte clears.
TEST_F(PaneView, AListInUseIsNeitherReplacedNorReordered) {
  TBrowserForm& pane = PaneOnTree();
  const std::string root = GetDirPath(1, *pane.FolderList);
  const uint32_t kind = pane.FolderList->SortKind;
  pane.FolderList->Busy = 1;
  ASSERT_TRUE(pane.MoveTo(1, 0, 0));
  ASSERT_EQ(CurrentName(pane), "alpha");
  Key(pane, VK_RETURN);
  pane.OpenFolder(temp / "beta", "");
  pane.Refresh();
  pane.SelectDrive(0);
  pane.OpenCurrentDriveRoot();
  ClickHeader(pane, 2);
  EXPECT_EQ(GetDirPath(1, *pane.FolderList), root);
  EXPECT_EQ(pane.FolderList->SortKind, kind);
  EXPECT_EQ(pane.FolderList->Busy, 1);
  pane.FolderList->Busy = 0;
  Key(pane, VK_RETURN);
  EXPECT_EQ(lstrcmpiA(GetDirPath(1, *pane.FolderList).c_str(), (temp / "alpha").c_str()), 0);
}

}  // namespace
