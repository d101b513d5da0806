#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/PylStringGrid.h"
#include "framework/Forms.h"

namespace {

struct TGridFixture {
  TForm form;
  TPylStringGrid* grid;
  TEdit* other;
  std::vector<std::string> events;
  int refuseRow = -1;
  TGridFixture() {
    form.SetClientSize(300, 200);
    grid = new TPylStringGrid(&form);
    grid->ColCount = 3;
    grid->ColWidths = {60, 60, 60};
    grid->RowCount = 10;
    grid->FixedRows = 1;
    grid->SetBounds(0, 0, 200, 18 * 5);  // the fixed row and four rows
    other = new TEdit(&form);
    other->SetTop(150);
    grid->OnSelectCell = [this](int c, int r, bool& can) {
      events.push_back("select " + std::to_string(c) + "," + std::to_string(r));
      can = r != refuseRow;
    };
    grid->OnKeyDown = [this](WORD& key, unsigned) { events.push_back("key " + std::to_string(key)); };
    form.Show();
    grid->MoveToCell(0, 1);
    events.clear();
  }
  void Key(WORD vk) { SendMessageA(grid->Handle(), WM_KEYDOWN, vk, 1); }
  std::string Cell() const { return std::to_string(grid->Col()) + "," + std::to_string(grid->Row()); }
};

TEST(PylStringGrid, ACursorMoveRepaintsOnlyTheTwoRowsThatChanged) {
  TForm form;
  form.SetClientSize(420, 820);
  auto* grid = new TPylStringGrid(&form);
  grid->ColCount = 5;
  grid->ColWidths = std::vector<int>(5, 80);
  grid->RowCount = 300;
  grid->FixedRows = 1;
  grid->DefaultRowHeight = 8;
  grid->SetBounds(0, 0, 400, 8 * 101);  // the fixed row and 100 rows
  std::vector<int> drawnRows;
  int selectedRow = -1;
  grid->OnDrawCell = [&](int, int row, const RECT&, unsigned state, TCanvas&) {
    drawnRows.push_back(row);
    if (state & gdSelected) selectedRow = row;
  };
  form.Show();
  grid->SetFocus();
  grid->MoveToCell(0, 40);
  UpdateWindow(grid->Handle());
  ASSERT_EQ(grid->VisibleRowCount(), 100);
  struct {
    const char* how;
    WORD key;  // 0: MoveToCell to row 70
    int wantRow;
  } const moves[] = {{"Down", VK_DOWN, 41}, {"Up", VK_UP, 40}, {"a jump", 0, 70}};
  for (const auto& m : moves) {
    drawnRows.clear();
    if (m.key)
      SendMessageA(grid->Handle(), WM_KEYDOWN, m.key, 1);
    else
      grid->MoveToCell(0, 70);
    UpdateWindow(grid->Handle());
    EXPECT_LE(drawnRows.size(), 10u) << m.how;
    EXPECT_EQ(selectedRow, m.wantRow) << m.how;
  }
}

TEST(PylStringGrid, KeysMoveThenFireKeyDown) {
  TGridFixture f;
  struct {
    WORD key;
    const char* wantCell;
    int wantTop;
    std::vector<std::string> wantEvents;
  } const steps[] = {
      {VK_DOWN, "0,2", 1, {"select 0,2", "key 40"}},
      {VK_RIGHT, "1,2", 1, {"select 1,2", "key 39"}},
      {VK_END, "2,2", 1, {"select 2,2", "key 35"}},
      {VK_NEXT, "2,6", 5, {"select 2,6", "key 34"}},
      {VK_NEXT, "2,9", 6, {"select 2,9", "key 34"}},
      {VK_DOWN, "2,9", 6, {"key 40"}},  // on the last row: stays, still reported
      {VK_PRIOR, "2,5", 2, {"select 2,5", "key 33"}},
      {VK_UP, "2,4", 2, {"select 2,4", "key 38"}},
      {VK_HOME, "0,4", 2, {"select 0,4", "key 36"}},
      {VK_LEFT, "0,4", 2, {"key 37"}},
  };
  for (const auto& s : steps) {
    f.events.clear();
    f.Key(s.key);
    EXPECT_EQ(f.Cell(), s.wantCell) << s.key;
    EXPECT_EQ(f.grid->TopRow(), s.wantTop) << s.key;
    EXPECT_EQ(f.events, s.wantEvents) << s.key;
  }
}

TEST(PylStringGrid, BeforeKeyDownLeavesTheMoveToTheHandler) {
  TGridFixture f;
  f.grid->BeforeKeyDown = true;
  f.Key(VK_DOWN);
  EXPECT_EQ(f.Cell(), "0,1");
  EXPECT_EQ(f.events, std::vector<std::string>{"key 40"});
}

TEST(PylStringGrid, RefusedSelectionKeepsTheCell) {
  TGridFixture f;
  f.refuseRow = 2;
  f.Key(VK_DOWN);
  EXPECT_EQ(f.Cell(), "0,1");
  EXPECT_EQ(f.events, (std::vector<std::string>{"select 0,2", "key 40"}));
}

TEST(PylStringGrid, RowSelectArrowsMoveRows) {
  TGridFixture f;
  f.grid->RowSelect = true;
  f.Key(VK_RIGHT);
  f.Key(VK_RIGHT);
  f.Key(VK_LEFT);
  EXPECT_EQ(f.Cell(), "0,2");
  f.Key(VK_END);
  EXPECT_EQ(f.Cell(), "0,9");
}

TEST(PylStringGrid, MouseSelectsAndFocusReportsTheOtherWindow) {
  TGridFixture f;
  std::vector<HWND> gained, lost;
  f.grid->OnSetFocus = [&](HWND w) { gained.push_back(w); };
  f.grid->OnKillFocus = [&](HWND w) { lost.push_back(w); };
  f.other->SetFocus();
  lost.clear();
  SendMessageA(f.grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(130, 18 * 3 + 5));
  SendMessageA(f.grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(130, 18 * 3 + 5));
  EXPECT_EQ(f.Cell(), "2,3");
  SendMessageA(f.grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));  // the fixed row
  EXPECT_EQ(f.Cell(), "2,3");
  f.other->SetFocus();
  ASSERT_EQ(gained.size(), 1u);
  EXPECT_EQ(gained[0], f.other->Handle());
  ASSERT_EQ(lost.size(), 1u);
  EXPECT_EQ(lost[0], f.other->Handle());
  // Without a shell menu, menu messages take the ordinary way.
  EXPECT_EQ(SendMessageA(f.grid->Handle(), WM_MENUCHAR, 'x', 0), 0);
}

// A grid with an editor on a dialog whose Enter and Esc buttons must stay untouched.
struct TEditFixture : TGridFixture {
  TButton* ok;
  TButton* cancel;
  std::vector<std::string> sets;
  TEditFixture() {
    ok = new TButton(&form, "OK");
    ok->SetBounds(210, 10, 75, 25);
    ok->SetDefault(true);
    ok->OnClick = [this] { sets.push_back("ok pressed"); };
    cancel = new TButton(&form, "Cancel");
    cancel->SetBounds(210, 40, 75, 25);
    cancel->Cancel = true;
    cancel->OnClick = [this] { sets.push_back("cancel pressed"); };
    grid->Editing = true;
    grid->OnGetEditText = [](int c, int r, std::string& text) {
      text = "cell " + std::to_string(c) + "," + std::to_string(r);
    };
    grid->OnSetEditText = [this](int c, int r, const std::string& text) {
      sets.push_back(std::to_string(c) + "," + std::to_string(r) + "=" + text);
    };
    grid->SetFocus();
  }
  // Through the application's loop, as the keyboard would.
  static void LoopKey(HWND target, WORD vk) {
    PostMessageA(target, WM_KEYDOWN, vk, 1);
    PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
    Application().ProcessMessages();
  }
  HWND Editor() const {
    HWND e = GetWindow(grid->Handle(), GW_CHILD);
    return e && IsWindowVisible(e) ? e : nullptr;
  }
  std::string EditorText() const {
    char text[256] = "";
    if (HWND e = Editor()) GetWindowTextA(e, text, sizeof text);
    return text;
  }
};

TEST(PylStringGrid, F2EditsTheCellOnlyWhenEditingIsOn) {
  TEditFixture f;
  f.grid->Editing = false;
  f.Key(VK_F2);
  EXPECT_EQ(f.Editor(), nullptr);
  EXPECT_EQ(f.events, std::vector<std::string>{"key 113"});
  f.grid->Editing = true;
  f.Key(VK_DOWN);
  f.Key(VK_F2);
  ASSERT_NE(f.Editor(), nullptr);
  if (GetActiveWindow() == f.form.Handle()) {
    EXPECT_EQ(GetFocus(), f.Editor());
  }
  EXPECT_EQ(f.EditorText(), "cell 0,2");
  RECT e, g;
  GetWindowRect(f.Editor(), &e);
  GetWindowRect(f.grid->Handle(), &g);
  EXPECT_EQ(e.top - g.top, 18 * 2 + 1);  // over row 2, below the fixed row and row 1
}

TEST(PylStringGrid, EditorEndsByEnterEscFocusOrMove) {
  enum class TEnd { Enter, Esc, FocusElsewhere, MoveCell };
  struct {
    TEnd end;
    std::vector<std::string> wantSets;
    bool gridFocused;
  } const cases[] = {
      {TEnd::Enter, {"0,1=typed"}, true},
      {TEnd::Esc, {}, true},
      {TEnd::FocusElsewhere, {"0,1=typed"}, false},
      {TEnd::MoveCell, {"0,1=typed"}, true},
  };
  for (const auto& c : cases) {
    TEditFixture f;
    f.Key(VK_F2);
    ASSERT_NE(f.Editor(), nullptr);
    SetWindowTextA(f.Editor(), "typed");
    // Another program on the display may take the activation, and with it
    // the focus; the focus checks hold only while the form stays active.
    const bool editorFocused = GetFocus() == f.Editor();
    if (c.end == TEnd::FocusElsewhere && !editorFocused) continue;
    switch (c.end) {
      case TEnd::Enter: f.LoopKey(f.Editor(), VK_RETURN); break;
      case TEnd::Esc: f.LoopKey(f.Editor(), VK_ESCAPE); break;
      case TEnd::FocusElsewhere: f.other->SetFocus(); break;
      case TEnd::MoveCell: f.grid->MoveToCell(1, 3); break;
    }
    Application().ProcessMessages();
    EXPECT_EQ(f.sets, c.wantSets) << static_cast<int>(c.end);
    EXPECT_EQ(f.Editor(), nullptr) << static_cast<int>(c.end);
    if (editorFocused && GetActiveWindow() == f.form.Handle()) {
      EXPECT_EQ(GetFocus() == f.grid->Handle(), c.gridFocused) << static_cast<int>(c.end);
    }
  }
}

TEST(PylStringGrid, AHiddenEditorPassesTheFocusToTheGrid) {
  TEditFixture f;
  f.Key(VK_F2);
  HWND editor = f.Editor();
  ASSERT_NE(editor, nullptr);
  f.grid->MoveToCell(1, 2);
  SetFocus(editor);
  EXPECT_FALSE(f.grid->EditorMode());
  if (GetActiveWindow() == f.form.Handle()) {
    EXPECT_EQ(GetFocus(), f.grid->Handle());
  }
}

TEST(PylStringGrid, TypingOnTheGridStartsTheEditorWithThatCharacter) {
  TEditFixture f;
  PostMessageA(f.grid->Handle(), WM_CHAR, 'x', 1);
  Application().ProcessMessages();
  ASSERT_NE(f.Editor(), nullptr);
  EXPECT_EQ(f.EditorText(), "x");
  PostMessageA(f.Editor(), WM_CHAR, 'y', 1);
  f.LoopKey(f.Editor(), VK_RETURN);
  EXPECT_EQ(f.sets, std::vector<std::string>{"0,1=xy"});
}

}  // namespace
