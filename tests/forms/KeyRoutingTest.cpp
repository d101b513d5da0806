#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Forms.h"
#include "support/MessagePump.h"

namespace {

// A key as the keyboard gives it, to whatever window has the focus.
void Press(WORD vk, bool ctrl = false) {
  std::vector<INPUT> in;
  auto key = [&](WORD k, bool up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = k;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  };
  if (ctrl) key(VK_CONTROL, false);
  key(vk, false);
  key(vk, true);
  if (ctrl) key(VK_CONTROL, true);
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// A main form with an edit, a default button and a Ctrl+A action, and a tool
// form docked in its panel with its own F5 action, key preview, default
// button, edit and drop-down combo.
struct TDesk {
  TForm main;
  TEdit* edit;
  TButton* hostOk;
  TPanel* panel;
  TForm* tool;
  TEdit* toolEdit;
  TButton* toolOk;
  TComboBox* combo;
  TActionList mainActions, toolActions;
  std::vector<std::string> log;

  TDesk() {
    main.SetBounds(200, 150, 480, 320);
    edit = new TEdit(&main);
    edit->SetBounds(8, 8, 200, 21);
    hostOk = new TButton(&main, "Host");
    hostOk->SetBounds(220, 8, 75, 25);
    hostOk->SetDefault(true);
    hostOk->OnClick = [this] { log.push_back("host default"); };
    mainActions.Add("All", ShortCut('A', scCtrl), [this] { log.push_back("host Ctrl+A"); });
    main.ActionLists.push_back(&mainActions);
    panel = new TPanel(&main);
    panel->SetBounds(0, 60, 480, 200);
    tool = new TForm(panel, TFormBorder::None);
    tool->KeyPreview = true;
    tool->OnKeyDown = [this](WORD& key, unsigned) {
      if (key == VK_F9) log.push_back("tool preview");
    };
    toolActions.Add("Run", ShortCut(VK_F5), [this] { log.push_back("tool F5"); });
    tool->ActionLists.push_back(&toolActions);
    toolEdit = new TEdit(tool);
    toolEdit->SetBounds(8, 8, 200, 21);
    toolOk = new TButton(tool, "Tool");
    toolOk->SetBounds(220, 8, 75, 25);
    toolOk->SetDefault(true);
    toolOk->OnClick = [this] { log.push_back("tool default"); };
    combo = new TComboBox(tool);
    combo->SetBounds(8, 40, 200, 21);
    combo->OnKeyDown = [this](WORD& key, unsigned) {
      if (key == VK_RETURN || key == VK_ESCAPE) {
        log.push_back(key == VK_RETURN ? "combo Enter" : "combo Esc");
        key = 0;
      }
    };
    main.Show();
    tool->Show();
    SetForegroundWindow(main.Handle());
    edit->SetText("some text");
    edit->SetFocus();
    PumpUntil([this] { return GetActiveWindow() == main.Handle(); }, 2000);
  }

  // Presses the key in the control and pumps until the log grows.
  std::vector<std::string> Keys(TWinControl* where, WORD vk, bool ctrl = false) {
    log.clear();
    where->SetFocus();
    Press(vk, ctrl);
    PumpUntil([this] { return !log.empty(); }, 500);
    return log;
  }
};

using TLog = std::vector<std::string>;

TEST(KeyRouting, AModalDialogGivesActivationAndFocusBack) {
  TDesk desk;
  for (WORD key : {VK_RETURN, VK_ESCAPE}) {
    TForm dialog(nullptr, TFormBorder::Dialog);
    dialog.SetBounds(300, 250, 240, 120);
    auto* ok = new TButton(&dialog, "OK");
    ok->ModalResult = mrOk;
    ok->SetDefault(true);
    auto* cancel = new TButton(&dialog, "Cancel");
    cancel->SetLeft(90);
    cancel->ModalResult = mrCancel;
    cancel->Cancel = true;
    TTimer press;
    press.Interval = 200;
    press.OnTimer = [&] {
      press.SetEnabled(false);
      Press(key);
    };
    press.SetEnabled(true);
    EXPECT_EQ(dialog.ShowModal(), key == VK_RETURN ? mrOk : mrCancel);
    PumpUntil([&] { return GetFocus() == desk.edit->Handle(); }, 1000);
    EXPECT_EQ(GetActiveWindow(), desk.main.Handle()) << key;
    EXPECT_EQ(GetFocus(), desk.edit->Handle()) << key;
  }
}

// A message box, and another program's window that comes to the front and
// is left again, give the focus back to the control that had it: here the
// inner edit of a combo box on a docked form.
TEST(KeyRouting, FocusComesBackAfterAMessageBoxAndAnotherProgram) {
  TDesk desk;
  desk.combo->SetFocus();
  const HWND inner = GetFocus();
  ASSERT_TRUE(IsChild(desk.combo->Handle(), inner));
  TTimer press;
  press.Interval = 200;
  press.OnTimer = [&] {
    press.SetEnabled(false);
    Press(VK_RETURN);
  };
  press.SetEnabled(true);
  MessageBoxA(desk.main.Handle(), "Text", "Box", MB_OKCANCEL);
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == inner; }, 1000));
  ASSERT_GT(WinExec("notepad.exe", SW_SHOWNORMAL), 31u);
  EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == nullptr; }, 10000));
  const HWND other = GetForegroundWindow();
  SetForegroundWindow(desk.main.Handle());  // as Alt+Tab does
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == inner; }, 2000));
  PostMessageA(other, WM_CLOSE, 0, 0);
}

TEST(KeyRouting, KeysGoToTheFocusedControlThenTheFormsFromTheInnermost) {
  TDesk desk;
  EXPECT_EQ(desk.Keys(desk.toolEdit, VK_F5), TLog{"tool F5"});
  EXPECT_EQ(desk.Keys(desk.toolEdit, VK_F9), TLog{"tool preview"});
  EXPECT_EQ(desk.Keys(desk.toolEdit, VK_RETURN), TLog{"tool default"});
  EXPECT_EQ(desk.Keys(desk.edit, VK_RETURN), TLog{"host default"});
  EXPECT_EQ(desk.Keys(desk.combo, VK_RETURN), TLog{"combo Enter"});
  EXPECT_EQ(desk.Keys(desk.combo, VK_ESCAPE), TLog{"combo Esc"});
  EXPECT_EQ(desk.Keys(desk.edit, 'A', true), TLog{});
  DWORD from = 1, to = 0;
  SendMessageA(desk.edit->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, desk.edit->Text().size());
  // Away from the edit the form's own Ctrl+A still works.
  EXPECT_EQ(desk.Keys(desk.hostOk, 'A', true), TLog{"host Ctrl+A"});
}

}  // namespace
