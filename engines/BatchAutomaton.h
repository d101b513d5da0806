#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "engines/BatchMatcher.h"

// A table whose rows all take a fixed number of bytes (literals, codes, any
// character, sets) as one deterministic automaton over the bytes, built once
// and run over any number of inputs. Each of its states stands for the set of
// attempts open at a byte, so every byte costs one table step whatever the
// number of rows; a completion carries the row that the matcher's choice rule
// takes (the longest complete attempt starts earliest, then the earlier row).
class TBatchAutomaton {
 public:
  // False when a row takes runs, counts or holds, or when the automaton
  // would grow too large: the attempt states then serve the table.
  bool Build(const std::vector<TBatchRecord>& records);
  // As RunBatchMatch.
  int64_t Run(uint64_t inputSize, IBatchIO& io, size_t blockSize) const;

 private:
  struct TRow {
    uint32_t length = 0;
    int32_t kind = kReplaceMatch;
    std::string replacement;
  };
  std::vector<uint8_t> ClassifyBytes(const std::vector<TBatchPattern>& patterns);
  bool BuildStates(const std::vector<TBatchPattern>& patterns, const std::vector<uint8_t>& sample);
  void BuildStartFilter(const std::vector<TBatchPattern>& patterns, const std::vector<uint8_t>& sample);
  bool BuildQuadFilter(const std::vector<TBatchPattern>& patterns);
  void BuildClassFilter(const std::vector<TBatchPattern>& patterns, const std::vector<uint8_t>& sample);
  static uint32_t QuadHash(const uint8_t* bytes);
  bool QuadPromising(const uint8_t* bytes) const;
  bool Promising(const uint8_t* bytes, size_t j, size_t end) const;
  size_t NextStart(const uint8_t* bytes, size_t k, size_t end) const;
  template <size_t Lanes>
  size_t ScanStarts(const uint8_t* bytes, size_t k, size_t end, size_t& found) const;
  bool Emit(IBatchIO& io, const char* data, size_t& cursor, size_t end, int32_t row) const;

  std::vector<TRow> rows_;
  std::array<uint16_t, 256> classOf_{};
  uint32_t classes_ = 1;
  // Per state and byte class: the next state's first entry, or -(row + 1)
  // when the byte completes that row's attempt (the next state is then 0).
  std::vector<int32_t> next_;
  // Per state: the bytes of its longest open attempt, still unsettled.
  std::vector<uint32_t> depth_;
  std::array<bool, 256> idle_{};  // bytes that leave state 0 as it is
  std::vector<uint8_t> starters_;  // the others
  std::array<std::array<uint8_t, 16>, 4> starterLanes_{};  // the first four, each sixteen times
  // Bits by the classes of the first filterDepth_ bytes (0: no filter), or
  // with a depth of 4 by the hash of the bytes themselves.
  std::vector<uint64_t> promising_;
  static constexpr uint32_t kQuadBits = 16;
  std::vector<uint64_t> quads_;
  uint32_t filterDepth_ = 0;
  uint32_t longest_ = 0;
};
