#include "framework/Spin.h"

#include <commctrl.h>

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

TSpinEdit::TSpinEdit(TWinControl* parent) : TEdit(parent) {
  SetWindowLongPtrA(hwnd_, GWL_STYLE, GetWindowLongPtrA(hwnd_, GWL_STYLE) | WS_CLIPCHILDREN);
  arrows_ = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  // The arrows never move their own position: every step is ours, so they
  // never stop at an end of theirs.
  SendMessageA(arrows_, UDM_SETRANGE32, 0, 100);
  SendMessageA(arrows_, UDM_SETPOS32, 0, 50);
  SetBounds(0, 0, 121, 22);
  PlaceArrows();
  SetText("0");
}

int64_t TSpinEdit::Clamped(int64_t v) const { return MinValue < MaxValue ? std::clamp(v, MinValue, MaxValue) : v; }

int64_t TSpinEdit::Value() const {
  const std::string text = Text();
  const size_t b = text.find_first_not_of(" \t"), e = text.find_last_not_of(" \t");
  if (b == std::string::npos) return MinValue;
  const char* first = text.data() + b + (text[b] == '+' ? 1 : 0);
  const char* last = text.data() + e + 1;
  int64_t v = 0;
  const auto [end, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || end != last) return MinValue;
  return Clamped(v);
}

void TSpinEdit::SetValue(int64_t v) {
  const std::string text = std::to_string(Clamped(v));
  if (text != Text()) SetText(text);
}

void TSpinEdit::Step(int direction) {
  int64_t next;
  if (__builtin_mul_overflow(Increment, direction, &next) || __builtin_add_overflow(Value(), next, &next))
    next = (direction > 0) == (Increment > 0) ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
  SetValue(next);
}

void TSpinEdit::PlaceArrows() {
  if (!arrows_) return;
  RECT r;
  GetClientRect(hwnd_, &r);
  const int w = GetSystemMetrics(SM_CXVSCROLL);
  MoveWindow(arrows_, r.right - w, 0, w, r.bottom, TRUE);
  SendMessageA(hwnd_, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, w + 1));
}

void TSpinEdit::DoKeyDown(WORD& key, unsigned shift) {
  TEdit::DoKeyDown(key, shift);
  if (key != VK_UP && key != VK_DOWN) return;
  Step(key == VK_UP ? 1 : -1);
  key = 0;
}

void TSpinEdit::DoExit() {
  SetValue(Value());
  TEdit::DoExit();
}

LRESULT TSpinEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NOTIFY: {
      const auto* nm = reinterpret_cast<const NMUPDOWN*>(lp);
      if (nm->hdr.hwndFrom != arrows_ || nm->hdr.code != UDN_DELTAPOS) break;
      if (nm->iDelta) Step(nm->iDelta > 0 ? 1 : -1);
      SetFocus();
      return TRUE;
    }
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(lp) == arrows_) return 0;
      break;
    case WM_CHAR: {
      // Digits and signs only; control characters keep their editing role.
      const auto ch = static_cast<unsigned char>(wp);
      if (ch >= ' ' && !(ch >= '0' && ch <= '9') && ch != '-' && ch != '+') {
        MessageBeep(MB_OK);
        return 0;
      }
      break;
    }
    case WM_SIZE:
      PlaceArrows();
      break;
    default:
      break;
  }
  return TEdit::WndProc(msg, wp, lp);
}
