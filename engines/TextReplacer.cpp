#include "engines/TextReplacer.h"
#include "engines/CopyBytes.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Stop requests are honoured at least this often inside one file.
constexpr size_t kStopCheckBytes = 65536;
// The disk is read and written several blocks at a time: every hand-over to
// the pool thread that does it costs a wake-up.
constexpr uint32_t kBlocksPerTransfer = 4;
// Letters and the space by how common they are in text; every other byte
// counts as rarer than all of them.
constexpr std::string_view kCommonBytes = " etaoinshrdlcumwfgypbvkjxqz";

// Rank of a byte among kCommonBytes, higher for rarer bytes.
size_t Rarity(uint8_t b) {
  const size_t at = kCommonBytes.find(static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b));
  return at == std::string_view::npos ? kCommonBytes.size() : at;
}

// A byte of the find text, sought at its offset in either case copy.
struct TProbe {
  size_t At;
  uint8_t A, B;
  bool Fits(const uint8_t* p) const { return p[At] == A || p[At] == B; }
};

// Two bytes of the find text sought together, the compared vectors made
// once: a dense file asks for the next place every few dozen bytes.
class TProbePair {
 public:
  TProbePair(const TProbe& x, const TProbe& y) : x_(x), y_(y) {
#if defined(__SSE2__)
    x1_ = _mm_set1_epi8(static_cast<char>(x.A));
    x2_ = _mm_set1_epi8(static_cast<char>(x.B));
    y1_ = _mm_set1_epi8(static_cast<char>(y.A));
    y2_ = _mm_set1_epi8(static_cast<char>(y.B));
#endif
  }

  size_t Reach() const { return std::max(x_.At, y_.At); }

  // Bit s set where p[s + x.At] and p[s + y.At] both fit, for s in [0, 64).
  // Bytes up to p[63 + Reach()] are read.
  uint64_t Mask64(const uint8_t* p) const {
    uint64_t mask = 0;
#if defined(__SSE2__)
    for (int k = 0; k < 64; k += 16) mask |= uint64_t{Hits16(p + k)} << k;
#else
    for (size_t k = 0; k < 64; ++k)
      if (x_.Fits(p + k) && y_.Fits(p + k)) mask |= uint64_t{1} << k;
#endif
    return mask;
  }

  // The first s of [0, count) where p[s + x.At] and p[s + y.At] both fit;
  // count when none. Bytes up to p[count - 1 + Reach()] are read.
  size_t Find(const uint8_t* p, size_t count) const {
    size_t s = 0;
#if defined(__SSE2__)
    for (; s + 16 <= count; s += 16)
      if (const uint32_t mask = Hits16(p + s)) return s + static_cast<size_t>(__builtin_ctz(mask));
#endif
    for (; s < count; ++s)
      if (x_.Fits(p + s) && y_.Fits(p + s)) return s;
    return count;
  }

 private:
#if defined(__SSE2__)
  // Bit s set where both probes fit at p + s, for s in [0, 16).
  uint32_t Hits16(const uint8_t* p) const {
    const __m128i vx = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x_.At));
    const __m128i vy = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + y_.At));
    const __m128i hits = _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(vx, x1_), _mm_cmpeq_epi8(vx, x2_)),
                                       _mm_or_si128(_mm_cmpeq_epi8(vy, y1_), _mm_cmpeq_epi8(vy, y2_)));
    return static_cast<uint32_t>(_mm_movemask_epi8(hits));
  }
#endif

  TProbe x_, y_;
#if defined(__SSE2__)
  __m128i x1_, x2_, y1_, y2_;
#endif
};

// A find text of up to 16 bytes compared in one step, each byte against
// both case copies: a dense file asks at every few dozen bytes.
class TShortText {
 public:
  explicit TShortText(const TPatternView& p) {
#if defined(__SSE2__)
    if (p.FindLength > 16) return;
    uint8_t first[16] = {}, second[16] = {};
    std::memcpy(first, p.First, p.FindLength);
    std::memcpy(second, p.CaseSensitive ? p.First : p.Second, p.FindLength);
    first_ = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first));
    second_ = _mm_loadu_si128(reinterpret_cast<const __m128i*>(second));
    want_ = (1u << p.FindLength) - 1;
#endif
  }

  bool Usable() const { return want_ != 0; }

  // Whether the text lies at p; reads p[0] to p[15].
  bool At(const uint8_t* p) const {
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto fits = static_cast<uint32_t>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, first_), _mm_cmpeq_epi8(v, second_))));
    return (fits & want_) == want_;
#else
    (void)p;
    return false;
#endif
  }

 private:
#if defined(__SSE2__)
  __m128i first_, second_;
#endif
  uint32_t want_ = 0;
};

constexpr std::array<bool, 256> MakeDelimiterTable() {
  std::array<bool, 256> t{};
  for (int b : {13, 10, 32, 93, 92, 91, 94, 96, 125, 124, 123, 126}) t[b] = true;
  for (int b = 33; b <= 47; ++b) t[b] = true;
  for (int b = 58; b <= 64; ++b) t[b] = true;
  return t;
}
constexpr std::array<bool, 256> kDelimiters = MakeDelimiterTable();

struct TCandidate {
  uint32_t Count;
  int64_t Start;
  bool Dead;
};

// One pass of the matcher over a file: every occurrence is found by
// candidates that each track a partial match; the first to complete wins and
// all others are dropped, so matches never overlap. Output goes through a
// buffer that is rewound over what a match replaces, written behind while
// the next fills; bytes written to the file too early are overwritten later
// and the file is cut at the end.
class TStreamMatcher {
 public:
  // buffers: two of OutputBufferSize(p, blockSize) bytes, written in turn.
  TStreamMatcher(const TPatternView& p, TReplaceMode mode, uint32_t split, HANDLE out, uint8_t* buffers,
                 uint32_t blockSize)
      : p_(p),
        l_(p.FindLength),
        r_(mode == rmDelete ? 0 : p.ReplacementLength),
        split_(split),
        after_(mode == rmInsAfter),
        between_(mode == rmInsBetween),
        tail_(mode == rmInsBefore ? l_ : between_ ? l_ - split : 0),
        out_(out),
        buf_(buffers),
        spare_(buffers ? buffers + OutputBufferSize(p, blockSize) : nullptr),
        block_(blockSize),
        candidates_(1, TCandidate{0, 0, false}),
        ring_(tail_ ? l_ + 1 : 0),
        first_(Probe(0), Probe(0)),
        rare_(RareProbes()),
        short_(p) {}

  // Feeds bytes [0, n) of a block starting at file offset blockOffset.
  void Feed(const uint8_t* in, size_t n, int64_t blockOffset, int64_t fileSize) {
    size_t i = 0;
    while (i < n) {
      if (Idle()) {
        i = ReplaceInHand(in, n, i);
        TStart start = TStart::No;
        const size_t j = NextStart(in, n, i, start);
        if (j > i) {
          CopyThrough(in + i, j - i, blockOffset + static_cast<int64_t>(i));
          i = j;
          if (i == n) break;
        }
        if (start == TStart::Yes) {
          CompleteInHand(in + i);
          i += l_;
          continue;
        }
      }
      const int64_t pos = blockOffset + static_cast<int64_t>(i);
      if (Step(in[i], pos, pos == fileSize - 1)) ++i;
    }
  }

  // The file's end closes a word: an empty closing text of a whole-word
  // between pair, still sought there, matches at the end.
  void EndOfFile() {
    if (!between_ || !inside_ || !p_.WholeWord || split_ != l_) return;
    inside_ = false;
    CountMatch();
    if (!out_) return;
    Rewind(openEnd_);
    Append(p_.Replacement, r_);
  }

  bool FlushBuffer() {
    if (!out_ || filled_ <= 0) return ok_;
    if (!writer_.Write(buf_, static_cast<DWORD>(filled_), w_ - filled_)) ok_ = false;
    std::swap(buf_, spare_);
    filled_ = 0;
    return ok_;
  }

  static size_t OutputBufferSize(const TPatternView& p, uint32_t blockSize) {
    return size_t{p.ReplacementLength} + p.FindLength + blockSize + 1;
  }

  bool CutOutput() {
    if (!out_) return ok_;
    if (!writer_.Wait()) ok_ = false;
    LARGE_INTEGER at;
    at.QuadPart = w_;
    if (!SetFilePointerEx(out_, at, nullptr, FILE_BEGIN) || !SetEndOfFile(out_)) ok_ = false;
    return ok_;
  }

  bool Ok() const { return ok_; }
  int32_t Matches() const { return matches_; }

 private:
  // A file of several GiB can hold more matches than the 32-bit count.
  void CountMatch() {
    if (matches_ < matchLimit_) ++matches_;
  }

  bool Idle() const { return candidates_.size() == 1 && candidates_[0].Count == 0 && !inside_; }

  // The offset of the rarest byte of the first l, other than `skip` (when
  // there is another).
  uint32_t RarestPosition(uint32_t l, uint32_t skip) const {
    uint32_t best = skip == 0 && l > 1 ? 1 : 0;
    for (uint32_t k = 0; k < l; ++k)
      if (k != skip && Rarity(p_.First[k]) > Rarity(p_.First[best])) best = k;
    return best;
  }

  // The find text's two rarest bytes; a between pair is sought by its first.
  TProbePair RareProbes() const {
    if (between_) return {Probe(0), Probe(0)};
    const uint32_t rarest = RarestPosition(l_, l_);
    return {Probe(rarest), Probe(RarestPosition(l_, rarest))};
  }

  TProbe Probe(size_t k) const { return {k, p_.First[k], p_.CaseSensitive ? p_.First[k] : p_.Second[k]}; }

  enum class TStart { No, Yes, Unsure };

  // Whether a match starts at in[j], judged from the bytes in hand (i: where
  // the idle run began). Unsure when the bytes in hand cannot tell: the
  // candidates then take over, as they always do for a between pair.
  TStart JudgeStart(const uint8_t* in, size_t n, size_t i, size_t j) const {
    if (between_) return TStart::Unsure;
    if (p_.WholeWord && !(j == i ? curDelim_ : kDelimiters[in[j - 1]])) return TStart::No;
    const size_t inHand = std::min(n - j, static_cast<size_t>(l_));
    if (!PrefixFits(in + j, inHand)) return TStart::No;
    if (inHand < l_) return TStart::Unsure;
    const size_t end = j + l_;
    if (!p_.WholeWord) return TStart::Yes;
    if (end == n) return TStart::Unsure;  // the delimiter or the file's end lies beyond
    return kDelimiters[in[end]] ? TStart::Yes : TStart::No;
  }

  bool Fits(uint8_t b, size_t k) const { return b == p_.First[k] || (!p_.CaseSensitive && b == p_.Second[k]); }

  // Whether the find text's first count bytes lie at `at`.
  bool PrefixFits(const uint8_t* at, size_t count) const {
    for (size_t k = 0; k < count; ++k)
      if (!Fits(at[k], k)) return false;
    return true;
  }

  // The first place from i on where a match may start (n when none), with
  // the judgement of it. Places are found by the find text's two rarest
  // bytes where they lie in the bytes in hand, by its first byte after that.
  size_t NextStart(const uint8_t* in, size_t n, size_t i, TStart& start) const {
    const size_t reach = rare_.Reach();
    size_t j = i;
    for (; j + reach < n; ++j) {
      j += rare_.Find(in + j, n - j - reach);
      if (j + reach >= n) break;
      if ((start = JudgeStart(in, n, i, j)) != TStart::No) return j;
    }
    for (;; ++j) {
      j += first_.Find(in + j, n - j);
      if (j == n || (start = JudgeStart(in, n, i, j)) != TStart::No) return j;
    }
  }

  // The idle stretch from i on, while the find text lies whole in the bytes
  // in hand with room after it: each gap and match written out as
  // CopyThrough and CompleteInHand would. Returns where it stops, for the
  // general path: near the end of the bytes, at a place only the candidates
  // can judge, or where the output buffer would fill. A dense file meets a
  // match every few dozen bytes, so the state lives in locals: a byte stored
  // through the buffer might alias the members, which would then be written
  // back and read again at every match.
  size_t ReplaceInHand(const uint8_t* in, size_t n, size_t i) {
    if (!ring_.empty() || between_) return i;
    const size_t l = l_, r = r_, reach = rare_.Reach();
    const bool after = after_;
    uint8_t* const buf = out_ ? buf_ : nullptr;
    int64_t filled = filled_, w = w_;
    int32_t matches = matches_;
    bool delim = curDelim_;
    size_t window = n;  // where the 64 places of `hits` begin
    uint64_t hits = 0;
    for (size_t j = i; j + 64 + reach <= n;) {
      if (j < window || j >= window + 64) {
        window = j;
        hits = rare_.Mask64(in + j);
      }
      const uint64_t ahead = hits >> (j - window);
      if (!ahead) {
        j = window + 64;
        continue;
      }
      j += static_cast<size_t>(__builtin_ctzll(ahead));
      if (j + std::max<size_t>(l, 16) >= n) break;
      if (!WholeAt(in, j, j == i ? delim : kDelimiters[in[j - 1]])) {
        ++j;
        continue;
      }
      const size_t gap = j - i;
      if (buf) {
        if (filled + static_cast<int64_t>(gap + l + r) >= block_) break;
        uint8_t* to = buf + filled;
        // Most gaps are short: one copy of a fixed 64 bytes, its excess
        // overwritten next, spares the branches on every gap's length.
        if (gap <= 64 && i + 64 <= n && filled + 64 <= block_)
          CopyFixed64(to, in + i);
        else
          CopyBytes(to, in + i, gap);
        to += gap;
        if (after) {
          CopyBytes(to, in + j, l);
          to += l;
        }
        CopyBytes(to, p_.Replacement, r);
        to += r;
        const int64_t added = to - (buf + filled);
        filled += added;
        w += added;
      }
      if (matches < matchLimit_) ++matches;
      // Matching resumes with the byte after the match as at a word start.
      delim = p_.WholeWord;
      i = j = j + l;
    }
    filled_ = filled;
    w_ = w;
    matches_ = matches;
    curDelim_ = delim;
    return i;
  }

  // Whether the find text matches whole at in[j], the byte after it in hand
  // and, for a short text, 16 bytes from j on (prevDelim: whether the byte
  // before it ends a word).
  bool WholeAt(const uint8_t* in, size_t j, bool prevDelim) const {
    if (p_.WholeWord && !prevDelim) return false;
    if (!(short_.Usable() ? short_.At(in + j) : PrefixFits(in + j, l_))) return false;
    return !p_.WholeWord || kDelimiters[in[j + l_]];
  }

  // A whole match in the bytes at `at`, found while idle: written out at
  // once, as the candidates would have.
  void CompleteInHand(const uint8_t* at) {
    CountMatch();
    // Matching resumes with the byte after the match as at a word start.
    curDelim_ = p_.WholeWord;
    if (!out_) return;
    if (tail_) Emit(p_.Replacement, r_);
    if (tail_ || after_) Emit(at, l_);
    if (!tail_) Emit(p_.Replacement, r_);
  }

  void CopyThrough(const uint8_t* in, size_t n, int64_t pos) {
    curDelim_ = p_.WholeWord && kDelimiters[in[n - 1]];
    if (!ring_.empty()) {
      const size_t keep = std::min(n, ring_.size());
      for (size_t k = n - keep; k < n; ++k) ring_[(pos + static_cast<int64_t>(k)) % ring_.size()] = in[k];
    }
    if (out_) Emit(in, n);
  }

  // Appends bytes to the output through the buffer, writing it out whenever
  // it is full.
  void Emit(const uint8_t* data, size_t n) {
    while (n) {
      if (filled_ >= block_) FlushBuffer();
      const size_t k = std::min<size_t>(n, block_ - filled_);
      CopyBytes(buf_ + filled_, data, k);
      filled_ += static_cast<int64_t>(k);
      w_ += static_cast<int64_t>(k);
      data += k;
      n -= k;
    }
    if (filled_ >= block_) FlushBuffer();
  }

  bool Completes(uint32_t count, bool last) const {
    if (!p_.WholeWord) return count >= l_;
    return count > l_ || (count >= l_ && last);
  }

  void AddFresh(uint32_t base) {
    for (size_t i = 1; i < candidates_.size(); ++i)
      if (candidates_[i].Dead) {
        candidates_[i] = TCandidate{base, 0, false};
        return;
      }
    candidates_.push_back(TCandidate{base, 0, false});
  }

  // Index of the candidate completed by b, or -1.
  ptrdiff_t TestCandidates(uint8_t b, bool prevDelim, bool last) {
    const uint32_t base = inside_ ? split_ : 0;
    // Inside a between pair the first entry may still be on an opening text.
    if (candidates_[0].Count != base) AddFresh(base);
    bool othersLive = false;
    for (size_t i = 0; i < candidates_.size(); ++i) {
      TCandidate& c = candidates_[i];
      if (c.Dead) continue;
      const uint32_t k = c.Count;
      bool match;
      if (k < l_) {
        match = b == p_.First[k] || (!p_.CaseSensitive && b == p_.Second[k]);
        if (p_.WholeWord && k == 0) match = match && prevDelim;
      } else {
        match = curDelim_;  // the byte after a whole word
      }
      if (!match) {
        if (i == 0)
          c.Count = base;
        else
          c.Dead = true;
        continue;
      }
      if (k == 0) c.Start = w_;
      c.Count = k + 1;
      if (between_ && !inside_ && c.Count == split_) {
        inside_ = true;
        openEnd_ = w_ + 1;
      }
      if (Completes(c.Count, last)) return static_cast<ptrdiff_t>(i);
      if (i > 0) othersLive = true;
    }
    if (!othersLive) candidates_.resize(1);
    return -1;
  }

  // Processes one byte; false when the byte must be read again (a whole
  // word's closing delimiter was consumed).
  bool Step(uint8_t b, int64_t pos, bool last) {
    const bool prevDelim = curDelim_;
    curDelim_ = p_.WholeWord && kDelimiters[b];
    if (!ring_.empty()) ring_[pos % ring_.size()] = b;
    if (out_) buf_[filled_] = b;
    const ptrdiff_t done = TestCandidates(b, prevDelim, last);
    if (done < 0) {
      if (out_) {
        ++filled_;
        ++w_;
        if (filled_ >= block_) FlushBuffer();
      }
      return true;
    }
    const TCandidate c = candidates_[done];
    candidates_.assign(1, TCandidate{0, 0, false});
    int64_t start = c.Start;
    if (inside_) start = openEnd_;
    inside_ = false;
    CountMatch();
    if (after_) start += l_;
    const bool consumedDelimiter = c.Count > l_;
    if (out_) {
      Rewind(start);
      Append(p_.Replacement, r_);
      AppendTail(consumedDelimiter ? pos - 1 : pos);
    }
    return !consumedDelimiter;
  }

  void Rewind(int64_t start) {
    if (w_ - filled_ > start) {
      filled_ = 0;  // all of the buffer lies inside what is replaced
      w_ = start;
      return;
    }
    filled_ -= w_ - start;
    w_ = start;
    if (filled_ + r_ >= block_) FlushBuffer();
  }

  void Append(const uint8_t* data, uint32_t n) {
    CopyBytes(buf_ + filled_, data, n);
    filled_ += n;
    w_ += n;
  }

  // The file's own bytes of the found text's tail, ending at position end.
  void AppendTail(int64_t end) {
    for (int64_t at = end - tail_ + 1; at <= end; ++at) buf_[filled_++] = ring_[at % ring_.size()];
    w_ += tail_;
  }

  const TPatternView& p_;
  const uint32_t l_, r_, split_;
  const bool after_, between_;
  const uint32_t tail_;
  HANDLE out_;
  uint8_t *buf_, *spare_;
  const int64_t block_;
  std::vector<TCandidate> candidates_;
  std::vector<uint8_t> ring_;
  int64_t w_ = 0, filled_ = 0, openEnd_ = 0;
  // The idle scan looks for the find text's two rarest bytes together.
  const TProbePair first_, rare_;
  const TShortText short_;
  bool curDelim_ = true, inside_ = false, ok_ = true;
  int32_t matches_ = 0;
  const int32_t matchLimit_ = MatchLimit();
  // Last, so that it goes first: a write still out ends before the buffers go.
  TWriteBehind writer_{out_};
};

bool FileSizeOf(HANDLE h, int64_t& size) {
  LARGE_INTEGER li;
  if (!GetFileSizeEx(h, &li)) return false;
  size = li.QuadPart;
  return true;
}

bool ReadExactly(HANDLE h, void* buffer, DWORD size) {
  DWORD done = 0;
  return ReadFile(h, buffer, size, &done, nullptr) && done == size;
}

bool WriteExactly(HANDLE h, const void* data, DWORD size) {
  DWORD done = 0;
  return size == 0 || (WriteFile(h, data, size, &done, nullptr) && done == size);
}

bool StreamsThrough(TReplaceMode mode) {
  switch (mode) {
    case rmReplace:
    case rmDelete:
    case rmInsAfter:
    case rmInsBefore:
    case rmInsBetween:
    case rmJustFind:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool IsWordDelimiter(uint8_t b) { return kDelimiters[b]; }

TTextReplacer::TTextReplacer(TThread* thread, bool backup, HGLOBAL block, TReplaceMode mode)
    : TBaseReplacer(thread), Mode(mode), Block(block) {
  Backup = backup;
}

TReplaceResult TTextReplacer::ReplaceInFile(const std::string& fileName) {
  switch (Mode) {
    case rmReplace:
    case rmDelete:
    case rmInsAfter:
      return ReplaceStream(fileName);
    case rmInsToHead:
    case rmInsToFoot:
      return InsertHeadFoot(fileName);
    case rmInsBefore:
    case rmInsBetween:
      return InsertBeforeBetween(fileName);
    case rmJustFind:
      return CountMatches(fileName);
    default:
      return rrFailed;
  }
}

TReplaceResult TTextReplacer::ReplaceStream(const std::string& fileName) {
  if (Mode != rmReplace && Mode != rmDelete && Mode != rmInsAfter) return rrFailed;
  return StreamPass(fileName, false);
}

TReplaceResult TTextReplacer::InsertBeforeBetween(const std::string& fileName) {
  if (Mode != rmInsBefore && Mode != rmInsBetween) return rrFailed;
  return StreamPass(fileName, false);
}

TReplaceResult TTextReplacer::CountMatches(const std::string& fileName) {
  if (Mode != rmJustFind) return rrFailed;
  return StreamPass(fileName, true);
}

TReplaceResult TTextReplacer::StreamPass(const std::string& fileName, bool counting) {
  FileSize = 0;
  MatchCount = 0;
  if (!StreamsThrough(Mode)) return rrFailed;
  TGlobalLock pattern(Block);
  TPatternView view;
  // An empty find text would match everywhere and nowhere: refuse it.
  if (!ViewPatternBlock(pattern.Get(), Block ? GlobalSize(Block) : 0, view) || view.FindLength == 0)
    return rrFailed;
  if (Mode == rmInsBetween && (SplitPosition < 0 || static_cast<uint32_t>(SplitPosition) > view.FindLength))
    return rrFailed;

  THandle source, temp;
  uint32_t tempNumber = 0;
  if (counting) {
    if (GetFileAttributesA(fileName.c_str()) == INVALID_FILE_ATTRIBUTES) return rrNotFound;
    source.Reset(CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
    if (!source) return rrFailed;
  } else {
    const int32_t opened = OpenSourceAndTemp(fileName, source, temp, tempNumber);
    if (opened != kFilesOpen) return static_cast<TReplaceResult>(opened);
  }

  bool ok = FileSizeOf(source.Get(), FileSize);
  // No larger than the file: fresh memory costs a fault per page, which many
  // small files would pay over and over.
  const auto blockSize =
      static_cast<uint32_t>(std::clamp<int64_t>(FileSize, 1, int64_t{ReplaceBlockSize()} * kBlocksPerTransfer));
  TGlobalBlock output;
  ok = ok && (counting || output.Allocate(2 * TStreamMatcher::OutputBufferSize(view, blockSize), false));
  {
    TReadAhead input(source.Get(), ok ? FileSize : 0, blockSize);
    TGlobalLock out(output.Handle());
    ok = ok && input.Ready() && (counting || out.Get());
    TStreamMatcher matcher(view, Mode, static_cast<uint32_t>(SplitPosition), counting ? nullptr : temp.Get(),
                           out.Get<uint8_t>(), blockSize);
    int64_t offset = 0;
    while (ok && offset < FileSize) {
      DWORD chunk = 0;
      const uint8_t* in = input.Next(chunk);
      if (!in) {
        ok = false;
        break;
      }
      for (DWORD at = 0; ok && at < chunk; at += kStopCheckBytes) {
        if (IsTerminated()) {
          ok = false;
          break;
        }
        const DWORD part = std::min<DWORD>(chunk - at, kStopCheckBytes);
        matcher.Feed(in + at, part, offset + at, FileSize);
        ok = matcher.Ok();
      }
      ok = ok && matcher.FlushBuffer();
      offset += chunk;
    }
    if (ok) {
      matcher.EndOfFile();
      ok = matcher.FlushBuffer();
    }
    ok = ok && matcher.CutOutput();
    MatchCount = matcher.Matches();
  }
  if (counting) {
    if (!ok) return rrFailed;
    return MatchCount > 0 ? rrChanged : rrUnchanged;
  }
  return FinishFile(source, temp, ok, fileName, tempNumber);
}

TReplaceResult TTextReplacer::InsertHeadFoot(const std::string& fileName) {
  FileSize = 0;
  MatchCount = 0;
  if (Mode != rmInsToHead && Mode != rmInsToFoot) return rrFailed;
  TGlobalLock pattern(Block);
  TPatternView view;
  if (!ViewPatternBlock(pattern.Get(), Block ? GlobalSize(Block) : 0, view) || view.FindLength == 0)
    return rrFailed;
  THandle source, temp;
  uint32_t tempNumber = 0;
  const int32_t opened = OpenSourceAndTemp(fileName, source, temp, tempNumber);
  if (opened != kFilesOpen) return static_cast<TReplaceResult>(opened);
  MatchCount = 1;  // writing the text is the one change

  const uint32_t blockSize = ReplaceBlockSize();
  TGlobalBlock buffer;
  bool ok = FileSizeOf(source.Get(), FileSize) && buffer.Allocate(blockSize, false);
  {
    TGlobalLock lock(buffer.Handle());
    ok = ok && lock.Get();
    if (ok && Mode == rmInsToHead) ok = WriteExactly(temp.Get(), view.First, view.FindLength);
    for (int64_t remaining = FileSize; ok && remaining > 0;) {
      const DWORD chunk = static_cast<DWORD>(std::min<int64_t>(remaining, blockSize));
      ok = !IsTerminated() && ReadExactly(source.Get(), lock.Get(), chunk) &&
           WriteExactly(temp.Get(), lock.Get(), chunk);
      remaining -= chunk;
    }
    if (ok && Mode == rmInsToFoot) ok = WriteExactly(temp.Get(), view.First, view.FindLength);
  }
  return FinishFile(source, temp, ok, fileName, tempNumber);
}
