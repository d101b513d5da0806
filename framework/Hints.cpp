#include "framework/Hints.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "framework/Controls.h"
#include "framework/SystemError.h"

namespace {

constexpr const char* kHintClass = "TKvtHintWindow";
constexpr int kMaxHintWidth = 300;
constexpr int kPointerHeight = 20;  // the hint sits below the pointer's picture
constexpr RECT kTextMargin{4, 2, 4, 2};

LRESULT CALLBACK HintWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // the mouse goes on to the control below
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
      {
        TSelectObject font(dc, reinterpret_cast<HFONT>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        char text[1024];
        GetWindowTextA(hwnd, text, sizeof text);
        r.left += kTextMargin.left;
        r.top += kTextMargin.top;
        DrawTextA(dc, text, -1, &r, DT_NOPREFIX | DT_WORDBREAK);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

bool ShowsHints(const TControl* c) {
  for (; c; c = c->Parent()) {
    if (c->ShowHint) return true;
    if (!c->ParentShowHint) return false;
  }
  return false;
}

bool HasHint(const TControl* c) {
  return c && ShowsHints(c) && !GetShortHint(c->Hint).empty() && c->Showing() && c->Enabled();
}

// The control of ours under a client point of a window: a windowless child
// before its windowed parent; a standard control's inner window counts as
// the control.
TControl* ControlUnder(HWND hwnd, POINT client) {
  TWinControl* w = nullptr;
  for (HWND h = hwnd; h && !w; h = GetAncestor(h, GA_PARENT)) w = TWinControl::FromHandle(h);
  if (!w) return nullptr;
  MapWindowPoints(hwnd, w->Handle(), &client, 1);
  if (TControl* g = w->ControlAtPos(client.x, client.y)) return g;
  return w;
}

// The window whose mouse-leave notice means the pointer left the control.
HWND MouseWindowOf(const TControl* c) {
  if (c->IsWindowed()) return static_cast<const TWinControl*>(c)->Handle();
  return c->Parent() ? c->Parent()->Handle() : nullptr;
}

void TellHints(const TControl* c) { Hints().ControlGone(c); }

}  // namespace

std::string GetShortHint(const std::string& hint) { return hint.substr(0, hint.find('|')); }

THintManager& Hints() {
  static THintManager manager;
  return manager;
}

THintManager::THintManager() { TControl::AddGoneHandler(&TellHints); }

THintManager::~THintManager() {
  TControl::RemoveGoneHandler(&TellHints);
  StopTimer();
  if (window_) DestroyWindow(window_);
}

void THintManager::Message(const MSG& msg) {
  switch (msg.message) {
    case WM_MOUSEMOVE: {
      POINT client{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)}, screen = client;
      ClientToScreen(msg.hwnd, &screen);
      Over(ControlUnder(msg.hwnd, client), screen);
      break;
    }
    case WM_MOUSELEAVE:
      if (control_ && MouseWindowOf(control_) == msg.hwnd) {
        control_ = nullptr;
        CancelHint();
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      cancelled_ = true;
      CancelHint();
      break;
    default:
      break;
  }
}

void THintManager::Over(TControl* c, POINT screen) {
  point_ = screen;
  if (c == control_) return;
  const bool wasShowing = ShownHint() != nullptr;
  CancelHint();
  control_ = c;
  cancelled_ = false;
  if (HasHint(c)) StartTimer(wasShowing ? HintShortPause : HintPause);
}

void THintManager::ControlGone(const TControl* c) {
  if (c != control_) return;
  control_ = nullptr;
  CancelHint();
}

void THintManager::CancelHint() {
  StopTimer();
  if (window_) ShowWindow(window_, SW_HIDE);
}

HWND THintManager::ShownHint() const { return window_ && IsWindowVisible(window_) ? window_ : nullptr; }

void THintManager::StartTimer(UINT ms) {
  StopTimer();
  timer_ = SetTimer(nullptr, 0, ms, &TimerProc);
}

void THintManager::StopTimer() {
  if (timer_) KillTimer(nullptr, std::exchange(timer_, 0));
}

void CALLBACK THintManager::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  try {
    if (id == Hints().timer_) Hints().TimerFired();
  } catch (...) {
    HandleCallbackException();
  }
}

void THintManager::TimerFired() {
  StopTimer();
  if (ShownHint()) {
    cancelled_ = true;  // shown long enough; not again over this control
    CancelHint();
    return;
  }
  if (cancelled_ || !HasHint(control_)) return;
  std::string text = GetShortHint(control_->Hint);
  if (OnShowHint) OnShowHint(text, *control_);
  if (text.empty()) return;
  ShowHintWindow(text);
  StartTimer(HintHidePause);
}

void THintManager::ShowHintWindow(const std::string& text) {
  if (!window_) {
    WNDCLASSA wc{};
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = &HintWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kHintClass;
    RegisterClassA(&wc);  // fails harmlessly when already registered
    NONCLIENTMETRICSA m{};
    m.cbSize = sizeof m;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0))
      font_.Reset(CreateFontIndirectA(&m.lfStatusFont));
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kHintClass, "",
                              WS_POPUP | WS_BORDER, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    if (!window_) return;
    SetWindowLongPtrA(window_, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(font_.Get() ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT)));
  }
  SetWindowTextA(window_, text.c_str());
  RECT r{0, 0, kMaxHintWidth, 0};
  {
    TWindowDC dc(window_);
    TSelectObject font(dc.Get(), reinterpret_cast<HFONT>(GetWindowLongPtrA(window_, GWLP_USERDATA)));
    DrawTextA(dc.Get(), text.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
  }
  RECT frame{0, 0, r.right + kTextMargin.left + kTextMargin.right, r.bottom + kTextMargin.top + kTextMargin.bottom};
  AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOOLWINDOW);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  // Kept on the screen the pointer is on.
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoA(MonitorFromPoint(point_, MONITOR_DEFAULTTONEAREST), &mi);
  const int x = std::clamp<int>(point_.x, mi.rcWork.left, std::max<int>(mi.rcWork.left, mi.rcWork.right - w));
  int y = point_.y + kPointerHeight;
  if (y + h > mi.rcWork.bottom) y = point_.y - h;
  SetWindowPos(window_, HWND_TOPMOST, x, y, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(window_, nullptr, TRUE);
}
