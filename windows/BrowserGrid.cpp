#include "windows/FormBrowser.h"

#include <algorithm>

#include "core/DirRegistry.h"
#include "core/Formats.h"
#include "core/IconReader.h"
#include "core/ListLock.h"
#include "core/RowTexts.h"
#include "core/Selection.h"
#include "core/SharedTexts.h"
#include "core/SortList.h"
#include "core/translator.h"
#include "framework/Cursors.h"
#include "framework/Handles.h"

namespace {

constexpr int MinRowHeight = 17;
constexpr int TreeIndent = 15;
constexpr COLORREF FolderRowGreen = RGB(0, 128, 0);

TFont GridFont() {
  TFont f = FilesFont ? *FilesFont : TFont();
  f.Color = MainColors[0];
  return f;
}

}  // namespace

// ---- layout

// A tree or the list of a folder left in another mode may hold more than the
// root: brief and full modes show the root alone, so the rest goes, and with
// it the root entries' links into it.
void TBrowserForm::CutToRoot() {
  if (FolderList->DirCount <= 1) return;
  StopIconThread();
  TListLock lock(*FolderList);
  TDirRecord* root = lock.Dir(1);
  if (!root) return;
  for (uint32_t d = 2; int64_t(d) <= FolderList->DirCount; ++d) {
    TDirRecord* r = lock.Dir(d);
    if (r->Flags & DirOwnsIdList) FreeIdList(r->ItemIdList);
    *r = TDirRecord{};
  }
  const uint32_t end = root->FirstFile + root->FileCount;
  for (uint32_t i = 0; i < uint32_t(FolderList->FileCount); ++i) {
    TFileRecord& e = lock.Files()[i];
    if (i >= root->FirstFile && i < end) {
      e.Flags &= ~(FileTreeDirMask | FileOpen);
    } else {
      ReleaseOwnedIdList(e);
    }
  }
  // The root's run is read first, so the records after it are the rest.
  if (root->FirstFile == 0) FolderList->FileCount = int32_t(end);
  FolderList->DirCount = 1;
}

int TBrowserForm::BriefColumnWidth() {
  const TFont font = GridFont();
  if (briefWidth_ && briefFont_ == font) return briefWidth_;
  {
    TWindowDC screen;
    const HDC dc = screen.Get();
    TCanvas c(dc);
    c.SetFont(font);
    // Summed advance widths: one measure per character instead of a system
    // call per name, for folders of any size.
    int advance[256] = {};
    GetCharWidth32A(dc, 0, 255, advance);
    int widest = c.TextWidth("12345678.123");
    TPoolLock pool(FolderList->Names);
    TListLock lock(*FolderList);
    const TDirRecord* root = lock.Dir(1);
    if (pool && root) {
      for (uint32_t pos = 1; pos <= root->FileCount; ++pos) {
        const TFileRecord* e = lock.Entry(1, pos);
        if (!e) continue;
        const auto* name = reinterpret_cast<const unsigned char*>(pool.Text(e->NameOffset));
        int w = 0;
        for (uint32_t i = 0; i < e->NameLength; ++i) w += advance[name[i]];
        widest = std::max(widest, w);
      }
    }
    briefWidth_ = widest + c.TextWidth("[]") + 20;
  }
  briefFont_ = font;
  return briefWidth_;
}

void TBrowserForm::LayoutBrief() {
  CutToRoot();
  const int32_t rows = FolderRows();
  const int width = BriefColumnWidth();
  const int rowHeight = sgBrowser->DefaultRowHeight;
  const int edges = 2 * GetSystemMetrics(SM_CYEDGE);
  auto fit = [&](int height, int& visible, int& columns) {
    visible = std::max((height - edges) / rowHeight, 1);
    columns = rows / visible + (rows % visible ? 1 : 0);
  };
  int visible = 1, columns = 0;
  fit(sgBrowser->Height(), visible, columns);
  if (sgBrowser->ClientRect().right < int64_t(columns) * width)
    fit(sgBrowser->Height() - GetSystemMetrics(SM_CYHSCROLL), visible, columns);
  sgBrowser->RowSelect = false;
  sgBrowser->RowCount = visible;
  sgBrowser->ColCount = std::max(columns, 1);
  sgBrowser->ColWidths.assign(size_t(sgBrowser->ColCount), width);
}

// Five columns as the header shows them, the last one to the grid's edge.
void TBrowserForm::LayoutFiveColumns() {
  const int client = sgBrowser->ClientRect().right;
  std::vector<int> widths;
  if (sgTitle->Showing() && sgTitle->HeaderItems.size() == size_t(FullColumns)) {
    for (int i = 0; i < FullColumns; ++i) widths.push_back(sgTitle->ColWidth(i));
  } else {
    widths = UnpackColumnWidths(sgTitle->ColumnWidth(), client, FullColumns, true);
  }
  int used = 0;
  for (int i = 0; i + 1 < FullColumns; ++i) used += widths[size_t(i)];
  widths.back() = std::max(client - used, 0);
  sgBrowser->ColCount = FullColumns;
  sgBrowser->ColWidths = widths;
}

void TBrowserForm::LayoutOneColumn() {
  sgBrowser->ColCount = 1;
  sgBrowser->ColWidths.assign(1, sgBrowser->ClientRect().right);
}

void TBrowserForm::UpdateView() {
  if (!FolderList) return;
  const TFont font = GridFont();
  {
    TBusy busy(*this);
    if (!(sgBrowser->Font() == font)) sgBrowser->SetFont(font);
    sgBrowser->SetColor(MainColors[1]);
    TextHeight = ScreenTextExtent(font, "Tg").cy;
    sgBrowser->DefaultRowHeight = std::max(TextHeight, MinRowHeight);
    sgBrowser->SetScrollBars(Mode == PaneBrief ? ssHorizontal : ssVertical);
    switch (Mode) {
      case PaneTree:
        TreeRowCount = CountExpandedFiles(*FolderList);
        sgBrowser->RowSelect = true;
        LayoutOneColumn();
        sgBrowser->RowCount = TreeRowCount;
        break;
      case PaneBasket: {
        btnSendTobasket->Hide();
        lblBasketInfo->SetLeft(3);
        sgBrowser->RowSelect = true;
        const bool flat = BasketList->SavedDirBlock != nullptr;
        if (BasketMode == 1) {
          LayoutOneColumn();
          if (!flat) {
            THourglassCursor wait;
            FlattenDirBlocks(*BasketList, BasketList->FileCount);
            SortAllDirs(*BasketList);
          }
        } else {
          LayoutFiveColumns();
          if (flat) {
            RestoreDirBlocks(*BasketList);
            SortAllDirs(*BasketList);
          }
        }
        UpdateBasketLine();
        sgBrowser->RowCount = BasketRowCount > 0 ? BasketRowCount : 3;
        break;
      }
      case PaneFull:
        CutToRoot();
        FolderList->RowCount = FolderRows();
        sgBrowser->RowSelect = true;
        LayoutFiveColumns();
        sgBrowser->RowCount = FolderList->RowCount;
        break;
      default:
        FolderList->RowCount = FolderRows();
        LayoutBrief();
        break;
    }
    MoveTo(CurrentIndex, 0, 0);
  }
  UpdateStatus(CurrentIndex);
}

// ---- painting

namespace {

// Position of a record (block order, 1-based) in its directory's display
// order; 0 when the run does not show it.
uint32_t DisplayPosition(const TListLock& lock, uint32_t dir, uint32_t record) {
  const TDirRecord* d = lock.Dir(dir);
  if (!d) return 0;
  for (uint32_t pos = 1; pos <= d->FileCount; ++pos)
    if (lock.RecordAt(dir, pos) == record) return pos;
  return 0;
}

}  // namespace

// The lines that join an entry of the tree to its folder and the folders
// above it; x0 is the cell's left edge, level the entry's depth below the root.
void TBrowserForm::DrawTreeLines(TCanvas& c, const RECT& cell, uint32_t dir, uint32_t pos, int level) {
  TListLock lock(*FolderList);
  const TDirRecord* d = lock.Dir(dir);
  if (!d) return;
  const int middle = cell.top + sgBrowser->DefaultRowHeight / 2;
  auto lineX = [&](int lvl) { return int(cell.left) + lvl * TreeIndent + TreeIndent - 8; };
  const int x = lineX(level);
  c.MoveTo(x, middle);
  c.LineTo(x + 7, middle);
  c.MoveTo(x, cell.top);
  c.LineTo(x, pos < d->FileCount ? cell.bottom : middle + 1);
  // Each folder above: a line through the cell while it has entries below this branch.
  uint32_t below = dir;
  for (int lvl = level - 1; lvl >= 0; --lvl) {
    const TDirRecord* sub = lock.Dir(below);
    const uint32_t owner = sub ? sub->Flags & DirTreeFileMask : 0;
    if (!owner || owner > uint32_t(FolderList->FileCount)) return;
    const uint32_t up = lock.Files()[owner - 1].DirNumber;
    const TDirRecord* upper = lock.Dir(up);
    if (!upper || owner <= upper->FirstFile) return;
    const uint32_t at = DisplayPosition(lock, up, owner - upper->FirstFile);
    if (at && at < upper->FileCount) {
      c.MoveTo(lineX(lvl), cell.top);
      c.LineTo(lineX(lvl), cell.bottom);
    }
    below = up;
  }
}

void TBrowserForm::sgBrowserDrawCell(int col, int row, const RECT& rect, unsigned, TCanvas& c) {
  if (Busy || !FolderList) return;
  c.SetFont(GridFont());
  c.SetBrushColor(MainColors[1]);
  if (Mode == PaneBasket && BasketRowCount == 0) {
    const RECT all = sgBrowser->ClientRect();
    c.FillRect(all);
    const std::string text = Tx(TextEmptyBasket);
    SetBkMode(c.Handle(), TRANSPARENT);
    c.TextOut((all.right - c.TextWidth(text)) / 2, 10, text);
    return;
  }
  const int32_t index = CellIndex(col, row);
  uint32_t dir = 0, pos = 0;
  if (!RowToItem(index, dir, pos)) {
    c.FillRect(rect);
    return;
  }
  TstateOfBrowser& list = ShownList();
  const bool wholeRow = Mode == PaneFull || Mode == PaneBasket;
  const bool highlight = (sgBrowser->Focused() || ActivePane == this) && row == sgBrowser->Row() &&
                         (wholeRow || col == sgBrowser->Col());
  TColor textColour = highlight ? MainColors[4] : MainColors[0];
  if (pos > 0 && IsFileSelected(dir, pos, list)) textColour = MainColors[2];
  const bool folderRow = Mode == PaneBasket && BasketMode == 2 && pos == 0;
  if (folderRow && !highlight) textColour = FolderRowGreen;
  c.SetBrushColor(highlight ? MainColors[3] : MainColors[1]);
  SetTextColor(c.Handle(), ColorToRGB(textColour));
  c.SetPenColor(textColour);
  const int rowHeight = sgBrowser->DefaultRowHeight;
  const int y = rect.top + (rowHeight - TextHeight) / 2;
  const int iconY = rect.top + (rowHeight - 15) / 2;
  std::string text;
  auto columnText = [&](int kind) {
    GetColumnText(kind, dir, pos, text, list);
    return text;
  };
  switch (Mode) {
    case PaneBrief: {
      c.TextRect(rect, rect.left + 18, y, columnText(ColName));
      const std::string ext = columnText(ColExtension);
      if (!ext.empty()) {
        const int x = rect.left + (rect.right - rect.left) - 7 - c.TextWidth(ext);
        RECT at = rect;
        at.left = std::max(x, int(rect.left));
        c.TextRect(at, x, y, ext);
      }
      DrawIcon(c, rect.left, iconY, IconOf(dir, pos, false));
      break;
    }
    case PaneTree: {
      const int level = std::max(GetDirLevel(dir, list) - GetDirLevel(1, list), 0);
      c.TextRect(rect, rect.left + level * TreeIndent + 33, y, columnText(ColFullName));
      DrawIcon(c, rect.left + level * TreeIndent + TreeIndent, iconY, IconOf(dir, pos, false));
      DrawTreeLines(c, rect, dir, pos, level);
      break;
    }
    default: {
      const bool basket = Mode == PaneBasket;
      const int indent = basket ? 1 : 2;
      if (folderRow) {
        std::string path;
        int32_t depth = 0;
        GetItemName(dir, 0, path, list, depth);
        c.TextRect(rect, indent + 16, y, path);
      } else if (basket && BasketMode == 1) {
        c.TextRect(rect, rect.left + indent + 16, y, columnText(ColLocation) + "\\" + columnText(ColFullName));
      } else {
        const int kind = int((ColumnKinds >> (4 * col)) & 0xF);
        columnText(kind);
        const int x = kind == ColSize ? rect.right - 8 - c.TextWidth(text) : rect.left + indent + (col == 0 ? 16 : 0);
        c.TextRect(rect, x, y, text);
      }
      if (col == 0) DrawIcon(c, rect.left, iconY, IconOf(dir, pos, basket));
      break;
    }
  }
  if (highlight && (Mode == PaneBrief || (Mode == PaneBasket && BasketMode == 1)) && list.SelectedCount == 0)
    UpdateStatus(index);
}

// now: without the icon reader, which never runs over the basket's shared blocks.
int32_t TBrowserForm::IconOf(uint32_t dir, uint32_t pos, bool now) {
  TstateOfBrowser& list = ShownList();
  return now ? GetItemIconIndexNow(dir, pos, list) : GetItemIconIndex(dir, pos, list, sgBrowser->Handle(), iconThread_);
}

void TBrowserForm::DrawIcon(TCanvas& c, int x, int y, int32_t icon) {
  if (icon >= 0) {
    if (SystemImageList) c.Draw(x, y, SystemImageList, icon);
  } else if (HIMAGELIST own = host_.ImageListBrowser()) {
    c.Draw(x, y, own, -icon - 1);
  }
}

void TBrowserForm::UpdateStatus(int32_t index) {
  TstateOfBrowser& list = ShownList();
  uint32_t dir = 0, pos = 0;
  bool item = false;
  if (Mode == PaneBrief && index >= 0 && index < FolderRows()) {
    item = RowToItem(index, dir, pos) && pos > 0;
  } else if (Mode == PaneBasket && BasketMode == 1) {
    item = RowToItem(CurrentIndex, dir, pos) && pos > 0;
  }
  if (item && list.SelectedCount == 0) {
    for (int kind = ColName; kind <= ColAttributes; ++kind)
      GetColumnText(kind, dir, pos, sbFilesComment->Panels[size_t(kind)].Text, list);
    sbFilesComment->SetSimplePanel(false);
    sbFilesComment->PanelsChanged();
    return;
  }
  sbFilesComment->SetSimpleText(FormatTx(TextSelection, {KiloText(list.SelectedBytes), KiloText(list.TotalBytes),
                                                         list.SelectedFiles, list.ListedFiles}));
  sbFilesComment->SetSimplePanel(true);
}

void TBrowserForm::sbFilesCommentResize() {
  const int width = sbFilesComment->Width();
  const uint64_t word = sgTitle->ColumnWidth();
  for (int i = 0; i < 4; ++i)
    sbFilesComment->Panels[size_t(i)].Width = int((word >> (9 * i)) & 0x1FF) * width / kWidthShareWhole;
  sbFilesComment->PanelsChanged();
}
