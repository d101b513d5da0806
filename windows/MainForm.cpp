#include "windows/MainForm.h"

#include <shlobj.h>

#include <cmath>
#include <utility>

#include "core/DirRegistry.h"
#include "core/Drives.h"
#include "core/FileList.h"
#include "core/FileUtils.h"
#include "core/Plugins.h"
#include "core/SortList.h"
#include "core/ToolRegistry.h"
#include "core/translator.h"
#include "controls/BrowserImages.h"
#include "framework/Cursors.h"
#include "framework/Dialogs.h"
#include "windows/About.h"
#include "windows/DidYouKnow.h"
#include "windows/FormBatchReplacer.h"
#include "windows/FormFinder.h"
#include "windows/FormRenamer.h"
#include "windows/FormReplacer.h"
#include "windows/PluginHost.h"
#include "windows/Settings.h"

TMainForm* MainForm = nullptr;

namespace {

// 432 to 435 name controls that have no text of their own elsewhere.
const TUnitTexts mainTexts{
    {408, "Brief"},
    {409, "Full"},
    {410, "Tree"},
    {411, "Options"},
    {412, "Invert selection"},
    {413, "Clear Basket"},
    {414, "F3 View"},
    {415, "F4 Edit"},
    {416, "F5 Copy"},
    {417, "F6 RenMov"},
    {418, "F7 MkDir"},
    {419, "F8 Delete"},
    {420, "Exit"},
    {421, "Exit"},
    {422, "Search:"},
    {423, "Tools"},
    {424, "&Files"},
    {425, "Start operation..."},
    {426, "Reread source"},
    {427, "Add network drive..."},
    {428, "Disconnect network drive..."},
    {429, "Properties..."},
    {430, "Exit"},
    {431, "&View"},
    {432, "Main toolbar"},
    {433, "Desktop"},
    {434, "My Documents"},
    {435, "Favorites"},
    {436, "Options..."},
    {437, "&Mark"},
    {438, "Select Group..."},
    {439, "Unselect Group..."},
    {440, "Select All"},
    {441, "Unselect All"},
    {442, "Invert Selection"},
    {443, "Select Successful"},
    {444, "Select Unchanged"},
    {445, "Select Failed"},
    {446, "Sho&w"},
    {447, "Brief"},
    {448, "Full"},
    {449, "Tree"},
    {450, "All files"},
    {451, "Custom..."},
    {452, "Name"},
    {453, "Extension"},
    {454, "Date"},
    {455, "Size"},
    {456, "Reverse order"},
    {457, "&Help"},
    {458, "Contents"},
    {459, "Kelvanto Home Page"},
    {460, "Feedback and Technical support"},
    {461, "Tip Of The Day..."},
    {464, "About"},
    {465, "Tutorials"},
    {466, "Pl&ug-ins"},
    {467, "Get new plug-ins"},
    {468, "What is plug-in"},
};

constexpr int ToolbarHeight = 24;

void Separator(TMenuItem* menu) { menu->Add("-"); }

TMenuItem* ActionItem(TMenuItem* menu, TAction* action) {
  TMenuItem* item = menu->Add("");
  item->Action = action;
  return item;
}

}  // namespace

TMainForm::TMainForm() : TForm(nullptr, TFormBorder::Sizeable) {
  MainForm = this;
  SetCaption("Kelvanto");
  SetBounds(0, 0, 700, 550);
  CreateActions();
  CreateMenus();
  CreateControls();
  BindTexts();
  BindKeysAndMenus();
  BindFileCommands();
  OnShow = [this] { FormShow(); };
  OnResize = [this] { FormResize(); };
  OnApplyTexts = [this] {
    for (TBrowserForm* pane : {LeftBrowser, RightBrowser})
      if (pane) pane->ApplyTexts();
    ApplyToolTexts();
    tbMenu->SetMenu(&GeneralMenu.Items);
    ArrangeMenuToolbar();
    FitModeButtons();
    DriveBarsAndBasketLinesAfterTexts();
  };
  OnCloseQuery = [this](bool&) { FormClose(); };
  FormCreate();
}

// The settings are written before any pane or control goes.
TMainForm::~TMainForm() {
  FormDestroy();
  Application().OnActivate = nullptr;
  Application().OnMinimize = nullptr;
  Application().OnRestore = nullptr;
  ClearToolRegistry();
  if (MainForm == this) MainForm = nullptr;
}

void TMainForm::CreateActions() {
  ActionLists = {&ActionModes, &mainAction};
  auto mode = [this](intptr_t tag, TAction*& action) {
    action = ActionModes.Add("", ShortCut(static_cast<WORD>('0' + tag), scCtrl), nullptr);
    action->Tag = tag;
    action->OnExecute = [this, action] { actBrowserExecute(*action); };
  };
  mode(ModeBrowser, actBrowser);
  mode(ModeFinder, actFinder);
  mode(ModeRenamer, actRenamer);
  mode(ModeReplacer, actReplacer);
  mode(ModeBatchReplacer, actBatchReplacer);
  actLaunchOperation = mainAction.Add("", ShortCut('S', scCtrl), [this] {
    if (!CommandsHeld()) StartToolOperation(CurrentMode);
  });
  actHelp = mainAction.Add("", ShortCut(VK_F1), nullptr);
  actHelpContents = mainAction.Add("", ShortCut(VK_F1, scShift), nullptr);
}

void TMainForm::CreateMenus() {
  GeneralMenu.ShowBar = false;
  Menu = &GeneralMenu;
  TMenuItem& bar = GeneralMenu.Items;

  mnuFile = bar.Add("");
  mnuStartOperation = ActionItem(mnuFile, actLaunchOperation);
  Separator(mnuFile);
  mnuSaveBasketList = mnuFile->Add("");
  mnuLoadBasketList = mnuFile->Add("");
  Separator(mnuFile);
  mnuRereadSource = mnuFile->Add("", [this] { RefreshPanes(); });
  mnuConDrive = mnuFile->Add("");
  mnuDisConDrive = mnuFile->Add("");
  Separator(mnuFile);
  mnuProperties = mnuFile->Add("", nullptr, ShortCut(VK_RETURN, scAlt));
  Separator(mnuFile);
  mnuExit = mnuFile->Add(
      "",
      [this] {
        if (!CommandsHeld()) Close();
      },
      ShortCut(VK_F4, scAlt));

  mnuView = bar.Add("");
  mnuBrowser = ActionItem(mnuView, actBrowser);
  mnuTool1 = ActionItem(mnuView, actFinder);
  mnuTool2 = ActionItem(mnuView, actRenamer);
  mnuTool3 = ActionItem(mnuView, actReplacer);
  mnuTool4 = ActionItem(mnuView, actBatchReplacer);
  Separator(mnuView);
  mnuMainToolbar = mnuView->Add("");
  mnuToolsToolbar = mnuView->Add("");
  Separator(mnuView);
  mnuOptions = mnuView->Add("", nullptr, ShortCut('O', scCtrl));

  mnuMark = bar.Add("");
  mnuSelGroup = mnuMark->Add("");
  mnuUnselGr = mnuMark->Add("");
  mnuSelAll = mnuMark->Add("");
  mnuUnselAll = mnuMark->Add("");
  mnuInvertSel = mnuMark->Add("");
  Separator(mnuMark);
  mnuSelSuccessful = mnuMark->Add("");
  mnuSelUnchanged = mnuMark->Add("");
  mnuSelFailed = mnuMark->Add("");

  mnuShow = bar.Add("");
  mnuBrief = mnuShow->Add("", nullptr, ShortCut(VK_F1, scCtrl));
  mnuBrief->Tag = 1;
  mnuFull = mnuShow->Add("", nullptr, ShortCut(VK_F2, scCtrl));
  mnuFull->Tag = 2;
  Separator(mnuShow);
  mnuAllFiles = mnuShow->Add("", nullptr, ShortCut(VK_F10, scCtrl));
  mnuCustom = mnuShow->Add("", nullptr, ShortCut(VK_F12, scCtrl));
  Separator(mnuShow);
  TMenuItem** sorts[] = {&mnuSortName, &mnuSortExt, &mnuSortDate, &mnuSortSize};
  for (int i = 0; i < 4; ++i) {
    *sorts[i] = mnuShow->Add("", nullptr, ShortCut(static_cast<WORD>(VK_F3 + i), scCtrl));
    (*sorts[i])->Tag = i + 1;
    (*sorts[i])->RadioItem = true;
  }
  Separator(mnuShow);
  mnuSortRevers = mnuShow->Add("");
  mnuSortRevers->Tag = 5;

  // The first three items come before the plug-ins: the host counts on it.
  mnuPlugins = bar.Add("");
  mnuGetNewPlugins = mnuPlugins->Add("");
  mnuWhatIsPlugin = mnuPlugins->Add("");
  Separator(mnuPlugins);

  mnuHelp = bar.Add("");
  mnuContents = ActionItem(mnuHelp, actHelpContents);
  Separator(mnuHelp);
  mnuHomePage = mnuHelp->Add("");
  mnuTutorials = mnuHelp->Add("");
  mnuFeedbackAndTechnicalSupport = mnuHelp->Add("");
  Separator(mnuHelp);
  mnuItemShowTips = mnuHelp->Add("", [this] { mnuItemShowTipsClick(); });
  Separator(mnuHelp);
  mnuAbout = mnuHelp->Add("", [this] { mnuAboutClick(); });

  MenuItem1 = popFavoritesFolders.Items.Add("");
  MenuItem1->Tag = 1;
  MenuItem2 = popFavoritesFolders.Items.Add("");
  MenuItem2->Tag = 2;
  MenuItem3 = popFavoritesFolders.Items.Add("");
  MenuItem3->Tag = 3;
}

TSpeedButtonNew* TMainForm::ToolbarButton(TPanel* panel, intptr_t tag) {
  auto* b = new TSpeedButtonNew(panel);
  b->Flat = true;
  b->Tag = tag;
  b->ShowHint = true;
  return b;
}

void TMainForm::CreateControls() {
  ShowHint = true;
  ControlBarMain = new TControlBar(this);
  ControlBarMain->SetAlign(TAlign::Top);
  tbMenu = new TMenuToolBar(ControlBarMain);
  pnlTbMain = new TPanel(ControlBarMain);
  pnlTbMain->BevelOuter = TBevelCut::None;
  pnlTbMain->SetBounds(0, 0, 5 * 23 + 4, ToolbarHeight);
  int x = 2;
  for (TSpeedButtonNew** b : {&btnSetModeBrief, &btnSetModeFull, &btnOptions, &btnInvertSel, &btnClearBasket}) {
    *b = ToolbarButton(pnlTbMain, 0);
    (*b)->SetBounds(x, 1, 23, 22);
    x += 23;
  }
  btnSetModeBrief->Tag = 1;
  btnSetModeFull->Tag = 2;
  btnSetModeBrief->GroupIndex = btnSetModeFull->GroupIndex = 1;
  pnlTools = new TPanel(ControlBarMain);
  pnlTools->BevelOuter = TBevelCut::None;
  // Wide enough that the mode buttons take a row of their own.
  pnlTools->SetBounds(0, 0, 460, ToolbarHeight);
  ControlBarMain->SetFillsRow(pnlTools);
  const std::pair<TSpeedButtonNew**, TAction*> modes[] = {
      {&btnMdBrowser, actBrowser}, {&btnTool1, actFinder},        {&btnTool2, actRenamer},
      {&btnTool3, actReplacer},    {&btnTool4, actBatchReplacer},
  };
  for (const auto& [button, action] : modes) {
    *button = ToolbarButton(pnlTools, action->Tag);
    (*button)->GroupIndex = 2;
    (*button)->SetAction(action);
  }
  pnlTools->OnResize = [this] { pnlToolsResize(pnlTools); };
  mnuToolsToolbar->Checked = pnlTools->Visible();

  pnlTop = new TPanel(this);
  pnlTop->SetAlign(TAlign::Top);
  pnlTop->SetHeight(28);
  pnlRightJumpButtons = new TPanel(pnlTop);
  pnlRightJumpButtons->BevelOuter = TBevelCut::None;
  pnlRightJumpButtons->SetBounds(0, 0, 50, 22);
  pnlRightJumpButtons->SetAlign(TAlign::Right);
  btnRJumpToRoot = ToolbarButton(pnlRightJumpButtons, 0);
  btnRJumpToRoot->SetBounds(2, 2, 22, 20);
  btnRJumpToRoot->SetCaption("\\");
  btnRUpOneLevel = ToolbarButton(pnlRightJumpButtons, 0);
  btnRUpOneLevel->SetBounds(25, 2, 22, 20);
  btnRUpOneLevel->SetCaption("..");
  pnlInfo = new TPanel(pnlTop);
  pnlInfo->BevelOuter = TBevelCut::Lowered;
  pnlInfo->Alignment = DT_LEFT;
  pnlInfo->SetBounds(0, 0, 150, 22);
  pnlInfo->SetAlign(TAlign::Right);
  pnlWithImgDrives = new TPanel(pnlTop);
  pnlWithImgDrives->BevelOuter = TBevelCut::None;
  pnlWithImgDrives->SetBounds(3, 3, 400, 22);
  pnlWithImgDrives->OnResize = [this] { pnlWithImgDrivesResize(); };
  pnlTop->OnResize = [this] { ArrangeSharedDriveBar(); };

  pnlOperations = new TPanel(this);
  pnlOperations->BevelOuter = TBevelCut::None;
  pnlOperations->SetAlign(TAlign::Bottom);
  pnlOperations->SetHeight(26);
  intptr_t tag = 1;
  for (TPylBitBtn** b : {&btnViewF3, &btnEdit, &btnCopy, &btnRenMove, &btnMkDir, &btnDelete, &btnExit}) {
    *b = new TPylBitBtn(pnlOperations);
    (*b)->Tag = tag++;
    (*b)->SetHeight(26);
  }
  btnExit->ShowHint = true;
  btnExit->OnClick = [this] { Close(); };
  pnlOperations->OnResize = [this] { pnlToolsResize(pnlOperations); };

  pnlMain = new TPanel(this);
  pnlMain->BevelOuter = TBevelCut::None;
  pnlModes = new TPanel(pnlMain);
  pnlModes->BevelOuter = TBevelCut::None;
  pnlLeft = new TPanel(pnlModes);
  pnlLeft->BevelOuter = TBevelCut::None;
  pnlLeft->SetWidth(350);
  pnlLeft->SetAlign(TAlign::Left);
  pnlFreeLeft = new TPanel(pnlLeft);
  pnlFreeLeft->BevelOuter = TBevelCut::None;
  pnlFreeLeft->SetHeight(0);
  pnlFreeLeft->SetAlign(TAlign::Top);
  SplitterMain = new TPylSplitterMouse(pnlModes, pnlLeft);
  pnlRight = new TPanel(pnlModes);
  pnlRight->BevelOuter = TBevelCut::None;
  pnlRight->SetAlign(TAlign::Client);
  pnlFreeRight = new TPanel(pnlRight);
  pnlFreeRight->BevelOuter = TBevelCut::None;
  pnlFreeRight->SetHeight(0);
  pnlFreeRight->SetAlign(TAlign::Top);

  pnlSearch = new TPanel(this);
  pnlSearch->Alignment = DT_LEFT;
  pnlSearch->SetBounds(0, 0, 220, 24);
  edSearch = new TEdit(pnlSearch);
  edSearch->SetBounds(60, 2, 156, 20);
  pnlSearch->Hide();
  pnlToolsResize(pnlTools);
  pnlToolsResize(pnlOperations);
}

void TMainForm::BindTexts() {
  auto hint = [this](TControl* c, int id) { Texts.Add(id, [c](const std::string& s) { c->Hint = s; }); };
  auto item = [this](TMenuItem* m, int id) { Texts.Add(id, [m](const std::string& s) { m->Caption = s; }); };
  auto action = [this](TAction* a, int id) { Texts.Add(id, [a](const std::string& s) { a->Caption = s; }); };
  hint(btnSetModeBrief, 408);
  hint(btnSetModeFull, 409);
  hint(btnOptions, 411);
  hint(btnInvertSel, 412);
  hint(btnClearBasket, 413);
  int id = 414;
  for (TControl* b : {btnViewF3, btnEdit, btnCopy, btnRenMove, btnMkDir, btnDelete}) Texts.Add(b, id++);
  hint(btnExit, 420);
  Texts.Add(btnExit, 421);
  Texts.Add(pnlSearch, 422);
  item(mnuToolsToolbar, 423);
  item(mnuFile, 424);
  action(actLaunchOperation, 425);
  item(mnuRereadSource, 426);
  item(mnuConDrive, 427);
  item(mnuDisConDrive, 428);
  item(mnuProperties, 429);
  item(mnuExit, 430);
  item(mnuView, 431);
  item(mnuMainToolbar, 432);
  item(MenuItem1, 433);
  item(MenuItem2, 434);
  item(MenuItem3, 435);
  item(mnuOptions, 436);
  id = 437;
  for (TMenuItem* m : {mnuMark, mnuSelGroup, mnuUnselGr, mnuSelAll, mnuUnselAll, mnuInvertSel, mnuSelSuccessful,
                       mnuSelUnchanged, mnuSelFailed, mnuShow, mnuBrief, mnuFull})
    item(m, id++);
  id = 450;
  for (TMenuItem* m : {mnuAllFiles, mnuCustom, mnuSortName, mnuSortExt, mnuSortDate, mnuSortSize, mnuSortRevers,
                       mnuHelp})
    item(m, id++);
  action(actHelpContents, 458);
  item(mnuHomePage, 459);
  item(mnuFeedbackAndTechnicalSupport, 460);
  item(mnuItemShowTips, 461);
  item(mnuAbout, 464);
  item(mnuTutorials, 465);
  item(mnuPlugins, 466);
  item(mnuGetNewPlugins, 467);
  item(mnuWhatIsPlugin, 468);
  action(actBrowser, 700);
  Texts.Add(701, [this](const std::string& s) { actBrowser->Hint = s; });
  item(mnuSaveBasketList, 703);
  item(mnuLoadBasketList, 704);
}

void TMainForm::FormCreate() {
  ReadAllSettings();
  pnlMain->SetAlign(TAlign::Client);
  pnlModes->SetAlign(TAlign::Client);
  InitFileList(Basket, 10, 300, "*.*", 10000);
  Basket.SortKind = SortByNameOnly;
  AttachBasketView(ModeLeftView, true, Basket);
  AttachBasketView(ModeSecondMark, true, Basket);
  ToolBusy = 0;
  FillDriveList(DriveList, DriveOptionNetwork | DriveOptionBasket);
  if (!DesktopFolder) SHGetDesktopFolder(&DesktopFolder);
  ShellOwnerWindow = Handle();
  PluginRunning = 0;

  TTool::Create(pnlLeft, actFinder, 800, [](TWinControl* o) { return new TFinderForm(o); });
  TTool::Create(pnlLeft, actRenamer, 1800, [](TWinControl* o) { return new TRenamerForm(o); });
  TTool::Create(pnlLeft, actReplacer, 500, [](TWinControl* o) { return new TReplacerForm(o); });
  TTool::Create(pnlLeft, actBatchReplacer, 300, [](TWinControl* o) { return new TBatchReplacerForm(o); });
  UnifyToolConstraints();

  const std::pair<TSpeedButtonNew*, TMenuItem*> glyphs[] = {
      {btnMdBrowser, mnuBrowser}, {btnTool1, mnuTool1}, {btnTool2, mnuTool2},
      {btnTool3, mnuTool3},       {btnTool4, mnuTool4},
  };
  for (const auto& [button, item] : glyphs) {
    const char* name = button == btnMdBrowser ? "BRWBTN" : button == btnTool1 ? "FNDBTN" : "TOOLS";
    button->SetGlyph(LoadBitmapResource(name));
    button->SetNumGlyphs(3);
    item->SetBitmap(LoadMenuBitmap((std::string(name) + "1").c_str()));
  }
  LoadToolSettings();
  CreatePanes();

  FirstPaint = 1;
  Application().OnActivate = [this] { AppMessage(); };
  Application().OnRestore = [this] { OnRestoreMainForm(); };
  Application().OnMinimize = [this] { OnMinimizeMainForm(); };
  mnuSelGroup->ShortCut = ShortCut(VK_ADD);
  mnuUnselGr->ShortCut = ShortCut(VK_SUBTRACT);
  mnuInvertSel->ShortCut = ShortCut(VK_MULTIPLY);
  mnuSelAll->ShortCut = ShortCut('A', scCtrl);
  mnuUnselAll->ShortCut = ShortCut(VK_SUBTRACT, scCtrl);
}

void TMainForm::FormShow() {
  for (TBrowserForm* pane : {RightBrowser, LeftBrowser})
    if (pane) pane->FitBarHeights();
  btnSetModeBrief->SetGlyph(LoadBitmapResource("BRIEFMODE"));
  mnuBrief->SetBitmap(LoadMenuBitmap("BRIEFMODE1"));
  btnSetModeFull->SetGlyph(LoadBitmapResource("FULLMODE"));
  mnuFull->SetBitmap(LoadMenuBitmap("FULLMODE1"));
  btnInvertSel->SetGlyph(LoadBitmapResource("SELALL"));
  btnClearBasket->SetGlyph(LoadBitmapResource("BSKCLEAR"));
  btnOptions->SetGlyph(LoadBitmapResource("BTNOPTN"));
  mnuOptions->SetBitmap(LoadMenuBitmap("BTNOPTN1"));
  ApplyLayoutOptions();
  for (const auto& a : ActionModes.Actions())
    if (a->Tag == RestoredMode) a->Execute();
  // The active side comes first in the tab order.
  TPanel* first = ToolsInRightSide ? pnlLeft : pnlRight;
  SetWindowPos(first->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TMainForm::FormFirstPaint() {
  FirstPaint = 0;
  FindPlugins(*mnuPlugins, [this](TMenuItem& item) { PlugClick(item); });
  tbMenu->SetMenu(&GeneralMenu.Items);
  ArrangeMenuToolbar();
  UpdateStartAction();
  for (TBrowserForm* pane : {LeftBrowser, RightBrowser})
    if (pane) RecountPane(*pane);
  PostMessageA(Handle(), WM_SHOWTIPOFDAY, 0, 0);
}

void TMainForm::PlugClick(TMenuItem& item) {
  if (CommandsHeld() || !PluginList) return;
  for (size_t i = 3; i < mnuPlugins->Count(); ++i)
    if (mnuPlugins->Item(i) == &item && i - 3 < PluginList->Count()) RunPlugin(*this, (*PluginList)[i - 3]);
}

LRESULT TMainForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_FOCUSACTIVEPANEL:
      if (ActivePanel && ActivePanel->CanFocus()) {
        auto* form = dynamic_cast<TForm*>(ActivePanel);
        TWinControl* target = form && form->ActiveControl ? form->ActiveControl : ActivePanel;
        if (target->CanFocus()) target->SetFocus();
      }
      return 0;
    case KvtPlugin::WM_KVT_REQUEST:
      ServePluginRequest(*this, wp, lp);
      return 0;
    case WM_SHOWTIPOFDAY:
      if (ShowTips != 0) mnuItemShowTipsClick();
      return 0;
    case WM_DEVICECHANGE: {
      const LRESULT r = TForm::WndProc(msg, wp, lp);
      RefreshPanes();
      return r;
    }
    case WM_PAINT:
      // The panes cover the whole form, so its own face may never be painted.
      if (FirstPaint) FormFirstPaint();
      break;
    default:
      break;
  }
  return TForm::WndProc(msg, wp, lp);
}

void TMainForm::actBrowserExecute(TAction& sender) {
  if (CommandsHeld()) return;
  ActionModesTag = sender.Tag;
  for (const auto& a : ActionModes.Actions()) a->Checked = a.get() == &sender;
  SwitchMode(static_cast<int32_t>(sender.Tag));
}

void TMainForm::SwitchMode(int32_t mode) {
  pnlSearch->Hide();
  if (mode == CurrentMode) return;
  const bool activeIsPane = IsPane(ActivePanel);
  if (CurrentMode == ModeBrowser && activeIsPane) ToolsInRightSide = ActivePanel == LeftBrowser;
  pnlModes->DisableAlign();
  pnlLeft->SetConstraints({});
  pnlRight->SetConstraints({});
  if (mode > ModeBrowser) {
    SplitterMain->Hide();
    TPanel* toolPanel = ToolsInRightSide ? pnlRight : pnlLeft;
    if (ToolsInRightSide) {
      pnlRight->SetAlign(TAlign::Right);
      pnlLeft->SetAlign(TAlign::Client);
    } else {
      pnlLeft->SetAlign(TAlign::Left);
      pnlRight->SetAlign(TAlign::Client);
    }
    toolPanel->SetConstraints({ToolConstraints.MinWidth, ToolConstraints.MinHeight + pnlFreeLeft->Height(),
                               ToolConstraints.MinWidth, ToolConstraints.MaxHeight});
    if (TForm* tool = GetToolForm(mode)) {
      tool->SetParent(toolPanel);
      if (!activeIsPane) ActivePanel = tool;
    }
  } else {
    pnlLeft->SetAlign(TAlign::Left);
    SplitterMain->SetLeft(pnlLeft->Left() + 4);
    SplitterMain->Show();
    pnlRight->SetAlign(TAlign::Client);
    ActivePanel = ToolsInRightSide ? LeftBrowser : RightBrowser;
  }
  CurrentMode = mode;
  ShowToolOfMode(mode);
  if (RightBrowser) RightBrowser->SetVisible(mode == ModeBrowser || !ToolsInRightSide);
  if (LeftBrowser) LeftBrowser->SetVisible(mode == ModeBrowser || ToolsInRightSide);
  pnlModes->EnableAlign();
  ApplyLayoutOptions();
  FormResize();
  PostMessageA(Handle(), WM_FOCUSACTIVEPANEL, 0, 0);
  UpdateStartAction();
}

void TMainForm::FormResize() {
  if (CurrentMode != ModeBrowser) return;
  pnlModes->DisableAlign();
  pnlLeft->SetWidth(static_cast<int>(std::lround(SplitterMain->GetRatio() * pnlModes->Width())) + 2);
  if (pnlRight->Width() == 0) pnlRight->SetWidth(1);
  SplitterMain->SetLeft(pnlLeft->Width() + 10);
  pnlModes->EnableAlign();
}

void TMainForm::RefreshPanes() {
  if (PluginRunning == 1) return;
  pnlSearch->Hide();
  if (ToolBusy) return;
  for (TBrowserForm* pane : {LeftBrowser, RightBrowser})
    if (pane && pane->ListTaken()) return;
  TQuietErrors quiet(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  THourglassCursor wait;
  if (UpdateDriveList(DriveList, DriveOptionNetwork | DriveOptionBasket))
    for (TBrowserForm* pane : {LeftBrowser, RightBrowser})
      if (pane) RebuildDriveButtons(*pane);
  for (TBrowserForm* pane : {RightBrowser, LeftBrowser})
    if (pane) pane->Refresh();
}

void TMainForm::RebuildDriveButtons(TBrowserForm& pane) {
  pane.RebuildDriveControls();
  if (&pane != SharedBarPane()) return;
  BuildDriveBar(pnlWithImgDrives, DriveList, FindDriveIndex(pane.DriveLetter, DriveList), ImageListBrowser(),
                &popFavoritesFolders, [this](TDriveButton* b) { SharedDriveClick(*b); });
  FollowActivePane(pane);
}

TBrowserForm* TMainForm::SharedBarPane() const {
  if (ActivePane && IsPane(ActivePane)) return ActivePane;
  return ToolsInRightSide ? LeftBrowser : RightBrowser;
}

void TMainForm::SharedDriveClick(const TDriveButton& button) {
  TBrowserForm* pane = SharedBarPane();
  if (!pane || CommandsHeld()) return;
  pane->SelectDrive(static_cast<int>(button.Tag));
  // A drive refused or not chosen leaves the pane's own down.
  FollowActivePane(*pane);
}

void TMainForm::ArrangeSharedDriveBar() {
  int right = pnlTop->ClientRect().right - 6;
  for (const TPanel* beside : {pnlInfo, pnlRightJumpButtons})
    if (beside->Visible()) right -= beside->Width();
  pnlWithImgDrives->SetWidth(std::max(right - pnlWithImgDrives->Left(), 0));
  pnlWithImgDrivesResize();
}

void TMainForm::pnlWithImgDrivesResize() {
  ArrangeDriveBar(pnlWithImgDrives, LayoutOptions);
  pnlTop->SetHeight(pnlWithImgDrives->Height() + 6);
}

// The drive list made at the start already has the start's texts.
void TMainForm::DriveBarsAndBasketLinesAfterTexts() {
  if (!FirstPaint) FillDriveList(DriveList, DriveOptionNetwork | DriveOptionBasket);
  for (TBrowserForm* pane : {LeftBrowser, RightBrowser}) {
    if (!pane) continue;
    RebuildDriveButtons(*pane);
    pane->UpdateBasketLine();
  }
}

void TMainForm::AppMessage() {
  KeepPluginWindowOrder(*this);
  if (!Activated) {
    Activated = true;
    return;
  }
  RefreshPanes();
}

void TMainForm::OnMinimizeMainForm() { KeepPluginWindowOrder(*this); }

void TMainForm::OnRestoreMainForm() { KeepPluginWindowOrder(*this); }

// The named children share the width; the last one also takes what the
// division leaves.
void TMainForm::pnlToolsResize(TPanel* panel) {
  const auto& children = panel->Controls();
  if (children.empty()) return;
  const int count = static_cast<int>(children.size());
  const int width = panel->ClientRect().right, height = panel->ClientRect().bottom;
  const int each = width / count;
  int x = 0;
  for (int i = 0; i < count; ++i) {
    const int w = i + 1 == count ? width - x : each;
    children[static_cast<size_t>(i)]->SetBounds(x, 0, w, height);
    x += w;
  }
}

void TMainForm::ArrangeMenuToolbar() {
  tbMenu->Arrange();
  pnlTbMain->SetHeight(std::max(tbMenu->Height(), ToolbarHeight));
  ControlBarMain->ArrangeBands();
}

// The mode buttons share the bar equally: the window is never so narrow
// that the share cuts the longest caption of the language.
void TMainForm::FitModeButtons() {
  int widest = 0;
  for (TSpeedButtonNew* b : {btnMdBrowser, btnTool1, btnTool2, btnTool3, btnTool4}) {
    b->UpdateFromAction();
    widest = std::max(widest, b->FitWidth());
  }
  SetConstraints({Width() - ClientRect().right + int(pnlTools->Controls().size()) * widest, 0, 0, 0});
}

void TMainForm::ApplyLanguageTexts() { ApplyTexts(); }

bool TMainForm::DropMenuByKey(TShortCut sc) {
  if (!(sc & scAlt) || (sc & scCtrl)) return false;
  const std::string typed = KeyCharacters(sc & 0xFF);
  return typed.size() == 1 && tbMenu->DropDownByAccel(typed[0]);
}

void TMainForm::mnuItemShowTipsClick() {
  if (TipShown) return;
  TipShown = true;
  TDidYouKnow tips;
  tips.ShowModal();
  TipShown = false;
}

void TMainForm::mnuAboutClick() {
  if (frmAbout) frmAbout->ShowModal();
}

void TMainForm::CreatePanes() {
  imageListBrowser_ = MakeImageListBrowser();
  upDownImages_ = MakeUpDownImages();
  LeftBrowser = new TBrowserForm(pnlLeft, "LeftBrowser", *this);
  LeftBrowser->LoadSettings("BROWSER_LEFT");
  RightBrowser = new TBrowserForm(pnlRight, "RightBrowser", *this);
  RightBrowser->LoadSettings("BROWSER_RIGHT");
  ActivePanel = ToolsInRightSide ? LeftBrowser : RightBrowser;
  SelectionHost = this;
}

void TMainForm::UpdateStartAction() { ::UpdateStartAction(); }

void TMainForm::PaneEntered(TBrowserForm& pane) {
  ActivePanel = &pane;
  if (CurrentMode == ModeBrowser) ToolsInRightSide = &pane == LeftBrowser;
  ::UpdateStartAction();
}

void TMainForm::FollowActivePane(TBrowserForm& pane) {
  for (TControl* c : pane.pnlDisks->Controls()) {
    auto* own = dynamic_cast<TDriveButton*>(c);
    if (!own || !own->Down()) continue;
    for (TControl* shared : pnlWithImgDrives->Controls())
      if (auto* b = dynamic_cast<TDriveButton*>(shared); b && b->Tag == own->Tag) b->SetDown(true);
  }
  const std::string text = pane.pnlInfo->Caption();
  pnlInfo->SetCaption(text);
  pnlInfo->SetWidth(ScreenTextExtent(pnlInfo->Font(), text).cx + 10);
  ArrangeSharedDriveBar();
}

// In a tool mode the tool starts as far down as the bars of the pane beside
// it, so that the tool's top line stands level with the pane's address line.
void TMainForm::EvenPaneTops() {
  int left = 0, right = 0;
  if (CurrentMode > ModeBrowser) {
    if (TBrowserForm* shown = ToolsInRightSide ? LeftBrowser : RightBrowser)
      (ToolsInRightSide ? right : left) = shown->TopAreaHeight();
  }
  pnlFreeLeft->SetHeight(left);
  pnlFreeRight->SetHeight(right);
}

void TMainForm::UpdateMainModeButtons(bool briefDown, bool fullDown, bool jumpsEnabled) {
  btnSetModeBrief->SetDown(briefDown);
  btnSetModeFull->SetDown(fullDown);
  btnRJumpToRoot->SetEnabled(jumpsEnabled);
  btnRUpOneLevel->SetEnabled(jumpsEnabled);
}

HIMAGELIST TMainForm::ImageListBrowser() { return imageListBrowser_ ? imageListBrowser_->Handle() : nullptr; }

HIMAGELIST TMainForm::UpDownImages() { return upDownImages_ ? upDownImages_->Handle() : nullptr; }

// A docked tool with the focus works on the pane beside it.
ISelectionPane* TMainForm::GetActivePane() {
  TBrowserForm* pane = IsPane(ActivePanel) ? dynamic_cast<TBrowserForm*>(ActivePanel)
                                           : ToolsInRightSide ? LeftBrowser : RightBrowser;
  return pane && pane->Visible() ? pane : nullptr;
}

void TMainForm::ShowCheckMessage(const std::string& text) {
  ShowMessageBox(Handle(), text, Caption(), MB_OK | MB_ICONINFORMATION);
}

// The right pane's icon thread stops first, as the panes were made.
void TMainForm::FormClose() {
  for (TBrowserForm* pane : {RightBrowser, LeftBrowser})
    if (pane) pane->StopIconThread();
}

void TMainForm::FormDestroy() {
  if (GeneralCheckContainer & OptSaveSettings) WriteAllSettings();
  TComPtr<IShellFolder> desktop(std::exchange(DesktopFolder, nullptr));
  // No pane may outlive the lists it shows.
  delete LeftBrowser;
  delete RightBrowser;
  LeftBrowser = RightBrowser = nullptr;
  if (SelectionHost == this) SelectionHost = nullptr;
  for (TstateOfBrowser* view : {&LeftBasketView, &RightBasketView}) DetachBasketView(*view);
  FreeFileList(Basket);
  FreeFileList(LeftPaneList);
  FreeFileList(RightPaneList);
}

void UpdateStartAction() {
  if (!MainForm) return;
  MainForm->actLaunchOperation->Enabled = CanStartTool(CurrentMode, nullptr);
}

void EnableMainControls(bool enabled) {
  if (!MainForm) return;
  for (TControl* c : MainForm->tbMenu->Controls()) c->SetEnabled(enabled);
  for (TControl* c : MainForm->pnlTbMain->Controls()) c->SetEnabled(enabled);
  for (const auto& a : MainForm->ActionModes.Actions()) a->Enabled = enabled;
  if (enabled && ActivePane && MainForm->IsPane(ActivePane)) ActivePane->UpdateModeButtons();
}

bool MainCommandsHeld() { return MainForm ? MainForm->CommandsHeld() : ToolBusy != 0; }

int RunMainForm() {
  TApplication& app = Application();
  TMainForm mainForm;
  TfrmAbout about;
  app.Run(&mainForm);
  app.MainForm = nullptr;
  return 0;
}
