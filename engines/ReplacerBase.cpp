#include "engines/ReplacerBase.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "core/FileUtils.h"
#include "framework/FileIO.h"
#include "framework/Thread.h"

namespace {

constexpr uint32_t kNormalBlockSize = 262144;
constexpr uint32_t kBackupChunk = 200000;
constexpr size_t kBatchRecordHeader = 32;

uint32_t g_blockSize = kNormalBlockSize;
int32_t g_matchLimit = std::numeric_limits<int32_t>::max();
ReplacerTesting::TFinishStep g_brokenStep = ReplacerTesting::TFinishStep::None;
bool g_killAtStep = false;

bool Exists(const std::string& name) { return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

uint32_t ReadU32(const uint8_t* p) {
  uint32_t v;
  memcpy(&v, p, sizeof v);
  return v;
}

void WriteU32(uint8_t* p, uint32_t v) { memcpy(p, &v, sizeof v); }

std::string WithoutLineFeeds(const uint8_t* p, size_t n) {
  std::string s;
  s.reserve(n);
  for (size_t i = 0; i < n; ++i)
    if (p[i] != '\n') s.push_back(static_cast<char>(p[i]));
  return s;
}

void FoldCase(uint8_t* p, size_t n, bool upper) {
  // CharLowerBuffA takes a DWORD count; texts here never reach 4 GiB.
  if (n == 0) return;
  char* s = reinterpret_cast<char*>(p);
  if (upper)
    CharUpperBuffA(s, static_cast<DWORD>(n));
  else
    CharLowerBuffA(s, static_cast<DWORD>(n));
}

// The test hook: true when the step is to fail; a kill ends the process here.
bool Broken(ReplacerTesting::TFinishStep step) {
  if (step != g_brokenStep) return false;
  if (g_killAtStep) TerminateProcess(GetCurrentProcess(), 9);
  return true;
}

// A name held open by a program that does not share deletion cannot be
// replaced: found out before a backup is made for nothing (a link to a held
// file could not be removed again).
bool CanBeReplaced(const std::string& name) {
  return THandle(CreateFileA(name.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr))
      .Valid();
}

void DeleteTemp(const std::string& tempName) {
  SetFileAttributesA(tempName.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(tempName.c_str());
}

}  // namespace

uint32_t ReplaceBlockSize() { return g_blockSize; }

void ReplacerTesting::SetBlockSize(uint32_t size) { g_blockSize = size ? size : kNormalBlockSize; }
void ReplacerTesting::BreakFinishStep(TFinishStep step, bool kill) {
  g_brokenStep = step;
  g_killAtStep = kill;
}
void ReplacerTesting::SetMatchLimit(int32_t limit) {
  g_matchLimit = limit ? limit : std::numeric_limits<int32_t>::max();
}
int32_t MatchLimit() { return g_matchLimit; }

TGlobalBlock BuildPatternBlock(std::string_view find, std::string_view replacement,
                               const TPatternPairOptions& options) {
  TGlobalBlock block;
  constexpr size_t kMax = std::numeric_limits<uint32_t>::max() / 4;
  if (find.size() > kMax || replacement.size() > kMax) return block;
  const size_t l = find.size(), r = replacement.size();
  if (!block.Allocate(2 * l + r + kPatternHeaderSize + kPatternSpareSize, false)) return block;
  TGlobalLock lock(block.Handle());
  uint8_t* p = lock.Get<uint8_t>();
  if (!p) {
    block.Free();
    return block;
  }
  p[0] = options.CaseSensitive ? 1 : 0;
  p[1] = options.WholeWord ? 1 : 0;
  WriteU32(p + 4, static_cast<uint32_t>(l));
  WriteU32(p + 8, static_cast<uint32_t>(r));
  uint8_t* first = p + kPatternHeaderSize;
  memcpy(first, find.data(), l);
  if (!options.CaseSensitive && options.CaseEnabled) {
    memcpy(first + l, find.data(), l);
    FoldCase(first, l, false);
    FoldCase(first + l, l, true);
  } else {
    // Never read for such a pair; keep the block's bytes defined all the same.
    memcpy(first + l, find.data(), l);
  }
  memcpy(first + 2 * l, replacement.data(), r);
  if (options.OemCharset && 2 * l + r > 0) {
    char* s = reinterpret_cast<char*>(first);
    CharToOemBuffA(s, s, static_cast<DWORD>(2 * l + r));
  }
  return block;
}

bool ViewPatternBlock(const void* data, size_t blockSize, TPatternView& view) {
  if (!data || blockSize < kPatternHeaderSize) return false;
  const uint8_t* p = static_cast<const uint8_t*>(data);
  const uint64_t l = ReadU32(p + 4), r = ReadU32(p + 8);
  if (kPatternHeaderSize + 2 * l + r > blockSize) return false;
  view.CaseSensitive = p[0] != 0;
  view.WholeWord = p[1] != 0;
  view.FindLength = static_cast<uint32_t>(l);
  view.ReplacementLength = static_cast<uint32_t>(r);
  view.First = p + kPatternHeaderSize;
  view.Second = view.First + l;
  view.Replacement = view.First + 2 * l;
  return true;
}

bool ReadPatternPair(HGLOBAL block, std::string& find, std::string& replacement, uint32_t& flags) {
  find.clear();
  replacement.clear();
  flags = 0;
  TGlobalLock lock(block);
  TPatternView v;
  if (!ViewPatternBlock(lock.Get(), block ? GlobalSize(block) : 0, v)) return false;
  flags = (v.CaseSensitive ? pfCaseSensitive : 0) | (v.WholeWord ? pfWholeWord : 0);
  find = WithoutLineFeeds(v.First, v.FindLength);
  replacement = WithoutLineFeeds(v.Replacement, v.ReplacementLength);
  return true;
}

bool ReadBatchPair(HGLOBAL block, int n, std::string& find, std::string& replacement, uint32_t& flags) {
  find.clear();
  replacement.clear();
  flags = 0;
  if (n < 1 || !block) return false;
  TGlobalLock lock(block);
  const uint8_t* p = lock.Get<uint8_t>();
  const uint64_t size = GlobalSize(block);
  if (!p) return false;
  uint64_t at = 0;
  for (int i = 1;; ++i) {
    if (at + kBatchRecordHeader > size) return false;
    const uint64_t l = ReadU32(p + at + 4), r = ReadU32(p + at + 8);
    if (at + kBatchRecordHeader + l + r > size) return false;
    if (i == n) {
      const uint8_t* texts = p + at + kBatchRecordHeader;
      flags = p[at] ? pfCaseSensitive : 0;
      find = WithoutLineFeeds(texts, l);
      replacement = WithoutLineFeeds(texts + l, r);
      return true;
    }
    at += kBatchRecordHeader + l + r;
  }
}

std::string TempFileNameFor(const std::string& fileName, uint32_t& number) {
  for (number = 0;; ++number) {
    std::string name = fileName + std::to_string(number);
    if (!Exists(name)) return name;
  }
}

std::string BackupFileNameFor(const std::string& fileName) {
  std::string name = fileName + ".bak";
  if (!Exists(name)) return name;
  for (uint32_t i = 0;; ++i) {
    std::string numbered = name + std::to_string(i);
    if (!Exists(numbered)) return numbered;
  }
}

bool TBaseReplacer::IsTerminated() const { return thread_ && thread_->Terminated(); }

int32_t TBaseReplacer::OpenSourceAndTemp(const std::string& fileName, THandle& source, THandle& temp,
                                         uint32_t& tempNumber) {
  const DWORD attributes = GetFileAttributesA(fileName.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return rrNotFound;
  source.Reset(CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr));
  if (!source) return rrFailed;
  std::string tempName;
  // The output carries the source's attributes into the finished file.
  temp.Reset(CreateFileUnderFreeName([&](int) { return TempFileNameFor(fileName, tempNumber); }, tempName,
                                     GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     attributes));
  if (!temp) {
    source.Reset();
    return rrFailed;
  }
  return kFilesOpen;
}

bool TBaseReplacer::InstallOutput(const std::string& fileName, const std::string& tempName) {
  using ReplacerTesting::TFinishStep;
  const DWORD attributes = GetFileAttributesA(fileName.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (!SetFileAttributesA(fileName.c_str(), FILE_ATTRIBUTE_NORMAL)) return false;
  // The backup is made as a second name of the old bytes (a copy where the
  // file system has no links) and the output then takes the file's name in
  // one step: at no moment does the name hold nothing.
  std::string backupName;
  bool installed = true;
  if (Backup) {
    backupName = BackupFileNameFor(fileName);
    installed = CanBeReplaced(fileName) && !Broken(TFinishStep::Backup) &&
                (CreateHardLinkA(backupName.c_str(), fileName.c_str(), nullptr) ||
                 CopyFileA(fileName.c_str(), backupName.c_str(), TRUE));
    if (!installed) backupName.clear();
  }
  installed = installed && !Broken(TFinishStep::Install) &&
              MoveFileExA(tempName.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING);
  if (!installed) {
    if (!backupName.empty()) DeleteFileA(backupName.c_str());
    SetFileAttributesA(fileName.c_str(), attributes);
    DeleteTemp(tempName);
    return false;
  }
  Broken(TFinishStep::Done);
  return true;
}

TReplaceResult TBaseReplacer::FinishFile(THandle& source, THandle& temp, bool ok, const std::string& fileName,
                                         uint32_t tempNumber) {
  const std::string tempName = fileName + std::to_string(tempNumber);
  if (ok && MatchCount > 0 && !CopyCreationTime(source.Get(), temp.Get())) ok = false;
  source.Reset();
  temp.Reset();
  if (ok && MatchCount > 0) {
    if (!InstallOutput(fileName, tempName)) return rrFailed;
    return rrChanged;
  }
  DeleteTemp(tempName);
  if (!ok) return rrFailed;
  return MatchCount > 0 ? rrChanged : rrUnchanged;
}

bool TBaseReplacer::MakeBackupCopy(const std::string& fileName, int64_t size) {
  if (!Backup) return true;
  THandle source(CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
  if (!source) return false;
  std::string backupName;
  THandle backup(CreateFileUnderFreeName([&](int) { return BackupFileNameFor(fileName); }, backupName,
                                         GENERIC_WRITE, FILE_SHARE_WRITE, FILE_ATTRIBUTE_NORMAL));
  if (!backup) return false;
  TGlobalBlock buffer;
  bool ok = buffer.Allocate(kBackupChunk, false);
  {
    TGlobalLock lock(buffer.Handle());
    char* p = lock.Get<char>();
    ok = ok && p;
    while (ok && size > 0) {
      if (IsTerminated()) {
        ok = false;
        break;
      }
      const DWORD chunk = static_cast<DWORD>(size < kBackupChunk ? size : kBackupChunk);
      DWORD done = 0;
      ok = ReadFile(source.Get(), p, chunk, &done, nullptr) && done == chunk &&
           WriteFile(backup.Get(), p, chunk, &done, nullptr) && done == chunk;
      size -= chunk;
    }
  }
  backup.Reset();
  // A part-way copy is no backup: never leave it looking like one.
  if (!ok) DeleteFileA(backupName.c_str());
  return ok;
}

namespace {
// A request at a file offset, on a handle opened for plain calls.
OVERLAPPED At(uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}
}  // namespace

bool ReadAt(HANDLE file, uint64_t offset, void* buffer, size_t size) {
  constexpr DWORD kLargestCall = 1u << 30;
  auto* to = static_cast<char*>(buffer);
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, kLargestCall));
    OVERLAPPED at = At(offset);
    DWORD done = 0;
    if (!ReadFile(file, to, chunk, &done, &at) || done != chunk) return false;
    to += chunk;
    offset += chunk;
    size -= chunk;
  }
  return true;
}

TReadAhead::TReadAhead(HANDLE file, int64_t size, uint32_t blockSize)
    : file_(file), size_(size), blockSize_(blockSize), blocks_(new (std::nothrow) uint8_t[2 * size_t{blockSize}]) {
  // Without the pool every block is read when it is asked for; a file of
  // one block needs none.
  if (size > blockSize) reader_.Reset(CreateThreadpoolWork(ReadNext, this, nullptr));
  if (Ready()) Ask(0);
}

void CALLBACK TReadAhead::ReadNext(PTP_CALLBACK_INSTANCE, void* self, PTP_WORK) {
  auto& r = *static_cast<TReadAhead*>(self);
  r.readOk_ = ReadAt(r.file_, static_cast<uint64_t>(r.offset_), r.blocks_.get() + size_t{r.current_ ^ 1} * r.blockSize_,
                     r.asked_);
}

// The block after the last one asked for, into the buffer not in use.
void TReadAhead::Ask(int64_t offset) {
  asked_ = static_cast<DWORD>(std::clamp<int64_t>(size_ - offset, 0, blockSize_));
  offset_ = offset;
  if (!asked_) return;
  if (reader_)
    SubmitThreadpoolWork(reader_.Get());
  else
    ReadNext(nullptr, this, nullptr);
}

const uint8_t* TReadAhead::Next(DWORD& size) {
  size = 0;
  if (!Ready() || !asked_) return nullptr;
  if (reader_) WaitForThreadpoolWorkCallbacks(reader_.Get(), FALSE);
  if (!readOk_) {
    asked_ = 0;  // nothing more after a failed read
    return nullptr;
  }
  current_ ^= 1;
  size = asked_;
  Ask(offset_ + asked_);
  return blocks_.get() + size_t{current_} * blockSize_;
}

TWriteBehind::TWriteBehind(HANDLE file) : file_(file) {
  // Without the pool every block is written when it is given.
  if (file) writer_.Reset(CreateThreadpoolWork(WriteOut, this, nullptr));
}

void CALLBACK TWriteBehind::WriteOut(PTP_CALLBACK_INSTANCE, void* self, PTP_WORK) {
  auto& w = *static_cast<TWriteBehind*>(self);
  OVERLAPPED at = At(static_cast<uint64_t>(w.offset_));
  DWORD done = 0;
  if (!WriteFile(w.file_, w.data_, w.size_, &done, &at) || done != w.size_) w.ok_ = false;
}

bool TWriteBehind::Wait() {
  if (out_ && writer_) WaitForThreadpoolWorkCallbacks(writer_.Get(), FALSE);
  out_ = false;
  return ok_;
}

bool TWriteBehind::Write(const uint8_t* data, DWORD size, int64_t offset) {
  if (!Wait()) return false;
  data_ = data;
  size_ = size;
  offset_ = offset;
  if (!writer_) {
    WriteOut(nullptr, this, nullptr);
    return ok_;
  }
  out_ = true;
  SubmitThreadpoolWork(writer_.Get());
  return true;
}
