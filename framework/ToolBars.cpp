#include "framework/ToolBars.h"

#include <algorithm>

namespace {

char UpperChar(char ch) {
  char s[2] = {ch, 0};
  CharUpperBuffA(s, 1);
  return s[0];
}

// The character after a single '&' ("&&" stands for the ampersand itself).
char AccelOf(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return UpperChar(caption[i + 1]);
    ++i;
  }
  return 0;
}

}  // namespace

// ---- TMenuBarButton

void TMenuBarButton::PaintControl(TCanvas& c) {
  RECT r = ClientRect();
  c.FillRect(r);
  if (Dropped) c.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT);
  else if (mouseIn_ && enabled_) c.DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
  SetBkMode(c.Handle(), TRANSPARENT);
  if (!enabled_) SetTextColor(c.Handle(), GetSysColor(COLOR_GRAYTEXT));
  if (Dropped) OffsetRect(&r, 1, 1);
  c.CaptionOut(r, caption_, DT_CENTER | DT_VCENTER);
}

void TMenuBarButton::MouseDown(TMouseButton b, unsigned shift, int x, int y) {
  TGraphicControl::MouseDown(b, shift, x, y);
  if (b != TMouseButton::Left || !enabled_) return;
  auto* bar = static_cast<TMenuToolBar*>(parent_);
  const auto& all = bar->Buttons();
  // The menu's own loop takes the mouse while it is open, so the bar would
  // never see the button go up: the press opens it.
  if (GetCapture()) ReleaseCapture();
  bar->DropDown(static_cast<size_t>(std::find(all.begin(), all.end(), this) - all.begin()));
}

void TMenuBarButton::MouseEnter() {
  TGraphicControl::MouseEnter();
  Invalidate();
}

void TMenuBarButton::MouseLeave() {
  TGraphicControl::MouseLeave();
  Invalidate();
}

// ---- TMenuToolBar

TMenuToolBar::TMenuToolBar(TWinControl* parent) : TCustomControl(parent) { SetBounds(0, 0, 100, 22); }

void TMenuToolBar::SetMenu(TMenuItem* items) {
  menu_ = items;
  for (TMenuBarButton* b : buttons_) delete b;
  buttons_.clear();
  if (items) {
    for (size_t i = 0; i < items->Count(); ++i) {
      TMenuItem* item = items->Item(i);
      if (!item->Visible) continue;
      auto* b = new TMenuBarButton(this, item);
      b->SetCaption(item->Caption);
      b->SetEnabled(item->Enabled);
      buttons_.push_back(b);
    }
  }
  Arrange();
}

void TMenuToolBar::Arrange() {
  const int h = ScreenTextExtent(font_, "Tg").cy * 3 / 2;
  int x = 0;
  for (TMenuBarButton* b : buttons_) {
    // Measured as it stands, accelerator mark included: a little slack
    // around the drawn caption.
    const int w = ScreenTextExtent(font_, b->Caption()).cx;
    b->SetBounds(x, 0, w, h);
    x += w;
  }
  SetBounds(Left(), Top(), x + 5, h);
}

void TMenuToolBar::DropDown(size_t index) {
  if (index >= buttons_.size() || !hwnd_) return;
  TMenuBarButton* b = buttons_[index];
  TMenuItem* item = b->Item();
  if (!item->Count()) {
    item->Click();
    return;
  }
  POINT p{b->Left(), b->Top() + b->Height()};
  ClientToScreen(hwnd_, &p);
  TMenuHandle menu(item->BuildMenu(true));
  b->Dropped = true;
  dropped_ = static_cast<int>(index);
  b->Invalidate();
  UpdateWindow(hwnd_);
  const UINT id = static_cast<UINT>(
      TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, p.x, p.y, 0, hwnd_, nullptr));
  dropped_ = -1;
  b->Dropped = false;
  b->Invalidate();
  // Run after the mouse handling that opened the menu has returned: the
  // command may rebuild this bar's buttons.
  if (id) PostMessageA(hwnd_, WM_COMMAND, id, 0);
}

bool TMenuToolBar::DropDownByAccel(char ch) {
  const char want = UpperChar(ch);
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (buttons_[i]->Enabled() && AccelOf(buttons_[i]->Caption()) == want) {
      DropDown(i);
      return true;
    }
  return false;
}

// ---- TControlBar

TControlBar::TControlBar(TWinControl* parent) : TCustomControl(parent) { SetBounds(0, 0, 200, 26); }

void TControlBar::ArrangeBands() {
  if (arranging_) return;
  arranging_ = true;
  const int width = ClientRect().right;
  int x = 0, y = 0, rowHeight = 0;
  for (TControl* c : Controls()) {
    if (!c->Visible()) continue;
    auto fill = std::find_if(fills_.begin(), fills_.end(), [c](const TFill& f) { return f.band == c; });
    int w = fill != fills_.end() ? fill->minWidth : c->Width();
    if (x > 0 && x + w > width) {
      x = 0;
      y += rowHeight + 1;
      rowHeight = 0;
    }
    if (fill != fills_.end()) w = std::max(width - x, w);
    c->SetBounds(x, y, w, c->Height());
    x += c->Width() + 1;
    rowHeight = std::max(rowHeight, c->Height());
  }
  SetHeight(y + rowHeight);
  arranging_ = false;
}

LRESULT TControlBar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SIZE) {
    const LRESULT r = TCustomControl::WndProc(msg, wp, lp);
    ArrangeBands();
    return r;
  }
  return TCustomControl::WndProc(msg, wp, lp);
}
