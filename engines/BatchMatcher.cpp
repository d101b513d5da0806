#include "engines/BatchMatcher.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "engines/BatchAutomaton.h"
#include "engines/BatchReplacer_utils.h"

namespace {

// The system's lower case of every byte, asked once.
const std::array<uint8_t, 256>& LowerTable() {
  static const std::array<uint8_t, 256> table = [] {
    std::array<uint8_t, 256> t;
    for (unsigned b = 0; b < 256; ++b) {
      char c = char(b);
      CharLowerBuffA(&c, 1);
      t[b] = uint8_t(c);
    }
    return t;
  }();
  return table;
}

char LowerByte(char c) { return char(LowerTable()[uint8_t(c)]); }

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

bool TBatchToken::Matches(uint8_t b) const { return kind <= Set && set.test(b); }

namespace {

std::bitset<256> ParseSet(std::string_view s) {
  std::bitset<256> set;
  const bool negate = !s.empty() && s[0] == '^';
  if (negate) s.remove_prefix(1);
  for (size_t i = 0; i < s.size(); ++i) {
    const uint8_t lo = s[i];
    if (i + 2 < s.size() && s[i + 1] == '-') {
      const uint8_t hi = s[i + 2];
      for (unsigned c = lo; c <= hi; ++c) set.set(c);
      i += 2;
    } else {
      set.set(lo);
    }
  }
  return negate ? ~set : set;
}

void CompileGroup(std::string_view t, size_t& i, TBatchPattern& p) {
  for (;;) {
    TBatchToken tok;
    const char c = t[i];
    if (c == '*' || c == 'B') {
      tok.kind = c == '*' ? TBatchToken::Run : TBatchToken::Hold;
      i += 2;  // the token and the closing sign
      p.tokens.push_back(tok);
      return;
    }
    if (c == '?') {
      tok.kind = TBatchToken::Any;
      ++i;
    } else if (c == '[') {
      const size_t close = t.find(']', i + 1);
      tok.kind = TBatchToken::Set;
      tok.set = ParseSet(t.substr(i + 1, close - i - 1));
      i = close + 1;
    } else {
      unsigned value = 0;
      if (c == 'x' || c == 'X') {
        for (++i; i < t.size() && isxdigit(uint8_t(t[i])); ++i)
          value = value * 16 + unsigned(isdigit(uint8_t(t[i])) ? t[i] - '0' : (t[i] | 0x20) - 'a' + 10);
      } else {
        for (; i < t.size() && isdigit(uint8_t(t[i])); ++i) value = value * 10 + unsigned(t[i] - '0');
      }
      tok.byte = uint8_t(value);
    }
    p.tokens.push_back(tok);
    if (t[i++] == '#') return;
  }
}

}  // namespace

TBatchPattern CompileBatchPattern(const TBatchRecord& record) {
  TBatchPattern p;
  const std::string_view t = record.find;
  // The stored pattern may come from an unchecked table.
  if (ParseFindText(t) != -1) return p;
  size_t i = 0;
  while (i < t.size()) {
    const char c = t[i];
    const bool doubled = i + 1 < t.size() && t[i + 1] == c;
    TBatchToken tok;
    if ((c == '#' || c == '*') && doubled) {
      tok.byte = uint8_t(c);
      i += 2;
    } else if (c == '#') {
      ++i;
      CompileGroup(t, i, p);
      continue;
    } else if (c == '*') {
      tok.kind = TBatchToken::Count;
      for (++i; t[i] != '*'; ++i) tok.count = tok.count * 10 + unsigned(t[i] - '0');
      ++i;
      p.countAt = int32_t(p.tokens.size());
    } else {
      tok.byte = uint8_t(c);
      tok.fold = !record.caseSensitive;
      ++i;
    }
    p.tokens.push_back(tok);
  }
  // Every byte-taking token as the set of bytes it takes: one test per byte.
  for (TBatchToken& tok : p.tokens) {
    if (tok.kind == TBatchToken::Any) tok.set.set();
    if (tok.kind != TBatchToken::Byte) continue;
    for (unsigned b = 0; b < 256; ++b) tok.set[b] = (tok.fold ? LowerTable()[b] : b) == tok.byte;
  }
  p.valid = true;
  return p;
}

namespace {

// One open attempt of a pair.
struct TAttempt {
  uint32_t pair;
  uint32_t pos;
  bool inCount;
  uint32_t reps;
  uint64_t start;
  int64_t lastRepEnd;  // last byte of the last whole repetition
};

struct TCompletion {
  uint64_t start;
  uint32_t pair;
  uint64_t end;
};

bool Better(const TCompletion& a, const TCompletion& b) {
  if (a.start != b.start) return a.start < b.start;
  if (a.pair != b.pair) return a.pair < b.pair;
  return a.end > b.end;
}

// Every token takes exactly one byte: an attempt's fate is known as soon as
// its bytes are in hand.
bool IsFixed(const TBatchPattern& p) {
  for (const TBatchToken& t : p.tokens)
    if (t.kind > TBatchToken::Set) return false;
  return !p.tokens.empty();
}

std::bitset<256> FirstBytes(const TBatchPattern& p) {
  std::bitset<256> bytes;
  const TBatchToken::TKind k = p.tokens.empty() ? TBatchToken::Run : p.tokens[0].kind;
  if (k == TBatchToken::Run || k == TBatchToken::Count || k == TBatchToken::Hold) return bytes.set();
  for (unsigned b = 0; b < 256; ++b) bytes[b] = p.tokens[0].Matches(uint8_t(b));
  return bytes;
}

class TBatchRun {
 public:
  TBatchRun(const std::vector<TBatchRecord>& records, uint64_t size, IBatchIO& io, size_t blockSize)
      : records_(records), size_(size), io_(io), blockSize_(blockSize ? blockSize : 1) {
    for (const TBatchRecord& r : records) patterns_.push_back(CompileBatchPattern(r));
    for (uint32_t pair = 0; pair < patterns_.size(); ++pair) {
      const TBatchPattern& p = patterns_[pair];
      if (p.valid) {
        const std::bitset<256> first = FirstBytes(p);
        for (unsigned b = 0; b < 256; ++b)
          if (first.test(b)) startsAt_[b].push_back(pair);
      }
      simple_.push_back(IsFixed(p));
      slotBase_.push_back(uint32_t(slots_.size()));
      slots_.resize(slots_.size() + 2 * (p.tokens.size() + 1), -1);
    }
  }

  int64_t Run();

 private:
  bool ByteAt(uint64_t i, uint8_t& b);
  bool SettleBefore(uint64_t i);
  void Begin(uint32_t pair, uint64_t i);
  uint64_t SkipIdle(uint64_t i) const;
  bool CopyInput(uint64_t from, uint64_t to);
  void Add(const TAttempt& a);
  void Settle(TAttempt a, int64_t last, bool viaByte);
  void Step(const TAttempt& a, uint8_t b, uint64_t i);
  bool OnlyRunsFrom(const TAttempt& a) const;
  bool OpenEnd(const TAttempt& a, uint64_t i, uint64_t& end) const;
  bool Emit(const TCompletion& c);

  const std::vector<TBatchRecord>& records_;
  std::vector<TBatchPattern> patterns_;
  uint64_t size_;
  IBatchIO& io_;
  size_t blockSize_;
  std::string buffer_;
  uint64_t bufferAt_ = 0;
  uint64_t cursor_ = 0;  // input before this is settled in the output
  std::vector<TAttempt> live_, next_, fresh_;
  std::vector<TAttempt>* target_ = &next_;  // where settled attempts go
  std::vector<int32_t> slots_;  // per pair, position and count mode: index in next_
  std::vector<uint32_t> slotBase_;
  std::vector<uint32_t> touched_;  // slots to clear before the next byte
  std::array<std::vector<uint32_t>, 256> startsAt_;  // pairs a fresh attempt of which can take the byte
  std::vector<bool> simple_;          // per pair: fixed length, tested in the block at once
  std::vector<TCompletion> pending_;  // attempts of fixed-length pairs known to complete
  std::vector<TCompletion> done_;
  bool held_ = false;
  uint64_t heldStart_ = 0;
};

// Before the block in hand is dropped, what no open attempt can still take
// goes to the output, so that it need not be read again.
bool TBatchRun::SettleBefore(uint64_t i) {
  uint64_t settled = i;
  for (const TAttempt& a : live_) settled = std::min(settled, a.start);
  for (const TCompletion& c : pending_) settled = std::min(settled, c.start);
  if (settled <= cursor_) return true;
  if (!CopyInput(cursor_, settled)) return false;
  cursor_ = settled;
  return true;
}

bool TBatchRun::ByteAt(uint64_t i, uint8_t& b) {
  if (i < bufferAt_ || i >= bufferAt_ + buffer_.size()) {
    if (i == bufferAt_ + buffer_.size() && !SettleBefore(i)) return false;
    const size_t n = size_t(std::min<uint64_t>(blockSize_, size_ - i));
    buffer_.assign(n, '\0');
    bufferAt_ = i;
    if (!io_.ReadInput(i, buffer_.data(), n)) {
      buffer_.clear();
      return false;
    }
  }
  b = uint8_t(buffer_[size_t(i - bufferAt_)]);
  return true;
}

// Copies input to the output, from the block in hand where it can.
bool TBatchRun::CopyInput(uint64_t from, uint64_t to) {
  std::string chunk;
  while (from < to) {
    const uint64_t bufferEnd = bufferAt_ + buffer_.size();
    if (from >= bufferAt_ && from < bufferEnd) {
      const size_t n = size_t(std::min(to, bufferEnd) - from);
      if (!io_.WriteOutput(buffer_.data() + (from - bufferAt_), n)) return false;
      from += n;
      continue;
    }
    // Copying a long open run again may take a while: stay stoppable.
    if (io_.Stopped()) return false;
    uint64_t stop = std::min<uint64_t>(to, from + blockSize_);
    if (from < bufferAt_) stop = std::min(stop, bufferAt_);
    chunk.assign(size_t(stop - from), '\0');
    if (!io_.ReadInput(from, chunk.data(), chunk.size()) ||
        !io_.WriteOutput(chunk.data(), chunk.size()))
      return false;
    from = stop;
  }
  return true;
}

// Keeps one attempt per pair, position and mode: the earliest, unless a later
// one has more repetitions (it may complete where the earlier cannot).
void TBatchRun::Add(const TAttempt& a) {
  if (target_ != &next_) {
    target_->push_back(a);
    return;
  }
  const TBatchPattern& p = patterns_[a.pair];
  const uint32_t cap = p.countAt >= 0 ? p.tokens[p.countAt].count : 0;
  const uint32_t reps = std::min(a.reps, cap);
  int32_t& slot = slots_[slotBase_[a.pair] + 2 * a.pos + (a.inCount ? 1 : 0)];
  if (slot >= 0) {
    TAttempt& old = next_[slot];
    const uint32_t oldReps = std::min(old.reps, cap);
    if (old.start < a.start && oldReps >= reps) return;
    if (old.start == a.start && oldReps == reps) {
      old.lastRepEnd = std::max(old.lastRepEnd, a.lastRepEnd);
      return;
    }
    if (a.start <= old.start && reps >= oldReps) {
      old = a;
      return;
    }
  }
  if (slot < 0) touched_.push_back(uint32_t(&slot - slots_.data()));
  slot = int32_t(next_.size());
  next_.push_back(a);
}

// Brings an attempt to a token that tests a byte, forking at runs; last is
// the last byte the attempt has taken.
void TBatchRun::Settle(TAttempt a, int64_t last, bool viaByte) {
  const TBatchPattern& p = patterns_[a.pair];
  for (;;) {
    if (a.pos == p.tokens.size()) {
      if (!viaByte) return;  // only runs led here: the run itself stays open
      if (!a.inCount) {
        done_.push_back({a.start, a.pair, uint64_t(last)});
        return;
      }
      ++a.reps;
      a.lastRepEnd = last;
      a.pos = uint32_t(p.countAt + 1);
      viaByte = false;
      continue;
    }
    const TBatchToken& t = p.tokens[a.pos];
    viaByte = false;
    if (t.kind == TBatchToken::Run) {
      Add(a);
      ++a.pos;
    } else if (t.kind == TBatchToken::Count) {
      a.inCount = true;
      a.reps = 0;
      a.lastRepEnd = last;
      ++a.pos;
    } else if (t.kind == TBatchToken::Hold) {
      if (!held_ || a.start < heldStart_) heldStart_ = a.start;
      held_ = true;
      return;
    } else {
      Add(a);
      return;
    }
  }
}

// A fresh attempt of pair at byte i. A fixed-length one whose bytes are all
// in the block is decided here and now.
void TBatchRun::Begin(uint32_t pair, uint64_t i) {
  const std::vector<TBatchToken>& tokens = patterns_[pair].tokens;
  const size_t at = size_t(i - bufferAt_);
  if (simple_[pair] && at + tokens.size() <= buffer_.size()) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(buffer_.data()) + at;
    for (size_t k = 0; k < tokens.size(); ++k)
      if (!tokens[k].Matches(p[k])) return;
    if (tokens.size() == 1)
      done_.push_back({i, pair, i});
    else
      pending_.push_back({i, pair, i + tokens.size() - 1});
    return;
  }
  fresh_.clear();
  target_ = &fresh_;
  Settle({pair, 0, false, 0, i, int64_t(i) - 1}, int64_t(i) - 1, false);
  target_ = &next_;
  for (const TAttempt& a : fresh_) Step(a, uint8_t(buffer_[at]), i);
}

// The first byte from i on in the block in hand at which some pair can begin.
uint64_t TBatchRun::SkipIdle(uint64_t i) const {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(buffer_.data());
  size_t k = size_t(i - bufferAt_);
  while (k < buffer_.size() && startsAt_[p[k]].empty()) ++k;
  return bufferAt_ + k;
}

void TBatchRun::Step(const TAttempt& a, uint8_t b, uint64_t i) {
  const TBatchPattern& p = patterns_[a.pair];
  const TBatchToken& t = p.tokens[a.pos];
  if (t.kind == TBatchToken::Run) {
    Settle(a, int64_t(i), false);
  } else if (t.Matches(b)) {
    TAttempt n = a;
    ++n.pos;
    Settle(n, int64_t(i), true);
  } else if (a.inCount && a.reps >= p.tokens[p.countAt].count) {
    done_.push_back({a.start, a.pair, uint64_t(a.lastRepEnd)});
  }
}

bool TBatchRun::OnlyRunsFrom(const TAttempt& a) const {
  const TBatchPattern& p = patterns_[a.pair];
  for (size_t k = a.pos; k < p.tokens.size(); ++k)
    if (p.tokens[k].kind != TBatchToken::Run) return false;
  return true;
}

// An attempt that the end of the input (or a hold) completes: a run to the
// end, or a count with enough repetitions.
bool TBatchRun::OpenEnd(const TAttempt& a, uint64_t i, uint64_t& end) const {
  const TBatchPattern& p = patterns_[a.pair];
  const bool runs = OnlyRunsFrom(a);
  if (!a.inCount) {
    end = i;
    return runs;
  }
  const uint32_t reps = a.reps + (runs ? 1 : 0);
  end = runs ? i : uint64_t(a.lastRepEnd);
  return reps >= p.tokens[p.countAt].count;
}

bool TBatchRun::Emit(const TCompletion& c) {
  const TBatchRecord& r = records_[c.pair];
  if (!CopyInput(cursor_, c.start)) return false;
  if (r.kind == kInsertAfter && !CopyInput(c.start, c.end + 1)) return false;
  if (!io_.WriteOutput(r.replacement.data(), r.replacement.size())) return false;
  if (r.kind == kInsertBefore && !CopyInput(c.start, c.end + 1)) return false;
  cursor_ = c.end + 1;
  return true;
}

int64_t TBatchRun::Run() {
  int64_t matches = 0;
  uint64_t i = 0;
  bool holdEnabled = true;
  uint32_t untilStopCheck = 0;
  while (i < size_) {
    // Often enough for a stop to take effect within milliseconds.
    if (untilStopCheck-- == 0) {
      if (io_.Stopped()) return -1;
      untilStopCheck = 1024;
    }
    uint8_t b;
    if (!ByteAt(i, b)) return -1;
    if (live_.empty() && pending_.empty() && holdEnabled) {
      const uint64_t skipped = SkipIdle(i);
      if (skipped != i) {
        i = skipped;
        continue;
      }
    }
    next_.clear();
    for (uint32_t k : touched_) slots_[k] = -1;
    touched_.clear();
    done_.clear();
    held_ = false;
    for (const TAttempt& a : live_) Step(a, b, i);
    for (const TCompletion& c : pending_)
      if (c.end == i) done_.push_back(c);
    // Every pair also begins an attempt at this byte.
    for (uint32_t pair : startsAt_[b]) Begin(pair, i);
    const bool last = i + 1 == size_;
    const bool hold = held_ && holdEnabled;
    for (const TAttempt& a : next_) {
      uint64_t end;
      if ((last || (hold && a.start < heldStart_)) && OpenEnd(a, i, end))
        done_.push_back({a.start, a.pair, end});
    }
    if (hold && done_.empty()) {
      // Nothing began before the held attempt: start afresh at this byte,
      // which is tested once more without the hold.
      live_.clear();
      pending_.clear();
      if (!CopyInput(cursor_, i)) return -1;
      cursor_ = i;
      holdEnabled = false;
      continue;
    }
    holdEnabled = true;
    if (done_.empty()) {
      live_.swap(next_);
      ++i;
      continue;
    }
    pending_.clear();
    TCompletion win = done_[0];
    for (const TCompletion& c : done_)
      if (Better(c, win)) win = c;
    if (hold && win.start < heldStart_) win.end = std::min(win.end, heldStart_ - 1);
    if (!Emit(win)) return -1;
    ++matches;
    live_.clear();
    i = cursor_;
  }
  if (!CopyInput(cursor_, size_)) return -1;
  return matches;
}

}  // namespace

const char* IBatchIO::ReadBlock(uint64_t offset, size_t size, const char* carry, size_t carried,
                               size_t room) {
  if (block_.size() < room + size) {
    std::vector<char> grown(room + size);
    std::copy(carry, carry + carried, grown.data() + room - carried);
    block_.swap(grown);
  } else if (carried) {
    std::memmove(block_.data() + room - carried, carry, carried);
  }
  return ReadInput(offset, block_.data() + room, size) ? block_.data() + room - carried : nullptr;
}

int64_t RunStateMatch(const std::vector<TBatchRecord>& records, uint64_t inputSize, IBatchIO& io,
                      size_t blockSize) {
  try {
    TBatchRun run(records, inputSize, io, blockSize);
    return run.Run();
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

TBatchMatcher::TBatchMatcher() = default;
TBatchMatcher::~TBatchMatcher() = default;

int64_t TBatchMatcher::Run(const std::vector<TBatchRecord>& records, uint64_t inputSize, IBatchIO& io,
                           size_t blockSize) {
  try {
    if (!made_ || records != records_) {
      made_ = false;
      automaton_.reset();
      records_ = records;
      auto automaton = std::make_unique<TBatchAutomaton>();
      if (automaton->Build(records_)) automaton_ = std::move(automaton);
      made_ = true;
    }
  } catch (const std::bad_alloc&) {
    // Too little memory for the automaton: the states may still do.
    automaton_.reset();
  }
  if (!automaton_) return RunStateMatch(records, inputSize, io, blockSize);
  try {
    return automaton_->Run(inputSize, io, blockSize);
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

int64_t RunBatchMatch(const std::vector<TBatchRecord>& records, uint64_t inputSize, IBatchIO& io,
                      size_t blockSize) {
  TBatchMatcher matcher;
  return matcher.Run(records, inputSize, io, blockSize);
}
