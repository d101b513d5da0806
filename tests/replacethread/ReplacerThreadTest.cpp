#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>

#include "StandinTest.h"
#include "core/FileUtils.h"
#include "engines/OfficeReplacers.h"
#include "engines/PerformReplace.h"
#include "support/WorkerHost.h"

namespace {

const char kWordDoc[] = "protection\t-1\nmain\tred body red\n";
const char kBook[] = "sheet\tOne\t0\ncell\t1\t1\ts\tred fox\n";
const char kDeck[] = "slide\nshape\t1\tred fox\n";

class ReplacerThread : public TStandinTest {
 protected:
  // A run as the replacer window sets it up.
  void Prepare(TReplaceMode mode, const char* find, const char* replace, int32_t split = 0) {
    TPatternPairOptions options;
    options.CaseEnabled = mode != rmInsToHead && mode != rmInsToFoot;
    block_ = BuildPatternBlock(find, replace, options);
    worker_ = std::make_unique<TThreadOf<TReplacer>>();
    worker_->Backup = false;
    worker_->PatternBlock = block_.Handle();
    worker_->Mode = mode;
    worker_->SplitPosition = split;
    worker_->SetPriority(THREAD_PRIORITY_NORMAL);
    host_.BindReplace(*worker_);
  }
  void Add(const std::string& name) { host_.AddItem(Path("").substr(0, Path("").size() - 1), name); }
  std::vector<TWorkerCall> CallsOf(TWorkerCall::TKind kind) const {
    std::vector<TWorkerCall> out;
    for (const auto& c : host_.Calls)
      if (c.Kind == kind) out.push_back(c);
    return out;
  }
  int Count(const std::string& call) const {
    auto log = Log();
    return static_cast<int>(std::count(log.begin(), log.end(), call));
  }

  TGlobalBlock block_;
  TWorkerHost host_;
  std::unique_ptr<TReplacer> worker_;
};

TEST_F(ReplacerThread, RoutesEachFileByItsNameToItsEngine) {
  WriteFile("a.txt", "red");
  WriteFile("b.doc", kWordDoc);
  WriteFile("c.XLS", kBook);
  WriteFile("d.pps", kDeck);
  Prepare(rmReplace, "red", "blue");
  for (const char* name : {"a.txt", "b.doc", "c.XLS", "d.pps"}) Add(name);
  EXPECT_EQ(host_.Run(*worker_), 2u);
  EXPECT_EQ(worker_->FinalState, 2);
  EXPECT_EQ(host_.Sequence(), "NDPNDPNDPNDPnT");
  for (const auto& c : host_.Calls) EXPECT_TRUE(c.OnHostThread && c.FromWorker);
  const auto progress = CallsOf(TWorkerCall::Progress);
  ASSERT_EQ(progress.size(), 4u);
  const int32_t stages[] = {0, kStageSave, kStageSave, kStageSave};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(progress[i].Result, rrChanged) << i;
    EXPECT_EQ(progress[i].Stage, stages[i]) << i;
  }
  EXPECT_EQ(ReadFile("a.txt"), "blue");
  EXPECT_NE(ReadFile("b.doc").find("blue body blue"), std::string::npos);
  EXPECT_NE(ReadFile("c.XLS").find("blue fox"), std::string::npos);
  EXPECT_NE(ReadFile("d.pps").find("blue fox"), std::string::npos);
  // Each server started once, in the order of the documents; all released.
  EXPECT_LT(LogIndex("create.word"), LogIndex("create.excel"));
  EXPECT_LT(LogIndex("create.excel"), LogIndex("create.powerpoint"));
  EXPECT_EQ(Count("create.word") + Count("create.excel") + Count("create.powerpoint"), 3);
  EXPECT_EQ(Count("application.quit"), 3);
}

struct TFileCase {
  const char* name;
  const char* content;  // nullptr: no such file
  TReplaceMode mode;
  TReplaceResult result;
  uint32_t flags;
  const char* after;  // nullptr: as before
};

TEST_F(ReplacerThread, ReportsEveryResultWithItsStatusBits) {
  static const TFileCase cases[] = {
      {"a.txt", "red", rmReplace, rrChanged, 82, "blue"},
      {"b.txt", "green", rmReplace, rrUnchanged, 210, nullptr},
      {"c.txt", nullptr, rmReplace, rrNotFound, 162, nullptr},
      {"d.txt", "red red", rmJustFind, rrChanged, 82, nullptr},
      {"e.doc", kWordDoc, rmInsBetween, rrNotSupported, 18, nullptr},
      {"f.doc", "protection\t2\nmain\tred\n", rmReplace, rrProtected, 18, nullptr},
      {"g.doc", nullptr, rmReplace, rrFailed, 130, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.content) WriteFile(c.name, c.content);
    host_ = TWorkerHost();
    Prepare(c.mode, "red", "blue", 1);
    Add(c.name);
    EXPECT_EQ(host_.Run(*worker_), 2u);
    ASSERT_EQ(host_.Sequence(), "NDPnT");
    const TWorkerCall& done = host_.Calls[1];
    const TWorkerCall& progress = host_.Calls[2];
    EXPECT_EQ(progress.Result, c.result);
    EXPECT_EQ(done.Flags, c.flags);
    const bool sized = c.flags & iuSize;
    const int64_t size = c.content ? static_cast<int64_t>(strlen(c.after ? c.after : c.content)) : 0;
    if (sized) {
      EXPECT_EQ(done.Size, static_cast<uint64_t>(size));
    }
    EXPECT_EQ(progress.SizeAfter, sized ? size : 0);
    EXPECT_EQ(progress.SizeBefore, c.content ? static_cast<int64_t>(strlen(c.content)) : 0);
    if (c.content) {
      EXPECT_EQ(ReadFile(c.name), c.after ? c.after : c.content);
    }
    worker_.reset();
  }
}

TEST_F(ReplacerThread, AnEmptyRunEndsAtOnce) {
  Prepare(rmReplace, "red", "blue");
  EXPECT_EQ(host_.Run(*worker_), 2u);
  EXPECT_EQ(host_.Sequence(), "nT");
  EXPECT_EQ(Count("create.word"), 0);
}

// A stop that comes while the next file is handed out: that file is not
// processed; the engines' own stop inside a file is tested with them.
TEST_F(ReplacerThread, AStopEndsTheRunAndLeavesTheRestUntouched) {
  for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt", "5.txt"}) {
    WriteFile(name, "red");
    Add(name);
  }
  Prepare(rmReplace, "red", "blue");
  host_.OnCall = [](TThread& w, const TWorkerCall& c) {
    if (c.Kind == TWorkerCall::GetNext && c.Path.ends_with("2.txt")) w.Terminate();
  };
  EXPECT_EQ(host_.Run(*worker_), 1u);
  EXPECT_EQ(worker_->FinalState, 1);
  EXPECT_EQ(host_.Sequence(), "NDPNT");
  EXPECT_EQ(host_.Calls[1].Flags, 82u);
  EXPECT_EQ(ReadFile("1.txt"), "blue");
  for (const char* name : {"2.txt", "3.txt", "4.txt", "5.txt"}) EXPECT_EQ(ReadFile(name), "red") << name;
  EXPECT_FALSE(PathExists(Path("2.txt0")));
}

TEST_F(ReplacerThread, AStopInsideAPlainFileFailsItAndKeepsItWhole) {
  const std::string big = std::string(32u << 20, 'x') + "red";
  for (const char* name : {"1.txt", "2.txt", "3.txt"}) {
    WriteFile(name, name[0] == '2' ? big : "red");
    Add(name);
  }
  Prepare(rmReplace, "red", "blue");
  ReplacerTesting::SetBlockSize(4096);
  // Stops the run once the engine's output for the big file exists.
  std::thread watcher([&] {
    while (!PathExists(Path("2.txt0")) && !worker_->Finished()) Sleep(0);
    worker_->Terminate();
  });
  EXPECT_EQ(host_.Run(*worker_), 1u);
  watcher.join();
  ReplacerTesting::SetBlockSize(0);
  EXPECT_EQ(host_.Sequence(), "NDPNDPNT");
  EXPECT_EQ(host_.Calls[4].Flags, 130u);
  EXPECT_EQ(ReadFile("2.txt"), big);
  EXPECT_FALSE(PathExists(Path("2.txt0")));
  EXPECT_EQ(ReadFile("3.txt"), "red");
}

TEST_F(ReplacerThread, WithoutANextFileHandlerTheRunEndsWithItsText) {
  WriteFile("a.txt", "red");
  Prepare(rmReplace, "red", "blue");
  Add("a.txt");
  worker_->OnGetNextFile = nullptr;
  EXPECT_EQ(host_.Run(*worker_), 1u);
  EXPECT_EQ(worker_->ErrorText, "Please specify function");
  EXPECT_FALSE(worker_->FatalException());
  EXPECT_EQ(host_.Sequence(), "T");
  EXPECT_EQ(ReadFile("a.txt"), "red");
}

TEST_F(ReplacerThread, AMissingServerFailsItsDocumentsOnly) {
  Unregister();
  WriteFile("a.doc", kWordDoc);
  WriteFile("b.txt", "red");
  WriteFile("c.doc", kWordDoc);
  Prepare(rmReplace, "red", "blue");
  for (const char* name : {"a.doc", "b.txt", "c.doc"}) Add(name);
  EXPECT_EQ(host_.Run(*worker_), 2u);
  const auto progress = CallsOf(TWorkerCall::Progress);
  ASSERT_EQ(progress.size(), 3u);
  EXPECT_EQ(progress[0].Result, rrFailed);
  EXPECT_EQ(progress[0].Stage, kStageNoServer);
  EXPECT_EQ(progress[1].Result, rrChanged);
  EXPECT_EQ(progress[2].Result, rrFailed);
  EXPECT_EQ(progress[2].Stage, kStageNoServer);
  EXPECT_EQ(ReadFile("b.txt"), "blue");
}

TEST_F(ReplacerThread, ServerErrorsBecomeResults) {
  FailCalls("document.saveas");
  WriteFile("a.doc", kWordDoc);
  WriteFile("b.doc", kWordDoc);
  Prepare(rmReplace, "red", "blue");
  Add("a.doc");
  Add("b.doc");
  EXPECT_EQ(host_.Run(*worker_), 2u);
  EXPECT_FALSE(worker_->FatalException());
  EXPECT_EQ(host_.Sequence(), "NDPNDPnT");
  EXPECT_EQ(host_.Calls[1].Flags, 130u);
  EXPECT_EQ(host_.Calls[4].Flags, 130u);
  EXPECT_EQ(Count("document.close"), 2);
  FailCalls("");
}

TEST_F(ReplacerThread, AHeldDocumentKeepsItsRealSize) {
  WriteFile("a.doc", kWordDoc);
  Prepare(rmReplace, "red", "blue");
  Add("a.doc");
  THandle held(CreateFileA(Path("a.doc").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held.Valid());
  EXPECT_EQ(host_.Run(*worker_), 2u);
  const int64_t size = static_cast<int64_t>(strlen(kWordDoc));
  EXPECT_EQ(host_.Calls[1].Flags, 18u);
  EXPECT_EQ(host_.Calls[1].Size, static_cast<uint64_t>(size));
  EXPECT_EQ(host_.Calls[2].Result, rrProtected);
  EXPECT_EQ(host_.Calls[2].SizeBefore, size);
  EXPECT_EQ(host_.Calls[2].SizeAfter, size);
}

}  // namespace
