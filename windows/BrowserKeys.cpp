#include "windows/FormBrowser.h"

#include <algorithm>
#include <limits>

#include "core/ListLock.h"
#include "core/RowTexts.h"
#include "core/ShellActions.h"
#include "core/Selection.h"
#include "core/SortList.h"
#include "framework/Cursors.h"

namespace {

constexpr uint32_t OptSpaceSizesFolders = 0x0001;

}  // namespace

// ---- rows

bool TBrowserForm::RootHasUpRow() const {
  TListLock lock(*FolderList);
  const TDirRecord* root = lock.Dir(1);
  return root && root->Depth > 0;
}

int32_t TBrowserForm::FolderRows() const {
  TListLock lock(*FolderList);
  const TDirRecord* root = lock.Dir(1);
  if (!root) return 0;
  return int32_t(root->FileCount) + (root->Depth > 0 ? 1 : 0);
}

int TBrowserForm::TopAreaHeight() const {
  int height = 0;
  for (const TPanel* bar : {pnlDisks, SspRMain, pnlBrowserToolbar})
    if (bar->Visible()) height += bar->Height();
  return height;
}

int32_t TBrowserForm::RowTotal() const {
  switch (Mode) {
    case PaneTree:
      return TreeRowCount;
    case PaneBasket:
      return BasketRowCount;
    default:
      return FolderRows();
  }
}

int32_t TBrowserForm::CellIndex(int col, int row) const {
  if (Mode == PaneBrief) return int32_t(int64_t(col) * sgBrowser->RowCount + row);
  return row;
}

bool TBrowserForm::RowToItem(int32_t index, uint32_t& dir, uint32_t& pos) const {
  dir = pos = 0;
  if (index < 0 || index >= RowTotal()) return false;
  switch (Mode) {
    case PaneTree:
      return TreeRowToItem(index + 1, dir, pos, *FolderList);
    case PaneBasket:
      FlatRowToItem(index + 1, BasketMode == 2, dir, *BasketList, pos);
      return dir != 0;
    default:
      dir = 1;
      pos = uint32_t(RootHasUpRow() ? index : index + 1);
      return true;
  }
}

bool TBrowserForm::GetCurrentItem(uint32_t& dir, uint32_t& pos) { return RowToItem(CurrentIndex, dir, pos); }

void TBrowserForm::sgBrowserSelectCell(int col, int row, bool& canSelect) {
  LastCol = col;
  LastRow = row;
  const int32_t index = CellIndex(col, row);
  canSelect = index >= 0 && index < RowTotal() && sgBrowser->Tag == GridMoveAllowed;
  if (canSelect) sgBrowser->Tag = GridMoveDone;
}

bool TBrowserForm::MoveTo(int32_t index, int32_t col, int32_t row) {
  if (index == -1) index = col == -1 && row == -1 ? CellIndex(LastCol, LastRow) : CellIndex(col, row);
  const int32_t rows = RowTotal();
  const bool inside = index >= 0 && index < rows;
  if (inside) {
    CurrentIndex = index;
  } else if (CurrentIndex < 0 || CurrentIndex >= rows) {
    CurrentIndex = rows > 0 ? rows - 1 : 0;
  }
  sgBrowser->Tag = GridMoveAllowed;
  const int gridRows = std::max(sgBrowser->RowCount, 1);
  if (Mode == PaneBrief) {
    sgBrowser->MoveToCell(CurrentIndex / gridRows, CurrentIndex % gridRows);
  } else {
    sgBrowser->MoveToCell(0, CurrentIndex);
  }
  LastCol = sgBrowser->Col();
  LastRow = sgBrowser->Row();
  return inside;
}

bool TBrowserForm::MoveToRow(int32_t index) {
  // MoveTo reads -1 as "the cell asked last".
  return MoveTo(index < 0 ? std::numeric_limits<int32_t>::max() : index, 0, 0);
}

// ---- keys and mouse

void TBrowserForm::FollowGrid() { MoveTo(-1, -1, -1); }

bool TBrowserForm::MarkCurrentEntry(int how, bool computeSize) {
  if (Mode == PaneTree) return false;
  if (Mode != PaneBasket && FolderList->FileCount == 0) return false;
  uint32_t dir = 0, pos = 0;
  if (!GetCurrentItem(dir, pos) || pos == 0) return false;
  MarkEntry(ShownList(), dir, pos, how, computeSize);
  RepaintRow(CurrentIndex);
  return true;
}

void TBrowserForm::AfterMarking() {
  UpdateListTotals(ShownList());
  UpdateStatus(CurrentIndex);
  host_.UpdateStartAction();
}

void TBrowserForm::MarkCurrentItem(int how, bool computeSize) {
  if (MarkCurrentEntry(how, computeSize)) AfterMarking();
}

void TBrowserForm::MarkCurrent(int how) { MarkCurrentItem(how, false); }

void TBrowserForm::MarkEntry(TstateOfBrowser& list, uint32_t dir, uint32_t pos, int how, bool computeSize) {
  ChangeItemSelection(dir, int32_t(pos) + (GetDirLevel(dir, list) > 0 ? 1 : 0), list, how, computeSize);
}

void TBrowserForm::RepaintRow(int32_t index) {
  const int h = sgBrowser->DefaultRowHeight;
  RECT r = sgBrowser->ClientRect();
  if (Mode == PaneBrief) {
    const int rows = std::max(sgBrowser->RowCount, 1);
    const int width = sgBrowser->ColWidths.empty() ? 0 : sgBrowser->ColWidths[0];
    r.left = (index / rows - sgBrowser->LeftCol()) * width;
    r.right = r.left + width;
    r.top = (index % rows) * h;
  } else {
    r.top = (index - sgBrowser->TopRow()) * h;
  }
  r.bottom = r.top + h;
  InvalidateRect(sgBrowser->Handle(), &r, FALSE);
}

void TBrowserForm::InvertMarks() {
  TstateOfBrowser& list = ShownList();
  const bool folders = !(GeneralCheckContainer & OptMaskSkipsFolders);
  if (Mode == PaneBasket) {
    for (uint32_t d = 1; int64_t(d) <= list.DirCount; ++d) ChangeDirSelection(d, list, folders, SelToggle);
  } else {
    ChangeDirSelection(1, list, folders, SelToggle);
  }
  UpdateListTotals(list);
  UpdateStatus(CurrentIndex);
  host_.UpdateStartAction();
  sgBrowser->Invalidate();
}

void TBrowserForm::ShellAction(uint32_t dir, uint32_t pos, int how) {
  TstateOfBrowser& list = ShownList();
  switch (how) {
    case 1:
      ShowFileProperties(dir, pos, list);
      break;
    case 2:
    case 3:
      ViewOrEditFile(dir, pos, list, how == 3);
      break;
    default:
      ExecuteFileEntry(dir, pos, list);
      break;
  }
}

void TBrowserForm::sgBrowserKeyDown(WORD& key, unsigned shift) {
  timerForCM.SetEnabled(false);
  const int32_t rows = RowTotal();
  if (rows <= 0) return;
  const bool basket = Mode == PaneBasket;
  if (basket && sgBrowser->Row() >= rows) return;
  const bool brief = Mode == PaneBrief;
  const int32_t gridRows = std::max(sgBrowser->RowCount, 1);
  const int32_t asked = CellIndex(LastCol, LastRow);
  const int32_t current = CurrentIndex;
  switch (key) {
    case VK_RIGHT:
      if (brief && (int64_t(gridRows) * sgBrowser->ColCount - current - 1 < gridRows || asked >= rows)) {
        MoveToRow(rows - 1);
      } else {
        FollowGrid();
      }
      break;
    case VK_DOWN:
      if (brief && asked >= rows) {
        MoveToRow(rows - 1);
      } else if (brief && current % gridRows == gridRows - 1) {
        MoveToRow(current + 1);
      } else {
        FollowGrid();
      }
      break;
    case VK_UP:
      if (brief && current % gridRows == 0) {
        MoveToRow(current - 1);
      } else {
        FollowGrid();
      }
      break;
    case VK_LEFT:
      if (brief && current < gridRows) {
        MoveToRow(0);
      } else {
        FollowGrid();
      }
      break;
    case VK_PRIOR:
      if (!brief) {
        FollowGrid();
      } else if (!MoveToRow(current - gridRows + 1)) {
        MoveToRow(0);
      }
      break;
    case VK_NEXT:
      if (!brief) {
        FollowGrid();
      } else if (!MoveToRow(current + gridRows - 1)) {
        MoveToRow(rows - 1);
      }
      break;
    case VK_HOME:
      brief ? (void)MoveToRow(0) : FollowGrid();
      break;
    case VK_END:
      brief ? (void)MoveToRow(rows - 1) : FollowGrid();
      break;
    case VK_BACK:
      if (basket) return;
      btnRUpOneLevelClick();
      break;
    case VK_RETURN:
      if (current + 1 > rows) return;
      EnterCurrent(shift & ssAlt);
      break;
    case VK_F3:
    case VK_F4: {
      uint32_t dir = 0, pos = 0;
      if (current + 1 > rows || !GetCurrentItem(dir, pos)) return;
      if (pos > 0) ShellAction(dir, pos, key == VK_F3 ? 2 : 3);
      break;
    }
    case VK_SPACE: {
      THourglassCursor wait;
      MarkCurrentItem(SelToggle, !basket && (GeneralCheckContainer & OptSpaceSizesFolders));
      break;
    }
    case VK_INSERT:
      MarkCurrentItem(SelToggle, false);
      MoveToRow(current + 1);
      break;
    case VK_MULTIPLY:
      InvertMarks();
      break;
    default:
      return;
  }
  if (basket && BasketMode == 1 && BasketList->SelectedCount == 0) UpdateStatus(CurrentIndex);
  key = 0;
}

void TBrowserForm::EnterCurrent(bool properties) {
  uint32_t dir = 0, pos = 0;
  if (!GetCurrentItem(dir, pos)) return;
  if (Mode == PaneBasket && pos == 0) return;
  OpenEntry(dir, pos, properties ? 1 : 0);
}

void TBrowserForm::sgBrowserMouseDown(TMouseButton button, unsigned, int x, int y) {
  int col = 0, row = 0;
  if (button == TMouseButton::Left) {
    if (sgBrowser->MouseToCell(x, y, col, row)) MoveTo(-1, col, row);
    return;
  }
  if (button != TMouseButton::Right) return;
  RightDragAction = 8;
  if (!sgBrowser->MouseToCell(x, y, col, row) || !MoveTo(-1, col, row)) return;
  MarkCurrentItem(SelToggle, false);
  uint32_t dir = 0, pos = 0;
  if (!GetCurrentItem(dir, pos) || pos == 0) {
    RightDragAction = 2;
    return;
  }
  RightDragAction = IsFileSelected(dir, pos, ShownList()) ? 2 : 4;
  CMList = &ShownList();
  CMDir = dir;
  CMPos = pos;
  CMPointX = x;
  CMPointY = y;
  timerForCM.SetEnabled(true);
}

void TBrowserForm::sgBrowserMouseMove(unsigned shift, int x, int y) {
  if (timerForCM.Enabled() && (x != CMPointX || y != CMPointY)) timerForCM.SetEnabled(false);
  if (!(shift & ssRight) || !sgBrowser->Focused()) return;
  int col = 0, row = 0;
  const int32_t before = CurrentIndex;
  if (!sgBrowser->MouseToCell(x, y, col, row) || !MoveTo(-1, col, row) || CurrentIndex == before) return;
  if (RightDragAction != 2 && RightDragAction != 4) return;
  // A quick drag skips rows between two moves; they are passed over all the
  // same, and the totals, a walk over the whole list, recounted once.
  const int32_t target = CurrentIndex, step = target > before ? 1 : -1;
  bool marked = false;
  for (int32_t i = before + step;; i += step) {
    CurrentIndex = i;
    marked |= MarkCurrentEntry(RightDragAction, false);
    if (i == target) break;
  }
  if (marked) AfterMarking();
}

void TBrowserForm::sgBrowserMouseUp(TMouseButton, unsigned, int, int) { timerForCM.SetEnabled(false); }

void TBrowserForm::sgBrowserDblClick() {
  WORD key = VK_RETURN;
  sgBrowserKeyDown(key, CurrentShiftState());
}

// A notch of the wheel is the Down or Up key, with the grid's own move first.
void TBrowserForm::sgBrowserMouseWheelDown(bool& handled) {
  handled = true;
  SendMessageA(sgBrowser->Handle(), WM_KEYDOWN, VK_DOWN, 0);
}

void TBrowserForm::sgBrowserMouseWheelUp(bool& handled) {
  handled = true;
  SendMessageA(sgBrowser->Handle(), WM_KEYDOWN, VK_UP, 0);
}

void TBrowserForm::timerForCMTimer() {
  // First: the layer's timer repeats, and the menu's own loop dispatches
  // timer messages, which would open a second menu inside this one.
  timerForCM.SetEnabled(false);
  if (!CMList) return;
  TstateOfBrowser& list = *CMList;
  bool invoked = false;
  {
    // No refresh may rebuild the list while the menu is open over its entry.
    TBusyScope busy(list);
    MarkEntry(list, CMDir, CMPos, SelSet, false);
    RepaintRow(CurrentIndex);
    POINT at{CMPointX, CMPointY};
    ClientToScreen(sgBrowser->Handle(), &at);
    ShowShellContextMenu(
        sgBrowser->Handle(), sgBrowser->ICM,
        [this, &invoked](const std::string& verb) {
          invoked = true;
          return sgBrowser->OnShellVerb && sgBrowser->OnShellVerb(verb);
        },
        at.x, at.y, CMDir, CMPos, list);
    MarkEntry(list, CMDir, CMPos, RightDragAction == 2 ? SelClear : SelSet, false);
  }
  CMList = nullptr;
  UpdateListTotals(list);
  RepaintRow(CurrentIndex);
  UpdateStatus(CurrentIndex);
  // The command may have deleted, copied or linked entries.
  if (invoked) Refresh();
}
