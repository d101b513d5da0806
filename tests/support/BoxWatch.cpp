#include "support/BoxWatch.h"

namespace {

TBoxWatch* current = nullptr;

std::string ClassOf(HWND w) {
  char cls[64] = "";
  GetClassNameA(w, cls, sizeof cls);
  return cls;
}

std::string TextOf(HWND w) {
  std::string s(static_cast<size_t>(SendMessageA(w, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
  s.resize(static_cast<size_t>(SendMessageA(w, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()))));
  return s;
}

struct TClassSearch {
  const char* cls;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectOfClass(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<TClassSearch*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == GetCurrentProcessId() && IsWindowVisible(w) && ClassOf(w) == s->cls) s->found.push_back(w);
  return TRUE;
}

}  // namespace

std::vector<HWND> ProcessWindowsOfClass(const char* cls) {
  TClassSearch s{cls, {}};
  EnumWindows(CollectOfClass, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

TBoxWatch::TBoxWatch(WORD answerKey) : key_(answerKey), timer_(SetTimer(nullptr, 0, 50, Tick)) { current = this; }

TBoxWatch::~TBoxWatch() {
  KillTimer(nullptr, timer_);
  current = nullptr;
}

void CALLBACK TBoxWatch::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (!current) return;
  for (HWND box : ProcessWindowsOfClass("#32770")) {
    if (box == current->answered_) continue;
    TSeenBox seen;
    seen.Caption = TextOf(box);
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (ClassOf(c) != "Static") continue;
      if (GetWindowLongA(c, GWL_STYLE) & SS_ICON) {
        if (auto icon = reinterpret_cast<HICON>(SendMessageA(c, STM_GETICON, 0, 0))) seen.Icon = icon;
        seen.HasIcon = seen.HasIcon || seen.Icon;
        continue;
      }
      const std::string t = TextOf(c);
      if (t.empty()) continue;
      if (!seen.Text.empty()) seen.Text += "|";
      seen.Text += t;
    }
    seen.Owner = GetWindow(box, GW_OWNER);
    seen.OwnerEnabled = seen.Owner && IsWindowEnabled(seen.Owner);
    current->Boxes.push_back(seen);
    current->answered_ = box;
    HWND focus = GetFocus();
    HWND target = focus && IsChild(box, focus) ? focus : box;
    PostMessageA(target, WM_KEYDOWN, current->key_, 1);
    PostMessageA(target, WM_KEYUP, current->key_, 0xC0000001);
  }
}
