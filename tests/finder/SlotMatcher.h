#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The content test as a plain slot machine: one base slot per entry, extra
// slots for the attempts that start while an entry's base slot is part-way
// through a match. Slow on purpose: it is the yardstick the real matcher is
// measured against.
struct TSlotResult {
  bool Hit = false;
  std::vector<bool> Found;  // per entry
};

// block: a copy of the pattern block's bytes; data is fed in pieces of
// blockSize bytes. skipAfterHit skips the rest of a piece after a hit.
TSlotResult SlotContains(std::vector<uint8_t> block, int32_t count, bool ignoreCase, bool allWords,
                         const std::string& data, size_t blockSize, bool skipAfterHit);
