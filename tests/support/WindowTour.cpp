#include "support/WindowTour.h"

#include <cxxabi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <memory>
#include <typeinfo>

#include "framework/ComCtrls.h"
#include "framework/Forms.h"
#include "support/MessagePump.h"
#include "support/Screenshot.h"

namespace {

std::string WithoutAmpersands(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&' && i + 1 < s.size()) ++i;
    out += s[i];
  }
  const size_t first = out.find_first_not_of(' '), last = out.find_last_not_of(' ');
  return first == std::string::npos ? std::string() : out.substr(first, last - first + 1);
}

// The letter after a single "&", or 0.
char Mnemonic(const std::string& s) {
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] != '&') continue;
    if (s[i + 1] != '&') return static_cast<char>(std::tolower(static_cast<unsigned char>(s[i + 1])));
    ++i;
  }
  return 0;
}

std::string TypeName(const TControl& c) {
  const char* mangled = typeid(c).name();
  std::unique_ptr<char, decltype(&std::free)> plain(abi::__cxa_demangle(mangled, nullptr, nullptr, nullptr),
                                                    &std::free);
  return plain ? plain.get() : mangled;
}

std::string ClassOf(HWND h) {
  char cls[64] = "";
  GetClassNameA(h, cls, sizeof cls);
  return cls;
}

// The control that holds the focus: a drop-down combo for its inner edit.
HWND FocusedStop() {
  HWND f = GetFocus();
  if (TWinControl* w = TWinControl::FromHandle(f)) return w->Handle();
  if (f && _stricmp(ClassOf(GetParent(f)).c_str(), "ComboBox") == 0) return GetParent(f);
  return f;
}

bool Inside(HWND scope, HWND h) { return h && (h == scope || IsChild(scope, h)); }

// What the dialog walk must reach below root: every visible tab stop whose
// window and parents up to root are enabled.
std::vector<HWND> TabStops(HWND root) {
  struct TWalk {
    HWND root;
    std::vector<HWND> stops;
  } walk{root, {}};
  EnumChildWindows(
      root,
      [](HWND h, LPARAM p) -> BOOL {
        auto* w = reinterpret_cast<TWalk*>(p);
        if (!(GetWindowLongPtrA(h, GWL_STYLE) & WS_TABSTOP) || !IsWindowVisible(h)) return TRUE;
        for (HWND a = h; a && a != w->root; a = GetParent(a))
          if (!IsWindowEnabled(a)) return TRUE;
        w->stops.push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&walk));
  return walk.stops;
}

// The first control after c, or inside c first when inside is set, that
// Tab can stop at: where a label's or group box's letter leads (usable: it
// can take the focus now), and what the label names (shown at least).
TWinControl* StopAfter(const TControl* c, bool inside, bool usable) {
  auto stop = [usable](const TWinControl* w) { return w->TabStop && (usable ? w->CanFocus() : w->Showing()); };
  std::function<TWinControl*(const TWinControl*)> first = [&](const TWinControl* p) -> TWinControl* {
    for (TControl* k : p->Controls()) {
      auto* w = dynamic_cast<TWinControl*>(k);
      if (!w) continue;
      if (stop(w)) return w;
      if (TWinControl* in = first(w)) return in;
    }
    return nullptr;
  };
  if (inside)
    if (auto* w = dynamic_cast<const TWinControl*>(c))
      if (TWinControl* in = first(w)) return in;
  for (; c->Parent(); c = c->Parent()) {
    const auto& kids = c->Parent()->Controls();
    for (auto it = std::find(kids.begin(), kids.end(), c) + 1; it < kids.end(); ++it) {
      auto* w = dynamic_cast<TWinControl*>(*it);
      if (!w) continue;
      if (stop(w)) return w;
      if (TWinControl* in = first(w)) return in;
    }
  }
  return nullptr;
}

void ForEach(TControl* c, const std::function<void(TControl*)>& f) {
  f(c);
  if (auto* w = dynamic_cast<TWinControl*>(c))
    for (TControl* k : w->Controls()) ForEach(k, f);
}

// The caption of the label or group box that names w: the label just before
// it, else the nearest one before it whose letter would lead to it; "" for none.
std::string NamerOf(const TWinControl* w) {
  if (TWinControl* p = w->Parent()) {
    const auto& kids = p->Controls();
    auto it = std::find(kids.begin(), kids.end(), w);
    if (it != kids.begin())
      if (auto* label = dynamic_cast<TLabel*>(*(it - 1)); label && !label->Caption().empty())
        return WithoutAmpersands(label->Caption());
  }
  TControl* top = const_cast<TWinControl*>(w);
  while (top->Parent()) top = top->Parent();
  std::string name;
  ForEach(top, [&](TControl* c) {
    const bool group = dynamic_cast<TGroupBox*>(c) != nullptr;
    if ((group || dynamic_cast<TLabel*>(c)) && c->Showing() && Mnemonic(c->Caption()) &&
        StopAfter(c, group, false) == w)
      name = WithoutAmpersands(c->Caption());
  });
  return name;
}

// Where a carrier's letter must put the focus.
HWND Destination(TControl* c) {
  if (dynamic_cast<TButton*>(c) || dynamic_cast<TCheckBox*>(c)) return static_cast<TWinControl*>(c)->Handle();
  TWinControl* t = StopAfter(c, dynamic_cast<TGroupBox*>(c) != nullptr, true);
  return t ? t->Handle() : nullptr;
}

// While it lives, every button below root records its press by name instead
// of doing its work.
class TPressRecorder {
 public:
  explicit TPressRecorder(TControl* root) {
    ForEach(root, [this](TControl* c) {
      auto* b = dynamic_cast<TButton*>(c);
      if (!b) return;
      saved_.push_back({b, b->OnClick, b->ModalResult});
      b->ModalResult = mrNone;
      b->OnClick = [this, b] { Pressed.push_back(TourName(b->Handle())); };
    });
  }
  ~TPressRecorder() {
    for (auto& s : saved_) {
      s.button->OnClick = s.onClick;
      s.button->ModalResult = s.modalResult;
    }
  }
  TPressRecorder(const TPressRecorder&) = delete;
  TPressRecorder& operator=(const TPressRecorder&) = delete;
  std::vector<std::string> Pressed;

 private:
  struct TSaved {
    TButton* button;
    TNotifyEvent onClick;
    int modalResult;
  };
  std::vector<TSaved> saved_;
};

// The names met from the start by Tab (or Shift+Tab) until the focus is back
// there, a run outside scope as one "...".
std::vector<std::string> Walk(HWND scope, HWND start, bool back, size_t most, std::vector<HWND>& met) {
  std::vector<std::string> names{TourName(start)};
  for (size_t i = 0; i < most; ++i) {
    TourKey(VK_TAB, back ? VK_SHIFT : 0);
    HWND now = FocusedStop();
    if (now == start) break;
    met.push_back(now);
    const std::string name = Inside(scope, now) ? TourName(now) : "...";
    if (name != "..." || names.back() != "...") names.push_back(name);
  }
  return names;
}

void CheckTabs(HWND scope, HWND root, HWND start, const TTourPlan& plan) {
  const size_t most = plan.Order.size() + 40;
  std::vector<HWND> met{start};
  EXPECT_EQ(Walk(scope, start, false, most, met), plan.Order) << "Tab";
  std::vector<std::string> back(plan.Order.rbegin(), plan.Order.rend() - 1);
  back.insert(back.begin(), plan.Order.front());
  std::vector<HWND> ignored;
  EXPECT_EQ(Walk(scope, start, true, most, ignored), back) << "Shift+Tab";
  for (HWND h : TabStops(root))
    EXPECT_EQ(std::count(met.begin(), met.end(), h), 1) << "Tab reaches " << TourName(h) << " once";
}

// A stop of scope to press a letter from, other than where it leads.
HWND Elsewhere(HWND scope, HWND start, HWND avoid) {
  if (start != avoid) return start;
  for (HWND h : TabStops(scope))
    if (h != avoid) return h;
  return start;
}

void CheckMnemonic(TControl* c, HWND scope, HWND start, TPressRecorder& presses) {
  const char letter = Mnemonic(c->Caption());
  const std::string what = std::string("Alt+") + letter + " (" + WithoutAmpersands(c->Caption()) + ")";
  SetFocus(Elsewhere(scope, start, Destination(c)));
  presses.Pressed.clear();
  auto* radio = dynamic_cast<TRadioButton*>(c);
  auto* check = dynamic_cast<TCheckBox*>(c);
  TRadioButton* was = nullptr;
  if (radio)
    for (TControl* k : radio->Parent()->Controls())
      if (auto* r = dynamic_cast<TRadioButton*>(k); r && r->Checked()) was = r;
  const TCheckBoxState before = check ? check->State() : TCheckBoxState::Unchecked;
  TourKey(static_cast<WORD>(std::toupper(static_cast<unsigned char>(letter))), VK_MENU);
  if (auto* b = dynamic_cast<TButton*>(c)) {
    EXPECT_EQ(presses.Pressed, std::vector<std::string>{TourName(b->Handle())}) << what;
    return;
  }
  // A box's own click may send the focus on; its state tells of the press.
  if (!check) EXPECT_EQ(TourName(FocusedStop()), TourName(Destination(c))) << what;
  if (radio) {
    EXPECT_TRUE(radio->Checked()) << what;
    if (was && was != radio) was->SetChecked(true), radio->SetChecked(false);
  } else if (check) {
    EXPECT_NE(check->State(), before) << what;
    check->SetState(before);
  }
}

// A letter that several controls carry acts on one of them.
void CheckSharedMnemonic(char letter, const std::vector<TControl*>& carriers, TPressRecorder& presses) {
  presses.Pressed.clear();
  TourKey(static_cast<WORD>(std::toupper(static_cast<unsigned char>(letter))), VK_MENU);
  const HWND focus = FocusedStop();
  const bool acted = std::any_of(carriers.begin(), carriers.end(), [&](TControl* c) {
    const std::string name = WithoutAmpersands(c->Caption());
    return Destination(c) == focus || std::count(presses.Pressed.begin(), presses.Pressed.end(), name) == 1;
  });
  EXPECT_TRUE(acted) << "Alt+" << letter << ", a letter shared";
}

void CheckMnemonics(TControl* root, HWND start, const TTourPlan& plan, TPressRecorder& presses) {
  std::vector<TControl*> carriers;
  ForEach(root, [&](TControl* c) {
    const bool kind = dynamic_cast<TButton*>(c) || dynamic_cast<TCheckBox*>(c) || dynamic_cast<TLabel*>(c) ||
                      dynamic_cast<TGroupBox*>(c);
    if (kind && c->Showing() && c->Enabled() && Mnemonic(c->Caption())) carriers.push_back(c);
  });
  std::string letters, want = plan.Letters;
  for (TControl* c : carriers) letters += Mnemonic(c->Caption());
  std::sort(letters.begin(), letters.end());
  std::transform(want.begin(), want.end(), want.begin(), [](char ch) { return std::tolower(ch); });
  std::sort(want.begin(), want.end());
  EXPECT_EQ(letters, want) << "the mnemonics shown";
  const HWND scope = static_cast<TWinControl*>(root)->Handle();
  for (char letter : std::string(letters.begin(), std::unique(letters.begin(), letters.end()))) {
    std::vector<TControl*> same;
    std::copy_if(carriers.begin(), carriers.end(), std::back_inserter(same),
                 [letter](TControl* c) { return Mnemonic(c->Caption()) == letter; });
    if (same.size() == 1) {
      CheckMnemonic(same[0], scope, start, presses);
    } else {
      SetFocus(start);
      CheckSharedMnemonic(letter, same, presses);
    }
  }
}

// What a key did: the buttons it pressed, else how it ended the modal run.
std::string Outcome(TForm* form, TPressRecorder& presses) {
  std::string pressed;
  for (const std::string& p : presses.Pressed) pressed += (pressed.empty() ? "" : ", ") + p;
  if (!pressed.empty() || !form || form->ModalResult() == mrNone) return pressed;
  const int result = form->ModalResult();
  form->SetModalResult(mrNone);
  return result == mrOk ? "mrOk" : result == mrCancel ? "mrCancel" : "mr" + std::to_string(result);
}

void CheckKey(WORD key, HWND start, const std::string& want, TPressRecorder& presses, TForm* form) {
  SetFocus(start);
  presses.Pressed.clear();
  TourKey(key);
  EXPECT_EQ(Outcome(form, presses), want) << (key == VK_RETURN ? "Enter" : "Esc");
}

}  // namespace

namespace {

bool menuOpened = false;

// A key meant for a control that opens a menu instead would hold the test in
// the menu's loop: the timer closes it and tells.
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE))) {
    menuOpened = true;
    EndMenu();
  }
}

}  // namespace

void TourKey(WORD vk, WORD modifier) {
  const UINT_PTR watch = SetTimer(nullptr, 0, 200, &CloseMenu);
  menuOpened = false;
  INPUT in[4]{};
  int n = 0;
  auto key = [&](WORD k, bool up) {
    in[n].type = INPUT_KEYBOARD;
    in[n].ki.wVk = k;
    in[n++].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  };
  if (modifier) key(modifier, false);
  key(vk, false);
  key(vk, true);
  if (modifier) key(modifier, true);
  SendInput(static_cast<UINT>(n), in, sizeof(INPUT));
  PumpUntil([] { return HIWORD(GetQueueStatus(QS_INPUT)) == 0; }, 1000);
  Pump(20);
  KillTimer(nullptr, watch);
  EXPECT_FALSE(menuOpened) << "the key opened a menu";
}

std::string TourName(HWND h) {
  TWinControl* w = TWinControl::FromHandle(h);
  if (!w) {
    if (!h) return "<none>";
    char text[256] = "";
    GetWindowTextA(h, text, sizeof text);
    return *text ? WithoutAmpersands(text) : ClassOf(h);
  }
  if (_stricmp(ClassOf(h).c_str(), "Button") == 0 && !w->Caption().empty()) return WithoutAmpersands(w->Caption());
  if (dynamic_cast<TPageControl*>(w)) return TypeName(*w);
  const std::string label = NamerOf(w);
  return label.empty() ? TypeName(*w) : label;
}

void TourWindow(HWND scope, const TTourPlan& plan) {
  ASSERT_FALSE(plan.Order.empty());
  HWND root = GetAncestor(scope, GA_ROOT);
  SetForegroundWindow(root);
  ASSERT_TRUE(PumpUntil([root] { return GetForegroundWindow() == root && GetFocus(); }, 3000))
      << "the window has no focus";
  HWND start = FocusedStop();
  EXPECT_EQ(TourName(start), plan.Order.front()) << "the focus at the start";
  TWinControl* top = TWinControl::FromHandle(scope);
  ASSERT_NE(top, nullptr);
  TPressRecorder presses(top);
  CheckTabs(scope, root, start, plan);
  CheckMnemonics(top, start, plan, presses);
  auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(root));
  CheckKey(VK_RETURN, start, plan.Enter, presses, form);
  CheckKey(VK_ESCAPE, start, plan.Esc, presses, form);
  SetFocus(start);
}

void TourModal(TForm& form, const TTourPlan& plan) {
  TTimer shown;
  shown.Interval = 100;
  shown.OnTimer = [&] {
    shown.SetEnabled(false);
    TourWindow(form.Handle(), plan);
    form.SetModalResult(mrCancel);
  };
  shown.SetEnabled(true);
  form.ShowModal();
}

testing::AssertionResult FocusShot(TWinControl& control, const std::string& path) {
  control.SetFocus();
  SendMessageA(GetAncestor(control.Handle(), GA_ROOT), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  Pump(100);
  return SaveWindowShot(GetAncestor(control.Handle(), GA_ROOT), path);
}
