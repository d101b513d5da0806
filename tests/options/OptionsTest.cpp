// The options dialog over the real main window: every box against its bit in
// kvt.ini, the couplings, Apply, Ok and Cancel, the font and program pickers,
// the colours, the languages, the tree, and a hundred showings.
#include <gtest/gtest.h>

#include <set>

#include "MainWindowTest.h"
#include "core/FileList.h"
#include "core/FileUtils.h"
#include "core/translator.h"
#include "support/TextFit.h"
#include "support/Screenshot.h"
#include "support/WindowTour.h"
#include "windows/FormBrowser.h"
#include "windows/Options.h"
#include "windows/Settings.h"

namespace {

int IniInt(const std::string& ini, const char* key) {
  return static_cast<int>(GetPrivateProfileIntA("MainForm", key, -1, ini.c_str()));
}

void Click(TWinControl* control) {
  SendMessageA(control->Handle(), BM_CLICK, 0, 0);
  Pump(10);
}

// Picks an item as the user's click does: the control tells its parent.
void Choose(TWinControl* list, int index) {
  char cls[32] = "";
  GetClassNameA(list->Handle(), cls, sizeof cls);
  const bool combo = strcmp(cls, "ComboBox") == 0;
  SendMessageA(list->Handle(), combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(GetParent(list->Handle()), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(list->Handle()), combo ? CBN_SELCHANGE : LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list->Handle()));
  Pump(10);
}

// A dialog box of this thread with that caption, or nil.
HWND FindDialog(const char* caption) {
  HWND found = nullptr;
  struct TFind {
    const char* caption;
    HWND* found;
  } find{caption, &found};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM p) {
        auto* f = reinterpret_cast<TFind*>(p);
        char cls[32] = "", text[128] = "";
        GetClassNameA(w, cls, sizeof cls);
        GetWindowTextA(w, text, sizeof text);
        if (IsWindowVisible(w) && strcmp(cls, "#32770") == 0 && strcmp(text, f->caption) == 0) *f->found = w;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&find));
  return found;
}

// Runs answer on the first showing of the dialog with that caption, from a
// timer while the code under test waits in the dialog.
class TDialogAnswer {
 public:
  TDialogAnswer(const char* caption, std::function<void(HWND)> answer) : caption_(caption), answer_(std::move(answer)) {
    timer_.Interval = 50;
    timer_.OnTimer = [this] {
      if (done_) return;
      if (HWND dialog = FindDialog(caption_)) {
        done_ = true;
        answer_(dialog);
      }
    };
    timer_.SetEnabled(true);
  }
  bool Done() const { return done_; }

 private:
  const char* caption_;
  std::function<void(HWND)> answer_;
  bool done_ = false;
  TTimer timer_;
};

class Options : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    SaveSettingsEnabled = false;
  }
  // A dialog shown as the main window shows it, but not modally, so the test
  // drives it between steps.
  std::unique_ptr<TOptions> ShowDialog() {
    auto options = std::make_unique<TOptions>();
    options->Show();
    Pump(30);
    return options;
  }
  static void ShowPage(TOptions& options, int page) {
    TTreeNode node = options.tvOptions->First();
    for (int i = 0; i < page; ++i) node = options.tvOptions->GetNext(node);
    options.tvOptions->Select(node);
    Pump(10);
  }
};

struct TBitCase {
  int page;
  TCheckBox* TOptions::*control;
  const char* key;
  int expected;  // after one click from the defaults
};

const TBitCase kBitCases[] = {
    {0, &TOptions::chkShowMainToolbar, "Layout", 240},
    {0, &TOptions::chkShowDriveButtons, "Layout", 113},
    {0, &TOptions::chkShowDriveButtonsAboveBothWindow, "Layout", 117},
    {0, &TOptions::chkShowDriveCombobox, "Layout", 249},
    {0, &TOptions::chkShowTabStopHeader, "Layout", 225},
    {0, &TOptions::chkShowCurrentDirectory, "Layout", 209},
    {0, &TOptions::chkShowStatusLine, "Layout", 177},
    {0, &TOptions::chkShowFunctionsKeyButtons, "Layout", 243},
    {0, &TOptions::chkShowInfoBasketLine, "Layout", 497},
    {0, &TOptions::chkFlatBtnSendToBasket, "Layout", 753},
    {1, &TOptions::chkShowHidden, "GeneralCheckContainer", 31485},
    {6, &TOptions::chkDeleteNonEmptyDirs, "GeneralCheckContainer", 31359},
    {6, &TOptions::chkOverwritingFiles, "GeneralCheckContainer", 31341},
    {6, &TOptions::chkOverwritingReadOnlyFiles, "GeneralCheckContainer", 31293},
    {6, &TOptions::chkOverwritingHiddenSystemFiles, "GeneralCheckContainer", 31325},
    {7, &TOptions::chkSelectoinWithSpace, "GeneralCheckContainer", 31356},
    {7, &TOptions::chkDeleteToRecycleBin, "GeneralCheckContainer", 31353},
    {7, &TOptions::chkSaveSett, "GeneralCheckContainer", 25213},
    {7, &TOptions::chkRestoreRenStng, "GeneralCheckContainer", 27261},
    {7, &TOptions::chkSelectFilesInSearchResult, "GeneralCheckContainer", 23165},
    {7, &TOptions::chkSelectFilesWhileSendToBasket, "GeneralCheckContainer", 14973},
};

struct TRadioCase {
  TRadioButton* TOptions::*control;
  int expected;
};

const TRadioCase kRadioCases[] = {
    {&TOptions::rbtAlsoSelectedDirectories, 31349},
    {&TOptions::rbtSelectedFilesOnly, 31357},
    {&TOptions::rbtAltLetter, 31101},
    {&TOptions::rbtCtrlAltLetter, 31357},
};

TEST_F(Options, EveryBoxWritesItsBitWithSaveSettings) {
  Start();
  const auto save = [&](TOptions& options) {
    ASSERT_TRUE(options.btnSaveSettings->Enabled());
    Click(options.btnSaveSettings);
    EXPECT_FALSE(options.btnApply->Enabled());
    EXPECT_FALSE(options.btnSaveSettings->Enabled());
  };
  for (const TBitCase& c : kBitCases) {
    SCOPED_TRACE(c.expected);
    LayoutOptions = DefaultLayout;
    GeneralCheckContainer = DefaultGeneralOptions;
    auto options = ShowDialog();
    ShowPage(*options, c.page);
    EXPECT_EQ(options->OptionsPages->ActivePageIndex(), c.page);
    Click((*options).*c.control);
    save(*options);
    EXPECT_EQ(IniInt(Ini(), c.key), c.expected);
    // Bit 0x400 is never the dialog's.
    EXPECT_EQ(IniInt(Ini(), "GeneralCheckContainer") & 0x400, 0);
  }
  for (const TRadioCase& c : kRadioCases) {
    SCOPED_TRACE(c.expected);
    GeneralCheckContainer = DefaultGeneralOptions;
    auto options = ShowDialog();
    ShowPage(*options, 7);
    Click((*options).*c.control);
    save(*options);
    EXPECT_EQ(IniInt(Ini(), "GeneralCheckContainer"), c.expected);
  }
  // The couplings that the table's clicks leave behind.
  GeneralCheckContainer = DefaultGeneralOptions;
  LayoutOptions = DefaultLayout;
  auto options = ShowDialog();
  Click(options->chkShowDriveButtonsAboveBothWindow);
  Click(options->chkShowDriveButtons);
  EXPECT_FALSE(options->chkShowDriveButtonsAboveBothWindow->Checked());
  EXPECT_FALSE(options->chkShowDriveButtonsAboveBothWindow->Enabled());
  Click(options->chkShowInfoBasketLine);
  EXPECT_FALSE(options->chkFlatBtnSendToBasket->Enabled());
  Click(options->chkSaveSett);
  EXPECT_FALSE(options->chkRestoreRenStng->Checked());
  EXPECT_FALSE(options->chkRestoreRenStng->Enabled());
  Click(options->btnApply);
  EXPECT_EQ(LayoutOptions & (LayoutPaneDriveBars | LayoutSharedDriveBar), 0u);
  EXPECT_EQ(GeneralCheckContainer, 25213u);
}

TEST_F(Options, OkAppliesOnlyAChangeAndCancelKeepsWhatWasApplied) {
  Start();
  {
    auto options = ShowDialog();
    EXPECT_FALSE(options->btnApply->Enabled());
    // Changed behind the dialog: an Ok without a change of the user's keeps it.
    LayoutOptions = 0x1F1;
    Click(options->btnOk);
    EXPECT_EQ(options->ModalResult(), mrOk);
    EXPECT_EQ(LayoutOptions, 0x1F1u);
    EXPECT_FALSE(SaveSettingsEnabled);
  }
  LayoutOptions = DefaultLayout;
  {
    auto options = ShowDialog();
    Click(options->chkShowStatusLine);
    Click(options->btnOk);
    EXPECT_EQ(LayoutOptions, 177u);
    EXPECT_TRUE(SaveSettingsEnabled);
  }
  {
    auto options = ShowDialog();
    EXPECT_TRUE(options->btnSaveSettings->Enabled());
    Click(options->chkShowStatusLine);
    Click(options->btnApply);
    EXPECT_EQ(GetFocus(), options->btnOk->Handle());
    Click(options->chkShowTabStopHeader);
    Click(options->btnCancel);
    EXPECT_EQ(options->ModalResult(), mrCancel);
  }
  EXPECT_EQ(LayoutOptions, DefaultLayout);
}

TEST_F(Options, FontAndProgramPickersChangeAtOnceAndStayAfterCancel) {
  Start();
  const std::string tool = dir_ / "tool.exe";
  WriteTestFile(tool, "MZ");
  auto options = ShowDialog();
  ShowPage(*options, 3);
  TDialogAnswer font("Font", [](HWND dialog) {
    // The size list of the system's font dialog, picked as a click does.
    HWND sizes = GetDlgItem(dialog, 1138);
    const LRESULT at = SendMessageA(sizes, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>("14"));
    SendMessageA(sizes, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1138, CBN_SELCHANGE), reinterpret_cast<LPARAM>(sizes));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  Click(options->btnLCompareFont);
  EXPECT_TRUE(font.Done());
  ASSERT_TRUE(FilesFont.has_value());
  EXPECT_EQ(FilesFont->Size, 14);
  EXPECT_EQ(options->lblFileFontEx->Font().Size, 14);
  EXPECT_EQ(options->lblFileFont->Caption(), TOptions::fntCaption(*FilesFont));
  EXPECT_TRUE(options->btnApply->Enabled());
  ShowPage(*options, 4);
  TDialogAnswer open("Open", [&](HWND dialog) {
    SetDlgItemTextA(dialog, 1148, tool.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  Click(options->btnSelectEditor);
  EXPECT_TRUE(open.Done());
  EXPECT_EQ(options->edtEditor->Text(), tool);
  EXPECT_EQ(EditorPath, tool);
  Click(options->btnCancel);
  EXPECT_EQ(FilesFont->Size, 14);
  EXPECT_EQ(EditorPath, tool);
  EXPECT_EQ(ViewerPath, "notepad.exe");
}

TEST_F(Options, FontCaptionNamesTheStyleLetters) {
  TFont f;
  f.Name = "Arial";
  f.Size = 10;
  EXPECT_EQ(TOptions::fntCaption(f), "Arial, 10, Normal");
  f.Bold = f.Italic = f.Underline = f.StrikeOut = true;
  EXPECT_EQ(TOptions::fntCaption(f), "Arial, 10, BIUS");
  f.Bold = f.Underline = false;
  EXPECT_EQ(TOptions::fntCaption(f), "Arial, 10, IS");
}

TEST_F(Options, EachColourIndexColoursItsSampleAndAStrayIndexShowsDefault) {
  WritePrivateProfileStringA("MainForm", "MainColor1", "99", Ini().c_str());
  Start();
  auto options = ShowDialog();
  ShowPage(*options, 5);
  EXPECT_EQ(options->cmbFontColor->ItemIndex(), 0);
  EXPECT_EQ(options->cmbFontColor->Items.Count(), 12);
  const std::function<TColor()> element[] = {
      [&] { return options->lblText->Font().Color; },  [&] { return options->pnlExample->Color(); },
      [&] { return options->lblMark->Font().Color; },  [&] { return options->lblCursor->Color(); },
      [&] { return options->lblCursor->Font().Color; },
  };
  TComboBox* lists[] = {options->cmbFontColor, options->cmbBackground, options->cmbMarkColor,
                              options->cmbCursorColor, options->cmbCursorFont};
  for (int slot = 1; slot <= 5; ++slot) {
    for (int index = 0; index < 12; ++index) {
      SCOPED_TRACE(slot * 100 + index);
      Choose(lists[slot - 1], index);
      EXPECT_EQ(element[slot - 1](), MainColorValue(index, slot));
    }
  }
  Choose(options->cmbMarkColor, 10);
  Click(options->btnApply);
  EXPECT_EQ(MainColorIndexes[2], 10);
  EXPECT_EQ(MainColors[2], MainColorValue(10, 3));
  EXPECT_EQ(MainColorIndexes[0], 11);
  EXPECT_TRUE(SaveWindowShot(options->Handle(), ShotPath("options_page5.bmp")));
}

class Languages : public Options {
 protected:
  void TearDown() override {
    for (const char* name : {"Optest.lng", "ZZTEST.LNG"}) DeleteFileA((ProgramFolder() + name).c_str());
    Options::TearDown();
  }
};

TEST_F(Languages, ListShowsTheFilesWhateverTheirCaseAndOkTranslatesAtOnce) {
  WriteTestFile(ProgramFolder() + "Optest.lng", "424=&Dateien\r\n436=Optionen...\r\n900=Einstellungen\r\n");
  WriteTestFile(ProgramFolder() + "ZZTEST.LNG", "424=&Zz\r\n");
  Start();
  // A name held in another case than the file's still selects it.
  Translator().LanguageFileName = "OPTEST.LNG";
  {
    auto options = ShowDialog();
    const auto names = options->lstLanguage->Items.ToVector();
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names[0], "English language");
    EXPECT_NE(options->lstLanguage->Items.IndexOf("Optest.lng"), -1);
    EXPECT_NE(options->lstLanguage->Items.IndexOf("ZZTEST.LNG"), -1);
    EXPECT_EQ(options->lstLanguage->Items[options->lstLanguage->ItemIndex()], "Optest.lng");
    // Apply with that selection changes nothing.
    Click(options->chkShowStatusLine);
    Click(options->btnApply);
    EXPECT_EQ(Translator().LanguageFileName, "OPTEST.LNG");
  }
  Translator().LanguageFileName.clear();
  {
    auto options = ShowDialog();
    EXPECT_EQ(options->lstLanguage->ItemIndex(), 0);
    ShowPage(*options, 2);
    Choose(options->lstLanguage, options->lstLanguage->Items.IndexOf("Optest.lng"));
    Click(options->btnOk);
  }
  EXPECT_EQ(Translator().LanguageFileName, "Optest.lng");
  EXPECT_EQ(form_->mnuFile->Caption, "&Dateien");
  EXPECT_EQ(form_->mnuOptions->Caption, "Optionen...");
  {
    auto options = ShowDialog();
    EXPECT_EQ(options->Caption(), "Einstellungen");
    ShowPage(*options, 2);
    Choose(options->lstLanguage, 0);
    Click(options->btnOk);
  }
  EXPECT_EQ(Translator().LanguageFileName, "");
  EXPECT_EQ(form_->mnuFile->Caption, "&Files");
  // A file named but gone selects English.
  Translator().LanguageFileName = "Gone.lng";
  auto options = ShowDialog();
  EXPECT_EQ(options->lstLanguage->ItemIndex(), 0);
}

std::vector<HWND> TabRound() {
  std::vector<HWND> round{GetFocus()};
  for (int i = 0; i < 80 && (PressKeys(GetFocus(), VK_TAB, {}), GetFocus() != round.front()); ++i)
    round.push_back(GetFocus());
  return round;
}

void ShownStops(const TWinControl* parent, std::set<HWND>& stops) {
  for (TControl* c : parent->Controls())
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Showing() && w->Enabled()) {
      if (w->TabStop) stops.insert(w->Handle());
      ShownStops(w, stops);
    }
}

// Tab goes round both panes of the main window, and round the options' tree,
// buttons and shown page only; the pictures show the focus in the page.
TEST_F(Options, TreeKeysStepThroughThePagesAndNothingCollapses) {
  Start();
  static_cast<TBrowserForm*>(form_->LeftBrowser)->sgBrowser->SetFocus();
  const std::vector<HWND> panes = TabRound();
  EXPECT_EQ(std::count(panes.begin(), panes.end(), static_cast<TBrowserForm*>(form_->RightBrowser)->sgBrowser->Handle()), 1);
  auto options = ShowDialog();
  options->tvOptions->SetFocus();
  EXPECT_EQ(options->tvOptions->Count(), 8);
  EXPECT_EQ(options->OptionsPages->ActivePageIndex(), 0);
  const std::pair<WORD, int> steps[] = {{VK_DOWN, 1}, {VK_RIGHT, 2}, {VK_UP, 1}, {VK_LEFT, 0}, {VK_LEFT, 0}};
  for (const auto& [key, page] : steps) {
    PostMessageA(options->tvOptions->Handle(), WM_KEYDOWN, key, 1);
    Pump(30);
    EXPECT_EQ(options->OptionsPages->ActivePageIndex(), page) << key;
  }
  for (int page = 0; page < 8; ++page) {
    ShowPage(*options, page);
    EXPECT_TRUE(options->OptionsPages->Pages(page)->Visible());
    options->tvOptions->SetFocus();
    const std::vector<HWND> round = TabRound();
    std::set<HWND> stops{options->tvOptions->Handle(), options->btnOk->Handle(), options->btnCancel->Handle()};
    ShownStops(options->OptionsPages->Pages(page), stops);
    EXPECT_EQ(std::multiset<HWND>(round.begin(), round.end()), std::multiset<HWND>(stops.begin(), stops.end()));
    PressKeys(GetFocus(), VK_TAB, {});
    EXPECT_TRUE(SaveWindowShot(options->Handle(), ShotPath("options_page" + std::to_string(page) + ".bmp")));
  }
  // A label's letter names its text, the bare one works outside a text, a hidden page's does nothing.
  const bool keys = options->chkShowFunctionsKeyButtons->Checked(), hidden = options->chkShowHidden->Checked();
  const struct { int page; WORD key; int held; TWinControl* focus; } letters[] = {
      {4, 'E', VK_MENU, options->edtEditor}, {4, 'V', 0, options->edtViewer}, {0, 'S', VK_MENU, options->btnOk},
      {0, 'F', VK_MENU, options->chkShowFunctionsKeyButtons}};
  for (const auto& [page, key, held, focus] : letters) {
    ShowPage(*options, page);
    options->btnOk->SetFocus();
    PressKeys(GetFocus(), key, held ? std::vector<int>{held} : std::vector<int>{});
    EXPECT_EQ(GetFocus(), focus->Handle()) << char(key);
  }
  EXPECT_TRUE(options->chkShowFunctionsKeyButtons->Checked() != keys && options->chkShowHidden->Checked() == hidden);
  ExpectTextsFit(*options, "the options");
}

TEST_F(Options, HundredShowingsLeaveNoFontOrWindowBehind) {
  Start();
  HFONT font = nullptr;
  HWND window = nullptr, tree = nullptr;
  for (int i = 0; i < 100; ++i) {
    // Modal from the main window's command, closed by Cancel.
    bool seen = false;
    TTimer probe;
    probe.Interval = 20;
    probe.OnTimer = [&] {
      if (seen) return;
      HWND dialog = FindOwnWindow("Options");
      auto* options = dynamic_cast<TOptions*>(TWinControl::FromHandle(dialog));
      if (!options) return;
      seen = true;
      if (i > 0) {
        EXPECT_EQ(GetObjectType(font), 0u);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_FALSE(IsWindow(tree));
      }
      font = options->lblCursor->Font().Handle();
      window = dialog;
      tree = options->tvOptions->Handle();
      PostMessageA(options->btnCancel->Handle(), BM_CLICK, 0, 0);
    };
    probe.SetEnabled(true);
    form_->actOptionsExecute();
    ASSERT_TRUE(seen) << i;
  }
  Pump(20);
  EXPECT_EQ(GetObjectType(font), 0u);
  EXPECT_FALSE(IsWindow(window));
}

// Each page shown from the tree in a dialog of its own, toured from the
// tree; a picture of the layout page with the focus on a check box.
TEST_F(Options, KeyboardTourOfEachPage) {
  Start();
  const std::vector<std::string> pages[] = {
      {"Show main toolbar", "Show drive buttons", "Show drive buttons above both window", "Show drive combobox",
       "Show tabstop header", "Show current directory", "Show status line", "Show functions key buttons",
       "Show status of the basket line", "Flat button \"Send to Basket\""},
      {"Show Hidden/System files"},
      {"Change the language"},
      {"Change font"},
      {"Editor:", ">>", "Viewer:", ">>"},
      {"Font color", "Background", "Mark color", "Cursor color", "Cursor font"},
      {"Deleting non-empty directories", "Overwriting files", "Overwriting/Deleting read-only files",
       "Overwriting/Deleting hidden/system files"},
      {"Selected files only", "Also selected directories", "Ctrl+Alt+Letter", "Alt+Letter", "Calculate space occupied by subdirectories when selection with <Space>",
       "F8/Del deletes to Recycle Bin (Shift+F8 = delete directly)", "Save settings on exit",
       "Restore the settings of Renamer utility on start up",
       "Select the files on \"Search results\" window after searching finished",
       "Select the files while sending them to the Basket"},
  };
  const char* const letters[] = {"bcdfklmnortx", "cos", "cho", "co", "ceov", "ccfmor", "chnoor", "accfiost"};
  for (int page = 0; page < 8; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    auto options = ShowDialog();
    ASSERT_EQ(options->OptionsPages->PageCount(), 8);
    ShowPage(*options, page);
    options->tvOptions->SetFocus();
    TTourPlan plan{{"TTreeView"}, letters[page], "Ok", "Cancel"};
    plan.Order.insert(plan.Order.end(), pages[page].begin(), pages[page].end());
    plan.Order.insert(plan.Order.end(), {"Ok", "Cancel"});
    TourWindow(options->Handle(), plan);
  }
  auto options = ShowDialog();
  EXPECT_TRUE(FocusShot(*options->chkShowFunctionsKeyButtons, ShotPath("options_keys.bmp")));
}

}  // namespace
