#include "windows/FormBrowser.h"

#include <algorithm>

#include "core/DirRegistry.h"
#include "core/Drives.h"
#include "core/FileUtils.h"
#include "core/Formats.h"
#include "core/ListLock.h"
#include "core/ReadFolder.h"
#include "core/RowTexts.h"
#include "core/SharedTexts.h"
#include "core/ShellActions.h"
#include "core/Selection.h"
#include "core/SortList.h"
#include "core/translator.h"
#include "framework/Cursors.h"
#include "framework/Handles.h"

TBrowserForm* ActivePane = nullptr;
TStringList RememberedFolders;

namespace {

constexpr int TextSendToBasket = 702;

constexpr UINT WM_RESTORECOMBO = WM_USER + 15;

constexpr int ReadFlags = ReadFoldersSkipMasks;

std::vector<TBrowserForm*>& LivePanes() {
  static std::vector<TBrowserForm*> panes;
  return panes;
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

char TBrowserForm::LowerLetter(char c) {
  char s[2] = {c, 0};
  CharLowerBuffA(s, 1);
  return s[0];
}

std::string TBrowserForm::KiloText(uint64_t bytes) {
  std::string s;
  const uint64_t k = bytes / 1024;
  FormatSize(uint32_t(k >> 32), uint32_t(k), s, 0);
  return s;
}

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
  OnApplyTexts = [this] { ApplyHeaderTexts(); };
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
      TstateOfBrowser old;
      MoveFileList(old, *FolderList);
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
        MoveFileList(*FolderList, old);
      }
    }
    AfterFolderChange();
  }
  return read;
}

// "[..]": the parent becomes the root, and the folder left the current entry.
bool TBrowserForm::GoUpFromFolder() {
  if (!RootHasUpRow()) return true;
  TstateOfBrowser old;
  MoveFileList(old, *FolderList);
  RestartWithRoot(*FolderList, old);
  std::string left;
  GoToParentFolder(*FolderList, left);
  if (left.empty() || !ReadDirEntries(1, ReadFlags, *FolderList)) {
    FreeFileList(*FolderList);
    MoveFileList(*FolderList, old);
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
      TstateOfBrowser old;
      MoveFileList(old, *FolderList);
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
