#include "engines/BatchMatcher.h"

#include <algorithm>
#include <vector>

#include "engines/BatchReplacer_utils.h"

namespace {

char LowerByte(char c) {
  CharLowerBuffA(&c, 1);
  return c;
}

bool MatchesAt(std::string_view text, size_t start, const TBatchRecord& r) {
  for (size_t k = 0; k < r.find.size(); ++k) {
    const char b = r.caseSensitive ? text[start + k] : LowerByte(text[start + k]);
    if (b != r.find[k]) return false;
  }
  return true;
}

}  // namespace

std::string ReplaceInString(std::string_view text, HGLOBAL block, uint32_t pairCount,
                            int32_t& matchCount) {
  matchCount = 0;
  std::vector<TBatchRecord> records;
  if (text.empty() || !ReadBatchRecords(block, pairCount, records)) return std::string(text);
  size_t longest = 0;
  for (const TBatchRecord& r : records) longest = std::max(longest, r.find.size());
  std::string result;
  size_t copied = 0;  // text before this is settled
  for (size_t end = 1; end <= text.size(); ++end) {
    const TBatchRecord* winner = nullptr;
    size_t winnerStart = 0;
    for (size_t start = std::max(copied, end - std::min(end, longest)); start < end && !winner; ++start) {
      for (const TBatchRecord& r : records) {
        if (!r.find.empty() && r.find.size() == end - start && MatchesAt(text, start, r)) {
          winner = &r;
          winnerStart = start;
          break;
        }
      }
    }
    if (!winner) continue;
    result.append(text.substr(copied, winnerStart - copied));
    result.append(winner->replacement);
    copied = end;
    ++matchCount;
  }
  result.append(text.substr(copied));
  return result;
}
