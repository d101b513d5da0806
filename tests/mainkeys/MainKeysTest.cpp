// The main window's keys, menus, bottom buttons, quick search and texts,
// driven with keys posted to the focused control and menu commands.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "MainWindowTest.h"
#include "core/Drives.h"
#include "core/FileList.h"
#include "core/FileUtils.h"
#include "core/Selection.h"
#include "core/SortList.h"
#include "core/ToolRegistry.h"
#include "core/translator.h"
#include "framework/SystemError.h"
#include "support/BoxWatch.h"
#include "support/Screenshot.h"
#include "windows/FormBatchReplacer.h"
#include "windows/FormBrowser.h"
#include "windows/FormFinder.h"
#include "windows/Settings.h"
#include "windows/StandardQuery.h"

namespace {

std::vector<std::string> openedPages;
void RecordPage(const std::string& address) { openedPages.push_back(address); }

class MainKeys : public MainWindow {
 public:
  int32_t Marked() {
    UpdateListTotals(*Pane()->FolderList);
    return Pane()->FolderList->SelectedCount;
  }

 protected:
  void SetUp() override {
    MainWindow::SetUp();
    files_ = dir_ / "files";
    for (const char* name : {"a.txt", "b.txt", "c.ini", "rex.dat"}) dir_.File(std::string("files\\") + name, 10);
    dir_.Folder("files\\sub");
    for (const char* section : {"BROWSER_LEFT", "BROWSER_RIGHT"})
      WritePrivateProfileStringA(section, "Directory", files_.c_str(), Ini().c_str());
    WritePrivateProfileStringA("MainForm", "ShowTips", "0", Ini().c_str());
    openedPages.clear();
    oldOpener_ = WebPageOpener;
    WebPageOpener = RecordPage;
  }
  void TearDown() override {
    MainWindow::TearDown();
    WebPageOpener = oldOpener_;
  }
  TBrowserForm* Pane() const { return dynamic_cast<TBrowserForm*>(form_->LeftBrowser); }
  void StartWithPane() {
    Start();
    ASSERT_NE(Pane(), nullptr);
    Pane()->sgBrowser->SetFocus();
    Pump(50);
  }
  HWND Grid() const { return Pane()->sgBrowser->Handle(); }
  // Runs answer on the modal query the key opens, from a timer.
  void AnswerQuery(const std::function<void(TStandardQuery&)>& answer, const std::function<void()>& open) {
    bool seen = false;
    TTimer timer;
    timer.Interval = 40;
    timer.OnTimer = [&] {
      if (seen) return;
      for (HWND w : ProcessWindowsOfClass("TKvtWindow")) {
        if (auto* q = dynamic_cast<TStandardQuery*>(TWinControl::FromHandle(w))) {
          seen = true;
          answer(*q);
          return;
        }
      }
    };
    timer.SetEnabled(true);
    open();
    EXPECT_TRUE(seen);
  }
  std::string files_;
  TWebPageOpener oldOpener_ = nullptr;
};

struct TKeyCase {
  WORD key;
  std::vector<int> modifiers;
  std::function<bool(MainKeys&)> effect;
  const char* what;
};

TEST_F(MainKeys, PaneKeysOfTheTable) {
  StartWithPane();
  TBrowserForm* pane = Pane();
  const TKeyCase cases[] = {
      {VK_F1, {VK_CONTROL}, [&](MainKeys&) { return pane->Mode == PaneBrief; }, "Ctrl+F1 brief"},
      {VK_F2, {VK_CONTROL}, [&](MainKeys&) { return pane->Mode == PaneFull; }, "Ctrl+F2 full"},
      {VK_F6, {VK_CONTROL}, [&](MainKeys&) { return pane->FolderList->SortKind == 66; }, "Ctrl+F6 size"},
      {VK_F6, {VK_CONTROL}, [&](MainKeys&) { return pane->FolderList->SortKind == 8258; }, "Ctrl+F6 reversed"},
      {VK_F5, {VK_CONTROL}, [&](MainKeys&) { return pane->FolderList->SortKind == 67; }, "Ctrl+F5 date"},
      {VK_F4, {VK_CONTROL}, [&](MainKeys&) { return pane->FolderList->SortKind == 1; }, "Ctrl+F4 extension"},
      {VK_F3, {VK_CONTROL}, [&](MainKeys&) { return pane->FolderList->SortKind == SortDefault; }, "Ctrl+F3 name"},
      // Folders stay unmarked with option 8, as by default.
      {VK_ADD, {VK_CONTROL}, [&](MainKeys& t) { return t.Marked() == 4; }, "Ctrl+Num + all"},
      {VK_SUBTRACT, {VK_CONTROL}, [&](MainKeys& t) { return t.Marked() == 0; }, "Ctrl+Num - none"},
      // Exact modifiers: Ctrl+Shift+F1 is no row.
      {VK_F2, {VK_CONTROL}, [&](MainKeys&) { return pane->Mode == PaneFull; }, "back to full"},
      {VK_F1, {VK_CONTROL, VK_SHIFT}, [&](MainKeys&) { return pane->Mode == PaneFull; }, "Ctrl+Shift+F1 nothing"},
  };
  for (const TKeyCase& c : cases) {
    PressKeys(Grid(), c.key, c.modifiers);
    EXPECT_TRUE(c.effect(*this)) << c.what;
  }
  // While a job runs every shortcut is swallowed.
  ToolBusy = 1;
  PressKeys(Grid(), VK_F1, {VK_CONTROL});
  PressKeys(Grid(), VK_ADD, {VK_CONTROL});
  ToolBusy = 0;
  EXPECT_EQ(pane->Mode, PaneFull);
  EXPECT_EQ(Marked(), 0);
  Stop();
  EXPECT_EQ(GetPrivateProfileIntA("BROWSER_LEFT", "KindOfSort", -1, Ini().c_str()), SortDefault);
}

// A click as the mouse gives it, in the middle of a window.
void ClickAt(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
  Pump(100);
}

TEST_F(MainKeys, KeysOutsideThePanes) {
  StartWithPane();
  // The modal windows that open, each ended at once.
  std::vector<std::string> asked;
  TTimer closer;
  closer.Interval = 40;
  closer.OnTimer = [&] {
    for (HWND w : ProcessWindowsOfClass("TKvtWindow"))
      if (auto* f = dynamic_cast<TForm*>(TWinControl::FromHandle(w)); f && f->Modal() && !f->ModalResult()) {
        asked.push_back(f->Caption());
        f->SetModalResult(mrCancel);
      }
  };
  closer.SetEnabled(true);
  // A tool entered from the pane by a click into its combo box's edit has
  // the focus: Ctrl+A still marks all, the panes' keys go on to the edit.
  for (int32_t mode : {ModeBatchReplacer, ModeFinder}) {
    PressKeys(Grid(), WORD('0' + mode), {VK_CONTROL});
    ASSERT_EQ(CurrentMode, mode);
    ClickAt(Grid());
    ASSERT_EQ(ActivePanel, Pane());
    auto* finder = dynamic_cast<TFinderForm*>(GetToolForm(mode));
    TComboBox* box = finder ? finder->cmbSearchFor : dynamic_cast<TBatchReplacerForm*>(GetToolForm(mode))->cmbFindString;
    ClickAt(GetWindow(box->Handle(), GW_CHILD));
    EXPECT_EQ(ActivePanel, GetToolForm(mode));
    EXPECT_TRUE(SaveWindowShot(form_->Handle(), ShotPath("mainkeys_tool" + std::to_string(mode) + ".bmp")));
    HWND tool = GetFocus();
    for (WORD key : {VK_DELETE, VK_F5, VK_F6, VK_F8}) PressKeys(tool, key, {});
    PressKeys(tool, VK_F1, {VK_CONTROL});
    EXPECT_EQ(GetFocus(), tool);
    EXPECT_EQ(Pane()->Mode, PaneFull);
    PressKeys(tool, 'A', {VK_CONTROL});
    EXPECT_EQ(Marked(), 4);
  }
  // Alt+L takes the focus back to the pane.
  PressKeys(GetFocus(), 'L', {VK_MENU});
  EXPECT_EQ(GetFocus(), Grid());
  // Ctrl+O anywhere: the options dialog.
  PressKeys(Grid(), 'O', {VK_CONTROL});
  EXPECT_EQ(asked, std::vector<std::string>{"Options"});
}

TEST_F(MainKeys, SelectAndUnselectGroupsThroughTheQuery) {
  StartWithPane();
  AnswerQuery(
      [](TStandardQuery& q) {
        EXPECT_EQ(q.Caption(), "Select files");
        EXPECT_EQ(q.cbForSelectFiles->Text(), "*.*");
        q.cbForSelectFiles->SetText("*.txt");
        PostMessageA(q.cbForSelectFiles->Handle(), WM_KEYDOWN, VK_RETURN, 1);
      },
      [&] { PressKeys(Grid(), VK_ADD, {}); });
  EXPECT_EQ(Marked(), 2);
  AnswerQuery(
      [](TStandardQuery& q) {
        EXPECT_EQ(q.Caption(), "Unselect files");
        EXPECT_EQ(q.cbForSelectFiles->Text(), "*.txt");
        q.cbForSelectFiles->SetText("a*");
        PostMessageA(q.cbForSelectFiles->Handle(), WM_KEYDOWN, VK_RETURN, 1);
      },
      [&] { PressKeys(Grid(), VK_SUBTRACT, {}); });
  EXPECT_EQ(Marked(), 1);
  AnswerQuery(
      [](TStandardQuery& q) {
        EXPECT_EQ(q.Caption(), "Enter file types");
        EXPECT_EQ(q.cbForSelectFiles->Text(), "*.*");
        q.cbForSelectFiles->SetText("*.ini");
        PostMessageA(q.cbForSelectFiles->Handle(), WM_KEYDOWN, VK_RETURN, 1);
      },
      [&] { PressKeys(Grid(), VK_F12, {VK_CONTROL}); });
  EXPECT_EQ(Pane()->FolderList->MaskText, "*.ini");
  EXPECT_EQ(Pane()->FindFirstByText("a.txt"), 0);
  EXPECT_NE(Pane()->FindFirstByText("c.ini"), 0);
  TStringList ring;
  MaskSelectionRing.GetItems(ring);
  ASSERT_EQ(ring.Count(), 2u);
  EXPECT_EQ(ring[0], "a*");
  Stop();
  TIniFile ini(Ini());
  TOrv_RingList stored;
  LoadRingList(ini, stored, "MainForm", "MASK_SELECTION");
  TStringList back;
  stored.GetItems(back);
  EXPECT_EQ(back.Text(), ring.Text());
  EXPECT_EQ(SectionLines(Ini(), "BROWSER_LEFT").size() > 0, true);
  char mask[64] = "";
  GetPrivateProfileStringA("BROWSER_LEFT", "MaskFiles", "", mask, sizeof mask, Ini().c_str());
  EXPECT_STREQ(mask, "*.ini");
}

int sysChars = 0;
LRESULT CALLBACK CountSysChars(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && wp == PM_REMOVE && reinterpret_cast<MSG*>(lp)->message == WM_SYSCHAR) ++sysChars;
  return CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(MainKeys, QuickSearchOpensWithItsKeysAndRefusesWhatMatchesNothing) {
  dir_.Folder("files\\help");
  StartWithPane();
  // Every system character the loop hands out, and every menu dropped.
  sysChars = 0;
  const HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, CountSysChars, nullptr, GetCurrentThreadId());
  ASSERT_TRUE(hook);
  int dropped = -1;
  TTimer menuWatch;
  menuWatch.Interval = 20;
  menuWatch.OnTimer = [&] {
    if (form_->tbMenu->DroppedIndex() < 0) return;
    dropped = form_->tbMenu->DroppedIndex();
    EndMenu();
  };
  menuWatch.SetEnabled(true);
  // The default options take Ctrl+Alt+letter, not Alt+letter: Alt+H drops
  // the Help menu, and a letter no menu has goes on as a system character.
  PressKeys(Grid(), 'H', {VK_MENU});
  EXPECT_EQ(dropped, 5);
  EXPECT_FALSE(form_->pnlSearch->Visible());
  PressKeys(Grid(), 'R', {VK_MENU});
  EXPECT_FALSE(form_->pnlSearch->Visible());
  EXPECT_EQ(sysChars, 1);
  dropped = -1;
  PressKeys(Grid(), 'R', {VK_CONTROL, VK_MENU});
  ASSERT_TRUE(form_->pnlSearch->Visible());
  EXPECT_EQ(form_->edSearch->Text(), "r");
  EXPECT_EQ(GetFocus(), form_->edSearch->Handle());
  uint32_t dir = 0, pos = 0;
  ASSERT_TRUE(Pane()->GetCurrentItem(dir, pos));
  EXPECT_EQ(pos, uint32_t(Pane()->FindFirstByText("rex.dat")));
  // Over the bottom of the active pane's panel.
  EXPECT_EQ(form_->pnlSearch->Left(), form_->pnlLeft->Left() + form_->pnlModes->Left());
  EXPECT_TRUE(SaveWindowShot(form_->Handle(), ShotPath("mainkeys_quicksearch.bmp")));
  // A letter that finds nothing is refused.
  PostMessageA(form_->edSearch->Handle(), WM_CHAR, 'q', 1);
  Pump(30);
  EXPECT_EQ(form_->edSearch->Text(), "r");
  PostMessageA(form_->edSearch->Handle(), WM_CHAR, 'e', 1);
  Pump(30);
  EXPECT_EQ(form_->edSearch->Text(), "re");
  // Esc closes it and gives the grid the focus.
  PressKeys(form_->edSearch->Handle(), VK_ESCAPE, {});
  EXPECT_FALSE(form_->pnlSearch->Visible());
  EXPECT_EQ(GetFocus(), Grid());
  // With the quick search on Alt+letter, Alt+H is the search's, not the
  // menu's, and leaves no system character behind.
  GeneralCheckContainer = (GeneralCheckContainer & ~0x200u) | 0x100u;
  PressKeys(Grid(), 'H', {VK_MENU});
  EXPECT_TRUE(form_->pnlSearch->Visible());
  EXPECT_EQ(form_->edSearch->Text(), "h");
  EXPECT_EQ(dropped, -1);
  EXPECT_EQ(sysChars, 1);
  UnhookWindowsHookEx(hook);
  // A pane refresh hides it.
  form_->RefreshPanes();
  EXPECT_FALSE(form_->pnlSearch->Visible());
  GeneralCheckContainer &= ~0x300u;
  PressKeys(Grid(), 'B', {VK_MENU});
  PressKeys(Grid(), 'B', {VK_CONTROL, VK_MENU});
  EXPECT_FALSE(form_->pnlSearch->Visible());
}

TEST_F(MainKeys, MenuChecksFollowThePane) {
  StartWithPane();
  const auto state = [&](TMenuItem* menu, TMenuItem* item) {
    TMenuHandle popup(menu->BuildMenu(true));
    SendMessageA(form_->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup.Get()), 0);
    return GetMenuState(popup.Get(), item->Command(), MF_BYCOMMAND);
  };
  EXPECT_TRUE(state(form_->mnuShow, form_->mnuAllFiles) & MF_CHECKED);
  EXPECT_TRUE(state(form_->mnuShow, form_->mnuSortName) & MF_CHECKED);
  EXPECT_TRUE(state(form_->mnuShow, form_->mnuFull) & MF_CHECKED);
  PressKeys(Grid(), VK_F6, {VK_CONTROL});
  PressKeys(Grid(), VK_F6, {VK_CONTROL});
  PressKeys(Grid(), VK_F1, {VK_CONTROL});
  EXPECT_TRUE(state(form_->mnuShow, form_->mnuSortSize) & MF_CHECKED);
  EXPECT_FALSE(state(form_->mnuShow, form_->mnuSortName) & MF_CHECKED);
  EXPECT_TRUE(state(form_->mnuShow, form_->mnuSortRevers) & MF_CHECKED);
  EXPECT_TRUE(state(form_->mnuShow, form_->mnuBrief) & MF_CHECKED);
  EXPECT_FALSE(state(form_->mnuShow, form_->mnuFull) & MF_CHECKED);
  // The menu's own items: by command, as a click sends them.
  SendMessageA(form_->Handle(), WM_COMMAND, form_->mnuSortName->Command(), 0);
  SendMessageA(form_->Handle(), WM_COMMAND, form_->mnuSortRevers->Command(), 0);
  EXPECT_EQ(Pane()->FolderList->SortKind, SortDefault | SortReverse);
  SendMessageA(form_->Handle(), WM_COMMAND, form_->mnuFull->Command(), 0);
  EXPECT_EQ(Pane()->Mode, PaneFull);
  EXPECT_FALSE(state(form_->mnuFile, form_->mnuProperties) & MF_GRAYED);
  SendMessageA(form_->Handle(), WM_COMMAND, form_->mnuSelAll->Command(), 0);
  EXPECT_EQ(Marked(), 4);
  SendMessageA(form_->Handle(), WM_COMMAND, form_->mnuUnselAll->Command(), 0);
  EXPECT_EQ(Marked(), 0);
  form_->btnInvertSel->Click();
  Pump(30);
  EXPECT_EQ(Marked(), 4);
  SendMessageA(form_->Handle(), WM_COMMAND, form_->mnuMainToolbar->Command(), 0);
  EXPECT_FALSE(form_->pnlTbMain->Visible());
  EXPECT_FALSE(state(form_->mnuView, form_->mnuMainToolbar) & MF_CHECKED);
  EXPECT_EQ(LayoutOptions & LayoutMainToolbar, 0u);
  SendMessageA(form_->Handle(), WM_COMMAND, form_->mnuToolsToolbar->Command(), 0);
  EXPECT_FALSE(form_->pnlTools->Visible());
}

TEST_F(MainKeys, WebHelpSpecialFolderAndNetworkItems) {
  StartWithPane();
  for (TMenuItem* item : {form_->mnuGetNewPlugins, form_->mnuTutorials, form_->mnuHomePage,
                          form_->mnuFeedbackAndTechnicalSupport})
    SendMessageA(form_->Handle(), WM_COMMAND, item->Command(), 0);
  EXPECT_EQ(openedPages, (std::vector<std::string>{WebPageAddress(22), WebPageAddress(25), WebPageAddress(21),
                                                   WebPageAddress(20)}));
  char desktop[MAX_PATH] = "";
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop)));
  SendMessageA(form_->Handle(), WM_COMMAND, form_->MenuItem1->Command(), 0);
  Pump(50);
  EXPECT_EQ(lstrcmpiA(GetDirPath(1, *Pane()->FolderList).c_str(), desktop), 0);
  {
    TBoxWatch boxes;
    SendMessageA(form_->Handle(), WM_COMMAND, form_->mnuConDrive->Command(), 0);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_NE(boxes.Boxes[0].Text.find(SysErrorMessage(ERROR_NO_NETWORK)), std::string::npos) << boxes.Boxes[0].Text;
  }
}

TEST_F(MainKeys, ALanguageFileTranslatesEveryTextAtOnce) {
  std::string lines;
  for (int id = 408; id <= 468; ++id) lines += std::to_string(id) + "=T" + std::to_string(id) + "\r\n";
  // With the panes' own texts: a header, the Send to Basket button, the
  // basket line and the basket drive's name.
  for (int id : {700, 701, 702, 703, 704, 84, 25, 31}) lines += std::to_string(id) + "=T" + std::to_string(id) + "\r\n";
  const std::string file = ProgramFolder() + "Keystest.lng";
  WriteTestFile(file, lines);
  StartWithPane();
  Translator().LanguageFileName = "Keystest.lng";
  Translator().LoadFromFile(file);
  form_->ApplyLanguageTexts();
  Pump(50);
  EXPECT_EQ(form_->mnuFile->Caption, "T424");
  EXPECT_EQ(form_->mnuSortRevers->Caption, "T456");
  EXPECT_EQ(form_->btnCopy->Caption(), "T416");
  EXPECT_EQ(form_->btnExit->Hint, "T420");
  EXPECT_EQ(form_->btnExit->Caption(), "T421");
  EXPECT_EQ(form_->btnSetModeBrief->Hint, "T408");
  EXPECT_EQ(form_->actBrowser->Caption, "T700");
  EXPECT_EQ(form_->mnuSaveBasketList->Caption, "T703");
  EXPECT_EQ(form_->tbMenu->Buttons()[0]->Caption(), "T424");
  const auto basketHint = [](TWinControl* bar) {
    for (TControl* c : bar->Controls())
      if (auto* b = dynamic_cast<TDriveButton*>(c); b && b->Caption() == "*") return b->Hint;
    return std::string("no basket button");
  };
  for (TBrowserForm* pane : {form_->LeftBrowser, form_->RightBrowser}) {
    EXPECT_EQ(pane->btnSendTobasket->Caption(), "T702") << pane->Name();
    EXPECT_EQ(pane->sgTitle->HeaderItems[0].Text, "T84") << pane->Name();
    EXPECT_EQ(pane->lblBasketInfo->Caption(), "0T25") << pane->Name();
    EXPECT_EQ(basketHint(pane->pnlDisks), "T31") << pane->Name();
  }
  EXPECT_EQ(basketHint(form_->pnlWithImgDrives), "T31");
  EXPECT_TRUE(SaveWindowShot(form_->Handle(), ShotPath("mainkeys_language.bmp")));
  Translator().ClearTranslations();
  Translator().LanguageFileName.clear();
  form_->ApplyLanguageTexts();
  EXPECT_EQ(form_->mnuFile->Caption, "&Files");
  EXPECT_EQ(Pane()->btnSendTobasket->Caption(), "Send to Basket");
  EXPECT_EQ(basketHint(form_->pnlWithImgDrives), "BASKET");
  DeleteFileA(file.c_str());
}

}  // namespace
