#include "windows/SelectionWalk.h"

#include <cstring>

#include "core/DirRegistry.h"
#include "core/ListLock.h"
#include "core/Selection.h"
#include "core/translator.h"

ISelectionHost* SelectionHost = nullptr;

namespace {

constexpr uint32_t kTextBlockSize = 1000;

TSelectedItem currentItem{};

// A walk that added to or removed from a basket refreshes every list at its
// end; one over a basket view recounts the views.
const bool endHookSet = (OnListOperationEnd = RefreshAfterListOperation, true);

TPluginStructure& Walk() { return PluginStructure; }

// The entry at the walk's position, or nil when the position is past the
// list, in a closed directory or outside the directory's run.
TFileRecord* EntryAtPosition() {
  TPluginStructure& w = Walk();
  if (!w.List || !w.LockedDirs || w.CurrentDir < 1 || int64_t(w.CurrentDir) > w.List->DirCount)
    return nullptr;
  const TDirRecord& d = w.LockedDirs[w.CurrentDir - 1];
  if (!(d.Flags & DirOpen) || w.CurrentPos < 1 || w.CurrentPos > d.FileCount) return nullptr;
  const uint32_t record = w.LockedOrder[d.FirstFile + w.CurrentPos - 1];
  if (record < 1 || record > d.FileCount) return nullptr;
  return &w.LockedFiles[d.FirstFile + record - 1];
}

bool GrowTextBlock(uint32_t needed) {
  TPluginStructure& w = Walk();
  if (needed <= w.TextBlockSize) return true;
  GlobalUnlock(w.TextBlock);
  HGLOBAL moved = GlobalReAlloc(w.TextBlock, needed, GMEM_MOVEABLE);
  if (moved) {
    w.TextBlock = moved;
    w.TextBlockSize = needed;
  }
  w.TextBlockPtr = static_cast<char*>(GlobalLock(w.TextBlock));
  return moved && w.TextBlockPtr;
}

// Folder and name back to back in the text block; a drive root gets its
// backslash there, since a copy is not read with the pool's conventions.
bool CopyIntoTextBlock(const char* folder, const char* name) {
  std::string path = folder;
  if (path.size() == 2 && path[1] == ':') path += '\\';
  const size_t nameLength = strlen(name);
  if (!GrowTextBlock(uint32_t(path.size() + nameLength + 2))) return false;
  char* block = Walk().TextBlockPtr;
  memcpy(block, path.c_str(), path.size() + 1);
  memcpy(block + path.size() + 1, name, nameLength + 1);
  currentItem.Folder = block;
  currentItem.Name = block + path.size() + 1;
  return true;
}

void LockList(TstateOfBrowser& list) {
  TPluginStructure& w = Walk();
  w.LockedOrder = static_cast<uint32_t*>(GlobalLock(list.OrderBlock));
  w.LockedFiles = static_cast<TFileRecord*>(GlobalLock(list.FileBlock));
  w.LockedDirs = static_cast<TDirRecord*>(GlobalLock(list.DirBlock));
  list.Names->Lock();
}

}  // namespace

void ResetSelectionWalk() {
  Walk().CurrentDir = 0;
  Walk().CurrentPos = 0;
}

bool BeginSelectionWalk(uint32_t checkFlags) {
  ISelectionPane* pane = SelectionHost ? SelectionHost->GetActivePane() : nullptr;
  if (!pane || Walk().TextBlock) return false;
  pane->StopIconThread();
  Basket.ModeFlags = pane->BasketView().ModeFlags;
  const int mode = pane->DisplayMode();
  TstateOfBrowser& list = mode == PaneBasket ? Basket : pane->OwnList();
  const std::string root =
      mode == PaneBrief || mode == PaneFull ? EntryDirPath(1, pane->OwnList()) : std::string();
  return BeginWalkOver(list, root, checkFlags, pane,
                       [](const std::string& text) { SelectionHost->ShowCheckMessage(text); });
}

bool BeginWalkOver(TstateOfBrowser& list, const std::string& rootPath, uint32_t checkFlags,
                   ISelectionPane* pane, const TCheckRefusal& refuse) {
  TPluginStructure& w = Walk();
  // A second begin would reset the locks and the text block of the first.
  if (w.TextBlock || !list.DirBlock || !list.FileBlock || !list.OrderBlock || !list.Names)
    return false;
  ResetSelectionWalk();
  w.TextBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kTextBlockSize);
  w.TextBlockPtr = w.TextBlock ? static_cast<char*>(GlobalLock(w.TextBlock)) : nullptr;
  w.TextBlockSize = kTextBlockSize;
  w.List = &list;
  w.RootPath = rootPath;
  if (w.TextBlockPtr) {
    list.Busy = 1;
    UpdateListTotals(list);
    list.Busy = 1;
    if (CheckSelection(checkFlags, pane, refuse)) {
      for (uint32_t d = 1; int64_t(d) <= list.DirCount; ++d) SetGroupSelection(d, 0, false, list);
      LockList(list);
      w.Changed = 0;
      return true;
    }
    list.Busy = 0;
    GlobalUnlock(w.TextBlock);
  }
  if (w.TextBlock) GlobalFree(w.TextBlock);
  w.TextBlock = nullptr;
  w.TextBlockPtr = nullptr;
  w.List = nullptr;
  return false;
}

bool CheckSelection(uint32_t checkFlags, ISelectionPane* pane, const TCheckRefusal& refuse) {
  TPluginStructure& w = Walk();
  TstateOfBrowser& list = *w.List;
  w.AutoMarked = 0;
  if (checkFlags & CheckNothing) return true;
  if (list.SelectedCount == 0 && pane) {
    w.AutoMarked = 1;
    pane->MarkCurrent(true);
    UpdateListTotals(list);
  }
  int message = 0;
  if (list.SelectedCount == 0)
    message = 39;
  else if ((checkFlags & CheckFolders) && list.SelectedFiles == list.SelectedCount)
    message = 23;
  else if ((checkFlags & CheckFiles) && list.SelectedFiles == 0)
    message = 24;
  if (!message) return true;
  if (refuse) refuse(Tx(message));
  if (w.AutoMarked && pane) {
    pane->MarkCurrent(false);
    UpdateListTotals(list);
  }
  return false;
}

TSelectedItem* NextSelectedItem(int mode) {
  TPluginStructure& w = Walk();
  if (!w.List || !w.LockedDirs) return nullptr;
  w.PreviousDir = w.CurrentDir;
  if (w.CurrentDir == 0) {
    w.CurrentDir = 1;
    w.CurrentPos = 1;
  } else {
    ++w.CurrentPos;
  }
  const uint32_t mark = PaneMark(*w.List);
  for (;;) {
    if (int64_t(w.CurrentDir) > w.List->DirCount) return nullptr;
    const TDirRecord& d = w.LockedDirs[w.CurrentDir - 1];
    if ((d.Flags & DirOpen) && w.CurrentPos <= d.FileCount) {
      const TFileRecord* e = EntryAtPosition();
      if (e && (e->Flags & mark)) {
        TTextStorage& pool = *w.List->Names;
        currentItem.Name = pool.GetPChar(e->NameOffset);
        currentItem.Folder = pool.GetPChar(d.PathOffset);
        currentItem.Attributes = e->Attributes;
        currentItem.Tag = e->Tag;
        if (mode == WalkCopied && !CopyIntoTextBlock(currentItem.Folder, currentItem.Name))
          return nullptr;
        return &currentItem;
      }
      ++w.CurrentPos;
    } else {
      w.CurrentPos = 1;
      ++w.CurrentDir;
    }
  }
}

void UpdateItemState(const TItemUpdate* update) {
  TPluginStructure& w = Walk();
  TFileRecord* e = EntryAtPosition();
  if (!update || !e || !(e->Flags & PaneMark(*w.List))) return;
  if (ApplyItemUpdate(*update, *e, *w.List)) w.Changed = 1;
}

void SelectEntriesByStatus(TstateOfBrowser& list, bool select, TFileStatus status) {
  for (uint32_t d = 1; int64_t(d) <= list.DirCount; ++d)
    SetGroupSelection(d, status, select, list);
  UpdateListTotals(list);
}
