#include <gtest/gtest.h>

#include "support/Screenshot.h"
#include "controls/DriveBar.h"
#include "controls/GridCell.h"
#include "controls/OrvHeader.h"
#include "controls/OrvStatusBar.h"
#include "controls/PylStringGrid.h"
#include "framework/Forms.h"

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

}  // namespace
