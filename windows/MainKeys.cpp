// The main window's keys, menu handlers, bottom buttons and quick search.
#include <shlobj.h>
#include <winnetwk.h>

#include <cctype>

#include "core/DirRegistry.h"
#include "core/Drives.h"
#include "core/Help.h"
#include "core/Masks.h"
#include "core/Plugins.h"
#include "core/RingList.h"
#include "core/Selection.h"
#include "core/SharedTexts.h"
#include "core/SortList.h"
#include "core/ToolRegistry.h"
#include "core/translator.h"
#include "framework/SystemError.h"
#include "windows/FileOperations.h"
#include "windows/FormBrowser.h"
#include "windows/MainForm.h"
#include "windows/Options.h"
#include "windows/PluginHost.h"
#include "windows/Settings.h"
#include "windows/StandardQuery.h"

namespace {

// Quick search opened by Alt+letter, or by Ctrl+Alt+letter.
constexpr uint32_t OptSearchAlt = 0x100;
constexpr uint32_t OptSearchCtrlAlt = 0x200;
// The help topics of the main window.
constexpr const char* TopicContents = "::/CONTENTS.htm";
constexpr const char* TopicBrowser = "::/BROWSER.htm";
constexpr const char* TopicPlugins = "::/PLUGINS.htm";
// The maker's pages (Part of the web-page table of core/Drives).
constexpr int PageSupport = 20, PageHome = 21, PagePlugins = 22, PageTutorials = 25;

enum class TKeyScope { Anywhere, NoPane, Pane };

// One row of the form-wide shortcuts; the pane is the active one, or nil
// for rows that act without it.
struct TKeyRow {
  TShortCut key;
  TKeyScope scope;
  void (*run)(TMainForm& form, TBrowserForm* pane);
};

void PaneKey(TBrowserForm* pane, WORD vk, unsigned shift) {
  pane->sgBrowser->SetFocus();
  WORD key = vk;
  pane->sgBrowserKeyDown(key, shift);
}

// The pane's grid takes the focus before the command runs.
void Focused(TBrowserForm* pane) { pane->sgBrowser->SetFocus(); }

const TKeyRow kKeyTable[] = {
    {ShortCut(VK_F4, scAlt), TKeyScope::Anywhere, [](TMainForm& f, TBrowserForm*) { f.Close(); }},
    {ShortCut('A', scCtrl), TKeyScope::Anywhere, [](TMainForm& f, TBrowserForm*) { f.mnuSelAll->Click(); }},
    {ShortCut('O', scCtrl), TKeyScope::Anywhere, [](TMainForm& f, TBrowserForm*) { f.actOptionsExecute(); }},
    {ShortCut('L', scAlt), TKeyScope::NoPane, [](TMainForm& f, TBrowserForm*) { f.FocusSidePane(); }},
    {ShortCut(VK_F4), TKeyScope::Pane, [](TMainForm&, TBrowserForm* p) { PaneKey(p, VK_F4, 0); }},
    {ShortCut(VK_F4, scShift), TKeyScope::Pane, [](TMainForm& f, TBrowserForm*) { f.EditNamedFile(); }},
    {ShortCut(VK_F5), TKeyScope::Pane,
     [](TMainForm& f, TBrowserForm* p) { Focused(p); f.CopyMoveFiles(opCopy, false); }},
    {ShortCut(VK_F5, scShift), TKeyScope::Pane,
     [](TMainForm& f, TBrowserForm* p) { Focused(p); f.CopyMoveFiles(opCopy, true); }},
    {ShortCut(VK_F6), TKeyScope::Pane,
     [](TMainForm& f, TBrowserForm* p) { Focused(p); f.CopyMoveFiles(opMove, false); }},
    {ShortCut(VK_F6, scShift), TKeyScope::Pane,
     [](TMainForm& f, TBrowserForm* p) { Focused(p); f.CopyMoveFiles(opMove, true); }},
    {ShortCut(VK_F7), TKeyScope::Pane, [](TMainForm& f, TBrowserForm* p) { Focused(p); f.btnMkDirClick(); }},
    {ShortCut(VK_F8), TKeyScope::Pane, [](TMainForm& f, TBrowserForm*) { f.DeleteFiles(false); }},
    {ShortCut(VK_DELETE), TKeyScope::Pane, [](TMainForm& f, TBrowserForm*) { f.DeleteFiles(false); }},
    {ShortCut(VK_F8, scShift), TKeyScope::Pane, [](TMainForm& f, TBrowserForm*) { f.DeleteFiles(true); }},
    {ShortCut(VK_DELETE, scShift), TKeyScope::Pane, [](TMainForm& f, TBrowserForm*) { f.DeleteFiles(true); }},
    {ShortCut(VK_RETURN, scAlt), TKeyScope::Pane, [](TMainForm&, TBrowserForm* p) { PaneKey(p, VK_RETURN, ssAlt); }},
    {ShortCut(VK_F1, scCtrl), TKeyScope::Pane, [](TMainForm& f, TBrowserForm*) { f.btnSetModeBriefClick(1); }},
    {ShortCut(VK_F2, scCtrl), TKeyScope::Pane, [](TMainForm& f, TBrowserForm*) { f.btnSetModeBriefClick(2); }},
    {ShortCut(VK_F3, scCtrl), TKeyScope::Pane, [](TMainForm&, TBrowserForm* p) { p->ChangeSortColumn(0); }},
    {ShortCut(VK_F4, scCtrl), TKeyScope::Pane, [](TMainForm&, TBrowserForm* p) { p->ChangeSortColumn(1); }},
    {ShortCut(VK_F5, scCtrl), TKeyScope::Pane, [](TMainForm&, TBrowserForm* p) { p->ChangeSortColumn(3); }},
    {ShortCut(VK_F6, scCtrl), TKeyScope::Pane, [](TMainForm&, TBrowserForm* p) { p->ChangeSortColumn(2); }},
};

// The last character typed into the quick search, refused when it finds
// nothing: the text before it comes back.
// The ring's texts, newest first, as the combo's history.
void FillHistory(TComboBox& combo, const TOrv_RingList& ring) {
  TStringList items;
  ring.GetItems(items);
  for (const std::string& s : items) combo.Items.Add(s);
  if (items.Count()) combo.SetText(items[0]);
}

}  // namespace

bool TMainForm::CommandsHeld() const { return ToolBusy != 0 || PluginRunning == 1; }

TBrowserForm* TMainForm::ActivePaneForm() const {
  auto* pane = dynamic_cast<TBrowserForm*>(ActivePanel);
  return pane && IsPane(pane) && pane->Visible() ? pane : nullptr;
}

void TMainForm::FocusSidePane() {
  TForm* pane = ToolsInRightSide ? LeftBrowser : RightBrowser;
  if (auto* browser = dynamic_cast<TBrowserForm*>(pane); browser && browser->Showing()) browser->sgBrowser->SetFocus();
}

void TMainForm::FormShortCut(TShortCut sc, bool& handled) {
  // A job or a plug-in holds the one walk and the lists.
  if (CommandsHeld()) {
    handled = true;
    return;
  }
  TBrowserForm* pane = ActivePaneForm();
  for (const TKeyRow& row : kKeyTable) {
    if (row.key != sc) continue;
    if (row.scope == TKeyScope::NoPane && IsPane(ActivePanel)) continue;
    if (row.scope == TKeyScope::Pane && !pane) continue;
    handled = true;
    row.run(*this, pane);
    return;
  }
  const WORD key = sc & 0xFF;
  if (pane && (sc & scCtrl) && (sc & scShift) && !(sc & scAlt) && key >= '0' && key <= '9') {
    handled = true;
    const size_t index = size_t(key - '0');
    if (PluginList && index < PluginList->Count()) mnuPlugins->Item(index + 3)->Click();
    return;
  }
  if ((pane && OpenQuickSearch(pane, sc)) || DropMenuByKey(sc)) handled = true;
}

bool TMainForm::OpenQuickSearch(TBrowserForm* pane, TShortCut sc) {
  const bool alt = (sc & scAlt) && !(sc & scCtrl) && (GeneralCheckContainer & OptSearchAlt);
  const bool ctrlAlt = (sc & scAlt) && (sc & scCtrl) && (GeneralCheckContainer & OptSearchCtrlAlt);
  if (!alt && !ctrlAlt) return false;
  const std::string typed = KeyCharacters(sc & 0xFF);
  if (typed.size() != 1 || static_cast<unsigned char>(typed[0]) < 0x20) return false;
  TPanel* side = pane->Parent() == pnlLeft ? pnlLeft : pnlRight;
  pnlSearch->SetBounds(side->Left() + pnlModes->Left(), pnlMain->Top() + pnlModes->Height() - pnlSearch->Height(),
                       pnlSearch->Width(), pnlSearch->Height());
  searchPane_ = pane;
  edSearch->SetText("");
  pnlSearch->Show();
  SetWindowPos(pnlSearch->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  edSearch->SetFocus();
  SendMessageA(edSearch->Handle(), WM_CHAR, static_cast<unsigned char>(typed[0]), 0);
  return true;
}

void TMainForm::edSearchEnter() {
  for (TControl* c : tbMenu->Controls()) c->SetEnabled(false);
  edSearch->SelectAll();
}

void TMainForm::edSearchExit() {
  for (TControl* c : tbMenu->Controls()) c->SetEnabled(true);
  pnlSearch->Hide();
}

void TMainForm::edSearchKeyPress(char& key) {
  if (static_cast<unsigned char>(key) < 0x20 || !searchPane_) return;
  std::string text = edSearch->Text();
  DWORD from = 0, to = 0;
  SendMessageA(edSearch->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  text.replace(std::min<size_t>(from, text.size()), to > from ? to - from : 0, 1, key);
  if (searchPane_->FindFirstByText(text) == 0) key = 0;
}

void TMainForm::edSearchChange() {
  TBrowserForm* pane = searchPane_;
  if (!pane || !pnlSearch->Visible()) return;
  const int32_t found = pane->FindFirstByText(edSearch->Text());
  if (found <= 0) return;
  const bool upRow = (pane->Mode == PaneBrief || pane->Mode == PaneFull) && GetDirLevel(1, *pane->FolderList) != 0;
  const int32_t row = found - 1 + (upRow ? 1 : 0);
  pane->MoveTo(row, 0, 0);
  if (pane->Mode == PaneBasket && pane->BasketMode == 1) pane->UpdateStatus(row);
}

// The keys of the quick search while it is shown; true when used up.
bool TMainForm::SearchKeyDown(WORD& key) {
  TBrowserForm* pane = searchPane_;
  if (!pane) return false;
  switch (key) {
    case VK_DOWN:
    case VK_UP:
      pane->FindNextByText(edSearch->Text(), key == VK_UP);
      key = 0;
      return true;
    case VK_ESCAPE:
    case VK_TAB:
    case VK_LEFT:
    case VK_RIGHT:
      pane->sgBrowser->SetFocus();
      key = 0;
      return true;
    case VK_RETURN:
    case VK_F8:
    case VK_DELETE:
      pane->sgBrowser->SetFocus();
      PostMessageA(pane->sgBrowser->Handle(), WM_KEYDOWN, key, 0);
      key = 0;
      return true;
    case VK_F3:
    case VK_F4: {
      WORD k = key;
      pane->sgBrowserKeyDown(k, 0);
      key = 0;
      return true;
    }
    default:
      return false;
  }
}

void TMainForm::FormKeyDown(WORD& key, unsigned shift) {
  if (CommandsHeld()) {
    if (key == VK_ADD || key == VK_SUBTRACT || key == VK_F10 || key == VK_F12 ||
        ((key == VK_F1 || key == VK_F2) && (shift & ssAlt)))
      key = 0;
    return;
  }
  if (pnlSearch->Visible() && edSearch->Focused()) {
    SearchKeyDown(key);
    return;
  }
  TBrowserForm* pane = ActivePaneForm();
  const bool ctrl = shift & ssCtrl;
  if ((key == VK_ADD || key == VK_SUBTRACT) && pane && pane->Mode != PaneTree && !(shift & (ssAlt | ssShift))) {
    const bool select = key == VK_ADD;
    key = 0;
    if (ctrl) {
      ChangeSelectionOfAll(*pane, select);
    } else {
      SelectGroup(*pane, select);
    }
    return;
  }
  if ((key == VK_F1 || key == VK_F2) && shift == ssAlt) {
    auto* side = dynamic_cast<TBrowserForm*>(key == VK_F1 ? LeftBrowser : RightBrowser);
    key = 0;
    if (side && side->Showing()) {
      side->cmbDrives->Show();
      side->cmbDrives->SetFocus();
      SendMessageA(side->cmbDrives->Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    }
    return;
  }
  if (key == VK_F10 && shift == ssCtrl) {
    key = 0;
    mnuAllFilesClick();
    return;
  }
  if (key == VK_F12 && shift == ssCtrl) {
    key = 0;
    if (pane) CustomMask(*pane);
  }
}

// The menu's mark commands work on the pane last used, even from a tool:
// its grid takes the focus, and the key goes to FormKeyDown.
void TMainForm::MarkCommand(WORD vk, bool ctrl) {
  TBrowserForm* pane = ActivePaneForm();
  if (!pane && ActivePane && IsPane(ActivePane) && ActivePane->Showing()) pane = ActivePane;
  if (!pane) return;
  pane->sgBrowser->SetFocus();
  ActivePanel = pane;
  WORD key = vk;
  FormKeyDown(key, ctrl ? unsigned(ssCtrl) : 0u);
}

void TMainForm::RecountPane(TBrowserForm& pane) {
  UpdateListTotals(pane.ShownList());
  pane.sgBrowser->Invalidate();
  pane.UpdateStatus(-1);
  UpdateStartAction();
}

void TMainForm::SelectGroup(TBrowserForm& pane, bool select) {
  TStandardQuery query(Handle());
  query.SetCaption(Tx(select ? TextSelectFiles : TextUnselectFiles));
  query.edInfo->Hide();
  query.cbForSelectFiles->Show();
  query.lblInfo->SetCaption(Tx(select ? TextSelectFiles : TextUnselectFiles));
  FillHistory(*query.cbForSelectFiles, MaskSelectionRing);
  if (query.cbForSelectFiles->Text().empty()) query.cbForSelectFiles->SetText("*.*");
  if (query.ShowModal() != mrOk) return;
  const std::string masks = query.cbForSelectFiles->Text();
  MaskSelectionRing.AddText(masks);
  TstateOfBrowser& list = pane.ShownList();
  for (uint32_t d = 1; int64_t(d) <= list.DirCount; ++d) SelectByMask(d, masks, select, list);
  RecountPane(pane);
}

void TMainForm::ChangeSelectionOfAll(TBrowserForm& pane, bool select) {
  TstateOfBrowser& list = pane.ShownList();
  const bool folders = !(GeneralCheckContainer & OptMaskSkipsFolders);
  for (uint32_t d = 1; int64_t(d) <= list.DirCount; ++d) ChangeDirSelection(d, list, folders, select ? SelSet : SelClear);
  RecountPane(pane);
}

void TMainForm::CustomMask(TBrowserForm& pane) {
  TStandardQuery query(Handle());
  query.SetCaption(Tx(TextEnterFileTypes));
  query.lblInfo->SetCaption(Tx(TextEnterFileTypes));
  query.edInfo->Hide();
  query.cbForSelectFiles->Show();
  FillHistory(*query.cbForSelectFiles, BrowserFiltersRing);
  query.cbForSelectFiles->SetText(pane.FolderList->MaskText);
  if (query.ShowModal() != mrOk) return;
  SetPaneMask(pane, query.cbForSelectFiles->Text());
  BrowserFiltersRing.AddText(pane.FolderList->MaskText);
}

void TMainForm::SetPaneMask(TBrowserForm& pane, const std::string& mask) {
  pane.FolderList->MaskText = mask;
  if (pane.FolderList->MaskList) ParseFilterList(mask, *pane.FolderList->MaskList);
  RefreshPanes();
}

void TMainForm::mnuAllFilesClick() {
  TBrowserForm* pane = ActivePaneForm();
  if (!pane || pane->FolderList->MaskText == "*.*") return;
  SetPaneMask(*pane, "*.*");
}

void TMainForm::btnSetModeBriefClick(intptr_t tag) {
  TBrowserForm* pane = ActivePaneForm();
  if (!pane) return;
  if (pane->Mode == PaneBasket) {
    if (tag == 3) return;
    pane->SetBasketMode(static_cast<int>(tag));
    return;
  }
  pane->SetMode(static_cast<int>(tag));
}

void TMainForm::btnInvertSelClick() {
  if (TBrowserForm* pane = ActivePaneForm()) PaneKey(pane, VK_MULTIPLY, 0);
}

void TMainForm::btnClearBasketClick() {
  FreeFileList(Basket);
  InitFileList(Basket, 10, 300, "*.*", 10000);
  Basket.SortKind = SortByNameOnly;
  AttachBasketView(ModeLeftView, true, Basket);
  AttachBasketView(ModeSecondMark, true, Basket);
  UpdateListTotals(LeftBasketView);
  UpdateListTotals(RightBasketView);
  RefreshPanes();
}

void TMainForm::bottomButtonsClick(intptr_t tag) {
  TBrowserForm* pane = ActivePaneForm();
  switch (tag) {
    case 1:
      if (pane) PaneKey(pane, VK_F3, 0);
      break;
    case 2:
      if (pane) PaneKey(pane, VK_F4, 0);
      break;
    case 3:
      CopyMoveFiles(opCopy, false);
      break;
    case 4:
      CopyMoveFiles(opMove, false);
      break;
    case 6:
      DeleteFiles(false);
      break;
    case 7:
      Close();
      break;
    default:
      break;
  }
}

void TMainForm::GeneralMenuChange() {
  TBrowserForm* pane = ActivePaneForm();
  uint32_t dir = 0, pos = 0;
  mnuProperties->Enabled = pane && pane->GetCurrentItem(dir, pos);
  if (!pane) return;
  const TstateOfBrowser& list = pane->ShownList();
  const bool all = pane->FolderList->MaskText == "*.*";
  mnuAllFiles->Checked = all;
  mnuCustom->Checked = !all;
  const uint32_t kind = list.SortKind & 7;
  mnuSortName->Checked = kind == 0;
  mnuSortExt->Checked = kind == 1;
  mnuSortSize->Checked = kind == 2;
  mnuSortDate->Checked = kind == 3;
  mnuSortRevers->Checked = (list.SortKind & SortReverse) != 0;
  mnuBrief->Checked = btnSetModeBrief->Down();
  mnuFull->Checked = btnSetModeFull->Down();
}

void TMainForm::SortMenuClick(intptr_t tag) {
  static constexpr int kColumns[] = {0, 1, 3, 2, -1};
  if (TBrowserForm* pane = ActivePaneForm(); pane && tag >= 1 && tag <= 5) pane->ChangeSortColumn(kColumns[tag - 1]);
}

void TMainForm::NetworkDriveClick(bool connect) {
  const DWORD code = connect ? WNetConnectionDialog(Handle(), RESOURCETYPE_DISK)
                             : WNetDisconnectDialog(Handle(), RESOURCETYPE_DISK);
  // The user's cancel comes back as -1 from both dialogs.
  if (code == NO_ERROR || code == DWORD(-1)) return;
  std::string text;
  ShowSystemError(true, code, text, "", Caption(), Handle());
}

void TMainForm::actOptionsExecute() { ShowOptionsDialog(); }

void TMainForm::ShowHelpTopic(const char* topic) {
  CallHtmlHelp(Handle(), (HelpFileName + topic).c_str(), HH_DISPLAY_TOPIC_COMMAND, 0);
}

void TMainForm::actHelpExecute() {
  if (!ShowToolHelp(CurrentMode)) ShowHelpTopic(TopicBrowser);
}

void TMainForm::SpecialFolderClick(intptr_t tag) {
  static constexpr int kFolders[] = {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_FAVORITES};
  if (tag < 1 || tag > 3) return;
  TBrowserForm* pane = popupOwner_ ? popupOwner_ : ActivePaneForm();
  popupOwner_ = nullptr;
  char path[MAX_PATH] = "";
  if (!pane || FAILED(SHGetFolderPathA(Handle(), kFolders[tag - 1], nullptr, SHGFP_TYPE_CURRENT, path))) return;
  pane->OpenFolder(path, "");
}

void TMainForm::BindKeysAndMenus() {
  KeyPreview = true;
  OnShortCut = [this](TShortCut sc, bool& handled) { FormShortCut(sc, handled); };
  OnKeyDown = [this](WORD& key, unsigned shift) { FormKeyDown(key, shift); };
  // Held while a job or a plug-in runs; Help stays open to the user.
  const auto held = [this](std::function<void()> run) {
    return [this, run] {
      if (!CommandsHeld()) run();
    };
  };
  for (TMenuItem* menu : {mnuFile, mnuView, mnuMark, mnuShow}) menu->OnPopup = [this] { GeneralMenuChange(); };
  mnuRereadSource->OnClick = held([this] { RefreshPanes(); });
  mnuConDrive->OnClick = held([this] { NetworkDriveClick(true); });
  mnuDisConDrive->OnClick = held([this] { NetworkDriveClick(false); });
  mnuProperties->OnClick = held([this] {
    if (TBrowserForm* pane = ActivePaneForm()) PaneKey(pane, VK_RETURN, ssAlt);
  });
  mnuOptions->OnClick = held([this] { actOptionsExecute(); });
  btnOptions->OnClick = mnuOptions->OnClick;
  mnuMainToolbar->OnClick = held([this] {
    LayoutOptions ^= LayoutMainToolbar;
    ApplyLayoutOptions();
  });
  mnuToolsToolbar->OnClick = held([this] {
    pnlTools->SetVisible(!pnlTools->Visible());
    mnuToolsToolbar->Checked = pnlTools->Visible();
    ControlBarMain->ArrangeBands();
  });
  const auto markKey = [this, held](WORD vk, bool ctrl) { return held([this, vk, ctrl] { MarkCommand(vk, ctrl); }); };
  mnuSelGroup->OnClick = markKey(VK_ADD, false);
  mnuUnselGr->OnClick = markKey(VK_SUBTRACT, false);
  mnuSelAll->OnClick = markKey(VK_ADD, true);
  mnuUnselAll->OnClick = markKey(VK_SUBTRACT, true);
  mnuInvertSel->OnClick = held([this] { btnInvertSelClick(); });
  btnInvertSel->OnClick = mnuInvertSel->OnClick;
  for (TMenuItem* item : {mnuBrief, mnuFull}) item->OnClick = held([this, item] { btnSetModeBriefClick(item->Tag); });
  for (TSpeedButtonNew* b : {btnSetModeBrief, btnSetModeFull}) b->OnClick = held([this, b] { btnSetModeBriefClick(b->Tag); });
  mnuAllFiles->OnClick = held([this] { mnuAllFilesClick(); });
  mnuCustom->OnClick = markKey(VK_F12, true);
  for (TMenuItem* item : {mnuSortName, mnuSortExt, mnuSortDate, mnuSortSize, mnuSortRevers})
    item->OnClick = held([this, item] { SortMenuClick(item->Tag); });
  btnClearBasket->OnClick = held([this] { btnClearBasketClick(); });
  for (TPylBitBtn* b : {btnViewF3, btnEdit, btnCopy, btnRenMove, btnMkDir, btnDelete, btnExit})
    b->OnClick = held([this, b] { bottomButtonsClick(b->Tag); });
  btnRJumpToRoot->OnClick = held([this] {
    if (TBrowserForm* pane = ActivePaneForm()) pane->btnRJumpToRootClick();
  });
  btnRUpOneLevel->OnClick = held([this] {
    if (TBrowserForm* pane = ActivePaneForm()) pane->btnRUpOneLevelClick();
  });
  popFavoritesFolders.OnPopup = [this] {
    POINT p;
    GetCursorPos(&p);
    popupOwner_ = nullptr;
    for (TForm* f = TForm::FormOf(WindowFromPoint(p)); f; f = f->ParentForm())
      if (IsPane(f)) popupOwner_ = static_cast<TBrowserForm*>(f);
  };
  for (TMenuItem* item : {MenuItem1, MenuItem2, MenuItem3})
    item->OnClick = held([this, item] { SpecialFolderClick(item->Tag); });
  actHelp->OnExecute = [this] { actHelpExecute(); };
  actHelpContents->OnExecute = [this] { ShowHelpTopic(TopicContents); };
  mnuWhatIsPlugin->OnClick = [this] { ShowHelpTopic(TopicPlugins); };
  mnuGetNewPlugins->OnClick = [] { OpenWebPage(PagePlugins); };
  mnuTutorials->OnClick = [] { OpenWebPage(PageTutorials); };
  mnuHomePage->OnClick = [] { OpenWebPage(PageHome); };
  mnuFeedbackAndTechnicalSupport->OnClick = [] { OpenWebPage(PageSupport); };
  edSearch->OnEnter = [this] { edSearchEnter(); };
  edSearch->OnExit = [this] { edSearchExit(); };
  edSearch->OnKeyPress = [this](char& key) { edSearchKeyPress(key); };
  edSearch->OnChange = [this] { edSearchChange(); };
}
