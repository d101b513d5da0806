#include "controls/StringGrid.h"

#include <algorithm>
#include <climits>

#include "controls/GridCell.h"

TStringGrid::TStringGrid(TWinControl* parent) : TPylStringGrid(parent) {
  WantsEnterAndEsc = false;
  OnDrawCell = [this](int col, int row, const RECT& r, unsigned state, TCanvas& c) {
    DrawGridCell(c, *this, col, row, AlignWord, state, r, Cells(col, row));
  };
}

std::string TStringGrid::Cells(int col, int row) const {
  if (row < 0 || col < 0 || row >= static_cast<int>(cells_.size())) return {};
  const auto& r = cells_[static_cast<size_t>(row)];
  return col < static_cast<int>(r.size()) ? r[static_cast<size_t>(col)] : std::string();
}

void TStringGrid::SetCells(int col, int row, const std::string& text) {
  if (row < 0 || col < 0 || row >= RowCount || col >= ColCount) return;
  if (row >= static_cast<int>(cells_.size())) cells_.resize(static_cast<size_t>(row) + 1);
  auto& r = cells_[static_cast<size_t>(row)];
  if (col >= static_cast<int>(r.size())) r.resize(static_cast<size_t>(col) + 1);
  r[static_cast<size_t>(col)] = text;
  RowChanged(row);
}

void TStringGrid::RowChanged(int row) {
  if (held_) {
    dirtyFrom_ = std::min(dirtyFrom_, row);
    dirtyTo_ = std::max(dirtyTo_, row);
  } else if (RowShown(row)) {
    InvalidateRow(row);
  }
}

void TStringGrid::HoldPaint(bool hold) {
  held_ = hold;
  if (hold) return;
  if (countChanged_) UpdateScrollBars();
  countChanged_ = false;
  for (int r = std::max(dirtyFrom_, 0); r <= dirtyTo_ && r < RowCount; ++r)
    if (RowShown(r)) InvalidateRow(r);
  dirtyFrom_ = INT_MAX;
  dirtyTo_ = -1;
}

std::vector<std::string> TStringGrid::Rows(int row) const {
  std::vector<std::string> texts;
  for (int c = 0; c < ColCount; ++c) texts.push_back(Cells(c, row));
  return texts;
}

void TStringGrid::SetRows(int row, const std::vector<std::string>& texts) {
  for (int c = 0; c < ColCount; ++c) SetCells(c, row, c < static_cast<int>(texts.size()) ? texts[static_cast<size_t>(c)] : "");
}

void TStringGrid::SetColCount(int n) {
  ColCount = std::max(n, 0);
  ColWidths.resize(static_cast<size_t>(ColCount), DefaultColWidth);
  for (auto& r : cells_)
    if (static_cast<int>(r.size()) > ColCount) r.resize(static_cast<size_t>(ColCount));
  KeepCurrentInside();
}

void TStringGrid::SetRowCount(int n) {
  n = std::max(n, 0);
  if (n > RowCount && RowCount > FixedRows) {
    // Rows added below leave the current cell and the top row where they are.
    const int old = RowCount;
    RowCount = n;
    // The scroll bars cost the system a redraw: a held grid sets them once.
    if (held_)
      countChanged_ = true;
    else
      UpdateScrollBars();
    for (int r = old; r < n; ++r) RowChanged(r);
    return;
  }
  RowCount = n;
  if (static_cast<int>(cells_.size()) > RowCount) cells_.resize(static_cast<size_t>(RowCount));
  KeepCurrentInside();
}

void TStringGrid::SetFixedRows(int n) {
  FixedRows = std::clamp(n, 0, RowCount);
  KeepCurrentInside();
}

void TStringGrid::SetColWidth(int col, int width) {
  if (col < 0 || col >= ColCount) return;
  ColWidths.resize(static_cast<size_t>(ColCount), DefaultColWidth);
  ColWidths[static_cast<size_t>(col)] = width;
  Invalidate();
}
