#include "controls/OrvStatusBar.h"

#include <algorithm>

namespace {
WPARAM BevelStyle(TOrvStatusPanelBevel b) {
  switch (b) {
    case SP_BEVEL_NONE:
      return SBT_NOBORDERS;
    case SP_BEVEL_RAISED:
      return SBT_POPOUT;
    default:
      return 0;
  }
}
constexpr size_t kMaxPanels = 128;
}  // namespace

TOrvStatusBar::TOrvStatusBar(TWinControl* parent)
    : TStdControl(parent, STATUSCLASSNAMEA, SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0, 19) {
  SetAlign(TAlign::Bottom);
  PanelsChanged();
  SendSimpleText();
  SendMessageA(hwnd_, SB_SIMPLE, TRUE, 0);
}

void TOrvStatusBar::SendSimpleText() {
  if (!simplePanel_ || !hwnd_) return;
  SendMessageA(hwnd_, SB_SETTEXTA, SB_SIMPLEID | BevelStyle(bevel_), reinterpret_cast<LPARAM>(simpleText_.c_str()));
}

void TOrvStatusBar::SetSimpleText(const std::string& s) {
  simpleText_ = s;
  SendSimpleText();
}

void TOrvStatusBar::SetSimplePanel(bool s) {
  if (s == simplePanel_) return;
  simplePanel_ = s;
  SendMessageA(hwnd_, SB_SIMPLE, s, 0);
  SendSimpleText();
}

void TOrvStatusBar::SetBevel(TOrvStatusPanelBevel b) {
  if (b == bevel_) return;
  bevel_ = b;
  SendSimpleText();
  Invalidate();
}

// Without panels the bar has one empty part; the last part runs to the end.
void TOrvStatusBar::PanelsChanged() {
  if (Panels.empty()) {
    int edge = -1;
    SendMessageA(hwnd_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&edge));
    SendMessageA(hwnd_, SB_SETTEXTA, BevelStyle(bevel_), reinterpret_cast<LPARAM>(""));
    return;
  }
  const size_t n = std::min(Panels.size(), kMaxPanels);
  std::vector<int> edges(n);
  int right = 0;
  for (size_t i = 0; i < n; ++i) edges[i] = (right += Panels[i].Width);
  edges.back() = -1;
  SendMessageA(hwnd_, SB_SETPARTS, n, reinterpret_cast<LPARAM>(edges.data()));
  for (size_t i = 0; i < n; ++i)
    SendMessageA(hwnd_, SB_SETTEXTA, i | BevelStyle(Panels[i].Bevel), reinterpret_cast<LPARAM>(Panels[i].Text.c_str()));
}
