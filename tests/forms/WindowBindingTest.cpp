#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Forms.h"
#include "framework/Hints.h"
#include "support/MessagePump.h"

namespace {

LRESULT CALLBACK PassOn(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  return DefSubclassProc(hwnd, msg, wp, lp);
}

TEST(WindowBinding, AForeignSubclassLeavesTheEditFoundAndItsEventsFiring) {
  TForm form;
  auto* edit = new TEdit(&form);
  int changes = 0;
  edit->OnChange = [&] { ++changes; };
  ASSERT_TRUE(SetWindowSubclass(edit->Handle(), &PassOn, 1, 0));
  SetWindowTextA(edit->Handle(), "typed");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(TWinControl::FromHandle(edit->Handle()), edit);
  RemoveWindowSubclass(edit->Handle(), &PassOn, 1);
}

// What the object could be found as when a message had been handled.
struct TSeen {
  UINT msg;
  HWND hwnd;
  TWinControl* object;
};
std::vector<TSeen>* seen = nullptr;

LRESULT CALLBACK AfterEachMessage(int code, WPARAM wp, LPARAM lp) {
  auto* m = reinterpret_cast<CWPRETSTRUCT*>(lp);
  if (code == HC_ACTION && seen &&
      (m->message == WM_CREATE || m->message == WM_SIZE || m->message == WM_DESTROY))
    seen->push_back({m->message, m->hwnd, TWinControl::FromHandle(m->hwnd)});
  return CallNextHookEx(nullptr, code, wp, lp);
}

TEST(WindowBinding, AFormIsBoundFromItsCreationToItsDestruction) {
  std::vector<TSeen> record;
  seen = &record;
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, &AfterEachMessage, nullptr, GetCurrentThreadId());
  ASSERT_TRUE(hook);
  auto* form = new TForm;
  const HWND hwnd = form->Handle();
  const TWinControl* object = form;
  form->Show();  // a window made hidden gets its first WM_SIZE here
  delete form;
  UnhookWindowsHookEx(hook);
  seen = nullptr;
  std::vector<UINT> handled;
  for (const TSeen& s : record)
    if (s.hwnd == hwnd && s.object == object && (handled.empty() || handled.back() != s.msg)) handled.push_back(s.msg);
  const std::vector<UINT> want = {WM_CREATE, WM_SIZE, WM_DESTROY};
  EXPECT_EQ(handled, want);
}

TEST(WindowBinding, ChildrenKeepTheirWindowsOnCloseAndEscInAMemo) {
  TForm host;
  auto* panel = new TPanel(&host);
  panel->SetBounds(0, 0, 300, 200);
  auto* docked = new TForm(panel, TFormBorder::None);
  auto* memo = new TEdit(docked, ES_MULTILINE);
  auto* panelMemo = new TEdit(panel, ES_MULTILINE);
  panelMemo->SetTop(150);
  host.Show();
  docked->Show();
  for (TEdit* m : {memo, panelMemo}) {
    // As a dialog's navigation asks; from then on the system's memo answers
    // Esc with WM_CLOSE to its parent.
    MSG probe{m->Handle(), WM_KEYDOWN, VK_ESCAPE, 1, 0, {}};
    SendMessageA(m->Handle(), WM_GETDLGCODE, VK_ESCAPE, reinterpret_cast<LPARAM>(&probe));
    m->SetFocus();
    PostMessageA(m->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(m->Handle(), WM_KEYUP, VK_ESCAPE, 0xC0000001);
    Application().ProcessMessages();
  }
  EXPECT_TRUE(IsWindowVisible(docked->Handle()));
  EXPECT_TRUE(IsWindow(panel->Handle()));
  SendMessageA(panel->Handle(), WM_CLOSE, 0, 0);
  SendMessageA(memo->Handle(), WM_CLOSE, 0, 0);
  SendMessageA(docked->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(panel->Handle()));
  EXPECT_TRUE(IsWindow(memo->Handle()));
  EXPECT_TRUE(docked->Visible());
}

TEST(WindowBinding, ExceptionsOfCallbacksReachTheApplicationOnceEach) {
  std::vector<std::string> caught;
  Application().OnException = [&](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const std::exception& x) {
      caught.push_back(x.what());
    }
  };
  TForm form;
  form.SetBounds(850, 780, 300, 120);
  auto* button = new TButton(&form, "throw");
  button->OnClick = [] { throw std::runtime_error("click"); };
  button->Hint = "hint";
  button->ShowHint = true;
  form.Show();
  Application().ProcessMessages();

  SendMessageA(button->Handle(), BM_CLICK, 0, 0);

  TTimer timer;
  timer.Interval = 10;
  timer.OnTimer = [&] {
    timer.SetEnabled(false);
    throw std::runtime_error("timer");
  };
  timer.SetEnabled(true);
  PumpUntil([&] { return caught.size() == 2; }, 2000);

  const UINT pause = Hints().HintPause;
  Hints().HintPause = 50;
  Hints().OnShowHint = [](std::string&, const TControl&) { throw std::runtime_error("hint"); };
  PostMessageA(button->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  PumpUntil([&] { return caught.size() == 3; }, 2000);
  PumpUntil([] { return false; }, 200);  // nothing more comes
  Hints().OnShowHint = nullptr;
  Hints().HintPause = pause;

  TAction action;
  button->SetAction(&action);
  action.OnUpdate = [](TAction&) { throw std::runtime_error("update"); };
  Application().Idle();
  button->SetAction(nullptr);
  Application().OnException = nullptr;

  const std::vector<std::string> want = {"click", "timer", "hint", "update"};
  EXPECT_EQ(caught, want);
}

}  // namespace
