#include "windows/FormBrowser.h"

#include <charconv>

#include "core/DirRegistry.h"
#include "core/Drives.h"
#include "core/FileUtils.h"
#include "core/RowTexts.h"
#include "core/Selection.h"
#include "core/SharedTexts.h"
#include "core/SortList.h"
#include "core/translator.h"
#include "framework/Cursors.h"
#include "framework/Handles.h"
#include "framework/IniFile.h"
#include "windows/ChoiceDrive.h"
#include "windows/Startup.h"

std::array<TColor, 5> MainColors{RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 0, 128),
                                 RGB(255, 255, 255)};
std::optional<TFont> FilesFont;

namespace {

const TUnitTexts browserTexts{
    {700, "Browser"},
    {701, "Browse the files"},
    {702, "Send to Basket"},
    {703, "Save Basket list to file..."},
    {704, "Load Basket list from file..."},
};

constexpr uint32_t LayoutDriveBar = 0x04;
constexpr uint32_t LayoutDriveCombo = 0x08;
constexpr uint32_t LayoutHeader = 0x10;
constexpr uint32_t LayoutAddressLine = 0x20;
constexpr uint32_t LayoutStatusLine = 0x40;
constexpr uint32_t LayoutNoBevel = 0x80;
constexpr uint32_t LayoutNoBottomButtons = 0x100;
constexpr uint32_t LayoutFlatSendButton = 0x200;

constexpr uint64_t DefaultColumnWidths = 16125026496ull;

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
  const uint64_t word = v ? CheckedColumnWidthWord(*v, TBrowserForm::FullColumns) : 0;
  return word ? word : DefaultColumnWidths;
}

// A drive letter with a colon (and a backslash below the root), or the
// network's leading backslash: anything else would lend the pane a bogus
// drive letter.
bool IsAbsoluteFolder(const std::string& path) {
  if (!path.empty() && path[0] == '\\') return true;
  return path.size() >= 2 && IsCharAlphaA(path[0]) && path[1] == ':' && (path.size() == 2 || path[2] == '\\');
}

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

void TBrowserForm::SetupHeader() {
  const bool five = Mode == PaneFull || (Mode == PaneBasket && BasketMode == 2);
  const size_t columns = five ? FullColumns : 4;
  if (sgTitle->HeaderItems.size() != columns) {
    sgTitle->HeaderItems.resize(columns);
    for (size_t i = 0; i < columns; ++i) sgTitle->HeaderItems[i].Text = Tx(TextName + int(i));
  }
  sgTitle->SetHeaderMode(five ? hmFull : hmBrief);
  sgTitle->ItemsChanged();
  if (FolderList) sgTitle->SetKindOfSort(ShownList().SortKind);
  sgTitle->ApplyColumnWidths();
}

void TBrowserForm::ApplyHeaderTexts() {
  for (size_t i = 0; i < sgTitle->HeaderItems.size(); ++i) sgTitle->HeaderItems[i].Text = Tx(TextName + int(i));
  SetupHeader();
  sgTitle->Invalidate();
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

// The header and the mode buttons follow as they do at a start.
void TBrowserForm::SetBasketMode(int basketMode) {
  BasketMode = basketMode;
  SetupHeader();
  UpdateView();
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
