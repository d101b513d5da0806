#include <gtest/gtest.h>

#include <string>

#include "controls/OrvStatusBar.h"
#include "controls/PylSplitterMouse.h"
#include "framework/Forms.h"

namespace {

std::string PartText(HWND bar, WPARAM part) {
  char buf[256] = "";
  SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(buf));
  return buf;
}

// Pixels of text colour on screen: the bar's texts are read as a person would.
int TextPixels(HWND bar) {
  InvalidateRect(bar, nullptr, TRUE);
  UpdateWindow(bar);
  RECT r;
  GetClientRect(bar, &r);
  TWindowDC dc(bar);
  int n = 0;
  for (int y = 0; y < r.bottom; ++y)
    for (int x = 0; x < 120; ++x) n += GetPixel(dc.Get(), x, y) == GetSysColor(COLOR_BTNTEXT);
  return n;
}

TEST(OrvStatusBar, SimpleTextShowsOnlyInSimpleMode) {
  TForm form;
  form.SetClientSize(300, 100);
  auto* bar = new TOrvStatusBar(&form);
  form.Show();
  EXPECT_EQ(bar->Height(), 19);
  EXPECT_EQ(bar->Top(), 81);
  EXPECT_TRUE(SendMessageA(bar->Handle(), SB_ISSIMPLE, 0, 0));
  bar->SetSimplePanel(false);
  bar->SetSimpleText("12 files");
  EXPECT_FALSE(SendMessageA(bar->Handle(), SB_ISSIMPLE, 0, 0));
  EXPECT_EQ(TextPixels(bar->Handle()), 0);
  bar->SetSimplePanel(true);
  EXPECT_GT(TextPixels(bar->Handle()), 20);
  for (auto bevel : {SP_BEVEL_NONE, SP_BEVEL_RAISED, SP_BEVEL_LOWERED}) {
    bar->SetBevel(bevel);
    EXPECT_GT(TextPixels(bar->Handle()), 20) << bevel;
  }
}

TEST(OrvStatusBar, PanelsRunToTheEnd) {
  TForm form;
  auto* bar = new TOrvStatusBar(&form);
  bar->SetSimplePanel(false);
  bar->Panels = {{"one", 60}, {"two", 80}, {"three", 50}};
  bar->PanelsChanged();
  int edges[4] = {};
  EXPECT_EQ(SendMessageA(bar->Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 3);
  EXPECT_EQ(edges[0], 60);
  EXPECT_EQ(edges[1], 140);
  EXPECT_EQ(edges[2], -1);
  EXPECT_EQ(PartText(bar->Handle(), 1), "two");
}

TEST(PylSplitterMouse, RatioFollowsTheDrag) {
  TForm form;
  form.SetClientSize(400, 100);
  auto* left = new TPanel(&form);
  left->SetWidth(200);
  left->SetAlign(TAlign::Left);
  auto* splitter = new TPylSplitterMouse(&form, left);
  auto* right = new TPanel(&form);
  right->SetAlign(TAlign::Client);
  form.Show();
  EXPECT_DOUBLE_EQ(splitter->GetRatio(), 0.5);
  const struct {
    int dx;
    int wantLeft;
    int32_t wantRatio;
  } steps[] = {{-100, 100, 2500}, {33, 133, 3325}, {1000, 397, 9925}, {-1000, 0, 0}};
  for (const auto& s : steps) {
    HWND h = splitter->Handle();
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 5));
    SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1 + s.dx, 5));
    SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(1 + s.dx, 5));
    EXPECT_EQ(splitter->Left(), s.wantLeft);
    EXPECT_EQ(splitter->Ratio(), s.wantRatio);
    EXPECT_EQ(right->Left(), s.wantLeft + 3);
  }
}

TEST(PylSplitterMouse, TopAndBottomFormsSizeHeights) {
  const struct {
    TAlign align;
    int dy;
    int wantHeight;
    int32_t wantRatio;  // the splitter's top in 1/10000 of the form's height
  } steps[] = {{TAlign::Top, 50, 150, 5000},    {TAlign::Top, 1000, 297, 9900}, {TAlign::Top, -1000, 0, 0},
               {TAlign::Bottom, -50, 150, 4900}, {TAlign::Bottom, 1000, 0, 9900}};
  for (const auto& s : steps) {
    TForm form;
    form.SetClientSize(200, 300);
    auto* memo = new TEdit(&form, kMemoStyle);
    memo->SetHeight(100);
    memo->SetAlign(s.align);
    auto* splitter = new TPylSplitterMouse(&form, memo, s.align);
    auto* rest = new TPanel(&form);
    rest->SetAlign(TAlign::Client);
    form.Show();
    HWND h = splitter->Handle();
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 1));
    SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 1 + s.dy));
    SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(5, 1 + s.dy));
    EXPECT_EQ(memo->Height(), s.wantHeight) << s.dy;
    EXPECT_EQ(splitter->Ratio(), s.wantRatio) << s.dy;
    EXPECT_EQ(rest->Height(), 300 - 3 - s.wantHeight) << s.dy;
  }
}

}  // namespace
