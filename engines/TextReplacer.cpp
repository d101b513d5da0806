#include "engines/TextReplacer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

// Stop requests are honoured at least this often inside one file.
constexpr size_t kStopCheckBytes = 65536;

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
// buffer that is rewound over what a match replaces; bytes written to the
// file too early are overwritten later and the file is cut at the end.
class TStreamMatcher {
 public:
  TStreamMatcher(const TPatternView& p, TReplaceMode mode, uint32_t split, HANDLE out, uint8_t* buffer,
                 uint32_t blockSize)
      : p_(p),
        l_(p.FindLength),
        r_(mode == rmDelete ? 0 : p.ReplacementLength),
        split_(split),
        after_(mode == rmInsAfter),
        between_(mode == rmInsBetween),
        tail_(mode == rmInsBefore ? l_ : between_ ? l_ - split : 0),
        out_(out),
        buf_(buffer),
        block_(blockSize),
        candidates_(1, TCandidate{0, 0, false}),
        ring_(tail_ ? l_ + 1 : 0) {}

  // Feeds bytes [0, n) of a block starting at file offset blockOffset.
  void Feed(const uint8_t* in, size_t n, int64_t blockOffset, int64_t fileSize) {
    size_t i = 0;
    while (i < n) {
      if (Idle()) {
        const size_t skip = SkipLength(in + i, n - i);
        if (skip) {
          CopyThrough(in + i, skip, blockOffset + static_cast<int64_t>(i));
          i += skip;
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
    ++matches_;
    if (!out_) return;
    Rewind(openEnd_);
    Append(p_.Replacement, r_);
  }

  bool FlushBuffer() {
    if (!out_ || filled_ <= 0) return ok_;
    LARGE_INTEGER at;
    at.QuadPart = w_ - filled_;
    DWORD done = 0;
    const DWORD size = static_cast<DWORD>(filled_);
    if (!SetFilePointerEx(out_, at, nullptr, FILE_BEGIN) || !WriteFile(out_, buf_, size, &done, nullptr) ||
        done != size)
      ok_ = false;
    filled_ = 0;
    return ok_;
  }

  bool CutOutput() {
    if (!out_) return ok_;
    LARGE_INTEGER at;
    at.QuadPart = w_;
    if (!SetFilePointerEx(out_, at, nullptr, FILE_BEGIN) || !SetEndOfFile(out_)) ok_ = false;
    return ok_;
  }

  bool Ok() const { return ok_; }
  int32_t Matches() const { return matches_; }

 private:
  bool Idle() const { return candidates_.size() == 1 && candidates_[0].Count == 0 && !inside_; }

  // Bytes from the start of in that cannot begin a match.
  size_t SkipLength(const uint8_t* in, size_t n) const {
    const uint8_t a = p_.First[0];
    if (p_.CaseSensitive || p_.Second[0] == a) {
      const void* hit = memchr(in, a, n);
      return hit ? static_cast<size_t>(static_cast<const uint8_t*>(hit) - in) : n;
    }
    const uint8_t b = p_.Second[0];
    size_t i = 0;
    while (i < n && in[i] != a && in[i] != b) ++i;
    return i;
  }

  void CopyThrough(const uint8_t* in, size_t n, int64_t pos) {
    curDelim_ = p_.WholeWord && kDelimiters[in[n - 1]];
    if (!ring_.empty()) {
      const size_t keep = std::min(n, ring_.size());
      for (size_t k = n - keep; k < n; ++k) ring_[(pos + static_cast<int64_t>(k)) % ring_.size()] = in[k];
    }
    if (!out_) return;
    while (n) {
      if (filled_ >= block_) FlushBuffer();
      const size_t k = std::min<size_t>(n, block_ - filled_);
      memcpy(buf_ + filled_, in, k);
      filled_ += static_cast<int64_t>(k);
      w_ += static_cast<int64_t>(k);
      in += k;
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
    ++matches_;
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
    memcpy(buf_ + filled_, data, n);
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
  uint8_t* buf_;
  const int64_t block_;
  std::vector<TCandidate> candidates_;
  std::vector<uint8_t> ring_;
  int64_t w_ = 0, filled_ = 0, openEnd_ = 0;
  bool curDelim_ = true, inside_ = false, ok_ = true;
  int32_t matches_ = 0;
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

  const uint32_t blockSize = ReplaceBlockSize();
  TGlobalBlock input, output;
  bool ok = FileSizeOf(source.Get(), FileSize) && input.Allocate(blockSize, false) &&
            (counting || output.Allocate(size_t{view.ReplacementLength} + view.FindLength + blockSize + 1, false));
  {
    TGlobalLock in(input.Handle()), out(output.Handle());
    ok = ok && in.Get() && (counting || out.Get());
    TStreamMatcher matcher(view, Mode, static_cast<uint32_t>(SplitPosition), counting ? nullptr : temp.Get(),
                           out.Get<uint8_t>(), blockSize);
    int64_t offset = 0;
    while (ok && offset < FileSize) {
      const DWORD chunk = static_cast<DWORD>(std::min<int64_t>(FileSize - offset, blockSize));
      if (!ReadExactly(source.Get(), in.Get(), chunk)) {
        ok = false;
        break;
      }
      for (DWORD at = 0; ok && at < chunk; at += kStopCheckBytes) {
        if (IsTerminated()) {
          ok = false;
          break;
        }
        const DWORD part = std::min<DWORD>(chunk - at, kStopCheckBytes);
        matcher.Feed(in.Get<uint8_t>() + at, part, offset + at, FileSize);
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
