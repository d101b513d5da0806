#include "controls/PylSplitterMouse.h"

#include <windowsx.h>

#include <algorithm>

TPylSplitterMouse::TPylSplitterMouse(TWinControl* parent, TControl* sized) : TCustomControl(parent), sized_(sized) {
  SetBounds(0, 0, 3, 100);
  SetAlign(TAlign::Left);
}

void TPylSplitterMouse::Moved() {
  const int whole = parent_ ? parent_->ClientRect().right : 0;
  if (whole > 0) ratio_ = static_cast<int32_t>(static_cast<int64_t>(Left()) * 10000 / whole);
  if (OnMoved) OnMoved();
}

LRESULT TPylSplitterMouse::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETCURSOR:
      SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
      return TRUE;
    case WM_LBUTTONDOWN:
      grabX_ = GET_X_LPARAM(lp);
      SetCapture(hwnd_);
      return 0;
    case WM_MOUSEMOVE:
      if (grabX_ >= 0 && sized_) {
        const int maxW = parent_->ClientRect().right - Width();
        sized_->SetWidth(std::clamp(sized_->Width() + GET_X_LPARAM(lp) - grabX_, 0, std::max(maxW, 0)));
      }
      return 0;
    case WM_LBUTTONUP:
      if (grabX_ < 0) break;
      grabX_ = -1;
      ReleaseCapture();
      Moved();
      return 0;
    default:
      break;
  }
  return TCustomControl::WndProc(msg, wp, lp);
}
