#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Controls.h"

// Column widths as one word: 9 bits a column from the lowest bits, each the
// column's share of the header width in 1/480; the last column is not stored.
constexpr int kWidthShareWhole = 480;
std::vector<int> UnpackColumnWidths(uint64_t word, int clientWidth, int columns, bool sizing);
uint64_t PackColumnWidths(const std::vector<int>& widths, int clientWidth);
// A word read from settings: 0 (no widths stored) unless it fits the columns,
// each share and their sum within the whole.
uint64_t CheckedColumnWidthWord(uint64_t word, int columns);

enum THeaderMode { hmBrief = 0, hmFull = 1 };

struct TOrvHeaderItem {
  UINT Alignment = DT_LEFT;
  std::string Text;
  int Width = 50;
  bool AllowDownState = true;
};

// A one-row header above a table: one item per column, the sorted column
// shown down with an up or down image, column widths kept as shares.
class TOrvHeader : public TCustomControl {
 public:
  explicit TOrvHeader(TWinControl* parent);

  std::vector<TOrvHeaderItem> HeaderItems;  // call ItemsChanged after editing
  void ItemsChanged();
  int DownIndex() const { return downIndex_; }
  bool Reversed() const { return reversed_; }
  // The down flag of an item; refused when the item does not allow it.
  void SetDown(int index);

  uint32_t KindOfSort() const { return kindOfSort_; }
  void SetKindOfSort(uint32_t k);
  uint64_t ColumnWidth() const { return columnWidth_; }
  void SetColumnWidth(uint64_t w) { columnWidth_ = w; }
  THeaderMode HeaderMode() const { return mode_; }
  void SetHeaderMode(THeaderMode m) { mode_ = m; }
  void ApplyColumnWidths();
  int ColWidth(int col) const { return colWidths_[static_cast<size_t>(col)]; }
  // As the user's drag leaves it; the mouse-up then judges it.
  void SetColWidth(int col, int width);

  HIMAGELIST Images = nullptr;
  TWinControl* MainTable = nullptr;
  // The table's column follows a header column the user resized.
  std::function<void(int col, int width)> OnTableColumnWidth;
  TNotifyEvent OnchangeKindOfSort;
  TNotifyEvent OnResizeHeaders;

  void MouseUpAt(int x, int y);

 protected:
  void Paint(TCanvas& c) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  int ColumnAt(int x) const;
  int BorderAt(int x) const;
  std::vector<int> colWidths_;
  uint32_t kindOfSort_ = 0;
  uint64_t columnWidth_ = 0;
  THeaderMode mode_ = hmFull;
  int downIndex_ = -1;
  bool reversed_ = false;
  int sizingCol_ = -1;
  int sizingStart_ = 0;
};
