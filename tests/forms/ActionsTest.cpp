#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Forms.h"

namespace {

std::string WindowText(HWND h) {
  char text[256] = "";
  GetWindowTextA(h, text, sizeof text);
  return text;
}

struct TActionForm {
  TForm form;
  TActionList actions;
  TAction* run;
  TButton* button;
  TMainMenu menu;
  TMenuItem* item;
  bool allowed = true;
  std::vector<std::string> runs;
  TActionForm() {
    run = actions.Add("&Run", ShortCut(VK_F9), [this] { runs.push_back("run"); });
    run->Hint = "Runs it";
    run->OnUpdate = [this](TAction& a) { a.Enabled = allowed; };
    form.ActionLists.push_back(&actions);
    button = new TButton(&form);
    button->SetAction(run);
    item = menu.Items.Add("File")->Add("");
    item->Action = run;
    form.Menu = &menu;
  }
};

TEST(Actions, ButtonsMenusAndKeysShareOneAction) {
  TActionForm f;
  EXPECT_EQ(WindowText(f.button->Handle()), "&Run");
  EXPECT_EQ(f.button->Hint, "Runs it");
  SendMessageA(f.button->Handle(), BM_CLICK, 0, 0);
  TMenuItem::DispatchCommand(f.item->Command());
  EXPECT_TRUE(f.form.IsShortCut(ShortCut(VK_F9)));
  EXPECT_EQ(f.runs, (std::vector<std::string>{"run", "run", "run"}));

  // A disabled action runs from nowhere, and its button is greyed.
  f.form.Show();
  f.allowed = false;
  Application().Idle();
  EXPECT_FALSE(IsWindowEnabled(f.button->Handle()));
  f.button->Click();
  TMenuItem::DispatchCommand(f.item->Command());
  EXPECT_FALSE(f.form.IsShortCut(ShortCut(VK_F9)));
  EXPECT_EQ(f.runs.size(), 3u);
}

TEST(Actions, AMenuItemShowsItsActionsStateWhenItsPopupOpens) {
  TActionForm f;
  f.form.Show();
  HMENU file = GetSubMenu(GetMenu(f.form.Handle()), 0);
  ASSERT_TRUE(file);
  struct {
    bool allowed, checked;
    const char* caption;
  } const states[] = {{false, true, "&Stop"}, {true, false, "&Run"}};
  // The opening menu's own handler comes first: it may set what the items show.
  bool nextAllowed = false;
  f.menu.Items.Item(0)->OnPopup = [&] { f.allowed = nextAllowed; };
  for (const auto& c : states) {
    nextAllowed = c.allowed;
    f.allowed = !c.allowed;
    f.run->Checked = c.checked;
    f.run->Caption = c.caption;
    SendMessageA(f.form.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    char text[64] = "";
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STATE | MIIM_STRING | MIIM_ID;
    mi.dwTypeData = text;
    mi.cch = sizeof text;
    ASSERT_TRUE(GetMenuItemInfoA(file, 0, TRUE, &mi));
    EXPECT_EQ(mi.wID, f.item->Command());
    EXPECT_EQ((mi.fState & MFS_GRAYED) != 0, !c.allowed) << c.caption;
    EXPECT_EQ((mi.fState & MFS_CHECKED) != 0, c.checked) << c.caption;
    EXPECT_EQ(std::string(text), std::string(c.caption) + "\tF9");
  }
}

TEST(Actions, CheckBoxesShowTheCheckedStateWithoutRunningIt) {
  TActionForm f;
  auto* check = new TCheckBox(&f.form);
  check->SetAction(f.run);
  for (bool checked : {true, false, true}) {
    f.run->Checked = checked;
    check->UpdateFromAction();
    EXPECT_EQ(check->Checked(), checked);
  }
  EXPECT_TRUE(f.runs.empty());
}

TEST(Actions, OwnClickHandlerComesBeforeTheAction) {
  TActionForm f;
  f.button->OnClick = [&] { f.runs.push_back("own"); };
  SendMessageA(f.button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(f.runs, std::vector<std::string>{"own"});
}

TEST(Actions, TheLoopUpdatesLinkedControlsWhenIdle) {
  TActionForm f;
  f.allowed = false;
  f.button->UpdateFromAction();
  ASSERT_FALSE(f.button->Enabled());
  f.allowed = true;
  f.run->Caption = "Run &again";
  bool enabledSeen = false;
  int ticks = 0;
  TTimer timer;
  timer.Interval = 30;
  // A timer message comes only with an empty queue, but a due one may come
  // before the loop found the queue empty; the next one comes after.
  timer.OnTimer = [&] {
    enabledSeen = f.button->Enabled() && IsWindowEnabled(f.button->Handle());
    if (enabledSeen || ++ticks == 20) f.form.SetModalResult(mrOk);
  };
  timer.SetEnabled(true);
  f.form.ShowModal();
  EXPECT_TRUE(enabledSeen);
  EXPECT_EQ(WindowText(f.button->Handle()), "Run &again");
}

// Ctrl and Alt held do not change the character a key gives; Shift does.
TEST(Keys, KeyCharactersIgnoreCtrlAndAlt) {
  BYTE saved[256];
  GetKeyboardState(saved);
  const struct {
    std::vector<int> down;
    WORD key;
    const char* expected;
  } cases[] = {
      {{}, 'R', "r"},
      {{VK_CONTROL, VK_MENU}, 'R', "r"},
      {{VK_SHIFT, VK_MENU}, 'R', "R"},
      {{}, '5', "5"},
      {{}, VK_F5, ""},
  };
  for (const auto& c : cases) {
    BYTE keys[256] = {};
    for (int k : c.down) keys[k] = 0x80;
    SetKeyboardState(keys);
    EXPECT_EQ(KeyCharacters(c.key), c.expected) << c.key;
  }
  SetKeyboardState(saved);
}

}  // namespace
