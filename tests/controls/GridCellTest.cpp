#include <gtest/gtest.h>

#include "controls/GridCell.h"
#include "framework/Forms.h"

namespace {

struct TPixels {
  int red = 0, back = 0;
};

// Draws one cell into the grid's window and counts its pixels.
TPixels DrawAndCount(TPylStringGrid& g, int row, const char* text, COLORREF back) {
  TWindowDC window(g.Handle());
  const HDC dc = window.Get();
  const RECT r{0, 0, 100, 18};
  {
    TCanvas c(dc);
    DrawGridCell(c, g, 0, row, 0, 0, r, text);
  }
  TPixels p;
  for (int y = 0; y < 18; ++y)
    for (int x = 0; x < 100; ++x) {
      const COLORREF px = GetPixel(dc, x, y);
      p.red += px == RGB(255, 0, 0);
      p.back += px == back;
    }
  return p;
}

TEST(DrawGridCell, MarkedTextIsRedExceptOnTheCurrentRow) {
  TForm form;
  auto* g = new TPylStringGrid(&form);
  g->Tag = 1;
  g->RowCount = 5;
  form.Show();
  g->SetFocus();
  g->MoveToCell(0, 2);
  const TPixels normal = DrawAndCount(*g, 1, "abc\x01", GetSysColor(COLOR_WINDOW));
  EXPECT_GT(normal.red, 10);
  const TPixels current = DrawAndCount(*g, 2, "abc\x01", GetSysColor(COLOR_ACTIVECAPTION));
  EXPECT_EQ(current.red, 0);
  EXPECT_GT(current.back, 1000);
}

}  // namespace
