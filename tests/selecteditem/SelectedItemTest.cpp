#include <gtest/gtest.h>

#include <string>

#include "core/SelectedItem.h"

namespace {

class ListFixture : public testing::Test {
 protected:
  void SetUp() override { InitFileList(list, 1, 4, "*.*", 64); }
  void TearDown() override { FreeFileList(list); }

  TFileRecord Entry(const char* name, uint32_t attributes = 0) {
    TFileRecord r{};
    r.Attributes = attributes;
    r.NameLength = uint32_t(strlen(name));
    r.NameOffset = list.Names->Add(name);
    r.ExtOffset = ExtOffsetOf(name, r.NameOffset, r.NameLength, false);
    r.Size = 5;
    r.Flags = FileMarked | FileMarkedRight;
    r.GroupNumber = fsFailed;
    return r;
  }
  std::string Name(const TFileRecord& r) { return list.Names->GetString(r.NameOffset); }
  std::string Ext(const TFileRecord& r) { return list.Names->GetString(r.ExtOffset); }

  TstateOfBrowser list;
};

struct TApplyCase {
  uint32_t modeFlags;
  uint32_t updateFlags;
  uint32_t wantFlags;
  uint32_t wantStatus;
  uint64_t wantSize;
  uint32_t wantAttributes;
  const char* wantName;
  bool wantRemoved;
};

constexpr uint32_t kBoth = FileMarked | FileMarkedRight;
constexpr uint32_t kBasketLeft = ModeBasketView | ModeLeftView;
constexpr uint32_t kBasketRight = ModeBasketView | ModeSecondMark;

const TApplyCase kApplyCases[] = {
    // A pane's own list takes only the unselect and the status.
    {0, iuUnselect | fsSuccessful | iuSize | iuRename, FileMarkedRight, fsSuccessful, 5, 0,
     "old.txt", false},
    {0, iuRemove | iuAttributes, kBoth, 0, 5, 0, "old.txt", false},
    {0, fsUnchanged, kBoth, fsUnchanged, 5, 0, "old.txt", false},
    // The basket walked for a pane takes everything; the right view's mark is its own.
    {kBasketLeft, iuUnselect | iuRemove, FileMarkedRight | FileRemove, 0, 5, 0, "old.txt", true},
    {kBasketRight, iuUnselect, FileMarked, 0, 5, 0, "old.txt", false},
    {kBasketLeft, iuSize | iuAttributes | fsSuccessful, kBoth, fsSuccessful, 77, 0x20, "old.txt",
     false},
    {kBasketLeft, iuRename | fsUnchanged, kBoth, fsUnchanged, 5, 0, "new.name.doc", false},
};

TEST_F(ListFixture, AppliesUpdateByListKind) {
  for (const TApplyCase& c : kApplyCases) {
    SCOPED_TRACE(testing::Message() << c.modeFlags << "/" << c.updateFlags);
    list.ModeFlags = c.modeFlags;
    TFileRecord r = Entry("old.txt");
    TItemUpdate u;
    u.Flags = c.updateFlags;
    u.Size = 77;
    u.Attributes = 0x20;
    u.NewName = "new.name.doc";
    EXPECT_EQ(ApplyItemUpdate(u, r, list), c.wantRemoved);
    EXPECT_EQ(r.Flags, c.wantFlags);
    EXPECT_EQ(r.GroupNumber, c.wantStatus);
    EXPECT_EQ(r.Size, c.wantSize);
    EXPECT_EQ(r.Attributes, c.updateFlags & iuAttributes ? c.wantAttributes : 0u);
    EXPECT_EQ(Name(r), c.wantName);
  }
}

TEST_F(ListFixture, TimeIsTakenOnlyFromTheBasket) {
  TItemUpdate u;
  u.Flags = iuLastWriteTime;
  u.LastWriteTime = {0x1234, 0x5678};
  TFileRecord pane = Entry("a");
  ApplyItemUpdate(u, pane, list);
  EXPECT_EQ(pane.LastWriteTime.dwLowDateTime, 0u);
  list.ModeFlags = kBasketLeft;
  TFileRecord basket = Entry("a");
  ApplyItemUpdate(u, basket, list);
  EXPECT_EQ(basket.LastWriteTime.dwLowDateTime, 0x1234u);
  EXPECT_EQ(basket.LastWriteTime.dwHighDateTime, 0x5678u);
}

struct TNameCase {
  const char* name;
  uint32_t attributes;
  const char* wantExt;
};

const TNameCase kNameCases[] = {
    {"report.final.txt", 0, "txt"},
    {".profile", 0, ""},
    {"noext", 0, ""},
    {"x", 0, ""},
    {"a.", 0, ""},
    {"my.dir", FILE_ATTRIBUTE_DIRECTORY, ""},
};

TEST_F(ListFixture, NewNameSetsLengthAndExtension) {
  for (const TNameCase& c : kNameCases) {
    SCOPED_TRACE(c.name);
    TFileRecord r = Entry("old.txt", c.attributes);
    ASSERT_TRUE(SetEntryName(r, list, c.name));
    EXPECT_EQ(Name(r), c.name);
    EXPECT_EQ(r.NameLength, strlen(c.name));
    EXPECT_EQ(Ext(r), c.wantExt);
    EXPECT_LE(r.ExtOffset, r.NameOffset + r.NameLength);
  }
}

TEST_F(ListFixture, NamesGrowThePool) {
  TFileRecord r = Entry("a.txt");
  const std::string longName(300, 'n');
  ASSERT_TRUE(SetEntryName(r, list, (longName + ".bin").c_str()));
  EXPECT_EQ(Name(r), longName + ".bin");
  EXPECT_EQ(Ext(r), "bin");
  EXPECT_FALSE(SetEntryName(r, list, nullptr));
  EXPECT_EQ(Name(r), longName + ".bin");
}

}  // namespace
