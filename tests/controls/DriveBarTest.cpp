#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "controls/DriveBar.h"
#include "framework/Forms.h"

namespace {

std::unique_ptr<TDriveRecord> Drive(char letter, UINT type, const char* text) {
  auto d = std::make_unique<TDriveRecord>();
  d->Letter = letter;
  d->DriveType = type;
  lstrcpynA(d->DisplayText, text, sizeof d->DisplayText);
  return d;
}

TDriveList Drives(int n) {
  TDriveList list;
  const char letters[] = "cdefgh";
  for (int i = 0; i < n; ++i) list.push_back(Drive(letters[i], DRIVE_FIXED, "Disk"));
  list.push_back(Drive('*', DRIVE_REMOTE, "Basket"));
  return list;
}

std::vector<TDriveButton*> Buttons(TWinControl* panel) {
  std::vector<TDriveButton*> v;
  for (TControl* c : panel->Controls())
    if (auto* b = dynamic_cast<TDriveButton*>(c)) v.push_back(b);
  return v;
}

TEST(DriveBar, RebuildRemovesFromTheFrontAndAppends) {
  TForm form;
  form.SetClientSize(400, 100);
  auto* panel = new TPanel(&form);
  panel->SetBounds(0, 0, 400, 30);
  TPopupMenu menu;
  std::vector<int> clicked;
  auto onClick = [&](TDriveButton* b) { clicked.push_back(static_cast<int>(b->Tag)); };
  BuildDriveBar(panel, Drives(4), 1, nullptr, &menu, onClick);
  auto first = Buttons(panel);
  ASSERT_EQ(first.size(), 5u);
  EXPECT_TRUE(first[1]->Down());
  EXPECT_EQ(first[0]->Caption(), "C");
  EXPECT_EQ(first[4]->Caption(), "*");
  EXPECT_EQ(first[4]->Hint, "Basket");
  BuildDriveBar(panel, Drives(2), 0, nullptr, &menu, onClick);
  auto fewer = Buttons(panel);
  ASSERT_EQ(fewer.size(), 3u);
  EXPECT_EQ(fewer[0], first[2]);  // the front ones went
  BuildDriveBar(panel, Drives(5), 0, nullptr, &menu, onClick);
  auto more = Buttons(panel);
  ASSERT_EQ(more.size(), 6u);
  EXPECT_EQ(more[0], first[2]);
  int menus = 0;
  for (TControl* c : panel->Controls()) menus += dynamic_cast<TDriveMenuButton*>(c) != nullptr;
  EXPECT_EQ(menus, 1);
  more[3]->Click();
  EXPECT_EQ(clicked, std::vector<int>{3});
  EXPECT_TRUE(more[3]->Down());
  EXPECT_FALSE(more[0]->Down());
}

TEST(DriveBar, ArrangesInRows) {
  struct {
    int width;
    uint32_t layout;
    std::vector<int> wantTops;  // three drive buttons, basket, menu button
    int wantHeight;
  } const cases[] = {
      {400, 0, {1, 1, 1, 1, 1}, 45},  // the extra control moves to a second row
      {400, 0x08, {1, 1, 1, 1, 1}, 23},
      {50, 0, {1, 23, 45, 67, 89}, 133},
  };
  for (const auto& c : cases) {
    TForm form;
    form.SetClientSize(500, 300);
    auto* panel = new TPanel(&form);
    panel->SetBounds(0, 0, c.width, 30);
    auto* extra = new TPanel(panel);
    extra->Tag = -1;
    extra->SetWidth(300);
    BuildDriveBar(panel, Drives(3), 0, nullptr, nullptr, nullptr);
    ArrangeDriveBar(panel, c.layout);
    std::vector<int> tops;
    for (auto* b : Buttons(panel)) tops.push_back(b->Top());
    for (TControl* ch : panel->Controls())
      if (dynamic_cast<TDriveMenuButton*>(ch)) tops.push_back(ch->Top());
    EXPECT_EQ(tops, c.wantTops) << c.width;
    EXPECT_EQ(panel->Height(), c.wantHeight) << c.width;
    EXPECT_EQ(extra->Height(), 20);
  }
}

TEST(DriveBar, RebuildingReleasesOldGlyphs) {
  TForm form;
  auto* panel = new TPanel(&form);
  TDriveList list;
  list.push_back(Drive('c', DRIVE_FIXED, "System"));
  list.push_back(Drive('q', DRIVE_CDROM, "Missing"));
  list.push_back(Drive('*', DRIVE_REMOTE, "Basket"));
  std::vector<HBITMAP> old;
  for (int i = 0; i < 1000; ++i) {
    BuildDriveBar(panel, list, 0, nullptr, nullptr, nullptr);
    for (auto* b : Buttons(panel)) {
      ASSERT_FALSE(b->Glyph().Empty());
      if (i % 100 == 0) old.push_back(b->Glyph().Handle());
    }
  }
  const auto now = Buttons(panel);
  for (HBITMAP h : old) {
    bool live = false;
    for (auto* b : now) live |= b->Glyph().Handle() == h;
    if (!live) {
      EXPECT_EQ(GetObjectType(h), 0u);
    }
  }
}

}  // namespace
