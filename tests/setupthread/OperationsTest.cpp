#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "setup/Operations.h"
#include "support/BuildFolders.h"
#include "support/TempFolder.h"

namespace {

using KvtSetup::TOperations;

// The sizes of this program's resources FILE1..FILE5 (see test.cmake).
const uint32_t kSizes[] = {200000, 200001, 600000, 1, 12345};
const uint64_t kTotal = 200000 + 200001 + 600000 + 1 + 12345;

std::string Pattern(size_t size) {
  static const std::string period = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXY";
  std::string s;
  while (s.size() < size) s += period;
  s.resize(size);
  return s;
}

std::vector<std::string> Names(size_t count) {
  std::vector<std::string> names;
  for (size_t n = 1; n <= count; ++n) names.push_back("\\out" + std::to_string(n) + ".bin");
  return names;
}

struct TProgressCall {
  std::string Resource;
  int32_t Percent;
  uint64_t Written;
  bool OnUiThread;
};
struct TErrorCall {
  uint32_t Code;
  std::string Text;
};

struct TRun {
  std::vector<TProgressCall> Progress;
  std::vector<TErrorCall> Errors;
};

// Runs a copy as the wizard does and records what its events reported.
TRun RunCopy(TOperations& ops, const std::string& folder, HMODULE module = nullptr,
         const std::function<void(TOperations&)>& onProgress = {}) {
  TRun run;
  const DWORD ui = GetCurrentThreadId();
  ops.Folder = folder;
  ops.Module = module;
  ops.OnProgress = [&](TOperations* sender, int32_t percent) {
    run.Progress.push_back(
        {sender->ResourceName, percent, sender->Written, GetCurrentThreadId() == ui});
    if (onProgress) onProgress(*sender);
  };
  ops.OnError = [&](TOperations*, uint32_t code, const std::string& text) {
    run.Errors.push_back({code, text});
  };
  ops.Resume();
  ops.WaitFor();
  return run;
}

TEST(Operations, WritesEveryFileWholeInChunksWithProgressToExactly100) {
  TTempFolder dir;
  TThreadOf<TOperations> ops(Names(5));
  const TRun run = RunCopy(ops, dir.Path());
  EXPECT_EQ(ops.Status, TOperations::stDone);
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_EQ(ops.TotalSize, kTotal);
  for (size_t n = 1; n <= 5; ++n)
    EXPECT_EQ(ReadTestFile(dir / ("out" + std::to_string(n) + ".bin")), Pattern(kSizes[n - 1]))
        << "file " << n;

  // Per file one report at its start, then one per chunk written: 200000
  // bytes are one chunk, 200001 two, 600000 three.
  std::vector<uint64_t> chunks;
  size_t starts = 0;
  uint64_t before = 0;
  int32_t lastPercent = 0;
  for (const TProgressCall& c : run.Progress) {
    EXPECT_TRUE(c.OnUiThread);
    EXPECT_GE(c.Percent, lastPercent);
    lastPercent = c.Percent;
    if (c.Written == before) {
      ++starts;
      continue;
    }
    chunks.push_back(c.Written - before);
    before = c.Written;
  }
  EXPECT_EQ(starts, 5u);
  EXPECT_EQ(chunks, (std::vector<uint64_t>{200000, 200000, 1, 200000, 200000, 200000, 1, 12345}));
  EXPECT_EQ(run.Progress.back().Percent, 100);
  EXPECT_EQ(run.Progress.back().Written, kTotal);
}

TEST(Operations, StopDuringThirdFileKeepsTheFirstTwoAndLeavesNoTraceOfIt) {
  TTempFolder dir;
  TThreadOf<TOperations> ops(Names(5));
  const TRun run = RunCopy(ops, dir.Path(), nullptr, [](TOperations& sender) {
    if (sender.ResourceName == "file3" && sender.Written > kSizes[0] + kSizes[1])
      sender.Terminate();
  });
  EXPECT_EQ(ops.Status, TOperations::stCancelled);
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_EQ(ReadTestFile(dir / "out1.bin"), Pattern(kSizes[0]));
  EXPECT_EQ(ReadTestFile(dir / "out2.bin"), Pattern(kSizes[1]));
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"out1.bin", "out2.bin"}));
}

// Files 2 and 4 of an earlier installation: a failed copy leaves them as
// they were, and nothing of its own.
void PlantEarlierFiles(const TTempFolder& dir) {
  WriteTestFile(dir / "out2.bin", "earlier 2");
  WriteTestFile(dir / "out4.bin", "earlier 4");
}
void ExpectOnlyTheEarlierFiles(const TTempFolder& dir) {
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"out2.bin", "out4.bin"}));
  EXPECT_EQ(ReadTestFile(dir / "out2.bin"), "earlier 2");
  EXPECT_EQ(ReadTestFile(dir / "out4.bin"), "earlier 4");
}

TEST(Operations, EachFailureReportsOnceWithItsOwnStepAndCode) {
  const std::string dataPath = TestProgramFolder() + "setupdata.dll";
  HMODULE data = LoadLibraryExA(dataPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(data) << dataPath;

  struct TCase {
    const char* what;
    size_t names;
    HMODULE module;
    const char* subfolder;  // below the temporary folder, not created
    const char* text;
    uint32_t code;
  } cases[] = {
      {"more names than resources", 6, nullptr, "", "GET RESOURCE: Error ",
       ERROR_RESOURCE_NAME_NOT_FOUND},
      {"an empty resource", 2, data, "", "GET RESOURCE: Error ", ERROR_RESOURCE_DATA_NOT_FOUND},
      {"a missing target folder", 5, nullptr, "\\missing", "CREATE FILE: Error ",
       ERROR_PATH_NOT_FOUND},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    TTempFolder dir;
    PlantEarlierFiles(dir);
    TThreadOf<TOperations> ops(Names(c.names));
    const TRun run = RunCopy(ops, dir.Path() + c.subfolder, c.module);
    EXPECT_EQ(ops.Status, TOperations::stFailed);
    ASSERT_EQ(run.Errors.size(), 1u);
    EXPECT_EQ(run.Errors[0].Text, c.text);
    EXPECT_EQ(run.Errors[0].Code, c.code);
    ExpectOnlyTheEarlierFiles(dir);
  }
  FreeLibrary(data);
}

// Disk faults on demand: the n-th chunk write, or the n-th close.
class TFaultyOperations : public TOperations {
 public:
  enum TFault { WriteFails, WriteShort, CloseFails };
  TFaultyOperations(TFault fault, int at, DWORD code)
      : TOperations(Names(5)), fault_(fault), at_(at), code_(code) {}

 protected:
  bool WriteChunk(HANDLE file, const void* data, DWORD size, DWORD& written) override {
    if (fault_ == CloseFails || ++writes_ != at_)
      return TOperations::WriteChunk(file, data, size, written);
    if (fault_ == WriteShort) return TOperations::WriteChunk(file, data, size / 2, written);
    SetLastError(code_);
    return false;
  }
  bool CloseTarget(HANDLE file) override {
    const bool closed = TOperations::CloseTarget(file);
    if (fault_ != CloseFails || ++closes_ != at_) return closed;
    SetLastError(code_);
    return false;
  }

 private:
  TFault fault_;
  int at_;
  DWORD code_;
  int writes_ = 0;
  int closes_ = 0;
};

TEST(Operations, FailedWriteOrCloseOrATargetInUseLeavesTheFolderAsItWas) {
  struct TCase {
    const char* what;
    TFaultyOperations::TFault fault;
    int at;  // 0: no fault
    DWORD code;
    uint32_t reported;
    const char* text = "WRITE TO FILE: Error ";
    const char* held = nullptr;  // open elsewhere during the copy
  } cases[] = {
      {"second chunk of file 2 refused", TFaultyOperations::WriteFails, 3, ERROR_DISK_FULL,
       ERROR_DISK_FULL},
      {"second chunk of file 2 written short", TFaultyOperations::WriteShort, 3, 0,
       ERROR_HANDLE_DISK_FULL},
      {"file 2 cannot be closed", TFaultyOperations::CloseFails, 2, ERROR_WRITE_FAULT,
       ERROR_WRITE_FAULT},
      {"file 4 in use", TFaultyOperations::WriteFails, 0, 0, ERROR_SHARING_VIOLATION,
       "CREATE FILE: Error ", "out4.bin"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    TTempFolder dir;
    PlantEarlierFiles(dir);
    THandle held;
    if (c.held)
      held.Reset(CreateFileA((dir / c.held).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, 0, nullptr));
    TThreadOf<TFaultyOperations> ops(c.fault, c.at, c.code);
    const TRun run = RunCopy(ops, dir.Path());
    held.Reset();
    EXPECT_EQ(ops.Status, TOperations::stFailed);
    ASSERT_EQ(run.Errors.size(), 1u);
    EXPECT_EQ(run.Errors[0].Text, c.text);
    EXPECT_EQ(run.Errors[0].Code, c.reported);
    ExpectOnlyTheEarlierFiles(dir);
  }
}

}  // namespace
