#include <gtest/gtest.h>

#include "support/Screenshot.h"
#include "controls/BrowserImages.h"
#include "controls/DriveBar.h"
#include "controls/GridCell.h"
#include "controls/OrvHeader.h"
#include "controls/OrvStatusBar.h"
#include "controls/PylStringGrid.h"
#include "controls/PylBitBtn.h"
#include "controls/PylSplitterMouse.h"
#include "controls/StringGrid.h"
#include "core/IconReader.h"
#include "framework/ComCtrls.h"
#include "framework/Forms.h"
#include "framework/Spin.h"
#include "support/BuildFolders.h"

namespace {

TEST(ControlsShot, EveryControlOnOneForm) {
  TForm form;
  form.SetCaption("Controls");
  form.SetClientSize(420, 260);
  auto* bar = new TPanel(&form);
  bar->SetBounds(0, 0, 420, 24);
  bar->SetAlign(TAlign::Top);
  TDriveList drives;
  for (auto [letter, type] : {std::pair{'c', DRIVE_FIXED}, {'d', DRIVE_CDROM}, {'\\', DRIVE_REMOTE}, {'*', DRIVE_REMOTE}}) {
    auto d = std::make_unique<TDriveRecord>();
    d->Letter = letter;
    d->DriveType = type;
    drives.push_back(std::move(d));
  }
  TPopupMenu menu;
  BuildDriveBar(bar, drives, 0, nullptr, &menu, nullptr);
  ArrangeDriveBar(bar, 0);
  auto* status = new TOrvStatusBar(&form);
  status->SetSimpleText("3 of 12 files selected");
  auto* header = new TOrvHeader(&form);
  header->SetBounds(8, 40, 400, 18);
  header->HeaderItems = {{DT_LEFT, "Name", 200}, {DT_LEFT, "Size", 100}, {DT_LEFT, "Date", 100}};
  header->ItemsChanged();
  header->SetKindOfSort(0);
  auto* grid = new TPylStringGrid(&form);
  grid->SetBounds(8, 60, 400, 150);
  grid->ColCount = 3;
  grid->ColWidths = {200, 100, 100};
  grid->RowCount = 8;
  grid->Tag = 1;
  grid->OnDrawCell = [grid](int col, int row, const RECT& r, unsigned state, TCanvas& c) {
    static const char* const names[] = {"readme.txt", "kvt.ini\x01", "setup.exe\x02", "notes.doc"};
    const std::string text = col == 0 ? names[row % 4] : col == 1 ? std::to_string(row * 1024) : "09.12.2026";
    DrawGridCell(c, *grid, col, row, 0x14, state, r, text);
  };
  form.Show();
  grid->SetFocus();
  grid->MoveToCell(0, 2);
  UpdateWindow(form.Handle());
  Application().ProcessMessages();
  // Beside the grid lies the bare form.
  EXPECT_TRUE(SaveWindowShot(form.Handle(), "controls_every_control.bmp",
                             {{414, 100, GetSysColor(COLOR_BTNFACE)}}));
}

TEST(ControlsShot, PagesPickersTreesGridsAndGlyphs) {
  TForm form;
  form.SetCaption("More controls");
  form.SetClientSize(640, 420);
  auto* pages = new TPageControl(&form);
  pages->SetBounds(8, 8, 320, 240);
  new TTabSheet(pages, "&General");
  auto* advanced = new TTabSheet(pages, "&Advanced");
  new TTabSheet(pages, "By Con&tent");
  pages->SetActivePage(advanced);
  int y = 8;
  for (auto state : {TCheckBoxState::Grayed, TCheckBoxState::Checked, TCheckBoxState::Unchecked}) {
    auto* chk = new TCheckBox(advanced, state == TCheckBoxState::Grayed ? "Archive" : "Hidden");
    chk->SetBounds(8, y, 120, 17);
    chk->SetAllowGrayed(true);
    chk->SetState(state);
    y += 22;
  }
  auto* date = new TDateTimePicker(advanced);
  date->SetBounds(140, 8, 150, 21);
  SYSTEMTIME t{2026, 12, 0, 9, 0, 0, 0, 0};
  date->SetDateTime(t);
  auto* size = new TSpinEdit(advanced);
  size->SetBounds(140, 40, 150, 21);
  size->SetValue(5000000000);

  auto* tree = new TTreeView(&form);
  tree->SetBounds(340, 8, 140, 120);
  for (const char* page : {"Layout", "Display", "Language", "Colors"}) tree->Add(nullptr, page);
  tree->Select(tree->GetNext(tree->First()));
  auto* rich = new TRichEdit(&form);
  rich->SetBounds(488, 8, 144, 120);
  rich->LoadFromMemory("{\\rtf1\\ansi {\\b LICENSE AGREEMENT}\\par Read it {\\i carefully}.\\par}");

  auto* grid = new TStringGrid(&form);
  grid->SetBounds(340, 136, 292, 112);
  grid->SetColCount(3);
  grid->ColWidths = {130, 70, 70};
  grid->SetRowCount(8);
  grid->SetFixedRows(1);
  grid->SetScrollBars(ssVertical);
  grid->Tag = 1;
  grid->SetRows(0, {"Name", "Size before", "Status"});
  grid->SetRows(1, {"C:\\t\\a.txt", "1 024", "successful\x02"});
  grid->SetRows(2, {"C:\\t\\b.doc", "?", "failed_4\x01"});
  grid->SetRows(3, {"C:\\t\\c.txt", "512", "unchanged"});

  auto* list = new TListBox(&form, LBS_OWNERDRAWFIXED);
  list->SetBounds(8, 256, 150, 110);
  for (const char* path : {"C:\\", "D:\\work", "E:\\photos"}) list->Items.Add(path);
  list->SetItemIndex(1);
  list->OnDrawItem = [](int i, const RECT& r, unsigned state, TCanvas& c) {
    c.SetBrushColor(state & odSelected ? clActiveCaption : clWindow);
    c.FillRect(r);
    c.TextOut(r.left + 3, r.top + 1, i == 1 ? "D:\\work" : "C:\\");
  };
  auto* stack = new TPanel(&form);
  stack->SetBounds(166, 256, 162, 110);
  auto* find = new TEdit(stack, kMemoStyle);
  find->SetHeight(50);
  find->SetAlign(TAlign::Top);
  find->SetText("Find this text,\r\nover two lines of a memo that wraps");
  new TPylSplitterMouse(stack, find, TAlign::Top);
  auto* replace = new TEdit(stack, kMemoStyle);
  replace->SetAlign(TAlign::Client);
  replace->SetText("and replace it");

  // The glyphs the program carries: 16 x 16 images, three of the start glyph.
  HMODULE program = LoadLibraryExA((BuildFolder() + "program\\Kelvanto.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);
  const char* const glyphs[][2] = {{"BTNSTART", "&Start Find"}, {"BTNHLP", "Help"},     {"BTNSTOP", "Sto&p"},
                                   {"BTNGOTO", "&Go to file"},  {"BTNBASKETADD", "&Basket"}, {"BTNCANCEL", "&Cancel"}};
  int x = 340;
  y = 256;
  for (const auto& g : glyphs) {
    auto* b = new TPylBitBtn(&form, g[1]);
    b->SetBounds(x, y, 140, 27);
    b->SetGlyph(LoadBitmapA(program, g[0]));
    EXPECT_EQ(b->NumGlyphs(), std::string(g[0]) == "BTNSTART" ? 3 : 2) << g[0];
    if (std::string(g[0]) == "BTNSTOP") b->SetEnabled(false);
    x = x == 340 ? 490 : 340;
    if (x == 340) y += 34;
  }
  FreeLibrary(program);
  form.Show();
  tree->SetFocus();
  UpdateWindow(form.Handle());
  Application().ProcessMessages();
  EXPECT_TRUE(SaveWindowShot(form.Handle(), "controls_more_controls.bmp", {{636, 412, GetSysColor(COLOR_BTNFACE)}}));
}

TEST(ControlsShot, BrowserImagesSortMarksAndASystemIcon) {
  GetShellIconIndexes();
  const auto images = MakeImageListBrowser();
  const auto marks = MakeUpDownImages();
  ASSERT_EQ(images->Count(), 4);
  ASSERT_EQ(marks->Count(), 2);
  TForm form;
  form.SetCaption("Icons");
  form.SetClientSize(340, 200);
  for (auto [top, kind] : {std::pair{8, 0u}, {30, 2u | 0x2000u}}) {  // ascending by name, descending by size
    auto* header = new TOrvHeader(&form);
    header->SetBounds(8, top, 320, 18);
    header->HeaderItems = {{DT_LEFT, "Name", 160}, {DT_LEFT, "Ext", 60}, {DT_LEFT, "Size", 100}};
    header->ItemsChanged();
    header->Images = marks->Handle();
    header->SetKindOfSort(kind);
  }
  // The values a pane draws: -1 to -4 from the program's list, then the
  // system's folder icons.
  const int32_t values[] = {-1, -2, -3, -4, FolderIconIndex, OpenFolderIconIndex};
  const char* const labels[] = {"[..]", "no icon", "folder", "open folder", "system folder", "system open"};
  auto* grid = new TPylStringGrid(&form);
  grid->SetScrollBars(ssBoth);
  grid->SetBounds(8, 56, 320, 136);
  grid->ColCount = 4;
  grid->ColWidths.assign(4, 130);
  grid->RowCount = 6;
  grid->OnDrawCell = [&](int col, int row, const RECT& r, unsigned, TCanvas& c) {
    c.SetBrushColor(clWindow);
    c.FillRect(r);
    const int32_t v = values[row];
    if (v < 0)
      images->Draw(c, r.left + 2, r.top + 1, -v - 1);
    else
      c.Draw(r.left + 2, r.top + 1, SystemImageList, v);
    c.TextOut(r.left + 22, r.top + 2, std::string(labels[row]) + " " + std::to_string(col));
  };
  form.Show();
  grid->SetLeftCol(1);  // scrolled: column 1 comes first
  UpdateWindow(form.Handle());
  Application().ProcessMessages();
  EXPECT_EQ(grid->LeftCol(), 1);
  EXPECT_TRUE(SaveWindowShot(form.Handle(), "icons_shell.bmp",
                             {{8 + 2 + 8, 56 + 2 * 18 + 1 + 10, RGB(240, 200, 80)},  // the closed folder's body
                              {8 + 8, 8 + 1 + 9, RGB(128, 128, 128)}}));           // the ascending mark
}

}  // namespace
