#include <gtest/gtest.h>

#include <string>

#include "framework/Forms.h"
#include "framework/Hints.h"
#include "support/MessagePump.h"

namespace {

std::string HintText() {
  HWND h = Hints().ShownHint();
  if (!h) return {};
  char text[256];
  GetWindowTextA(h, text, sizeof text);
  return text;
}

struct THintForm {
  TForm form;
  TPanel* panel;
  TPaintBox* box;
  TPaintBox* inherits;
  TPaintBox* refuses;
  TButton* silent;
  TButton* disabled;
  THintForm() {
    Hints().HintPause = 100;
    Hints().HintHidePause = 600;
    // Out of the way of other test programs' windows, which would take the pointer.
    form.SetBounds(850, 780, 400, 200);
    panel = new TPanel(&form);
    panel->SetBounds(0, 0, 200, 100);
    panel->Hint = "Panel hint|and its long text";
    panel->ShowHint = true;
    box = new TPaintBox(panel);  // windowless, inside the panel
    box->SetBounds(120, 10, 40, 40);
    box->Hint = "Box";
    box->ShowHint = true;
    inherits = new TPaintBox(panel);  // shows hints as its panel does
    inherits->SetBounds(10, 60, 40, 30);
    inherits->Hint = "Inherited";
    refuses = new TPaintBox(panel);
    refuses->SetBounds(60, 60, 40, 30);
    refuses->Hint = "never shown";
    refuses->ParentShowHint = false;
    silent = new TButton(&form, "silent");
    silent->SetBounds(210, 10, 80, 25);
    silent->Hint = "never shown";
    disabled = new TButton(&form, "off");
    disabled->SetBounds(210, 50, 80, 25);
    disabled->Hint = "disabled";
    disabled->ShowHint = true;
    disabled->SetEnabled(false);
    form.Show();
    Application().ProcessMessages();
    Hints().CancelHint();
  }
  ~THintForm() {
    Hints().HintPause = 500;
    Hints().HintHidePause = 2500;
  }
  // The pointer rests at a client point of the window.
  static POINT MoveTo(HWND hwnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    SetCursorPos(p.x, p.y);
    PostMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    return p;
  }
};

TEST(Hints, ShortHintOfTheControlUnderThePointer) {
  THintForm f;
  struct {
    HWND window;
    int x, y;
    const char* hint;  // "" for none
  } const cases[] = {
      {f.panel->Handle(), 20, 20, "Panel hint"},
      {f.panel->Handle(), 130, 20, "Box"},
      {f.panel->Handle(), 20, 70, "Inherited"},
      {f.panel->Handle(), 70, 70, ""},
      {f.silent->Handle(), 5, 5, ""},
      {f.form.Handle(), 250, 60, ""},  // the disabled button
      {f.form.Handle(), 300, 150, ""},
  };
  for (const auto& c : cases) {
    f.MoveTo(f.form.Handle(), 390, 190);  // away first
    PumpUntil([] { return !Hints().ShownHint(); }, 1000);
    const POINT at = f.MoveTo(c.window, c.x, c.y);
    const bool shown = PumpUntil([] { return Hints().ShownHint() != nullptr; }, *c.hint ? 3000 : 500);
    EXPECT_EQ(shown, *c.hint != 0) << c.hint;
    EXPECT_EQ(HintText(), c.hint);
    if (!shown) continue;
    RECT r;
    GetWindowRect(Hints().ShownHint(), &r);
    EXPECT_GT(r.top, at.y) << c.hint;  // below the pointer
  }
}

TEST(Hints, AClickEndsTheHintUntilThePointerMovesOn) {
  THintForm f;
  f.MoveTo(f.panel->Handle(), 20, 20);
  ASSERT_TRUE(PumpUntil([] { return Hints().ShownHint() != nullptr; }, 3000));
  PostMessageA(f.panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  PostMessageA(f.panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  EXPECT_TRUE(PumpUntil([] { return !Hints().ShownHint(); }, 1000));
  f.MoveTo(f.panel->Handle(), 25, 22);
  EXPECT_FALSE(PumpUntil([] { return Hints().ShownHint() != nullptr; }, 400));
  f.MoveTo(f.panel->Handle(), 130, 20);
  EXPECT_TRUE(PumpUntil([] { return Hints().ShownHint() != nullptr; }, 3000));
  EXPECT_EQ(HintText(), "Box");
}

TEST(Hints, HidesAfterAWhileAndNotAgainOverTheSameControl) {
  THintForm f;
  f.MoveTo(f.panel->Handle(), 20, 20);
  ASSERT_TRUE(PumpUntil([] { return Hints().ShownHint() != nullptr; }, 3000));
  EXPECT_TRUE(PumpUntil([] { return !Hints().ShownHint(); }, 3000));
  f.MoveTo(f.panel->Handle(), 22, 20);
  EXPECT_FALSE(PumpUntil([] { return Hints().ShownHint() != nullptr; }, 400));
}

TEST(Hints, AControlFreedWhileItsHintWaitsShowsNothing) {
  THintForm f;
  f.MoveTo(f.panel->Handle(), 130, 20);
  Application().ProcessMessages();
  delete f.box;
  EXPECT_FALSE(PumpUntil([] { return Hints().ShownHint() != nullptr; }, 400));
  f.MoveTo(f.panel->Handle(), 20, 20);
  EXPECT_TRUE(PumpUntil([] { return Hints().ShownHint() != nullptr; }, 3000));
  delete f.panel;  // the shown hint goes with its control
  EXPECT_EQ(Hints().ShownHint(), nullptr);
}

}  // namespace
