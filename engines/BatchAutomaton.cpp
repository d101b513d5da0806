#include "engines/BatchAutomaton.h"

#include <algorithm>
#include <cstring>
#include <map>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using TPrefix = std::array<uint32_t, 4>;

// 8 MiB of table at most; a table that needs more is rare and keeps the
// attempt states.
constexpr size_t kMaxEntries = size_t(1) << 21;

// Calls mark with every row's every choice for its first depth bytes, each
// byte given as the index of its stand-in in byteOf: a row takes any byte
// past its end, and places from depth on are 0. False, having marked
// nothing, when the choices are more than maxWork.
template <typename Mark>
bool ForEachPrefix(const std::vector<TBatchPattern>& patterns, uint32_t depth,
                   const std::vector<uint8_t>& byteOf, uint64_t maxWork, Mark mark) {
  std::vector<std::array<std::vector<uint32_t>, 4>> choices;
  uint64_t work = 0;
  for (const TBatchPattern& p : patterns) {
    if (!p.valid || p.tokens.empty()) continue;
    std::array<std::vector<uint32_t>, 4> row;
    uint64_t product = 1;
    for (uint32_t t = 0; t < row.size(); ++t) {
      if (t >= depth) row[t] = {0};
      for (uint32_t v = 0; v < byteOf.size() && t < depth; ++v)
        if (t >= p.tokens.size() || p.tokens[t].set.test(byteOf[v])) row[t].push_back(v);
      product *= row[t].size();
    }
    work += product;
    if (work > maxWork) return false;
    choices.push_back(std::move(row));
  }
  for (const auto& row : choices)
    for (uint32_t v0 : row[0])
      for (uint32_t v1 : row[1])
        for (uint32_t v2 : row[2])
          for (uint32_t v3 : row[3]) mark(TPrefix{v0, v1, v2, v3});
  return true;
}

}  // namespace

bool TBatchAutomaton::Build(const std::vector<TBatchRecord>& records) {
  std::vector<TBatchPattern> patterns;
  rows_.clear();
  longest_ = 0;
  for (const TBatchRecord& r : records) {
    TBatchPattern p = CompileBatchPattern(r);
    for (const TBatchToken& t : p.tokens)
      if (p.valid && t.kind > TBatchToken::Set) return false;
    // An invalid row never matches: length 0 keeps it out.
    rows_.push_back({p.valid ? uint32_t(p.tokens.size()) : 0, r.kind, r.replacement});
    longest_ = std::max(longest_, rows_.back().length);
    patterns.push_back(std::move(p));
  }
  const std::vector<uint8_t> sample = ClassifyBytes(patterns);
  if (!BuildStates(patterns, sample)) return false;
  BuildStartFilter(patterns, sample);
  return true;
}

// Bytes that every token takes or leaves alike share one class; one byte of
// each class stands for it.
std::vector<uint8_t> TBatchAutomaton::ClassifyBytes(const std::vector<TBatchPattern>& patterns) {
  classOf_.fill(0);
  classes_ = 1;
  for (const TBatchPattern& p : patterns) {
    for (const TBatchToken& t : p.tokens) {
      std::vector<int32_t> renumber(2 * classes_, -1);
      uint32_t n = 0;
      for (unsigned b = 0; b < 256; ++b) {
        int32_t& to = renumber[2 * classOf_[b] + (t.set.test(b) ? 1 : 0)];
        if (to < 0) to = int32_t(n++);
        classOf_[b] = uint16_t(to);
      }
      classes_ = n;
    }
  }
  std::vector<uint8_t> sample(classes_);
  for (unsigned b = 0; b < 256; ++b) sample[classOf_[b]] = uint8_t(b);
  return sample;
}

bool TBatchAutomaton::BuildStates(const std::vector<TBatchPattern>& patterns,
                                  const std::vector<uint8_t>& sample) {
  // An open attempt is a row and the tokens it has matched, 1 to length - 1.
  std::vector<uint32_t> rowOf, matchedOf, firstOf;
  for (uint32_t r = 0; r < rows_.size(); ++r) {
    firstOf.push_back(uint32_t(rowOf.size()));
    for (uint32_t m = 1; m < rows_[r].length; ++m) {
      rowOf.push_back(r);
      matchedOf.push_back(m);
    }
  }
  std::vector<std::vector<uint32_t>> startsOn(classes_);
  for (uint32_t r = 0; r < rows_.size(); ++r)
    for (uint32_t c = 0; c < classes_; ++c)
      if (rows_[r].length && patterns[r].tokens[0].set.test(sample[c])) startsOn[c].push_back(r);

  std::map<std::vector<uint32_t>, uint32_t> known{{{}, 0}};
  std::vector<std::vector<uint32_t>> sets{{}};
  next_.clear();
  depth_.clear();
  for (size_t s = 0; s < sets.size(); ++s) {
    if ((s + 1) * classes_ > kMaxEntries) return false;
    next_.resize((s + 1) * classes_);
    uint32_t depth = 0;
    for (uint32_t a : sets[s]) depth = std::max(depth, matchedOf[a]);
    depth_.push_back(depth);
    for (uint32_t c = 0; c < classes_; ++c) {
      std::vector<uint32_t> to;
      int64_t winner = -1;
      uint32_t winnerLength = 0;
      auto step = [&](uint32_t r, uint32_t matched) {
        if (!patterns[r].tokens[matched].set.test(sample[c])) return;
        if (matched + 1 < rows_[r].length) {
          to.push_back(firstOf[r] + matched);
        } else if (matched + 1 > winnerLength || (matched + 1 == winnerLength && r < winner)) {
          winner = r;
          winnerLength = matched + 1;
        }
      };
      for (uint32_t a : sets[s]) step(rowOf[a], matchedOf[a]);
      for (uint32_t r : startsOn[c]) step(r, 0);
      int32_t& entry = next_[s * classes_ + c];
      if (winner >= 0) {
        entry = int32_t(-(winner + 1));
        continue;
      }
      std::sort(to.begin(), to.end());
      const auto found = known.emplace(std::move(to), uint32_t(sets.size()));
      if (found.second) sets.push_back(found.first->first);
      entry = int32_t(found.first->second * classes_);
    }
  }
  starters_.clear();
  for (unsigned b = 0; b < 256; ++b) {
    idle_[b] = next_[classOf_[b]] == 0;
    if (!idle_[b]) starters_.push_back(uint8_t(b));
  }
  for (size_t i = 0; i < starterLanes_.size() && !starters_.empty(); ++i)
    starterLanes_[i].fill(starters_[std::min(i, starters_.size() - 1)]);
  return true;
}

// Marks the first bytes with which some row's attempt can still complete:
// most bytes that can begin a row begin none that gets far, and telling so
// here spares the steps of the automaton.
void TBatchAutomaton::BuildStartFilter(const std::vector<TBatchPattern>& patterns,
                                       const std::vector<uint8_t>& sample) {
  filterDepth_ = 0;
  if (BuildQuadFilter(patterns)) return;
  BuildClassFilter(patterns, sample);
}

// The first four bytes themselves, hashed into a bitset: one load and a
// multiplication per test, and with literal rows hardly a byte that begins
// no match gets past it.
bool TBatchAutomaton::BuildQuadFilter(const std::vector<TBatchPattern>& patterns) {
  std::vector<uint8_t> bytes(256);
  for (unsigned b = 0; b < 256; ++b) bytes[b] = uint8_t(b);
  std::vector<uint64_t> quads(size_t(1) << (kQuadBits - 6), 0);
  const bool listed = ForEachPrefix(patterns, 4, bytes, uint64_t(1) << 20, [&](const TPrefix& v) {
    const uint8_t quad[4] = {uint8_t(v[0]), uint8_t(v[1]), uint8_t(v[2]), uint8_t(v[3])};
    const uint32_t i = QuadHash(quad);
    quads[i / 64] |= uint64_t(1) << (i % 64);
  });
  if (!listed) return false;
  quads_ = std::move(quads);
  filterDepth_ = 4;
  return true;
}

// The classes of the first three (or two) bytes, for rows whose first bytes
// are too open to list.
void TBatchAutomaton::BuildClassFilter(const std::vector<TBatchPattern>& patterns,
                                       const std::vector<uint8_t>& sample) {
  constexpr uint64_t kMaxBits = uint64_t(1) << 20;
  for (const uint32_t depth : {3u, 2u}) {
    const uint32_t third = depth == 3 ? classes_ : 1;
    const uint64_t bits = uint64_t(classes_) * classes_ * third;
    if (bits > kMaxBits) continue;
    std::vector<uint64_t> promising(size_t((bits + 63) / 64), 0);
    const bool listed = ForEachPrefix(patterns, depth, sample, uint64_t(1) << 22, [&](const TPrefix& c) {
      const uint32_t i = (c[0] * classes_ + c[1]) * third + c[2];
      promising[i / 64] |= uint64_t(1) << (i % 64);
    });
    if (!listed) continue;
    promising_ = std::move(promising);
    filterDepth_ = depth;
    return;
  }
}

uint32_t TBatchAutomaton::QuadHash(const uint8_t* bytes) {
  uint32_t v;
  std::memcpy(&v, bytes, 4);
  return (v * 0x9E3779B1u) >> (32 - kQuadBits);
}

bool TBatchAutomaton::QuadPromising(const uint8_t* bytes) const {
  const uint32_t h = QuadHash(bytes);
  return (quads_[h / 64] >> (h % 64)) & 1;
}

bool TBatchAutomaton::Promising(const uint8_t* bytes, size_t j, size_t end) const {
  if (filterDepth_ == 0 || j + filterDepth_ > end) return true;
  if (filterDepth_ == 4) return QuadPromising(bytes + j);
  uint32_t i = classOf_[bytes[j]] * classes_ + classOf_[bytes[j + 1]];
  if (filterDepth_ == 3) i = i * classes_ + classOf_[bytes[j + 2]];
  return (promising_[i / 64] >> (i % 64)) & 1;
}

#if defined(__SSE2__)
// The scan of NextStart with Lanes bytes that can begin a row, each tested
// sixteen bytes at once: the end of the whole rounds it has tested, and in
// found the first promising start there, if any.
template <size_t Lanes>
size_t TBatchAutomaton::ScanStarts(const uint8_t* bytes, size_t k, size_t end, size_t& found) const {
  __m128i starters[Lanes];
  for (size_t i = 0; i < Lanes; ++i)
    starters[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(starterLanes_[i].data()));
  auto hits = [&](size_t at) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
    __m128i any = _mm_cmpeq_epi8(x, starters[0]);
    for (size_t i = 1; i < Lanes; ++i) any = _mm_or_si128(any, _mm_cmpeq_epi8(x, starters[i]));
    return uint64_t(unsigned(_mm_movemask_epi8(any)));
  };
  // Sixty-four bytes a round: a branch per round, not per candidate. With
  // the four bytes' filter, the first four candidates of a round are tested
  // without a branch at all (the four bytes of each lie before the end).
  const bool quads = filterDepth_ == 4;
  for (; k + 64 <= end; k += 64) {
    uint64_t bits = hits(k) | hits(k + 16) << 16 | hits(k + 32) << 32 | hits(k + 48) << 48;
    if (quads && k + 67 <= end) {
      uint64_t good = 0;
      for (int n = 0; n < 4; ++n) {
        // Past the last candidate, bit 63 stands in and counts for nothing.
        const unsigned at = unsigned(__builtin_ctzll(bits | uint64_t(1) << 63));
        good |= uint64_t(QuadPromising(bytes + k + at) & (bits != 0)) << at;
        bits &= bits - 1;
      }
      if (good) {
        found = k + size_t(__builtin_ctzll(good));
        return k;
      }
    }
    for (; bits; bits &= bits - 1) {
      const size_t j = k + size_t(__builtin_ctzll(bits));
      if (Promising(bytes, j, end)) {
        found = j;
        return k;
      }
    }
  }
  found = end;
  return k;
}
#endif

// The first byte from k on at which an attempt may begin that can complete.
// Most text lies between matches, so this loop sets the pace: with few bytes
// that can begin a row, sixteen bytes are tested at once.
size_t TBatchAutomaton::NextStart(const uint8_t* bytes, size_t k, size_t end) const {
  if (starters_.empty()) return end;
#if defined(__SSE2__)
  size_t found = end;
  switch (starters_.size()) {
    case 1: k = ScanStarts<1>(bytes, k, end, found); break;
    case 2: k = ScanStarts<2>(bytes, k, end, found); break;
    case 3: k = ScanStarts<3>(bytes, k, end, found); break;
    case 4: k = ScanStarts<4>(bytes, k, end, found); break;
  }
  if (found != end) return found;
#endif
  for (; k < end; ++k)
    if (!idle_[bytes[k]] && Promising(bytes, k, end)) return k;
  return end;
}

// Writes what lies before the match, then the match's replacement by the
// row's kind; end is one past the match's last byte.
bool TBatchAutomaton::Emit(IBatchIO& io, const char* data, size_t& cursor, size_t end,
                           int32_t row) const {
  const TRow& r = rows_[size_t(row)];
  const size_t start = end - r.length;
  auto write = [&](const char* p, size_t n) { return n == 0 || io.WriteOutput(p, n); };
  bool ok;
  if (r.kind == kInsertAfter)
    ok = write(data + cursor, end - cursor) && write(r.replacement.data(), r.replacement.size());
  else if (r.kind == kInsertBefore)
    ok = write(data + cursor, start - cursor) && write(r.replacement.data(), r.replacement.size()) &&
         write(data + start, end - start);
  else
    ok = write(data + cursor, start - cursor) && write(r.replacement.data(), r.replacement.size());
  cursor = end;
  return ok;
}

int64_t TBatchAutomaton::Run(uint64_t inputSize, IBatchIO& io, size_t blockSize) const {
  blockSize = std::max<size_t>(blockSize, 1);
  // The open attempts' bytes go over into the next block: a match that
  // began in one block and ends in the next is written from one buffer.
  const size_t keep = longest_ ? longest_ - 1 : 0;
  const char* data = nullptr;
  int64_t matches = 0;
  uint32_t state = 0;
  size_t held = 0, cursor = 0;
  for (uint64_t at = 0; at < inputSize;) {
    if (io.Stopped()) return -1;
    const size_t n = size_t(std::min<uint64_t>(blockSize, inputSize - at));
    data = io.ReadBlock(at, n, data + cursor, held, keep);
    if (!data) return -1;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(data);
    at += n;
    const size_t end = held + n;
    size_t k = held;
    cursor = 0;
    while (k < end) {
      if (state == 0 && (k = NextStart(bytes, k, end)) == end) break;
      // Attempts are open: step until they all fail or one completes.
      int32_t entry = int32_t(state);
      while (k < end) {
        entry = next_[state + classOf_[bytes[k++]]];
        if (entry <= 0) break;
        state = uint32_t(entry);
      }
      if (entry > 0) break;
      state = 0;
      if (entry < 0) {
        if (!Emit(io, data, cursor, k, -entry - 1)) return -1;
        ++matches;
      }
    }
    const size_t settled = end - depth_[state / classes_];
    if (settled > cursor && !io.WriteOutput(data + cursor, settled - cursor)) return -1;
    cursor = std::max(cursor, settled);
    held = end - cursor;
  }
  if (held && !io.WriteOutput(data + cursor, held)) return -1;
  return matches;
}
