#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/Drives.h"
#include "core/translator.h"
#include "support/WineDrive.h"

namespace {

std::string Letters(const TDriveList& list) {
  std::string s;
  for (const auto& r : list) s += r->Letter;
  return s;
}

std::string SystemLetters() {
  std::string s;
  const DWORD mask = GetLogicalDrives();
  for (int bit = 0; bit < 26; ++bit)
    if (mask & (1u << bit)) s += char('a' + bit);
  return s;
}

std::unique_ptr<TDriveRecord> Record(char letter, UINT type, bool real) {
  auto r = std::make_unique<TDriveRecord>();
  r->Letter = letter;
  r->DriveType = type;
  r->RealDrive = real;
  return r;
}

bool NetworkPresent() { return (GetSystemMetrics(SM_NETWORK) & 1) != 0; }

class DrivesTest : public testing::Test {};

TEST_F(DrivesTest, FillsDrivesThenPseudoDrives) {
  TTestDrive removable('l', DRIVE_REMOVABLE), cd('m', DRIVE_CDROM);
  ASSERT_TRUE(removable.Ok() && cd.Ok());
  TDriveList probe;
  FillDriveList(probe, DriveOptionNetwork);
  const bool network = probe.size() > SystemLetters().size();
  EXPECT_EQ(network, NetworkPresent());

  std::string noCd = SystemLetters();
  noCd.erase(noCd.find('m'), 1);
  const std::string net = network ? "\\" : "";
  struct TCase {
    int options;
    std::string letters;
  };
  const TCase cases[] = {
      {0, SystemLetters()},
      {DriveOptionBasket, SystemLetters() + "*"},
      {DriveOptionNetwork | DriveOptionBasket, SystemLetters() + net + "*"},
      {DriveOptionNoCdRom, noCd},
      {7, noCd + net + "*"},
  };
  for (const auto& c : cases) {
    TDriveList list;
    list.push_back(Record('x', DRIVE_FIXED, true));
    FillDriveList(list, c.options);
    EXPECT_EQ(Letters(list), c.letters) << c.options;
  }

  TDriveList list;
  FillDriveList(list, 7);
  ASSERT_GE(list.size(), 3u);
  const TDriveRecord& basket = *list.back();
  EXPECT_STREQ(basket.DisplayText, "BASKET");
  EXPECT_EQ(basket.DriveType, UINT(DRIVE_REMOTE));
  EXPECT_FALSE(basket.RealDrive);
  EXPECT_EQ(basket.ItemIdList, nullptr);
  if (network) {
    const TDriveRecord& n = *list[list.size() - 2];
    EXPECT_EQ(n.DriveType, UINT(DRIVE_REMOTE));
    EXPECT_FALSE(n.RealDrive);
    EXPECT_NE(n.ItemIdList, nullptr);
    EXPECT_EQ(n.ItemIdList, NetworkItemIdList.Get());
    EXPECT_STRNE(n.DisplayText, "");
  }
}

TEST_F(DrivesTest, DriveTypesAndTexts) {
  TTestDrive fixed('k', DRIVE_FIXED), removable('l', DRIVE_REMOVABLE), cd('m', DRIVE_CDROM);
  ASSERT_TRUE(fixed.Ok() && removable.Ok() && cd.Ok());
  TDriveList list;
  FillDriveList(list, 0);
  struct TCase {
    char letter;
    UINT type;
    const char* text;
  };
  const TCase cases[] = {
      {'c', DRIVE_FIXED, nullptr},
      {'k', DRIVE_FIXED, nullptr},
      {'l', DRIVE_REMOVABLE, "REMOVABLE"},
      {'m', DRIVE_CDROM, "CD-ROM"},
  };
  for (const auto& c : cases) {
    const TDriveRecord* r = DriveAt(list, FindDriveIndex(c.letter, list));
    ASSERT_NE(r, nullptr) << c.letter;
    EXPECT_EQ(r->Letter, c.letter);
    EXPECT_EQ(r->DriveType, c.type) << c.letter;
    EXPECT_TRUE(r->RealDrive);
    if (c.text) {
      EXPECT_STREQ(r->DisplayText, c.text) << c.letter;
    }
    EXPECT_LT(strlen(r->DisplayText), sizeof r->DisplayText);
  }
}

TEST_F(DrivesTest, UpdateSeesOnlyLetterChanges) {
  TDriveList list;
  FillDriveList(list, 3);
  EXPECT_FALSE(UpdateDriveList(list, 3));
  {
    TTestDrive added('k', DRIVE_FIXED);
    ASSERT_TRUE(added.Ok());
    EXPECT_TRUE(UpdateDriveList(list, 3));
    EXPECT_NE(Letters(list).find('k'), std::string::npos);
    EXPECT_EQ(list.back()->Letter, '*');
    EXPECT_FALSE(UpdateDriveList(list, 3));
    // The same letter over another kind of drive is no change.
    ASSERT_TRUE(DefineWineDrive('k', DRIVE_REMOVABLE, "/tmp"));
    EXPECT_FALSE(UpdateDriveList(list, 3));
  }
  EXPECT_TRUE(UpdateDriveList(list, 3));
  EXPECT_EQ(Letters(list).find('k'), std::string::npos);
  EXPECT_FALSE(UpdateDriveList(list, 3));

  // A drive after the last one, and the last one gone.
  TTestDrive late('y', DRIVE_FIXED);
  ASSERT_TRUE(late.Ok());
  EXPECT_TRUE(UpdateDriveList(list, 0));
  EXPECT_EQ(Letters(list), SystemLetters());
  late.Remove();
  EXPECT_TRUE(UpdateDriveList(list, 0));
  EXPECT_EQ(Letters(list), SystemLetters());
}

// Without CD-ROM drives in the list an unchanged CD-ROM drive is no change.
TEST_F(DrivesTest, UpdateWithoutCdRomDrives) {
  TTestDrive cd('m', DRIVE_CDROM);
  ASSERT_TRUE(cd.Ok());
  TDriveList list;
  FillDriveList(list, 7);
  EXPECT_EQ(Letters(list).find('m'), std::string::npos);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(UpdateDriveList(list, 7)) << i;
  EXPECT_TRUE(UpdateDriveList(list, 3));  // the options changed: now it is listed
  EXPECT_NE(Letters(list).find('m'), std::string::npos);
  EXPECT_TRUE(UpdateDriveList(list, 7));
  EXPECT_EQ(Letters(list).find('m'), std::string::npos);
}

TEST_F(DrivesTest, FindDriveIndex) {
  TDriveList list;
  list.push_back(Record('a', DRIVE_REMOVABLE, true));
  list.push_back(Record('c', DRIVE_FIXED, true));
  list.push_back(Record('q', DRIVE_FIXED, true));  // not there: its volume cannot answer
  list.push_back(Record('*', DRIVE_REMOTE, false));
  struct TCase {
    char letter;
    int index;
  };
  const TCase cases[] = {{'a', 0}, {'A', 0}, {'C', 1}, {'q', 2}, {'*', 3}, {'r', 1}, {'\\', 1}};
  for (const auto& c : cases) EXPECT_EQ(FindDriveIndex(c.letter, list), c.index) << c.letter;

  TDriveList noFixed;
  EXPECT_EQ(FindFirstFixedDrive(noFixed), 0);
  EXPECT_EQ(FindDriveIndex('c', noFixed), 0);
  noFixed.push_back(Record('q', DRIVE_FIXED, true));
  noFixed.push_back(Record('a', DRIVE_REMOVABLE, true));
  noFixed.push_back(Record('*', DRIVE_FIXED, false));
  EXPECT_EQ(FindFirstFixedDrive(noFixed), 3);
  EXPECT_EQ(FindDriveIndex('z', noFixed), 3);
}

// Lookups that find nothing give the count: it must never be used as an entry.
TEST_F(DrivesTest, ReadinessAndLookupsOutsideTheList) {
  TTestDrive gone('k', DRIVE_FIXED);
  ASSERT_TRUE(gone.Ok());
  TDriveList list;
  FillDriveList(list, 3);
  gone.Remove();
  struct TCase {
    char letter;
    bool ready;
  };
  const TCase cases[] = {
      {'c', true}, {'C', true}, {'z', true}, {'*', true},
      {'q', false},  // not in the list: the fallback entry has another letter
      {'k', false},  // listed, but gone
      {'\0', false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsDriveReady(c.letter, list), c.ready) << c.letter;
  if (NetworkPresent()) {
    EXPECT_TRUE(IsDriveReady('\\', list));
  }

  TDriveList empty;
  EXPECT_FALSE(IsDriveReady('c', empty));
  EXPECT_FALSE(IsDriveReady('*', empty));
  TDriveList noFixed;
  noFixed.push_back(Record('a', DRIVE_REMOVABLE, true));
  EXPECT_FALSE(IsDriveReady('x', noFixed));

  const int counts[] = {-1, int(list.size()), int(list.size()) + 5};
  for (int i : counts) EXPECT_EQ(DriveAt(list, i), nullptr) << i;
  EXPECT_EQ(DriveAt(empty, FindDriveIndex('c', empty)), nullptr);
  EXPECT_EQ(DriveAt(list, 0), list[0].get());

  FillDriveList(DriveList, 2);
  EXPECT_TRUE(IsDriveReady('C'));
  EXPECT_FALSE(IsDriveReady('q'));
  DriveList.clear();
  EXPECT_FALSE(IsDriveReady('c'));
}

TEST(WebPages, Addresses) {
  struct TCase {
    int page;
    std::string address;
  };
  const std::string site = WebSiteAddress;
  const TCase cases[] = {
      {20, site + "tsupport.html"}, {21, site},
      {22, site + "plugins.html"},  {23, ""},
      {24, site + "contact.html"},  {25, site + "tutorials/index.html"},
      {0, ""},                      {-1, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(WebPageAddress(c.page), c.address) << c.page;
  OpenWebPage(23);  // unknown: nothing happens
}

}  // namespace
