#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/Handles.h"

// Forms of a finder pattern entry; the form word may carry more bits, which
// a matcher ignores.
constexpr uint32_t FormAnsi = 0;
constexpr uint32_t FormWide = 1;

// The finder's pattern block: entries back to back, each a header and then
// two copies of Length bytes (the text as typed or lower-cased, then the
// upper-cased text when case is ignored, else zeros). DataOffset counts from
// the block's start, so the layout is the same on both targets.
struct TFinderPatternHeader {
  uint32_t Length;
  uint32_t Form;
  uint32_t DataOffset;
};

// The units of a search text: the phrase as typed, or its words (maximal
// runs without the blank U+0020; tabs belong to a word).
std::vector<std::string> SplitSearchText(const std::string& text, bool phrase);

// Two entries per unit, 8-bit then UTF-16 (converted from the 8-bit text in
// codePage, L = 2 x the units produced); with case ignored both forms come
// from the lower- and upper-cased 8-bit text. Empty when there is no unit or
// no memory; count receives the number of entries.
TGlobalBlock BuildFinderPatterns(const std::string& text, bool caseSensitive, bool phrase,
                                 UINT codePage, int32_t& count);

// One entry read back from a block, its copies as bytes.
struct TFinderPattern {
  uint32_t Form = 0;
  std::string First;
  std::string Second;
};
// Empty when the block does not hold count well-formed entries.
std::vector<TFinderPattern> ReadFinderPatterns(const void* block, size_t size, int32_t count);

// A streaming matcher of every entry of a pattern block at once, over bytes
// fed block by block. Each entry is a bit-parallel automaton over its
// per-position byte classes (the byte of the first copy, or of either copy
// with case ignored), so every start position is tried, matches may overlap
// and cross block edges, and the cost per byte does not depend on how many
// partial matches are alive. Entries that fit share one machine word.
class TFinderMatcher {
 public:
  // False (nothing to match) when the patterns are empty.
  bool Compile(const std::vector<TFinderPattern>& patterns, bool ignoreCase, bool allWords);
  void Reset();
  // Consumes bytes until the hit condition first holds (then the bytes up to
  // and including the deciding one) or all of them; the number consumed.
  size_t Feed(const uint8_t* data, size_t size);
  // Without all words any match is a hit; with all words, every 8-bit entry
  // or every UTF-16 entry must have matched (a mix of forms is no hit).
  bool Hit() const { return hit_; }
  bool Found(size_t entry) const { return found_[entry]; }
  size_t EntryCount() const { return entries_.size(); }

 private:
  struct TEntry {
    uint32_t Form;
    uint32_t EndWord;
    uint64_t EndBit;
  };
  // Words [First, First + Words) of the state; a lane of one word packs
  // several entries, a longer lane holds one entry and tracks its highest
  // live word so that a dead tail costs nothing.
  struct TLane {
    uint32_t First;
    uint32_t Words;
    int32_t Top;
  };

  bool Step(uint8_t b);
  void Record(uint32_t word, uint64_t ends);
  const uint8_t* SkipToStart(const uint8_t* p, const uint8_t* end) const;

  std::vector<TEntry> entries_;
  std::vector<TLane> lanes_;
  std::vector<uint64_t> masks_;  // 256 rows of words_ words
  std::vector<uint64_t> starts_;
  std::vector<uint64_t> ends_;
  // Entries ending at a bit, per word: up to 64 per word.
  std::vector<std::vector<std::pair<uint64_t, uint32_t>>> enders_;
  uint32_t words_ = 0;
  bool canStart_[256] = {};
  uint8_t startBytes_[4] = {};
  uint32_t startByteCount_ = 0;  // 0 when there are more than four
  bool allWords_ = false;
  size_t perForm_[2] = {};

  std::vector<uint64_t> state_;
  std::vector<uint64_t> liveEnds_;  // ends of entries not found yet
  std::vector<bool> found_;
  size_t tally_[2] = {};
  bool idle_ = true;
  bool hit_ = false;
};

// The size of the content test's read blocks.
uint32_t FinderBlockSize();

// Test-only settings; production code never calls them.
namespace FinderTesting {
// Changes the block size (0 restores the normal 256 KiB).
void SetBlockSize(uint32_t size);
}  // namespace FinderTesting
