#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <tuple>

#include "core/translator.h"
#include "engines/BatchAutomaton.h"
#include "engines/BatchMatcher.h"
#include "support/PlainReplace.h"

namespace {

class TMemoryIO : public IBatchIO {
 public:
  explicit TMemoryIO(std::string input) : input_(std::move(input)) {}
  bool ReadInput(uint64_t offset, char* buffer, size_t size) override {
    if (offset + size > input_.size()) return false;
    std::memcpy(buffer, input_.data() + offset, size);
    reads += size;
    return true;
  }
  bool WriteOutput(const char* data, size_t size) override {
    output.append(data, size);
    return true;
  }
  bool Stopped() override { return reads > stopAfter; }
  std::string output;
  uint64_t reads = 0;
  uint64_t stopAfter = UINT64_MAX;

 private:
  std::string input_;
};

struct TPair {
  bool caseSensitive;
  const char* find;
  const char* replacement;
};

std::vector<TBatchRecord> Records(const std::vector<TPair>& pairs) {
  std::vector<TBatchRecord> records;
  for (const TPair& p : pairs) {
    TBatchRecord r;
    r.caseSensitive = p.caseSensitive;
    if (p.caseSensitive)
      r.find = p.find;
    else
      ParseFindText(p.find, &r.find);
    ParseReplaceText(p.replacement, &r.replacement, &r.kind);
    records.push_back(r);
  }
  return records;
}

std::string RunTable(const std::vector<TBatchRecord>& records, const std::string& text, size_t block,
                int64_t& matches) {
  TMemoryIO io(text);
  matches = RunBatchMatch(records, text.size(), io, block);
  return io.output;
}

TEST(BatchMatch, TokensKindsAndChoice) {
  struct TCase {
    std::vector<TPair> pairs;
    const char* text;
    const char* result;
    int64_t matches;
  };
  const TCase cases[] = {
      {{{true, "cat", "dog"}, {true, "at", "AT"}}, "cat", "dog", 1},
      {{{true, "x", "1"}, {true, "x", "2"}}, "axb", "a1b", 1},
      {{{true, "x", "#U#>"}}, "axb", "a>xb", 1},
      {{{true, "x", "#D#>"}}, "axb", "ax>b", 1},
      {{{false, "abc", "-"}}, "ABC aBc", "- -", 2},
      {{{true, "#65#", "-"}}, "Aa", "-a", 1},
      {{{false, "#65#", "-"}}, "Aa", "-a", 1},
      {{{true, "#[a-c]#", "-"}}, "abcd", "---d", 3},
      {{{true, "#[^a-c]#", "-"}}, "abcd", "abc-", 1},
      {{{true, "#[a-]#", "-"}}, "a-b", "--b", 2},
      {{{true, "#?,x41#", "-"}}, "zA zB", "- zB", 1},
      {{{true, "a#*#b", "-"}}, "xaxxbyb", "x-yb", 1},
      {{{true, "a#*#", "-"}}, "xaxxb", "x-", 1},
      {{{true, "ab*2*c", "-"}}, "abcc abccccd abc", "- -d abc", 2},
      {{{true, "*2*ab", "-"}}, "ababab abx", "- abx", 1},
      {{{true, "x*1*ab", "-"}}, "xababa", "-a", 1},
      {{{true, "cat", "dog"}}, "ccat", "cdog", 1},
      {{{true, "aab", "X"}}, "aaab", "aX", 1},
      {{{true, "##**", "-"}}, "a#*b", "a-b", 1},
      {{{true, "abc", "1"}, {true, "b", "2"}}, "abc", "a2c", 1},
      {{{true, "zz", "y"}}, "", "", 0},
      // A hold ends an open run before the held text, which is read again.
      {{{true, "<#*#", "[]"}, {true, "\n#B#", ""}}, "<ab\ncd", "[]\ncd", 1},
      {{{true, "#B#", "-"}}, "abc", "abc", 0},
      {{{true, "a#B#", "-"}, {true, "b", "+"}}, "abc", "a+c", 1},
  };
  for (const TCase& c : cases) {
    for (size_t block : {size_t(1), size_t(3), size_t(262144)}) {
      int64_t matches = -2;
      EXPECT_EQ(RunTable(Records(c.pairs), c.text, block, matches), c.result) << c.text << " " << block;
      EXPECT_EQ(matches, c.matches) << c.text;
    }
  }
}

TEST(BatchMatch, RunCrossesBlockEdges) {
  std::string text = "x" + std::string(262144 - 3, '.') + "a" + std::string(10, '.') + "b tail";
  int64_t matches;
  EXPECT_EQ(RunTable(Records({{true, "a#*#b", "-"}}), text, 262144, matches),
            "x" + std::string(262144 - 3, '.') + "- tail");
  EXPECT_EQ(matches, 1);
}

TEST(BatchMatch, LongFilesStayLinear) {
  // Open runs and holds everywhere must not read bytes over and over.
  const std::string text(200000, 'a');
  TMemoryIO io(text);
  const auto records = Records({{true, "a#*#b", "-"}, {true, "#B#", ""}, {true, "*3*a#*#c", "-"}});
  EXPECT_EQ(RunBatchMatch(records, text.size(), io, 4096), 0);
  EXPECT_EQ(io.output, text);
  EXPECT_LT(io.reads, 4 * text.size());
}

TEST(BatchMatch, ManyRowsOverALongFileStayLinear) {
  // Rows that keep attempts open to the end, since no "z" or "q" comes:
  // runs, counts and a hold; then the last row, the only one that completes,
  // so the result is a plain left-to-right replacement of it.
  std::vector<TPair> pairs;
  static const char* const finds[] = {"a#*#z", "*2*ab#*#z", "#[ab]##*#q", "x#?#q", "q#B#", "*3*b#?#a#*#q"};
  for (int k = 0; k < 60; ++k) pairs.push_back({true, finds[k % std::size(finds)], "?"});
  pairs.push_back({true, "yxxy", "-"});
  std::mt19937 rng(41);
  std::string text(1 << 18, 'a');
  for (char& c : text) c = "abxy"[rng() % 4];
  int64_t expectedMatches = 0;
  const std::string expected = ReplacedEverywhere(text, "yxxy", "-", expectedMatches);
  ASSERT_GT(expectedMatches, 500);
  TMemoryIO io(text);
  EXPECT_EQ(RunBatchMatch(Records(pairs), text.size(), io, 65536), expectedMatches);
  EXPECT_TRUE(io.output == expected);
  EXPECT_LT(io.reads, 4 * text.size());
}

TEST(BatchMatch, StopsWhileCopyingAnOpenRunAgain) {
  // The run never closes: at the end its bytes are read a second time.
  const std::string text(1 << 20, 'a');
  const auto records = Records({{true, "a#*#b", "-"}});
  TMemoryIO io(text);
  EXPECT_EQ(RunBatchMatch(records, text.size(), io, 4096), 0);
  EXPECT_EQ(io.output, text);
  TMemoryIO stopped(text);
  stopped.stopAfter = text.size() + text.size() / 2;
  EXPECT_EQ(RunBatchMatch(records, text.size(), stopped, 4096), -1);
  EXPECT_LT(stopped.reads, text.size() * 2);
}

// The plain model: every start on its own, all branches kept apart.
struct TRefState {
  size_t pos;
  bool inCount;
  uint32_t reps;
  int64_t lastRepEnd;
  bool operator<(const TRefState& o) const {
    return std::tie(pos, inCount, reps, lastRepEnd) < std::tie(o.pos, o.inCount, o.reps, o.lastRepEnd);
  }
};

void RefSettle(const TBatchPattern& p, TRefState s, int64_t last, bool viaByte,
               std::set<TRefState>& out, std::vector<int64_t>& ends) {
  if (s.pos == p.tokens.size()) {
    if (!viaByte) return;
    if (!s.inCount) {
      ends.push_back(last);
      return;
    }
    RefSettle(p, {size_t(p.countAt + 1), true, s.reps + 1, last}, last, false, out, ends);
    return;
  }
  const TBatchToken& t = p.tokens[s.pos];
  if (t.kind == TBatchToken::Run) {
    out.insert(s);
    RefSettle(p, {s.pos + 1, s.inCount, s.reps, s.lastRepEnd}, last, false, out, ends);
  } else if (t.kind == TBatchToken::Count) {
    RefSettle(p, {s.pos + 1, true, 0, last}, last, false, out, ends);
  } else {
    out.insert(s);
  }
}

bool OnlyRuns(const TBatchPattern& p, size_t pos) {
  for (size_t k = pos; k < p.tokens.size(); ++k)
    if (p.tokens[k].kind != TBatchToken::Run) return false;
  return true;
}

// When the attempt at start decides and where its match ends.
bool RefAttempt(const TBatchPattern& p, const std::string& text, size_t start, size_t& decide,
                int64_t& end) {
  std::set<TRefState> states;
  std::vector<int64_t> ends;
  RefSettle(p, {0, false, 0, int64_t(start) - 1}, int64_t(start) - 1, false, states, ends);
  const uint32_t need = p.countAt >= 0 ? p.tokens[p.countAt].count : 0;
  for (size_t j = start; j < text.size() && !states.empty(); ++j) {
    std::set<TRefState> next;
    for (const TRefState& s : states) {
      const TBatchToken& t = p.tokens[s.pos];
      if (t.kind == TBatchToken::Run)
        RefSettle(p, s, int64_t(j), false, next, ends);
      else if (t.Matches(uint8_t(text[j])))
        RefSettle(p, {s.pos + 1, s.inCount, s.reps, s.lastRepEnd}, int64_t(j), true, next, ends);
      else if (s.inCount && s.reps >= need)
        ends.push_back(s.lastRepEnd);
    }
    if (j + 1 == text.size()) {
      for (const TRefState& s : next) {
        const bool runs = OnlyRuns(p, s.pos);
        if (!s.inCount && runs) ends.push_back(int64_t(j));
        if (s.inCount && s.reps + (runs ? 1 : 0) >= need) ends.push_back(runs ? int64_t(j) : s.lastRepEnd);
      }
    }
    if (!ends.empty()) {
      decide = j;
      end = *std::max_element(ends.begin(), ends.end());
      return true;
    }
    states.swap(next);
  }
  return false;
}

std::string RefRun(const std::vector<TBatchRecord>& records, const std::string& text, int64_t& matches) {
  std::vector<TBatchPattern> patterns;
  for (const TBatchRecord& r : records) patterns.push_back(CompileBatchPattern(r));
  std::string out;
  matches = 0;
  size_t cursor = 0;
  while (cursor < text.size()) {
    size_t bestDecide = SIZE_MAX, bestStart = 0, bestPair = 0;
    int64_t bestEnd = 0;
    for (size_t s = cursor; s < text.size() && s <= bestDecide; ++s) {
      for (size_t k = 0; k < patterns.size(); ++k) {
        size_t decide;
        int64_t end;
        if (!patterns[k].valid || !RefAttempt(patterns[k], text, s, decide, end)) continue;
        if (decide < bestDecide) std::tie(bestDecide, bestStart, bestPair, bestEnd) = std::tie(decide, s, k, end);
      }
    }
    if (bestDecide == SIZE_MAX) break;
    const TBatchRecord& r = records[bestPair];
    const std::string matched = text.substr(bestStart, size_t(bestEnd) + 1 - bestStart);
    out += text.substr(cursor, bestStart - cursor);
    out += r.kind == kInsertBefore ? r.replacement + matched
           : r.kind == kInsertAfter ? matched + r.replacement
                                    : r.replacement;
    ++matches;
    cursor = size_t(bestEnd) + 1;
  }
  out += text.substr(std::min(cursor, text.size()));
  return out;
}

std::string RandomPattern(std::mt19937& rng) {
  static const char* const parts[] = {"a", "b", "c", "A", "#?#", "#[ab]#", "#[^a]#", "#97#", "#*#", "##"};
  std::string p;
  const size_t n = 1 + rng() % 4;
  const size_t countAt = rng() % 3 == 0 ? rng() % n : SIZE_MAX;
  for (size_t k = 0; k < n; ++k) {
    if (k == countAt) {
      p.push_back('*');
      p.append(std::to_string(1 + rng() % 3));
      p.push_back('*');
    }
    p += parts[rng() % std::size(parts)];
  }
  return p;
}

TEST(BatchMatch, AgreesWithThePlainModel) {
  std::mt19937 rng(20261209);
  static const char* const prefixes[] = {"", "", "#U#", "#D#"};
  for (int round = 0; round < 4000; ++round) {
    std::vector<std::string> finds, repls;
    std::vector<TPair> pairs;
    const size_t n = 1 + rng() % 3;
    for (size_t k = 0; k < n; ++k) {
      finds.push_back(RandomPattern(rng));
      std::string r = prefixes[rng() % 4];
      r.push_back(char('0' + k));
      repls.push_back(r);
    }
    for (size_t k = 0; k < n; ++k) pairs.push_back({rng() % 2 == 0, finds[k].c_str(), repls[k].c_str()});
    std::string text(rng() % 70, ' ');
    for (char& c : text) c = "abcAB#"[rng() % 6];
    const auto records = Records(pairs);
    int64_t refMatches, matches;
    const std::string expected = RefRun(records, text, refMatches);
    const size_t block = round % 4 == 0 ? 262144 : 1 + rng() % 8;
    std::string tableText;
    for (const std::string& f : finds) tableText += f + " ";
    ASSERT_EQ(RunTable(records, text, block, matches), expected) << tableText << "| " << text;
    ASSERT_EQ(matches, refMatches) << tableText << "| " << text;
  }
}

}  // namespace

// Fixed-length tables of overlapping rows over a few letters, folded and
// exact, against the attempt states, over every block size; one matcher
// serves all rounds, so a table it kept from an earlier round would show.
TEST(BatchMatch, AutomatonAgreesWithTheStates) {
  std::mt19937 rng(29);
  static const char* const parts[] = {"a", "b", "A", "B", "\xC0", "\xE0", "#97#", "#?#", "#[ab]#",
                                      "#[^a]#", "##", "**", "#x41,?#"};
  static const char* const prefixes[] = {"", "", "#U#", "#D#"};
  TBatchMatcher matcher;
  for (int round = 0; round < 6000; ++round) {
    std::vector<std::string> finds, repls;
    const size_t n = 1 + rng() % (round % 10 == 0 ? 40 : 5);
    for (size_t k = 0; k < n; ++k) {
      std::string f;
      for (size_t m = 1 + rng() % (rng() % 4 == 0 ? 9 : 3); m > 0; --m) f += parts[rng() % std::size(parts)];
      if (rng() % 50 == 0) f += "#";  // unchecked and invalid: never matches
      finds.push_back(f);
      repls.push_back(prefixes[rng() % 4] + std::string(rng() % 3, char('0' + k % 10)));
    }
    std::vector<TPair> pairs;
    for (size_t k = 0; k < n; ++k) pairs.push_back({rng() % 2 == 0, finds[k].c_str(), repls[k].c_str()});
    const auto records = Records(pairs);
    std::string text(rng() % 300, ' ');
    for (char& c : text) c = "abAB\xC0\xE0#* "[rng() % 9];
    const size_t block = round % 5 == 0 ? 262144 : 1 + rng() % 8;
    TMemoryIO states(text), fast(text);
    const int64_t expected = RunStateMatch(records, text.size(), states, block);
    TBatchAutomaton automaton;
    ASSERT_TRUE(automaton.Build(records));
    std::string table;
    for (const std::string& f : finds) table += f + " ";
    ASSERT_EQ(matcher.Run(records, text.size(), fast, block), expected) << table << "| " << text;
    ASSERT_EQ(fast.output, states.output) << table << "| " << text << " " << block;
  }
  for (const char* find : {"a#*#b", "ab*2*c", "a#B#"}) {
    TBatchAutomaton automaton;
    EXPECT_FALSE(automaton.Build(Records({{true, "ab", "-"}, {true, find, "-"}}))) << find;
  }
}
