// The results window over real searches, driven by keys and clicks.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "ResultsFixture.h"
#include "core/Drives.h"
#include "core/ReadFolder.h"
#include "core/RowTexts.h"
#include "core/Selection.h"
#include "core/SortList.h"
#include "core/translator.h"
#include "support/BoxAnswers.h"
#include "support/Screenshot.h"
#include "support/TextFit.h"
#include "support/WindowTour.h"
#include "windows/StandardQuery.h"

namespace {
constexpr uint64_t kBig = 2ull << 30;
}  // namespace

class ResultsTree : public ResultsWindow {
 protected:
  void SetUp() override {
    ResultsWindow::SetUp();
    tree.File("a\\one.txt", 10);
    tree.File("a\\six.txt", 60);
    tree.File("a\\two.txt", 300);
    tree.File("b\\three.dat", 20);
    tree.File("b\\skip.bin", 5);
    StartSearch(TSearchSetup({tree.Path()}, "*.txt;*.dat"));
    ASSERT_TRUE(WaitForEnd());
  }
};

TEST_F(ResultsTree, FullAndBriefViewsAndTitleSorting) {
  // Two folder header rows in green above their files.
  EXPECT_EQ(SearchList.FileCount, 4);
  EXPECT_EQ(window->RowCount, 6);
  EXPECT_EQ(window->sgFinder->ColCount, 5);
  uint32_t dir = 0, pos = 9;
  {
    TLock lock(ResultsLock);
    ASSERT_TRUE(window->RowItem(0, dir, pos));
  }
  EXPECT_EQ(pos, 0u);
  EXPECT_TRUE(window->btnGoToFile->Enabled());
  EXPECT_FALSE(window->btnSendToBasket->Enabled());
  EXPECT_EQ(window->sbFilesComment->SimpleText(), "4" + Tx(107));

  // The name column's edge dragged 40 pixels left: the list follows, no
  // sorting happens, and a wider window keeps the width.
  const int nameWidth = window->sgTitle->ColWidths[0];
  const uint32_t sort = SearchList.SortKind;
  const HWND title = window->sgTitle->Handle();
  PostMessageA(title, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(nameWidth, 5));
  PostMessageA(title, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(nameWidth - 40, 5));
  PostMessageA(title, WM_LBUTTONUP, 0, MAKELPARAM(nameWidth - 40, 5));
  ::Pump(60);
  EXPECT_EQ(window->sgFinder->ColWidths[0], nameWidth - 40);
  EXPECT_EQ(SearchList.SortKind, sort);
  window->SetWidth(window->Width() + 60);
  ::Pump(60);
  EXPECT_EQ(window->sgFinder->ColWidths[0], nameWidth - 40);

  // Size twice: descending.
  ClickTitle(2);
  EXPECT_EQ(SearchList.SortKind, 66u);
  EXPECT_LT(RowOf("one.txt"), RowOf("six.txt"));
  ClickTitle(2);
  EXPECT_EQ(SearchList.SortKind, 66u | SortReverse);
  EXPECT_LT(RowOf("two.txt"), RowOf("six.txt"));
  EXPECT_LT(RowOf("six.txt"), RowOf("one.txt"));
  ::Pump(100);
  EXPECT_TRUE(SaveWindowShot(window->Handle(), ShotPath("finder_full.bmp")));
  ExpectTextsFit(*window, "the search results");

  // Brief: one flat column, the cursor entry in the five panels.
  window->btnSetModeBrief->Click();
  ::Pump(50);
  EXPECT_EQ(window->ViewMode, ResultsBrief);
  EXPECT_EQ(window->RowCount, 4);
  EXPECT_EQ(window->sgFinder->ColCount, 1);
  PressKey(Grid(), VK_DOWN);
  ASSERT_EQ(window->sbFilesComment->Panels.size(), 5u);
  EXPECT_EQ(window->sbFilesComment->Panels[0].Text, RowText(1, ColName));
  EXPECT_EQ(window->sbFilesComment->Panels[2].Text, RowText(1, ColSize));
  EXPECT_FALSE(window->sbFilesComment->SimplePanel());
  EXPECT_TRUE(SaveWindowShot(window->Handle(), ShotPath("finder_brief.bmp")));

  window->btnSetModeFull->Click();
  ::Pump(50);
  EXPECT_EQ(window->RowCount, 6);
  EXPECT_TRUE(window->sbFilesComment->SimplePanel());
}

TEST_F(ResultsTree, SelectionByKeysMasksAndRightDrag) {
  const HWND grid = Grid();
  window->sgFinder->MoveToCell(0, RowOf("one.txt"));
  PressKey(grid, VK_SPACE);
  EXPECT_EQ(SelectedNames(), "one.txt");
  EXPECT_TRUE(window->btnSendToBasket->Enabled());
  window->sgFinder->MoveToCell(0, RowOf("six.txt"));
  PressKey(grid, VK_INSERT);
  EXPECT_EQ(SelectedNames(), "one.txt six.txt");
  EXPECT_EQ(window->sgFinder->Row(), RowOf("six.txt") + 1);
  PressKey(grid, VK_MULTIPLY);
  EXPECT_EQ(SelectedNames(), "three.dat two.txt");
  PressKey(grid, 'A', true);
  EXPECT_EQ(SelectedNames(), "one.txt six.txt three.dat two.txt");
  PressKey(grid, VK_SUBTRACT, true);
  EXPECT_EQ(SelectedNames(), "");
  EXPECT_FALSE(window->btnSendToBasket->Enabled());
  {
    TQueryAnswer answer("*.dat");
    PressKey(grid, VK_ADD);
    ::Pump(150);
    EXPECT_EQ(answer.Caption, "Select files");
  }
  EXPECT_EQ(SelectedNames(), "three.dat");
  {
    TQueryAnswer answer("*.dat");
    PressKey(grid, VK_SUBTRACT);
    ::Pump(150);
    EXPECT_EQ(answer.Caption, "Unselect files");
    EXPECT_EQ(answer.Initial, "*.dat");  // the newest mask
  }
  EXPECT_EQ(SelectedNames(), "");
  // Dragging from a selected row clears what it passes; from a clear one sets.
  const int first = RowOf("one.txt");
  RightDrag(first, first + 2);
  EXPECT_EQ(SelectedNames(), "one.txt six.txt two.txt");
  RightDrag(first + 1, first + 2);
  EXPECT_EQ(SelectedNames(), "one.txt");
}

TEST_F(ResultsTree, SendToBasketAndGoToFile) {
  TBrowserForm& pane = MakePane();
  ActivePane = &pane;
  window->sgFinder->MoveToCell(0, RowOf("one.txt"));
  PressKey(Grid(), VK_SPACE);
  window->sgFinder->MoveToCell(0, RowOf("three.dat"));
  PressKey(Grid(), VK_SPACE);
  window->btnSendToBasket->Click();
  ::Pump(100);
  EXPECT_EQ(Basket.FileCount, 2);
  EXPECT_EQ(pane.Mode, PaneBasket);
  EXPECT_EQ(SelectedNames(), "");
  EXPECT_FALSE(window->btnSendToBasket->Enabled());

  window->sgFinder->MoveToCell(0, RowOf("two.txt"));
  PressKey(Grid(), VK_RETURN);
  EXPECT_FALSE(window->Visible());
  EXPECT_TRUE(window->WentToFile);
  EXPECT_EQ(CurrentName(pane), "two.txt");
  EXPECT_EQ(_stricmp(GetDirPath(1, LeftPaneList).c_str(), (tree / "a").c_str()), 0);
}

// A search that reads two gibibytes between its two hits.
class SlowSearch : public ResultsWindow {
 protected:
  void SetUp() override {
    ResultsWindow::SetUp();
    WriteTestFile(tree / "a\\hit1.txt", "a needle here");
    tree.File("z\\big.bin", kBig);
    WriteTestFile(tree / "z\\zz\\hit2.txt", "needle");
  }
  void Start(const std::string& text = "needle") {
    TSearchSetup setup({tree.Path()});
    setup.Text = text;
    StartSearch(setup);
  }
  // The first folder's hit is shown while the big file is read.
  void WaitForFirstRows() {
    ASSERT_TRUE(PumpUntil([this] { return window->RowCount > 0; }, 20000));
    ASSERT_FALSE(window->SearchEnded());
  }
};

TEST_F(SlowSearch, CloseAnsweredNoLetsTheSearchFinish) {
  Start();
  WaitForFirstRows();
  EXPECT_EQ(window->RowCount, 2);
  {
    TBoxAnswers boxes({{"Search results", IDNO}});
    PressKey(Grid(), VK_ESCAPE);
    ::Pump(300);
    const auto shown = boxes.Finish();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].second, Tx(18));
  }
  EXPECT_TRUE(window->Visible());
  ASSERT_TRUE(WaitForEnd(120000));
  EXPECT_EQ(window->RowCount, 4);
}

TEST_F(SlowSearch, CloseAnsweredYesStopsAndASecondCloseCloses) {
  Start();
  WaitForFirstRows();
  {
    TBoxAnswers boxes({{"Search results", IDYES}});
    PressKey(Grid(), VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([this] { return window->SearchEnded(); }, 5000));
  }
  EXPECT_TRUE(window->Visible());
  EXPECT_EQ(window->btnStopSearch->Caption(), "&Cancel");
  EXPECT_EQ(window->RowCount, 2);
  EXPECT_EQ(RowOf("hit2.txt"), -1);
  PressKey(Grid(), VK_ESCAPE);
  ::Pump(100);
  EXPECT_FALSE(window->Visible());
}

// Stop waits for the thread serving sent messages only: a second Stop and
// an Esc that come meanwhile are handled after the wait, when Stop has
// become Cancel, and close the window without a question.
TEST_F(SlowSearch, StopClickedTwiceStopsOnceThenCloses) {
  Start();
  WaitForFirstRows();
  TBoxAnswers boxes({{"Search results", IDNO}});
  HWND stop = window->btnStopSearch->Handle();
  PostMessageA(stop, BM_CLICK, 0, 0);
  PostMessageA(stop, BM_CLICK, 0, 0);
  PostMessageA(Grid(), WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(PumpUntil([this] { return !window->Visible(); }, 5000));
  ::Pump(100);
  EXPECT_TRUE(boxes.Finish().empty());
  EXPECT_TRUE(window->SearchEnded());
  EXPECT_EQ(window->btnStopSearch->Caption(), "&Cancel");
  EXPECT_EQ(window->RowCount, 2);
}

TEST_F(SlowSearch, FilesNotFoundOnlyAfterTheEnd) {
  Start("nowhere");
  ::Pump(50);
  ASSERT_FALSE(window->SearchEnded());
  // Not one text pixel in the grid while the search runs.
  auto textShown = [this] {
    TWindowDC dc(Grid());
    bool found = false;
    for (int x = 0; x < window->sgFinder->ClientRect().right && !found; x += 1)
      for (int y = 0; y < window->RowHeight && !found; ++y) found = GetPixel(dc.Get(), x, y) == RGB(0, 0, 0);
    return found;
  };
  window->sgFinder->Invalidate();
  UpdateWindow(Grid());
  EXPECT_FALSE(textShown());
  ASSERT_TRUE(WaitForEnd(120000));
  ::Pump(100);
  EXPECT_EQ(window->RowCount, 0);
  EXPECT_EQ(window->sgFinder->RowCount, 3);
  UpdateWindow(Grid());
  EXPECT_TRUE(textShown());
  EXPECT_TRUE(SaveWindowShot(window->Handle(), ShotPath("finder_notfound.bmp")));
}

TEST_F(SlowSearch, SelectFoundOptionSelectsEveryHitAtTheEnd) {
  GeneralCheckContainer = OptSelectFound;
  Start();
  WaitForFirstRows();
  // The user marks and unmarks meanwhile; the end selects every file.
  window->sgFinder->MoveToCell(0, RowOf("hit1.txt"));
  PressKey(Grid(), VK_SPACE);
  PressKey(Grid(), VK_SPACE);
  EXPECT_EQ(SelectedNames(), "");
  ASSERT_TRUE(WaitForEnd(120000));
  EXPECT_EQ(SelectedNames(), "hit1.txt hit2.txt");
  EXPECT_TRUE(window->btnSendToBasket->Enabled());
}

TEST_F(ResultsWindow, DuplicatesAreOneFlatListThatTitlesDoNotSort) {
  tree.File("D1\\x.dat", 100);
  tree.File("D2\\x.dat", 100);
  tree.File("D3\\x.dat", 200);
  tree.File("D3\\y.dat", 100);
  TSearchSetup setup({tree.Path()});
  setup.Filter.Duplicates = 1;
  setup.Filter.DuplicateRule = 3;
  StartSearch(setup);
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(window->RowCount, 2);
  EXPECT_EQ(window->sgFinder->ColCount, 6);
  EXPECT_FALSE(window->gbViewMode->Visible());
  EXPECT_EQ(RowText(0, ColStoredName), "x.dat");
  std::string folders[2] = {RowText(0, ColLocation), RowText(1, ColLocation)};
  for (std::string& f : folders) f = f.substr(f.size() - 2);
  std::sort(std::begin(folders), std::end(folders));
  EXPECT_EQ(folders[0] + folders[1], "D1D2");
  const uint32_t kind = SearchList.SortKind;
  ClickTitle(0);
  ClickTitle(2);
  EXPECT_EQ(SearchList.SortKind, kind);
  EXPECT_TRUE(SaveWindowShot(window->Handle(), ShotPath("finder_duplicates.bmp")));
}

TEST_F(ResultsWindow, RenamePreviewShowsThePlanAndReportsTheChoice) {
  tree.File("r\\alpha.txt", 5);
  tree.File("r\\beta.doc", 7);
  TstateOfBrowser plan;
  InitFileList(plan, 10, 300, "*.*", 10000);
  ASSERT_TRUE(OpenPathAsRoot(tree / "r", plan));
  ReadFolder(1, ReadFilesOnly, plan, nullptr);
  SortDir(1, SortDefault, plan);
  plan.ModeFlags = ModeSecondMark;
  ResultsList = &plan;
  for (const bool start : {true, false}) {
    window = std::make_unique<TSrchRes>();
    window->InitForRenamePreview();
    window->Show();
    ::Pump(100);
    EXPECT_EQ(window->RowCount, 2);
    ASSERT_EQ(window->sgFinder->ColCount, 7);
    EXPECT_FALSE(window->pnlForFinder->Visible());
    EXPECT_EQ(RowText(0, ColStoredName), "alpha.txt");
    // Selection keys do nothing here.
    PressKey(Grid(), VK_SPACE);
    PressKey(Grid(), 'A', true);
    EXPECT_FALSE(IsFileSelected(1, 1, plan));
    if (start) EXPECT_TRUE(SaveWindowShot(window->Handle(), ShotPath("finder_preview.bmp")));
    (start ? window->btnStartRename : window->btnExit)->Click();
    ::Pump(100);
    EXPECT_FALSE(window->Visible());
    EXPECT_EQ(window->StartRename, start);
  }
  window.reset();
  ResultsList = &SearchList;
  FreeFileList(plan);
}

TEST_F(ResultsWindow, TheSearchGoesOnWhileTheMaskQuestionIsOpen) {
  WriteTestFile(tree / "a\\hit1.txt", "needle");
  tree.File("m\\big.bin", kBig);
  WriteTestFile(tree / "z\\hit2.txt", "needle");
  TSearchSetup setup({tree.Path()});
  setup.Text = "needle";
  StartSearch(setup);
  ASSERT_TRUE(PumpUntil([this] { return window->RowCount > 0; }, 20000));
  ASSERT_FALSE(window->SearchEnded());
  // Answered only once the rows of the last folder have come in.
  TQueryAnswer answer("*.txt", [this] { return window->RowCount == 4; });
  PressKey(Grid(), VK_ADD);
  ASSERT_TRUE(PumpUntil([&answer] { return !answer.Caption.empty(); }, 60000));
  EXPECT_EQ(SelectedNames(), "hit1.txt hit2.txt");
  EXPECT_TRUE(WaitForEnd());
}

// The results window by keys: after a search, and while one runs, when
// every Esc asks and No keeps it running.
TEST_F(ResultsTree, KeyboardTour) {
  TourWindow(window->Handle(), {{"TPylStringGrid", "Go to file", "Cancel", "Help"}, "cgh", "", ""});
}

TEST_F(SlowSearch, KeyboardTourWhileSearching) {
  for (const char* big : {"z\\big2.bin", "z\\big3.bin", "z\\big4.bin", "z\\big5.bin"}) tree.File(big, kBig);
  Start();
  WaitForFirstRows();
  TBoxAnswers boxes({{"Search results", IDNO}, {"Search results", IDNO}, {"Search results", IDNO}});
  TourWindow(window->Handle(), {{"TPylStringGrid", "Stop search", "Help"}, "hp", "", ""});
  TourKey(VK_ESCAPE);
  TourKey(VK_ESCAPE);
  EXPECT_EQ(boxes.Finish().size(), 3u);
  EXPECT_TRUE(window->Visible());
  EXPECT_FALSE(window->SearchEnded());
}
