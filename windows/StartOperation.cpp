#include "windows/StartOperation.h"

#include <algorithm>

#include "core/FileUtils.h"
#include "core/Selection.h"
#include "core/translator.h"
#include "windows/BasketList.h"

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
  if (!folder.empty() && folder[1] != ':' && folder[1] != '\\') {
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
    if (warn) warn(FormatTx(126, {slash == std::string::npos ? text : text.substr(0, slash + 1)}));
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
      if (warn) warn(Tx(125));
      return false;
    }
    if (list.SelectedCount <= 1 && target.find_first_of("\\/") == std::string::npos) {
      op.MovesCursor = true;
      op.CursorName = ApplyNameMask(name, GetFirstSelectedName(list));
    }
  }
  op.Thread = std::make_unique<TOperationThread>();
  TOperations& t = *op.Thread;
  t.Code = code;
  int64_t files = 0;
  t.TotalBytes = GetSelectionSize(files, list, code != opRemoveFromBasket);
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
  const bool toBasket = op.Thread && op.Thread->Code == opSendToBasket;
  op.Thread.reset();
  if (toBasket && op.BasketWork.Names) ReplaceBasketWith(op.BasketWork);
  if (op.MovesCursor && PluginStructure.List) PluginStructure.List->CursorName = op.CursorName;
}
