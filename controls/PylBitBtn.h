#pragma once
#include "framework/StdCtrls.h"

// A push button that shows a second font while the mouse is over it.
class TPylBitBtn : public TButton {
 public:
  explicit TPylBitBtn(TWinControl* parent, const std::string& caption = {}) : TButton(parent, caption) {}
  bool UseNewStyle = false;
  const TFont& NewFont() const { return newFont_; }
  void SetNewFont(const TFont& f) { newFont_ = f; }
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  TFont newFont_;
  TFont heldFont_;
};
