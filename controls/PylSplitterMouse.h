#pragma once
#include <cstdint>

#include "framework/Controls.h"

// A splitter that sizes the control before it and remembers its place as a
// share of the parent's width, in 1/10000.
class TPylSplitterMouse : public TCustomControl {
 public:
  TPylSplitterMouse(TWinControl* parent, TControl* sized);
  double GetRatio() const { return ratio_ / 10000.0; }
  int32_t Ratio() const { return ratio_; }
  void SetRatio(int32_t r) { ratio_ = r; }
  TNotifyEvent OnMoved;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Moved();
  TControl* sized_;
  int32_t ratio_ = 5000;
  int grabX_ = -1;
};
