#include "windows/FinderText.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr uint32_t kNormalBlockSize = 262144;
uint32_t g_blockSize = kNormalBlockSize;

std::wstring ToWide(const std::string& text, UINT codePage) {
  const int n = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(size_t(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), wide.data(), n);
  return wide;
}

std::string WideBytes(const std::wstring& wide) {
  std::string bytes;
  bytes.reserve(wide.size() * 2);
  for (wchar_t c : wide) {
    bytes += char(c & 0xFF);
    bytes += char((c >> 8) & 0xFF);
  }
  return bytes;
}

// The two copies of both forms of one unit.
void AddUnitPatterns(const std::string& unit, bool caseSensitive, UINT codePage,
                     std::vector<TFinderPattern>& out) {
  TFinderPattern ansi{FormAnsi, unit, {}};
  TFinderPattern wide{FormWide, {}, {}};
  if (caseSensitive) {
    wide.First = WideBytes(ToWide(unit, codePage));
  } else {
    std::string upper = unit;
    CharLowerBuffA(ansi.First.data(), DWORD(ansi.First.size()));
    CharUpperBuffA(upper.data(), DWORD(upper.size()));
    std::wstring wideLower = ToWide(ansi.First, codePage);
    std::wstring wideUpper = ToWide(upper, codePage);
    // A double-byte page may convert the two cases to different lengths;
    // one length serves both copies, so the upper copy then comes from the
    // lower one.
    if (wideUpper.size() != wideLower.size()) {
      wideUpper = wideLower;
      CharUpperBuffW(wideUpper.data(), DWORD(wideUpper.size()));
    }
    ansi.Second = std::move(upper);
    wide.First = WideBytes(wideLower);
    wide.Second = WideBytes(wideUpper);
  }
  out.push_back(std::move(ansi));
  out.push_back(std::move(wide));
}

}  // namespace

std::vector<std::string> SplitSearchText(const std::string& text, bool phrase) {
  std::vector<std::string> units;
  if (text.empty()) return units;
  if (phrase) {
    units.push_back(text);
    return units;
  }
  size_t at = 0;
  while (at < text.size()) {
    const size_t start = text.find_first_not_of(' ', at);
    if (start == std::string::npos) break;
    const size_t stop = std::min(text.find(' ', start), text.size());
    units.push_back(text.substr(start, stop - start));
    at = stop;
  }
  return units;
}

TGlobalBlock BuildFinderPatterns(const std::string& text, bool caseSensitive, bool phrase,
                                 UINT codePage, int32_t& count) {
  count = 0;
  std::vector<TFinderPattern> patterns;
  for (const std::string& unit : SplitSearchText(text, phrase))
    AddUnitPatterns(unit, caseSensitive, codePage, patterns);
  uint64_t total = 0;
  for (const TFinderPattern& p : patterns) {
    if (p.First.empty()) return {};  // a text the code page cannot convert
    total += sizeof(TFinderPatternHeader) + 2 * uint64_t(p.First.size());
  }
  TGlobalBlock block;
  if (patterns.empty() || total > 0x7FFFFFFF || patterns.size() > 0x7FFFFFFF ||
      !block.Allocate(size_t(total)))
    return {};
  {
    TGlobalLock lock(block.Handle());
    auto* base = lock.Get<uint8_t>();
    if (!base) return {};
    uint32_t offset = 0;
    for (const TFinderPattern& p : patterns) {
      const auto length = uint32_t(p.First.size());
      const TFinderPatternHeader header{length, p.Form, offset + uint32_t(sizeof header)};
      memcpy(base + offset, &header, sizeof header);
      memcpy(base + header.DataOffset, p.First.data(), length);
      if (!p.Second.empty()) memcpy(base + header.DataOffset + length, p.Second.data(), length);
      offset = header.DataOffset + 2 * length;
    }
  }
  count = int32_t(patterns.size());
  return block;
}

std::vector<TFinderPattern> ReadFinderPatterns(const void* block, size_t size, int32_t count) {
  std::vector<TFinderPattern> patterns;
  if (!block || count <= 0) return patterns;
  const auto* base = static_cast<const uint8_t*>(block);
  size_t offset = 0;
  for (int32_t i = 0; i < count; ++i) {
    TFinderPatternHeader h;
    if (offset > size || size - offset < sizeof h) return {};
    memcpy(&h, base + offset, sizeof h);
    const uint64_t end = uint64_t(h.DataOffset) + 2 * uint64_t(h.Length);
    if (h.Length == 0 || h.DataOffset < offset + sizeof h || end > size) return {};
    const char* first = reinterpret_cast<const char*>(base + h.DataOffset);
    patterns.push_back({h.Form, std::string(first, h.Length), std::string(first + h.Length, h.Length)});
    offset = size_t(end);
  }
  return patterns;
}

bool TFinderMatcher::Compile(const std::vector<TFinderPattern>& patterns, bool ignoreCase,
                             bool allWords) {
  *this = TFinderMatcher();
  allWords_ = allWords;
  struct TPlace {
    uint32_t word, bit;
  };
  std::vector<TPlace> places;
  uint32_t sharedBits = 64;  // bits used of the last one-word lane; 64: none open
  for (const TFinderPattern& p : patterns) {
    const auto length = uint32_t(p.First.size());
    if (length <= 64 && sharedBits + length <= 64) {
      places.push_back({words_ - 1, sharedBits});
      sharedBits += length;
      continue;
    }
    const uint32_t words = (length + 63) / 64;
    lanes_.push_back({words_, words, -1});
    places.push_back({words_, 0});
    words_ += words;
    sharedBits = words == 1 ? length : 64;
  }
  if (patterns.empty() || words_ == 0) return false;
  masks_.assign(size_t(256) * words_, 0);
  starts_.assign(words_, 0);
  ends_.assign(words_, 0);
  enders_.assign(words_, {});
  for (size_t e = 0; e < patterns.size(); ++e) {
    const TFinderPattern& p = patterns[e];
    const uint32_t base = places[e].word * 64 + places[e].bit;
    for (uint32_t k = 0; k < p.First.size(); ++k) {
      const uint32_t word = (base + k) / 64;
      const uint64_t bit = uint64_t(1) << ((base + k) % 64);
      masks_[size_t(uint8_t(p.First[k])) * words_ + word] |= bit;
      if (ignoreCase && k < p.Second.size())
        masks_[size_t(uint8_t(p.Second[k])) * words_ + word] |= bit;
    }
    starts_[base / 64] |= uint64_t(1) << (base % 64);
    const uint32_t last = base + uint32_t(p.First.size()) - 1;
    const uint64_t endBit = uint64_t(1) << (last % 64);
    ends_[last / 64] |= endBit;
    enders_[last / 64].push_back({endBit, uint32_t(e)});
    entries_.push_back({p.Form, last / 64, endBit});
  }
  std::vector<uint8_t> starters;
  for (int b = 0; b < 256; ++b) {
    for (uint32_t i = 0; i < words_ && !canStart_[b]; ++i)
      canStart_[b] = (starts_[i] & masks_[size_t(b) * words_ + i]) != 0;
    if (canStart_[b]) starters.push_back(uint8_t(b));
  }
  if (starters.size() <= 4) {
    startByteCount_ = uint32_t(starters.size());
    std::copy(starters.begin(), starters.end(), startBytes_);
  }
  Reset();
  return true;
}

void TFinderMatcher::Reset() {
  state_.assign(words_, 0);
  liveEnds_ = ends_;
  found_.assign(entries_.size(), false);
  for (TLane& lane : lanes_) lane.Top = -1;
  tally_[0] = tally_[1] = 0;
  idle_ = true;
  hit_ = false;
}

// Marks the entries that end at the set bits; each counts once per file.
void TFinderMatcher::Record(uint32_t word, uint64_t ends) {
  for (const auto& [bit, entry] : enders_[word]) {
    if (!(ends & bit)) continue;
    found_[entry] = true;
    liveEnds_[word] &= ~bit;
    const uint32_t form = entries_[entry].Form;
    if (form == FormAnsi || form == FormWide) ++tally_[form];
  }
}

// One byte through every lane; true when an entry was found and the hit
// condition now holds.
bool TFinderMatcher::Step(uint8_t b) {
  const uint64_t* m = &masks_[size_t(b) * words_];
  uint64_t live = 0;
  bool recorded = false;
  for (TLane& lane : lanes_) {
    if (lane.Words == 1) {
      const uint32_t i = lane.First;
      const uint64_t d = ((state_[i] << 1) | starts_[i]) & m[i];
      state_[i] = d;
      live |= d;
      if (d & liveEnds_[i]) {
        Record(i, d & liveEnds_[i]);
        recorded = true;
      }
      continue;
    }
    // Words above Top are zero, so only Top + 1 can gain a bit.
    const uint32_t n = std::min(uint32_t(lane.Top + 2), lane.Words);
    uint64_t carry = 1;
    int32_t top = -1;
    for (uint32_t k = 0; k < n; ++k) {
      const uint32_t i = lane.First + k;
      const uint64_t old = state_[i];
      const uint64_t d = ((old << 1) | carry) & m[i];
      carry = old >> 63;
      state_[i] = d;
      if (d) top = int32_t(k);
    }
    lane.Top = top;
    if (top < 0) continue;
    live = 1;
    const uint32_t last = lane.First + lane.Words - 1;
    if (uint32_t(top) + 1 == lane.Words && (state_[last] & liveEnds_[last])) {
      Record(last, state_[last] & liveEnds_[last]);
      recorded = true;
    }
  }
  idle_ = live == 0;
  if (!recorded) return false;
  const size_t p = entries_.size();
  return !allWords_ || tally_[0] * 2 == p || tally_[1] * 2 == p;
}

const uint8_t* TFinderMatcher::SkipToStart(const uint8_t* p, const uint8_t* end) const {
#if defined(__SSE2__)
  if (startByteCount_ > 0) {
    __m128i wanted[4];
    for (uint32_t i = 0; i < 4; ++i)
      wanted[i] = _mm_set1_epi8(char(startBytes_[i < startByteCount_ ? i : 0]));
    for (; end - p >= 16; p += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      __m128i eq = _mm_cmpeq_epi8(v, wanted[0]);
      for (uint32_t i = 1; i < startByteCount_; ++i) eq = _mm_or_si128(eq, _mm_cmpeq_epi8(v, wanted[i]));
      if (const int bits = _mm_movemask_epi8(eq)) return p + __builtin_ctz(unsigned(bits));
    }
  }
#endif
  while (p < end && !canStart_[*p]) ++p;
  return p;
}

size_t TFinderMatcher::Feed(const uint8_t* data, size_t size) {
  if (words_ == 0) return size;
  const uint8_t* p = data;
  const uint8_t* const end = data + size;
  while (p < end) {
    if (idle_) {
      p = SkipToStart(p, end);
      if (p == end) break;
    }
    if (Step(*p++) && !hit_) {
      hit_ = true;
      return size_t(p - data);
    }
  }
  return size;
}

uint32_t FinderBlockSize() { return g_blockSize; }

void FinderTesting::SetBlockSize(uint32_t size) { g_blockSize = size ? size : kNormalBlockSize; }
