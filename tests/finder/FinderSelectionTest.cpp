// The search over the items selected in the active pane, or in the basket.
#include <gtest/gtest.h>

#include "core/DirRegistry.h"
#include "core/Selection.h"
#include "core/translator.h"
#include "fileops/Lists.h"
#include "finder/FinderTestSupport.h"
#include "support/TempFolder.h"
#include "windows/SelectionWalk.h"

namespace {

class TFinderPane : public ISelectionPane, public ISelectionHost {
 public:
  TFinderPane(TstateOfBrowser& own, int mode) : own_(own), mode_(mode) {
    view_.ModeFlags = ModeBasketView | ModeLeftView;
    SelectionHost = this;
  }
  ~TFinderPane() override { SelectionHost = nullptr; }
  TstateOfBrowser& OwnList() override { return own_; }
  TstateOfBrowser& BasketView() override { return view_; }
  int DisplayMode() override { return mode_; }
  void MarkCurrent(bool) override {}
  void StopIconThread() override { ++iconStops; }
  ISelectionPane* GetActivePane() override { return this; }
  void ShowCheckMessage(const std::string& text) override { messages.push_back(text); }

  int iconStops = 0;
  std::vector<std::string> messages;

 private:
  TstateOfBrowser& own_;
  int mode_;
  TstateOfBrowser view_{};
};

class FinderSelection : public testing::Test {
 protected:
  void SetUp() override {
    RegisterSharedTexts();
    FinderTesting::SetReportInterval(0);
  }
  void TearDown() override {
    FinderTesting::SetReportInterval(~0u);
    if (PluginStructure.TextBlock) EndListOperation();
  }
  std::string Search(const std::string& text) {
    TSearchSetup setup;
    setup.Selection = true;
    setup.Text = text;
    auto finder = PrepareSearch(setup, window_);
    RunToEnd(*finder);
    EXPECT_TRUE(finder->SearchFinished());
    return SortedListing(tmp_.Path());
  }
  int StatusesOf(const std::string& path) const {
    int n = 0;
    for (const auto& c : window_.Calls) n += c.Kind == 'S' && c.Text == path;
    return n;
  }

  TTempFolder tmp_;
  TRecordingWindow window_;
};

TEST_F(FinderSelection, FoldersFirstThenTheFilesNoneOfThemHeld) {
  WriteTestFile(tmp_ / "F\\x.txt", "needle");
  WriteTestFile(tmp_ / "F\\y.txt", "hay");
  WriteTestFile(tmp_ / "G\\z.txt", "needle");
  WriteTestFile(tmp_ / "a.txt", "needle");
  WriteTestFile(tmp_ / "b.txt", "needle");
  // A tree view: the folder, its open subfolders, marks on both levels.
  TTestList pane;
  pane.AddDir(tmp_.Path());
  pane.AddEntry("F", FILE_ATTRIBUTE_DIRECTORY);
  pane.AddEntry("G", FILE_ATTRIBUTE_DIRECTORY, false);
  pane.AddEntry("a.txt");
  pane.AddEntry("b.txt", 0, false);
  pane.AddDir(tmp_ / "F");
  pane.AddEntry("x.txt");
  pane.AddDir(tmp_ / "G");
  pane.AddEntry("z.txt");
  TFinderPane host(pane.List(), PaneTree);
  EXPECT_EQ(Search("needle"), "F\\x.txt G\\z.txt a.txt");
  EXPECT_EQ(StatusesOf(tmp_ / "F\\x.txt"), 1) << "tested with its folder only";
  EXPECT_EQ(host.iconStops, 1);
  UpdateListTotals(pane.List());
  EXPECT_EQ(pane.List().SelectedCount, 0) << "the selection is used up";
  EXPECT_EQ(pane.List().Busy, 0) << "the walk has ended";
}

TEST_F(FinderSelection, SelectedFilesAreHitsOnlyWhenTheyHoldTheText) {
  WriteTestFile(tmp_ / "a.txt", "a needle");
  WriteTestFile(tmp_ / "b.txt", "hay");
  WriteTestFile(tmp_ / "c.txt", Utf16("NEEDLE"));
  WriteTestFile(tmp_ / "d.txt", Utf16("hay"));
  TTestList pane;
  pane.AddDir(tmp_.Path());
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) pane.AddEntry(name);
  TFinderPane host(pane.List(), PaneFull);
  EXPECT_EQ(Search("needle"), "a.txt c.txt");
}

TEST_F(FinderSelection, BasketIsTheSourceWhenThePaneShowsIt) {
  tmp_.File("a.txt");
  tmp_.File("b.txt");
  tmp_.File("c.txt");
  InitFileList(Basket, 10, 50, "*.*", 1000);
  std::string folder = tmp_.Path();
  const int32_t dir = FindOrAddDir(folder, Basket);
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) AddFileFromDisk(tmp_.Path(), name, uint32_t(dir), Basket);
  ChangeDirSelection(uint32_t(dir), Basket, false, SelSet);
  SelectByMask(uint32_t(dir), "b.txt", false, Basket);
  TTestList own;
  TFinderPane host(own.List(), PaneBasket);
  const std::string found = Search("");
  UpdateListTotals(Basket);
  EXPECT_EQ(Basket.SelectedCount, 0);
  FreeFileList(Basket);
  EXPECT_EQ(found, "a.txt c.txt");
}

}  // namespace
