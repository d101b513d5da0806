#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/StringGrid.h"
#include "framework/Forms.h"

namespace {

using TRow = std::vector<std::string>;

TEST(StringGrid, KeepsItsTextsAndDropsThoseBeyondTheCounts) {
  TForm form;
  auto* grid = new TStringGrid(&form);
  grid->SetColCount(3);
  grid->SetRowCount(4);
  grid->SetFixedRows(1);
  for (int r = 0; r < 4; ++r) grid->SetRows(r, {"n" + std::to_string(r), "s" + std::to_string(r), "x"});
  grid->SetCells(5, 1, "outside");  // no such column: nothing happens
  EXPECT_EQ(grid->Cells(1, 2), "s2");
  EXPECT_EQ(grid->Rows(3), (TRow{"n3", "s3", "x"}));
  EXPECT_EQ(grid->Cells(9, 9), "");

  // A filter's way: rows copied aside, fewer written back, then all again.
  std::vector<TRow> saved;
  for (int r = 1; r < 4; ++r) saved.push_back(grid->Rows(r));
  grid->SetRowCount(2);
  grid->SetColCount(2);
  EXPECT_EQ(grid->ColWidths.size(), 2u);
  grid->SetRowCount(4);
  grid->SetColCount(3);
  EXPECT_EQ(grid->Rows(3), (TRow{"", "", ""}));
  EXPECT_EQ(grid->Rows(1), (TRow{"n1", "s1", ""}));
  for (int r = 1; r < 4; ++r) grid->SetRows(r, saved[static_cast<size_t>(r - 1)]);
  EXPECT_EQ(grid->Rows(3), (TRow{"n3", "s3", "x"}));
  grid->SetColWidth(0, 110);
  EXPECT_EQ(grid->ColWidths[0], 110);

  // The current row follows a shrinking grid without a selection event.
  int selects = 0;
  grid->OnSelectCell = [&](int, int, bool&) { ++selects; };
  grid->MoveToCell(2, 3);
  selects = 0;
  grid->SetRowCount(2);
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(selects, 0);
}

TEST(StringGrid, ScrollBarWheelAndKeysMoveTheTopRowAndReportIt) {
  TForm form;
  form.SetClientSize(300, 200);
  auto* grid = new TStringGrid(&form);
  grid->SetBounds(0, 0, 200, 18 * 6);
  grid->SetColCount(2);
  grid->SetRowCount(51);
  grid->SetFixedRows(1);
  grid->SetScrollBars(ssVertical);
  grid->RowSelect = true;
  for (int r = 0; r < 51; ++r) grid->SetCells(0, r, "row " + std::to_string(r));
  int reports = 0;
  grid->OnTopLeftChanged = [&] { ++reports; };
  form.Show();
  UpdateWindow(grid->Handle());
  grid->MoveToCell(0, 1);
  reports = 0;
  EXPECT_LT(grid->ClientRect().right, 200);  // the bar takes its room
  const int page = grid->VisibleRowCount();

  SendMessageA(grid->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(grid->TopRow(), 2);
  SendMessageA(grid->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  EXPECT_EQ(grid->TopRow(), 5);
  SendMessageA(grid->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(grid->TopRow(), 51 - page);
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(grid->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nPos, 51 - page - 1);
  EXPECT_EQ(si.nMax, 49);
  SendMessageA(grid->Handle(), WM_KEYDOWN, VK_DOWN, 0);  // the new cursor row comes into view
  EXPECT_EQ(grid->TopRow(), 2);
  SendMessageA(grid->Handle(), WM_VSCROLL, SB_LINEUP, 0);
  SendMessageA(grid->Handle(), WM_VSCROLL, SB_LINEUP, 0);  // already at the top: nothing moves
  EXPECT_EQ(grid->TopRow(), 1);
  EXPECT_EQ(reports, 5);
}

TEST(StringGrid, DrawsItsOwnTextsUntilTheOwnerDrawsThem) {
  TForm form;
  form.SetClientSize(200, 100);
  auto* grid = new TStringGrid(&form);
  grid->SetBounds(0, 0, 200, 100);
  grid->SetColCount(1);
  grid->ColWidths = {200};
  grid->SetRowCount(2);
  grid->SetCells(0, 1, "WWWWWWWW");
  form.Show();
  auto darkPixels = [&] {
    InvalidateRect(grid->Handle(), nullptr, TRUE);
    UpdateWindow(grid->Handle());
    TWindowDC dc(grid->Handle());
    int n = 0;
    for (int y = 18; y < 36; ++y)
      for (int x = 0; x < 100; ++x) n += GetPixel(dc.Get(), x, y) == GetSysColor(COLOR_WINDOWTEXT);
    return n;
  };
  EXPECT_GT(darkPixels(), 20);
  grid->OnDrawCell = [](int, int, const RECT& r, unsigned, TCanvas& c) { c.FillRect(r); };
  EXPECT_EQ(darkPixels(), 0);
}

}  // namespace
