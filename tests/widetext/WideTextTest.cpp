#include <gtest/gtest.h>

#include "engines/WideText.h"

namespace {

struct TReplaceCase {
  TReplaceMode mode;
  const wchar_t* text;
  const wchar_t* find;
  const wchar_t* second;
  const wchar_t* replace;
  uint32_t flags;
  const wchar_t* expected;
  int32_t matches;
};

TEST(WideText, ReplacesAsTheRulesSay) {
  static const TReplaceCase cases[] = {
      {rmReplace, L"abc abc", L"a*c", L"", L"X", 0, L"X X", 2},           // shortest star run
      {rmReplace, L"abcd", L"ab*", L"", L"X", 0, L"X", 1},                // trailing star to the end
      {rmReplace, L"abc abc", L"a?c", L"", L"X", 0, L"X X", 2},
      {rmReplace, L"a*c abc", L"a~*c", L"", L"X", 0, L"X abc", 1},        // tilde makes star literal
      {rmReplace, L"a?c abc", L"a~?c", L"", L"X", 0, L"X abc", 1},
      {rmReplace, L"ABC Abc aBc abc", L"abc", L"", L"x", 0, L"x x x x", 4},
      {rmReplace, L"ABC Abc aBc abc", L"abc", L"", L"x", wfMatchCase, L"ABC Abc aBc x", 1},
      {rmReplace, L"\u00C9t\u00E9 \u00E9T\u00C9", L"\u00E9t\u00E9", L"", L"x", 0, L"x x", 2},
      {rmReplace, L"a cat.", L"cat", L"", L"dog", wfWholeWord, L"a dog.", 1},
      {rmReplace, L"cats bobcat", L"cat", L"", L"dog", wfWholeWord, L"cats bobcat", 0},
      {rmReplace, L"cat_1", L"cat", L"", L"dog", wfWholeWord, L"cat_1", 0},
      {rmReplace, L"cat", L"cat", L"", L"dog", wfWholeWord, L"dog", 1},
      {rmReplace, L"cats bobcat", L"cat", L"", L"dog", 0, L"dogs bobdog", 2},
      {rmInsBetween, L"[a]", L"[", L"]", L"x", 0, L"[x]", 1},                 // insert between
      {rmInsBetween, L"[]", L"[", L"]", L"x", 0, L"[x]", 1},
      {rmInsBetween, L"[ab] c [d]", L"[", L"]", L"x", 0, L"[x] c [x]", 2},
      {rmInsBetween, L"ab", L"a", L"", L"x", 0, L"axb", 1},                  // no closing text: after
      {rmDelete, L"one two one", L"one", L"", L"zz", 0, L" two ", 2},
      {rmInsAfter, L"one two one", L"one", L"", L"!", 0, L"one! two one!", 2},
      {rmInsBefore, L"one two one", L"one", L"", L"!", 0, L"!one two !one", 2},
      {rmJustFind, L"one two one", L"one", L"", L"!", 0, L"one two one", 2},
      {rmBatch, L"aaa", L"aa", L"", L"b", 0, L"ba", 1},                // no overlaps
      {rmReplace, L"abc", L"", L"", L"x", 0, L"abc", 0},                    // empty pattern
      {rmReplace, L"", L"a", L"", L"x", 0, L"", 0},
  };
  for (const auto& c : cases) {
    int32_t count = 5;
    EXPECT_EQ(ReplaceInWideText(c.mode, count, c.text, c.find, c.second, c.replace, c.flags,
                                nullptr),
              c.expected)
        << c.mode << " " << static_cast<const void*>(c.text);
    EXPECT_EQ(count, 5 + c.matches) << c.mode;
  }
}

struct TFindCase {
  const wchar_t* text;
  const wchar_t* pattern;
  int startPos;
  uint32_t flags;
  TWideMatchList expected;
};

TEST(WideText, FindsRanges) {
  const TFindCase cases[] = {
      {L"xabcx abc", L"abc", -1, 0, {{2, 4}, {7, 9}}},
      {L"xabcx abc", L"abc", 5, 0, {{7, 9}}},  // a start position stops at the first
      {L"abc", L"abc", -1, wfWholeText, {{1, 3}}},
      {L"abc abc", L"abc", -1, wfWholeText, {}},
      {L"ab", L"*", -1, 0, {{1, 2}}},
      {L"a-b", L"a?b", -1, wfWholeWord, {}},   // a wildcard does not cross a delimiter
  };
  for (const auto& c : cases) {
    TWideMatchList got;
    EXPECT_EQ(FindWideMatches(c.text, c.pattern, c.startPos, c.flags, &got, 0),
              static_cast<int>(c.expected.size()));
    EXPECT_EQ(got, c.expected) << static_cast<const void*>(c.text);
  }
}

}  // namespace
