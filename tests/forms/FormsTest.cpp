#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/MessagePump.h"
#include "support/Screenshot.h"
#include "framework/Forms.h"
#include "framework/Hints.h"

namespace {

void Pump() {
  Application().ProcessMessages();
}

// Sends the key through the application loop, as the keyboard would.
void PostKey(HWND target, WORD vk) {
  PostMessageA(target, WM_KEYDOWN, vk, 1);
  PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
}

TEST(Forms, AlignmentFollowsKindThenCreationOrder) {
  TForm form;
  form.SetClientSize(300, 200);
  auto* top1 = new TPanel(&form);
  top1->SetHeight(20);
  top1->SetAlign(TAlign::Top);
  auto* client = new TPanel(&form);
  client->SetAlign(TAlign::Client);
  auto* top2 = new TPanel(&form);
  top2->SetHeight(30);
  top2->SetAlign(TAlign::Top);
  auto* left = new TPanel(&form);
  left->SetWidth(50);
  left->SetAlign(TAlign::Left);
  auto* bottom = new TPanel(&form);
  bottom->SetHeight(10);
  bottom->SetAlign(TAlign::Bottom);

  struct {
    TControl* c;
    RECT r;
  } const want[] = {{top1, {0, 0, 300, 20}},
                    {top2, {0, 20, 300, 50}},
                    {bottom, {0, 190, 300, 200}},
                    {left, {0, 50, 50, 190}},
                    {client, {50, 50, 300, 190}}};
  for (const auto& w : want) {
    RECT r = w.c->BoundsRect();
    EXPECT_TRUE(EqualRect(&r, &w.r)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  }
  top2->Hide();
  EXPECT_EQ(client->Top(), 20);
  form.SetClientSize(400, 200);
  EXPECT_EQ(client->Width(), 350);
}

TEST(Forms, ParentReflectsCommandsToTheControl) {
  TForm form;
  auto* panel = new TPanel(&form);
  auto* button = new TButton(panel, "Go");
  auto* check = new TCheckBox(panel, "Tick");
  check->SetTop(30);
  int clicks = 0, ticks = 0;
  button->OnClick = [&] { ++clicks; };
  check->OnClick = [&] { ++ticks; };
  form.Show();
  SendMessageA(button->Handle(), BM_CLICK, 0, 0);
  SendMessageA(check->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(ticks, 1);
  EXPECT_TRUE(check->Checked());

  // Colours asked of the parent: one brush per colour, whichever control asks.
  auto* edit = new TEdit(panel);
  edit->SetColor(RGB(255, 255, 0));
  check->SetColor(RGB(255, 255, 0));
  TWindowDC dc(edit->Handle());
  const auto brushOf = [&](UINT msg, TWinControl* c) {
    return SendMessageA(panel->Handle(), msg, reinterpret_cast<WPARAM>(dc.Get()), reinterpret_cast<LPARAM>(c->Handle()));
  };
  const LRESULT first = brushOf(WM_CTLCOLOREDIT, edit);
  EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(first)), DWORD(OBJ_BRUSH));
  EXPECT_EQ(brushOf(WM_CTLCOLOREDIT, edit), first);
  EXPECT_EQ(brushOf(WM_CTLCOLORSTATIC, check), first);
}

TEST(Forms, WindowedControlsAnswerGetText) {
  TForm form;
  form.SetCaption("Caption of form");
  auto* panel = new TPanel(&form);
  panel->SetCaption("Panel text");
  auto* edit = new TEdit(&form);
  edit->SetText("typed");
  char buf[64];
  const struct {
    HWND h;
    const char* text;
  } cases[] = {{form.Handle(), "Caption of form"}, {panel->Handle(), "Panel text"}, {edit->Handle(), "typed"}};
  for (const auto& c : cases) {
    SendMessageA(c.h, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    EXPECT_STREQ(buf, c.text);
  }
  EXPECT_EQ(panel->Caption(), "Panel text");
}

TEST(Forms, WindowlessChildGetsMouseAndPaint) {
  TForm form;
  form.SetClientSize(200, 100);
  auto* box = new TPaintBox(&form);
  box->SetBounds(20, 10, 40, 30);
  std::vector<std::string> events;
  box->OnMouseDown = [&](TMouseButton, unsigned, int x, int y) {
    events.push_back("down " + std::to_string(x) + "," + std::to_string(y));
  };
  box->OnMouseUp = [&](TMouseButton, unsigned, int x, int y) {
    events.push_back("up " + std::to_string(x) + "," + std::to_string(y));
  };
  int painted = 0;
  box->OnPaint = [&](TCanvas& c) {
    ++painted;
    c.SetBrushColor(RGB(255, 0, 0));
    c.FillRect({0, 0, 40, 30});
  };
  form.Show();
  UpdateWindow(form.Handle());
  EXPECT_GT(painted, 0);
  {
    TWindowDC dc(form.Handle());
    EXPECT_EQ(GetPixel(dc.Get(), 25, 15), RGB(255, 0, 0));
    EXPECT_NE(GetPixel(dc.Get(), 5, 5), RGB(255, 0, 0));
  }
  SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 15));
  SendMessageA(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(70, 50));  // captured: still the box's
  SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 80));
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0], "down 5,5");
  EXPECT_EQ(events[1], "up 50,40");
}

struct TModalCase {
  const char* name;
  WORD key;
  bool focusCancel;
  int want;
};

TEST(Forms, ModalRunEndsWithTheKeysResult) {
  static const TModalCase cases[] = {
      {"Enter presses the default button", VK_RETURN, false, mrOk},
      {"Esc presses the cancel button", VK_ESCAPE, false, mrCancel},
      {"Enter on a focused button presses it", VK_RETURN, true, mrCancel},
  };
  for (const auto& c : cases) {
    TForm form(nullptr, TFormBorder::Dialog);
    auto* edit = new TEdit(&form);
    auto* ok = new TButton(&form, "OK");
    ok->ModalResult = mrOk;
    ok->SetDefault(true);
    ok->SetTop(40);
    auto* cancel = new TButton(&form, "Cancel");
    cancel->ModalResult = mrCancel;
    cancel->Cancel = true;
    cancel->SetBounds(80, 40, 75, 25);
    form.ActiveControl = c.focusCancel ? static_cast<TWinControl*>(cancel) : edit;
    form.OnShow = [&] { PostKey(form.ActiveControl->Handle(), c.key); };
    EXPECT_EQ(form.ShowModal(), c.want) << c.name;
  }
}

TEST(Forms, ShortcutsPreviewAndDialogKeysEachTakeTheirKey) {
  TForm form(nullptr, TFormBorder::Dialog);
  auto* edit = new TEdit(&form);
  auto* ok = new TButton(&form, "OK");
  ok->ModalResult = mrOk;
  ok->SetDefault(true);
  TActionList actions;
  std::vector<std::string> order;
  TAction* enter = actions.Add("Run", ShortCut(VK_F5), [&] { order.push_back("action"); });
  TMainMenu menu;
  menu.Items.Add("File")->Add("Save", [&] { order.push_back("menu"); }, ShortCut(VK_F2));
  form.Menu = &menu;
  form.ActionLists.push_back(&actions);
  form.KeyPreview = true;
  form.OnKeyDown = [&](WORD& key, unsigned) {
    if (key == VK_F7) {
      order.push_back("preview");
      key = 0;
    }
  };
  edit->OnKeyDown = [&](WORD& key, unsigned) { order.push_back("edit " + std::to_string(key)); };
  form.ActiveControl = edit;
  form.OnShow = [&] {
    PostKey(edit->Handle(), VK_F5);
    PostKey(edit->Handle(), VK_F2);
    PostKey(edit->Handle(), VK_F7);
    PostKey(edit->Handle(), VK_F8);
    PostKey(edit->Handle(), VK_RETURN);
  };
  EXPECT_EQ(form.ShowModal(), mrOk);
  const std::vector<std::string> want = {"action", "menu", "preview", "edit 119"};
  EXPECT_EQ(order, want);
  enter->Enabled = false;
  EXPECT_FALSE(actions.IsShortCut(ShortCut(VK_F5)));
}

TEST(Forms, ComboAndEditReportFocusEnterAndExit) {
  TForm form;
  auto* combo = new TComboBox(&form);
  auto* edit = new TEdit(&form);
  edit->SetTop(40);
  std::vector<std::string> events;
  combo->OnEnter = [&] { events.push_back("combo enter"); };
  combo->OnExit = [&] { events.push_back("combo exit"); };
  edit->OnEnter = [&] { events.push_back("edit enter"); };
  form.ActiveControl = edit;
  form.Show();
  combo->SetFocus();
  edit->SetFocus();
  const std::vector<std::string> want = {"edit enter", "combo enter", "combo exit", "edit enter"};
  EXPECT_EQ(events, want);
}

TEST(Forms, DockedFormFillsItsPanel) {
  TForm host;
  host.SetClientSize(300, 200);
  auto* panel = new TPanel(&host);
  panel->SetBounds(10, 10, 120, 80);
  auto* docked = new TForm(panel, TFormBorder::None);
  docked->Show();
  EXPECT_EQ(GetParent(docked->Handle()), panel->Handle());
  EXPECT_EQ(docked->Width(), panel->ClientRect().right);
  panel->SetWidth(150);
  EXPECT_EQ(docked->Width(), 150);
}

TEST(Forms, TimerFiresAndStops) {
  auto pumpFor = [](DWORD ms, const std::function<bool()>& done) {
    for (DWORD start = GetTickCount(); !done() && GetTickCount() - start < ms;) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      Pump();
    }
  };
  TTimer timer;
  timer.Interval = 10;
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 3) timer.SetEnabled(false);
  };
  timer.SetEnabled(true);
  pumpFor(3000, [&] { return !timer.Enabled(); });
  // Ten more intervals: a stopped timer must stay silent.
  pumpFor(100, [] { return false; });
  EXPECT_EQ(ticks, 3);
  {
    TTimer gone;
    gone.Interval = 10;
    gone.OnTimer = [&] { ++ticks; };
    gone.SetEnabled(true);
  }
  pumpFor(100, [] { return false; });
  EXPECT_EQ(ticks, 3);  // a freed timer stops with its object
}

TEST(Forms, RunTimeMenuItemsDispatchTheirCommands) {
  TPopupMenu popup;
  int hit = -1;
  for (int i = 0; i < 3; ++i) popup.Items.Add("Item " + std::to_string(i), [&, i] { hit = i; });
  popup.Items.Delete(0);
  EXPECT_TRUE(TMenuItem::DispatchCommand(popup.Items.Item(1)->Command()));
  EXPECT_EQ(hit, 2);
  const UINT gone = popup.Items.Item(0)->Command();
  popup.Items.Clear();
  EXPECT_FALSE(TMenuItem::DispatchCommand(gone));
  EXPECT_EQ(ShortCutToText(ShortCut('S', scCtrl | scShift)), "Ctrl+Shift+S");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_F10)), "F10");
}

TEST(Forms, ScreenshotOfEveryControl) {
  TForm form(nullptr, TFormBorder::Dialog);
  form.SetCaption("Every control");
  form.SetClientSize(360, 260);
  auto* panel = new TPanel(&form);
  panel->SetBounds(8, 8, 160, 40);
  panel->SetCaption("Panel");
  (new TLabel(&form, "Label"))->SetBounds(180, 8, 60, 16);
  (new TButton(&form, "Button"))->SetBounds(180, 26, 75, 25);
  (new TCheckBox(&form, "Check box"))->SetBounds(8, 56, 100, 17);
  (new TRadioButton(&form, "Radio button"))->SetBounds(120, 56, 110, 17);
  (new TEdit(&form))->SetBounds(8, 80, 150, 21);
  auto* combo = new TComboBox(&form);
  combo->SetBounds(180, 80, 150, 21);
  combo->Items.Add("Combo item");
  combo->SetItemIndex(0);
  auto* list = new TListBox(&form);
  list->SetBounds(8, 110, 150, 60);
  list->Items.Add("List item 1");
  list->Items.Add("List item 2");
  auto* group = new TGroupBox(&form, "Group box");
  group->SetBounds(180, 110, 150, 60);
  (new TRadioButton(group, "Inside"))->SetBounds(10, 20, 100, 17);
  auto* paint = new TPaintBox(&form);
  paint->SetBounds(8, 180, 100, 40);
  paint->OnPaint = [](TCanvas& c) {
    c.SetBrushColor(RGB(0, 128, 255));
    c.FillRect({0, 0, 100, 40});
    c.TextOut(4, 12, "Paint box");
  };
  paint->Hint = "A hint|shown while the pointer rests here";
  paint->ShowHint = true;
  form.Show();
  UpdateWindow(form.Handle());
  Pump();
  // The pointer rests on the paint box, so that the shot shows its hint too.
  POINT at{50, 190};
  ClientToScreen(form.Handle(), &at);
  SetCursorPos(at.x, at.y);
  PostMessageA(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(50, 190));
  EXPECT_TRUE(PumpUntil([] { return Hints().ShownHint() != nullptr; }));
  Pump();
  EXPECT_TRUE(SaveWindowShot(form.Handle(), "forms_every_control.bmp", {{95, 183, RGB(0, 128, 255)}}));
  Hints().CancelHint();
}

}  // namespace
