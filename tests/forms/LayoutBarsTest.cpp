#include <gtest/gtest.h>

#include <string>

#include "framework/Forms.h"

namespace {

// Limits hold for a plain bounds change and for every kind of alignment, and
// the next aligned child starts where a limited one really ends.
TEST(Constraints, BoundsAndAlignmentKeepTheLimits) {
  TForm form;
  form.SetClientSize(600, 400);
  auto* top = new TPanel(&form);
  top->SetAlign(TAlign::Top);
  top->SetConstraints({0, 30, 0, 0});
  top->SetHeight(5);
  auto* left = new TPanel(&form);
  left->SetWidth(500);
  left->SetConstraints({0, 0, 200, 0});
  left->SetAlign(TAlign::Left);
  auto* rest = new TPanel(&form);
  rest->SetConstraints({0, 0, 0, 300});
  rest->SetAlign(TAlign::Client);
  EXPECT_EQ(top->Height(), 30);
  EXPECT_EQ(left->Width(), 200);
  EXPECT_EQ(left->Height(), 370);
  EXPECT_EQ(rest->Left(), 200);
  EXPECT_EQ(rest->Width(), 400);
  EXPECT_EQ(rest->Height(), 300);
  left->SetConstraints({});
  left->SetWidth(450);
  EXPECT_EQ(left->Width(), 450);
  EXPECT_EQ(rest->Left(), 450);
}

// With the layout held, new widths stay as set; one alignment follows the hold.
TEST(Constraints, HeldAlignmentRunsOnceAtTheEnd) {
  TForm form;
  form.SetClientSize(600, 400);
  auto* left = new TPanel(&form);
  left->SetAlign(TAlign::Left);
  auto* rest = new TPanel(&form);
  rest->SetAlign(TAlign::Client);
  form.DisableAlign();
  left->SetWidth(100);
  EXPECT_EQ(rest->Left(), 185);
  form.DisableAlign();
  left->SetWidth(120);
  form.EnableAlign();
  EXPECT_EQ(rest->Left(), 185);
  form.EnableAlign();
  EXPECT_EQ(rest->Left(), 120);
  EXPECT_EQ(rest->Width(), 480);
}

TEST(ApplicationWindow, HiddenTopLevelAndOneEventPerSwitch) {
  HWND app = Application().Handle();
  ASSERT_TRUE(IsWindow(app));
  EXPECT_FALSE(IsWindowVisible(app));
  EXPECT_EQ(GetParent(app), nullptr);
  TForm a, b;
  int on = 0, off = 0;
  Application().OnActivate = [&] { ++on; };
  Application().OnDeactivate = [&] { ++off; };
  // Every window of the program hears of one switch.
  for (HWND w : {a.Handle(), b.Handle(), app}) SendMessageA(w, WM_ACTIVATEAPP, FALSE, 0);
  for (HWND w : {a.Handle(), b.Handle(), app}) SendMessageA(w, WM_ACTIVATEAPP, TRUE, 0);
  for (HWND w : {b.Handle(), a.Handle()}) SendMessageA(w, WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_EQ(on, 1);
  EXPECT_GE(off, 1);
  EXPECT_LE(off, 2);  // 2 when the program was active at the start
  Application().OnActivate = nullptr;
  Application().OnDeactivate = nullptr;
}

TEST(ApplicationWindow, MainFormMinimiseAndRestore) {
  TForm form;
  form.SetBounds(100, 100, 300, 200);
  Application().MainForm = &form;
  std::string log;
  Application().OnMinimize = [&] { log += "min "; };
  Application().OnRestore = [&] { log += "restore "; };
  form.Show();
  ShowWindow(form.Handle(), SW_MINIMIZE);
  ShowWindow(form.Handle(), SW_MINIMIZE);
  ShowWindow(form.Handle(), SW_RESTORE);
  ShowWindow(form.Handle(), SW_RESTORE);
  Application().ProcessMessages();
  EXPECT_EQ(log, "min restore ");
  Application().OnMinimize = nullptr;
  Application().OnRestore = nullptr;
  Application().MainForm = nullptr;
  form.Hide();
}

// A menu item with nothing to run must not take a key the focused control needs.
TEST(MenuShortCuts, OnlyItemsThatRunTakeTheirKey) {
  TMenuItem root;
  TMenuItem* sub = root.Add("&Mark");
  int runs = 0;
  sub->Add("Invert", nullptr, ShortCut(VK_MULTIPLY));
  sub->Add("All", [&] { ++runs; }, ShortCut('A', scCtrl));
  TAction idle;
  sub->Add("Later")->Action = &idle;
  idle.ShortCut = ShortCut(VK_F1);
  EXPECT_FALSE(root.IsShortCut(ShortCut(VK_MULTIPLY)));
  EXPECT_FALSE(root.IsShortCut(ShortCut(VK_F1)));
  EXPECT_TRUE(root.IsShortCut(ShortCut('A', scCtrl)));
  EXPECT_EQ(runs, 1);
}

}  // namespace
