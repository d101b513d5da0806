#pragma once
#include <windows.h>

#include <cstdint>

#include "framework/StdCtrls.h"

// An edit for a whole number of 64 bits, with up and down arrows inside its
// right edge; the arrows and the Up and Down keys step by Increment. With
// MinValue below MaxValue every value is kept within them.
class TSpinEdit : public TEdit {
 public:
  explicit TSpinEdit(TWinControl* parent);
  // The text as a number; MinValue when it is none.
  int64_t Value() const;
  void SetValue(int64_t v);
  int64_t MinValue = 0, MaxValue = 0;
  int64_t Increment = 1;
  // One step up (+1) or down (-1); the sum stops at the ends of the range.
  void Step(int direction);

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void DoKeyDown(WORD& key, unsigned shift) override;
  // Leaving the box shows the value it stands for.
  void DoExit() override;

 private:
  int64_t Clamped(int64_t v) const;
  void PlaceArrows();
  HWND arrows_ = nullptr;  // a child of the edit, gone with it
};
