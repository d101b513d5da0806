#include <gtest/gtest.h>
#include <richedit.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "framework/Spin.h"
#include "support/TempFolder.h"

namespace {

void Pump() { Application().ProcessMessages(); }

void Click(HWND w, int x, int y) {
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void ClickTab(const TPageControl& pc, int tab) {
  RECT r{};
  SendMessageA(pc.Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&r));
  Click(pc.Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

TEST(PageControl, TabsMapToTheirPagesAlsoWithSomeHidden) {
  TForm form;
  form.SetClientSize(300, 200);
  auto* pc = new TPageControl(&form);
  pc->SetBounds(0, 0, 300, 200);
  TTabSheet* pages[] = {new TTabSheet(pc, "&General"), new TTabSheet(pc, "&Advanced"), new TTabSheet(pc, "By Con&tent")};
  int changes = 0, shows = 0;
  bool allow = true;
  pc->OnChange = [&] { ++changes; };
  pc->OnChanging = [&](bool& a) { a = allow; };
  pages[2]->OnShow = [&] { ++shows; };
  form.Show();
  EXPECT_EQ(pc->ActivePage(), pages[0]);

  ClickTab(*pc, 2);
  EXPECT_EQ(pc->ActivePage(), pages[2]);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(shows, 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(IsWindowVisible(pages[i]->Handle()) != 0, i == 2) << i;
  allow = false;
  ClickTab(*pc, 0);
  EXPECT_EQ(pc->ActivePage(), pages[2]);

  // With the middle tab hidden the second tab stands for the third page.
  allow = true;
  pages[1]->SetTabVisible(false);
  EXPECT_EQ(SendMessageA(pc->Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
  ClickTab(*pc, 0);
  ClickTab(*pc, 1);
  EXPECT_EQ(pc->ActivePage(), pages[2]);

  // Every tab hidden: the pages fill the control and code alone chooses.
  for (TTabSheet* p : pages) p->SetTabVisible(false);
  const RECT whole = pc->ClientRect(), page = pages[0]->BoundsRect();
  EXPECT_TRUE(EqualRect(&whole, &page));
  changes = 0;
  pc->SetActivePageIndex(1);
  EXPECT_EQ(pc->ActivePageIndex(), 1);
  EXPECT_TRUE(IsWindowVisible(pages[1]->Handle()));
  EXPECT_FALSE(IsWindowVisible(pages[2]->Handle()));
  EXPECT_EQ(changes, 0);
  delete pages[1];
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_EQ(pc->ActivePage(), pages[0]);
}

TEST(DateTimePicker, HoldsTheDateItIsGivenAndReportsTheUsersChange) {
  TForm form;
  auto* dtp = new TDateTimePicker(&form);
  int changes = 0;
  dtp->OnChange = [&] { ++changes; };
  form.Show();
  SYSTEMTIME t{2026, 2, 0, 28, 13, 45, 10, 0};
  dtp->SetDateTime(t);
  const SYSTEMTIME got = dtp->DateTime();
  EXPECT_EQ(got.wYear, 2026);
  EXPECT_EQ(got.wMonth, 2);
  EXPECT_EQ(got.wDay, 28);
  dtp->SetFocus();
  SendMessageA(dtp->Handle(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(changes, 1);
}

TEST(SpinEdit, ValuesOfSixtyFourBitsWithinTheRange) {
  TForm form;
  auto* sp = new TSpinEdit(&form);
  form.Show();
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  const struct {
    const char* text;
    int64_t min, max, value;
  } cases[] = {{"12", 0, 0, 12},   {" -5 ", 0, 0, -5},  {"+7", 0, 0, 7},
               {"", 3, 9, 3},      {"abc", 0, 0, 0},    {"12x", 0, 0, 0},
               {"5000000000", 0, 0, 5000000000}, {"9223372036854775807", 0, 0, kMax},
               {"9223372036854775808", 0, 0, 0}, {"150", 0, 100, 100}, {"-3", 0, 100, 0}};
  for (const auto& c : cases) {
    sp->MinValue = c.min;
    sp->MaxValue = c.max;
    sp->SetText(c.text);
    EXPECT_EQ(sp->Value(), c.value) << c.text;
  }
  sp->MinValue = sp->MaxValue = 0;
  sp->SetValue(kMax - 1);
  sp->Step(1);
  sp->Step(1);
  EXPECT_EQ(sp->Value(), kMax);

  // The keys, the arrows, typing and leaving the box, as a user does them.
  sp->SetValue(5000000000);
  sp->SetFocus();
  SendMessageA(sp->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(sp->Value(), 4999999999);
  HWND arrows = GetWindow(sp->Handle(), GW_CHILD);
  RECT r;
  GetClientRect(arrows, &r);
  Click(arrows, r.right / 2, 2);
  Pump();
  EXPECT_EQ(sp->Value(), 5000000000);
  SendMessageA(sp->Handle(), WM_CHAR, 'x', 0);
  EXPECT_EQ(sp->Text(), "5000000000");
  sp->MinValue = 0;
  sp->MaxValue = 10;
  sp->SetText("abc");
  auto* other = new TEdit(&form);
  other->SetFocus();
  EXPECT_EQ(sp->Text(), "0");
}

TEST(CheckBox, GrayedIsAThirdStateReadAndSet) {
  TForm form;
  auto* chk = new TCheckBox(&form, "Archive");
  int clicks = 0;
  chk->OnClick = [&] { ++clicks; };
  form.Show();
  chk->SetAllowGrayed(true);
  chk->SetState(TCheckBoxState::Grayed);
  EXPECT_EQ(SendMessageA(chk->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  EXPECT_FALSE(chk->Checked());
  EXPECT_EQ(clicks, 1);
  const TCheckBoxState cycle[] = {TCheckBoxState::Unchecked, TCheckBoxState::Checked, TCheckBoxState::Grayed};
  for (TCheckBoxState want : cycle) {
    SendMessageA(chk->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(chk->State(), want);
  }
  chk->SetAllowGrayed(false);
  SendMessageA(chk->Handle(), BM_CLICK, 0, 0);
  SendMessageA(chk->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(chk->State(), TCheckBoxState::Unchecked);  // two states only again
}

TEST(ListBox, OwnerDrawnItemsAreDrawnAndMeasuredByTheirOwner) {
  TForm form;
  form.SetClientSize(200, 200);
  auto* fixed = new TListBox(&form, LBS_OWNERDRAWFIXED);
  fixed->SetBounds(0, 0, 100, 150);
  fixed->SetItemHeight(20);
  std::vector<std::pair<int, unsigned>> drawn;
  fixed->OnDrawItem = [&](int i, const RECT& r, unsigned state, TCanvas& c) {
    drawn.emplace_back(i, state);
    c.SetBrushColor(i == 1 ? RGB(0, 0, 255) : clWindow);
    c.FillRect(r);
  };
  auto* variable = new TListBox(&form, LBS_OWNERDRAWVARIABLE);
  variable->SetBounds(100, 0, 100, 150);
  variable->OnMeasureItem = [](int i, int& h) { h = 10 + 5 * i; };
  for (const char* s : {"C:\\", "D:\\work", "E:\\"}) {
    fixed->Items.Add(s);
    variable->Items.Add(s);
  }
  fixed->SetItemIndex(2);
  form.Show();
  UpdateWindow(form.Handle());
  Pump();
  EXPECT_EQ(fixed->ItemRect(1).top, 20);
  EXPECT_EQ(fixed->Items[1], "D:\\work");
  EXPECT_EQ(variable->ItemRect(2).top, 10 + 15);
  EXPECT_EQ(variable->ItemRect(2).bottom - variable->ItemRect(2).top, 20);
  bool selectedDrawn = false;
  for (auto [i, state] : drawn) selectedDrawn |= i == 2 && (state & odSelected);
  EXPECT_TRUE(selectedDrawn);
  EXPECT_EQ(GetPixel(TWindowDC(fixed->Handle()).Get(), 50, 30), RGB(0, 0, 255));
}

TEST(TreeView, AlwaysExpandedNodesWithDataAndKeysForTheOwner) {
  TForm form;
  auto* tv = new TTreeView(&form);
  tv->SetBounds(0, 0, 150, 200);
  // a (b (c), d), e: the depth-first order a b c d e.
  TTreeNode a = tv->Add(nullptr, "Layout", 10), b = tv->Add(a, "Display", 11), c = tv->Add(b, "Language", 12),
            d = tv->Add(a, "Colors", 13), e = tv->Add(nullptr, "Operation", 14);
  const TTreeNode order[] = {a, b, c, d, e};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(tv->GetNext(order[i]), i < 4 ? order[i + 1] : nullptr) << i;
    EXPECT_EQ(tv->GetPrev(order[i]), i > 0 ? order[i - 1] : nullptr) << i;
  }
  EXPECT_TRUE(TreeView_GetItemState(tv->Handle(), b, TVIS_EXPANDED) & TVIS_EXPANDED);
  std::vector<intptr_t> changes;
  tv->OnChange = [&](TTreeNode n) { changes.push_back(tv->Data(n)); };
  tv->OnCollapsing = [](TTreeNode, bool& allow) { allow = false; };
  tv->OnKeyDown = [&](WORD& key, unsigned) {
    if (key != VK_DOWN) return;
    if (TTreeNode next = tv->GetNext(tv->Selected())) tv->Select(next);
    key = 0;
  };
  form.Show();
  tv->Select(c);
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(changes.back(), 12);
  changes.clear();
  tv->SetFocus();
  SendMessageA(tv->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(tv->Selected(), d);  // once, by the handler alone
  EXPECT_EQ(changes, (std::vector<intptr_t>{13}));
  EXPECT_EQ(tv->Text(d), "Colors");
  // The user's ways to close a node: Left on it, a double click on it.
  tv->Select(a);
  SendMessageA(tv->Handle(), WM_KEYDOWN, VK_LEFT, 0);
  EXPECT_TRUE(TreeView_GetItemState(tv->Handle(), a, TVIS_EXPANDED) & TVIS_EXPANDED);
  RECT r{};
  std::memcpy(&r, &a, sizeof a);  // the message takes the node in the rectangle
  SendMessageA(tv->Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
  SendMessageA(tv->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  EXPECT_TRUE(TreeView_GetItemState(tv->Handle(), a, TVIS_EXPANDED) & TVIS_EXPANDED);
  changes.clear();
  tv->Clear();
  EXPECT_EQ(tv->Count(), 0);
  EXPECT_TRUE(changes.empty());
}

TEST(RichEdit, ShowsRichTextFromMemoryAndStaysReadOnly) {
  TForm form;
  auto* re = new TRichEdit(&form);
  re->SetBounds(0, 0, 300, 100);
  form.Show();
  ASSERT_TRUE(re->LoadFromMemory("{\\rtf1\\ansi Hello {\\b bold} world.\\par}"));
  EXPECT_EQ(re->Text().substr(0, 16), "Hello bold world");
  CHARFORMATA cf{};
  cf.cbSize = sizeof cf;
  SendMessageA(re->Handle(), EM_SETSEL, 6, 10);
  SendMessageA(re->Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  EXPECT_TRUE(cf.dwEffects & CFE_BOLD);
  SendMessageA(re->Handle(), EM_SETSEL, 0, 0);
  SendMessageA(re->Handle(), WM_CHAR, 'X', 0);
  EXPECT_EQ(re->Text().substr(0, 5), "Hello");
  ASSERT_TRUE(re->LoadFromMemory("plain {text}"));
  EXPECT_EQ(re->Text(), "plain {text}");
}

// The thread's common dialog that is showing now, or nullptr.
HWND ShownDialog() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM p) {
        char cls[16] = "";
        GetClassNameA(w, cls, sizeof cls);
        if (std::string(cls) != "#32770" || !IsWindowVisible(w)) return TRUE;
        *reinterpret_cast<HWND*>(p) = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Runs answer on the dialog once it shows, from a timer of the dialog's loop.
template <typename F>
void WhenShown(TTimer& timer, F answer) {
  timer.Interval = 50;
  timer.OnTimer = [&timer, answer] {
    if (HWND dlg = ShownDialog()) {
      timer.SetEnabled(false);
      answer(dlg);
    }
  };
  timer.SetEnabled(true);
}

TEST(Dialogs, OpenDialogShowsItsOptionsAndGivesTheChosenFile) {
  TTempFolder dir;
  const std::string exe = dir / "editor.exe";
  dir.File("editor.exe");
  TForm form;
  form.Show();
  const struct {
    unsigned options;
    bool boxShown, boxTicked;
  } cases[] = {{ofReadOnly | ofHideReadOnly | ofEnableSizing, false, true}, {ofReadOnly, true, true}, {0, true, false}};
  for (const auto& c : cases) {
    TOpenDialog dlg;
    dlg.Filter = "*.exe|*.exe";
    dlg.InitialDir = dir.Path();
    dlg.Options = c.options;
    bool shown = false, ticked = false;
    std::string filter;
    TTimer timer;
    WhenShown(timer, [&](HWND d) {
      HWND box = GetDlgItem(d, chx1);
      shown = box && IsWindowVisible(box);
      ticked = box && SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
      char text[64] = "";
      SendDlgItemMessageA(d, cmb1, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
      filter = text;
      SetDlgItemTextA(d, edt1, "editor.exe");
      if (!GetDlgItem(d, edt1)) SetDlgItemTextA(d, cmb13, "editor.exe");
      PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(dlg.Execute(form.Handle())) << c.options;
    EXPECT_EQ(shown, c.boxShown) << c.options;
    EXPECT_EQ(ticked, c.boxTicked) << c.options;
    EXPECT_EQ(filter, "*.exe");
    EXPECT_EQ(lstrcmpiA(dlg.FileName.c_str(), exe.c_str()), 0) << dlg.FileName;
  }
  TOpenDialog cancelled;
  cancelled.FileName = "kept.exe";
  TTimer timer;
  WhenShown(timer, [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_FALSE(cancelled.Execute(form.Handle()));
  EXPECT_EQ(cancelled.FileName, "kept.exe");
}

// A TrueType family the prefix has: the dialog lists only those.
std::string SomeTrueTypeFamily() {
  std::string name;
  LOGFONTA lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  const TWindowDC screen;
  EnumFontFamiliesExA(
      screen.Get(), &lf,
      [](const LOGFONTA* f, const TEXTMETRICA*, DWORD type, LPARAM p) -> int {
        if (!(type & TRUETYPE_FONTTYPE) || f->lfFaceName[0] == '@') return 1;
        *reinterpret_cast<std::string*>(p) = f->lfFaceName;
        return 0;
      },
      reinterpret_cast<LPARAM>(&name), 0);
  return name;
}

TEST(Dialogs, FontDialogGivesBackTheFontItWasOpenedOn) {
  TForm form;
  form.Show();
  TFontDialog dlg;
  const std::string family = SomeTrueTypeFamily();
  ASSERT_FALSE(family.empty());
  dlg.Font.Name = family;
  dlg.Font.Size = 12;
  dlg.Font.Bold = true;
  dlg.Font.StrikeOut = true;
  dlg.Font.Color = RGB(255, 0, 0);
  TTimer timer;
  WhenShown(timer, [](HWND d) { PostMessageA(d, WM_COMMAND, IDOK, 0); });
  ASSERT_TRUE(dlg.Execute(form.Handle()));
  EXPECT_EQ(dlg.Font.Name, family);
  EXPECT_EQ(dlg.Font.Size, 12);
  EXPECT_TRUE(dlg.Font.Bold);
  EXPECT_FALSE(dlg.Font.Italic);
  EXPECT_TRUE(dlg.Font.StrikeOut);
  EXPECT_EQ(dlg.Font.Color, RGB(255, 0, 0));
}

}  // namespace
