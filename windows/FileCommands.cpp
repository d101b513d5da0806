// The main window's file commands: copy and move with their target query,
// delete with its warning, make a folder, edit a named file, the status
// selections, the basket list file and send to basket.
#include <string>

#include "core/FileUtils.h"
#include "core/Formats.h"
#include "core/ListLock.h"
#include "core/Selection.h"
#include "core/SharedTexts.h"
#include "core/ShellActions.h"
#include "core/ToolRegistry.h"
#include "core/translator.h"
#include "framework/Cursors.h"
#include "framework/Dialogs.h"
#include "framework/StdCtrls.h"
#include "framework/SystemError.h"
#include "windows/BasketList.h"
#include "windows/FormBrowser.h"
#include "windows/MainForm.h"
#include "windows/StandardQuery.h"
#include "windows/StartOperation.h"
#include "windows/TabOrder.h"

namespace {

// The pane that the walk of a command takes (the active one, or the one
// beside a focused tool), or nil when it is hidden.
TBrowserForm* CommandPane(TMainForm& form) { return dynamic_cast<TBrowserForm*>(form.GetActivePane()); }

// The command pane when it shows a folder, not the tree or the basket.
TBrowserForm* FolderPane(TMainForm& form) {
  TBrowserForm* pane = CommandPane(form);
  return pane && (pane->Mode == PaneBrief || pane->Mode == PaneFull) ? pane : nullptr;
}

// Every command that began a walk ends it the same way.
void EndFileCommand(TMainForm& form) {
  EndListOperation();
  form.RefreshPanes();
  form.UpdateStartAction();
}

// A delete from a Shift key goes to the recycle bin whatever the options
// say; the user's word comes back afterwards.
class TRecycleScope {
 public:
  explicit TRecycleScope(bool force) : saved_(GeneralCheckContainer) {
    if (force) GeneralCheckContainer |= OptRecycle;
  }
  ~TRecycleScope() { GeneralCheckContainer = saved_; }
  TRecycleScope(const TRecycleScope&) = delete;
  TRecycleScope& operator=(const TRecycleScope&) = delete;

 private:
  uint32_t saved_;
};

// "<lead><what><tail>", where what is the count of the selection or the
// one entry's name, the name cut to the room the rest of the line leaves.
std::string SelectionQuestion(const std::string& lead, const std::string& tail, TstateOfBrowser& list,
                              const TLabel& label, int room) {
  if (list.SelectedCount != 1) return lead + FormatTx(TextFileCount, {list.SelectedCount}) + tail;
  const int what = list.SelectedFiles != 1 ? TextFolderWhat : TextFileWhat;
  int width = 0, height = 0;
  GetTextSize(label.Font().Handle(), lead + FormatTx(what, {""}) + tail, width, height);
  std::string fitted;
  FitTextToWidth(label.Font().Handle(), GetFirstSelectedName(list), room - width, fitted);
  return lead + FormatTx(what, {fitted}) + tail;
}

// Browse and OK change places, and the buttons go below the check box.
void LayOutForTarget(TStandardQuery& q) {
  const int okLeft = q.btnOK->Left();
  q.btnOK->SetLeft(q.btnBrowse->Left());
  q.btnBrowse->SetLeft(okLeft);
  q.btnBrowse->Show();
  PlaceInTabOrder(*q.btnBrowse, q.btnOK->Handle());  // Tab follows the new order too
  q.chkSend->Show();
  const int top = 2 * q.chkSend->Top() + q.chkSend->Height() - q.edInfo->Top() - q.edInfo->Height();
  const int moved = top - q.btnOK->Top();
  for (TButton* b : {q.btnOK, q.btnBrowse, q.btnCancel}) b->SetTop(top);
  q.SetClientSize(q.ClientWidth(), q.ClientHeight() + moved);
}

// No edit; the warning icon before the question; OK and Cancel centred
// further apart, OK focused. The check box only for basket entries.
void LayOutAsWarning(TStandardQuery& q, bool basket) {
  q.SetCaption(Tx(TextWarning));
  q.edInfo->Hide();
  q.chkSend->SetCaption(Tx(TextDeleteFromDisk));
  q.chkSend->SetTop(48);
  q.chkSend->SetVisible(basket);
  q.lblInfo->SetBounds(55, 15, q.lblInfo->Width(), q.lblInfo->Height());
  auto* icon = new TSystemIcon(&q, IDI_WARNING);
  icon->SetBounds(10, 10, icon->Width(), icon->Height());
  TButton& ok = *q.btnOK;
  TButton& cancel = *q.btnCancel;
  const int gap = 3 * (cancel.Left() - ok.Left() - ok.Width());
  const int top = basket ? q.chkSend->Height() + 52 : 45;
  const int moved = top - ok.Top();
  const int left = (q.ClientWidth() - ok.Width() - gap - cancel.Width()) / 2;
  ok.SetBounds(left, top, ok.Width(), ok.Height());
  cancel.SetBounds(left + ok.Width() + gap, top, cancel.Width(), cancel.Height());
  q.SetClientSize(q.ClientWidth(), q.ClientHeight() + moved);
  q.ActiveControl = q.btnOK;
}

// One line asked under the main window's caption; false when cancelled.
bool AskForName(TMainForm& form, int question, std::string& name) {
  TStandardQuery query(form.Handle());
  query.SetCaption(form.Caption());
  query.lblInfo->SetCaption(Tx(question));
  query.ActiveControl = query.edInfo;
  if (query.ShowModal() != mrOk) return false;
  name = query.edInfo->Text();
  return true;
}

// Reads or writes the basket list file under the hourglass and tells the
// system's reason when it fails.
void BasketListFileStep(TMainForm& form, const std::string& file, bool (*step)(const std::string&, DWORD&)) {
  DWORD error = 0;
  bool done;
  {
    THourglassCursor wait;
    done = step(file, error);
  }
  std::string text;
  if (!done) ShowSystemError(true, error, text, file, form.Caption(), form.Handle());
}

}  // namespace

void TMainForm::CopyMoveFiles(uint32_t code, bool sameFolder) {
  if (CommandsHeld() || !BeginSelectionWalk(CheckSelected)) return;
  TBrowserForm* pane = CommandPane(*this);
  TBrowserForm* other = pane == LeftBrowser ? RightBrowser : LeftBrowser;
  TstateOfBrowser& list = *PluginStructure.List;
  const bool fromBasket = pane->Mode == PaneBasket;
  const bool toBasket = other->Mode == PaneBasket;
  TStandardQuery query(Handle());
  query.SetCaption(Caption());
  LayOutForTarget(query);
  const std::string name = list.SelectedCount == 1 ? GetFirstSelectedName(list) : "*.*";
  if (sameFolder)
    query.edInfo->SetText(name);
  else if (!toBasket)
    query.edInfo->SetText(JoinPath(ShownEntryDirPath(1, other->OwnList()), list.SelectedFiles == 1 ? name : "*.*"));
  query.chkSend->SetVisible(!fromBasket);
  query.chkSend->SetChecked(!fromBasket && toBasket && !sameFolder);
  query.chkSendClick();
  query.lblInfo->SetCaption(SelectionQuestion(Tx(code == opCopy ? TextCopyLead : TextMoveLead), Tx(TextToTail), list, *query.lblInfo,
                                              query.ClientWidth() - 25));
  query.ActiveControl = query.edInfo;
  if (query.ShowModal() == mrOk) {
    StartFileOperation(query.edInfo->Text(), query.chkSend->Checked() ? opSendToBasket : code);
  } else if (PluginStructure.AutoMarked) {
    pane->MarkCurrent(false);
  }
  EndFileCommand(*this);
}

void TMainForm::DeleteFiles(bool toRecycleBin) {
  if (CommandsHeld() || !IsPane(ActivePanel)) return;
  TRecycleScope recycle(toRecycleBin);
  if (!BeginSelectionWalk(CheckSelected)) return;
  TBrowserForm* pane = CommandPane(*this);
  TstateOfBrowser& list = *PluginStructure.List;
  const bool basket = pane->Mode == PaneBasket;
  TStandardQuery query(Handle());
  LayOutAsWarning(query, basket);
  query.lblInfo->SetCaption(SelectionQuestion(Tx(basket ? TextRemoveLead : TextDeleteLead), basket ? Tx(TextFromBasketTail) : "?", list, *query.lblInfo,
                                              query.ClientWidth() - 65));
  if (query.ShowModal() == mrOk) {
    // A name no entry has: the cursor keeps its row instead of following
    // an entry that is gone.
    list.CursorName = "\x01";
    StartFileOperation("", basket && !query.chkSend->Checked() ? opRemoveFromBasket : opDelete);
  } else if (PluginStructure.AutoMarked) {
    pane->MarkCurrent(false);
  }
  EndFileCommand(*this);
}

void TMainForm::btnMkDirClick() {
  TBrowserForm* pane = CommandsHeld() ? nullptr : FolderPane(*this);
  std::string name;
  if (!pane || !AskForName(*this, TextNewDirectory, name)) return;
  if (!CreateSubfolder(name, *pane->FolderList)) {
    ShowMessageBox(Handle(), FormatTx(TextFolderNotCreated, {name}), Caption(), MB_OK | MB_ICONWARNING);
    return;
  }
  pane->FolderList->CursorName = name;
  RefreshPanes();
}

void TMainForm::EditNamedFile() {
  TBrowserForm* pane = CommandsHeld() ? nullptr : FolderPane(*this);
  std::string name;
  if (!pane || !AskForName(*this, TextFileNameToEdit, name)) return;
  SetLastError(ERROR_SUCCESS);
  if (EditNewFile(name, *pane->FolderList)) {
    pane->FolderList->CursorName = name;
  } else if (const DWORD error = GetLastError()) {
    // A name the file system refuses: said, not passed over in silence.
    std::string text;
    ShowSystemError(true, error, text, name, Caption(), Handle());
  }
  RefreshPanes();
}

void TMainForm::SelectByStatus(bool select, TFileStatus status) {
  TBrowserForm* pane = CommandsHeld() ? nullptr : CommandPane(*this);
  if (!pane) return;
  SelectEntriesByStatus(pane->ShownList(), select, status);
  RecountPane(*pane);
}

void TMainForm::mnuSaveBasketListClick() {
  if (CommandsHeld()) return;
  TSaveDialog dialog;
  dialog.Filter = "*.*|*.*";
  dialog.Options = ofOverwritePrompt | ofHideReadOnly | ofEnableSizing;
  if (!dialog.Execute(Handle())) return;
  BasketListFileStep(*this, dialog.FileName, SaveBasketList);
}

void TMainForm::mnuLoadBasketListClick() {
  if (CommandsHeld()) return;
  TOpenDialog dialog;
  dialog.Filter = "*.*|*.*";
  dialog.Options = ofFileMustExist | ofHideReadOnly | ofEnableSizing;
  if (!dialog.Execute(Handle())) return;
  BasketListFileStep(*this, dialog.FileName, LoadBasketList);
  RefreshPanes();
}

void TMainForm::SendToBasket() {
  if (CommandsHeld() || !BeginSelectionWalk(CheckSelected)) return;
  StartFileOperation("", opSendToBasket);
  EndFileCommand(*this);
}

void TMainForm::BindFileCommands() {
  mnuSelSuccessful->OnClick = [this] { SelectByStatus(true, fsSuccessful); };
  mnuSelUnchanged->OnClick = [this] { SelectByStatus(true, fsUnchanged); };
  mnuSelFailed->OnClick = [this] { SelectByStatus(true, fsFailed); };
  mnuSaveBasketList->OnClick = [this] { mnuSaveBasketListClick(); };
  mnuLoadBasketList->OnClick = [this] { mnuLoadBasketListClick(); };
  btnMkDir->OnClick = [this] { btnMkDirClick(); };
}
