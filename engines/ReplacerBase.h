#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "framework/Handles.h"

class TThread;

// One operation per run, passed as a 32-bit value holding exactly one of these.
enum TReplaceMode : int32_t {
  rmReplace = 1,
  rmDelete = 2,
  rmInsToHead = 4,
  rmInsAfter = 8,
  rmInsBefore = 16,
  rmInsBetween = 32,
  rmInsToFoot = 64,
  rmJustFind = 128,
  rmBatch = 256,
};

// The result of one replacer call for one file.
enum TReplaceResult : int32_t {
  rrFailed = 1,
  rrChanged = 2,
  rrNotFound = 4,
  rrUnchanged = 8,
  rrNotSupported = 16,
  rrProtected = 64,
};

// Search option bits returned by the pattern readers.
constexpr uint32_t pfCaseSensitive = 1;
constexpr uint32_t pfWholeWord = 4;

// Single-pair pattern block: a movable global block laid out as
//   0 case-sensitive byte, 1 whole-word byte, 4 find length L, 8 replacement
//   length R, 12 find text (first case copy), 12+L second case copy,
//   12+2L replacement, then 10 spare bytes.
constexpr size_t kPatternHeaderSize = 12;
constexpr size_t kPatternSpareSize = 10;

struct TPatternPairOptions {
  bool CaseSensitive = false;
  // False where case cannot apply (head and foot insertion): the find text is
  // then stored as given and the second copy is left unwritten.
  bool CaseEnabled = true;
  bool WholeWord = false;
  bool OemCharset = false;
};

// Builds a single-pair pattern block; an empty block (no handle) when the
// memory is not there or a text exceeds 32-bit lengths.
TGlobalBlock BuildPatternBlock(std::string_view find, std::string_view replacement,
                               const TPatternPairOptions& options);

// Direct view of a locked single-pair block, for the engines' inner loops.
struct TPatternView {
  bool CaseSensitive = false;
  bool WholeWord = false;
  uint32_t FindLength = 0;
  uint32_t ReplacementLength = 0;
  const uint8_t* First = nullptr;
  const uint8_t* Second = nullptr;
  const uint8_t* Replacement = nullptr;
};
// False when the block is too small for the lengths it claims.
bool ViewPatternBlock(const void* data, size_t blockSize, TPatternView& view);

// Readers for callers that want texts: line feeds are dropped from both texts.
bool ReadPatternPair(HGLOBAL block, std::string& find, std::string& replacement, uint32_t& flags);
bool ReadBatchPair(HGLOBAL block, int n, std::string& find, std::string& replacement, uint32_t& flags);

// "x.txt0", "x.txt1", ...: the first name for which nothing exists.
std::string TempFileNameFor(const std::string& fileName, uint32_t& number);
// "x.txt.bak", then "x.txt.bak0", "x.txt.bak1", ...
std::string BackupFileNameFor(const std::string& fileName);

// Result of OpenSourceAndTemp when both files are open.
constexpr int32_t kFilesOpen = 2;

// State and shared steps of a replacer working on one file at a time for one
// run of a worker thread.
class TBaseReplacer {
 public:
  explicit TBaseReplacer(TThread* thread) : thread_(thread) {}

  bool IsTerminated() const;

  // rrNotFound, rrFailed or kFilesOpen.
  int32_t OpenSourceAndTemp(const std::string& fileName, THandle& source, THandle& temp,
                            uint32_t& tempNumber);
  // Closes both handles and settles the file: the output replaces it only when
  // ok and something matched; otherwise the output is deleted and the source
  // stays as it was.
  TReplaceResult FinishFile(THandle& source, THandle& temp, bool ok, const std::string& fileName,
                            uint32_t tempNumber);
  // Copies the file to its backup name when Backup is set.
  bool MakeBackupCopy(const std::string& fileName, int64_t size);

  bool Backup = true;
  int64_t FileSize = 0;
  int32_t MatchCount = 0;

 protected:
  TThread* Thread() const { return thread_; }

 private:
  bool InstallOutput(const std::string& fileName, const std::string& tempName);
  TThread* thread_;
};

// Exactly size bytes at offset, whatever the handle's position.
bool ReadAt(HANDLE file, uint64_t offset, void* buffer, size_t size);

// A file read from its start block by block, the next block read on a pool
// thread while the caller works on the one before: the disk and the engine
// no longer take turns.
class TReadAhead {
 public:
  TReadAhead(HANDLE file, int64_t size, uint32_t blockSize);
  // False when the memory for the two blocks is not there.
  bool Ready() const { return blocks_ != nullptr; }
  // The next block and its size, valid until the next call; nullptr at the
  // end of the file and once a read failed.
  const uint8_t* Next(DWORD& size);

 private:
  static void CALLBACK ReadNext(PTP_CALLBACK_INSTANCE, void* self, PTP_WORK);
  void Ask(int64_t offset);
  HANDLE file_;
  int64_t size_;
  uint32_t blockSize_;
  std::unique_ptr<uint8_t[]> blocks_;  // two of blockSize_ bytes
  int64_t offset_ = 0;  // of the block asked for last
  DWORD asked_ = 0;     // its size; 0 when none is out
  uint32_t current_ = 1;
  bool readOk_ = false;
  // Last, so that it goes first: a read still out ends before the blocks go.
  TPoolWork reader_;
};

// Blocks written at their offsets on a pool thread, one out at a time and in
// the order given, while the caller fills the next.
class TWriteBehind {
 public:
  explicit TWriteBehind(HANDLE file);
  // Waits for the write out, then starts this one; data must stay as it is
  // until the next Write or Wait. False when a write failed.
  bool Write(const uint8_t* data, DWORD size, int64_t offset);
  // Waits for the write out; false when a write failed.
  bool Wait();

 private:
  static void CALLBACK WriteOut(PTP_CALLBACK_INSTANCE, void* self, PTP_WORK);
  HANDLE file_;
  const uint8_t* data_ = nullptr;
  DWORD size_ = 0;
  int64_t offset_ = 0;
  bool out_ = false, ok_ = true;
  // Last, so that it goes first: a write still out ends before the caller's data goes.
  TPoolWork writer_;
};

// Test-only settings; production code never calls them.
namespace ReplacerTesting {
// Changes the engines' block size (0 restores the normal one).
void SetBlockSize(uint32_t size);
// The steps of putting a changed file in place.
enum class TFinishStep { None, Backup, Install, Done };
// Makes that step fail as its system call would; with kill the process ends
// right at that step instead, as under kill -9 (Done: after the install).
void BreakFinishStep(TFinishStep step, bool kill = false);
// Lowers the largest match count (0 restores the normal one).
void SetMatchLimit(int32_t limit);
}  // namespace ReplacerTesting

uint32_t ReplaceBlockSize();
// MatchCount stops here instead of overflowing.
int32_t MatchLimit();
