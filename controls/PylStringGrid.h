#pragma once
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "core/ShellActions.h"
#include "framework/Controls.h"

class TInplaceEdit;

enum TGridDrawState : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
enum TScrollStyle { ssNone = 0, ssHorizontal = 1, ssVertical = 2, ssBoth = 3 };

// The owner-drawn grid of the browser panes. The owner decides whether its
// key handler runs before the grid's own navigation (BeforeKeyDown) or after
// it; focus changes are reported with the other window's handle.
class TPylStringGrid : public TCustomControl {
 public:
  explicit TPylStringGrid(TWinControl* parent);

  int ColCount = 5, RowCount = 5, FixedRows = 0;
  int DefaultRowHeight = 18;
  std::vector<int> ColWidths = std::vector<int>(5, 64);
  bool RowSelect = false;
  bool BeforeKeyDown = false;
  IContextMenu2* ICM = nullptr;  // the shell menu open over the grid, if any
  bool Editing = false;          // F2 or a typed character opens an editor over the cell
  // The user may drag a column's right edge to resize it; the mouse events
  // of a drag go to no handler, and OnColumnResized follows it.
  bool ColSizing = false;
  std::function<void(int col)> OnColumnResized;
  // Enter and Esc are the grid's own keys (a pane opens and leaves with
  // them); otherwise they go on to the form's preview and its buttons.
  bool WantsEnterAndEsc = true;

  int Col() const { return col_; }
  int Row() const { return row_; }
  int TopRow() const { return topRow_; }
  void SetTopRow(int r);
  // The first column shown: columns beyond the grid's width are reached by
  // scrolling it.
  int LeftCol() const { return leftCol_; }
  void SetLeftCol(int c);
  // Scroll bars shown always (disabled while everything fits); with the
  // vertical one, a wheel notch that no handler takes scrolls three rows.
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle s);
  int VisibleRowCount() const;
  // Columns wholly shown from the left column, at least one.
  int VisibleColCount() const;
  // The cell under a client point, from the scroll position and the sizes;
  // false outside every cell.
  bool MouseToCell(int x, int y, int& col, int& row) const;
  // Focuses the cell and moves the selection anchor with it.
  void MoveToCell(int col, int row);
  bool EditorMode() const { return editorShown_; }
  // The editor over the focused cell, filled by OnGetEditText.
  void ShowEditor();
  // Hands the editor's text to OnSetEditText unless cancelled, and hides it.
  void HideEditor(bool cancel = false);

  std::function<void(int col, int row, const RECT&, unsigned state, TCanvas&)> OnDrawCell;
  std::function<void(int col, int row, bool& canSelect)> OnSelectCell;
  std::function<void(HWND focusedWnd)> OnSetFocus;
  std::function<void(HWND focusedWnd)> OnKillFocus;
  std::function<void(int col, int row, std::string& text)> OnGetEditText;
  std::function<void(int col, int row, const std::string& text)> OnSetEditText;
  // The top row or the left column changed.
  TNotifyEvent OnTopLeftChanged;
  // One wheel notch towards the user (down) or away (up), at a client
  // point; a handler that sets handled keeps the grid from scrolling.
  using TWheelEvent = std::function<void(unsigned shift, POINT at, bool& handled)>;
  TWheelEvent OnMouseWheelDown;
  TWheelEvent OnMouseWheelUp;
  // Offered the verb chosen in the shell's menu over the grid, if set.
  TShellVerbHook OnShellVerb;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Paint(TCanvas& c) override;
  void DoKeyDown(WORD& key, unsigned shift) override;
  // After the counts shrank: the current cell and the top row back inside,
  // without asking OnSelectCell.
  void KeepCurrentInside();
  void UpdateScrollBars();
  void InvalidateRow(int row);
  bool RowShown(int row) const { return row < FixedRows || (row >= topRow_ && row <= topRow_ + VisibleRowCount()); }

 private:
  // Reports a top row or left column that moved since the last report.
  void TopLeftMoved();
  void Scrolled(int bar, WORD code);
  void Wheel(int delta, LPARAM at);
  bool SelectCell(int col, int row);
  void Navigate(WORD key);
  int Width(int col) const;
  // Client x of a column's left edge, and y of a row's top.
  int ColX(int col) const;
  int RowY(int row) const;
  RECT CellRect(int col, int row) const;
  int MaxLeftCol() const;
  void ScrollIntoView(int col, int row);
  int col_ = 0, row_ = 0, topRow_ = 0, leftCol_ = 0;
  TInplaceEdit* editor_ = nullptr;  // a child, made on first use
  bool editorShown_ = false;
  int editCol_ = 0, editRow_ = 0;
  int reportedTop_ = 0, reportedLeft_ = 0;
  TScrollStyle scrollBars_ = ssNone;
  SCROLLINFO shownScroll_[2]{};  // horizontal, vertical
  int wheelRest_ = 0;  // of a notch, from fine-grained wheels
  // The column whose right edge lies within a few pixels of x, or -1.
  int SizingEdgeAt(int x) const;
  // True when the message belonged to a column drag.
  bool ColumnDrag(UINT msg, LPARAM lp);
  int sizingCol_ = -1, sizingX_ = 0, sizingWidth_ = 0;
};
