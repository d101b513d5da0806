#pragma once
#include "framework/StdCtrls.h"

// The least widths that show a control's whole text in its font together
// with what the system draws beside it, for layouts made from the texts.

// A check box or radio button: its box, the gap and its caption.
int FitWidth(const TCheckBox& box);
// A combo box: its widest item, its frame and its arrow.
int FitWidth(const TComboBox& combo);
// A push button: its caption within its frame and a margin on either side;
// extra is what stands beside the caption (a glyph and its gap).
int FitWidth(const TButton& button, int extra = 0);
