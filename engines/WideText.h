#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engines/ReplacerBase.h"

// Flags of the office wrappers' own matcher (ReplaceFlags).
constexpr uint32_t wfMatchCase = 1;
constexpr uint32_t wfWholeWord = 4;
constexpr uint32_t wfWholeText = 8;

// 1-based positions of the first and last character; an empty range has
// Last = First - 1.
struct TWideMatch {
  int32_t First;
  int32_t Last;
  bool operator==(const TWideMatch&) const = default;
};
using TWideMatchList = std::vector<TWideMatch>;

// Non-overlapping matches from left to right; "*" any run, "?" one character,
// "~" makes the next pattern character literal. startPos -1 searches all,
// otherwise the search stops at the first match. edgeFlags 1 / 2 take the
// position after / before the current one as a word boundary. Returns the
// number of matches found.
int FindWideMatches(const std::wstring& text, const std::wstring& pattern, int startPos,
                    uint32_t flags, TWideMatchList* matchList, int edgeFlags);

// Applies the replace mode to every match of findText (or, for insert
// between, to what lies between findText and secondText) and returns the new
// text; matchCount grows by the matches found. A given matchList receives them.
std::wstring ReplaceInWideText(TReplaceMode mode, int32_t& matchCount, const std::wstring& text,
                               const std::wstring& findText, const std::wstring& secondText,
                               const std::wstring& replaceText, uint32_t flags,
                               TWideMatchList* matchList);
