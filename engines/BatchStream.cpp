#include <algorithm>
#include <cstring>
#include <vector>

#include "engines/BatchMatcher.h"
#include "engines/CopyBytes.h"
#include "engines/TextReplacer.h"

namespace {

// Each hand-over to a pool thread costs a wake-up: the disk is asked in
// pieces of a mebibyte or so.
constexpr size_t kOutputBuffer = 1048576;
constexpr size_t kReadChunk = 1048576;
constexpr DWORD kLargestCall = 1u << 30;

bool WriteExactly(HANDLE file, const char* data, size_t size) {
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, kLargestCall));
    DWORD done = 0;
    if (!WriteFile(file, data, chunk, &done, nullptr) || done != chunk) return false;
    data += chunk;
    size -= chunk;
  }
  return true;
}

// The source read at any offset (a match may give bytes back), the output
// written in order through a buffer. The disk works while the matcher does:
// a pool thread reads the next block ahead and writes a full buffer behind,
// one request of each kind out at a time.
class TFileBatchIO : public IBatchIO {
 public:
  TFileBatchIO(HANDLE source, HANDLE temp, uint64_t size, const TBaseReplacer& owner)
      : source_(source), temp_(temp), size_(size), owner_(owner) {
    filling_.resize(kOutputBuffer);
    writing_.resize(kOutputBuffer);
    // Without the pool every request is served at once.
    reader_.Reset(CreateThreadpoolWork(ReadAhead, this, nullptr));
    writer_.Reset(CreateThreadpoolWork(WriteBehind, this, nullptr));
  }

  // The attempt states read into their own buffer: the next block is read
  // ahead into a buffer here and copied over.
  bool ReadInput(uint64_t offset, char* buffer, size_t size) override {
    if (Collect(offset, readAhead_.data()) >= size) {
      std::copy(readAhead_.begin(), readAhead_.begin() + static_cast<ptrdiff_t>(size), buffer);
    } else if (!ReadAt(source_, offset, buffer, size)) {
      return false;
    }
    if (readAhead_.size() < size) readAhead_.resize(size);
    Anticipate(offset + size, size, readAhead_.data());
    return true;
  }

  // The automaton's blocks come straight from the disk, several at a time
  // into one of two chunks in turn: the next chunk is read ahead into the
  // other while this one is matched. Within a chunk the carried bytes are
  // already in place; only a new chunk takes a copy of them.
  const char* ReadBlock(uint64_t offset, size_t size, const char* carry, size_t carried,
                        size_t room) override {
    TChunk* chunk = &chunks_[given_];
    const bool held = chunk->room == room && offset >= chunk->at && offset + size <= chunk->at + chunk->size;
    if (!held) {
      chunk = &chunks_[given_ ^ 1];
      if (!FillChunk(*chunk, offset, size, room)) return nullptr;
    }
    char* at = chunk->bytes.data() + room + (offset - chunk->at);
    if (carried && carry != at - carried) std::memmove(at - carried, carry, carried);
    if (!held) {
      given_ ^= 1;
      TChunk& spare = chunks_[given_ ^ 1];
      const size_t span = std::max(size, kReadChunk / size * size);
      if (spare.bytes.size() < room + span) spare.bytes.resize(room + span);
      spare.size = 0;
      spare.room = room;
      Anticipate(chunk->at + chunk->size, span, spare.bytes.data() + room);
    }
    return at - carried;
  }

  bool WriteOutput(const char* data, size_t size) override {
    // Most pieces fit: they pay for no loop and no hand-over.
    if (size < kOutputBuffer - filled_) {
      CopyBytes(filling_.data() + filled_, data, size);
      filled_ += size;
      return true;
    }
    return WriteAcross(data, size);
  }

  bool Stopped() override { return owner_.IsTerminated(); }

  // Writes what is buffered and cuts the output there.
  bool Finish() {
    return WrittenBehind() && WriteExactly(temp_, filling_.data(), filled_) && SetEndOfFile(temp_);
  }

 private:
  struct TChunk {
    std::vector<char> bytes;  // room, then the chunk's bytes
    uint64_t at = 0;
    size_t size = 0;
    size_t room = 0;
  };

  // The chunk from offset on into chunk: the one read ahead when it begins
  // there, else read now.
  bool FillChunk(TChunk& chunk, uint64_t offset, size_t size, size_t room) {
    char* ahead = chunk.room == room && chunk.bytes.size() > room ? chunk.bytes.data() + room : nullptr;
    chunk.at = offset;
    chunk.room = room;
    chunk.size = Collect(offset, ahead);
    if (chunk.size >= size) return true;
    chunk.size = static_cast<size_t>(std::min<uint64_t>(std::max(size, kReadChunk / size * size), size_ - offset));
    if (chunk.bytes.size() < room + chunk.size) chunk.bytes.resize(room + chunk.size);
    if (ReadAt(source_, offset, chunk.bytes.data() + room, chunk.size)) return true;
    chunk.size = 0;
    return false;
  }

  struct TAhead {
    uint64_t offset = 0;
    size_t size = 0;  // 0: nothing asked for
    char* into = nullptr;
    bool ok = false;
  };

  // Kept out of line: the call of every piece stays light.
  [[gnu::noinline]] bool WriteAcross(const char* data, size_t size) {
    while (size > 0) {
      const size_t n = std::min(size, kOutputBuffer - filled_);
      CopyBytes(filling_.data() + filled_, data, n);
      filled_ += n;
      data += n;
      size -= n;
      if (filled_ == kOutputBuffer && !HandOver()) return false;
    }
    return true;
  }

  // Waits for the read ahead, if any: the bytes it brought to into from
  // offset on, 0 when it read others or failed.
  size_t Collect(uint64_t offset, const char* into) {
    if (!ahead_.size) return 0;
    WaitForThreadpoolWorkCallbacks(reader_.Get(), FALSE);
    const size_t read = ahead_.ok && ahead_.offset == offset && ahead_.into == into ? ahead_.size : 0;
    ahead_.size = 0;
    return read;
  }

  // Reads up to size bytes from offset on into into on the pool, if the
  // file goes on; into holds size bytes at least.
  void Anticipate(uint64_t offset, size_t size, char* into) {
    if (!reader_ || offset >= size_) return;
    ahead_.offset = offset;
    ahead_.size = static_cast<size_t>(std::min<uint64_t>(size, size_ - offset));
    ahead_.into = into;
    SubmitThreadpoolWork(reader_.Get());
  }

  static void CALLBACK ReadAhead(PTP_CALLBACK_INSTANCE, void* self, PTP_WORK) {
    TAhead& ahead = static_cast<TFileBatchIO*>(self)->ahead_;
    ahead.ok = ReadAt(static_cast<TFileBatchIO*>(self)->source_, ahead.offset, ahead.into, ahead.size);
  }

  static void CALLBACK WriteBehind(PTP_CALLBACK_INSTANCE, void* self, PTP_WORK) {
    TFileBatchIO& io = *static_cast<TFileBatchIO*>(self);
    io.written_ = WriteExactly(io.temp_, io.writing_.data(), kOutputBuffer);
  }

  // Whether the buffer written behind has gone to the disk whole.
  bool WrittenBehind() {
    if (writingOut_) WaitForThreadpoolWorkCallbacks(writer_.Get(), FALSE);
    writingOut_ = false;
    return written_;
  }

  bool HandOver() {
    if (!WrittenBehind()) return false;
    filling_.swap(writing_);
    filled_ = 0;
    if (!writer_) {
      written_ = WriteExactly(temp_, writing_.data(), kOutputBuffer);
      return written_;
    }
    writingOut_ = true;
    SubmitThreadpoolWork(writer_.Get());
    return true;
  }

  HANDLE source_;
  HANDLE temp_;
  uint64_t size_;
  const TBaseReplacer& owner_;
  TAhead ahead_;
  std::vector<char> readAhead_;
  TChunk chunks_[2];
  int given_ = 0;  // the chunk of the block given last
  // Only full buffers are written behind.
  std::vector<char> filling_, writing_;
  size_t filled_ = 0;
  bool writingOut_ = false;
  bool written_ = true;
  // Last, so that they go first: their requests end before the buffers go.
  TPoolWork reader_, writer_;
};

}  // namespace

TReplaceResult TTextReplacer::ReplaceBatchStream(const std::string& fileName, HGLOBAL block,
                                                 uint32_t pairCount) {
  FileSize = 0;
  MatchCount = 0;
  THandle source, temp;
  uint32_t tempNumber = 0;
  const int32_t opened = OpenSourceAndTemp(fileName, source, temp, tempNumber);
  if (opened != kFilesOpen) return static_cast<TReplaceResult>(opened);

  bool ok = false;
  try {
    // Records are copied out of the block: nothing keeps an address into it.
    std::vector<TBatchRecord> records;
    LARGE_INTEGER size;
    if (ReadBatchRecords(block, pairCount, records) && GetFileSizeEx(source.Get(), &size)) {
      FileSize = size.QuadPart;
      TFileBatchIO io(source.Get(), temp.Get(), static_cast<uint64_t>(FileSize), *this);
      const int64_t matches = batchMatcher_.Run(records, static_cast<uint64_t>(FileSize), io, ReplaceBlockSize());
      ok = matches >= 0 && io.Finish();
      if (ok) MatchCount = static_cast<int32_t>(std::min<int64_t>(matches, MatchLimit()));
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  return FinishFile(source, temp, ok, fileName, tempNumber);
}
