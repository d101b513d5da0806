#include "framework/Controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "framework/Cursors.h"
#include "framework/Menus.h"
#include "framework/SystemError.h"

namespace {

constexpr const char* kOwnClass = "TKvtWindow";
// Our subclass of a standard control, and of a window inside one; the
// window property names the object whatever subclasses come later.
constexpr UINT_PTR kOwnSubclass = 0x4B56, kInnerSubclass = 0x4B57;
constexpr const char* kObjectProp = "TKvtControl";
ATOM ownClassAtom = 0;

void RegisterOwnClass(WNDPROC proc) {
  if (ownClassAtom) return;
  WNDCLASSA wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kOwnClass;
  ownClassAtom = RegisterClassA(&wc);
  if (!ownClassAtom) RaiseLastOSError();
}

std::vector<TControl::TGoneHandler>& GoneHandlers() {
  static std::vector<TControl::TGoneHandler> handlers;
  return handlers;
}

bool IsArrow(WORD key) { return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN; }

TMouseButton ButtonOf(UINT msg) {
  switch (msg) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
      return TMouseButton::Right;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return TMouseButton::Middle;
    default:
      return TMouseButton::Left;
  }
}

bool Contains(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

}  // namespace

unsigned CurrentShiftState() {
  unsigned s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  if (GetKeyState(VK_LBUTTON) < 0) s |= ssLeft;
  if (GetKeyState(VK_RBUTTON) < 0) s |= ssRight;
  return s;
}

SIZE TSizeConstraints::Fit(int w, int h) const {
  if (MaxWidth > 0) w = std::min(w, MaxWidth);
  if (MaxHeight > 0) h = std::min(h, MaxHeight);
  return {std::max(w, MinWidth), std::max(h, MinHeight)};
}

// ---- TControl

TControl::TControl(TWinControl* parent) : parent_(parent) {
  if (parent_) {
    font_ = parent_->font_;
    parent_->AddControl(this);
  } else {
    NONCLIENTMETRICSA m{};
    m.cbSize = sizeof m;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0)) font_.Name = m.lfMessageFont.lfFaceName;
  }
}

TControl::~TControl() {
  for (TGoneHandler h : GoneHandlers()) h(this);
  if (!parent_) return;
  // A control that goes while its parent stays leaves no picture behind: a
  // shorter row of buttons made in its place would not cover it.
  if (visible_ && !parent_->destroying_) Invalidate();
  parent_->RemoveControl(this);
}

void TControl::AddGoneHandler(TGoneHandler h) { GoneHandlers().push_back(h); }

void TControl::RemoveGoneHandler(TGoneHandler h) { std::erase(GoneHandlers(), h); }

void TControl::SetBounds(int x, int y, int w, int h) {
  const SIZE fit = constraints_.Fit(std::max(w, 0), std::max(h, 0));
  RECT r{x, y, x + fit.cx, y + fit.cy};
  if (EqualRect(&r, &bounds_)) return;
  if (!IsWindowed()) Invalidate();  // the old place
  bounds_ = r;
  BoundsChanged();
  RequestAlign();
}

void TControl::SetParent(TWinControl* parent) {
  if (!parent || parent == parent_) return;
  Invalidate();  // the old place
  if (parent_) parent_->RemoveControl(this);
  parent_ = parent;
  parent_->AddControl(this);
  ParentChanged();
  RequestAlign();
  Invalidate();
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  VisibleChanged();
  RequestAlign();
}

bool TControl::Showing() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

void TControl::SetEnabled(bool e) {
  if (e == enabled_) return;
  enabled_ = e;
  EnabledChanged();
}

void TControl::SetAlign(TAlign a) {
  align_ = a;
  RequestAlign();
}

void TControl::SetConstraints(const TSizeConstraints& c) {
  constraints_ = c;
  SetBounds(Left(), Top(), Width(), Height());
}

void TControl::SetFont(const TFont& f) {
  font_ = f;
  FontChanged();
  Invalidate();
}

void TControl::SetColor(TColor c) {
  color_ = c;
  Invalidate();
}

void TControl::SetCaption(const std::string& s) {
  caption_ = s;
  Invalidate();
}

void TControl::Invalidate() {
  if (parent_ && parent_->hwnd_) InvalidateRect(parent_->hwnd_, &bounds_, TRUE);
}

void TControl::Click() {
  if (OnClick) OnClick();
  else if (action_) action_->Execute();
}

void TControl::SetAction(TAction* a) {
  action_ = a;
  UpdateFromAction();
}

void TControl::UpdateFromAction() {
  if (!action_) return;
  action_->Update();
  if (Caption() != action_->Caption) SetCaption(action_->Caption);
  Hint = action_->Hint;
  SetEnabled(action_->Enabled);
  SetVisible(action_->Visible);
  CheckedFromAction(action_->Checked);
}

void TControl::MouseDown(TMouseButton b, unsigned shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(b, shift, x, y);
}

void TControl::MouseUp(TMouseButton b, unsigned shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(b, shift, x, y);
}

void TControl::MouseMove(unsigned shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(shift, x, y);
}

void TControl::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter();
}

void TControl::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave();
}

void TControl::RequestAlign() {
  if (parent_ && align_ != TAlign::None) parent_->Realign();
}

// ---- TGraphicControl

void TGraphicControl::MouseEnter() {
  mouseIn_ = true;
  TControl::MouseEnter();
}

void TGraphicControl::MouseLeave() {
  mouseIn_ = false;
  TControl::MouseLeave();
}

void TGraphicControl::VisibleChanged() {
  if (parent_ && parent_->Handle()) InvalidateRect(parent_->Handle(), &bounds_, TRUE);
}

// ---- TWinControl

TWinControl::TWinControl(TWinControl* parent) : TControl(parent) {}

TWinControl::~TWinControl() {
  MarkDestroying();
  aligning_ = true;  // no layout while the children go
  // A focused child's end moves the focus here while the owner's members are gone.
  OnFocusEnter = nullptr;
  OnFocusExit = nullptr;
  while (!controls_.empty()) delete controls_.back();
  if (hwnd_) DestroyWindow(hwnd_);  // WM_NCDESTROY lets go of the object
}

// The derived parts of this control and of its children are gone or going,
// and with them what their handlers reach.
void TWinControl::MarkDestroying() {
  destroying_ = true;
  for (TControl* c : controls_)
    if (c->IsWindowed()) static_cast<TWinControl*>(c)->MarkDestroying();
}

HWND TWinControl::ParentHandle() const { return parent_ ? parent_->hwnd_ : nullptr; }

TWinControl* TWinControl::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  if (ownClassAtom && GetClassLongPtrA(hwnd, GCW_ATOM) == ownClassAtom)
    return reinterpret_cast<TWinControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  return static_cast<TWinControl*>(GetPropA(hwnd, kObjectProp));
}

void TWinControl::CreateWnd(const char* cls, DWORD style, DWORD exStyle) {
  ownClass_ = cls == nullptr;
  if (ownClass_) RegisterOwnClass(&OwnClassProc);
  HWND parentWnd = ParentHandle();
  if (parentWnd) style |= WS_CHILD;
  if (visible_) style |= WS_VISIBLE;
  if (!enabled_) style |= WS_DISABLED;
  hwnd_ = CreateWindowExA(exStyle, ownClass_ ? kOwnClass : cls, caption_.c_str(), style, bounds_.left,
                          bounds_.top, Width(), Height(), parentWnd, nullptr, GetModuleHandleA(nullptr),
                          ownClass_ ? this : nullptr);
  if (!hwnd_) RaiseLastOSError();
  if (!ownClass_ && !(SetWindowSubclass(hwnd_, &SubclassProc, kOwnSubclass, reinterpret_cast<DWORD_PTR>(this)) &&
                      SetPropA(hwnd_, kObjectProp, this))) {
    DestroyWindow(std::exchange(hwnd_, nullptr));
    RaiseLastOSError();
  }
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), FALSE);
}

void TWinControl::AdoptInnerWindow(HWND inner) {
  if (inner && SetWindowSubclass(inner, &SubclassProc, kInnerSubclass, reinterpret_cast<DWORD_PTR>(this)))
    SetPropA(inner, kObjectProp, this);
}

LRESULT CALLBACK TWinControl::OwnClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);  // before WM_NCCREATE
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  return self->Dispatch(msg, wp, lp);
}

LRESULT CALLBACK TWinControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                           DWORD_PTR ref) {
  auto* self = reinterpret_cast<TWinControl*>(ref);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &SubclassProc, id);
    RemovePropA(hwnd, kObjectProp);
    if (id == kOwnSubclass) self->hwnd_ = nullptr;
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  if (id == kInnerSubclass) {
    if (self->destroying_) return DefSubclassProc(hwnd, msg, wp, lp);
    try {
      if (self->KeyMessage(msg, wp)) return 0;
      const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
      // The focus comes and goes through the inner window itself (a combo
      // box's edit): its containers must hear of it as of the control's.
      if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS) self->FocusMoved(reinterpret_cast<HWND>(wp), msg == WM_SETFOCUS);
      return r;
    } catch (...) {
      HandleCallbackException();
      return 0;
    }
  }
  return self->Dispatch(msg, wp, lp);
}

LRESULT TWinControl::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  if (destroying_ && msg != WM_DESTROY) return DefaultHandler(msg, wp, lp);
  // Ahead of every control's own cursor: long work shows the hourglass
  // even when it lets messages through.
  if (msg == WM_SETCURSOR && THourglassCursor::Keep()) return TRUE;
  try {
    // Here rather than in WndProc: controls that pass the focus messages
    // straight to the system's procedure still tell their containers.
    const LRESULT r = WndProc(msg, wp, lp);
    if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS) FocusMoved(reinterpret_cast<HWND>(wp), msg == WM_SETFOCUS);
    return r;
  } catch (...) {
    HandleCallbackException();
    return 0;  // the message counts as handled
  }
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wp, LPARAM lp) {
  if (ownClass_) return DefWindowProcA(hwnd_, msg, wp, lp);
  return DefSubclassProc(hwnd_, msg, wp, lp);
}

bool TWinControl::KeyMessage(UINT msg, WPARAM& wp) {
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      WORD key = static_cast<WORD>(wp);
      if (std::exchange(keyEventDone_, 0) == key) return false;
      DoKeyDown(key, CurrentShiftState());
      return key == 0;
    }
    case WM_KEYUP:
      if (OnKeyUp) {
        WORD key = static_cast<WORD>(wp);
        OnKeyUp(key, CurrentShiftState());
        return key == 0;
      }
      return false;
    case WM_CHAR:
      if (OnKeyPress) {
        char ch = static_cast<char>(wp);
        OnKeyPress(ch);
        if (!ch) return true;
        wp = static_cast<unsigned char>(ch);
      }
      return false;
    default:
      return false;
  }
}

bool TWinControl::ClaimKey(WORD& key, unsigned) {
  const LRESULT code = SendMessageA(hwnd_, WM_GETDLGCODE, key, 0);
  if (key == VK_RETURN || key == VK_ESCAPE) return (code & DLGC_WANTALLKEYS) != 0;
  if (IsArrow(key)) return (code & DLGC_WANTARROWS) != 0;
  if (key == VK_TAB) return (code & DLGC_WANTTAB) != 0;
  return false;
}

HBRUSH TWinControl::CtlColor(HDC dc) {
  if (color_ == clDefault) return nullptr;
  SetTextColor(dc, ColorToRGB(font_.Color));
  SetBkColor(dc, ColorToRGB(color_));
  return SolidBrush(color_);
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (lp) {
        if (TWinControl* c = FromHandle(reinterpret_cast<HWND>(lp)); c && c->HandleCommand(HIWORD(wp))) return 0;
      } else if (HIWORD(wp) == 0 && TMenuItem::DispatchCommand(LOWORD(wp))) {
        return 0;
      }
      break;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      LRESULT r = 0;
      if (TWinControl* c = FromHandle(hdr->hwndFrom); c && c->HandleNotify(hdr, r)) return r;
      break;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (item->CtlType == ODT_MENU) break;
      if (TWinControl* c = FromHandle(item->hwndItem); c && c->HandleDrawItem(*item)) return TRUE;
      break;
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (item->CtlType == ODT_MENU || item->CtlID == 0) break;
      if (TWinControl* c = FromHandle(GetDlgItem(hwnd_, static_cast<int>(item->CtlID)));
          c && c->HandleMeasureItem(*item))
        return TRUE;
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      if (TWinControl* c = FromHandle(reinterpret_cast<HWND>(lp)))
        if (HBRUSH b = c->CtlColor(reinterpret_cast<HDC>(wp))) return reinterpret_cast<LRESULT>(b);
      break;
    case WM_SIZE:
      if (!aligning_) Realign();
      if (OnResize) OnResize();
      break;
    case WM_ERASEBKGND:
      if (!ownClass_) break;
      // Inside BeginPaint the buffer fills the background; an erase at once
      // (a resize, a window shown) gives the new area its colour until then.
      if (!painting_) {
        RECT r;
        GetClientRect(hwnd_, &r);
        TCanvas c(reinterpret_cast<HDC>(wp));
        c.SetBrushColor(color_);
        c.FillRect(r);
      }
      return 1;
    case WM_PAINT:
      if (ownClass_) {
        PaintWindow();
        return 0;
      }
      break;
    case WM_SETFOCUS: {
      LRESULT r = DefaultHandler(msg, wp, lp);
      DoEnter();
      return r;
    }
    case WM_KILLFOCUS: {
      LRESULT r = DefaultHandler(msg, wp, lp);
      DoExit();
      return r;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
      if (KeyMessage(msg, wp)) return 0;
      break;
    case WM_INITMENUPOPUP:
      TMenuItem::InitPopup(reinterpret_cast<HMENU>(wp));
      break;
    case WM_CLOSE:
      // Only a top-level form closes; a child keeps its window whoever asks.
      if (parent_) return 0;
      break;
    case WM_DESTROY:
      if (GetCapture() == hwnd_) ReleaseCapture();
      break;
    case WM_GETDLGCODE:
      if (ownClass_ && TabStop) return DLGC_WANTARROWS;
      break;
    case WM_CONTEXTMENU:
      if (PopupMenu && reinterpret_cast<HWND>(wp) == hwnd_) {
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (p.x == -1 && p.y == -1) {
          p = {0, 0};
          ClientToScreen(hwnd_, &p);
        }
        PopupMenu->Popup(p.x, p.y, hwnd_);
        return 0;
      }
      break;
    default:
      if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && RouteMouse(msg, lp)) return 0;
      if (msg == WM_MOUSELEAVE) {
        tracking_ = false;
        if (mouseControl_) std::exchange(mouseControl_, nullptr)->MouseLeave();
        MouseLeave();
      }
      break;
  }
  return DefaultHandler(msg, wp, lp);
}

TControl* TWinControl::GraphicAt(int x, int y) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!c->IsWindowed() && c->visible_ && Contains(c->bounds_, x, y)) return c;
  }
  return nullptr;
}

// Mouse messages over windowless children go to them; the rest fire our events.
bool TWinControl::RouteMouse(UINT msg, LPARAM lp) {
  const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
  const unsigned shift = CurrentShiftState();
  if (msg == WM_MOUSEWHEEL) return false;
  if (msg == WM_MOUSEMOVE && !tracking_) {
    TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, hwnd_, 0};
    tracking_ = TrackMouseEvent(&t);
    MouseEnter();
  }
  TControl* target = captureControl_ ? captureControl_ : GraphicAt(x, y);
  if (msg == WM_MOUSEMOVE && !captureControl_ && target != mouseControl_) {
    if (mouseControl_) mouseControl_->MouseLeave();
    mouseControl_ = target;
    if (target) target->MouseEnter();
  }
  if (!target) {
    switch (msg) {
      case WM_MOUSEMOVE:
        if (OnMouseMove) OnMouseMove(shift, x, y);
        break;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        if (OnMouseDown) OnMouseDown(ButtonOf(msg), shift, x, y);
        break;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        if (OnMouseUp) OnMouseUp(ButtonOf(msg), shift, x, y);
        if (msg == WM_LBUTTONUP && ownClass_) Click();
        break;
      case WM_LBUTTONDBLCLK:
        if (OnDblClick) OnDblClick();
        break;
    }
    return false;
  }
  if (!target->enabled_) return true;
  const int cx = x - target->Left(), cy = y - target->Top();
  switch (msg) {
    case WM_MOUSEMOVE:
      target->MouseMove(shift, cx, cy);
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      captureControl_ = target;
      SetCapture(hwnd_);
      target->MouseDown(ButtonOf(msg), shift, cx, cy);
      if (msg == WM_LBUTTONDBLCLK && target->OnDblClick) target->OnDblClick();
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      captureControl_ = nullptr;
      if (GetCapture() == hwnd_) ReleaseCapture();
      target->MouseUp(ButtonOf(msg), shift, cx, cy);
      break;
  }
  return true;
}

// The update area is drawn in a bitmap first and then copied in one go, so
// that no half-drawn picture (a background without its text) ever shows.
void TWinControl::PaintWindow() {
  // Taken before BeginPaint empties it: the area is its bounding box only.
  TGdiObject update(CreateRectRgn(0, 0, 0, 0));
  const bool haveUpdate = update && GetUpdateRgn(hwnd_, static_cast<HRGN>(update.Get()), FALSE) != ERROR;
  PAINTSTRUCT ps;
  painting_ = true;
  HDC screen = BeginPaint(hwnd_, &ps);
  painting_ = false;
  const RECT area = ps.rcPaint;
  const int w = area.right - area.left, h = area.bottom - area.top;
  if (w > 0 && h > 0) {
    TMemoryDC buffer(screen);
    TGdiObject bitmap(CreateCompatibleBitmap(screen, w, h));
    if (buffer.Get() && bitmap) {
      TSelectObject select(buffer.Get(), bitmap.Get());
      // The buffer's (0, 0) stands for the area's corner.
      SetViewportOrgEx(buffer.Get(), -area.left, -area.top, nullptr);
      if (haveUpdate) {
        OffsetRgn(static_cast<HRGN>(update.Get()), -area.left, -area.top);
        SelectClipRgn(buffer.Get(), static_cast<HRGN>(update.Get()));
      }
      PaintTo(buffer.Get(), area);
      BitBlt(screen, area.left, area.top, w, h, buffer.Get(), area.left, area.top, SRCCOPY);
    } else {
      PaintTo(screen, area);  // no memory for a buffer: straight to the screen
    }
  }
  EndPaint(hwnd_, &ps);
}

void TWinControl::PaintTo(HDC dc, const RECT& area) {
  {
    TCanvas c(dc);
    c.SetBrushColor(color_);
    c.FillRect(area);
    c.SetFont(font_);
    Paint(c);
  }
  PaintGraphicChildren(dc, area);
}

void TWinControl::PaintGraphicChildren(HDC dc, const RECT& area) {
  for (TControl* child : std::vector<TControl*>(controls_)) {
    RECT r;
    if (child->IsWindowed() || !child->visible_ || !IntersectRect(&r, &child->bounds_, &area)) continue;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, child->bounds_.left, child->bounds_.top, child->bounds_.right, child->bounds_.bottom);
    OffsetViewportOrgEx(dc, child->bounds_.left, child->bounds_.top, nullptr);
    {
      TCanvas c(dc);
      c.SetFont(child->font_);
      c.SetBrushColor(child->color_);
      child->PaintControl(c);
    }
    RestoreDC(dc, saved);
  }
}

void TWinControl::RemoveControl(TControl* c) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
  if (mouseControl_ == c) mouseControl_ = nullptr;
  if (captureControl_ == c) captureControl_ = nullptr;
  if (c->align_ != TAlign::None) Realign();
}

void TWinControl::SetBounds(int x, int y, int w, int h) { TControl::SetBounds(x, y, w, h); }

void TWinControl::SetUniqueId() {
  static LONG_PTR next = 0x4000;  // above the ids a dialog resource would use
  if (hwnd_) SetWindowLongPtrA(hwnd_, GWLP_ID, next++);
}

void TWinControl::BoundsChanged() {
  if (hwnd_) MoveWindow(hwnd_, bounds_.left, bounds_.top, Width(), Height(), TRUE);
}

RECT TWinControl::ClientRect() const {
  RECT r{0, 0, Width(), Height()};
  if (hwnd_) GetClientRect(hwnd_, &r);
  return r;
}

std::string TWinControl::Caption() const {
  if (!hwnd_) return caption_;
  std::string s(static_cast<size_t>(GetWindowTextLengthA(hwnd_)) + 1, '\0');
  s.resize(static_cast<size_t>(GetWindowTextA(hwnd_, s.data(), static_cast<int>(s.size()))));
  return s;
}

void TWinControl::SetCaption(const std::string& s) {
  caption_ = s;
  if (hwnd_) SetWindowTextA(hwnd_, s.c_str());
  if (ownClass_) Invalidate();
}

void TWinControl::Invalidate() {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

bool TWinControl::CanFocus() const { return hwnd_ && Showing() && enabled_; }

void TWinControl::SetFocus() {
  if (hwnd_) ::SetFocus(hwnd_);
}

void TWinControl::FontChanged() {
  if (hwnd_) SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), TRUE);
}

void TWinControl::VisibleChanged() {
  if (hwnd_) ShowWindow(hwnd_, visible_ ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::ParentChanged() {
  if (hwnd_) ::SetParent(hwnd_, parent_->hwnd_);
}

void TWinControl::EnabledChanged() {
  if (hwnd_) EnableWindow(hwnd_, enabled_);
  Invalidate();
}

void TWinControl::DoKeyDown(WORD& key, unsigned shift) {
  if (OnKeyDown) OnKeyDown(key, shift);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter();
}

void TWinControl::DoExit() {
  if (OnExit) OnExit();
}

void TWinControl::DoFocusEnter() {
  if (OnFocusEnter) OnFocusEnter();
}

void TWinControl::DoFocusExit() {
  if (OnFocusExit) OnFocusExit();
}

void TWinControl::FocusMoved(HWND other, bool entering) {
  auto holds = [other](const TWinControl* c) {
    return other && c->hwnd_ && (c->hwnd_ == other || IsChild(c->hwnd_, other));
  };
  std::vector<TWinControl*> chain;  // innermost first, up to the first that holds the other window
  for (TWinControl* c = this; c && !holds(c); c = c->parent_) chain.push_back(c);
  if (entering) std::reverse(chain.begin(), chain.end());
  for (TWinControl* c : chain) entering ? c->DoFocusEnter() : c->DoFocusExit();
}

void TWinControl::EnableAlign() {
  if (alignHold_ > 0 && --alignHold_ == 0) Realign();
}

// A child's constraints may refuse the size offered; the space it takes is
// what it kept, so the next child starts where this one really ends.
void TWinControl::Realign() {
  if (aligning_ || alignHold_ > 0) return;
  aligning_ = true;
  RECT rest = ClientRect();
  static constexpr TAlign kOrder[] = {TAlign::Top, TAlign::Bottom, TAlign::Left, TAlign::Right, TAlign::Client};
  for (TAlign kind : kOrder) {
    for (TControl* c : controls_) {
      if (c->align_ != kind || !c->visible_) continue;
      const int restW = rest.right - rest.left, restH = rest.bottom - rest.top;
      switch (kind) {
        case TAlign::Top:
          c->SetBounds(rest.left, rest.top, restW, c->Height());
          rest.top += c->Height();
          break;
        case TAlign::Bottom: {
          const SIZE s = c->constraints_.Fit(restW, c->Height());
          c->SetBounds(rest.left, rest.bottom - s.cy, restW, s.cy);
          rest.bottom -= c->Height();
          break;
        }
        case TAlign::Left:
          c->SetBounds(rest.left, rest.top, c->Width(), restH);
          rest.left += c->Width();
          break;
        case TAlign::Right: {
          const SIZE s = c->constraints_.Fit(c->Width(), restH);
          c->SetBounds(rest.right - s.cx, rest.top, s.cx, restH);
          rest.right -= c->Width();
          break;
        }
        default:
          c->SetBounds(rest.left, rest.top, restW, restH);
          break;
      }
    }
  }
  aligning_ = false;
}

// ---- TCustomControl

// A container's children are walked by the dialog keys; a control that is a
// stop itself (a grid) is no container, or the walk would pass it by.
TCustomControl::TCustomControl(TWinControl* parent, DWORD style, DWORD exStyle) : TWinControl(parent) {
  CreateWnd(nullptr, style | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
            exStyle | ((style & WS_TABSTOP) ? 0 : WS_EX_CONTROLPARENT));
}
