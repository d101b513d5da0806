#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "core/Masks.h"

namespace {

struct TMatchCase {
  const char* mask;
  const char* name;
  bool match;
};

const TMatchCase MatchCases[] = {
    {"*.*", "readme", true},
    {"*.*", "a.b.c", true},
    {"*.xls", "BOOK.XLS", true},
    {"*.xls", "a.xls.b.xls", true},
    {"*.xls", "report.xls.bak", false},
    {"r*", "report", true},
    {"r*", "xr", false},
    {"*r", "rex", false},
    {"*r", "tower", true},
    {"a?c", "ac", false},
    {"a?c", "abc", true},
    {"?", "ab", false},
    {"?", "a", true},
    {"a", "aa", false},
    {"ab", "abab", false},
    {"ab", "AB", true},
    {"readme.*", "readme", true},
    {"readme.", "readme", true},
    {"readme.*", "readme.txt", true},
    {"readme", "readme.txt", false},
    {"*.", "noext", true},
    {"*.", "one.ext", true},
    {"*a*b", "xaxxb", true},
    {"*a*b", "xaxxbc", false},
    {"*ab", "aab", true},
    {"1+1", "1+1", true},
    {"[x]", "[X]", true},
    {"\xE4*", "\xC4pfel", true},
    {"\xC4*", "\xE4pfel", true},
    {"*\xDF", "stra\xDF", true},
    {"x", "", false},
    {"*", "", true},
};

TEST(Masks, MatchCases) {
  for (const auto& c : MatchCases) {
    TFilterList list;
    ParseFilterList(c.mask, list);
    ASSERT_EQ(list.size(), 1u) << c.mask;
    EXPECT_EQ(MatchMask(c.name, list[0]), c.match) << c.mask << " vs " << c.name;
  }
}

struct TParseCase {
  const char* text;
  size_t items;
  const char* first;
};

const TParseCase ParseCases[] = {
    {"*.doc;*.dot;*.rtf;*.wps;*.mcw", 5, "*.DOC"},
    {" *.txt ;; *.ini ;", 2, "*.TXT"},
    {"\t;  ;\r\n", 0, nullptr},
    {"", 0, nullptr},
    {"a b", 1, "A B"},
};

TEST(Masks, ParseSplitsAndTrims) {
  for (const auto& c : ParseCases) {
    TFilterList list;
    ParseFilterList(c.text, list);
    ASSERT_EQ(list.size(), c.items) << c.text;
    if (c.first) {
      EXPECT_EQ(list[0].upper, c.first);
      EXPECT_EQ(list[0].length, int32_t(strlen(c.first)));
    }
  }
  TFilterList list;
  ParseFilterList("*.a", list);
  ParseFilterList("*.b", list);
  EXPECT_EQ(list.size(), 2u);  // appends
  EXPECT_EQ(list[1].lower, "*.b");
}

TEST(Masks, FilterListTakesAnyAndDefaultsWhenEmpty) {
  TFilterList list;
  EXPECT_TRUE(MatchFilterList("x", list, true));
  EXPECT_FALSE(MatchFilterList("x", list, false));
  ParseFilterList("*.doc;*.txt", list);
  EXPECT_TRUE(MatchFilterList("a.TXT", list, false));
  EXPECT_FALSE(MatchFilterList("a.xls", list, true));
}

// Plain recursive reading of the same rules.
bool Reference(const char* m, const char* n) {
  if (*m == '*') return Reference(m + 1, n) || (*n && Reference(m, n + 1));
  if (!*n) {
    while (*m == '*' || *m == '.') ++m;
    return !*m;
  }
  if (!*m) return false;
  return (*m == '?' || toupper(*m) == toupper(*n)) && Reference(m + 1, n + 1);
}

TEST(Masks, AgreesWithRecursiveReading) {
  std::mt19937 rng(1234);
  const char maskChars[] = "ab.*?";
  const char nameChars[] = "abAB.";
  for (int i = 0; i < 20000; ++i) {
    std::string mask, name;
    for (int k = rng() % 6 + 1; k > 0; --k) mask += maskChars[rng() % 5];
    for (int k = rng() % 8; k > 0; --k) name += nameChars[rng() % 5];
    TFilterList list;
    ParseFilterList(mask, list);
    ASSERT_EQ(MatchMask(name.c_str(), list[0]), Reference(mask.c_str(), name.c_str()))
        << mask << " vs " << name;
  }
}

}  // namespace
