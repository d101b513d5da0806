#include "windows/StartOperation.h"

#include <algorithm>

#include "core/FileUtils.h"
#include "core/Selection.h"
#include "core/SharedTexts.h"
#include "core/translator.h"
#include "framework/Cursors.h"
#include "framework/Dialogs.h"
#include "windows/BasketList.h"
#include "windows/ViewProcess.h"

bool NameHasNoWildcards(const std::string& name) {
  return !name.empty() && name.find_first_of("?*") == std::string::npos;
}

bool ParseTarget(const std::string& target, std::string& folder, std::string& name,
                 const TOperationWarning& warn) {
  std::string text = target;
  std::replace(text.begin(), text.end(), '/', '\\');
  const size_t slash = text.rfind('\\');
  name = slash == std::string::npos ? text : text.substr(slash + 1);
  folder = slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
  const std::string& root = PluginStructure.RootPath;
  bool valid = true;
  // Only a drive letter or two leading backslashes (a server) make a folder
  // part absolute: b\ is the pane's b, never one in the current folder.
  const bool absolute = (folder.size() > 1 && folder[1] == ':') || folder.rfind("\\\\", 0) == 0;
  if (!folder.empty() && !absolute) {
    // Relative: to the folder the pane shows; a lone leading backslash
    // means that folder's drive root. The basket shows no one folder.
    if (root.empty())
      valid = false;
    else if (folder[0] == '\\')
      folder = root.substr(0, 2) + folder;
    else
      folder = JoinPath(root, folder);
  }
  if (valid && !folder.empty()) valid = IsDirectory(folder);
  if (!valid) {
    if (warn) warn(FormatTx(TextInvalidTarget, {slash == std::string::npos ? text : text.substr(0, slash + 1)}));
    return false;
  }
  if (!NameHasNoWildcards(name)) return true;
  // A name that is a folder is the target folder; a bare name only where
  // the pane shows a folder.
  const std::string base = folder.empty() ? (root.empty() ? std::string() : JoinPath(root, ""))
                                          : folder;
  if ((!folder.empty() || !root.empty()) && IsDirectory(base + name)) {
    folder = base + name + "\\";
    name.clear();
  }
  return true;
}

TFileOperation::~TFileOperation() {
  Thread.reset();
  if (BasketWork.Names) FreeFileList(BasketWork);
}

bool PrepareFileOperation(const std::string& target, uint32_t code, const TOperationWarning& warn,
                          TFileOperation& op) {
  TPluginStructure& walk = PluginStructure;
  if (!walk.List) return false;
  TstateOfBrowser& list = *walk.List;
  std::string folder, name;
  if (code == opCopy || code == opMove) {
    if (!ParseTarget(target, folder, name, warn)) return false;
    if (list.SelectedCount > 1 && NameHasNoWildcards(name)) {
      if (warn) warn(Tx(TextOneFileTarget));
      return false;
    }
    if (list.SelectedCount <= 1 && target.find_first_of("\\/") == std::string::npos) {
      op.MovesCursor = true;
      op.CursorName = ApplyNameMask(name, GetFirstSelectedName(list));
    }
  }
  op.Code = code;
  op.Thread = std::make_unique<TOperationThread>();
  TOperations& t = *op.Thread;
  t.Code = code;
  int64_t files = 0;
  {
    // Only the sizing, which may walk large folders, shows the hourglass:
    // a refusal's box is never shown under it.
    THourglassCursor wait;
    t.TotalBytes = GetSelectionSize(files, list, code != opRemoveFromBasket);
  }
  t.TotalFiles = uint32_t(files);
  if (code == opMove) {
    t.SameDrive = folder.empty() || SameDrive(walk.RootPath, folder);
    if (t.SameDrive) t.TotalFiles = uint32_t(list.SelectedCount);
  }
  if (code == opSendToBasket) {
    CopyListState(op.BasketWork, Basket);
    t.BasketWork = &op.BasketWork;
  }
  if (code == opRemoveFromBasket) t.TotalFiles = uint32_t(list.SelectedCount);
  const uint32_t options = GeneralCheckContainer;
  t.AnswerBits = (options & OptConfirmReadOnly ? 0 : abReadOnlyYes) |
                 (options & OptConfirmHidden ? 0 : abHiddenYes) |
                 (options & OptDeleteNonEmpty ? abFoldersYes : 0);
  t.TargetPolicy = options & OptConfirmOverwrite ? tpAsk : tpOverwrite;
  t.TargetFolder = folder;
  t.NameMask = name;
  t.SetPriority(THREAD_PRIORITY_NORMAL);
  return true;
}

void LaunchFileOperation(TFileOperation& op) {
  ToolBusy = 1;
  op.Thread->Resume();
}

void FinishFileOperation(TFileOperation& op) {
  op.Thread.reset();
  if (op.Code == opSendToBasket && op.BasketWork.Names) ReplaceBasketWith(op.BasketWork);
  if (op.MovesCursor && PluginStructure.List) PluginStructure.List->CursorName = op.CursorName;
}

namespace {

HWND MainWindow() {
  TForm* main = Application().MainForm;
  return main ? main->Handle() : nullptr;
}

std::string MainCaption() {
  TForm* main = Application().MainForm;
  return main ? main->Caption() : Application().Title;
}

int OperationNameText(uint32_t code) {
  switch (code) {
    case opDelete: return TextDeleteName;
    case opMove: return TextMoveName;
    case opSendToBasket: return TextSendName;
    case opRemoveFromBasket: return TextRemoveName;
    default: return TextCopyName;
  }
}

// A third of the free height above it, centred across the main window.
void PlaceOverMainWindow(TForm& form) {
  RECT m;
  if (!MainWindow() || !GetWindowRect(MainWindow(), &m)) return;
  form.SetBounds(m.left + ((m.right - m.left) - form.Width()) / 2,
                 m.top + ((m.bottom - m.top) - form.Height()) / 3, form.Width(), form.Height());
}

}  // namespace

void StartFileOperation(const std::string& target, uint32_t code) {
  const std::string caption = MainCaption();
  auto warn = [&](const std::string& text) { ShowMessageBox(MainWindow(), text, caption, MB_OK | MB_ICONWARNING); };
  TFileOperation op;
  if (!PrepareFileOperation(target, code, warn, op)) return;
  const std::string savedTitle = Application().Title;
  {
    TCopyConfirmationForm confirmation;
    TViewProcess view(&confirmation);
    view.SetCaption(caption);
    view.lblOperation->SetCaption(Tx(OperationNameText(code)));
    if (code == opDelete || code == opSendToBasket || code == opRemoveFromBasket) view.HideTargetLine();
    view.lblCurrentFile->SetCaption("");
    view.lblCopyTo->SetCaption("");
    PlaceOverMainWindow(view);
    TOperations& thread = *op.Thread;
    thread.View = &view;
    thread.Caption = caption;
    thread.ProgressWindow = view.Handle();
    view.Thread = &thread;
    LaunchFileOperation(op);
    view.ShowModal();
    // The thread has ended (its close, or the stop that Cancel waited for):
    // it goes before the windows it reported to.
    op.Thread.reset();
  }
  Application().Title = savedTitle;
  FinishFileOperation(op);
}
