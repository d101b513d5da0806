#include "PaneFixture.h"

#include "controls/BrowserImages.h"
#include "core/DirRegistry.h"
#include "core/IconReader.h"
#include "core/Drives.h"
#include "core/ReadFolder.h"
#include "core/RowTexts.h"
#include "core/Selection.h"
#include "framework/IniFile.h"
#include "windows/Startup.h"

TRecordingHost::TRecordingHost() : Images(MakeImageListBrowser()), Sorts(MakeUpDownImages()) {}

void TPaneTest::SetUp() {
  // What the start-up does once, before the main window.
  static const bool started = [] {
    OleInitialize(nullptr);
    LoadRegisteredExtensions(RegisteredExtensions);
    GetShellIconIndexes();
    SHGetDesktopFolder(&DesktopFolder);
    return true;
  }();
  (void)started;
  ini = settings / "kvt.ini";
  SettingsFilePath = ini;
  FilesFont.reset();
  for (int slot = 1; slot <= 5; ++slot) MainColors[size_t(slot - 1)] = MainColorValue(0, slot);
  GeneralCheckContainer = 31357;
  RememberedFolders.Clear();
  DriveList.clear();
  FillDriveList(DriveList, DriveOptionBasket);
  ResetBasket();
  form = std::make_unique<TForm>();
  form->SetBounds(20, 20, 900, 520);
  left = new TPanel(form.get());
  left->SetBounds(0, 0, 450, 480);
  left->SetAlign(TAlign::Left);
  right = new TPanel(form.get());
  right->SetAlign(TAlign::Client);
  form->Show();
  ShellOwnerWindow = form->Handle();
  Pump();
}

void TPaneTest::TearDown() {
  panes.clear();
  form.reset();
  ResetBasket();
  FreeFileList(Basket);
  for (TstateOfBrowser* list : {&LeftPaneList, &RightPaneList}) FreeFileList(*list);
}

void TPaneTest::ResetBasket() {
  for (TstateOfBrowser* view : {&LeftBasketView, &RightBasketView}) DetachBasketView(*view);
  FreeFileList(Basket);
  InitFileList(Basket, 10, 300, "*.*", 10000);
  Basket.SortKind = 16384;
}

TBrowserForm& TPaneTest::MakePane(const std::string& name) {
  auto pane = std::make_unique<TBrowserForm>(name == "LeftBrowser" ? left : right, name, host);
  pane->LoadSettings(name == "LeftBrowser" ? "BROWSER_LEFT" : "BROWSER_RIGHT");
  pane->ApplyLayout(0xF1);
  pane->Show();
  Pump();
  panes.push_back(std::move(pane));
  return *panes.back();
}

void TPaneTest::WriteSetting(const std::string& section, const std::string& key, const std::string& value) {
  TIniFile(ini).WriteString(section, key, value);
}

void TPaneTest::MakeTree(const std::vector<std::string>& names) {
  for (const std::string& n : names) {
    if (n.back() == '\\') {
      temp.Folder(n.substr(0, n.size() - 1));
    } else {
      temp.File(n, n.size() * 1000);
    }
  }
}

void TPaneTest::Pump() {
  for (int i = 0; i < 3; ++i) {
    Application().ProcessMessages();
    Sleep(5);
  }
}

void TPaneTest::Key(TBrowserForm& pane, WORD vk, unsigned shift) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  auto hold = [&](int key, bool down) { state[key] = down ? 0x80 : 0; };
  hold(VK_SHIFT, shift & ssShift);
  hold(VK_CONTROL, shift & ssCtrl);
  hold(VK_MENU, shift & ssAlt);
  SetKeyboardState(state);
  const UINT down = shift & ssAlt ? WM_SYSKEYDOWN : WM_KEYDOWN;
  PostMessageA(pane.sgBrowser->Handle(), down, vk, 1);
  Pump();
  hold(VK_SHIFT, false);
  hold(VK_CONTROL, false);
  hold(VK_MENU, false);
  SetKeyboardState(state);
}

std::string TPaneTest::StatusText(TBrowserForm& pane) {
  HWND bar = pane.sbFilesComment->Handle();
  char text[512] = "";
  const bool simple = SendMessageA(bar, SB_ISSIMPLE, 0, 0) != 0;
  std::string all;
  const int parts = simple ? 1 : int(SendMessageA(bar, SB_GETPARTS, 0, 0));
  for (int i = 0; i < parts; ++i) {
    const WPARAM part = WPARAM(i);  // a simple bar answers for any part with its one text
    if (LOWORD(SendMessageA(bar, SB_GETTEXTLENGTHA, part, 0)) >= sizeof text) continue;
    text[0] = 0;
    SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
    if (i) all += '|';
    all += text;
  }
  return all;
}

std::string TPaneTest::NameAt(TBrowserForm& pane, int32_t index) {
  const int32_t saved = pane.CurrentIndex;
  pane.CurrentIndex = index;
  uint32_t dir = 0, pos = 0;
  std::string name;
  if (pane.GetCurrentItem(dir, pos)) {
    int32_t depth = 0;
    if (pos == 0) {
      name = "[..]";
    } else {
      GetItemName(dir, pos, name, pane.Mode == PaneBasket ? *pane.BasketList : *pane.FolderList, depth);
    }
  }
  pane.CurrentIndex = saved;
  return name;
}

std::string TPaneTest::Marked(TBrowserForm& pane) {
  std::string names;
  for (int32_t i = 0; i < pane.RowTotal(); ++i) {
    const int32_t saved = pane.CurrentIndex;
    pane.CurrentIndex = i;
    uint32_t dir = 0, pos = 0;
    const bool item = pane.GetCurrentItem(dir, pos);
    pane.CurrentIndex = saved;
    TstateOfBrowser& list = pane.Mode == PaneBasket ? *pane.BasketList : *pane.FolderList;
    if (!item || pos == 0 || !IsFileSelected(dir, pos, list)) continue;
    if (!names.empty()) names += ',';
    names += NameAt(pane, i);
  }
  return names;
}

bool TPaneTest::RowShows(TBrowserForm& pane, int32_t index, COLORREF colour) {
  TPylStringGrid& grid = *pane.sgBrowser;
  RedrawWindow(grid.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  const int rows = pane.Mode == PaneBrief ? grid.RowCount : 1 << 30;
  const int col = index / rows, row = index % rows - (pane.Mode == PaneBrief ? 0 : grid.TopRow());
  int left = 0;
  for (int c = grid.LeftCol(); c < col; ++c) left += grid.ColWidths[size_t(c)];
  const int right = pane.Mode == PaneBrief ? left + grid.ColWidths[size_t(col)] : grid.ClientRect().right;
  TWindowDC dc(grid.Handle());
  bool found = false;
  for (int y = row * grid.DefaultRowHeight; y < (row + 1) * grid.DefaultRowHeight && !found; ++y)
    for (int x = left; x < right && !found; ++x) found = GetPixel(dc.Get(), x, y) == colour;
  return found;
}

void TPaneTest::ClickHeader(TBrowserForm& pane, int column) {
  int x = 0;
  for (int c = 0; c < column; ++c) x += pane.sgTitle->ColWidth(c);
  x += pane.sgTitle->ColWidth(column) / 2;
  const LPARAM at = MAKELPARAM(x, 5);
  PostMessageA(pane.sgTitle->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(pane.sgTitle->Handle(), WM_LBUTTONUP, 0, at);
  Pump();
}

void TPaneTest::AddToBasket(const std::string& folder) {
  TstateOfBrowser list;
  InitFileList(list, 1, 100, "*.*", 1000);
  OpenPathAsRoot(folder, list);
  ReadDirEntries(1, 1, list);
  ChangeDirSelection(1, list, true, SelSet);
  AddSelectionToBasket(list);
  FreeFileList(list);
  RefreshAllLists();
}
