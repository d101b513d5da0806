#include "support/TextFit.h"

#include <cxxabi.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "controls/ButtonsNew.h"
#include "controls/PylBitBtn.h"
#include "core/translator.h"
#include "framework/ComCtrls.h"
#include "framework/Forms.h"
#include "framework/Handles.h"
#include "framework/StdCtrls.h"
#include "framework/ToolBars.h"
#include "support/BuildFolders.h"
#include "support/MessagePump.h"
#include "support/Screenshot.h"

namespace {

// What a control must show: its text in its font, and the room its frame,
// box, glyph or arrow takes beside the text.
struct TNeed {
  std::string text;
  HFONT font = nullptr;
  int extra = 0;
  UINT align = DT_LEFT;
  bool wraps = false;
};

RECT OnScreen(const TControl& c) {
  RECT r = c.BoundsRect();
  if (auto* w = dynamic_cast<const TWinControl*>(&c); w && w->Handle()) {
    GetWindowRect(w->Handle(), &r);
  } else {
    MapWindowPoints(c.Parent()->Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
  }
  return r;
}

RECT ClientOnScreen(const TWinControl& w) {
  RECT r{};
  GetClientRect(w.Handle(), &r);
  MapWindowPoints(w.Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Hidden pages count as shown: each page is checked whichever is active.
bool Shown(const TControl& c, const TWinControl& window) {
  for (const TControl* p = &c; p && p != &window; p = p->Parent())
    if (!p->Visible() && !dynamic_cast<const TTabSheet*>(p)) return false;
  return true;
}

HFONT WindowFont(const TWinControl& w) {
  return reinterpret_cast<HFONT>(SendMessageA(w.Handle(), WM_GETFONT, 0, 0));
}

SIZE Extent(HFONT font, const std::string& s) {
  TWindowDC dc;
  TSelectObject selected(dc.Get(), font);
  SIZE size{};
  GetTextExtentPoint32A(dc.Get(), s.data(), static_cast<int>(s.size()), &size);
  return size;
}

// The box and gap before a check box's text, as the system's button paints them.
int BoxWidth(HFONT font) {
  TWindowDC dc;
  TSelectObject selected(dc.Get(), font);
  int zero = 0;
  GetCharWidth32A(dc.Get(), '0', '0', &zero);
  return 12 * GetDeviceCaps(dc.Get(), LOGPIXELSX) / 96 + 1 + zero / 2 + 1;
}

bool NeedOf(const TControl& c, TNeed& need) {
  if (auto* l = dynamic_cast<const TLabel*>(&c)) {
    const bool prefix = !(l->Alignment & DT_NOPREFIX);
    need = {prefix ? WithoutMnemonic(l->Caption()) : l->Caption(), l->Font().Handle(), 0, l->Alignment, !l->AutoSize};
    return true;
  }
  if (auto* b = dynamic_cast<const TCheckBox*>(&c)) {
    need = {WithoutMnemonic(b->Caption()), WindowFont(*b), BoxWidth(WindowFont(*b))};
    return true;
  }
  if (auto* b = dynamic_cast<const TButton*>(&c)) {
    // The frame's edges and the default button's ring on either side.
    need = {WithoutMnemonic(b->Caption()), WindowFont(*b), 2 * (GetSystemMetrics(SM_CXEDGE) + 1), DT_CENTER};
    if (auto* bit = dynamic_cast<const TPylBitBtn*>(b); bit && bit->HasGlyph()) {
      BITMAP bm{};
      GetObjectA(bit->GlyphHandle(), sizeof bm, &bm);
      need.font = bit->Font().Handle();
      need.extra += bm.bmWidth / bit->NumGlyphs() + (need.text.empty() ? 0 : bit->Spacing);
    }
    return true;
  }
  if (auto* b = dynamic_cast<const TSpeedButtonNew*>(&c)) {
    // The glyph, the gap and the caption side by side, within the flat frame.
    const int glyph = b->GlyphSize().cx;
    need = {b->Caption(), b->Font().Handle(), glyph + (glyph ? b->Spacing : 0) + 2, DT_CENTER};
    if (b->Margin >= 0) {
      need.align = DT_LEFT;
      need.extra += b->Margin;
    }
    return true;
  }
  if (auto* b = dynamic_cast<const TMenuBarButton*>(&c)) {
    need = {WithoutMnemonic(b->Caption()), b->Font().Handle(), 2, DT_CENTER};
    return true;
  }
  if (auto* cb = dynamic_cast<const TComboBox*>(&c)) {
    // An edit combo's items are the user's own texts, which its edit scrolls.
    if ((GetWindowLongA(cb->Handle(), GWL_STYLE) & 3) != CBS_DROPDOWNLIST) return false;
    need = {{}, WindowFont(*cb), GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE) + 2};
    for (const std::string& item : cb->Items.ToVector())
      if (Extent(need.font, item).cx > Extent(need.font, need.text).cx) need.text = item;
    return true;
  }
  return false;
}

// Where the text and what goes with it lie on the screen, by its alignment.
RECT NeededRect(const TControl& c, const TNeed& need) {
  const RECT r = OnScreen(c);
  if (need.wraps) {
    RECT calc{0, 0, r.right - r.left, 0};
    TWindowDC dc;
    TSelectObject selected(dc.Get(), need.font);
    DrawTextA(dc.Get(), need.text.c_str(), -1, &calc, DT_CALCRECT | DT_WORDBREAK | (need.align & DT_NOPREFIX));
    return {r.left, r.top, r.left + calc.right, r.top + calc.bottom};
  }
  const SIZE text = Extent(need.font, need.text);
  const int w = text.cx + need.extra;
  int x = r.left;
  if (need.align & DT_CENTER) x = (r.left + r.right - w) / 2;
  else if (need.align & DT_RIGHT) x = r.right - w;
  // Labels draw from their top; the system's controls centre their text.
  const int y = dynamic_cast<const TLabel*>(&c) ? r.top : (r.top + r.bottom - text.cy) / 2;
  return {x, y, x + w, y + text.cy};
}

std::string TypeName(const TControl& c) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(typeid(c).name(), nullptr, nullptr, &status),
                                                    &std::free);
  return status == 0 ? name.get() : typeid(c).name();
}

// Nothing when the needed rectangle shows whole, else what cuts it.
std::string WhatCuts(const TControl& c, const RECT& needed, const TWinControl& window) {
  RECT shown = OnScreen(c);
  for (const TWinControl* p = c.Parent(); p; p = p->Parent()) {
    const RECT client = ClientOnScreen(*p);
    IntersectRect(&shown, &shown, &client);
    if (p == &window) break;
  }
  RECT both{};
  IntersectRect(&both, &shown, &needed);
  if (!EqualRect(&both, &needed)) {
    return "needs " + std::to_string(needed.right - needed.left) + "x" + std::to_string(needed.bottom - needed.top) +
           " px, shows " + std::to_string(std::max(0L, shown.right - needed.left)) + "x" +
           std::to_string(std::max(0L, shown.bottom - needed.top));
  }
  for (const TControl* s : c.Parent()->Controls()) {
    auto* w = dynamic_cast<const TWinControl*>(s);
    if (s == &c || !w || dynamic_cast<const TGroupBox*>(s) || !Shown(*s, window)) continue;
    const RECT other = OnScreen(*s);
    if (IntersectRect(&both, &other, &needed)) return "covered by a " + TypeName(*s);
  }
  return {};
}

void Check(const TControl& c, const TWinControl& window, std::string& faults) {
  if (!Shown(c, window)) return;
  TNeed need;
  if (NeedOf(c, need) && !need.text.empty()) {
    const std::string cut = WhatCuts(c, NeededRect(c, need), window);
    if (!cut.empty()) {
      faults += "\n  " + TypeName(c) + " at " + std::to_string(c.Left()) + "," + std::to_string(c.Top()) + " \"" +
                need.text + "\": " + cut;
    }
  }
  if (auto* w = dynamic_cast<const TWinControl*>(&c))
    for (const TControl* child : w->Controls()) Check(*child, window, faults);
}

}  // namespace

testing::AssertionResult TextsFit(const TWinControl& window, const std::string& name) {
  std::string faults;
  for (const TControl* child : window.Controls()) Check(*child, window, faults);
  if (faults.empty()) return testing::AssertionSuccess();
  return testing::AssertionFailure() << name << ": texts that do not fit:" << faults;
}

void UseLanguage(const std::string& file) {
  Translator().ClearTranslations();
  if (!file.empty()) ASSERT_TRUE(Translator().LoadFromFile(BuildFolder() + "program\\" + file)) << file;
  Application().LanguageChanged();
  Pump(30);
}

void ExpectTextsFit(const TWinControl& window, const std::string& name) {
  EXPECT_TRUE(TextsFit(window, name + " in English"));
  UseLanguage("french.lng");
  EXPECT_TRUE(TextsFit(window, name + " in French"));
  std::string shot = name;
  std::replace_if(shot.begin(), shot.end(), [](char c) { return !isalnum(static_cast<unsigned char>(c)); }, '_');
  EXPECT_TRUE(SaveWindowShot(window.Handle(), TestProgramFolder() + "french_" + shot + ".bmp"));
  UseLanguage("");
}
