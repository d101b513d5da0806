#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/RingList.h"
#include "framework/FileIO.h"

namespace {

using TLines = std::vector<std::string>;

TLines Lines(const TStringList& l) { return TLines(l.begin(), l.end()); }

TLines Items(const TOrv_RingList& ring) {
  TStringList out;
  ring.GetItems(out);
  return Lines(out);
}

TOrv_RingList RingOf(const TLines& texts) {
  TOrv_RingList ring;
  for (const auto& t : texts) ring.AddText(t);
  return ring;
}

// A fresh folder with an ini file path in it, removed afterwards.
class RingListIni : public testing::Test {
 protected:
  void SetUp() override {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    folder_ = std::string(tmp) + "kvt_ring_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
    path_ = folder_ + "\\kvt.ini";
  }
  void TearDown() override {
    DeleteFileA(path_.c_str());
    RemoveDirectoryA(folder_.c_str());
  }
  void WriteIni(const std::string& text) { ASSERT_TRUE(WriteFileReplacing(path_, text)); }
  std::string folder_, path_;
};

TEST(RingList, AddText) {
  struct TCase {
    TLines added;
    TLines lines;
    int current;
    TLines items;
  };
  const TLines nine = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
  auto with = [&](TLines extra) {
    TLines all = nine;
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
  };
  const TCase cases[] = {
      {{}, {}, 0, {}},
      {{"", "A", ""}, {"A"}, 1, {"A"}},
      {{"A", "B", "C"}, {"A", "B", "C"}, 3, {"C", "B", "A"}},
      {{"A", "B", "C", "A"}, {"C", "B", "A"}, 3, {"A", "B", "C"}},
      {{"A", "B", "B"}, {"A", "B"}, 2, {"B", "A"}},
      {{"A", "B", "a"}, {"A", "B", "a"}, 3, {"a", "B", "A"}},
      {nine, nine, 9, {"9", "8", "7", "6", "5", "4", "3", "2", "1"}},
      {with({"X"}), {"X", "2", "3", "4", "5", "6", "7", "8", "9"}, 1,
       {"X", "9", "8", "7", "6", "5", "4", "3", "2"}},
      {with({"X", "Y"}), {"X", "Y", "3", "4", "5", "6", "7", "8", "9"}, 2,
       {"Y", "X", "9", "8", "7", "6", "5", "4", "3"}},
      {with({"4"}), nine, 4, {"4", "3", "2", "1", "9", "8", "7", "6", "5"}},
      {with({"4", "Z"}), {"1", "2", "3", "4", "Z", "6", "7", "8", "9"}, 5,
       {"Z", "4", "3", "2", "1", "9", "8", "7", "6"}},
      {with({"9", "Z"}), {"Z", "2", "3", "4", "5", "6", "7", "8", "9"}, 1,
       {"Z", "9", "8", "7", "6", "5", "4", "3", "2"}},
  };
  for (const auto& c : cases) {
    const TOrv_RingList ring = RingOf(c.added);
    EXPECT_EQ(Lines(ring.List()), c.lines) << testing::PrintToString(c.added);
    EXPECT_EQ(ring.Current(), c.current) << testing::PrintToString(c.added);
    EXPECT_EQ(Items(ring), c.items) << testing::PrintToString(c.added);
  }
}

TEST(RingList, KeepsAGivenList) {
  auto list = std::make_unique<TStringList>();
  list->Add("x");
  TOrv_RingList ring(std::move(list));
  EXPECT_EQ(Lines(ring.List()), TLines{"x"});
  EXPECT_EQ(ring.Current(), 0);
}

TEST_F(RingListIni, StoresHexOfLinesAndSlot) {
  TIniFile ini(path_);
  ASSERT_TRUE(SaveRingList(ini, RingOf({"A", "B"}), "Finder", "Masks"));
  EXPECT_EQ(ini.ReadString("Finder", "Masks", ""), "410D0A420D0A320D0A");
  std::string file;
  ASSERT_TRUE(ReadWholeFile(path_, file));
  EXPECT_NE(file.find("Masks=410D0A420D0A320D0A"), std::string::npos) << file;
}

TEST_F(RingListIni, RoundTrips) {
  const std::vector<TLines> cases = {
      {},
      {"A"},
      {"*.txt;*.doc", "a b c", "\xE4\xF6\xFC high bytes", "="},
      {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "4"},
      {std::string(TOrv_RingList::MaxSavedText, 'q'), "short"},
  };
  for (const auto& added : cases) {
    TIniFile ini(path_);
    const TOrv_RingList saved = RingOf(added);
    ASSERT_TRUE(SaveRingList(ini, saved, "Renamer", "NameMasks"));
    TOrv_RingList loaded = RingOf({"stale"});
    LoadRingList(TIniFile(path_), loaded, "Renamer", "NameMasks");
    EXPECT_EQ(Lines(loaded.List()), Lines(saved.List())) << testing::PrintToString(added);
    EXPECT_EQ(loaded.Current(), saved.Current()) << testing::PrintToString(added);
    EXPECT_EQ(Items(loaded), Items(saved)) << testing::PrintToString(added);
  }
}

// A text the settings file cannot hold stays out; the others keep their age.
TEST_F(RingListIni, TextsTooLongToStoreAreLeftOut) {
  const std::string tooLong(TOrv_RingList::MaxSavedText + 1, 'L');
  const std::vector<TLines> cases = {{"a", tooLong, "b"}, {"1", "2", "3", tooLong, "5", "6", "7", "8", "9", "10", "11"}};
  for (const auto& added : cases) {
    TIniFile ini(path_);
    const TOrv_RingList saved = RingOf(added);
    ASSERT_TRUE(SaveRingList(ini, saved, "R", "K"));
    TOrv_RingList loaded;
    LoadRingList(ini, loaded, "R", "K");
    TLines want = Items(saved);
    std::erase(want, tooLong);
    EXPECT_EQ(Items(loaded), want) << added.size();
  }
}

TEST_F(RingListIni, StringListRoundTripHasNoSlotLine) {
  TIniFile ini(path_);
  TStringList paths;
  paths.Add("C:\\one");
  paths.Add("D:\\two\\");
  ASSERT_TRUE(WriteStringsToIni(ini, paths, "Finder", "Paths"));
  EXPECT_EQ(ini.ReadString("Finder", "Paths", ""), "433A5C6F6E650D0A443A5C74776F5C0D0A");
  TStringList back;
  back.Add("old");
  ReadStringsFromIni(ini, back, "Finder", "Paths");
  EXPECT_EQ(Lines(back), Lines(paths));
  ReadStringsFromIni(ini, back, "Finder", "Missing");
  EXPECT_EQ(back.Count(), 0u);
}

// The value is input: whatever it holds, the ring comes out within its rules.
TEST_F(RingListIni, HostileValues) {
  struct TCase {
    const char* value;
    TLines lines;
    int current;
    TLines items;
  };
  const TCase cases[] = {
      {"", {}, 0, {}},
      {"320D0A", {}, 0, {}},                                     // slot of an empty ring
      {"410D0A", {"A"}, 1, {"A"}},                               // slot line missing
      {"410D0A420D0A390D0A", {"A", "B"}, 2, {"B", "A"}},         // slot past the count
      {"410D0A420D0A300D0A", {"A", "B"}, 2, {"B", "A"}},         // slot 0
      {"410D0A420D0A2D310D0A", {"A", "B"}, 2, {"B", "A"}},       // a number, but no slot
      {"410D0A420D0A39393939393939393939390D0A", {"A", "B"}, 2, {"B", "A"}},  // likewise
      {"410D0A420D0A2B310D0A", {"A", "B"}, 2, {"B", "A"}},       // "+1": a signed slot
      {"410D0A420D0A33780D0A", {"A", "B", "3x"}, 3, {"3x", "B", "A"}},  // not a number
      {"410D0A420D0A2D0D0A", {"A", "B", "-"}, 3, {"-", "B", "A"}},      // a sign alone
      {"410D0A42ZZ0D0A", {"A", "B"}, 2, {"B", "A"}},             // bad hex stops reading
      {"410D0A4", {"A"}, 1, {"A"}},                              // odd digit count
      {"310D0A320D0A330D0A340D0A350D0A360D0A370D0A380D0A390D0A"
       "580D0A590D0A350D0A",
       {"1", "2", "3", "4", "5", "6", "7", "8", "9"}, 5,
       {"5", "4", "3", "2", "1", "9", "8", "7", "6"}},           // eleven lines
      {"310D0A320D0A330D0A340D0A350D0A360D0A370D0A380D0A390D0A"
       "31320D0A",
       {"1", "2", "3", "4", "5", "6", "7", "8", "9"}, 9,
       {"9", "8", "7", "6", "5", "4", "3", "2", "1"}},           // full ring, slot 12
      {"310D0A320D0A330D0A340D0A350D0A360D0A370D0A380D0A390D0A"
       "2D330D0A",
       {"1", "2", "3", "4", "5", "6", "7", "8", "9"}, 9,
       {"9", "8", "7", "6", "5", "4", "3", "2", "1"}},           // full ring, slot -3
      {"310D0A320D0A330D0A340D0A350D0A360D0A370D0A380D0A390D0A"
       "30303030303030303030303030330D0A",
       {"1", "2", "3", "4", "5", "6", "7", "8", "9"}, 3,
       {"3", "2", "1", "9", "8", "7", "6", "5", "4"}},           // full ring, slot 3 with zeros
  };
  for (const auto& c : cases) {
    WriteIni(std::string("[H]\r\nK=") + c.value + "\r\n");
    TOrv_RingList ring = RingOf({"stale"});
    LoadRingList(TIniFile(path_), ring, "H", "K");
    EXPECT_EQ(Lines(ring.List()), c.lines) << c.value;
    EXPECT_EQ(ring.Current(), c.current) << c.value;
    EXPECT_EQ(Items(ring), c.items) << c.value;
    ring.AddText("new");
    EXPECT_EQ(Items(ring).front(), "new") << c.value;
  }
}

}  // namespace
