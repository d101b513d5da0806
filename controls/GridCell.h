#pragma once
#include <cstdint>
#include <string>

#include "controls/PylStringGrid.h"

// Paints one cell of a string grid: fixed cells etched, the current row in
// caption colours (Tag bit 1), texts ending in code 1 red and 2 green (codes
// 1 to 4 are never shown). alignWord: two bits a column, 1 right, 2 a path.
void DrawGridCell(TCanvas& c, const TPylStringGrid& grid, int col, int row, uint32_t alignWord, unsigned state,
                  const RECT& rect, std::string text);
