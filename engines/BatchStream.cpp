#include <algorithm>
#include <limits>
#include <vector>

#include "engines/BatchMatcher.h"
#include "engines/TextReplacer.h"

namespace {

constexpr size_t kOutputBuffer = 262144;

// The source read at any offset (a match may give bytes back), the output
// written in order through a buffer.
class TFileBatchIO : public IBatchIO {
 public:
  TFileBatchIO(HANDLE source, HANDLE temp, const TBaseReplacer& owner)
      : source_(source), temp_(temp), owner_(owner) {
    buffer_.reserve(kOutputBuffer);
  }

  bool ReadInput(uint64_t offset, char* buffer, size_t size) override {
    if (offset != readAt_) {
      LARGE_INTEGER at;
      at.QuadPart = static_cast<LONGLONG>(offset);
      if (!SetFilePointerEx(source_, at, nullptr, FILE_BEGIN)) return false;
    }
    readAt_ = offset + size;
    while (size > 0) {
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
      DWORD done = 0;
      if (!ReadFile(source_, buffer, chunk, &done, nullptr) || done != chunk) {
        readAt_ = std::numeric_limits<uint64_t>::max();
        return false;
      }
      buffer += chunk;
      size -= chunk;
    }
    return true;
  }

  bool WriteOutput(const char* data, size_t size) override {
    if (buffer_.size() + size > kOutputBuffer && !Flush()) return false;
    if (size >= kOutputBuffer) return WriteExactly(data, size);
    buffer_.insert(buffer_.end(), data, data + size);
    return true;
  }

  bool Stopped() override { return owner_.IsTerminated(); }

  // Writes what is buffered and cuts the output there.
  bool Finish() { return Flush() && SetEndOfFile(temp_); }

 private:
  bool Flush() {
    const bool ok = WriteExactly(buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok;
  }

  bool WriteExactly(const char* data, size_t size) {
    while (size > 0) {
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
      DWORD done = 0;
      if (!WriteFile(temp_, data, chunk, &done, nullptr) || done != chunk) return false;
      data += chunk;
      size -= chunk;
    }
    return true;
  }

  HANDLE source_;
  HANDLE temp_;
  const TBaseReplacer& owner_;
  uint64_t readAt_ = 0;
  std::vector<char> buffer_;
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
      TFileBatchIO io(source.Get(), temp.Get(), *this);
      const int64_t matches = batchMatcher_.Run(records, static_cast<uint64_t>(FileSize), io, ReplaceBlockSize());
      ok = matches >= 0 && io.Finish();
      if (ok) MatchCount = static_cast<int32_t>(std::min<int64_t>(matches, MatchLimit()));
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  return FinishFile(source, temp, ok, fileName, tempNumber);
}
