#include "core/Masks.h"

#include <windows.h>

#include <cstring>

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

TPartFilterItem MakeItem(const std::string& mask) {
  TPartFilterItem item{mask, mask, static_cast<int32_t>(mask.size())};
  CharUpperBuffA(item.upper.data(), DWORD(mask.size()));
  CharLowerBuffA(item.lower.data(), DWORD(mask.size()));
  return item;
}

bool RestMatchesEmpty(const std::string& mask, size_t m) {
  for (; m < mask.size(); ++m)
    if (mask[m] != '*' && mask[m] != '.') return false;
  return true;
}

}  // namespace

void ParseFilterList(const std::string& text, TFilterList& list) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    size_t a = start, b = end;
    while (a < b && IsBlank(text[a])) ++a;
    while (b > a && IsBlank(text[b - 1])) --b;
    if (b > a) list.push_back(MakeItem(text.substr(a, b - a)));
    start = end + 1;
  }
}

// Backtracks only to the latest "*": it can absorb whatever an earlier one
// would have, so the search stays linear in practice.
bool MatchMask(const char* name, const TPartFilterItem& item) {
  const std::string& up = item.upper;
  const std::string& lo = item.lower;
  // "*" and "*.*" take every name, and are what most lists are read with.
  if (!up.empty() && up[0] == '*' && RestMatchesEmpty(up, 1)) return true;
  const size_t nameLen = strlen(name);
  const size_t npos = std::string::npos;
  size_t m = 0, n = 0, starM = npos, starN = 0;
  for (;;) {
    if (m < up.size() && up[m] == '*') {
      starM = ++m;
      starN = n;
      continue;
    }
    if (n == nameLen) {
      if (RestMatchesEmpty(up, m)) return true;
    } else if (m < up.size() && (up[m] == '?' || name[n] == up[m] || name[n] == lo[m])) {
      ++m;
      ++n;
      continue;
    }
    if (starM == npos || starN >= nameLen) return false;
    m = starM;
    n = ++starN;
  }
}

bool MatchFilterList(const char* name, const TFilterList& list, bool ifEmpty) {
  if (list.empty()) return ifEmpty;
  for (const auto& item : list)
    if (MatchMask(name, item)) return true;
  return false;
}
