#include "controls/PylStringGrid.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

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

int TPylStringGrid::VisibleColCount() const {
  const int width = ClientRect().right;
  int count = 0;
  for (int c = leftCol_, x = 0; c < ColCount && (x += Width(c)) <= width; ++c) ++count;
  return std::max(count, 1);
}

int TPylStringGrid::Width(int col) const {
  return col >= 0 && col < static_cast<int>(ColWidths.size()) ? ColWidths[static_cast<size_t>(col)] : 0;
}

int TPylStringGrid::ColX(int col) const {
  int x = 0;
  for (int c = leftCol_; c < col; ++c) x += Width(c);
  for (int c = col; c < leftCol_; ++c) x -= Width(c);
  return x;
}

int TPylStringGrid::RowY(int row) const {
  return (row < FixedRows ? row : FixedRows + row - topRow_) * DefaultRowHeight;
}

RECT TPylStringGrid::CellRect(int col, int row) const {
  const int x = ColX(col), y = RowY(row);
  return {x, y, x + Width(col), y + DefaultRowHeight};
}

bool TPylStringGrid::MouseToCell(int x, int y, int& col, int& row) const {
  const RECT client = ClientRect();
  if (x < 0 || y < 0 || x >= client.right || y >= client.bottom || DefaultRowHeight <= 0) return false;
  const int fixedHeight = FixedRows * DefaultRowHeight;
  const int r = y < fixedHeight ? y / DefaultRowHeight : topRow_ + (y - fixedHeight) / DefaultRowHeight;
  if (r >= RowCount) return false;
  for (int c = leftCol_, right = 0; c < ColCount && right <= x; ++c) {
    right += Width(c);
    if (x < right) {
      col = c;
      row = r;
      return true;
    }
  }
  return false;
}

// The left column from which the last columns fill the width.
int TPylStringGrid::MaxLeftCol() const {
  const int width = ClientRect().right;
  int c = ColCount;
  for (int used = 0; c > 0 && used + Width(c - 1) <= width;) used += Width(--c);
  return std::clamp(c, 0, std::max(ColCount - 1, 0));
}

void TPylStringGrid::SetTopRow(int r) {
  HideEditor();
  topRow_ = std::clamp(r, FixedRows, std::max(RowCount - VisibleRowCount(), FixedRows));
  Invalidate();
  TopLeftMoved();
}

void TPylStringGrid::SetLeftCol(int c) {
  HideEditor();
  leftCol_ = std::clamp(c, 0, MaxLeftCol());
  Invalidate();
  TopLeftMoved();
}

void TPylStringGrid::KeepCurrentInside() {
  col_ = std::clamp(col_, 0, std::max(ColCount - 1, 0));
  row_ = std::clamp(row_, FixedRows, std::max(RowCount - 1, FixedRows));
  leftCol_ = std::min(leftCol_, MaxLeftCol());
  SetTopRow(topRow_);
}

void TPylStringGrid::TopLeftMoved() {
  UpdateScrollBars();
  if (topRow_ == reportedTop_ && leftCol_ == reportedLeft_) return;
  reportedTop_ = topRow_;
  reportedLeft_ = leftCol_;
  if (OnTopLeftChanged) OnTopLeftChanged();
}

void TPylStringGrid::SetScrollBars(TScrollStyle s) {
  scrollBars_ = s;
  LONG_PTR style = GetWindowLongPtrA(hwnd_, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_HSCROLL | WS_VSCROLL);
  if (s & ssHorizontal) style |= WS_HSCROLL;
  if (s & ssVertical) style |= WS_VSCROLL;
  SetWindowLongPtrA(hwnd_, GWL_STYLE, style);
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  shownScroll_[0] = shownScroll_[1] = {};
  UpdateScrollBars();
}

// Rows and columns may have come or gone through the public counts, so
// paints call it too; the bars keep their place, so this never changes the
// client area.
void TPylStringGrid::UpdateScrollBars() {
  auto show = [this](int bar, int max, int page, int pos) {
    SCROLLINFO& shown = shownScroll_[bar == SB_VERT];
    const SCROLLINFO si{sizeof si, SIF_ALL | SIF_DISABLENOSCROLL, 0, max, static_cast<UINT>(page), pos, 0};
    if (shown.cbSize && si.nMax == shown.nMax && si.nPage == shown.nPage && si.nPos == shown.nPos) return;
    shown = si;
    SetScrollInfo(hwnd_, bar, &si, TRUE);
  };
  if (scrollBars_ & ssHorizontal) show(SB_HORZ, std::max(ColCount - 1, 0), VisibleColCount(), leftCol_);
  if (scrollBars_ & ssVertical)
    show(SB_VERT, std::max(RowCount - FixedRows - 1, 0), VisibleRowCount(), topRow_ - FixedRows);
}

void TPylStringGrid::Scrolled(int bar, WORD code) {
  const bool vertical = bar == SB_VERT;
  const int pos = vertical ? topRow_ - FixedRows : leftCol_;
  const int page = vertical ? VisibleRowCount() : VisibleColCount();
  int to = pos;
  switch (code) {
    case SB_LINEUP:  // and left
      to = pos - 1;
      break;
    case SB_LINEDOWN:
      to = pos + 1;
      break;
    case SB_PAGEUP:
      to = pos - page;
      break;
    case SB_PAGEDOWN:
      to = pos + page;
      break;
    case SB_TOP:
      to = 0;
      break;
    case SB_BOTTOM:
      to = vertical ? RowCount : ColCount;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(hwnd_, bar, &si);
      to = si.nTrackPos;
      break;
    }
    default:
      return;
  }
  if (vertical)
    SetTopRow(FixedRows + to);
  else
    SetLeftCol(to);
}

void TPylStringGrid::Wheel(int delta, LPARAM at) {
  POINT p{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  ScreenToClient(hwnd_, &p);
  wheelRest_ += delta;
  while (wheelRest_ >= WHEEL_DELTA || wheelRest_ <= -WHEEL_DELTA) {
    const bool down = wheelRest_ < 0;
    wheelRest_ += down ? WHEEL_DELTA : -WHEEL_DELTA;
    bool handled = false;
    if (const TWheelEvent& e = down ? OnMouseWheelDown : OnMouseWheelUp) e(CurrentShiftState(), p, handled);
    if (!handled && (scrollBars_ & ssVertical)) SetTopRow(topRow_ + (down ? 3 : -3));
  }
}

// Only as far as needed: a cell already shown leaves the grid where it is.
void TPylStringGrid::ScrollIntoView(int col, int row) {
  const int visible = VisibleRowCount();
  if (row >= FixedRows && row < topRow_) topRow_ = row;
  if (row >= topRow_ + visible) topRow_ = row - visible + 1;
  if (col < leftCol_) {
    leftCol_ = col;
    return;
  }
  const int width = ClientRect().right;
  int first = col;
  for (int used = Width(col); first > leftCol_ && used + Width(first - 1) <= width;) used += Width(--first);
  if (first > leftCol_) leftCol_ = first;
}

// The move goes through OnSelectCell, so an owner that refuses it sees the
// asked cell and may move itself.
bool TPylStringGrid::SelectCell(int col, int row) {
  HideEditor();
  const int oldRow = row_, oldTop = topRow_, oldLeft = leftCol_;
  topRow_ = std::max(topRow_, FixedRows);
  bool can = true;
  if (OnSelectCell) OnSelectCell(col, row, can);
  if (!can) return false;
  col_ = col;
  row_ = row;
  ScrollIntoView(col_, row_);
  if (topRow_ != oldTop || leftCol_ != oldLeft) {
    Invalidate();
  } else {
    InvalidateRow(oldRow);
    InvalidateRow(row_);
  }
  TopLeftMoved();
  return true;
}

void TPylStringGrid::InvalidateRow(int row) {
  if (!hwnd_) return;
  const RECT r{0, RowY(row), ClientRect().right, RowY(row) + DefaultRowHeight};
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
  TopLeftMoved();  // a page key moves the top row even when the cell stays
}

void TPylStringGrid::DoKeyDown(WORD& key, unsigned shift) {
  if (BeforeKeyDown) {
    if (OnKeyDown) OnKeyDown(key, shift);
    return;  // the handler alone decides
  }
  Navigate(key);
  if (OnKeyDown) OnKeyDown(key, shift);
}

int TPylStringGrid::SizingEdgeAt(int x) const {
  constexpr int kGrip = 3;
  for (int c = leftCol_, right = 0; c < ColCount; ++c) {
    right += Width(c);
    if (x >= right - kGrip && x <= right + kGrip) return c;
    if (right > x + kGrip) break;
  }
  return -1;
}

bool TPylStringGrid::ColumnDrag(UINT msg, LPARAM lp) {
  const int x = GET_X_LPARAM(lp);
  switch (msg) {
    case WM_SETCURSOR: {
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(hwnd_, &p);
      if (sizingCol_ < 0 && SizingEdgeAt(p.x) < 0) return false;
      ::SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
      return true;
    }
    case WM_LBUTTONDOWN:
      sizingCol_ = SizingEdgeAt(x);
      if (sizingCol_ >= static_cast<int>(ColWidths.size())) sizingCol_ = -1;
      if (sizingCol_ < 0) return false;
      sizingX_ = x;
      sizingWidth_ = Width(sizingCol_);
      SetCapture(hwnd_);
      return true;
    case WM_MOUSEMOVE:
      if (sizingCol_ < 0) return false;
      ColWidths[static_cast<size_t>(sizingCol_)] = std::max(sizingWidth_ + x - sizingX_, 8);
      Invalidate();
      return true;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: {
      if (sizingCol_ < 0) return false;
      const int col = std::exchange(sizingCol_, -1);
      if (msg == WM_LBUTTONUP) ReleaseCapture();
      UpdateScrollBars();
      if (OnColumnResized) OnColumnResized(col);
      return true;
    }
    default:
      return false;
  }
}

LRESULT TPylStringGrid::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (ColSizing && ColumnDrag(msg, lp))
    return msg == WM_SETCURSOR ? TRUE : 0;
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
      // Enter and Esc are the grid's (the pane opens and leaves with them),
      // never a button's of the form; Tab still moves on; letters are the
      // grid's too, never a mnemonic of the form's buttons.
      return DLGC_WANTARROWS | DLGC_WANTCHARS |
             (WantsEnterAndEsc && (wp == VK_RETURN || wp == VK_ESCAPE) ? DLGC_WANTALLKEYS : 0);
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
    case WM_HSCROLL:
    case WM_VSCROLL:
      Scrolled(msg == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wp));
      return 0;
    case WM_MOUSEWHEEL:
      Wheel(GET_WHEEL_DELTA_WPARAM(wp), lp);
      return 0;
    case WM_SIZE:
      UpdateScrollBars();
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      if (CanFocus()) ::SetFocus(hwnd_);
      int col, row;
      if (MouseToCell(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), col, row) && row >= FixedRows) SelectCell(col, row);
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
  UpdateScrollBars();
  const int last = std::min(RowCount, topRow_ + VisibleRowCount() + 1);
  const int width = ClientRect().right;
  auto drawRow = [&](int r) {
    const int y = RowY(r);
    for (int col = leftCol_, x = 0; col < ColCount && x < width; ++col) {
      const RECT cr{x, y, x + Width(col), y + DefaultRowHeight};
      x = cr.right;
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
