#include "controls/PylSplitterMouse.h"

#include <windowsx.h>

#include <algorithm>

namespace {
bool SameAxis(TAlign a, TAlign b) {
  auto vertical = [](TAlign x) { return x == TAlign::Top || x == TAlign::Bottom; };
  auto horizontal = [](TAlign x) { return x == TAlign::Left || x == TAlign::Right; };
  return (vertical(a) && vertical(b)) || (horizontal(a) && horizontal(b));
}
}  // namespace

TPylSplitterMouse::TPylSplitterMouse(TWinControl* parent, TControl* sized, TAlign align)
    : TCustomControl(parent), sized_(sized) {
  const bool across = align == TAlign::Top || align == TAlign::Bottom;
  SetBounds(0, 0, across ? 100 : 3, across ? 3 : 100);
  SetAlign(align);
}

int TPylSplitterMouse::Room() const {
  const RECT whole = parent_->ClientRect();
  int room = SizesHeight() ? whole.bottom : whole.right;
  for (const TControl* c : parent_->Controls())
    if (c != sized_ && c->Visible() && SameAxis(c->Align(), align_)) room -= SizesHeight() ? c->Height() : c->Width();
  return std::max(room, 0);
}

void TPylSplitterMouse::Drag(int pos) {
  if (grab_ < 0 || !sized_) return;
  int delta = pos - grab_;
  if (align_ == TAlign::Right || align_ == TAlign::Bottom) delta = -delta;  // the sized control lies after us
  if (SizesHeight())
    sized_->SetHeight(std::clamp(sized_->Height() + delta, 0, Room()));
  else
    sized_->SetWidth(std::clamp(sized_->Width() + delta, 0, Room()));
}

void TPylSplitterMouse::Moved() {
  const RECT whole = parent_ ? parent_->ClientRect() : RECT{};
  const int extent = SizesHeight() ? whole.bottom : whole.right;
  if (extent > 0) ratio_ = static_cast<int32_t>(static_cast<int64_t>(SizesHeight() ? Top() : Left()) * 10000 / extent);
  if (OnMoved) OnMoved();
}

LRESULT TPylSplitterMouse::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  const int pos = SizesHeight() ? GET_Y_LPARAM(lp) : GET_X_LPARAM(lp);
  switch (msg) {
    case WM_SETCURSOR:
      SetCursor(LoadCursor(nullptr, SizesHeight() ? IDC_SIZENS : IDC_SIZEWE));
      return TRUE;
    case WM_LBUTTONDOWN:
      grab_ = pos;
      SetCapture(hwnd_);
      return 0;
    case WM_MOUSEMOVE:
      Drag(pos);
      return 0;
    case WM_LBUTTONUP:
      if (grab_ < 0) break;
      grab_ = -1;
      ReleaseCapture();
      Moved();
      return 0;
    default:
      break;
  }
  return TCustomControl::WndProc(msg, wp, lp);
}
