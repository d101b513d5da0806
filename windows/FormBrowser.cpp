#include "windows/FormBrowser.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "core/DirRegistry.h"
#include "core/Drives.h"
#include "core/FileUtils.h"
#include "core/IconReader.h"
#include "core/Formats.h"
#include "core/ListLock.h"
#include "core/ReadFolder.h"
#include "core/RowTexts.h"
#include "core/ShellActions.h"
#include "core/Selection.h"
#include "core/SortList.h"
#include "core/translator.h"
#include "framework/Cursors.h"
#include "framework/Handles.h"
#include "framework/IniFile.h"
#include "windows/ChoiceDrive.h"
#include "windows/Startup.h"

TBrowserForm* ActivePane = nullptr;
std::array<TColor, 5> MainColors{RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 0, 128),
                                 RGB(255, 255, 255)};
std::optional<TFont> FilesFont;
TStringList RememberedFolders;

namespace {

const TUnitTexts browserTexts{
    {700, "Browser"},
    {701, "Browse the files"},
    {702, "Send to Basket"},
    {703, "Save Basket list to file..."},
    {704, "Load Basket list from file..."},
};

constexpr int TextEmptyBasket = 1;
constexpr int TextBasketFiles = 25;
constexpr int TextSelection = 26;
constexpr int TextFree = 27;
constexpr int TextFreeSpaceError = 29;
constexpr int TextBasket = 31;
constexpr int TextFirstTitle = 84;
constexpr int TextSendToBasket = 702;

constexpr UINT WM_RESTORECOMBO = WM_USER + 15;

constexpr uint32_t LayoutDriveBar = 0x04;
constexpr uint32_t LayoutDriveCombo = 0x08;
constexpr uint32_t LayoutHeader = 0x10;
constexpr uint32_t LayoutAddressLine = 0x20;
constexpr uint32_t LayoutStatusLine = 0x40;
constexpr uint32_t LayoutNoBevel = 0x80;
constexpr uint32_t LayoutNoBottomButtons = 0x100;
constexpr uint32_t LayoutFlatSendButton = 0x200;

constexpr uint32_t OptSpaceSizesFolders = 0x0001;

constexpr uint64_t DefaultColumnWidths = 16125026496ull;
constexpr int FullColumns = 5;
constexpr int ReadFlags = ReadFoldersSkipMasks;
constexpr int MinRowHeight = 17;
constexpr int TreeIndent = 15;
constexpr COLORREF FolderRowGreen = RGB(0, 128, 0);

std::vector<TBrowserForm*>& LivePanes() {
  static std::vector<TBrowserForm*> panes;
  return panes;
}

// The profile API reads "3abc" as 3 and "abc" as 0; a setting is a number
// only when the whole text is one.
template <typename T>
std::optional<T> ParseWhole(const std::string& text) {
  T value{};
  const char* end = text.data() + text.size();
  const auto [at, err] = std::from_chars(text.data(), end, value);
  if (text.empty() || err != std::errc() || at != end) return std::nullopt;
  return value;
}

int ModeSetting(const TIniFile& ini, const std::string& section, const std::string& key, int last) {
  const auto v = ParseWhole<int>(ini.ReadString(section, key, "2"));
  return v && *v >= 1 && *v <= last ? *v : 2;
}

uint64_t ColumnWidthSetting(const std::string& text) {
  const auto v = ParseWhole<uint64_t>(text);
  const uint64_t word = v ? CheckedColumnWidthWord(*v, FullColumns) : 0;
  return word ? word : DefaultColumnWidths;
}

// A drive letter with a colon (and a backslash below the root), or the
// network's leading backslash: anything else would lend the pane a bogus
// drive letter.
bool IsAbsoluteFolder(const std::string& path) {
  if (!path.empty() && path[0] == '\\') return true;
  return path.size() >= 2 && IsCharAlphaA(path[0]) && path[1] == ':' && (path.size() == 2 || path[2] == '\\');
}

// A folder that exists and lists (an empty one too). A file, or a folder
// without access, would otherwise show as an empty folder. The network
// pseudo-drive is the shell's to list.
bool IsListableFolder(const std::string& path) {
  if (path.empty()) return false;
  if (path[0] == '\\') return PathExists(path);
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  std::string pattern = path;
  if (pattern.back() != '\\') pattern += '\\';
  WIN32_FIND_DATAA fd;
  const HANDLE found = FindFirstFileA((pattern + "*").c_str(), &fd);
  const DWORD error = GetLastError();
  TFindHandle search(found);
  return search || error == ERROR_FILE_NOT_FOUND;
}

char LowerLetter(char c) {
  char s[2] = {c, 0};
  CharLowerBuffA(s, 1);
  return s[0];
}

std::string KiloText(uint64_t bytes) {
  std::string s;
  const uint64_t k = bytes / 1024;
  FormatSize(uint32_t(k >> 32), uint32_t(k), s, 0);
  return s;
}

TFont GridFont() {
  TFont f = FilesFont ? *FilesFont : TFont();
  f.Color = MainColors[0];
  return f;
}

int TextWidthIn(const TFont& font, const std::string& text) { return ScreenTextExtent(font, text).cx; }

// The critical-error boxes of an empty drive stay away from this thread's calls.
class TQuietDriveErrors {
 public:
  TQuietDriveErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_); }
  ~TQuietDriveErrors() { SetThreadErrorMode(old_, nullptr); }
  TQuietDriveErrors(const TQuietDriveErrors&) = delete;
  TQuietDriveErrors& operator=(const TQuietDriveErrors&) = delete;

 private:
  DWORD old_ = 0;
};

}  // namespace

TColor MainColorValue(int number, int slot) {
  static constexpr TColor kColours[] = {RGB(0, 0, 0),     RGB(255, 255, 255), RGB(255, 255, 0), RGB(0, 128, 0),
                                        RGB(0, 0, 128),   RGB(0, 128, 128),   RGB(128, 128, 128),
                                        RGB(192, 192, 192), RGB(255, 0, 0),   RGB(0, 0, 255),   RGB(0, 255, 255)};
  static constexpr TColor kDefaults[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 0, 128),
                                         RGB(255, 255, 255)};
  if (number == 0) return slot >= 1 && slot <= 5 ? kDefaults[slot - 1] : RGB(0, 0, 0);
  if (number >= 1 && number <= 11) return kColours[number - 1];
  return RGB(0, 0, 0);
}

// Busy for the life of the object; the grid skips painting meanwhile, so it
// is painted again once the pane is no longer busy.
class TBrowserForm::TBusy {
 public:
  explicit TBusy(TBrowserForm& pane) : pane_(pane), old_(pane.Busy) { pane_.Busy = true; }
  ~TBusy() {
    pane_.Busy = old_;
    if (!old_) pane_.sgBrowser->Invalidate();
  }
  TBusy(const TBusy&) = delete;
  TBusy& operator=(const TBusy&) = delete;

 private:
  TBrowserForm& pane_;
  bool old_;
};

TBrowserForm::TBrowserForm(TWinControl* parent, const std::string& name, IPaneHost& host)
    : TForm(parent, TFormBorder::None), name_(name), host_(host) {
  LivePanes().push_back(this);
  pnlView = new TPanel(this);
  pnlView->BevelOuter = TBevelCut::None;
  pnlView->SetAlign(TAlign::Client);

  pnlDisks = new TPanel(pnlView);
  pnlDisks->BevelOuter = TBevelCut::None;
  pnlDisks->SetHeight(24);
  pnlDisks->SetAlign(TAlign::Top);
  pnlDisks->OnResize = [this] { pnlDisksResize(); };
  pnlTwoButtons = new TPanel(pnlDisks);
  pnlTwoButtons->BevelOuter = TBevelCut::None;
  pnlTwoButtons->Tag = -1;
  pnlTwoButtons->SetBounds(0, 0, 46, 20);
  btnRunToRoot = new TSpeedButtonNew(pnlTwoButtons);
  btnRunToRoot->SetBounds(0, 0, 22, 20);
  btnRunToRoot->SetCaption("\\");
  btnRunToRoot->Flat = true;
  btnRunToRoot->OnClick = [this] { btnRJumpToRootClick(); };
  btnUpToOneLevel = new TSpeedButtonNew(pnlTwoButtons);
  btnUpToOneLevel->SetBounds(23, 0, 22, 20);
  btnUpToOneLevel->SetCaption("..");
  btnUpToOneLevel->Flat = true;
  btnUpToOneLevel->OnClick = [this] { btnRUpOneLevelClick(); };
  pnlSizeInfo = new TPanel(pnlDisks);
  pnlSizeInfo->BevelOuter = TBevelCut::None;
  pnlSizeInfo->Alignment = DT_LEFT;
  pnlSizeInfo->Tag = -1;
  pnlSizeInfo->SetBounds(0, 0, 100, 20);

  SspRMain = new TPanel(pnlView);
  SspRMain->BevelOuter = TBevelCut::Lowered;
  SspRMain->SetHeight(2);
  SspRMain->SetAlign(TAlign::Top);

  pnlBrowserToolbar = new TPanel(pnlView);
  pnlBrowserToolbar->BevelOuter = TBevelCut::None;
  pnlBrowserToolbar->SetHeight(24);
  pnlBrowserToolbar->SetAlign(TAlign::Top);
  pnlBrowserToolbar->Hide();
  pnlBrowserToolbar->OnResize = [this] { pnlBrowserToolbarResize(); };
  cmbDrives = new TComboBox(pnlBrowserToolbar, TComboStyle::DropDownList);
  cmbDrives->SetBounds(2, 1, 150, 21);
  cmbDrives->SetDropDownCount(16);
  cmbDrives->OnSelect = [this] { cmbDrivesClick(); };
  cmbDrives->OnKeyDown = [this](WORD& key, unsigned shift) { cmbDrivesKeyDown(key, shift); };
  cmbDrives->OnKeyUp = [this](WORD& key, unsigned shift) { cmbDrivesKeyUp(key, shift); };
  cmbDrives->OnKeyPress = [this](char& key) { cmbDrivesKeyPress(key); };
  cmbDrives->OnExit = [this] { cmbDrivesExit(); };
  pnlInfo = new TPanel(pnlBrowserToolbar);
  pnlInfo->BevelOuter = TBevelCut::None;
  pnlInfo->Alignment = DT_LEFT;
  pnlInfo->SetBounds(162, 2, 100, 20);
  pnlRightJumpButtons = new TPanel(pnlBrowserToolbar);
  pnlRightJumpButtons->BevelOuter = TBevelCut::None;
  pnlRightJumpButtons->SetWidth(46);
  pnlRightJumpButtons->SetAlign(TAlign::Right);
  btnRJumpToRoot = new TSpeedButtonNew(pnlRightJumpButtons);
  btnRJumpToRoot->SetBounds(0, 2, 22, 20);
  btnRJumpToRoot->SetCaption("\\");
  btnRJumpToRoot->Flat = true;
  btnRJumpToRoot->OnClick = [this] { btnRJumpToRootClick(); };
  btnRUpOneLevel = new TSpeedButtonNew(pnlRightJumpButtons);
  btnRUpOneLevel->SetBounds(23, 2, 22, 20);
  btnRUpOneLevel->SetCaption("..");
  btnRUpOneLevel->Flat = true;
  btnRUpOneLevel->OnClick = [this] { btnRUpOneLevelClick(); };

  pnlAddressLine = new TPanel(pnlView);
  pnlAddressLine->BevelOuter = TBevelCut::None;
  pnlAddressLine->Alignment = DT_LEFT;
  pnlAddressLine->SetHeight(18);
  pnlAddressLine->SetAlign(TAlign::Top);
  pnlAddressLine->SetColor(clInactiveCaption);
  TFont bold = pnlAddressLine->Font();
  bold.Bold = true;
  bold.Color = clCaptionText;
  pnlAddressLine->SetFont(bold);
  pnlAddressLine->Hide();
  pnlAddressLine->OnClick = [this] { pnlAddressLineClick(); };

  sgTitle = new TOrvHeader(pnlView);
  sgTitle->SetAlign(TAlign::Top);
  sgTitle->Images = host_.UpDownImages();
  sgTitle->HeaderItems.resize(FullColumns);
  sgTitle->ItemsChanged();
  sgTitle->OnchangeKindOfSort = [this] { sgTitlechangeKindOfSort(); };
  sgTitle->OnTableColumnWidth = [this](int col, int width) {
    if (col < sgBrowser->ColCount && (Mode == PaneFull || (Mode == PaneBasket && BasketMode == 2))) {
      sgBrowser->ColWidths[size_t(col)] = width;
      sgBrowser->Invalidate();
    }
  };
  sgTitle->OnResizeHeaders = [this] { sbFilesCommentResize(); };

  pnlBottomButtons = new TPanel(pnlView);
  pnlBottomButtons->BevelOuter = TBevelCut::None;
  pnlBottomButtons->SetHeight(22);
  pnlBottomButtons->SetAlign(TAlign::Bottom);
  btnSendTobasket = new TSpeedButtonNew(pnlBottomButtons);
  btnSendTobasket->SetBounds(1, 1, 110, 20);
  btnSendTobasket->OnClick = [this] { btnSendTobasketClick(); };
  lblBasketInfo = new TLabel(pnlBottomButtons);
  lblBasketInfo->SetTop(4);

  sbFilesComment = new TOrvStatusBar(pnlView);
  sbFilesComment->Panels.resize(FullColumns);
  sbFilesComment->PanelsChanged();
  sbFilesComment->OnResize = [this] { sbFilesCommentResize(); };

  sgBrowser = new TPylStringGrid(pnlView);
  sgBrowser->SetAlign(TAlign::Client);
  TFont gridFont = sgBrowser->Font();
  gridFont.Bold = true;
  gridFont.Size = 8;
  sgBrowser->SetFont(gridFont);
  sgBrowser->Tag = GridMoveDone;
  sgTitle->MainTable = sgBrowser;
  sgBrowser->OnDrawCell = [this](int col, int row, const RECT& r, unsigned state, TCanvas& c) {
    sgBrowserDrawCell(col, row, r, state, c);
  };
  sgBrowser->OnSelectCell = [this](int col, int row, bool& can) { sgBrowserSelectCell(col, row, can); };
  sgBrowser->OnKeyDown = [this](WORD& key, unsigned shift) { sgBrowserKeyDown(key, shift); };
  sgBrowser->OnMouseDown = [this](TMouseButton b, unsigned shift, int x, int y) { sgBrowserMouseDown(b, shift, x, y); };
  sgBrowser->OnMouseMove = [this](unsigned shift, int x, int y) { sgBrowserMouseMove(shift, x, y); };
  sgBrowser->OnMouseUp = [this](TMouseButton b, unsigned shift, int x, int y) { sgBrowserMouseUp(b, shift, x, y); };
  sgBrowser->OnDblClick = [this] { sgBrowserDblClick(); };
  sgBrowser->OnMouseWheelDown = [this](unsigned, POINT, bool& handled) { sgBrowserMouseWheelDown(handled); };
  sgBrowser->OnMouseWheelUp = [this](unsigned, POINT, bool& handled) { sgBrowserMouseWheelUp(handled); };

  timerForCM.Interval = 400;
  timerForCM.OnTimer = [this] { timerForCMTimer(); };

  Texts.Add(btnSendTobasket, TextSendToBasket);
  OnApplyTexts = [this] {
    for (size_t i = 0; i < sgTitle->HeaderItems.size(); ++i) sgTitle->HeaderItems[i].Text = Tx(TextFirstTitle + int(i));
    SetupHeader();
    sgTitle->Invalidate();
  };
  OnFocusEnter = [this] { CMEnter(); };
  OnFocusExit = [this] { CMExit(); };
  OnResize = [this] { FormResize(); };
  FormCreate();
}

TBrowserForm::~TBrowserForm() {
  timerForCM.SetEnabled(false);
  StopIconThread();
  std::erase(LivePanes(), this);
  if (ActivePane == this) ActivePane = nullptr;
}

void TBrowserForm::FormCreate() { ActiveControl = sgBrowser; }

// ---- settings and first filling

void TBrowserForm::LoadSettings(const std::string& section) {
  TIniFile ini(SettingsFilePath);
  const uint32_t kind = uint32_t(ini.ReadInteger(section, "KindOfSort", 0));
  const std::string directory = ini.ReadString(section, "Directory", "");
  Mode = ModeSetting(ini, section, "BrowserMode", PaneBasket);
  OldMode = ModeSetting(ini, section, "OldBrowserMode", PaneBasket);
  BasketMode = ModeSetting(ini, section, "BasketMode", 2);
  sgTitle->SetColumnWidth(ColumnWidthSetting(ini.ReadString(section, "ColumnsWidth", "0")));
  const std::string mask = ini.ReadString(section, "MaskFiles", "*.*");
  if (!FilesFont) {
    TFont f;
    f.Name = ini.ReadString("Browser", "FilesFontName", "MS Sans Serif");
    f.Size = ini.ReadInteger("Browser", "FilesFontSize", 8);
    const int style = ini.ReadInteger("Browser", "FilesFontStyle", 1);
    f.Bold = style & 1;
    f.Italic = style & 2;
    f.Underline = style & 4;
    f.StrikeOut = style & 8;
    FilesFont = f;
  }
  Init(IsAbsoluteFolder(directory) ? directory : std::string(), mask, kind);
}

void TBrowserForm::SaveSettings(const std::string& section) {
  TIniFile ini(SettingsFilePath);
  ini.WriteInteger(section, "KindOfSort", int(FolderList->SortKind));
  ini.WriteInteger(section, "BrowserMode", Mode);
  ini.WriteInteger(section, "OldBrowserMode", OldMode);
  ini.WriteInteger(section, "BasketMode", BasketMode);
  ini.WriteString(section, "ColumnsWidth", std::to_string(sgTitle->ColumnWidth()));
  ini.WriteString(section, "MaskFiles", FolderList->MaskText);
  if (Mode != PaneBasket) ini.WriteString(section, "Directory", GetDirPath(1, *FolderList));
}

void TBrowserForm::Init(const std::string& directory, const std::string& mask, uint32_t sortKind) {
  StopIconThread();
  Busy = false;
  const bool left = name_ == "LeftBrowser";
  FolderList = left ? &LeftPaneList : &RightPaneList;
  BasketList = left ? &LeftBasketView : &RightBasketView;
  if (FolderList->DirBlock) FreeFileList(*FolderList);
  InitFileList(*FolderList, 1, 300, mask, 10000);
  FolderList->SortKind = sortKind;
  BasketList->SortKind = sortKind;
  AttachBasketView(left ? ModeLeftView : ModeSecondMark, true, Basket);
  if (Mode == PaneBasket) {
    DriveLetter = '*';
  } else {
    OpenRootOrFirstDrive(directory);
    RememberFolder();
  }
  SetAddressLine();
  PlaceBasketInfo();
  CurrentIndex = 0;
  FolderList->Busy = 0;
  BasketList->Busy = 0;
  UpdateDriveInfo();
  sgTitle->SetKindOfSort(sortKind);
  ColumnKinds = 0x43210;
  RebuildDriveControls();
  SetupHeader();
  UpdateView();
  UpdateModeButtons();
}

// ---- rows

bool TBrowserForm::RootHasUpRow() const {
  TListLock lock(*FolderList);
  const TDirRecord* root = lock.Dir(1);
  return root && root->Depth > 0;
}

int32_t TBrowserForm::FolderRows() const {
  TListLock lock(*FolderList);
  const TDirRecord* root = lock.Dir(1);
  if (!root) return 0;
  return int32_t(root->FileCount) + (root->Depth > 0 ? 1 : 0);
}

int TBrowserForm::TopAreaHeight() const {
  int height = 0;
  for (const TPanel* bar : {pnlDisks, SspRMain, pnlBrowserToolbar})
    if (bar->Visible()) height += bar->Height();
  return height;
}

int32_t TBrowserForm::RowTotal() const {
  switch (Mode) {
    case PaneTree:
      return TreeRowCount;
    case PaneBasket:
      return BasketRowCount;
    default:
      return FolderRows();
  }
}

int32_t TBrowserForm::CellIndex(int col, int row) const {
  if (Mode == PaneBrief) return int32_t(int64_t(col) * sgBrowser->RowCount + row);
  return row;
}

bool TBrowserForm::RowToItem(int32_t index, uint32_t& dir, uint32_t& pos) const {
  dir = pos = 0;
  if (index < 0 || index >= RowTotal()) return false;
  switch (Mode) {
    case PaneTree:
      return TreeRowToItem(index + 1, dir, pos, *FolderList);
    case PaneBasket:
      FlatRowToItem(index + 1, BasketMode == 2, dir, *BasketList, pos);
      return dir != 0;
    default:
      dir = 1;
      pos = uint32_t(RootHasUpRow() ? index : index + 1);
      return true;
  }
}

bool TBrowserForm::GetCurrentItem(uint32_t& dir, uint32_t& pos) { return RowToItem(CurrentIndex, dir, pos); }

void TBrowserForm::sgBrowserSelectCell(int col, int row, bool& canSelect) {
  LastCol = col;
  LastRow = row;
  const int32_t index = CellIndex(col, row);
  canSelect = index >= 0 && index < RowTotal() && sgBrowser->Tag == GridMoveAllowed;
  if (canSelect) sgBrowser->Tag = GridMoveDone;
}

bool TBrowserForm::MoveTo(int32_t index, int32_t col, int32_t row) {
  if (index == -1) index = col == -1 && row == -1 ? CellIndex(LastCol, LastRow) : CellIndex(col, row);
  const int32_t rows = RowTotal();
  const bool inside = index >= 0 && index < rows;
  if (inside) {
    CurrentIndex = index;
  } else if (CurrentIndex < 0 || CurrentIndex >= rows) {
    CurrentIndex = rows > 0 ? rows - 1 : 0;
  }
  sgBrowser->Tag = GridMoveAllowed;
  const int gridRows = std::max(sgBrowser->RowCount, 1);
  if (Mode == PaneBrief) {
    sgBrowser->MoveToCell(CurrentIndex / gridRows, CurrentIndex % gridRows);
  } else {
    sgBrowser->MoveToCell(0, CurrentIndex);
  }
  LastCol = sgBrowser->Col();
  LastRow = sgBrowser->Row();
  return inside;
}

bool TBrowserForm::MoveToRow(int32_t index) {
  // MoveTo reads -1 as "the cell asked last".
  return MoveTo(index < 0 ? std::numeric_limits<int32_t>::max() : index, 0, 0);
}

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

void TBrowserForm::SetupHeader() {
  const bool five = Mode == PaneFull || (Mode == PaneBasket && BasketMode == 2);
  const size_t columns = five ? FullColumns : 4;
  if (sgTitle->HeaderItems.size() != columns) {
    sgTitle->HeaderItems.resize(columns);
    for (size_t i = 0; i < columns; ++i) sgTitle->HeaderItems[i].Text = Tx(TextFirstTitle + int(i));
  }
  sgTitle->SetHeaderMode(five ? hmFull : hmBrief);
  sgTitle->ItemsChanged();
  if (FolderList) sgTitle->SetKindOfSort(ShownList().SortKind);
  sgTitle->ApplyColumnWidths();
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

// ---- folders and drives

namespace {

// The list begins again empty, keeping what it is and how it sorts; the old
// record keeps the blocks.
void StartAfresh(TstateOfBrowser& list, const TstateOfBrowser& old, int32_t dirs, int32_t files, int32_t pool) {
  InitFileList(list, dirs, files, old.MaskText, pool);
  list.SortKind = old.SortKind;
  list.DriveIndex = old.DriveIndex;
  list.Filter = old.Filter;
  list.ModeFlags = old.ModeFlags;
  list.CursorName = old.CursorName;
}

// Afresh with the old root alone, sized for what the old list held; the
// caller reads the root.
void RestartWithRoot(TstateOfBrowser& list, TstateOfBrowser& old) {
  StartAfresh(list, old, old.DirCount + 1, old.FileCount + 1,
              std::max<int32_t>(int32_t(old.Names->UsedLength), 10000));
  CopyDirRecord(1, list, 1, old);
  list.DirCount = 1;
}

}  // namespace

void TBrowserForm::ReadRoot() {
  ReadDirEntries(1, ReadFlags, *FolderList);
  SortDir(1, FolderList->SortKind, *FolderList);
  UpdateListTotals(*FolderList);
  briefWidth_ = 0;
}

void TBrowserForm::OpenRootOrFirstDrive(const std::string& path) {
  if (IsListableFolder(path) && OpenPathAsRoot(path, *FolderList)) {
    DriveLetter = LowerLetter(path[0]);
  } else {
    const int drive = FindFirstFixedDrive(DriveList);
    OpenDriveRoot(drive, *FolderList);
    if (const TDriveRecord* d = DriveAt(DriveList, drive)) DriveLetter = d->Letter;
  }
  ReadRoot();
}

void TBrowserForm::SetAddressLine() {
  if (Mode == PaneBasket || DriveLetter == '*') {
    pnlAddressLine->SetCaption(Tx(TextBasket));
    return;
  }
  pnlAddressLine->SetCaption(GetDirPath(1, *FolderList) + "\\" + FolderList->MaskText);
}

void TBrowserForm::RememberFolder() {
  const std::string path = GetDirPath(1, *FolderList);
  if (path.size() < 2 || path[1] != ':') return;
  for (size_t i = 0; i < RememberedFolders.Count(); ++i) {
    if (!RememberedFolders[i].empty() && LowerLetter(RememberedFolders[i][0]) == LowerLetter(path[0])) {
      RememberedFolders[i] = path;
      return;
    }
  }
  RememberedFolders.Add(path);
}

void TBrowserForm::PressDriveButtons() {
  const int drive = FindDriveIndex(DriveLetter, DriveList);
  if (drive < int(DriveList.size())) cmbDrives->SetItemIndex(drive);
  for (TControl* c : pnlDisks->Controls())
    if (auto* b = dynamic_cast<TDriveButton*>(c); b && b->Tag == drive) b->SetDown(true);
  if (ActivePane == this) host_.FollowActivePane(*this);
}

void TBrowserForm::PlaceBasketInfo() {
  const bool basket = DriveLetter == '*' || Mode == PaneBasket;
  btnSendTobasket->SetVisible(!basket);
  lblBasketInfo->SetLeft(basket ? 3 : btnSendTobasket->Left() + btnSendTobasket->Width() + 5);
}

// After the root changed: remembered, counted, shown.
void TBrowserForm::AfterFolderChange() {
  RememberFolder();
  UpdateListTotals(*FolderList);
  UpdateView();
  SetAddressLine();
  host_.UpdateStartAction();
}

bool TBrowserForm::OpenItem(uint32_t dir, int32_t row, int how) {
  const int32_t pos = row - (GetDirLevel(dir, ShownList()) > 0 ? 1 : 0);
  return OpenEntry(dir, uint32_t(std::max(pos, 0)), how);
}

bool TBrowserForm::OpenEntry(uint32_t dir, uint32_t pos, int how) {
  TstateOfBrowser& list = ShownList();
  bool folder = pos == 0;
  {
    TListLock lock(list);
    if (const TFileRecord* e = lock.Entry(dir, pos)) folder = IsFolder(*e);
  }
  if (how == 1 || how == 2 || how == 3 || !folder) {
    ShellAction(dir, pos, how);
    return true;
  }
  if (Mode == PaneBasket || ListTaken()) return true;
  if (Mode == PaneTree) {
    ToggleTreeFolder(dir, pos);
    return true;
  }
  bool read = true;
  {
    THourglassCursor wait;
    TBusy busy(*this);
    StopIconThread();
    if (pos == 0) {
      read = GoUpFromFolder();
    } else {
      // The new root is read into a fresh list; the old one comes back
      // whole when the folder cannot be read.
      TstateOfBrowser old = *FolderList;
      StartAfresh(*FolderList, old, 1, 300, 10000);
      read = MakeSubfolderRecord(1, pos, old, 0, *FolderList, 1);
      if (read) {
        FolderList->DirCount = 1;
        read = ReadDirEntries(1, ReadFlags, *FolderList);
      }
      if (read) {
        FreeFileList(old);
        SortDir(1, FolderList->SortKind, *FolderList);
        briefWidth_ = 0;
        CurrentIndex = 0;
      } else {
        FreeFileList(*FolderList);
        *FolderList = old;
      }
    }
    AfterFolderChange();
  }
  return read;
}

// "[..]": the parent becomes the root, and the folder left the current entry.
bool TBrowserForm::GoUpFromFolder() {
  if (!RootHasUpRow()) return true;
  TstateOfBrowser old = *FolderList;
  RestartWithRoot(*FolderList, old);
  std::string left;
  GoToParentFolder(*FolderList, left);
  if (left.empty() || !ReadDirEntries(1, ReadFlags, *FolderList)) {
    FreeFileList(*FolderList);
    *FolderList = old;
    return false;
  }
  FreeFileList(old);
  SortDir(1, FolderList->SortKind, *FolderList);
  briefWidth_ = 0;
  const uint32_t at = FindFolderPosition(left, *FolderList);
  CurrentIndex = int32_t(RootHasUpRow() ? at : std::max<uint32_t>(at, 1) - 1);
  return true;
}

void TBrowserForm::ToggleTreeFolder(uint32_t dir, uint32_t pos) {
  TBusy busy(*this);
  StopIconThread();
  const int32_t made = ToggleFolderEntry(dir, pos, *FolderList);
  if (made > 0 && ReadDirEntries(uint32_t(made), ReadFlags, *FolderList))
    SortDir(uint32_t(made), FolderList->SortKind, *FolderList);
  TreeRowCount = CountExpandedFiles(*FolderList);
  UpdateListTotals(*FolderList);
  UpdateView();
}

void TBrowserForm::OpenFolder(const std::string& path, const std::string& name) {
  if (ListTaken()) return;
  {
    TBusy busy(*this);
    StopIconThread();
    OpenRootOrFirstDrive(path);
    if (Mode == PaneTree || Mode == PaneBasket) SetMode(OldMode == PaneBrief || OldMode == PaneFull ? OldMode : PaneFull);
    PlaceBasketInfo();
    const uint32_t at = name.empty() ? 0 : FindFileByName(1, name, *FolderList, true);
    CurrentIndex = at ? int32_t(RootHasUpRow() ? at : at - 1) : 0;
    UpdateView();
    FolderList->Busy = 0;
  }
  SetAddressLine();
  UpdateDriveInfo();
  PressDriveButtons();
  host_.UpdateStartAction();
  RememberFolder();
}

std::string TBrowserForm::CurrentName() {
  uint32_t dir = 0, pos = 0;
  std::string name;
  if (!GetCurrentItem(dir, pos) || pos == 0) return name;
  int32_t depth = 0;
  GetItemName(dir, pos, name, ShownList(), depth);
  return name;
}

void TBrowserForm::MakeCurrentByName(const std::string& name) {
  if (name.empty()) return;
  const uint32_t at = FindFileByName(1, name, *FolderList, true);
  if (at) CurrentIndex = int32_t(RootHasUpRow() ? at : at - 1);
}

void TBrowserForm::Refresh() {
  if (ListTaken()) return;
  bool driveGone = false;
  {
    TBusy busy(*this);
    StopIconThread();
    CurrentIndex = CellIndex(sgBrowser->Col(), sgBrowser->Row());
    if (Mode == PaneBrief || Mode == PaneFull) {
      if (FolderList->CursorName.empty()) FolderList->CursorName = CurrentName();
      TstateOfBrowser old = *FolderList;
      RestartWithRoot(*FolderList, old);
      if (ReadDirEntries(1, ReadFlags, *FolderList)) {
        SortDir(1, SortByNameOnly, old);
        SortDir(1, SortByNameOnly, *FolderList);
        CopyItemStatesByName(old, *FolderList, 1, 1);
        SortDir(1, FolderList->SortKind, *FolderList);
        MakeCurrentByName(FolderList->CursorName);
      } else {
        // The folder is gone: up to the nearest one that reads.
        std::string left;
        for (;;) {
          GoToParentFolder(*FolderList, left);
          if (left.empty()) {
            driveGone = true;
            break;
          }
          if (ReadDirEntries(1, ReadFlags, *FolderList)) {
            SortDir(1, FolderList->SortKind, *FolderList);
            const uint32_t at = FindFolderPosition(left, *FolderList);
            CurrentIndex = int32_t(RootHasUpRow() ? at : std::max<uint32_t>(at, 1) - 1);
            break;
          }
        }
      }
      FolderList->CursorName.clear();
      FreeFileList(old);
      briefWidth_ = 0;
    } else if (Mode == PaneTree) {
      if (RereadKeepingExpanded(*FolderList)) {
        TreeRowCount = CountExpandedFiles(*FolderList);
      } else {
        driveGone = true;
      }
    }
    if (Mode != PaneBasket) {
      UpdateListTotals(*FolderList);
      SetAddressLine();
      UpdateBasketLine();
    }
  }
  if (driveGone) {
    OpenCurrentDriveRoot();
    return;
  }
  UpdateDriveInfo();
  UpdateView();
  host_.UpdateStartAction();
}

void TBrowserForm::SelectDrive(int index) {
  if (ListTaken()) return;
  if (!pnlBrowserToolbar->Visible() && cmbDrives->Visible() && cmbDrives->Parent() != pnlBrowserToolbar)
    PostMessageA(hwnd_, WM_RESTORECOMBO, 0, 0);
  const TDriveRecord* drive = DriveAt(DriveList, index);
  if (!drive) return;
  if (DriveLetter != '*') RememberFolder();
  std::string remembered;
  for (const std::string& path : RememberedFolders)
    if (!path.empty() && LowerLetter(path[0]) == LowerLetter(drive->Letter)) remembered = path;
  if (IsListableFolder(remembered) && Mode != PaneTree) {
    OpenFolder(remembered, "");
    if (Showing()) sgBrowser->SetFocus();
    return;
  }
  cmbDrives->SetItemIndex(index);
  OpenCurrentDriveRoot();
}

void TBrowserForm::OpenCurrentDriveRoot() {
  if (ListTaken()) return;
  {
    TBusy busy(*this);
    StopIconThread();
    FolderList->Busy = 1;
    const int kept = FindDriveIndex(DriveLetter, DriveList);
    for (;;) {
      const int chosen = cmbDrives->ItemIndex();
      const TDriveRecord* drive = DriveAt(DriveList, chosen);
      // The basket keeps the folder list as it is, to come back to.
      const bool basket = drive && drive->Letter == '*';
      if (basket || OpenDriveRoot(chosen, *FolderList)) {
        DriveLetter = drive->Letter;
        if (basket) {
          SetMode(PaneBasket);
        } else {
          ReadRoot();
          if (Mode == PaneBasket) SetMode(OldMode == PaneBrief || OldMode == PaneFull ? OldMode : PaneFull);
        }
        UpdateDriveInfo();
        PlaceBasketInfo();
        break;
      }
      TChoiceDrive choice(DriveList);
      choice.cmbDrives->SetItemIndex(chosen);
      if (choice.ShowModal() == mrOk) {
        cmbDrives->SetItemIndex(choice.cmbDrives->ItemIndex());
      } else if (chosen != kept) {
        cmbDrives->SetItemIndex(kept);
        break;
      } else {
        cmbDrives->SetItemIndex(FindFirstFixedDrive(DriveList));
      }
    }
    PressDriveButtons();
    CurrentIndex = 0;
    FolderList->Busy = 0;
    UpdateView();
    if (Showing()) sgBrowser->SetFocus();
  }
  SetAddressLine();
  RememberFolder();
  host_.UpdateStartAction();
}

void TBrowserForm::UpdateDriveInfo() {
  std::string text;
  if (DriveLetter && DriveLetter != '\\' && DriveLetter != '*') {
    const std::string root = std::string(1, DriveLetter) + ":\\";
    ULARGE_INTEGER available{}, total{};
    TQuietDriveErrors quiet;
    if (GetDiskFreeSpaceExA(root.c_str(), &available, &total, nullptr)) {
      text = FormatTx(TextFree, {KiloText(available.QuadPart), KiloText(total.QuadPart)});
    } else {
      // Taken before the text lookup, which may set an error of its own.
      const DWORD error = GetLastError();
      text = Tx(TextFreeSpaceError) + std::to_string(error);
    }
  }
  pnlInfo->SetCaption(text);
  const TDriveRecord* drive = DriveAt(DriveList, FindDriveIndex(DriveLetter, DriveList));
  const std::string size = std::string("[") + (drive ? drive->DisplayText : "") + "]  " + text;
  pnlSizeInfo->SetCaption(size);
  pnlSizeInfo->SetWidth(TextWidthIn(pnlSizeInfo->Font(), size) + 10);
  if (ActivePane == this) host_.FollowActivePane(*this);
  ArrangeDriveBar(pnlDisks, LayoutBits);
}

void TBrowserForm::UpdateBasketLine() {
  BasketRowCount = BasketList->FileCount;
  if (BasketMode == 2) BasketRowCount += BasketList->DirCount;
  const std::string text = std::to_string(Basket.FileCount) + Tx(TextBasketFiles);
  for (TBrowserForm* pane : LivePanes()) pane->lblBasketInfo->SetCaption(text);
}

void TBrowserForm::RebuildDriveControls() {
  const int down = FindDriveIndex(DriveLetter, DriveList);
  BuildDriveBar(pnlDisks, DriveList, down, host_.ImageListBrowser(), host_.DriveMenu(),
                [this](TDriveButton* b) { btnSetDrive(b); });
  cmbDrives->Items.Clear();
  const int room = cmbDrives->Width() - 40;
  for (const auto& d : DriveList) {
    const std::string head = std::string("[-") + d->Letter + "-]  ";
    std::string label;
    FitTextToWidth(cmbDrives->Font().Handle(), d->DisplayText, room - TextWidthIn(cmbDrives->Font(), head), label);
    cmbDrives->Items.Add(head + label);
  }
  if (down < int(DriveList.size())) cmbDrives->SetItemIndex(down);
  ArrangeDriveBar(pnlDisks, LayoutBits);
}

// ---- focus and modes

void TBrowserForm::CMEnter() {
  TBrowserForm* before = ActivePane;
  ActivePane = this;
  UpdateModeButtons();
  host_.PaneEntered(*this);
  host_.FollowActivePane(*this);
  ArrangeDriveBar(pnlDisks, LayoutBits);
  pnlAddressLine->SetColor(clActiveCaption);
  if (before && before != this) before->sgBrowser->Invalidate();
  sgBrowser->Invalidate();
}

void TBrowserForm::CMExit() { pnlAddressLine->SetColor(clInactiveCaption); }

void TBrowserForm::UpdateModeButtons() {
  const bool jumps = Mode == PaneBrief || Mode == PaneFull;
  for (TSpeedButtonNew* b : {btnRunToRoot, btnUpToOneLevel, btnRJumpToRoot, btnRUpOneLevel}) b->SetEnabled(jumps);
  if (ActivePane && ActivePane != this) return;
  host_.UpdateMainModeButtons(Mode == PaneBrief || (Mode == PaneBasket && BasketMode == 1),
                              Mode == PaneFull || (Mode == PaneBasket && BasketMode == 2), jumps);
}

void TBrowserForm::SetMode(int mode) {
  if (mode == Mode || mode < PaneBrief || mode > PaneBasket) return;
  StopIconThread();
  const bool leavingBasket = Mode == PaneBasket;
  if (!leavingBasket) OldMode = Mode;
  if (mode == PaneBasket && BasketList->SortKind != FolderList->SortKind) {
    BasketList->SortKind = FolderList->SortKind;
    SortAllDirs(*BasketList);
  }
  if (mode == PaneBrief) sgBrowser->RowCount = 1;
  if (mode == PaneBrief || mode == PaneFull) CutToRoot();
  Mode = mode;
  if (leavingBasket) LeaveBasketDrive();
  PlaceBasketInfo();
  SetupHeader();
  UpdateView();
  SetAddressLine();
  if (Showing()) sgBrowser->SetFocus();
  UpdateModeButtons();
}

// The basket pseudo-drive is left for the folder the list still holds, or
// for the first fixed drive when it holds none.
void TBrowserForm::LeaveBasketDrive() {
  if (DriveLetter != '*') return;
  const std::string path = GetDirPath(1, *FolderList);
  if (path.size() >= 2 && IsCharAlphaA(path[0]) && path[1] == ':') {
    DriveLetter = LowerLetter(path[0]);
    return;
  }
  const int drive = FindFirstFixedDrive(DriveList);
  if (!OpenDriveRoot(drive, *FolderList)) return;
  DriveLetter = DriveList[size_t(drive)]->Letter;
  ReadRoot();
  CurrentIndex = 0;
}

void TBrowserForm::ChangeSortColumn(int column) {
  if (ListTaken()) return;
  TstateOfBrowser& list = ShownList();
  if (column == -1) column = int(list.SortKind & 7);
  uint32_t kind;
  if (uint32_t(column) == (list.SortKind & 7)) {
    kind = list.SortKind ^ SortReverse;
  } else {
    switch (column) {
      case 1: kind = 1; break;
      case 2: kind = 66; break;
      case 3: kind = 67; break;
      default: kind = SortDefault; break;
    }
  }
  list.SortKind = kind;
  FolderList->SortKind = kind;
  sgTitle->SetKindOfSort(kind);
  {
    THourglassCursor wait;
    TBusy busy(*this);
    StopIconThread();
    const std::string name = Mode == PaneBrief || Mode == PaneFull ? CurrentName() : std::string();
    SortAllDirs(list);
    MakeCurrentByName(name);
    MoveTo(CurrentIndex, 0, 0);
  }
}

void TBrowserForm::sgTitlechangeKindOfSort() { ChangeSortColumn(sgTitle->DownIndex()); }

void TBrowserForm::ApplyLayout(uint32_t bits) {
  LayoutBits = bits;
  const bool combo = bits & LayoutDriveCombo;
  pnlDisks->SetVisible(bits & LayoutDriveBar);
  SspRMain->SetVisible(!(bits & LayoutNoBevel));
  pnlBrowserToolbar->SetVisible(combo);
  pnlSizeInfo->SetVisible(!combo);
  pnlTwoButtons->SetVisible(!combo);
  sgTitle->SetVisible(bits & LayoutHeader);
  pnlAddressLine->SetVisible(bits & LayoutAddressLine);
  sbFilesComment->SetVisible(bits & LayoutStatusLine);
  pnlBottomButtons->SetVisible(!(bits & LayoutNoBottomButtons));
  btnSendTobasket->Flat = bits & LayoutFlatSendButton;
  btnSendTobasket->Invalidate();
  ArrangeDriveBar(pnlDisks, bits);
  pnlBrowserToolbarResize();
}

void TBrowserForm::FitBarHeights() {
  auto charHeight = [](const TFont& f) {
    TWindowDC screen;
    TEXTMETRICA tm{};
    {
      TCanvas c(screen.Get());
      c.SetFont(f);
      GetTextMetricsA(screen.Get(), &tm);
    }
    return int(tm.tmHeight);
  };
  const int button = charHeight(btnSendTobasket->Font()) * 3 / 2;
  btnSendTobasket->SetHeight(button);
  pnlBottomButtons->SetHeight(button + 2);
  lblBasketInfo->SetTop((pnlBottomButtons->Height() - lblBasketInfo->Height()) / 2);
  sbFilesComment->SetHeight(charHeight(sbFilesComment->Font()) * 3 / 2);
}

int32_t TBrowserForm::FindFirstByText(const std::string& text) {
  if (Mode == PaneBrief || Mode == PaneFull) return int32_t(FindFileByName(1, text, *FolderList, false));
  if (Mode != PaneBasket) return 0;
  uint32_t dir = 0, pos = 0;
  if (!GetCurrentItem(dir, pos)) return 0;
  const int32_t found = int32_t(FindFileByName(dir, text, *BasketList, false));
  // The folder rows shift the numbering, but never make a miss a match.
  if (BasketMode == 2 && found) return CurrentIndex + 1 + found - int32_t(pos);
  return found;
}

int32_t TBrowserForm::FindNextByText(const std::string& text, bool backwards) {
  uint32_t dir = 0, pos = 0;
  if (Mode == PaneTree || !GetCurrentItem(dir, pos)) return -1;
  TstateOfBrowser& list = ShownList();
  const int32_t found = int32_t(FindNextByPrefix(dir, pos, text, list, backwards));
  if (!found) return -1;
  int32_t row;
  if (Mode != PaneBasket) {
    row = RootHasUpRow() ? found : found - 1;
  } else if (BasketMode == 2) {
    row = CurrentIndex + found - int32_t(pos);
  } else {
    row = found - 1;
  }
  if (row >= 0 && Showing()) {
    MoveTo(row, 0, 0);
    if (Mode == PaneBasket && BasketMode == 1) UpdateStatus(row);
  }
  return row;
}

void TBrowserForm::StopIconThread() { StopIconReader(iconThread_); }

// ---- keys and mouse

void TBrowserForm::FollowGrid() { MoveTo(-1, -1, -1); }

bool TBrowserForm::MarkCurrentEntry(int how, bool computeSize) {
  if (Mode == PaneTree) return false;
  if (Mode != PaneBasket && FolderList->FileCount == 0) return false;
  uint32_t dir = 0, pos = 0;
  if (!GetCurrentItem(dir, pos) || pos == 0) return false;
  MarkEntry(ShownList(), dir, pos, how, computeSize);
  RepaintRow(CurrentIndex);
  return true;
}

void TBrowserForm::AfterMarking() {
  UpdateListTotals(ShownList());
  UpdateStatus(CurrentIndex);
  host_.UpdateStartAction();
}

void TBrowserForm::MarkCurrentItem(int how, bool computeSize) {
  if (MarkCurrentEntry(how, computeSize)) AfterMarking();
}

void TBrowserForm::MarkCurrent(int how) { MarkCurrentItem(how, false); }

void TBrowserForm::MarkEntry(TstateOfBrowser& list, uint32_t dir, uint32_t pos, int how, bool computeSize) {
  ChangeItemSelection(dir, int32_t(pos) + (GetDirLevel(dir, list) > 0 ? 1 : 0), list, how, computeSize);
}

void TBrowserForm::RepaintRow(int32_t index) {
  const int h = sgBrowser->DefaultRowHeight;
  RECT r = sgBrowser->ClientRect();
  if (Mode == PaneBrief) {
    const int rows = std::max(sgBrowser->RowCount, 1);
    const int width = sgBrowser->ColWidths.empty() ? 0 : sgBrowser->ColWidths[0];
    r.left = (index / rows - sgBrowser->LeftCol()) * width;
    r.right = r.left + width;
    r.top = (index % rows) * h;
  } else {
    r.top = (index - sgBrowser->TopRow()) * h;
  }
  r.bottom = r.top + h;
  InvalidateRect(sgBrowser->Handle(), &r, FALSE);
}

void TBrowserForm::InvertMarks() {
  TstateOfBrowser& list = ShownList();
  const bool folders = !(GeneralCheckContainer & OptMaskSkipsFolders);
  if (Mode == PaneBasket) {
    for (uint32_t d = 1; int64_t(d) <= list.DirCount; ++d) ChangeDirSelection(d, list, folders, SelToggle);
  } else {
    ChangeDirSelection(1, list, folders, SelToggle);
  }
  UpdateListTotals(list);
  UpdateStatus(CurrentIndex);
  host_.UpdateStartAction();
  sgBrowser->Invalidate();
}

void TBrowserForm::ShellAction(uint32_t dir, uint32_t pos, int how) {
  TstateOfBrowser& list = ShownList();
  switch (how) {
    case 1:
      ShowFileProperties(dir, pos, list);
      break;
    case 2:
    case 3:
      ViewOrEditFile(dir, pos, list, how == 3);
      break;
    default:
      ExecuteFileEntry(dir, pos, list);
      break;
  }
}

void TBrowserForm::sgBrowserKeyDown(WORD& key, unsigned shift) {
  timerForCM.SetEnabled(false);
  const int32_t rows = RowTotal();
  if (rows <= 0) return;
  const bool basket = Mode == PaneBasket;
  if (basket && sgBrowser->Row() >= rows) return;
  const bool brief = Mode == PaneBrief;
  const int32_t gridRows = std::max(sgBrowser->RowCount, 1);
  const int32_t asked = CellIndex(LastCol, LastRow);
  const int32_t current = CurrentIndex;
  switch (key) {
    case VK_RIGHT:
      if (brief && (int64_t(gridRows) * sgBrowser->ColCount - current - 1 < gridRows || asked >= rows)) {
        MoveToRow(rows - 1);
      } else {
        FollowGrid();
      }
      break;
    case VK_DOWN:
      if (brief && asked >= rows) {
        MoveToRow(rows - 1);
      } else if (brief && current % gridRows == gridRows - 1) {
        MoveToRow(current + 1);
      } else {
        FollowGrid();
      }
      break;
    case VK_UP:
      if (brief && current % gridRows == 0) {
        MoveToRow(current - 1);
      } else {
        FollowGrid();
      }
      break;
    case VK_LEFT:
      if (brief && current < gridRows) {
        MoveToRow(0);
      } else {
        FollowGrid();
      }
      break;
    case VK_PRIOR:
      if (!brief) {
        FollowGrid();
      } else if (!MoveToRow(current - gridRows + 1)) {
        MoveToRow(0);
      }
      break;
    case VK_NEXT:
      if (!brief) {
        FollowGrid();
      } else if (!MoveToRow(current + gridRows - 1)) {
        MoveToRow(rows - 1);
      }
      break;
    case VK_HOME:
      brief ? (void)MoveToRow(0) : FollowGrid();
      break;
    case VK_END:
      brief ? (void)MoveToRow(rows - 1) : FollowGrid();
      break;
    case VK_BACK:
      if (basket) return;
      btnRUpOneLevelClick();
      break;
    case VK_RETURN:
      if (current + 1 > rows) return;
      EnterCurrent(shift & ssAlt);
      break;
    case VK_F3:
    case VK_F4: {
      uint32_t dir = 0, pos = 0;
      if (current + 1 > rows || !GetCurrentItem(dir, pos)) return;
      if (pos > 0) ShellAction(dir, pos, key == VK_F3 ? 2 : 3);
      break;
    }
    case VK_SPACE: {
      THourglassCursor wait;
      MarkCurrentItem(SelToggle, !basket && (GeneralCheckContainer & OptSpaceSizesFolders));
      break;
    }
    case VK_INSERT:
      MarkCurrentItem(SelToggle, false);
      MoveToRow(current + 1);
      break;
    case VK_MULTIPLY:
      InvertMarks();
      break;
    default:
      return;
  }
  if (basket && BasketMode == 1 && BasketList->SelectedCount == 0) UpdateStatus(CurrentIndex);
  key = 0;
}

void TBrowserForm::EnterCurrent(bool properties) {
  uint32_t dir = 0, pos = 0;
  if (!GetCurrentItem(dir, pos)) return;
  if (Mode == PaneBasket && pos == 0) return;
  OpenEntry(dir, pos, properties ? 1 : 0);
}

void TBrowserForm::sgBrowserMouseDown(TMouseButton button, unsigned, int x, int y) {
  int col = 0, row = 0;
  if (button == TMouseButton::Left) {
    if (sgBrowser->MouseToCell(x, y, col, row)) MoveTo(-1, col, row);
    return;
  }
  if (button != TMouseButton::Right) return;
  RightDragAction = 8;
  if (!sgBrowser->MouseToCell(x, y, col, row) || !MoveTo(-1, col, row)) return;
  MarkCurrentItem(SelToggle, false);
  uint32_t dir = 0, pos = 0;
  if (!GetCurrentItem(dir, pos) || pos == 0) {
    RightDragAction = 2;
    return;
  }
  RightDragAction = IsFileSelected(dir, pos, ShownList()) ? 2 : 4;
  CMList = &ShownList();
  CMDir = dir;
  CMPos = pos;
  CMPointX = x;
  CMPointY = y;
  timerForCM.SetEnabled(true);
}

void TBrowserForm::sgBrowserMouseMove(unsigned shift, int x, int y) {
  if (timerForCM.Enabled() && (x != CMPointX || y != CMPointY)) timerForCM.SetEnabled(false);
  if (!(shift & ssRight) || !sgBrowser->Focused()) return;
  int col = 0, row = 0;
  const int32_t before = CurrentIndex;
  if (!sgBrowser->MouseToCell(x, y, col, row) || !MoveTo(-1, col, row) || CurrentIndex == before) return;
  if (RightDragAction != 2 && RightDragAction != 4) return;
  // A quick drag skips rows between two moves; they are passed over all the
  // same, and the totals, a walk over the whole list, recounted once.
  const int32_t target = CurrentIndex, step = target > before ? 1 : -1;
  bool marked = false;
  for (int32_t i = before + step;; i += step) {
    CurrentIndex = i;
    marked |= MarkCurrentEntry(RightDragAction, false);
    if (i == target) break;
  }
  if (marked) AfterMarking();
}

void TBrowserForm::sgBrowserMouseUp(TMouseButton, unsigned, int, int) { timerForCM.SetEnabled(false); }

void TBrowserForm::sgBrowserDblClick() {
  WORD key = VK_RETURN;
  sgBrowserKeyDown(key, CurrentShiftState());
}

// A notch of the wheel is the Down or Up key, with the grid's own move first.
void TBrowserForm::sgBrowserMouseWheelDown(bool& handled) {
  handled = true;
  SendMessageA(sgBrowser->Handle(), WM_KEYDOWN, VK_DOWN, 0);
}

void TBrowserForm::sgBrowserMouseWheelUp(bool& handled) {
  handled = true;
  SendMessageA(sgBrowser->Handle(), WM_KEYDOWN, VK_UP, 0);
}

void TBrowserForm::timerForCMTimer() {
  // First: the layer's timer repeats, and the menu's own loop dispatches
  // timer messages, which would open a second menu inside this one.
  timerForCM.SetEnabled(false);
  if (!CMList) return;
  TstateOfBrowser& list = *CMList;
  bool invoked = false;
  {
    // No refresh may rebuild the list while the menu is open over its entry.
    TBusyScope busy(list);
    MarkEntry(list, CMDir, CMPos, SelSet, false);
    RepaintRow(CurrentIndex);
    POINT at{CMPointX, CMPointY};
    ClientToScreen(sgBrowser->Handle(), &at);
    ShowShellContextMenu(
        sgBrowser->Handle(), sgBrowser->ICM,
        [this, &invoked](const std::string& verb) {
          invoked = true;
          return sgBrowser->OnShellVerb && sgBrowser->OnShellVerb(verb);
        },
        at.x, at.y, CMDir, CMPos, list);
    MarkEntry(list, CMDir, CMPos, RightDragAction == 2 ? SelClear : SelSet, false);
  }
  CMList = nullptr;
  UpdateListTotals(list);
  RepaintRow(CurrentIndex);
  UpdateStatus(CurrentIndex);
  // The command may have deleted, copied or linked entries.
  if (invoked) Refresh();
}

// ---- other handlers

void TBrowserForm::pnlAddressLineClick() { sgBrowser->SetFocus(); }

void TBrowserForm::btnSendTobasketClick() {
  sgBrowser->SetFocus();
  if (FolderList->SelectedCount > 0) host_.SendToBasket();
}

void TBrowserForm::btnRUpOneLevelClick() {
  if ((Mode == PaneBrief || Mode == PaneFull) && RootHasUpRow()) OpenItem(1, 1, 0);
}

void TBrowserForm::btnRJumpToRootClick() { OpenCurrentDriveRoot(); }

void TBrowserForm::btnSetDrive(TDriveButton* button) { SelectDrive(int(button->Tag)); }

// A key held in the combo moves its selection without choosing a drive.
void TBrowserForm::cmbDrivesClick() {
  if (cmbDrives->Tag != 1) SelectDrive(cmbDrives->ItemIndex());
}

void TBrowserForm::cmbDrivesKeyDown(WORD& key, unsigned) {
  cmbDrives->Tag = 1;
  if (key == VK_RETURN) {
    key = 0;
    SelectDrive(cmbDrives->ItemIndex());
  } else if (key == VK_ESCAPE) {
    key = 0;
    sgBrowser->SetFocus();
  }
}

void TBrowserForm::cmbDrivesKeyUp(WORD&, unsigned) {
  cmbDrives->Tag = 0;
}

void TBrowserForm::cmbDrivesKeyPress(char& key) {
  const char typed = LowerLetter(key);
  for (size_t i = 0; i < DriveList.size(); ++i) {
    if (LowerLetter(DriveList[i]->Letter) != typed) continue;
    key = 0;
    SelectDrive(int(i));
    return;
  }
}

void TBrowserForm::cmbDrivesExit() {
  const int shown = FindDriveIndex(DriveLetter, DriveList);
  if (shown < int(DriveList.size())) cmbDrives->SetItemIndex(shown);
  cmbDrives->Tag = 0;
  if (!pnlBrowserToolbar->Visible()) PostMessageA(hwnd_, WM_RESTORECOMBO, 0, 0);
}

void TBrowserForm::pnlBrowserToolbarResize() {
  const int width = pnlBrowserToolbar->Visible()
                        ? pnlBrowserToolbar->Width() - cmbDrives->Width() - pnlRightJumpButtons->Width() - 20
                        : 400;
  pnlInfo->SetBounds(cmbDrives->Left() + cmbDrives->Width() + 10, pnlInfo->Top(), std::max(width, 0),
                     pnlInfo->Height());
}

void TBrowserForm::pnlDisksResize() {
  ArrangeDriveBar(pnlDisks, LayoutBits);
  host_.EvenPaneTops();
}

void TBrowserForm::FormResize() {
  if (!FolderList) return;
  sgBrowser->Tag = GridMoveAllowed;
  UpdateView();
  sgBrowser->Invalidate();
  host_.EvenPaneTops();
}

LRESULT TBrowserForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_RESTORECOMBO) {
    cmbDrives->SetParent(pnlBrowserToolbar);
    cmbDrives->SetBounds(2, 1, cmbDrives->Width(), cmbDrives->Height());
    return 0;
  }
  return TForm::WndProc(msg, wp, lp);
}
