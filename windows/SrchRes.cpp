#include "windows/SrchRes.h"

#include <algorithm>
#include <vector>

#include "controls/BrowserImages.h"
#include "controls/OrvHeader.h"
#include "core/DirRegistry.h"
#include "core/Drives.h"
#include "core/Formats.h"
#include "core/Help.h"
#include "core/ListLock.h"
#include "core/RenameName.h"
#include "core/RowTexts.h"
#include "core/Selection.h"
#include "core/SharedTexts.h"
#include "core/SortList.h"
#include "core/translator.h"
#include "framework/Cursors.h"
#include "framework/Dialogs.h"
#include "windows/FormBrowser.h"
#include "windows/MainForm.h"
#include "windows/Settings.h"
#include "windows/StandardQuery.h"
#include "windows/TabOrder.h"

namespace {

const TUnitTexts resultsTexts{
    {1100, "Search results"}, {1101, "Files operations:"}, {1102, "Send to &Basket"},
    {1105, "Operations:"},    {1106, "Sto&p search"},      {1107, "&Go to file"},
    {1108, "&Help"},          {1110, "&Start Rename"},     {1111, "&Help"},
    {1112, "&Cancel"},        {1113, "View mode:"},
};

constexpr int KeyNone = 7;
// The sort word of each sort key: name, extension, size, date.
constexpr uint32_t kSortWords[] = {SortDefault, 1, 66, 67};

constexpr COLORREF FolderRowGreen = RGB(0, 128, 0);
constexpr COLORREF SelectedRed = RGB(255, 0, 0);

uint32_t Pack(std::initializer_list<int> values, int bits) {
  uint32_t word = 0;
  int shift = 0;
  for (int v : values) {
    word |= uint32_t(v) << shift;
    shift += bits;
  }
  return word;
}

// Columns whose width comes from a sample text; the others share the rest.
const char* SampleText(int kind) {
  switch (kind) {
    case ColExtension: return "Ext45";
    case ColSize: return "1234567";
    case ColTime: return "12.12.02 12:59";
    case ColAttributes: return "Attr";
    case ColNewExtension: return "New ext";
    default: return nullptr;
  }
}

// The header row: clicks sort, drags size, the focus stays in the list.
class TTitleGrid : public TPylStringGrid {
 public:
  using TPylStringGrid::TPylStringGrid;
  bool CanFocus() const override { return false; }
};

}  // namespace

TSrchRes::TSrchRes() : TForm(nullptr, TFormBorder::Sizeable) {
  sortImages_ = MakeUpDownImages();
  CreateControls();
  KeyPreview = true;
  OnKeyDown = [this](WORD& key, unsigned shift) { FormKeyDown(key, shift); };
  OnResize = [this] { FormResize(); };
  OnShow = [this] {
    // One and a half text lines.
    sbFilesComment->SetHeight(GetFontHeight(sbFilesComment->Font().Handle()) * 3 / 2 + 4);
    ArrangeColumns();
    sgFinder->SetFocus();
  };
  EnableMainControls(false);
  PlaceOverMainWindow();
  ApplyTexts();
}

TSrchRes::~TSrchRes() { EnableMainControls(true); }

void TSrchRes::CreateControls() {
  Texts.Add(this, 1100);
  pnlForFinder = new TPanel(this);
  pnlForFinder->SetAlign(TAlign::Bottom);
  pnlForFinder->SetHeight(62);
  pnlForFinder->BevelOuter = TBevelCut::None;
  auto group = [this](int x, int width, int text) {
    auto* g = new TGroupBox(pnlForFinder);
    g->SetBounds(x, 2, width, 56);
    Texts.Add(g, text);
    return g;
  };
  auto button = [this](TWinControl* parent, int x, int y, int width, int text, TNotifyEvent click) {
    auto* b = new TPylBitBtn(parent);
    b->SetBounds(x, y, width, 28);
    b->OnClick = std::move(click);
    Texts.Add(b, text);
    return b;
  };
  gbxSends = group(6, 290, 1101);
  btnSendToBasket = button(gbxSends, 8, 20, 134, 1102, [this] { btnSendToBasketClick(); });
  btnGoToFile = button(gbxSends, 148, 20, 134, 1107, [this] { btnGoToFileClick(); });
  gbxOperations = group(302, 290, 1105);
  btnStopSearch = button(gbxOperations, 8, 20, 134, 1106, [this] { btnStopSearchClick(); });
  btnHelpF = button(gbxOperations, 148, 20, 134, 1108, [this] { btnHelpFClick(); });
  gbViewMode = group(598, 80, 1113);
  // A group box is a system control and paints no windowless child.
  auto* viewButtons = new TPanel(gbViewMode);
  viewButtons->BevelOuter = TBevelCut::None;
  viewButtons->SetBounds(4, 16, 72, 34);
  btnSetModeBrief = new TSpeedButtonNew(viewButtons);
  btnSetModeFull = new TSpeedButtonNew(viewButtons);
  for (TSpeedButtonNew* b : {btnSetModeBrief, btnSetModeFull}) {
    b->GroupIndex = 1;
    b->ShowHint = true;
    b->OnClick = [this] { btnSetModeBriefClick(); };
  }
  btnSetModeBrief->SetBounds(6, 4, 28, 26);
  btnSetModeFull->SetBounds(38, 4, 28, 26);
  btnSetModeBrief->Hint = "Brief";
  btnSetModeFull->Hint = "Full";

  pnlForRenamer = new TPanel(this);
  pnlForRenamer->SetAlign(TAlign::Bottom);
  pnlForRenamer->SetHeight(44);
  pnlForRenamer->BevelOuter = TBevelCut::None;
  pnlForRenamer->Hide();
  btnStartRename = button(pnlForRenamer, 8, 8, 134, 1110, [this] { btnStartRenameClick(); });
  btnHlpRenamer = button(pnlForRenamer, 148, 8, 134, 1111, [this] { btnHelpFClick(); });
  btnExit = button(pnlForRenamer, 288, 8, 134, 1112, [this] { btnExitClick(); });

  sbFilesComment = new TOrvStatusBar(this);
  sbFilesComment->OnResize = [this] { sbFilesCommentResize(); };

  TFont bold = Font();
  bold.Bold = true;
  RowHeight = std::max(GetFontHeight(Font().Handle()) + 4, 17);
  sgTitle = new TTitleGrid(this);
  sgTitle->SetAlign(TAlign::Top);
  sgTitle->SetHeight(RowHeight + 2);
  // It takes no focus (the mouse sorts and sizes by the titles), so no Tab stop.
  RemoveTabStop(*sgTitle);
  sgTitle->RowCount = 1;
  sgTitle->DefaultRowHeight = RowHeight + 2;
  sgTitle->ColSizing = true;
  sgTitle->SetFont(bold);
  sgTitle->OnDrawCell = [this](int col, int row, const RECT& r, unsigned s, TCanvas& c) {
    sgTitleDrawCell(col, row, r, s, c);
  };
  sgTitle->OnMouseUp = [this](TMouseButton b, unsigned s, int x, int y) { sgTitleMouseUp(b, s, x, y); };
  sgTitle->OnColumnResized = [this](int col) {
    userSized_ |= 1u << col;
    if (col < int(ColWidth.size())) ColWidth[size_t(col)] = sgTitle->ColWidths[size_t(col)];
    sgFinder->ColWidths = sgTitle->ColWidths;
    sgFinder->Invalidate();
  };

  sgFinder = new TPylStringGrid(this);
  sgFinder->SetAlign(TAlign::Client);
  sgFinder->RowSelect = true;
  sgFinder->RowCount = 1;
  sgFinder->DefaultRowHeight = RowHeight;
  sgFinder->SetScrollBars(ssBoth);
  sgFinder->OnDrawCell = [this](int col, int row, const RECT& r, unsigned s, TCanvas& c) {
    sgFinderDrawCell(col, row, r, s, c);
  };
  sgFinder->OnKeyDown = [this](WORD& key, unsigned shift) { sgFinderKeyDown(key, shift); };
  sgFinder->OnMouseDown = [this](TMouseButton b, unsigned s, int x, int y) { sgFinderMouseDown(b, s, x, y); };
  sgFinder->OnMouseMove = [this](unsigned s, int x, int y) { sgFinderMouseMove(s, x, y); };
  sgFinder->OnMouseUp = [this](TMouseButton b, unsigned, int, int) {
    if (b != TMouseButton::Right) return;
    DragOperation = 0;
    if (GetCapture() == sgFinder->Handle()) ReleaseCapture();
  };
  sgFinder->OnDblClick = [this] {
    if (searchEnded_ && !preview_) GoToFile();
  };
  sgFinder->OnTopLeftChanged = [this] { sgFinderTopLeftChanged(); };
  sgFinder->OnSelectCell = [this](int, int row, bool&) { UpdateBriefStatus(row); };
  sgFinder->OnSetFocus = [this](HWND) { sgFinder->Invalidate(); };
  sgFinder->OnKillFocus = [this](HWND) { sgFinder->Invalidate(); };
  ActiveControl = sgFinder;
}

void TSrchRes::PlaceOverMainWindow() {
  RECT r;
  if (!MainForm || !GetWindowRect(MainForm->Handle(), &r)) {
    SetBounds(40, 40, 760, 520);
    return;
  }
  const int above = MainForm->ControlBarMain->Height() + GetSystemMetrics(SM_CYCAPTION) + 5;
  SetBounds(r.left, r.top + above, r.right - r.left, std::max(int(r.bottom - r.top) - above, 200));
}

void TSrchRes::InitForFinder() {
  preview_ = false;
  searchEnded_ = false;
  ViewMode = ResultsFull;
  btnSetModeFull->SetDown(true);
  RowCount = 0;
  bool duplicates = false;
  {
    TLock lock(ResultsLock);
    ResultsList->FileCount = ResultsList->DirCount = 0;
    duplicates = ResultsList->Filter.Duplicates;
  }
  ColumnKinds = duplicates ? Pack({ColName, ColExtension, ColSize, ColTime, ColAttributes, ColLocation}, 4)
                           : Pack({ColName, ColExtension, ColSize, ColTime, ColAttributes}, 4);
  SortKeys = Pack({0, 1, 2, 3, KeyNone, KeyNone}, 3);
  columns_ = duplicates ? 6 : 5;
  pnlForFinder->Show();
  pnlForRenamer->Hide();
  sbFilesComment->Show();
  gbViewMode->SetVisible(!duplicates);
  btnHelpF->LoadGlyph("BTNHLP");
  btnStopSearch->LoadGlyph("BTNSTOP");
  btnSetModeBrief->SetGlyph(LoadBitmapResource("BRIEFMODE"));
  btnSetModeFull->SetGlyph(LoadBitmapResource("FULLMODE"));
  btnGoToFile->LoadGlyph("BTNGOTO");
  btnSendToBasket->LoadGlyph("BTNBASKETADD");
  sgFinder->RowCount = 1;
  ArrangeColumns();
  UpdateButtons();
}

void TSrchRes::InitForRenamePreview() {
  preview_ = true;
  searchEnded_ = true;
  ViewMode = ResultsFull;
  {
    TLock lock(ResultsLock);
    RowCount = std::max(ResultsList->FileCount, 0);
  }
  ColumnKinds = Pack({ColLocation, ColNameOnly, ColExtension, ColNewName, ColNewExtension, ColSize, ColTime}, 4);
  SortKeys = Pack({KeyNone, 0, 1, KeyNone, KeyNone, 2, 3}, 3);
  columns_ = 7;
  pnlForFinder->Hide();
  pnlForRenamer->Show();
  sbFilesComment->Hide();
  btnHlpRenamer->LoadGlyph("BTNHLP");
  btnExit->LoadGlyph("BTNCANCEL");
  btnStartRename->LoadGlyph("BTNSTART", 3);
  sgFinder->RowCount = std::max(RowCount, 1);
  ArrangeColumns();
}

int TSrchRes::ColumnCount() const { return ViewMode == ResultsFull ? columns_ : 1; }

bool TSrchRes::HeaderRows() const {
  const TstateOfBrowser& list = *ResultsList;
  return !preview_ && ViewMode == ResultsFull && !list.Filter.Duplicates && !list.SavedDirBlock;
}

bool TSrchRes::RowItem(int row, uint32_t& dir, uint32_t& pos) const {
  dir = pos = 0;
  if (row < 0 || row >= RowCount) return false;
  FlatRowToItem(row + 1, HeaderRows(), dir, *ResultsList, pos);
  return dir != 0;
}

void TSrchRes::ArrangeColumns() {
  const int count = ColumnCount();
  const int avail = std::max(int(sgFinder->ClientRect().right) - 1, 60);
  std::vector<int> widths(size_t(count), 0);
  if (ViewMode != ResultsFull) {
    widths[0] = avail;
  } else {
    int rest = avail;
    std::vector<int> shared;
    for (int col = 0; col < count; ++col) {
      const size_t i = size_t(col);
      if (userSized_ & (1u << col)) {
        widths[i] = ColWidth[i];
      } else if (const char* sample = SampleText(KindOf(col))) {
        widths[i] = SampleWidth(KindOf(col), sample);
      } else {
        shared.push_back(col);
        continue;
      }
      rest -= widths[i];
    }
    rest = std::max(rest, 60);
    // Name alone; name a third and location the rest; in the preview the
    // location a third and the two names half of the remainder each.
    const int n = int(shared.size());
    for (int k = 0; k < n; ++k) {
      const int kind = KindOf(shared[size_t(k)]);
      int w = rest;
      if (n == 2) w = kind == ColLocation ? rest - rest / 3 : rest / 3;
      if (n == 3) w = kind == ColLocation ? rest / 3 : (rest - rest / 3) / 2;
      widths[size_t(shared[size_t(k)])] = std::max(w, 20);
    }
    ColumnShares = PackColumnWidths(std::vector<int>(widths.begin(), widths.begin() + std::min(count, 5)), avail);
  }
  for (int col = 0; col < count; ++col) ColWidth[size_t(col)] = widths[size_t(col)];
  sgFinder->ColCount = sgTitle->ColCount = count;
  sgFinder->ColWidths = sgTitle->ColWidths = widths;
  sgFinder->SetLeftCol(sgFinder->LeftCol());
  sgTitle->SetLeftCol(sgFinder->LeftCol());
  sgFinder->Invalidate();
  sgTitle->Invalidate();
}

// The sample, or a date as this system writes it, or the bold title with
// the sort image, whichever is widest.
int TSrchRes::SampleWidth(int kind, const char* sample) const {
  int width = ScreenTextExtent(sgFinder->Font(), sample).cx;
  if (kind == ColTime) {
    const SYSTEMTIME t{2002, 12, 0, 28, 22, 59, 0, 0};
    FILETIME local, utc;
    std::string text;
    if (SystemTimeToFileTime(&t, &local) && LocalFileTimeToFileTime(&local, &utc))
      width = std::max(width, int(ScreenTextExtent(sgFinder->Font(), FileTimeToText(utc, text)).cx));
  }
  const int title = ScreenTextExtent(sgTitle->Font(), GetColumnTitle(kind)).cx + sortImages_->Width() + 4;
  return std::max(width, title) + 10;
}

void TSrchRes::FormResize() { ArrangeColumns(); }

void TSrchRes::ShowStatus(const std::string& text) {
  status_ = text;
  if (ViewMode == ResultsFull) sbFilesComment->SetSimpleText(text);
}

void TSrchRes::SetRowCount(int32_t rows, int32_t gridRows) {
  RowCount = std::max(rows, 0);
  sgFinder->RowCount = std::max(gridRows, 1);
  sgFinder->SetTopRow(sgFinder->TopRow());
  sgFinder->Invalidate();
  UpdateButtons();
}

void TSrchRes::sgFinderDrawCell(int col, int row, const RECT& rect, unsigned, TCanvas& c) {
  c.SetFont(sgFinder->Font());
  c.SetBrushColor(clWindow);
  SetBkMode(c.Handle(), TRANSPARENT);
  const int textY = rect.top + (RowHeight - GetFontHeight(sgFinder->Font().Handle(), c.Handle())) / 2;
  if (RowCount == 0) {
    c.FillRect(rect);
    if (!searchEnded_ || row != 0) return;
    TFont bold = sgFinder->Font();
    bold.Bold = true;
    c.SetFont(bold);
    const std::string text = Tx(TextFilesNotFound);
    SetTextColor(c.Handle(), ColorToRGB(clWindowText));
    c.TextRect(rect, (sgFinder->ClientRect().right - c.TextWidth(text)) / 2, textY, text);
    return;
  }
  TLock lock(ResultsLock);
  TstateOfBrowser& list = *ResultsList;
  uint32_t dir = 0, pos = 0;
  if (!RowItem(row, dir, pos)) {
    c.FillRect(rect);
    return;
  }
  const bool cursor = row == sgFinder->Row();
  const bool focused = sgFinder->Focused();
  TColor back = clWindow;
  COLORREF text = ColorToRGB(clWindowText);
  if (cursor) {
    back = focused ? clActiveCaption : clInactiveCaption;
    text = ColorToRGB(focused ? clCaptionText : clInactiveCaptionText);
  }
  if (pos == 0) {
    text = FolderRowGreen;
  } else if (IsFileSelected(dir, pos, list)) {
    text = SelectedRed;
  }
  c.SetBrushColor(back);
  c.FillRect(rect);
  SetTextColor(c.Handle(), text);
  const int width = int(rect.right - rect.left) - 6;
  std::string value, shown;
  if (pos == 0) {
    // The folder's path runs across the whole row.
    value = EntryDirPath(dir, list) + "\\";
    c.TextRect(rect, 4, textY, value);
    return;
  }
  if (ViewMode != ResultsFull) {
    std::string name;
    GetColumnText(ColLocation, dir, pos, value, list);
    GetColumnText(ColFullName, dir, pos, name, list);
    ShortenPathToWidth(value + "\\" + name, c.Handle(), width, shown);
    c.TextRect(rect, rect.left + 3, textY, shown);
    return;
  }
  const int kind = KindOf(col);
  value = ColumnText(col, dir, pos);
  if (kind == ColLocation) {
    ShortenPathToWidth(value, c.Handle(), width, shown);
  } else {
    FitTextToWidth(sgFinder->Font().Handle(), value, width, shown, c.Handle());
  }
  const int x = kind == ColSize ? rect.right - 3 - c.TextWidth(shown) : rect.left + 3;
  c.TextRect(rect, x, textY, shown);
}

std::string TSrchRes::ColumnText(int col, uint32_t dir, uint32_t pos) const {
  const int kind = KindOf(col);
  // A new name's counter is the entry's number as the rename thread counts:
  // the plan is one flat folder without shell items, so its place.
  if (preview_ && (kind == ColNewName || kind == ColNewExtension)) RenamerFileStructure.FileNumber = int32_t(pos);
  std::string text;
  GetColumnText(kind, dir, pos, text, *ResultsList);
  return text;
}

void TSrchRes::sgTitleDrawCell(int col, int, const RECT& rect, unsigned, TCanvas& c) {
  int sorted = -1;
  bool reversed = false;
  {
    TLock lock(ResultsLock);
    const TstateOfBrowser& list = *ResultsList;
    reversed = list.SortKind & SortReverse;
    for (int k = 0; k < ColumnCount() && !list.Filter.Duplicates; ++k) {
      const int key = ViewMode == ResultsFull ? SortKeyOf(k) : 0;
      if (key < 4 && kSortWords[key] == (list.SortKind & ~SortReverse)) sorted = k;
    }
  }
  c.SetFont(sgTitle->Font());
  c.SetBrushColor(col == sorted ? SysColor(COLOR_3DLIGHT) : clBtnFace);
  c.FillRect(rect);
  c.DrawEdge(rect, col == sorted ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  const std::string title = ViewMode == ResultsFull ? GetColumnTitle(KindOf(col)) : GetColumnTitle(ColName);
  std::string shown;
  const int imageRoom = col == sorted ? sortImages_->Width() + 4 : 0;
  FitTextToWidth(sgTitle->Font().Handle(), title, int(rect.right - rect.left) - 8 - imageRoom, shown, c.Handle());
  SetBkMode(c.Handle(), TRANSPARENT);
  SetTextColor(c.Handle(), ColorToRGB(clBtnText));
  const int textY = rect.top + (int(rect.bottom - rect.top) - c.TextHeight("Ag")) / 2;
  RECT inner = rect;
  InflateRect(&inner, -1, -1);
  c.TextRect(inner, rect.left + 4, textY, shown);
  if (col != sorted) return;
  const int x = rect.left + 4 + c.TextWidth(shown) + 4;
  sortImages_->Draw(c, x, rect.top + (int(rect.bottom - rect.top) - sortImages_->Height()) / 2,
                    reversed ? 1 : 0, reversed);
}

void TSrchRes::sgTitleMouseUp(TMouseButton button, unsigned, int x, int y) {
  if (button != TMouseButton::Left) return;
  int col = 0, row = 0;
  if (sgTitle->MouseToCell(x, y, col, row)) ChangeSort(col);
}

void TSrchRes::ChangeSort(int col) {
  const int key = ViewMode == ResultsFull ? SortKeyOf(col) : 0;
  if (key >= 4) return;
  {
    TLock lock(ResultsLock);
    TstateOfBrowser& list = *ResultsList;
    if (list.Filter.Duplicates) return;
    THourglassCursor hourglass;
    const uint32_t word = kSortWords[key];
    list.SortKind = (list.SortKind & ~SortReverse) == word ? list.SortKind ^ SortReverse : word;
    SortAllDirs(list);
  }
  sgTitle->Invalidate();
  sgFinder->Invalidate();
  UpdateBriefStatus(sgFinder->Row());
}

void TSrchRes::sgFinderTopLeftChanged() { sgTitle->SetLeftCol(sgFinder->LeftCol()); }

void TSrchRes::sbFilesCommentResize() {
  if (ViewMode == ResultsFull) return;
  const std::vector<int> widths = UnpackColumnWidths(ColumnShares, sbFilesComment->Width(), 5, false);
  sbFilesComment->Panels.resize(5);
  for (size_t i = 0; i < 5 && i < widths.size(); ++i) sbFilesComment->Panels[i].Width = widths[i];
  sbFilesComment->PanelsChanged();
}

void TSrchRes::UpdateBriefStatus(int row) {
  if (ViewMode == ResultsFull) return;
  sbFilesComment->Panels.resize(5);
  {
    TLock lock(ResultsLock);
    uint32_t dir = 0, pos = 0;
    const bool found = RowItem(row, dir, pos);
    const int kinds[] = {ColName, ColExtension, ColSize, ColTime, ColAttributes};
    for (size_t i = 0; i < 5; ++i) {
      std::string& text = sbFilesComment->Panels[i].Text;
      text.clear();
      if (found) GetColumnText(kinds[i], dir, pos, text, *ResultsList);
    }
  }
  sbFilesComment->PanelsChanged();
}

void TSrchRes::UpdateButtons() {
  if (preview_) return;
  bool selected = false;
  if (searchEnded_ && RowCount > 0) {
    TLock lock(ResultsLock);
    UpdateListTotals(*ResultsList);
    selected = ResultsList->SelectedCount > 0;
  }
  const bool rows = searchEnded_ && RowCount > 0;
  btnGoToFile->SetEnabled(rows);
  btnSetModeBrief->SetEnabled(rows);
  btnSetModeFull->SetEnabled(rows);
  btnSendToBasket->SetEnabled(rows && selected);
}

void TSrchRes::SelectRow(int row, int operation) {
  TLock lock(ResultsLock);
  uint32_t dir = 0, pos = 0;
  if (!RowItem(row, dir, pos) || pos == 0) return;
  int32_t depth = 0;
  {
    TListLock records(*ResultsList);
    const TDirRecord* d = records.Dir(dir);
    if (!d) return;
    depth = d->Depth;
  }
  // Rows of a folder below a root count the "[..]" row first.
  ChangeItemSelection(dir, int32_t(pos) + (depth > 0 ? 1 : 0), *ResultsList, operation, false);
}

void TSrchRes::SelectAllFiles(int operation) {
  TLock lock(ResultsLock);
  for (int32_t dir = 1; dir <= ResultsList->DirCount; ++dir)
    ChangeDirSelection(uint32_t(dir), *ResultsList, false, operation);
}

void TSrchRes::SelectionChanged() {
  {
    TLock lock(ResultsLock);
    UpdateListTotals(*ResultsList);
  }
  sgFinder->Invalidate();
  UpdateButtons();
}

void TSrchRes::sgFinderKeyDown(WORD& key, unsigned shift) {
  if (key == VK_ESCAPE) {
    key = 0;
    PostMessageA(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0);
    return;
  }
  if (key == VK_RETURN) {
    key = 0;
    if (searchEnded_ && !preview_) GoToFile();
    return;
  }
  if (preview_ || RowCount == 0) return;
  const bool ctrl = shift & ssCtrl;
  const int row = sgFinder->Row();
  switch (key) {
    case VK_SPACE:
    case VK_INSERT:
      SelectRow(row, SelToggle);
      if (key == VK_INSERT && row + 1 < RowCount) sgFinder->MoveToCell(sgFinder->Col(), row + 1);
      break;
    case 'A':
      if (!ctrl) return;
      SelectAllFiles(SelSet);
      break;
    case VK_ADD:
    case VK_SUBTRACT: {
      const bool select = key == VK_ADD;
      if (ctrl) {
        SelectAllFiles(select ? SelSet : SelClear);
        break;
      }
      std::string mask;
      // Asked before the lock is taken: the dialog handles messages.
      if (!AskForMask(Tx(select ? TextSelectFiles : TextUnselectFiles), MaskSelectionRing, mask)) {
        key = 0;
        return;
      }
      TLock lock(ResultsLock);
      for (int32_t dir = 1; dir <= ResultsList->DirCount; ++dir)
        SelectByMask(uint32_t(dir), mask, select, *ResultsList);
      break;
    }
    case VK_MULTIPLY:
      SelectAllFiles(SelToggle);
      break;
    default:
      return;
  }
  key = 0;
  SelectionChanged();
}

void TSrchRes::FormKeyDown(WORD& key, unsigned) {
  if (key == VK_ESCAPE) {
    key = 0;
    PostMessageA(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else if (key == VK_F1) {
    key = 0;
    btnHelpFClick();
  }
}

void TSrchRes::sgFinderMouseDown(TMouseButton button, unsigned, int x, int y) {
  if (preview_ || button != TMouseButton::Right) return;
  int col = 0, row = 0;
  if (!sgFinder->MouseToCell(x, y, col, row)) return;
  SelectRow(row, SelToggle);
  {
    TLock lock(ResultsLock);
    uint32_t dir = 0, pos = 0;
    RowSelected = RowItem(row, dir, pos) && pos > 0 && IsFileSelected(dir, pos, *ResultsList);
  }
  DragOperation = RowSelected ? SelSet : SelClear;
  dragRow_ = row;
  SetCapture(sgFinder->Handle());
  SelectionChanged();
}

void TSrchRes::sgFinderMouseMove(unsigned, int x, int y) {
  if (!DragOperation) return;
  int col = 0, row = 0;
  if (!sgFinder->MouseToCell(x, y, col, row) || row == dragRow_) return;
  dragRow_ = row;
  SelectRow(row, DragOperation);
  SelectionChanged();
}

void TSrchRes::btnSetModeBriefClick() {
  const int mode = btnSetModeBrief->Down() ? ResultsBrief : ResultsFull;
  if (mode == ViewMode || !searchEnded_) return;
  int32_t rows = 0;
  {
    TLock lock(ResultsLock);
    THourglassCursor hourglass;
    TstateOfBrowser& list = *ResultsList;
    if (mode == ResultsBrief) {
      FlattenDirBlocks(list, list.FileCount);
      rows = list.FileCount;
    } else {
      RestoreDirBlocks(list);
      rows = list.FileCount + (list.Filter.Duplicates ? 0 : list.DirCount);
    }
    SortAllDirs(list);
  }
  ViewMode = mode;
  userSized_ = 0;
  RowCount = rows;
  sgFinder->RowCount = std::max(rows, 1);
  sgFinder->MoveToCell(0, 0);
  ArrangeColumns();
  if (mode == ResultsFull) {
    sbFilesComment->SetSimplePanel(true);
    sbFilesComment->SetSimpleText(status_);
  } else {
    sbFilesCommentResize();
    sbFilesComment->SetSimplePanel(false);
    UpdateBriefStatus(0);
  }
  sgFinder->SetFocus();
}

void TSrchRes::btnSendToBasketClick() {
  {
    TLock lock(ResultsLock);
    UpdateListTotals(*ResultsList);
    THourglassCursor hourglass;
    AddSelectionToBasket(*ResultsList);
    CompactTextPool(Basket);
    AttachBasketView(ModeLeftView, false, Basket);
    AttachBasketView(ModeSecondMark, false, Basket);
    UpdateListTotals(LeftBasketView);
    UpdateListTotals(RightBasketView);
    UpdateListTotals(*ResultsList);
  }
  if (ActivePane && ActivePane->Showing()) {
    const int basket = FindDriveIndex('*', DriveList);
    if (basket >= 0) {
      ActivePane->cmbDrives->SetItemIndex(basket);
      ActivePane->OpenCurrentDriveRoot();
    }
  }
  sgFinder->Invalidate();
  UpdateButtons();
  sgFinder->SetFocus();
}

void TSrchRes::btnGoToFileClick() { GoToFile(); }

void TSrchRes::GoToFile() {
  if (RowCount == 0 || !ActivePane || !ActivePane->Showing()) return;
  std::string folder, name;
  {
    TLock lock(ResultsLock);
    TstateOfBrowser& list = *ResultsList;
    uint32_t dir = 0, pos = 0;
    if (!RowItem(sgFinder->Row(), dir, pos)) return;
    if (pos == 0) {
      folder = EntryDirPath(dir, list);
    } else {
      TListLock records(list);
      const TFileRecord* e = records.Entry(dir, pos);
      if (!e) return;
      const uint32_t number = e->DirNumber, offset = e->NameOffset;
      folder = EntryDirPath(number, list);
      name = list.Names->GetString(offset);
    }
  }
  ActivePane->OpenFolder(folder, name);
  WentToFile = true;
  Close();
}

void TSrchRes::StopSearch() {
  if (!Finder || stopping_) return;
  stopping_ = true;
  // Only sent messages are served meanwhile: the thread's synchronised calls
  // and its OnTerminate get through, a second Stop, Esc or close waits.
  Finder->StopAndWait();
  stopping_ = false;
}

void TSrchRes::btnStopSearchClick() {
  if (SearchRunning()) {
    StopSearch();
    sgFinder->SetFocus();
  } else {
    Close();
  }
}

void TSrchRes::CloseRequested() {
  if (stopping_) return;
  if (SearchRunning()) {
    const std::string caption = Application().MainForm ? Application().MainForm->Caption() : Caption();
    if (ShowMessageBox(hwnd_, Tx(TextAbortQuestion), caption, MB_YESNOCANCEL | MB_ICONQUESTION) == IDYES) StopSearch();
    return;
  }
  Close();
}

bool TSrchRes::WMSysCommand(WPARAM command) {
  switch (command & 0xFFF0) {
    case SC_CLOSE:
      CloseRequested();
      return true;
    case SC_MINIMIZE:
      if (!Application().MainForm) return false;
      ShowWindow(Application().MainForm->Handle(), SW_MINIMIZE);
      return true;
    default:
      return false;
  }
}

LRESULT TSrchRes::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SYSCOMMAND && WMSysCommand(wp)) return 0;
  return TForm::WndProc(msg, wp, lp);
}

void TSrchRes::FinderTerminated() {
  searchEnded_ = true;
  if (!preview_ && (GeneralCheckContainer & OptSelectFound)) SelectFoundFiles(*ResultsList);
  btnStopSearch->SetCaption(Tx(TextCancel));
  btnStopSearch->LoadGlyph("BTNCANCEL");
  UpdateButtons();
  sgFinder->Invalidate();
}

void TSrchRes::btnHelpFClick() {
  ShowHelpTopic(hwnd_, preview_ ? "::/RENAME_PREVIEW.htm" : "::/SEARCH_RESULTS.htm");
}

void TSrchRes::btnStartRenameClick() {
  StartRename = true;
  PostMessageA(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void TSrchRes::btnExitClick() { PostMessageA(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0); }
