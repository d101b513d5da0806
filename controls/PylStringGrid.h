#pragma once
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Controls.h"

class TInplaceEdit;

enum TGridDrawState : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };

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

  int Col() const { return col_; }
  int Row() const { return row_; }
  int TopRow() const { return topRow_; }
  void SetTopRow(int r);
  // A vertical scroll bar, shown always (disabled while every row fits), and
  // the mouse wheel scrolling the rows.
  bool VertScrollBar() const { return vertScrollBar_; }
  void SetVertScrollBar(bool on);
  int VisibleRowCount() const;
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
  // The first scrolled row changed.
  TNotifyEvent OnTopLeftChanged;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Paint(TCanvas& c) override;
  void DoKeyDown(WORD& key, unsigned shift) override;
  // After the counts shrank: the current cell and the top row back inside,
  // without asking OnSelectCell.
  void KeepCurrentInside();

 private:
  // Reports a top row that moved since the last report.
  void TopRowMoved();
  void UpdateScrollBar();
  void Scrolled(WORD code);
  bool SelectCell(int col, int row);
  void Navigate(WORD key);
  bool CellAt(int x, int y, int& col, int& row) const;
  RECT CellRect(int col, int row) const;
  void InvalidateRow(int row);
  int col_ = 0, row_ = 0, topRow_ = 0;
  TInplaceEdit* editor_ = nullptr;  // a child, made on first use
  bool editorShown_ = false;
  int editCol_ = 0, editRow_ = 0;
  int reportedTop_ = 0;
  bool vertScrollBar_ = false;
  SCROLLINFO shownScroll_{};
};
