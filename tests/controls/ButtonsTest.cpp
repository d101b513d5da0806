#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/ButtonsNew.h"
#include "controls/PylBitBtn.h"
#include "framework/Forms.h"

namespace {

void ClickAt(HWND w, int x, int y, int upX, int upY) {
  SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(upX, upY));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(upX, upY));
}

struct TGroupStep {
  int button;  // clicked, at its centre
  bool dragOut;
  const char* wantDown;  // '1' per button down
  int wantClicks;
};

void RunGroup(bool allowAllUp, const std::vector<TGroupStep>& steps) {
  TForm form;
  form.SetClientSize(200, 60);
  std::vector<TSpeedButtonNew*> buttons;
  int clicks = 0;
  for (int i = 0; i < 3; ++i) {
    auto* b = new TSpeedButtonNew(&form);
    b->SetBounds(i * 40, 0, 37, 22);
    b->GroupIndex = i < 2 ? 1 : 0;  // the third is outside the group
    b->AllowAllUp = allowAllUp;
    b->OnClick = [&] { ++clicks; };
    buttons.push_back(b);
  }
  form.Show();
  for (const auto& s : steps) {
    const int x = s.button * 40 + 18;
    ClickAt(form.Handle(), x, 11, s.dragOut ? x : x + 1, s.dragOut ? 50 : 12);
    std::string down;
    for (auto* b : buttons) down += b->Down() ? '1' : '0';
    EXPECT_EQ(down, s.wantDown) << "after button " << s.button << (allowAllUp ? " all-up" : "");
    EXPECT_EQ(clicks, s.wantClicks);
  }
  EXPECT_FALSE(GetFocus() != nullptr && GetFocus() != form.Handle()) << "a speed button never takes the focus";
}

TEST(SpeedButton, GroupKeepsOneDown) {
  RunGroup(false, {{0, false, "100", 1}, {1, false, "010", 2}, {1, false, "010", 3}, {0, true, "010", 3},
                   {2, false, "010", 4}});
}

TEST(SpeedButton, AllowAllUpLetsTheDownButtonGoUp) {
  RunGroup(true, {{0, false, "100", 1}, {0, false, "000", 2}, {1, false, "010", 3}, {0, false, "100", 4}});
}

TEST(SpeedButton, GroupedButtonsFollowTheirActionsCheckedState) {
  TForm form;
  TActionList actions;
  int runs = 0;
  std::vector<TAction*> modes;
  std::vector<TSpeedButtonNew*> buttons;
  for (int i = 0; i < 2; ++i) {
    modes.push_back(actions.Add("Mode", 0, [&] { ++runs; }));
    buttons.push_back(new TSpeedButtonNew(&form));
    buttons.back()->GroupIndex = 1;
    buttons.back()->SetAction(modes.back());
  }
  const struct {
    bool checked0, checked1;
    const char* wantDown;
  } steps[] = {{true, false, "10"}, {false, true, "01"}, {false, false, "01"}};  // no all-up
  for (const auto& s : steps) {
    modes[0]->Checked = s.checked0;
    modes[1]->Checked = s.checked1;
    for (auto* b : buttons) b->UpdateFromAction();
    std::string down;
    for (auto* b : buttons) down += b->Down() ? '1' : '0';
    EXPECT_EQ(down, s.wantDown);
  }
  EXPECT_EQ(runs, 0);
}

TEST(SpeedButton, ExternalListWithoutGlyphBitmapShowsNothing) {
  TForm form;
  form.SetClientSize(100, 40);
  TImageList list(16, 16);
  TBitmap red(16, 16);
  red.Paint([](TCanvas& c) {
    c.SetBrushColor(RGB(255, 0, 0));
    c.FillRect({0, 0, 16, 16});
  });
  list.Add(red, RGB(0, 255, 0));
  auto* b = new TSpeedButtonNew(&form);
  b->SetBounds(0, 0, 37, 22);
  b->SetImageListGlyph(list.Handle(), 0);
  form.Show();
  auto centre = [&] {
    InvalidateRect(form.Handle(), nullptr, TRUE);
    UpdateWindow(form.Handle());
    TWindowDC dc(form.Handle());
    return GetPixel(dc.Get(), 18, 11);
  };
  EXPECT_NE(centre(), RGB(255, 0, 0));
  b->Glyph().SetSize(16, 16);
  EXPECT_EQ(centre(), RGB(255, 0, 0));
}

TEST(BitBtn, NewFontOnlyWhileHoveredAndOnlyWithNewStyle) {
  for (bool newStyle : {false, true}) {
    TForm form;
    auto* b = new TPylBitBtn(&form, "Hover");
    b->UseNewStyle = newStyle;
    TFont bold = b->Font();
    bold.Bold = true;
    b->SetNewFont(bold);
    form.Show();
    SendMessageA(b->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(b->Font().Bold, newStyle);
    SendMessageA(b->Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(b->Font().Bold);
  }
}

// Whether the button shows the colour anywhere on its face.
bool Shows(const TPylBitBtn& b, COLORREF colour) {
  InvalidateRect(b.Handle(), nullptr, TRUE);
  UpdateWindow(b.Handle());
  TWindowDC dc(b.Handle());
  bool found = false;
  for (int y = 0; y < b.Height() && !found; ++y)
    for (int x = 0; x < b.Width() && !found; ++x) found = GetPixel(dc.Get(), x, y) == colour;
  return found;
}

TEST(BitBtn, GlyphShowsTheImageOfTheButtonsState) {
  constexpr COLORREF kUp = RGB(255, 0, 0), kDisabled = RGB(0, 255, 0), kDown = RGB(0, 0, 255),
                     kClear = RGB(255, 0, 255);
  TForm form;
  form.SetClientSize(200, 60);
  auto* b = new TPylBitBtn(&form, "&Start");
  b->SetBounds(10, 10, 100, 30);
  TBitmap glyph(48, 16);
  glyph.Paint([&](TCanvas& c) {
    for (auto [i, colour] : {std::pair{0, kUp}, {1, kDisabled}, {2, kDown}}) {
      c.SetBrushColor(colour);
      c.FillRect({i * 16, 0, i * 16 + 16, 16});
    }
    SetPixel(c.Handle(), 0, 15, kClear);  // the transparent colour
  });
  b->SetGlyph(static_cast<HBITMAP>(CopyImage(glyph.Handle(), IMAGE_BITMAP, 0, 0, 0)));
  EXPECT_EQ(b->NumGlyphs(), 3);
  form.Show();
  EXPECT_TRUE(Shows(*b, kUp));
  EXPECT_FALSE(Shows(*b, kClear));
  SendMessageA(b->Handle(), BM_SETSTATE, TRUE, 0);
  EXPECT_TRUE(Shows(*b, kDown));
  SendMessageA(b->Handle(), BM_SETSTATE, FALSE, 0);
  b->SetEnabled(false);
  EXPECT_TRUE(Shows(*b, kDisabled));
  b->SetEnabled(true);

  // Becoming the default button keeps the glyph, and the click still comes.
  b->SetDefault(true);
  EXPECT_EQ(GetWindowLongPtrA(b->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_TRUE(Shows(*b, kUp));
  int clicks = 0;
  b->OnClick = [&] { ++clicks; };
  SendMessageA(b->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  b->SetGlyph(nullptr);
  EXPECT_EQ(GetWindowLongPtrA(b->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
}

}  // namespace
