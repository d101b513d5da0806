#include "controls/PylBitBtn.h"

#include <algorithm>

#include "framework/FitWidth.h"

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

void TPylBitBtn::SetGlyph(HBITMAP bmp, int numGlyphs) {
  glyph_.Glyph.Assign(bmp);
  const TBitmap& g = glyph_.Glyph;
  if (numGlyphs <= 0) numGlyphs = g.Height() > 0 ? g.Width() / g.Height() : 1;
  glyph_.NumGlyphs = std::clamp(numGlyphs, 1, 4);
  SendMessageA(hwnd_, BM_SETSTYLE, Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

int TPylBitBtn::FitWidth() const {
  const int glyph = glyph_.Size().cx;
  return ::FitWidth(*this, glyph && !Caption().empty() ? glyph + Spacing : glyph);
}

bool TPylBitBtn::LoadGlyph(const char* resourceName, int numGlyphs) {
  HBITMAP bmp = LoadBitmapResource(resourceName);
  if (!bmp) return false;
  SetGlyph(bmp, numGlyphs);
  return true;
}

// The default state comes as a style too; with a glyph it stays ours to draw.
LRESULT TPylBitBtn::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == BM_SETSTYLE && HasGlyph()) wp = BS_OWNERDRAW;
  return TButton::WndProc(msg, wp, lp);
}

bool TPylBitBtn::HandleDrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool down = (item.itemState & ODS_SELECTED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  const bool enabled = (item.itemState & ODS_DISABLED) == 0;
  TCanvas c(dc);
  c.SetFont(font_);
  if (Default() || focused) {
    c.SetBrushColor(clWindowText);
    c.FrameRect(r);
    InflateRect(&r, -1, -1);
  }
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0));

  const std::string caption = Caption();
  UINT textFlags = DT_VCENTER | DT_LEFT;
  if (item.itemState & ODS_NOACCEL) textFlags |= DT_HIDEPREFIX;
  const int textWidth = c.TextWidth(WithoutMnemonic(caption));
  const SIZE g = glyph_.Size();
  const int gap = g.cx && textWidth ? Spacing : 0;
  const int shift = down ? 1 : 0;
  int x = Margin >= 0 ? r.left + Margin : (r.left + r.right - (g.cx + gap + textWidth)) / 2;
  glyph_.Draw(c, x + shift, (r.top + r.bottom - g.cy) / 2 + shift, enabled, down);
  x += g.cx + gap;
  if (!caption.empty()) {
    SetBkMode(dc, TRANSPARENT);
    RECT tr{x + shift, r.top + shift, x + textWidth + shift, r.bottom + shift};
    if (!enabled) {
      // Etched, as disabled captions are.
      RECT light = tr;
      OffsetRect(&light, 1, 1);
      SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      c.CaptionOut(light, caption, textFlags);
      SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
      SetTextColor(dc, ColorToRGB(font_.Color));
    }
    c.CaptionOut(tr, caption, textFlags);
  }
  if (focused && !(item.itemState & ODS_NOFOCUSRECT)) {
    InflateRect(&r, -3, -3);
    DrawFocusRect(dc, &r);
  }
  return true;
}
