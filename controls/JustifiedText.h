#pragma once
#include <functional>
#include <string>

#include "framework/Graphics.h"

// Word-wraps text into a box boxWidth pixels wide and stretches every broken
// line to the full width: left margin 12, usable width boxWidth - 28, the
// first line at firstY, one line every height of "Tg" + 5. Runs of blanks
// count as empty words; a word wider than the box runs past its edge.
void PaintJustifiedText(TCanvas& canvas, const std::string& text, int boxWidth, int firstY);

// Tests hear of every word drawn, with its place.
using TJustifiedWordHook = std::function<void(const std::string& word, int x, int y)>;
extern TJustifiedWordHook JustifiedWordHook;
