#include "controls/OrvHeader.h"

#include <windowsx.h>

#include <algorithm>

namespace {
constexpr uint64_t kShareMask = 0x1FF;
}

std::vector<int> UnpackColumnWidths(uint64_t word, int clientWidth, int columns, bool sizing) {
  std::vector<int> widths;
  if (columns <= 0) return widths;
  int used = 0;
  for (int i = 0; i < columns - 1; ++i) {
    const int share = i < 7 ? static_cast<int>((word >> (9 * i)) & kShareMask) : 0;
    const int w = sizing ? share * clientWidth / kWidthShareWhole : clientWidth / columns;
    widths.push_back(w);
    used += w;
  }
  // Shares adding to more than the whole leave nothing, never less.
  widths.push_back(std::max(clientWidth - used, 0));
  return widths;
}

uint64_t PackColumnWidths(const std::vector<int>& widths, int clientWidth) {
  uint64_t word = 0;
  if (clientWidth <= 0) return 0;
  for (size_t i = 0; i + 1 < widths.size() && i < 7; ++i) {
    const uint64_t share = static_cast<uint64_t>(std::clamp(widths[i] * kWidthShareWhole / clientWidth, 0, kWidthShareWhole));
    word += share << (9 * i);
  }
  return word;
}

uint64_t CheckedColumnWidthWord(uint64_t word, int columns) {
  const int stored = std::clamp(columns - 1, 0, 7);
  if (stored < 7 && (word >> (9 * stored)) != 0) return 0;
  if (stored == 7 && (word >> 63) != 0) return 0;
  int sum = 0;
  for (int i = 0; i < stored; ++i) sum += static_cast<int>((word >> (9 * i)) & kShareMask);
  return sum <= kWidthShareWhole ? word : 0;
}

TOrvHeader::TOrvHeader(TWinControl* parent) : TCustomControl(parent) {
  SetBounds(0, 0, 200, 18);
  font_.Color = clMenuText;
}

void TOrvHeader::ItemsChanged() {
  colWidths_.clear();
  for (const auto& it : HeaderItems) colWidths_.push_back(it.Width);
  if (downIndex_ >= static_cast<int>(HeaderItems.size())) downIndex_ = -1;
  Invalidate();
}

void TOrvHeader::SetDown(int index) {
  if (index < 0 || index >= static_cast<int>(HeaderItems.size()) || index == downIndex_) return;
  if (!HeaderItems[static_cast<size_t>(index)].AllowDownState) return;
  downIndex_ = index;
  Invalidate();
}

void TOrvHeader::SetKindOfSort(uint32_t k) {
  kindOfSort_ = k;
  SetDown(static_cast<int>(k & 7));
  reversed_ = (k & 0x2000) != 0;
  Invalidate();
}

void TOrvHeader::SetColWidth(int col, int width) {
  colWidths_[static_cast<size_t>(col)] = width;
  Invalidate();
}

void TOrvHeader::ApplyColumnWidths() {
  if (columnWidth_ == 0 || HeaderItems.empty()) return;
  const int client = ClientRect().right;
  colWidths_ = UnpackColumnWidths(columnWidth_, client, static_cast<int>(HeaderItems.size()), mode_ == hmFull);
  for (size_t i = 0; i < HeaderItems.size(); ++i) {
    HeaderItems[i].Width = colWidths_[i];
    if (OnTableColumnWidth && mode_ == hmFull) OnTableColumnWidth(static_cast<int>(i), colWidths_[i]);
  }
  Invalidate();
  if (OnResizeHeaders) OnResizeHeaders();
}

int TOrvHeader::ColumnAt(int x) const {
  int left = 0;
  for (size_t i = 0; i < colWidths_.size(); ++i) {
    if (x >= left && x < left + colWidths_[i]) return static_cast<int>(i);
    left += colWidths_[i];
  }
  return -1;
}

int TOrvHeader::BorderAt(int x) const {
  int right = 0;
  for (size_t i = 0; i < colWidths_.size(); ++i) {
    right += colWidths_[i];
    if (std::abs(x - right) <= 2) return static_cast<int>(i);
  }
  return -1;
}

// A click when no column changed width; else the user resized and the
// widths are made to fit the header again and stored as shares.
void TOrvHeader::MouseUpAt(int x, int y) {
  if (MainTable && MainTable->Showing()) MainTable->SetFocus();
  bool click = mode_ != hmFull;
  if (!click) {
    click = true;
    for (size_t i = 0; i < HeaderItems.size(); ++i)
      if (colWidths_[i] != HeaderItems[i].Width) click = false;
  }
  const int client = ClientRect().right;
  if (click) {
    const int col = y >= 0 && y < Height() ? ColumnAt(x) : -1;
    if (col >= 0) {
      if (col != downIndex_) {
        if (!HeaderItems[static_cast<size_t>(col)].AllowDownState) return;
        SetDown(col);
      } else {
        reversed_ = !reversed_;
      }
      if (OnchangeKindOfSort) OnchangeKindOfSort();
    }
  } else if (!colWidths_.empty()) {
    int others = 0;
    for (size_t i = 0; i + 1 < colWidths_.size(); ++i) {
      if (colWidths_[i] >= client - 1) colWidths_[i] = client - 5;
      others += colWidths_[i];
    }
    colWidths_.back() = std::max(client - others, 0);
    for (size_t i = 0; i < HeaderItems.size(); ++i) {
      HeaderItems[i].Width = colWidths_[i];
      if (OnTableColumnWidth) OnTableColumnWidth(static_cast<int>(i), colWidths_[i]);
    }
    columnWidth_ = PackColumnWidths(colWidths_, client);
    if (OnResizeHeaders) OnResizeHeaders();
  }
  Invalidate();
}

LRESULT TOrvHeader::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
  switch (msg) {
    case WM_SIZE: {
      LRESULT r = TCustomControl::WndProc(msg, wp, lp);
      ApplyColumnWidths();
      return r;
    }
    case WM_LBUTTONDOWN:
      if (mode_ == hmFull) {
        sizingCol_ = BorderAt(x);
        sizingStart_ = x;
        if (sizingCol_ >= 0) SetCapture(hwnd_);
      }
      break;
    case WM_MOUSEMOVE:
      if (sizingCol_ >= 0) {
        const int w = std::max(HeaderItems[static_cast<size_t>(sizingCol_)].Width + x - sizingStart_, 0);
        SetColWidth(sizingCol_, w);
      }
      if (mode_ == hmFull && (sizingCol_ >= 0 || BorderAt(x) >= 0)) SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
      break;
    case WM_LBUTTONUP:
      sizingCol_ = -1;
      if (GetCapture() == hwnd_) ReleaseCapture();
      TCustomControl::WndProc(msg, wp, lp);
      MouseUpAt(x, y);
      return 0;
    default:
      break;
  }
  return TCustomControl::WndProc(msg, wp, lp);
}

void TOrvHeader::Paint(TCanvas& c) {
  c.SetFont(font_);
  const int textH = c.TextHeight("Tg");
  int imgW = 0, imgH = 0;
  if (Images) ImageList_GetIconSize(Images, &imgW, &imgH);
  int left = 0;
  const int h = ClientRect().bottom;
  for (size_t i = 0; i < HeaderItems.size(); ++i) {
    RECT cell{left, 0, left + colWidths_[i], h};
    left = cell.right;
    const bool down = static_cast<int>(i) == downIndex_;
    RECT edge = cell;
    if (!down) InflateRect(&edge, 1, 1);
    c.SetBrushColor(down ? clBtnHighlight : clBtnFace);
    c.FillRect(edge);
    c.DrawEdge(edge, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_SOFT);
    RECT inner = edge;
    InflateRect(&inner, -2, -2);
    c.TextRect(inner, cell.left + 3 + (down ? imgW : 0), (h - textH) / 2, HeaderItems[i].Text);
    if (down && Images) c.Draw(cell.left, (h - imgH) / 2, Images, reversed_ ? 1 : 0);
  }
}
