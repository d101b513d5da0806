#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <string>
#include <vector>

#include "controls/PylStringGrid.h"
#include "framework/Forms.h"
#include "support/MessagePump.h"

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

TEST(PylStringGrid, EnterAndEscAreTheGridsAndTabMovesOn) {
  TEditFixture f;
  f.events.clear();
  f.LoopKey(f.grid->Handle(), VK_RETURN);
  f.LoopKey(f.grid->Handle(), VK_ESCAPE);
  EXPECT_EQ(f.events, (std::vector<std::string>{"key 13", "key 27"}));
  EXPECT_TRUE(f.sets.empty()) << "no button of the form was pressed";
  // Only an active form moves the focus.
  SetForegroundWindow(f.form.Handle());
  ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == f.form.Handle(); }, 2000));
  f.grid->SetFocus();
  ASSERT_EQ(GetFocus(), f.grid->Handle());
  f.LoopKey(f.grid->Handle(), VK_TAB);
  EXPECT_NE(GetFocus(), f.grid->Handle());
}

// Twenty columns of 50 on a client 275 wide (five whole, a part of the
// sixth) under a fixed row and seven rows; both scroll bars.
struct TWideGridFixture {
  TForm form;
  TPylStringGrid* grid;
  int reports = 0;
  TWideGridFixture() {
    form.SetClientSize(500, 400);
    grid = new TPylStringGrid(&form);
    grid->ColCount = 20;
    grid->ColWidths.assign(20, 50);
    grid->RowCount = 40;
    grid->FixedRows = 1;
    grid->SetScrollBars(ssBoth);
    grid->SetBounds(0, 0, 275 + GetSystemMetrics(SM_CXVSCROLL), 18 * 8 + GetSystemMetrics(SM_CYHSCROLL));
    grid->OnTopLeftChanged = [this] { ++reports; };
    form.Show();
    grid->MoveToCell(0, 1);
    reports = 0;
  }
  std::string Place() const {
    return std::to_string(grid->LeftCol()) + "/" + std::to_string(grid->TopRow()) + " at " +
           std::to_string(grid->Col()) + "," + std::to_string(grid->Row());
  }
};

TEST(PylStringGrid, KeysAndBarsScrollBothWaysAndReportIt) {
  TWideGridFixture f;
  ASSERT_EQ(f.grid->ClientRect().right, 275);
  EXPECT_EQ(f.grid->VisibleColCount(), 5);
  auto key = [&](WORD vk) { SendMessageA(f.grid->Handle(), WM_KEYDOWN, vk, 1); };
  auto bar = [&](UINT msg, WORD code) { SendMessageA(f.grid->Handle(), msg, code, 0); };
  struct {
    std::function<void()> act;
    const char* want;  // left/top at col,row
    int reports;
  } const steps[] = {
      {[&] { key(VK_END); }, "15/1 at 19,1", 1},
      {[&] { key(VK_HOME); }, "0/1 at 0,1", 2},
      {[&] { for (int i = 0; i < 4; ++i) key(VK_RIGHT); }, "0/1 at 4,1", 2},  // still whole on the screen
      {[&] { key(VK_RIGHT); }, "1/1 at 5,1", 3},
      {[&] { bar(WM_HSCROLL, SB_LINERIGHT); }, "2/1 at 5,1", 4},
      {[&] { bar(WM_HSCROLL, SB_PAGERIGHT); }, "7/1 at 5,1", 5},
      {[&] { bar(WM_HSCROLL, SB_RIGHT); }, "15/1 at 5,1", 6},
      {[&] { bar(WM_HSCROLL, SB_LINERIGHT); }, "15/1 at 5,1", 6},  // the last columns fill the grid
      {[&] { bar(WM_HSCROLL, SB_PAGELEFT); }, "10/1 at 5,1", 7},
      {[&] { bar(WM_VSCROLL, SB_LINEDOWN); }, "10/2 at 5,1", 8},
      {[&] { bar(WM_VSCROLL, SB_PAGEDOWN); }, "10/9 at 5,1", 9},
      {[&] { key(VK_LEFT); }, "4/1 at 4,1", 10},  // both ways back to the cursor
      {[&] { bar(WM_HSCROLL, SB_LEFT); }, "0/1 at 4,1", 11},
  };
  for (const auto& s : steps) {
    s.act();
    EXPECT_EQ(f.Place(), s.want);
    EXPECT_EQ(f.reports, s.reports) << s.want;
  }
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  f.grid->SetLeftCol(7);
  GetScrollInfo(f.grid->Handle(), SB_HORZ, &si);
  EXPECT_EQ(si.nMax, 19);
  EXPECT_EQ(si.nPage, 5u);
  EXPECT_EQ(si.nPos, 7);
}

TEST(PylStringGrid, ThumbDragMovesTheLeftColumn) {
  TWideGridFixture f;
  UpdateWindow(f.form.Handle());
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetScrollBarInfo(f.grid->Handle(), OBJID_HSCROLL, &info));
  const int y = (info.rcScrollBar.top + info.rcScrollBar.bottom) / 2;
  const int thumb = info.rcScrollBar.left + (info.xyThumbTop + info.xyThumbBottom) / 2;
  const int track = info.rcScrollBar.right - info.rcScrollBar.left - 2 * (info.rcScrollBar.bottom - info.rcScrollBar.top);
  // The bar tracks the drag in a loop of its own, so the hand is another
  // thread; it goes on once the window has seen each step.
  const DWORD windows = GetCurrentThreadId();
  const HWND grid = f.grid->Handle();
  auto moveTo = [](int x, int y) {
    SetCursorPos(x, y);
    return PumpUntil([&] {
      POINT at{};
      return GetCursorPos(&at) && at.x == x && at.y == y;
    });
  };
  auto barAt = [&](int column) {
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 0, 0};
    return GetScrollInfo(grid, SB_HORZ, &si) && si.nPos >= column;
  };
  std::atomic<bool> done{false};
  std::thread hand([&] {
    moveTo(thumb, y);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    PumpUntil([&] {
      GUITHREADINFO gui{};
      gui.cbSize = sizeof gui;
      return GetGUIThreadInfo(windows, &gui) && gui.hwndCapture == grid;
    });
    for (int step = 1; step <= 10; ++step) moveTo(thumb + track * step / 20, y);  // half the track: column ten
    PumpUntil([&] { return barAt(8); });
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    done = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 15000));
  hand.join();
  Application().ProcessMessages();
  EXPECT_GE(f.grid->LeftCol(), 8);
  EXPECT_LE(f.grid->LeftCol(), 12);
  EXPECT_GT(f.reports, 0);
}

TEST(PylStringGrid, WheelNotchesGoToTheirHandlersFirst) {
  TWideGridFixture f;
  std::vector<std::string> wheel;
  f.grid->OnMouseWheelDown = [&](unsigned, POINT at, bool& handled) {
    wheel.push_back("down " + std::to_string(at.x) + "," + std::to_string(at.y));
    handled = true;
  };
  f.grid->OnMouseWheelUp = [&](unsigned, POINT, bool&) { wheel.push_back("up"); };
  f.grid->SetTopRow(10);
  POINT at{20, 30};
  ClientToScreen(f.grid->Handle(), &at);
  auto turn = [&](int delta) {
    SendMessageA(f.grid->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(at.x, at.y));
  };
  turn(-2 * WHEEL_DELTA);  // taken by the handler: the rows stay
  EXPECT_EQ(f.grid->TopRow(), 10);
  turn(WHEEL_DELTA / 2);
  EXPECT_EQ(wheel.size(), 2u) << "half a notch is no notch yet";
  turn(WHEEL_DELTA / 2);
  EXPECT_EQ(f.grid->TopRow(), 7);
  EXPECT_EQ(wheel, (std::vector<std::string>{"down 20,30", "down 20,30", "up"}));
}

TEST(PylStringGrid, MouseToCellFollowsTheScrolledGrid) {
  TWideGridFixture f;
  f.grid->SetLeftCol(7);
  f.grid->SetTopRow(9);
  struct {
    int x, y;
    const char* want;  // "col,row", or "" outside every cell
  } const points[] = {
      {10, 5, "7,0"},      // the fixed row stays on top
      {60, 18 + 5, "8,9"},
      {249, 18 * 2 + 1, "11,10"},
      {270, 20, "12,9"},   // the column shown in part
      {280, 20, ""},       // beyond the client area
      {10, 18 * 8 + 1, ""},
      {-1, 20, ""},
  };
  for (const auto& p : points) {
    int col = -1, row = -1;
    const bool in = f.grid->MouseToCell(p.x, p.y, col, row);
    EXPECT_EQ(in ? std::to_string(col) + "," + std::to_string(row) : "", p.want) << p.x << "," << p.y;
  }
  SendMessageA(f.grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 18 + 5));
  SendMessageA(f.grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(60, 18 + 5));
  EXPECT_EQ(f.Place(), "7/9 at 8,9");
  // A hundred thousand rows cost a click no more than forty.
  f.grid->RowCount = 100000;
  f.grid->SetTopRow(99000);
  const DWORD start = GetTickCount();
  int col = 0, row = 0;
  for (int i = 0; i < 10000; ++i) f.grid->MouseToCell(i % 270, 18 + i % 120, col, row);
  EXPECT_LT(GetTickCount() - start, 500u);
  EXPECT_GE(row, 99000);
}

}  // namespace
