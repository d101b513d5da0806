#include "controls/PylStringGrid.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/StdCtrls.h"

// The editor over a cell: Enter keeps the text, Esc drops it, leaving it keeps
// it. It wants Enter and Esc itself, so they never reach the form's buttons.
class TInplaceEdit : public TStdControl {
 public:
  explicit TInplaceEdit(TPylStringGrid* grid) : TStdControl(grid, "EDIT", ES_AUTOHSCROLL, 0, 0), grid_(grid) {
    color_ = clWindow;
    Hide();
  }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
      case WM_CHAR:
        if (wp == VK_RETURN || wp == VK_ESCAPE) return 0;  // handled as keys; no beep
        break;
      case WM_KEYDOWN:
        if (wp == VK_RETURN || wp == VK_ESCAPE) {
          grid_->HideEditor(wp == VK_ESCAPE);
          return 0;
        }
        break;
      case WM_KILLFOCUS: {
        const LRESULT r = TStdControl::WndProc(msg, wp, lp);
        grid_->HideEditor();
        return r;
      }
      case WM_SETFOCUS:
        // A form made active again gives the focus back to the window that
        // last had it, which may be the editor hidden meanwhile.
        if (!grid_->EditorMode()) {
          grid_->SetFocus();
          return 0;
        }
        break;
      default:
        break;
    }
    return TStdControl::WndProc(msg, wp, lp);
  }

 private:
  TPylStringGrid* grid_;
};

TPylStringGrid::TPylStringGrid(TWinControl* parent) : TCustomControl(parent, WS_TABSTOP) {
  TabStop = true;
  color_ = clWindow;
  SetBounds(0, 0, 320, 120);
}

int TPylStringGrid::VisibleRowCount() const {
  const int h = ClientRect().bottom - FixedRows * DefaultRowHeight;
  return std::max(h / DefaultRowHeight, 1);
}

void TPylStringGrid::SetTopRow(int r) {
  HideEditor();
  topRow_ = std::clamp(r, FixedRows, std::max(RowCount - VisibleRowCount(), FixedRows));
  Invalidate();
  TopRowMoved();
}

void TPylStringGrid::KeepCurrentInside() {
  col_ = std::clamp(col_, 0, std::max(ColCount - 1, 0));
  row_ = std::clamp(row_, FixedRows, std::max(RowCount - 1, FixedRows));
  SetTopRow(topRow_);
}

void TPylStringGrid::TopRowMoved() {
  UpdateScrollBar();
  if (topRow_ == reportedTop_) return;
  reportedTop_ = topRow_;
  if (OnTopLeftChanged) OnTopLeftChanged();
}

void TPylStringGrid::SetVertScrollBar(bool on) {
  vertScrollBar_ = on;
  const LONG_PTR style = GetWindowLongPtrA(hwnd_, GWL_STYLE);
  SetWindowLongPtrA(hwnd_, GWL_STYLE, on ? style | WS_VSCROLL : style & ~static_cast<LONG_PTR>(WS_VSCROLL));
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  shownScroll_ = {};
  UpdateScrollBar();
}

// Rows may have come or gone through the public counts, so paints call it
// too; the bar keeps its place, so this never changes the client area.
void TPylStringGrid::UpdateScrollBar() {
  if (!vertScrollBar_) return;
  SCROLLINFO si{sizeof si, SIF_ALL | SIF_DISABLENOSCROLL, 0, std::max(RowCount - FixedRows - 1, 0),
                static_cast<UINT>(VisibleRowCount()), topRow_ - FixedRows, 0};
  if (si.nMax == shownScroll_.nMax && si.nPage == shownScroll_.nPage && si.nPos == shownScroll_.nPos &&
      shownScroll_.cbSize)
    return;
  shownScroll_ = si;
  SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
}

void TPylStringGrid::Scrolled(WORD code) {
  const int page = VisibleRowCount();
  switch (code) {
    case SB_LINEUP:
      SetTopRow(topRow_ - 1);
      break;
    case SB_LINEDOWN:
      SetTopRow(topRow_ + 1);
      break;
    case SB_PAGEUP:
      SetTopRow(topRow_ - page);
      break;
    case SB_PAGEDOWN:
      SetTopRow(topRow_ + page);
      break;
    case SB_TOP:
      SetTopRow(FixedRows);
      break;
    case SB_BOTTOM:
      SetTopRow(RowCount);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(hwnd_, SB_VERT, &si);
      SetTopRow(FixedRows + si.nTrackPos);
      break;
    }
    default:
      break;
  }
}

RECT TPylStringGrid::CellRect(int col, int row) const {
  int x = 0;
  for (int c = 0; c < col && c < static_cast<int>(ColWidths.size()); ++c) x += ColWidths[static_cast<size_t>(c)];
  const int y = row < FixedRows ? row * DefaultRowHeight : (FixedRows + row - topRow_) * DefaultRowHeight;
  const int w = col < static_cast<int>(ColWidths.size()) ? ColWidths[static_cast<size_t>(col)] : 0;
  return {x, y, x + w, y + DefaultRowHeight};
}

bool TPylStringGrid::CellAt(int x, int y, int& col, int& row) const {
  for (int r = 0; r < RowCount; ++r) {
    if (r >= FixedRows && r < topRow_) continue;
    for (int c = 0; c < ColCount; ++c) {
      const RECT cr = CellRect(c, r);
      if (x >= cr.left && x < cr.right && y >= cr.top && y < cr.bottom) {
        col = c;
        row = r;
        return true;
      }
    }
  }
  return false;
}

// The move goes through OnSelectCell, so an owner that refuses it sees the
// asked cell and may move itself.
bool TPylStringGrid::SelectCell(int col, int row) {
  HideEditor();
  const int oldRow = row_, oldTop = topRow_;
  topRow_ = std::max(topRow_, FixedRows);
  bool can = true;
  if (OnSelectCell) OnSelectCell(col, row, can);
  if (!can) return false;
  col_ = col;
  row_ = row;
  const int visible = VisibleRowCount();
  if (row_ < topRow_) topRow_ = row_;
  if (row_ >= topRow_ + visible) topRow_ = row_ - visible + 1;
  if (topRow_ != oldTop) {
    Invalidate();
  } else {
    InvalidateRow(oldRow);
    InvalidateRow(row_);
  }
  TopRowMoved();
  return true;
}

void TPylStringGrid::InvalidateRow(int row) {
  if (!hwnd_) return;
  RECT r = CellRect(0, row);
  r.right = ClientRect().right;
  InvalidateRect(hwnd_, &r, FALSE);
}

void TPylStringGrid::MoveToCell(int col, int row) { SelectCell(col, row); }

void TPylStringGrid::ShowEditor() {
  if (!Editing || editorShown_ || row_ < FixedRows || row_ >= RowCount) return;
  if (!editor_) editor_ = new TInplaceEdit(this);
  std::string text;
  if (OnGetEditText) OnGetEditText(col_, row_, text);
  editCol_ = col_;
  editRow_ = row_;
  const RECT r = CellRect(col_, row_);
  editor_->SetBounds(r.left + 1, r.top + 1, r.right - r.left - 2, r.bottom - r.top - 2);
  editor_->SetFont(font_);
  editor_->SetCaption(text);
  editorShown_ = true;
  editor_->Show();
  editor_->SetFocus();
  SendMessageA(editor_->Handle(), EM_SETSEL, 0, -1);
}

void TPylStringGrid::HideEditor(bool cancel) {
  if (!editorShown_) return;
  editorShown_ = false;  // first: taking the focus back comes here again
  const std::string text = editor_->Caption();
  if (editor_->Focused()) ::SetFocus(hwnd_);
  editor_->Hide();
  if (!cancel && OnSetEditText) OnSetEditText(editCol_, editRow_, text);
  InvalidateRow(editRow_);
}

void TPylStringGrid::Navigate(WORD key) {
  const int top = topRow_;
  int col = col_, row = row_;
  const int page = VisibleRowCount();
  switch (key) {
    case VK_UP:
      --row;
      break;
    case VK_DOWN:
      ++row;
      break;
    case VK_LEFT:
      RowSelect ? --row : --col;
      break;
    case VK_RIGHT:
      RowSelect ? ++row : ++col;
      break;
    case VK_PRIOR:
      row -= page;
      topRow_ = std::max(topRow_ - page, FixedRows);
      break;
    case VK_NEXT:
      row += page;
      topRow_ = std::min(topRow_ + page, std::max(RowCount - page, FixedRows));
      break;
    case VK_HOME:
      RowSelect ? row = FixedRows : col = 0;
      break;
    case VK_END:
      RowSelect ? row = RowCount - 1 : col = ColCount - 1;
      break;
    case VK_F2:
      ShowEditor();
      return;
    default:
      return;
  }
  col = std::clamp(col, 0, std::max(ColCount - 1, 0));
  row = std::clamp(row, FixedRows, std::max(RowCount - 1, FixedRows));
  if (col != col_ || row != row_) SelectCell(col, row);
  if (topRow_ != top) Invalidate();  // a page key scrolls before it moves
  TopRowMoved();  // a page key moves the top row even when the cell stays
}

void TPylStringGrid::DoKeyDown(WORD& key, unsigned shift) {
  if (BeforeKeyDown) {
    if (OnKeyDown) OnKeyDown(key, shift);
    return;  // the handler alone decides
  }
  Navigate(key);
  if (OnKeyDown) OnKeyDown(key, shift);
}

LRESULT TPylStringGrid::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITMENUPOPUP:
    case WM_DRAWITEM:
    case WM_MENUCHAR:
    case WM_MEASUREITEM:
      // Owner-drawn submenus of a shell context menu draw themselves here.
      if (ICM) {
        ICM->HandleMenuMsg(msg, wp, lp);
        return 0;
      }
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_CHAR:
      if (Editing && !editorShown_ && wp >= ' ' && wp != 127) {
        ShowEditor();
        if (!editorShown_) break;
        const char typed[2] = {static_cast<char>(wp), 0};
        editor_->SetCaption(typed);
        SendMessageA(editor_->Handle(), EM_SETSEL, 1, 1);
        return 0;
      }
      break;
    case WM_SETFOCUS: {
      LRESULT r = TCustomControl::WndProc(msg, wp, lp);
      InvalidateRow(row_);  // the cursor shows the focus
      if (OnSetFocus) OnSetFocus(reinterpret_cast<HWND>(wp));
      return r;
    }
    case WM_KILLFOCUS: {
      LRESULT r = TCustomControl::WndProc(msg, wp, lp);
      InvalidateRow(row_);
      if (OnKillFocus) OnKillFocus(reinterpret_cast<HWND>(wp));
      return r;
    }
    case WM_VSCROLL:
      if (!vertScrollBar_) break;
      Scrolled(LOWORD(wp));
      return 0;
    case WM_MOUSEWHEEL:
      if (!vertScrollBar_) break;
      SetTopRow(topRow_ - GET_WHEEL_DELTA_WPARAM(wp) * 3 / WHEEL_DELTA);
      return 0;
    case WM_SIZE:
      UpdateScrollBar();
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      if (CanFocus()) ::SetFocus(hwnd_);
      int col, row;
      if (CellAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), col, row) && row >= FixedRows) SelectCell(col, row);
      break;
    }
    default:
      break;
  }
  return TCustomControl::WndProc(msg, wp, lp);
}

// Only the cells in the update area are drawn: a cursor move repaints its
// two rows, not the whole grid.
void TPylStringGrid::Paint(TCanvas& c) {
  UpdateScrollBar();
  const int last = std::min(RowCount, topRow_ + VisibleRowCount() + 1);
  auto drawRow = [&](int r) {
    for (int col = 0; col < ColCount; ++col) {
      const RECT cr = CellRect(col, r);
      if (!c.RectVisible(cr)) continue;
      unsigned state = r < FixedRows ? unsigned{gdFixed} : 0u;
      if (r == row_ && (RowSelect || col == col_)) state |= gdSelected | (Focused() ? unsigned{gdFocused} : 0u);
      if (OnDrawCell) {
        OnDrawCell(col, r, cr, state, c);
      } else {
        c.SetBrushColor(state & gdSelected ? clHighlight : clWindow);
        c.FillRect(cr);
      }
    }
  };
  for (int r = 0; r < FixedRows; ++r) drawRow(r);
  for (int r = topRow_; r < last; ++r) drawRow(r);
}
