#pragma once
#include <cstdint>

#include "framework/Controls.h"

// A splitter that sizes the control beside it and remembers its place as a
// share of the parent's extent, in 1/10000. Left or right aligned it sizes
// the width of the control before it and keeps its share of the parent's
// width; top or bottom aligned, the height and its share of the height.
class TPylSplitterMouse : public TCustomControl {
 public:
  TPylSplitterMouse(TWinControl* parent, TControl* sized, TAlign align = TAlign::Left);
  double GetRatio() const { return ratio_ / 10000.0; }
  int32_t Ratio() const { return ratio_; }
  void SetRatio(int32_t r) { ratio_ = r; }
  TNotifyEvent OnMoved;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  bool SizesHeight() const { return align_ == TAlign::Top || align_ == TAlign::Bottom; }
  // How far the sized control may grow: what the other controls on the same
  // axis leave of the parent.
  int Room() const;
  void Drag(int pos);
  void Moved();
  TControl* sized_;
  int32_t ratio_ = 5000;
  int grab_ = -1;
};
