#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One mask of a ";"-separated list, kept in both cases for the matcher.
struct TPartFilterItem {
  std::string upper;
  std::string lower;
  int32_t length = 0;
};

using TFilterList = std::vector<TPartFilterItem>;

// Appends one item per non-empty mask of text; the list is not cleared.
void ParseFilterList(const std::string& text, TFilterList& list);
// "*" any run, "?" one character; letters compare in either case. A trailing
// run of "*" and "." also matches the empty rest of a name.
bool MatchMask(const char* name, const TPartFilterItem& item);
bool MatchFilterList(const char* name, const TFilterList& list, bool ifEmpty);
inline void FreeFilterList(TFilterList& list) { list.clear(); }
