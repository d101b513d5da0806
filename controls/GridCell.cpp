#include "controls/GridCell.h"

#include "core/Formats.h"

namespace {

struct TCellColours {
  TColor text, back;
};

TCellColours ColoursOf(const TPylStringGrid& grid, int row, unsigned state, char last) {
  const bool focused = grid.Focused();
  if (state & gdFixed)
    return {clBtnText, (grid.Tag & 2) && focused && row == 0 ? clActiveBorder : clInactiveBorder};
  if (row == grid.Row() && (grid.Tag & 1))
    return focused ? TCellColours{clCaptionText, clActiveCaption} : TCellColours{clInactiveCaptionText, clInactiveCaption};
  if (last == 1) return {RGB(255, 0, 0), clWindow};
  if (last == 2) return {RGB(0, 200, 0), clWindow};
  return {clWindowText, clWindow};
}

}  // namespace

void DrawGridCell(TCanvas& c, const TPylStringGrid& grid, int col, int row, uint32_t alignWord, unsigned state,
                  const RECT& rect, std::string text) {
  c.SetFont(grid.Font());
  const char last = text.empty() ? 0 : text.back();
  const TCellColours colours = ColoursOf(grid, row, state, last);
  if (last >= 1 && last <= 4) text.pop_back();
  TFont f = grid.Font();
  f.Color = colours.text;
  c.SetFont(f);
  c.SetBrushColor(colours.back);
  const bool fixed = (state & gdFixed) != 0;
  const uint32_t align = fixed || col > 15 ? 0 : (alignWord >> (2 * col)) & 3;
  const int width = rect.right - rect.left;
  if (align == 2) {
    std::string shortened, fitted;
    ShortenPathToWidth(text, c.Handle(), width, shortened);
    text = FitTextToWidth(static_cast<HFONT>(GetCurrentObject(c.Handle(), OBJ_FONT)), shortened, width - 11, fitted, c.Handle());
  }
  int x = rect.left + 3 + (fixed ? 2 : 0);
  if (align == 1) x = rect.right - 8 - c.TextWidth(text);
  const int y = rect.top + ((rect.bottom - rect.top) - c.TextHeight("Tg")) / 2;
  const UINT oldAlign = GetTextAlign(c.Handle());
  SetTextAlign(c.Handle(), TA_LEFT | TA_TOP);
  c.TextRect(rect, x, y, text);
  if (fixed) c.DrawEdge(rect, EDGE_ETCHED, BF_RECT);
  SetTextAlign(c.Handle(), oldAlign);
}
