#include "finder/SlotMatcher.h"

#include <algorithm>
#include <cstring>

#include "windows/FinderText.h"

namespace {

constexpr uint32_t kFree = 0xFFFFFFFF;
constexpr uint32_t kMatchedBit = 0x40;

struct TSlot {
  uint32_t Entry = kFree;  // offset of the entry's header in the block
  uint32_t Count = 0;
};

}  // namespace

TSlotResult SlotContains(std::vector<uint8_t> block, int32_t count, bool ignoreCase, bool allWords,
                         const std::string& data, size_t blockSize, bool skipAfterHit) {
  TSlotResult result;
  const uint32_t p = uint32_t(count);
  auto header = [&](uint32_t entry) {
    TFinderPatternHeader h;
    memcpy(&h, block.data() + entry, sizeof h);
    return h;
  };
  auto setForm = [&](uint32_t entry, uint32_t form) {
    memcpy(block.data() + entry + offsetof(TFinderPatternHeader, Form), &form, 4);
  };
  std::vector<uint32_t> entries;
  for (uint32_t offset = 0, i = 0; i < p; ++i) {
    entries.push_back(offset);
    const TFinderPatternHeader h = header(offset);
    setForm(offset, h.Form & 3);
    offset = h.DataOffset + 2 * h.Length;
  }
  std::vector<TSlot> slots(p + 1);  // slot 0 unused
  for (uint32_t i = 1; i <= p; ++i) slots[i].Entry = entries[i - 1];
  std::vector<uint32_t> spawn;
  uint32_t tally8 = 0, tally16 = 0, top = p;

  for (size_t at = 0; at < data.size(); at += blockSize) {
    const size_t end = std::min(data.size(), at + blockSize);
    for (size_t pos = at; pos < end; ++pos) {
      const uint8_t b = uint8_t(data[pos]);
      bool matched = false;
      uint32_t lastVisited = 0;
      for (uint32_t i = 1; i <= top; ++i) {
        TSlot& slot = slots[i];
        const bool base = i <= p;
        if (!base && slot.Entry == kFree) continue;
        lastVisited = i;
        const TFinderPatternHeader h = header(slot.Entry);
        const uint8_t* first = block.data() + h.DataOffset;
        const uint8_t* second = first + h.Length;
        if (base && slot.Count != 0) spawn.push_back(slot.Entry);
        const bool equal = b == first[slot.Count] || (ignoreCase && b == second[slot.Count]);
        if (equal && ++slot.Count == h.Length) {
          if (h.Form == FormAnsi) ++tally8;
          if (h.Form == FormWide) ++tally16;
          setForm(slot.Entry, h.Form | kMatchedBit);
          if (base)
            slot.Count = 0;
          else
            slot.Entry = kFree;
          matched = true;
        } else if (!equal) {
          if (base)
            slot.Count = 0;
          else
            slot.Entry = kFree;
        }
        if (i == p) {
          for (uint32_t j = p + 1; !spawn.empty(); ++j) {
            if (j >= slots.size()) slots.resize(j + 1);
            if (j > top || slots[j].Entry == kFree) {
              slots[j] = TSlot{spawn.back(), 0};
              spawn.pop_back();
              if (j > top) top = j;
            }
          }
        }
      }
      top = lastVisited;
      if (matched && (!allWords || tally8 * 2 == p || tally16 * 2 == p)) {
        result.Hit = true;
        if (skipAfterHit) break;
      }
    }
  }
  for (uint32_t e : entries) result.Found.push_back(header(e).Form & kMatchedBit);
  return result;
}
