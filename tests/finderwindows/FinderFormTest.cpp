// The finder tool docked in the real main window.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/Formats.h"
#include "core/ToolRegistry.h"
#include "framework/Thread.h"
#include "ResultsFixture.h"
#include "mainwindow/MainWindowTest.h"
#include "support/BoxAnswers.h"
#include "support/BoxWatch.h"
#include "support/HeapBlocks.h"
#include "support/Screenshot.h"
#include "support/TextFit.h"
#include "windows/FormFinder.h"
#include "windows/Settings.h"
#include "windows/SrchRes.h"
#include "windows/StandardQuery.h"

namespace {

// Closes each results window once its search has ended, recording what it
// showed then.
struct TResultsCloser {
  TTimer timer;
  TSrchRes* window = nullptr;
  int shown = 0;
  int32_t rows = -1;
  uint32_t busy = 0;
  TFileFilter filter;
  // Leaves by "Go to file" instead of the close box.
  bool goToFile = false;
  // The main window's mode actions while the window was open.
  bool modesEnabled = true;
  RECT bounds{};
  HANDLE thread = nullptr;
  DWORD threadId = 0;
  HGLOBAL patterns = nullptr;
  // Of every window shown: its search thread, its windows and its glyphs
  // (the Stop glyph changes at the end: both are kept).
  std::vector<std::pair<HANDLE, DWORD>> threads;
  std::vector<HWND> windows;
  std::vector<HGDIOBJ> glyphs;
};
TResultsCloser g_closer;

void NoteGlyphs(TSrchRes& w) {
  for (TPylBitBtn* b : {w.btnSendToBasket, w.btnGoToFile, w.btnStopSearch, w.btnHelpF})
    g_closer.glyphs.push_back(b->GlyphHandle());
}

void CloseWhenDone(TSrchRes& results) {
  g_closer.window = &results;
  ++g_closer.shown;
  g_closer.busy = ToolBusy;
  g_closer.filter = SearchList.Filter;
  g_closer.modesEnabled = MainForm->actFinder->Enabled;
  g_closer.bounds = results.BoundsRect();
  g_closer.thread = results.Finder->Handle();
  g_closer.threadId = GetThreadId(g_closer.thread);
  g_closer.patterns = results.Finder->PatternBlock.Handle();
  g_closer.threads.emplace_back(g_closer.thread, g_closer.threadId);
  for (TWinControl* c : std::initializer_list<TWinControl*>{&results, results.sgFinder, results.btnStopSearch})
    g_closer.windows.push_back(c->Handle());
  NoteGlyphs(results);
  g_closer.timer.Interval = 20;
  g_closer.timer.OnTimer = [] {
    TSrchRes* w = g_closer.window;
    if (!w || !w->SearchEnded()) return;
    g_closer.rows = w->RowCount;
    NoteGlyphs(*w);
    g_closer.window = nullptr;
    if (g_closer.goToFile) {
      PostMessageA(w->btnGoToFile->Handle(), BM_CLICK, 0, 0);
    } else {
      PostMessageA(w->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    }
  };
  g_closer.timer.SetEnabled(true);
}

void ClickBox(TWinControl* box) {
  SendMessageA(box->Handle(), BM_CLICK, 0, 0);
  Pump(20);
}

}  // namespace

class FinderTool : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    g_closer.window = nullptr;
    g_closer.shown = 0;
    g_closer.rows = -1;
    g_closer.goToFile = false;
    g_closer.threads.clear();
    g_closer.windows.clear();
    g_closer.glyphs.clear();
    TFinderForm::OnResultsShown = &CloseWhenDone;
  }
  void TearDown() override {
    MainWindow::TearDown();
    g_closer.timer.SetEnabled(false);
    TFinderForm::OnResultsShown = nullptr;
  }
  TFinderForm& Open() {
    if (!form_) {
      WriteTestFile(Ini(), "[MainForm]\r\nShowTips=0\r\n");
      Start();
    }
    PressKey(form_->Handle(), '2', true);
    Pump(100);
    auto* finder = dynamic_cast<TFinderForm*>(GetToolForm(ModeFinder));
    EXPECT_TRUE(finder && finder->Visible());
    return *finder;
  }
  TTempFolder tree;
};

TEST_F(FinderTool, ChecksKeepTheirCouplingsAndFillTheFilter) {
  TFinderForm& f = Open();
  EXPECT_EQ(f.pnlNameTools->Caption(), "Finder");
  EXPECT_TRUE(SaveWindowShot(f.Handle(), ShotPath("finder_general.bmp")));
  f.pcFinder->SetActivePage(f.tsAdvansed);
  Pump(50);
  EXPECT_EQ(f.chkSameName->State(), TCheckBoxState::Grayed);
  EXPECT_FALSE(f.chkSameName->Enabled());
  ClickBox(f.chkDuplicates);
  EXPECT_TRUE(f.chkSameName->Checked() && f.chkSameSize->Checked());
  EXPECT_TRUE(f.chkSameName->Enabled());
  // The last remaining rule cannot go.
  ClickBox(f.chkSameName);
  EXPECT_EQ(f.chkSameName->State(), TCheckBoxState::Unchecked);
  ClickBox(f.chkSameSize);
  EXPECT_EQ(f.chkSameSize->State(), TCheckBoxState::Unchecked);
  EXPECT_TRUE(f.chkSameName->Checked());

  ClickBox(f.chkDateBetween);
  EXPECT_TRUE(f.chkDateBetween->Checked());
  EXPECT_TRUE(f.dtpDateFirst->Enabled());
  ClickBox(f.chkNotOlderThen);
  EXPECT_TRUE(f.chkNotOlderThen->Checked());
  EXPECT_FALSE(f.chkDateBetween->Checked());
  EXPECT_FALSE(f.dtpDateFirst->Enabled());
  EXPECT_TRUE(f.spNotOlder->Enabled());
  ClickBox(f.chkDateBetween);
  EXPECT_FALSE(f.chkNotOlderThen->Checked());
  // One ordinary day in both pickers, at a time of day that must not count.
  const SYSTEMTIME day{2020, 1, 3, 15, 13, 45, 10, 500};
  f.dtpDateFirst->SetDateTime(day);
  f.dtpDateEnd->SetDateTime(day);

  // Grayed leaves an attribute free, checked requires it, unchecked forbids it.
  f.chkArchive->SetState(TCheckBoxState::Checked);
  f.chkDirectory->SetState(TCheckBoxState::Unchecked);
  ClickBox(f.chkFindFilesSize);
  f.cmbSign->SetItemIndex(1);
  f.cmbSize->SetItemIndex(1);
  f.spSize->SetText("-5");
  EXPECT_TRUE(SaveWindowShot(f.Handle(), ShotPath("finder_advanced.bmp")));
  f.pcFinder->SetActivePage(f.tsByText);
  ClickBox(f.chkFindText);
  EXPECT_TRUE(f.cmbTextToFind->Enabled());
  EXPECT_TRUE(f.rbPhrase->Checked());
  Pump(50);
  EXPECT_TRUE(SaveWindowShot(f.Handle(), ShotPath("finder_content.bmp")));
  ClickBox(f.chkFindText);
  ExpectTextsFit(f, "the finder");

  f.lbSearchPaths->Items.Add(tree.Path());
  f.CanStart(nullptr);
  f.StartOperation();
  ASSERT_EQ(g_closer.shown, 1);
  const TFileFilter& filter = g_closer.filter;
  EXPECT_EQ(filter.Active, 1);
  EXPECT_EQ(filter.Duplicates, 1);
  EXPECT_EQ(filter.DuplicateRule, 1u);
  EXPECT_EQ(filter.RequiredAttributes, uint32_t(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(filter.ExcludedAttributes, uint32_t(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(filter.SizeRule, 3u + 8u);
  EXPECT_EQ(filter.SizeValue, 0u);
  EXPECT_EQ(filter.DateMode, 1u);
  // Whole days: From at the day's first tick, To at its last.
  const uint64_t from = (uint64_t(filter.DateFrom.dwHighDateTime) << 32) | filter.DateFrom.dwLowDateTime;
  const uint64_t to = (uint64_t(filter.DateTo.dwHighDateTime) << 32) | filter.DateTo.dwLowDateTime;
  SYSTEMTIME midnight = day;
  midnight.wHour = midnight.wMinute = midnight.wSecond = midnight.wMilliseconds = 0;
  FILETIME start;
  DateTimeToFileTime(start, midnight);
  EXPECT_EQ(from, (uint64_t(start.dwHighDateTime) << 32) | start.dwLowDateTime);
  EXPECT_EQ(to - from + 1, 24ull * 3600 * 10000000);
}

// Each sign by each unit, each age unit, and each attribute box in each of
// its three states ('x' checked, '-' unchecked, 'g' grayed), read back from
// the filter of a search started from the window.
TEST_F(FinderTool, EachControlSettingReachesTheFilter) {
  TFinderForm& f = Open();
  f.pcFinder->SetActivePage(f.tsAdvansed);
  ClickBox(f.chkFindFilesSize);
  ClickBox(f.chkNotOlderThen);
  f.lbSearchPaths->Items.Add(tree.Path());
  struct {
    int sign, unit, age;
    const char* boxes;  // archive, read only, hidden, directory, system
    uint32_t sizeRule, required, excluded;
  } const cases[] = {
      {0, 0, 0, "x-gx-", 5, 0x30, 0x05}, {1, 0, 1, "-gx-g", 7, 0x02, 0x30}, {2, 0, 2, "gx-gx", 6, 0x05, 0x02},
      {0, 1, 3, "x-gx-", 9, 0x30, 0x05}, {1, 1, 4, "-gx-g", 11, 0x02, 0x30}, {2, 1, 0, "gx-gx", 10, 0x05, 0x02},
      {0, 2, 1, "x-gx-", 13, 0x30, 0x05}, {1, 2, 2, "-gx-g", 15, 0x02, 0x30}, {2, 2, 3, "gx-gx", 14, 0x05, 0x02},
  };
  int searches = 0;
  for (const auto& c : cases) {
    f.cmbSign->SetItemIndex(c.sign);
    f.cmbSize->SetItemIndex(c.unit);
    f.cmbRange->SetItemIndex(c.age);
    TCheckBox* const boxes[] = {f.chkArchive, f.chkReadOnly, f.chkHidden, f.chkDirectory, f.chkSystem};
    for (int i = 0; i < 5; ++i)
      boxes[i]->SetState(c.boxes[i] == 'x'   ? TCheckBoxState::Checked
                         : c.boxes[i] == '-' ? TCheckBoxState::Unchecked
                                             : TCheckBoxState::Grayed);
    f.CanStart(nullptr);
    f.StartOperation();
    ASSERT_EQ(g_closer.shown, ++searches);
    const TFileFilter& filter = g_closer.filter;
    SCOPED_TRACE(std::to_string(c.sign) + " " + std::to_string(c.unit) + " " + c.boxes);
    EXPECT_EQ(filter.SizeRule, c.sizeRule);
    EXPECT_EQ(filter.DateMode, 2u);
    EXPECT_EQ(filter.AgeUnit, uint32_t(c.age));
    EXPECT_EQ(filter.RequiredAttributes, c.required);
    EXPECT_EQ(filter.ExcludedAttributes, c.excluded);
  }
}

// Each Esc while the search runs, sent where the keyboard sends it, asks
// again after a No; only Yes stops the search.
TEST_F(FinderTool, EveryEscWhileTheSearchRunsAsks) {
  tree.File("big.bin", 2ull << 30);
  TFinderForm& f = Open();
  f.lbSearchPaths->Items.Add(tree.Path());
  ClickBox(f.chkFindText);
  f.cmbTextToFind->SetText("needle");
  const std::string caption = form_->Caption();
  TBoxAnswers boxes({{caption, IDNO}, {caption, IDNO}, {caption, IDYES}});
  int presses = 0;
  TTimer esc;
  esc.Interval = 300;
  esc.OnTimer = [&] {
    if (g_closer.window && presses < 3 && ProcessWindowsOfClass("#32770").empty() && ++presses)
      PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
  };
  esc.SetEnabled(true);
  f.CanStart(nullptr);
  f.StartOperation();
  EXPECT_EQ(boxes.Finish().size(), 3u);
}

TEST_F(FinderTool, SelectionOnlyFollowsTheActiveList) {
  TFinderForm& f = Open();
  ASSERT_EQ(f.lbSearchPaths->Items.Count(), 0);
  TstateOfBrowser list;
  list.SelectedCount = 1;
  EXPECT_TRUE(f.CanStart(&list));
  EXPECT_TRUE(f.chkFindInSelDirs->Enabled());
  EXPECT_TRUE(f.chkFindInSelDirs->Checked());
  EXPECT_EQ(f.chkFindInSelDirs->Caption(), "Onl&y search in selected directories and files");
  list.SelectedCount = 0;
  EXPECT_FALSE(f.CanStart(&list));
  EXPECT_FALSE(f.chkFindInSelDirs->Enabled());
  EXPECT_FALSE(f.chkFindInSelDirs->Checked());
  EXPECT_FALSE(f.btnStartOperation->Enabled());
}

TEST_F(FinderTool, PathsEnterAndSettingsAcrossARestart) {
  TFinderForm& f = Open();
  tree.File("one.txt", 3);
  tree.File("two.dat", 3);
  {
    TQueryAnswer answer("c:\\nowhere");
    f.btnAdd->Click();
    EXPECT_EQ(answer.Caption, "Add directory or drive for search in");
    EXPECT_EQ(answer.Initial, "c:\\");
    EXPECT_TRUE(answer.Fit);
  }
  UseLanguage("french.lng");
  for (TButton* b : {f.btnAdd, f.btnEdit}) {
    TQueryAnswer answer("");
    b->Click();
    EXPECT_TRUE(answer.Fit);
  }
  UseLanguage("");
  {
    TQueryAnswer answer(tree.Path());
    f.btnAdd->Click();
  }
  ASSERT_EQ(f.lbSearchPaths->Items.Count(), 2);
  EXPECT_EQ(f.lbSearchPaths->ItemIndex(), 1);
  EXPECT_TRUE(f.btnStartOperation->Enabled());
  f.lbSearchPaths->SetItemIndex(0);
  {
    TQueryAnswer answer("c:\\elsewhere");
    f.btnEdit->Click();
    EXPECT_EQ(answer.Caption, "Edit directory or drive for search in");
    EXPECT_EQ(answer.Initial, "c:\\nowhere");
    EXPECT_TRUE(answer.Fit);
  }
  EXPECT_EQ(f.lbSearchPaths->Items[0], "c:\\elsewhere");
  f.btnDelete->Click();
  ASSERT_EQ(f.lbSearchPaths->Items.Count(), 1);
  EXPECT_EQ(f.lbSearchPaths->Items[0], tree.Path());
  EXPECT_EQ(f.lbSearchPaths->ItemIndex(), 0);

  // Enter in the mask box starts the search; "Go to file" leaves the finder
  // for the pane, whose title alone then looks active.
  f.cmbSearchFor->SetText("*.txt");
  f.cmbSearchFor->SetFocus();
  EXPECT_EQ(f.pnlNameTools->Color(), clActiveCaption);
  g_closer.goToFile = true;
  PressKey(GetFocus(), VK_RETURN);
  ASSERT_TRUE(PumpUntil([] { return g_closer.shown == 1 && g_closer.rows >= 0; }));
  Pump(100);
  TBrowserForm* pane = ActivePane;
  ASSERT_TRUE(pane);
  EXPECT_EQ(GetFocus(), pane->sgBrowser->Handle());
  EXPECT_EQ(pane->pnlAddressLine->Color(), clActiveCaption);
  EXPECT_EQ(f.pnlNameTools->Color(), clInactiveCaption);
  EXPECT_TRUE(SaveWindowShot(form_->Handle(), ShotPath("finder_gone_to_file.bmp")));
  EXPECT_EQ(g_closer.busy, 1u);
  EXPECT_EQ(ToolBusy, 0u);
  // Laid over the main window below its bars, which were off meanwhile.
  RECT main;
  GetWindowRect(form_->Handle(), &main);
  EXPECT_EQ(g_closer.bounds.left, main.left);
  EXPECT_EQ(g_closer.bounds.top,
            main.top + form_->ControlBarMain->Height() + GetSystemMetrics(SM_CYCAPTION) + 5);
  EXPECT_FALSE(g_closer.modesEnabled);
  EXPECT_TRUE(form_->actFinder->Enabled);
  EXPECT_EQ(g_closer.rows, 2);  // the folder's header row and one.txt
  EXPECT_EQ(SearchList.FileBlock, nullptr);

  Stop();
  const auto lines = SectionLines(Ini(), "Finder");
  for (const char* key : {"MASK_FINDER=", "FIND_TEXT=", "SEARCH_PATHS="})
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [key](const std::string& l) { return l.rfind(key, 0) == 0; }))
        << key;
  Start();
  TFinderForm& again = Open();
  ASSERT_EQ(again.lbSearchPaths->Items.Count(), 1);
  EXPECT_EQ(again.lbSearchPaths->Items[0], tree.Path());
  EXPECT_EQ(again.cmbSearchFor->Items[0], "*.txt");
}

TEST_F(FinderTool, BadPathSettingsGiveFewerPaths) {
  // "ab" then a bad digit: reading stops there; an empty entry is dropped.
  WriteTestFile(Ini(), "[MainForm]\r\nShowTips=0\r\n[Finder]\r\nSEARCH_PATHS=61620D0A0D0A6Z\r\n");
  Start();
  TFinderForm& f = Open();
  ASSERT_EQ(f.lbSearchPaths->Items.Count(), 1);
  EXPECT_EQ(f.lbSearchPaths->Items[0], "ab");
}

TEST_F(FinderTool, AHundredSearchesLeaveNothingBehind) {
  TFinderForm& f = Open();
  WriteTestFile(tree / "a\\x.txt", "x");
  f.lbSearchPaths->Items.Add(tree.Path());
  f.pcFinder->SetActivePage(f.tsByText);
  ClickBox(f.chkFindText);
  f.cmbTextToFind->SetText("x");
  f.CanStart(nullptr);
  // The panes' icon readers come and go with their paints: they are not counted.
  const auto stopIconReaders = [] {
    for (TBrowserForm* pane : {MainForm->LeftBrowser, MainForm->RightBrowser})
      if (pane) pane->StopIconThread();
  };
  stopIconReaders();
  const int threads = TThread::LiveCount();
  f.StartOperation();
  stopIconReaders();
  const long heap = CountHeapBlocks();
  for (int i = 1; i < 100; ++i) f.StartOperation();
  stopIconReaders();
  EXPECT_EQ(g_closer.shown, 100);
  EXPECT_EQ(g_closer.rows, 2);  // a's header row and x.txt
  // Other threads of the program (the panes' icon readers) may end meanwhile.
  EXPECT_LE(TThread::LiveCount(), threads);
  EXPECT_LE(CountHeapBlocks(), heap);
  // Every search's thread handle is closed. A closed handle's value may
  // already name a newer object, but never the search's thread again.
  ASSERT_EQ(g_closer.threads.size(), 100u);
  for (const auto& [thread, id] : g_closer.threads) {
    ASSERT_TRUE(thread && id);
    EXPECT_NE(GetThreadId(thread), id);
  }
  for (HWND w : g_closer.windows) EXPECT_FALSE(IsWindow(w));
  // A freed glyph's handle value may already name a newer picture (the
  // panes' icons come and go meanwhile); a leak keeps one of every run.
  ASSERT_EQ(g_closer.glyphs.size(), 800u);
  EXPECT_LT(std::count_if(g_closer.glyphs.begin(), g_closer.glyphs.end(),
                          [](HGDIOBJ g) { return !g || GetObjectType(g) != 0; }),
            10);
  // The last pattern block is freed; the heap count stands for the others.
  ASSERT_TRUE(g_closer.patterns);
  EXPECT_EQ(GlobalFlags(g_closer.patterns), UINT(GMEM_INVALID_HANDLE));
  EXPECT_EQ(SearchList.FileBlock, nullptr);
  EXPECT_EQ(SearchList.Names, nullptr);
}

TEST_F(FinderTool, MinimisingTheResultsMinimisesTheProgram) {
  Open();
  {
    TSrchRes results;
    results.InitForFinder();
    results.Show();
    Pump(50);
    PostMessageA(results.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump(200);
    EXPECT_TRUE(IsIconic(form_->Handle()));
  }
  ShowWindow(form_->Handle(), SW_RESTORE);
  Pump(100);
  EXPECT_FALSE(IsIconic(form_->Handle()));
}
