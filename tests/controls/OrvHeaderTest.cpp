#include <gtest/gtest.h>

#include <vector>

#include "controls/OrvHeader.h"
#include "framework/Forms.h"

namespace {

uint64_t Pack(std::initializer_list<uint64_t> shares) {
  uint64_t w = 0;
  int i = 0;
  for (uint64_t s : shares) w |= s << (9 * i++);
  return w;
}

TEST(OrvHeader, UnpackColumnWidths) {
  struct {
    uint64_t word;
    int client, columns;
    bool sizing;
    std::vector<int> want;
  } const cases[] = {
      {Pack({192, 48, 72, 120}), 480, 5, true, {192, 48, 72, 120, 48}},
      {Pack({192, 48, 72, 120}), 500, 5, true, {200, 50, 75, 125, 50}},
      {Pack({192, 48, 72, 120}), 300, 5, false, {60, 60, 60, 60, 60}},
      // Stored shares over the whole: the last column is clamped, not negative.
      {Pack({400, 300}), 480, 3, true, {400, 300, 0}},
      {Pack({511, 511, 511}), 100, 4, true, {106, 106, 106, 0}},
      {0, 200, 1, true, {200}},
  };
  for (const auto& c : cases) EXPECT_EQ(UnpackColumnWidths(c.word, c.client, c.columns, c.sizing), c.want);
}

TEST(OrvHeader, WordFromSettingsIsChecked) {
  struct {
    uint64_t word;
    int columns;
    uint64_t want;
  } const cases[] = {
      {Pack({192, 48, 72, 120}), 5, Pack({192, 48, 72, 120})},
      {Pack({192, 48, 72, 120}), 4, 0},  // a share for a column that is not stored
      {Pack({400, 300}), 3, 0},          // more than the whole
      {Pack({481}), 2, 0},
      {Pack({480}), 2, Pack({480})},
      {~0ull, 8, 0},
      {0, 5, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(CheckedColumnWidthWord(c.word, c.columns), c.want) << std::hex << c.word;
}

struct THeaderFixture {
  TForm form;
  TOrvHeader* header;
  std::vector<int> table = std::vector<int>(3, 0);
  int sortChanges = 0, resizes = 0;
  THeaderFixture() {
    form.SetClientSize(400, 100);
    header = new TOrvHeader(&form);
    header->SetBounds(0, 0, 300, 18);
    header->HeaderItems = {{DT_LEFT, "Name", 100}, {DT_LEFT, "Size", 100}, {DT_LEFT, "Date", 100, false}};
    header->ItemsChanged();
    header->OnchangeKindOfSort = [this] { ++sortChanges; };
    header->OnResizeHeaders = [this] { ++resizes; };
    header->OnTableColumnWidth = [this](int col, int w) { table[static_cast<size_t>(col)] = w; };
    form.Show();
  }
  void Drag(int fromX, int toX) {
    HWND h = header->Handle();
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(fromX, 5));
    SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(toX, 5));
    SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(toX, 5));
  }
};

TEST(OrvHeader, ZeroWordKeepsDesignedWidths) {
  THeaderFixture f;
  f.header->ApplyColumnWidths();
  EXPECT_EQ(f.header->ColWidth(0), 100);
  EXPECT_EQ(f.header->ColWidth(2), 100);
  EXPECT_EQ(f.resizes, 0);
}

TEST(OrvHeader, ClicksSortAndFlip) {
  THeaderFixture f;
  struct {
    int x;
    int wantDown;
    bool wantReversed;
    int wantChanges;
  } const steps[] = {{50, 0, false, 1}, {50, 0, true, 2}, {150, 1, true, 3}, {250, 1, true, 3}, {150, 1, false, 4}};
  for (const auto& s : steps) {
    f.Drag(s.x, s.x);
    EXPECT_EQ(f.header->DownIndex(), s.wantDown) << s.x;
    EXPECT_EQ(f.header->Reversed(), s.wantReversed) << s.x;
    EXPECT_EQ(f.sortChanges, s.wantChanges) << s.x;
  }
  EXPECT_EQ(f.header->KindOfSort(), 0u);  // the owner sets it
  f.header->SetKindOfSort(0x2000 | 2);    // column 2 refuses the down state
  EXPECT_EQ(f.header->DownIndex(), 1);
  EXPECT_TRUE(f.header->Reversed());
}

TEST(OrvHeader, DragResizesAndStoresShares) {
  THeaderFixture f;
  f.Drag(100, 160);  // first column 160
  EXPECT_EQ(f.header->ColWidth(0), 160);
  EXPECT_EQ(f.header->ColWidth(2), 40);
  EXPECT_EQ(f.table, (std::vector<int>{160, 100, 40}));
  EXPECT_EQ(f.header->ColumnWidth(), Pack({160 * 480 / 300, 100 * 480 / 300}));
  EXPECT_EQ(f.resizes, 1);
  EXPECT_EQ(f.sortChanges, 0);
  f.Drag(160, 420);  // wider than the header: clamped, the last gets nothing
  EXPECT_EQ(f.header->ColWidth(0), 295);
  EXPECT_EQ(f.header->ColWidth(2), 0);
  // The stored word brings the same proportions back at another width.
  f.header->SetBounds(0, 0, 600, 18);
  EXPECT_EQ(f.header->ColWidth(0), 590);
}

}  // namespace
