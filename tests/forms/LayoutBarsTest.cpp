#include <gtest/gtest.h>

#include <string>

#include "framework/Forms.h"
#include "framework/ToolBars.h"

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
  EXPECT_EQ(Application().Title, "test_forms");
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
  // The window manager answers each change later; let it settle.
  auto settle = [] {
    for (int i = 0; i < 20; ++i) {
      Application().ProcessMessages();
      Sleep(10);
    }
  };
  form.Show();
  settle();
  for (int cmd : {SW_MINIMIZE, SW_MINIMIZE, SW_RESTORE, SW_RESTORE}) {
    ShowWindow(form.Handle(), cmd);
    settle();
  }
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

TEST(MenuToolBar, ButtonsFollowTheMenuAndDropTheirSubmenu) {
  TForm form;
  form.SetClientSize(400, 100);
  TMainMenu menu;
  std::string ran;
  TMenuItem* files = menu.Items.Add("&Files");
  files->Add("First", [&] { ran += "first "; });
  files->Add("Second", [&] { ran += "second "; });
  menu.Items.Add("Hidden")->Visible = false;
  TMenuItem* view = menu.Items.Add("&View");
  view->Add("Only", [&] { ran += "view "; });
  auto* bar = new TMenuToolBar(&form);
  bar->SetMenu(&menu.Items);
  ASSERT_EQ(bar->Buttons().size(), 2u);
  const int h = ScreenTextExtent(bar->Font(), "Tg").cy * 3 / 2;
  const int w0 = ScreenTextExtent(bar->Font(), "&Files").cx;
  const int w1 = ScreenTextExtent(bar->Font(), "&View").cx;
  EXPECT_EQ(bar->Buttons()[0]->Caption(), "&Files");
  EXPECT_EQ(bar->Buttons()[1]->Left(), w0);
  EXPECT_EQ(bar->Buttons()[1]->Width(), w1);
  EXPECT_EQ(bar->Buttons()[1]->Height(), h);
  EXPECT_EQ(bar->Width(), w0 + w1 + 5);
  form.Show();
  SetForegroundWindow(form.Handle());
  // The menu's own loop takes these keys: the second item, then the only one.
  PostMessageA(bar->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(bar->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(bar->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  bar->DropDown(0);
  EXPECT_EQ(bar->DroppedIndex(), -1);
  PostMessageA(bar->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(bar->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(bar->DropDownByAccel('v'));
  EXPECT_FALSE(bar->DropDownByAccel('x'));
  Application().ProcessMessages();
  EXPECT_EQ(ran, "second view ");
  // New captions reach the buttons when the menu is bound again.
  view->Caption = "&Look";
  bar->SetMenu(&menu.Items);
  EXPECT_EQ(bar->Buttons()[1]->Caption(), "&Look");
  form.Hide();
}

TEST(ControlBar, BandsInRowsOnePixelApart) {
  TForm form;
  form.SetClientSize(300, 200);
  auto* bar = new TControlBar(&form);
  bar->SetAlign(TAlign::Top);
  auto* a = new TPanel(bar);
  a->SetBounds(0, 0, 120, 22);
  auto* b = new TPanel(bar);
  b->SetBounds(0, 0, 100, 26);
  auto* c = new TPanel(bar);
  c->SetBounds(0, 0, 100, 24);
  bar->SetFillsRow(c);
  bar->ArrangeBands();
  EXPECT_EQ(b->Left(), 121);
  EXPECT_EQ(c->Left(), 0);
  EXPECT_EQ(c->Top(), 27);
  EXPECT_EQ(c->Width(), 300);
  EXPECT_EQ(bar->Height(), 27 + 24);
  b->Hide();
  bar->ArrangeBands();
  EXPECT_EQ(c->Left(), 121);
  EXPECT_EQ(c->Width(), 300 - 121);
  EXPECT_EQ(bar->Height(), 24);
}

}  // namespace
