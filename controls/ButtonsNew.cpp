#include "controls/ButtonsNew.h"

SIZE TButtonGlyphNew::Size() const {
  if (Glyph.Empty()) return {0, 0};
  if (ImageList) {
    int w = 0, h = 0;
    ImageList_GetIconSize(ImageList, &w, &h);
    return {w, h};
  }
  return {Glyph.Width() / NumGlyphs, Glyph.Height()};
}

// Nothing is drawn without a glyph bitmap, also when an external list is set.
void TButtonGlyphNew::Draw(TCanvas& c, int x, int y, bool enabled, bool down) const {
  if (Glyph.Empty()) return;
  if (ImageList) {
    ImageList_Draw(ImageList, ImageIndex, c.Handle(), x, y, ILD_TRANSPARENT);
    return;
  }
  const SIZE sz = Size();
  int index = 0;
  if (!enabled && NumGlyphs > 1) index = 1;
  if (down && NumGlyphs > 2) index = 2;
  TMemoryDC mem;
  TSelectObject select(mem.Get(), Glyph.Handle());
  // The bottom-left pixel gives the transparent colour, as for every glyph.
  const COLORREF transparent = GetPixel(mem.Get(), 0, sz.cy - 1);
  GdiTransparentBlt(c.Handle(), x, y, sz.cx, sz.cy, mem.Get(), index * sz.cx, 0, sz.cx, sz.cy, transparent);
}

TSpeedButtonNew::TSpeedButtonNew(TWinControl* parent) : TGraphicControl(parent) {
  SetBounds(0, 0, 23, 22);
  color_ = clBtnFace;
}

void TSpeedButtonNew::SetNumGlyphs(int n) {
  glyph_.NumGlyphs = n < 1 ? 1 : (n > 4 ? 4 : n);
  Invalidate();
}

void TSpeedButtonNew::SetImageListGlyph(HIMAGELIST list, int index) {
  glyph_.ImageList = list;
  glyph_.ImageIndex = index;
  Invalidate();
}

int TSpeedButtonNew::FitWidth() const {
  const int glyph = glyph_.Size().cx;
  const int text = caption_.empty() ? 0 : ScreenTextExtent(font_, caption_).cx;
  return glyph + (glyph && text ? Spacing : 0) + text + 2;
}

void TSpeedButtonNew::SetCaption(const std::string& s) {
  caption_ = s;
  Invalidate();
}

void TSpeedButtonNew::SetDown(bool d) {
  if (GroupIndex == 0) d = false;  // a button outside a group never stays down
  if (d == down_) return;
  if (down_ && !d && !AllowAllUp) return;
  down_ = d;
  Invalidate();
  if (d && parent_) {
    for (TControl* c : parent_->Controls())
      if (auto* b = dynamic_cast<TSpeedButtonNew*>(c); b && b != this) b->ButtonPressed(GroupIndex, this);
  }
}

void TSpeedButtonNew::ButtonPressed(int group, TSpeedButtonNew*) {
  if (group != GroupIndex || !down_) return;
  down_ = false;
  Invalidate();
}

void TSpeedButtonNew::Click() {
  if (GroupIndex != 0) SetDown(!(down_ && AllowAllUp));
  TGraphicControl::Click();
}

void TSpeedButtonNew::MouseDown(TMouseButton b, unsigned shift, int x, int y) {
  TGraphicControl::MouseDown(b, shift, x, y);
  if (b != TMouseButton::Left || !enabled_) return;
  pressing_ = dragging_ = true;
  Invalidate();
}

void TSpeedButtonNew::MouseMove(unsigned shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (!dragging_) return;
  const bool inside = x >= 0 && y >= 0 && x < Width() && y < Height();
  if (inside != pressing_) {
    pressing_ = inside;
    Invalidate();
  }
}

void TSpeedButtonNew::MouseUp(TMouseButton b, unsigned shift, int x, int y) {
  TGraphicControl::MouseUp(b, shift, x, y);
  if (b != TMouseButton::Left || !dragging_) return;
  dragging_ = false;
  const bool inside = x >= 0 && y >= 0 && x < Width() && y < Height();
  pressing_ = false;
  Invalidate();
  if (inside) Click();
}

void TSpeedButtonNew::MouseEnter() {
  TGraphicControl::MouseEnter();
  if (Flat) Invalidate();
}

void TSpeedButtonNew::MouseLeave() {
  TGraphicControl::MouseLeave();
  if (Flat) Invalidate();
}

void TSpeedButtonNew::PaintControl(TCanvas& c) {
  RECT r = ClientRect();
  const bool sunken = down_ || pressing_;
  if (!Flat || !Transparent || sunken) c.FillRect(r);
  if (sunken) {
    c.DrawEdge(r, Flat ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
  } else if (!Flat) {
    c.DrawEdge(r, EDGE_RAISED, BF_RECT);
  } else if (mouseIn_ && enabled_) {
    c.DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
  }
  const SIZE g = glyph_.Size();
  const SIZE t = caption_.empty() ? SIZE{0, 0} : c.TextExtent(caption_);
  const int gap = g.cx && t.cx ? Spacing : 0;
  int x = Margin >= 0 ? Margin : (Width() - (g.cx + gap + t.cx)) / 2;
  const int shift = sunken ? 1 : 0;
  glyph_.Draw(c, x + shift, (Height() - g.cy) / 2 + shift, enabled_, sunken);
  x += g.cx + gap;
  if (t.cx) {
    if (!enabled_) SetTextColor(c.Handle(), GetSysColor(COLOR_GRAYTEXT));
    c.TextOut(x + shift, (Height() - t.cy) / 2 + shift, caption_);
  }
}
