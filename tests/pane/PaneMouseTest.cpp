#include <gtest/gtest.h>

#include "PaneFixture.h"
#include "core/RowTexts.h"
#include "core/Selection.h"
#include "support/BoxWatch.h"

namespace {

class PaneMouse : public TPaneTest {
 protected:
  TBrowserForm& Pane() {
    MakeTree({"alpha\\a1.txt", "beta\\b1.doc", "one.txt", "two.doc", "three.ini", "README"});
    WriteSetting("BROWSER_LEFT", "Directory", temp.Path());
    TBrowserForm& pane = MakePane();
    pane.sgBrowser->SetFocus();
    Pump();
    return pane;
  }
  static LPARAM AtRow(TBrowserForm& pane, int index) {
    return MAKELPARAM(40, index * pane.sgBrowser->DefaultRowHeight + pane.sgBrowser->DefaultRowHeight / 2);
  }
  void Mouse(TBrowserForm& pane, UINT msg, int index, WPARAM keys = 0) {
    PostMessageA(pane.sgBrowser->Handle(), msg, keys, AtRow(pane, index));
    Pump();
  }
  static void HoldRightButton(bool down) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_RBUTTON] = down ? 0x80 : 0;
    SetKeyboardState(state);
  }
};

// Closes every shell menu with Esc after 600 ms, longer than the hold that
// opened it, noting what the list looked like meanwhile.
struct TMenuCloser {
  static inline int menus = 0;
  static inline bool busyWhileOpen = false, markedWhileOpen = false;
  static inline TBrowserForm* pane = nullptr;
  static inline uint32_t dir = 0, pos = 0;
  static inline HWND seen = nullptr;
  static inline DWORD seenAt = 0;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    for (HWND w : ProcessWindowsOfClass("#32768")) {
      if (!IsWindowVisible(w)) continue;
      if (w != seen) {
        seen = w;
        seenAt = GetTickCount();
        ++menus;
      }
      if (GetTickCount() - seenAt < 600) continue;
      seen = nullptr;
      busyWhileOpen = pane->FolderList->Busy != 0;
      markedWhileOpen = IsFileSelected(dir, pos, *pane->FolderList);
      PostMessageA(w, WM_KEYDOWN, VK_ESCAPE, 1);
      PostMessageA(w, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    }
  }
};

TEST_F(PaneMouse, ClicksMarkAndOpen) {
  TBrowserForm& pane = Pane();
  // [..], alpha, beta, one.txt, README, three.ini, two.doc
  Mouse(pane, WM_LBUTTONDOWN, 3, MK_LBUTTON);
  Mouse(pane, WM_LBUTTONUP, 3);
  EXPECT_EQ(CurrentName(pane), "one.txt");
  Mouse(pane, WM_LBUTTONDOWN, 20, MK_LBUTTON);  // below the last row
  EXPECT_EQ(CurrentName(pane), "one.txt");
  // The wheel moves the current row one row a notch, down and up.
  POINT over{40, 10};
  ClientToScreen(pane.sgBrowser->Handle(), &over);
  const struct {
    int notches, want;
  } turns[] = {{1, 4}, {2, 6}, {-3, 3}};
  for (const auto& t : turns) {
    const WPARAM delta = MAKEWPARAM(0, WORD(-t.notches * WHEEL_DELTA));
    PostMessageA(pane.sgBrowser->Handle(), WM_MOUSEWHEEL, delta, MAKELPARAM(over.x, over.y));
    Pump();
    EXPECT_EQ(pane.CurrentIndex, t.want) << t.notches;
  }
  EXPECT_EQ(pane.sgBrowser->TopRow(), 0);

  Mouse(pane, WM_RBUTTONDOWN, 4, MK_RBUTTON);
  Mouse(pane, WM_RBUTTONUP, 4);
  EXPECT_EQ(CurrentName(pane), "README");
  EXPECT_EQ(Marked(pane), "README");
  Mouse(pane, WM_RBUTTONDOWN, 4, MK_RBUTTON);
  Mouse(pane, WM_RBUTTONUP, 4);
  EXPECT_EQ(Marked(pane), "");

  // A drag with the right button marks every row it passes, a quick one too.
  HoldRightButton(true);
  Mouse(pane, WM_RBUTTONDOWN, 1, MK_RBUTTON);
  for (int row : {2, 3, 5}) Mouse(pane, WM_MOUSEMOVE, row, MK_RBUTTON);
  HoldRightButton(false);
  Mouse(pane, WM_RBUTTONUP, 5);
  EXPECT_EQ(Marked(pane), "alpha,beta,one.txt,README,three.ini");
  // Started on a marked entry, the drag unmarks.
  HoldRightButton(true);
  Mouse(pane, WM_RBUTTONDOWN, 5, MK_RBUTTON);
  Mouse(pane, WM_MOUSEMOVE, 4, MK_RBUTTON);
  HoldRightButton(false);
  Mouse(pane, WM_RBUTTONUP, 4);
  EXPECT_EQ(Marked(pane), "alpha,beta,one.txt");

  Mouse(pane, WM_LBUTTONDOWN, 1, MK_LBUTTON);
  Mouse(pane, WM_LBUTTONUP, 1);
  Mouse(pane, WM_LBUTTONDBLCLK, 1, MK_LBUTTON);
  Mouse(pane, WM_LBUTTONUP, 1);
  EXPECT_EQ(pane.RowTotal(), 2);  // inside alpha: "[..]" and a1.txt
  EXPECT_EQ(NameAt(pane, 1), "a1.txt");
}

// A hold of the right button opens the shell's menu once; afterwards the
// entry's mark is as it was and the list no longer busy.
TEST_F(PaneMouse, HoldOpensTheContextMenu) {
  TBrowserForm& pane = Pane();
  TMenuCloser::pane = &pane;
  TMenuCloser::menus = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, TMenuCloser::Tick);
  for (bool markedBefore : {false, true}) {
    TMenuCloser::menus = 0;
    if (markedBefore) {
      ASSERT_TRUE(pane.MoveTo(5, 0, 0));
      pane.MarkCurrent(SelSet);
    }
    Mouse(pane, WM_RBUTTONDOWN, 5, MK_RBUTTON);
    ASSERT_TRUE(pane.GetCurrentItem(TMenuCloser::dir, TMenuCloser::pos));
    const DWORD until = GetTickCount() + 2000;
    while (GetTickCount() < until) Pump();
    Mouse(pane, WM_RBUTTONUP, 5);
    EXPECT_EQ(TMenuCloser::menus, 1) << markedBefore;
    EXPECT_TRUE(TMenuCloser::busyWhileOpen) << markedBefore;
    EXPECT_TRUE(TMenuCloser::markedWhileOpen) << markedBefore;
    EXPECT_EQ(pane.FolderList->Busy, 0) << markedBefore;
    EXPECT_EQ(Marked(pane), markedBefore ? "three.ini" : "") << markedBefore;
    EXPECT_EQ(pane.sgBrowser->ICM, nullptr);
  }
  KillTimer(nullptr, timer);
}

}  // namespace
