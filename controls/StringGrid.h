#pragma once
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "controls/PylStringGrid.h"

// A grid that keeps the texts of its cells. Until the owner sets OnDrawCell,
// the cells are drawn by DrawGridCell with AlignWord. Change the counts
// through SetColCount and SetRowCount, which drop the texts beyond them, so a
// row that comes back starts empty. Enter and Esc are left to its form.
class TStringGrid : public TPylStringGrid {
 public:
  explicit TStringGrid(TWinControl* parent);
  std::string Cells(int col, int row) const;
  void SetCells(int col, int row, const std::string& text);
  // A row's texts, one per column.
  std::vector<std::string> Rows(int row) const;
  void SetRows(int row, const std::vector<std::string>& texts);
  void SetColCount(int n);
  void SetRowCount(int n);
  void SetFixedRows(int n);
  void SetColWidth(int col, int width);
  int DefaultColWidth = 64;
  uint32_t AlignWord = 0;
  // While held, changed texts and rows added below repaint nothing; the
  // release repaints them once. A grid fed many times a second stays cheap.
  void HoldPaint(bool hold);

 private:
  void RowChanged(int row);
  bool held_ = false;
  bool countChanged_ = false;
  int dirtyFrom_ = INT_MAX, dirtyTo_ = -1;
  std::vector<std::vector<std::string>> cells_;  // [row][col], grown as texts come
};
