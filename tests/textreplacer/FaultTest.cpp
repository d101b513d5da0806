#include <gtest/gtest.h>

#include "Helpers.h"
#include "core/FileUtils.h"
#include "engines/BatchReplacer_utils.h"
#include "framework/Thread.h"
#include "support/FreshProcess.h"
#include "support/WineDrive.h"

namespace {

using TNames = std::vector<std::string>;

constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  return s.substr(0, s.find_last_of('\\') + 1);
}

// Another process holding the file open with the given sharing.
class THolder {
 public:
  THolder(const std::string& path, DWORD share) {
    static int serial = 0;
    const std::string tag = "kvtHold" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
    ready_.Reset(CreateEventA(nullptr, TRUE, FALSE, (tag + "r").c_str()));
    release_.Reset(CreateEventA(nullptr, TRUE, FALSE, (tag + "x").c_str()));
    std::string command = ProgramFolder();
    command.insert(0, 1, '"');
    command += "holdfile.exe\" \"" + path + "\" " + std::to_string(share) + " " + tag + "r " + tag + "x";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    process_.Reset(pi.hProcess);
    CloseHandle(pi.hThread);
    const HANDLE waits[] = {ready_.Get(), process_.Get()};
    holding_ = WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0;
  }
  ~THolder() {
    SetEvent(release_.Get());
    if (process_) WaitForSingleObject(process_.Get(), 20000);
  }
  THolder(const THolder&) = delete;
  THolder& operator=(const THolder&) = delete;
  bool Holding() const { return holding_; }

 private:
  THandle ready_, release_, process_;
  bool holding_ = false;
};

class TFailRenameGuard {
 public:
  TFailRenameGuard() { ReplacerTesting::BreakFinishStep(ReplacerTesting::TFinishStep::Install); }
  ~TFailRenameGuard() { ReplacerTesting::BreakFinishStep(ReplacerTesting::TFinishStep::None); }
};

// What must hold after every failed run: the original under its name with
// its bytes and attributes, and no other file beside it.
void ExpectOriginal(const TTempFolder& folder, const std::string& content, DWORD attributes,
                    const std::string& what) {
  const std::string path = folder / "r.txt";
  EXPECT_TRUE(GetFile(path) == content) << what;
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & kKeptAttributes, attributes & kKeptAttributes) << what;
  EXPECT_EQ(folder.Names(), TNames{"r.txt"}) << what;
}

const TReplaceMode kChangingModes[] = {rmReplace, rmInsBefore, rmInsToHead};

TEST(ReplacerFaults, SourceHeldByAnotherProcess) {
  struct THoldCase {
    const char* name;
    DWORD share;
    bool backup;
  } const cases[] = {
      {"no delete sharing", FILE_SHARE_READ | FILE_SHARE_WRITE, false},
      {"no delete sharing, backup", FILE_SHARE_READ | FILE_SHARE_WRITE, true},
      {"no sharing", 0, false},
      {"no sharing, backup", 0, true},
  };
  for (const auto& c : cases) {
    for (TReplaceMode mode : kChangingModes) {
      const std::string what = std::string(c.name) + " mode " + std::to_string(mode);
      TTempFolder folder;
      const std::string path = folder / "r.txt";
      PutFile(path, "one two one");
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
      const DWORD attributes = GetFileAttributesA(path.c_str());
      {
        THolder holder(path, c.share);
        ASSERT_TRUE(holder.Holding()) << what;
        EXPECT_EQ(RunReplacer(path, mode, {"one", "1"}, c.backup), rrFailed) << what;
      }
      ExpectOriginal(folder, "one two one", attributes, what);
    }
  }
}

TEST(ReplacerFaults, FailedFinalRenameKeepsTheOriginal) {
  const DWORD kinds[] = {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN};
  for (DWORD kind : kinds) {
    for (bool backup : {false, true}) {
      for (TReplaceMode mode : kChangingModes) {
        const std::string what =
            "attributes " + std::to_string(kind) + " backup " + std::to_string(backup) + " mode " + std::to_string(mode);
        TTempFolder folder;
        const std::string path = folder / "r.txt";
        PutFile(path, "one two one");
        SetFileAttributesA(path.c_str(), kind);
        const DWORD attributes = GetFileAttributesA(path.c_str());
        TFailRenameGuard fail;
        EXPECT_EQ(RunReplacer(path, mode, {"one", "1"}, backup), rrFailed) << what;
        ExpectOriginal(folder, "one two one", attributes, what);
      }
    }
  }
}

// One replace with a backup, by the plain replacer or the batch stream.
TReplaceResult ReplaceWithBackup(const std::string& path, bool batch) {
  if (!batch) return RunReplacer(path, rmReplace, {"one", "1"}, true);
  TStringList caseColumn, finds, replacements;
  caseColumn.Add(CaseSensitiveWord());
  finds.Add("one");
  replacements.Add("1");
  TGlobalBlock block;
  if (CheckAndBuildBatchBlock(block, caseColumn, finds, replacements) != -1) return rrNotSupported;
  TTextReplacer replacer(nullptr, true, block.Handle(), rmBatch);
  return replacer.ReplaceBatchStream(path, block.Handle(), 1);
}

const char kKillFile[] = "KVT_KILLED_FINISH_FILE";
const char kKillStep[] = "KVT_KILLED_FINISH_STEP";
const char kKillBatch[] = "KVT_KILLED_FINISH_BATCH";

std::string Env(const char* name) {
  char value[MAX_PATH] = "";
  GetEnvironmentVariableA(name, value, MAX_PATH);
  return value;
}

// The child of the killed cases: dies at the step it is told.
TEST(ReplacerFaults, DISABLED_KilledFinish) {
  using ReplacerTesting::TFinishStep;
  ReplacerTesting::BreakFinishStep(static_cast<TFinishStep>(std::stoi(Env(kKillStep))), true);
  ReplaceWithBackup(Env(kKillFile), Env(kKillBatch) == "1");
  EndFreshProcessCase();
}

// Each step of putting a changed file in place, failed or cut short by a
// kill: the name always holds the old or the new bytes, and a backup only
// ever the old ones.
TEST(ReplacerFaults, EveryFinishStepFailedOrKilled) {
  using ReplacerTesting::TFinishStep;
  const struct {
    TFinishStep step;
    bool kill;
    const char* content;
    bool backupLeft;
  } cases[] = {
      {TFinishStep::Backup, false, "one two", false}, {TFinishStep::Install, false, "one two", false},
      {TFinishStep::Backup, true, "one two", false},  {TFinishStep::Install, true, "one two", true},
      {TFinishStep::Done, true, "1 two", true},
  };
  for (const auto& c : cases) {
    for (bool batch : {false, true}) {
      const std::string what = "step " + std::to_string(int(c.step)) + " kill " + std::to_string(c.kill) +
                               " batch " + std::to_string(batch);
      TTempFolder folder;
      const std::string path = folder / "r.txt";
      PutFile(path, "one two");
      if (c.kill) {
        SetEnvironmentVariableA(kKillFile, path.c_str());
        SetEnvironmentVariableA(kKillStep, std::to_string(int(c.step)).c_str());
        SetEnvironmentVariableA(kKillBatch, batch ? "1" : "0");
        EXPECT_FALSE(PassesInAFreshProcess("ReplacerFaults.DISABLED_KilledFinish")) << what;
        folder.Remove("r.txt0");
      } else {
        ReplacerTesting::BreakFinishStep(c.step);
        EXPECT_EQ(ReplaceWithBackup(path, batch), rrFailed) << what;
        ReplacerTesting::BreakFinishStep(TFinishStep::None);
      }
      EXPECT_EQ(GetFile(path), c.content) << what;
      const TNames left = c.backupLeft ? TNames{"r.txt", "r.txt.bak"} : TNames{"r.txt"};
      EXPECT_EQ(folder.Names(), left) << what;
      if (c.backupLeft) {
        EXPECT_EQ(GetFile(folder / "r.txt.bak"), "one two") << what;
      }
    }
  }
}

// Runs one replacer call on its own worker thread.
class TReplaceThread : public TThread {
 public:
  TReplaceThread(const std::string& path, TReplaceMode mode, HGLOBAL block, bool backup)
      : path_(path), replacer_(this, backup, block, mode) {}
  TReplaceResult Result = rrChanged;

 protected:
  void Execute() override { Result = replacer_.ReplaceInFile(path_); }

 private:
  std::string path_;
  TTextReplacer replacer_;
};

class TBlockSizeGuard {
 public:
  explicit TBlockSizeGuard(uint32_t size) { ReplacerTesting::SetBlockSize(size); }
  ~TBlockSizeGuard() { ReplacerTesting::SetBlockSize(0); }
};

// The output runs out of room part way: the file stays as it was, with no
// output left beside it, and the call says it failed.
TEST(ReplacerFaults, FullDiskKeepsTheOriginal) {
  std::string content;
  while (content.size() < 300000) content += "a b ";
  for (TReplaceMode mode : {rmReplace, rmInsBefore}) {
    const std::string what = "mode " + std::to_string(mode);
    TTempFolder dir;
    TSmallDisk disk(dir / "disk", 1 << 20);
    ASSERT_TRUE(disk.Ok());
    const std::string path = dir / "disk\\r.txt";
    PutFile(path, content);
    EXPECT_EQ(RunReplacer(path, mode, {"a", "12345678"}), rrFailed) << what;
    EXPECT_TRUE(GetFile(path) == content) << what;
    WIN32_FIND_DATAA found;
    EXPECT_FALSE(TFindHandle(FindFirstFileA((dir / "disk\\r.txt?").c_str(), &found))) << found.cFileName;
  }
}

TEST(ReplacerFaults, StopMidFileKeepsTheOriginal) {
  // Small blocks and dense matches keep the run long enough to be stopped
  // after its first output reached the temporary file.
  TBlockSizeGuard small(512);
  std::string content;
  for (int i = 0; content.size() < (24 << 20); ++i) content += "word " + std::to_string(i % 1000) + "\r\n";
  const TReplaceMode modes[] = {rmReplace, rmInsBefore, rmInsToFoot};
  for (TReplaceMode mode : modes) {
    for (bool backup : {false, true}) {
      const std::string what = "mode " + std::to_string(mode) + " backup " + std::to_string(backup);
      TTempFolder folder;
      const std::string path = folder / "r.txt";
      PutFile(path, content);
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
      TPatternPairOptions options;
      options.CaseSensitive = true;
      TGlobalBlock block = BuildPatternBlock("word", "w", options);
      TThreadOf<TReplaceThread> thread(path, mode, block.Handle(), backup);
      const std::string temp = folder / "r.txt0";
      thread.Resume();
      while (!thread.Finished() && GetFileSize64(temp) <= 0) Sleep(1);
      const DWORD stopAt = GetTickCount();
      thread.Terminate();
      thread.WaitFor();
      EXPECT_LT(GetTickCount() - stopAt, 1000u) << what;
      EXPECT_EQ(thread.Result, rrFailed) << what;
      ExpectOriginal(folder, content, FILE_ATTRIBUTE_READONLY, what);
    }
  }
}

}  // namespace
