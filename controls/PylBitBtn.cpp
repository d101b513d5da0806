#include "controls/PylBitBtn.h"

void TPylBitBtn::MouseEnter() {
  TButton::MouseEnter();
  if (!UseNewStyle) return;
  heldFont_ = Font();
  SetFont(newFont_);
}

void TPylBitBtn::MouseLeave() {
  TButton::MouseLeave();
  if (UseNewStyle) SetFont(heldFont_);
}
