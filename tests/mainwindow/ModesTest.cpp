#include "MainWindowTest.h"

#include <cmath>

#include "core/Plugins.h"
#include "core/ToolRegistry.h"
#include "core/translator.h"
#include "support/Screenshot.h"
#include "support/TextFit.h"
#include "windows/Settings.h"

namespace {

HWND Focused(const TMainForm& f) {
  HWND w = GetFocus();
  return w ? w : f.Handle();
}

TEST_F(MainWindow, ModeKeysDockEachToolBesideTheActivePane) {
  // Function-key buttons and the panes' own drive bars shown; the right pane
  // is the active one.
  ASSERT_TRUE(WriteTestFile(Ini(), "[MainForm]\r\nLayout=247\r\nShowTips=0\r\nToolsInRightSide=0\r\n"));
  Start();
  TMainForm& f = *form_;
  EXPECT_EQ(CurrentMode, ModeBrowser);
  EXPECT_TRUE(f.actBrowser->Checked);
  const struct {
    WORD key;
    int32_t mode;
    const char* shot;
  } steps[] = {
      {'4', ModeReplacer, "mainwindow_mode4.bmp"}, {'1', ModeBrowser, nullptr},
      {'2', ModeFinder, "mainwindow_mode2.bmp"},   {'2', ModeFinder, nullptr},
      {'3', ModeRenamer, "mainwindow_mode3.bmp"},  {'5', ModeBatchReplacer, "mainwindow_mode5.bmp"},
  };
  for (const auto& s : steps) {
    const RECT leftBefore = f.pnlLeft->BoundsRect();
    PressKey(Focused(f), s.key, true);
    Pump(100);
    EXPECT_EQ(CurrentMode, s.mode) << char(s.key);
    for (const auto& a : f.ActionModes.Actions()) EXPECT_EQ(a->Checked, a->Tag == s.mode);
    if (s.mode == ModeBrowser) {
      EXPECT_EQ(f.pnlFreeLeft->Height(), 0);
      EXPECT_EQ(f.pnlFreeRight->Height(), 0);
      EXPECT_TRUE(f.SplitterMain->Visible());
      for (const auto& t : ToolRegistry) EXPECT_FALSE(t->form->Visible());
      continue;
    }
    TForm* tool = GetToolForm(s.mode);
    ASSERT_TRUE(tool);
    EXPECT_FALSE(f.SplitterMain->Visible());
    EXPECT_EQ(tool->Parent(), f.pnlLeft);
    EXPECT_TRUE(tool->Visible());
    EXPECT_EQ(f.pnlLeft->Width(), ToolConstraints.MinWidth);
    EXPECT_EQ(f.pnlRight->Left(), f.pnlLeft->Width());
    EXPECT_EQ(f.pnlRight->Width(), f.pnlModes->Width() - f.pnlLeft->Width());
    // The tool starts level with the address line of the pane beside it.
    EXPECT_GE(f.RightBrowser->TopAreaHeight(), f.RightBrowser->pnlDisks->Height());
    EXPECT_EQ(f.pnlFreeLeft->Height(), f.RightBrowser->TopAreaHeight());
    EXPECT_EQ(f.pnlFreeRight->Height(), 0);
    EXPECT_EQ(tool->Top(), f.pnlFreeLeft->Height());
    EXPECT_EQ(tool->Top(), f.RightBrowser->pnlAddressLine->Top());
    // The pane that was active stays so beside the docked tool.
    EXPECT_EQ(ActivePanel, f.RightBrowser);
    for (const auto& t : ToolRegistry) EXPECT_EQ(t->form->Visible(), t->form == tool);
    if (s.key == '2' && s.shot == nullptr) {
      const RECT leftAfter = f.pnlLeft->BoundsRect();
      EXPECT_TRUE(EqualRect(&leftBefore, &leftAfter));
    }
    if (s.shot) {
      EXPECT_TRUE(SaveWindowShot(f.Handle(), ShotPath(s.shot)));
      // The renamer and the batch replacer have a case of their own below.
      if (s.mode == ModeFinder || s.mode == ModeReplacer) ExpectTextsFit(f, std::string("the main window of ") + s.shot);
    }
  }
  EXPECT_EQ(ActivePanel, f.RightBrowser);
  // The least that shows a docked tool whole: the tool's area at its least
  // height, beside a pane as wide; the window's own least width, that of its
  // mode buttons, passes it in French.
  const int width = f.Width() - f.pnlModes->Width() + 2 * ToolConstraints.MinWidth;
  const int height = f.Height() - f.pnlModes->Height() + f.pnlLeft->Constraints().MinHeight;
  for (WORD key : {'1', '3', '5'}) {
    f.SetBounds(f.Left(), f.Top(), width, height);
    PressKey(Focused(f), key, true);
    Pump(100);
    EXPECT_TRUE(SaveWindowShot(f.Handle(), ShotPath(std::string("mainwindow_least_mode") + char(key) + ".bmp")));
    ExpectTextsFit(f, std::string("the least main window in mode ") + char(key));
  }
}

// At 700 x 550 the area beside the pane is shortest with the function keys
// and the pane's own drive bar shown.
TEST_F(MainWindow, RenamerAndBatchReplacerShowWholeAtTheDefaultSize) {
  const std::pair<const char*, const char*> layouts[] = {{"Layout=247\r\n", "layout 247"}, {"", "layout by default"}};
  for (const auto& [layout, name] : layouts) {
    ASSERT_TRUE(WriteTestFile(Ini(), std::string("[MainForm]\r\nShowTips=0\r\n") + layout));
    Start();
    for (WORD key : {'3', '5'}) {
      PressKey(Focused(*form_), key, true);
      Pump(100);
      const std::string what = std::string("mode ") + char(key) + ", " + name;
      EXPECT_TRUE(SaveWindowShot(form_->Handle(), ShotPath("mainwindow_" + what + ".bmp")));
      ExpectTextsFit(*form_, "the main window in " + what);
    }
    Stop();
  }
}

TEST_F(MainWindow, StartsInTheStoredMode) {
  ASSERT_TRUE(WriteTestFile(Ini(), "[MainForm]\r\nCurrentMode=4\r\nShowTips=0\r\n"));
  Start();
  EXPECT_EQ(CurrentMode, ModeReplacer);
  EXPECT_TRUE(GetToolForm(ModeReplacer)->Visible());
  // The left pane is the active one by default: the tool replaces the right.
  EXPECT_EQ(GetToolForm(ModeReplacer)->Parent(), form_->pnlRight);
  EXPECT_EQ(form_->pnlRight->Width(), ToolConstraints.MinWidth);
}

TEST_F(MainWindow, SplitterPlaceSurvivesARestart) {
  ASSERT_TRUE(WriteTestFile(Ini(), "[MainForm]\r\nShowTips=0\r\n"));
  Start();
  TMainForm& f = *form_;
  const int whole = f.pnlModes->Width();
  const int move = whole * 3 / 10 - f.pnlLeft->Width();
  HWND s = f.SplitterMain->Handle();
  PostMessageA(s, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 10));
  PostMessageA(s, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<short>(1 + move), 10));
  PostMessageA(s, WM_LBUTTONUP, 0, MAKELPARAM(static_cast<short>(1 + move), 10));
  Pump(100);
  Stop();
  const int ratio = TIniFile(Ini()).ReadInteger("MainForm", "VerticalSplitter", 0);
  EXPECT_GE(ratio, 2900);
  EXPECT_LE(ratio, 3100);
  Start();
  EXPECT_EQ(form_->pnlLeft->Width(), std::lround(ratio / 10000.0 * form_->pnlModes->Width()) + 2);
}

TEST_F(MainWindow, PluginsListedAndTipShownOnceAtTheFirstPaint) {
  Start();
  TMainForm& f = *form_;
  ASSERT_EQ(f.mnuPlugins->Count(), 4u);
  EXPECT_EQ(f.mnuPlugins->Item(3)->Caption, "Attrelle");
  EXPECT_EQ(f.mnuPlugins->Item(3)->ShortCut, ShortCut('0', scCtrl | scShift));
  EXPECT_TRUE(PumpUntil([this] { return tipsSeen_ == 1 && !FindOwnWindow("The Tip of The Day"); }));
  // Two requests at once, ours or another program's, open one window.
  PostMessageA(f.Handle(), WM_SHOWTIPOFDAY, 0, 0);
  PostMessageA(f.Handle(), WM_SHOWTIPOFDAY, 0, 0);
  EXPECT_TRUE(PumpUntil([this] { return tipsSeen_ == 2 && !FindOwnWindow("The Tip of The Day"); }));
  Pump(200);
  EXPECT_EQ(tipsSeen_, 2);
  EXPECT_EQ(tipsAtOnce_, 1);
}

TEST_F(MainWindow, LanguageReachesMenusToolbarAndTools) {
  ASSERT_TRUE(WriteTestFile(Ini(), "[MainForm]\r\nShowTips=0\r\n"));
  Start();
  TMainForm& f = *form_;
  ASSERT_EQ(f.tbMenu->Buttons().size(), 6u);
  const char* bar[] = {"&Files", "&View", "&Mark", "Sho&w", "Pl&ug-ins", "&Help"};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(f.tbMenu->Buttons()[i]->Caption(), bar[i]);
  EXPECT_EQ(f.mnuSortRevers->Caption, "Reverse order");
  EXPECT_EQ(f.btnExit->Caption(), "Exit");
  EXPECT_EQ(f.btnDelete->Caption(), "F8 Delete");
  EXPECT_EQ(f.btnSetModeBrief->Hint, "Brief");
  EXPECT_EQ(f.actLaunchOperation->Caption, "Start operation...");
  EXPECT_EQ(f.actFinder->Caption, "Finder");
  EXPECT_EQ(f.actFinder->Hint, "Find files");
  EXPECT_EQ(f.MenuItem2->Caption, "My Documents");
  EXPECT_EQ(f.mnuHomePage->Caption, "Kelvanto Home Page");
  const int barWidth = f.tbMenu->Width();

  ASSERT_TRUE(WriteTestFile(dir_ / "de.lng",
                            "424=&Dateien mit langem Namen\r\n456=Umgekehrt\r\n419=F8 Entf\r\n800=Sucher\r\n"
                            "1801=Dateien umbenennen\r\n425=Start...\r\n"));
  ASSERT_TRUE(Translator().LoadFromFile(dir_ / "de.lng"));
  Application().LanguageChanged();
  Pump(50);
  EXPECT_EQ(f.tbMenu->Buttons()[0]->Caption(), "&Dateien mit langem Namen");
  EXPECT_GT(f.tbMenu->Width(), barWidth);
  EXPECT_EQ(f.pnlTbMain->Left(), f.tbMenu->Width() + 1);
  EXPECT_EQ(f.mnuSortRevers->Caption, "Umgekehrt");
  EXPECT_EQ(f.btnDelete->Caption(), "F8 Entf");
  EXPECT_EQ(f.actFinder->Caption, "Sucher");
  EXPECT_EQ(f.btnTool1->Caption(), "Sucher");
  EXPECT_EQ(f.actRenamer->Hint, "Dateien umbenennen");
  EXPECT_EQ(f.actLaunchOperation->Caption, "Start...");

  // Back from the longer French captions, every button shows whole on the
  // bar's row and nothing of the longer row stays beyond the last.
  UseLanguage("french.lng");
  UseLanguage("");
  EXPECT_EQ(f.tbMenu->Width(), barWidth);
  EXPECT_LE(f.tbMenu->Width(), f.pnlTbMain->Left());
  std::vector<TShotPoint> beyond;
  for (int x = f.tbMenu->Buttons().back()->BoundsRect().right; x < f.tbMenu->Width(); ++x)
    for (int y = 0; y < f.tbMenu->Height(); ++y) beyond.push_back({x, y, ColorToRGB(f.tbMenu->Color())});
  EXPECT_TRUE(SaveWindowShot(f.tbMenu->Handle(), ShotPath("mainwindow_menu_bar.bmp"), beyond));
}

TEST_F(MainWindow, ToolbarMarksSayWhetherTheBarsShow) {
  ASSERT_TRUE(WriteTestFile(Ini(), "[MainForm]\r\nShowTips=0\r\n"));
  Start();
  TMainForm& f = *form_;
  const auto checked = [&](TMenuItem* item) {
    TMenuHandle popup(f.mnuView->BuildMenu(true));
    SendMessageA(f.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup.Get()), 0);
    return (GetMenuState(popup.Get(), item->Command(), MF_BYCOMMAND) & MF_CHECKED) != 0;
  };
  for (auto [item, bar] : {std::pair{f.mnuMainToolbar, f.pnlTbMain}, std::pair{f.mnuToolsToolbar, f.pnlTools}}) {
    EXPECT_TRUE(bar->Visible());
    for (int click = 0; click <= 2; ++click) {
      if (click) SendMessageA(f.Handle(), WM_COMMAND, item->Command(), 0);
      EXPECT_EQ(bar->Visible(), click != 1) << click;
      EXPECT_EQ(checked(item), bar->Visible()) << click;
    }
  }
}

TEST_F(MainWindow, BasketViewKeysSetTheHeaderAsAStartDoes) {
  ASSERT_TRUE(WriteTestFile(Ini(), "[MainForm]\r\nShowTips=0\r\n[BROWSER_RIGHT]\r\nBrowserMode=4\r\nBasketMode=2\r\n"));
  Start();
  TBrowserForm& pane = *form_->RightBrowser;
  ASSERT_EQ(pane.Mode, PaneBasket);
  pane.sgBrowser->SetFocus();
  const struct {
    WORD key;
    int basketMode;
    size_t columns;
  } steps[] = {{VK_F1, 1, 4}, {VK_F2, 2, 5}, {VK_F1, 1, 4}};
  for (const auto& s : steps) {
    PressKey(pane.sgBrowser->Handle(), s.key, true);
    Pump(50);
    EXPECT_EQ(pane.BasketMode, s.basketMode);
    ASSERT_EQ(pane.sgTitle->HeaderItems.size(), s.columns) << s.basketMode;
    const int width = pane.sgTitle->ClientRect().right;
    const int shares[] = {192, 48, 72, 120};
    // The last column takes what is left.
    for (int c = 0; c + 1 < int(s.columns); ++c)
      EXPECT_EQ(pane.sgTitle->ColWidth(c), s.columns == 4 ? width / 4 : shares[c] * width / 480) << c;
    EXPECT_EQ(form_->btnSetModeBrief->Down(), s.basketMode == 1);
    EXPECT_EQ(form_->btnSetModeFull->Down(), s.basketMode == 2);
  }
}

}  // namespace
