#include "framework/FitWidth.h"

#include <algorithm>

namespace {

// Room between a button's frame and its caption on either side.
constexpr int kButtonMargin = 4;

int TextWidth(HDC dc, const std::string& s) {
  SIZE size{};
  GetTextExtentPoint32A(dc, s.data(), static_cast<int>(s.size()), &size);
  return size.cx;
}

}  // namespace

// The system's box is 12 pixels at 96 DPI and one more, followed by half a
// digit's width; the caption is drawn a pixel in and its focus frame a pixel
// beyond it.
int FitWidth(const TCheckBox& box) {
  TWindowDC dc;
  TSelectObject font(dc.Get(), box.Font().Handle());
  int digit = 0;
  GetCharWidth32A(dc.Get(), '0', '0', &digit);
  return 12 * GetDeviceCaps(dc.Get(), LOGPIXELSX) / 96 + 1 + digit / 2 + 2 + TextWidth(dc.Get(), WithoutMnemonic(box.Caption()));
}

// The item is drawn two pixels inside the sunken frame, before the arrow.
int FitWidth(const TComboBox& combo) {
  TWindowDC dc;
  TSelectObject font(dc.Get(), combo.Font().Handle());
  int widest = 0;
  for (const std::string& item : combo.Items.ToVector()) widest = std::max(widest, TextWidth(dc.Get(), item));
  return widest + GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE) + 2;
}

// The frame's edges and the default button's dark ring on either side.
int FitWidth(const TButton& button, int extra) {
  TWindowDC dc;
  TSelectObject font(dc.Get(), button.Font().Handle());
  return TextWidth(dc.Get(), WithoutMnemonic(button.Caption())) + extra +
         2 * (GetSystemMetrics(SM_CXEDGE) + 1 + kButtonMargin);
}
