#pragma once
#include <windows.h>

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engines/BatchReplacer_utils.h"

// Applies the first pairCount records of a batch block to text, their find
// texts taken literally and every match replaced. At each byte the first
// attempt to complete wins; of those complete at the same byte the earliest
// start, then the earlier row. matchCount receives the number of replacements.
std::string ReplaceInString(std::string_view text, HGLOBAL block, uint32_t pairCount,
                            int32_t& matchCount);

// One token of a find pattern as the stream matcher reads it.
struct TBatchToken {
  // The kinds that take exactly one byte come first, up to Set.
  enum TKind : uint8_t { Byte, Any, Set, Run, Count, Hold } kind = Byte;
  uint8_t byte = 0;
  bool fold = false;  // lower-case the tested byte first
  uint32_t count = 0;
  std::bitset<256> set;
  bool Matches(uint8_t b) const;
};

struct TBatchPattern {
  std::vector<TBatchToken> tokens;
  int32_t countAt = -1;  // index of the count token, -1 without one
  bool valid = false;    // an invalid pattern never matches
};

TBatchPattern CompileBatchPattern(const TBatchRecord& record);

// Input and output of one batch run. The input is read again from an earlier
// offset when a match gives bytes back.
class IBatchIO {
 public:
  virtual ~IBatchIO() = default;
  // Exactly size bytes from offset.
  virtual bool ReadInput(uint64_t offset, char* buffer, size_t size) = 0;
  // Exactly size bytes from offset, right behind a copy of the carried
  // bytes (at most room of them; they may lie in the block given last), in
  // a buffer of the input's that holds them until the next call: the start
  // of the carried bytes, or null when the read failed. An input that can
  // read the next block ahead into its own buffers spares the copy.
  virtual const char* ReadBlock(uint64_t offset, size_t size, const char* carry, size_t carried,
                                size_t room);
  virtual bool WriteOutput(const char* data, size_t size) = 0;
  virtual bool Stopped() = 0;

 private:
  std::vector<char> block_;
};

class TBatchAutomaton;

// The matcher of a table, made once and run over any number of inputs: an
// automaton when every row takes a fixed number of bytes, else one state per
// open attempt.
class TBatchMatcher {
 public:
  TBatchMatcher();
  ~TBatchMatcher();
  // Applies every record in one pass over inputSize bytes; the number of
  // matches, or -1 when reading, writing or memory failed or the run stopped.
  // The matcher is made again only when the records differ from the last.
  int64_t Run(const std::vector<TBatchRecord>& records, uint64_t inputSize, IBatchIO& io,
              size_t blockSize = 262144);

 private:
  std::vector<TBatchRecord> records_;
  std::unique_ptr<TBatchAutomaton> automaton_;
  bool made_ = false;
};

// One run of a matcher made for it.
int64_t RunBatchMatch(const std::vector<TBatchRecord>& records, uint64_t inputSize, IBatchIO& io,
                      size_t blockSize = 262144);
// The same with a state per open attempt, whatever the rows.
int64_t RunStateMatch(const std::vector<TBatchRecord>& records, uint64_t inputSize, IBatchIO& io,
                      size_t blockSize = 262144);
