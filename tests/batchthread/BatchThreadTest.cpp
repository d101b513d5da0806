#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StandinTest.h"
#include "engines/BatchReplacer_utils.h"
#include "engines/PerformBatchReplace.h"
#include "support/WorkerHost.h"

namespace {

using PerformBatchReplace::TReplacer;

const char kWordDoc[] = "protection\t-1\nmain\tred body red\n";
const char kBook[] = "sheet\tOne\t0\ncell\t1\t1\ts\tred [fox]\n";
const char kDeck[] = "slide\nshape\t1\tred [fox] red\n";

struct TRow {
  const char* find;
  const char* replacement;
};

class BatchThread : public TStandinTest {
 protected:
  // Fills the worker as the batch window does; the host's items are the
  // given names in the test folder.
  DWORD Run(const std::vector<TRow>& rows, const std::vector<std::string>& names,
            bool bindHost = true) {
    TThreadOf<TReplacer> worker;
    for (const TRow& r : rows) {
      worker.CaseColumn.Add(CaseInsensitiveWord());
      worker.Finds.Add(r.find);
      worker.Replacements.Add(r.replacement);
    }
    TGlobalBlock block;
    EXPECT_EQ(CheckAndBuildBatchBlock(block, worker.CaseColumn, worker.Finds, worker.Replacements),
              -1);
    worker.BatchBlock = std::move(block);
    worker.PairCount = int32_t(rows.size());
    for (const std::string& n : names) host.AddItem(Path(""), n);
    if (bindHost) host.BindReplace(worker);
    worker.SetPriority(THREAD_PRIORITY_NORMAL);
    const DWORD state = host.Run(worker);
    EXPECT_EQ(DWORD(worker.FinalState), state);
    EXPECT_TRUE(worker.CaseColumn.Count() == 0 && worker.Replacements.Count() == 0);
    errorText = worker.ErrorText;
    return state;
  }
  // Path("") ends with a backslash; the host joins folder and name with one.
  std::string Item(const std::string& name) const { return Path("") + "\\" + name; }
  std::vector<const TWorkerCall*> Calls(TWorkerCall::TKind kind) const {
    std::vector<const TWorkerCall*> out;
    for (const TWorkerCall& c : host.Calls)
      if (c.Kind == kind) out.push_back(&c);
    return out;
  }

  TWorkerHost host;
  std::string errorText;
};

TEST_F(BatchThread, RoutesByMaskAndSkipsFolders) {
  WriteFile("a.txt", "red fox");
  WriteFile("b.doc", kWordDoc);
  WriteFile("c.XLS", kBook);
  WriteFile("d.pps", kDeck);
  CreateDirectoryA(Path("sub.doc").c_str(), nullptr);
  WriteFile("e.docx", "red");
  EXPECT_EQ(Run({{"red", "blue"}}, {"a.txt", "b.doc", "c.XLS", "d.pps", "sub.doc", "e.docx"}), 2u);
  EXPECT_EQ(host.Sequence(), "NDPNDPNDPNDPNNDPnT");
  for (const TWorkerCall* d : Calls(TWorkerCall::FileDone)) {
    EXPECT_EQ(d->Flags, 82u) << d->Path;
    EXPECT_TRUE(d->OnHostThread);
  }
  EXPECT_EQ(ReadFile("a.txt"), "blue fox");
  EXPECT_EQ(ReadFile("e.docx"), "blue");
  EXPECT_NE(ReadFile("b.doc").find("main\tblue body blue"), std::string::npos);
  EXPECT_NE(ReadFile("c.XLS").find("blue [fox]"), std::string::npos);
  EXPECT_NE(ReadFile("d.pps").find("blue [fox] blue"), std::string::npos);
  // Each server once, in the order of the documents.
  const int word = LogIndex("create.word"), excel = LogIndex("create.excel"),
            slides = LogIndex("create.powerpoint");
  EXPECT_GE(word, 0);
  EXPECT_LT(word, excel);
  EXPECT_LT(excel, slides);
  int creates = 0;
  for (const std::string& line : Log()) creates += line.rfind("create.", 0) == 0;
  EXPECT_EQ(creates, 3);
}

struct TFileCase {
  const char* name;
  const char* content;  // nullptr: missing
  bool held;            // held open without sharing by another handle
  bool readOnly;
  int32_t result;
  uint32_t flags;
  int32_t stage;
};

TEST_F(BatchThread, FlagsAndOrderPerResult) {
  static const TFileCase cases[] = {
      {"changed.txt", "one red", false, false, rrChanged, 82, 0},
      {"same.txt", "nothing", false, false, rrUnchanged, 210, 0},
      {"held.txt", "red", true, false, rrFailed, 130, 0},
      {"missing.txt", nullptr, false, false, rrNotFound, 160, 0},
      {"odd.doc", "protection\t-1\nmain\tr?d\n", false, false, rrNotSupported, 210, 6},
      {"locked.doc", kWordDoc, false, true, rrProtected, 18, 1},
      {"inuse.doc", kWordDoc, true, false, rrProtected, 18, 1},
  };
  std::vector<std::string> names;
  std::vector<THandle> holds;
  for (const TFileCase& c : cases) {
    names.push_back(c.name);
    if (!c.content) continue;
    WriteFile(c.name, c.content);
    if (c.readOnly) SetFileAttributesA(Path(c.name).c_str(), FILE_ATTRIBUTE_READONLY);
    if (c.held)
      holds.emplace_back(CreateFileA(Path(c.name).c_str(), GENERIC_READ, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
  }
  // The second row cannot be given to a server as literal text.
  EXPECT_EQ(Run({{"red", "blue"}, {"r#?#d", "x"}}, names), 2u);
  holds.clear();
  std::string sequence;
  for (size_t i = 0; i < names.size(); ++i) sequence += "NDP";
  EXPECT_EQ(host.Sequence(), sequence + "nT");
  const auto done = Calls(TWorkerCall::FileDone);
  const auto progress = Calls(TWorkerCall::Progress);
  ASSERT_EQ(done.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const TFileCase& c = cases[i];
    SCOPED_TRACE(c.name);
    EXPECT_EQ(done[i]->Path, Item(c.name));
    EXPECT_EQ(progress[i]->Result, c.result);
    EXPECT_EQ(done[i]->Flags, c.flags);
    EXPECT_EQ(progress[i]->Stage, c.stage);
    const int64_t size = c.content ? int64_t(ReadFile(c.name).size()) : 0;
    EXPECT_EQ(progress[i]->SizeAfter, size);
    if (c.flags & iuSize) {
      EXPECT_EQ(done[i]->Size, uint64_t(size));
    }
    if (c.readOnly) SetFileAttributesA(Path(c.name).c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  EXPECT_EQ(ReadFile("changed.txt"), "one blue");
  EXPECT_EQ(ReadFile("held.txt"), "red");
  EXPECT_EQ(ReadFile("inuse.doc"), kWordDoc);
  EXPECT_EQ(ReadFile("odd.doc"), "protection\t-1\nmain\tr?d\n");
}

TEST_F(BatchThread, FileTokensPerFile) {
  CreateDirectoryA(Path("my.dir").c_str(), nullptr);
  WriteFile("a#b.txt", "X");
  WriteFile("my.dir\\noext", "X");
  WriteFile("two.dots.md", "X");
  EXPECT_EQ(Run({{"X", "[#FN#](#FE#)"}}, {"a#b.txt", "my.dir\\noext", "two.dots.md"}), 2u);
  EXPECT_EQ(ReadFile("a#b.txt"), "[a#b](txt)");
  EXPECT_EQ(ReadFile("my.dir\\noext"), "[noext]()");
  EXPECT_EQ(ReadFile("two.dots.md"), "[two.dots](md)");
}

TEST_F(BatchThread, StopAfterAFileLeavesTheRest) {
  const std::vector<std::string> names = {"1.txt", "2.txt", "3.txt", "4.txt", "5.txt"};
  for (const std::string& n : names) WriteFile(n, "red");
  int done = 0;
  host.OnCall = [&](TThread& w, const TWorkerCall& c) {
    if (c.Kind == TWorkerCall::FileDone && ++done == 2) w.Terminate();
  };
  EXPECT_EQ(Run({{"red", "blue"}}, names), 1u);
  EXPECT_EQ(host.Sequence(), "NDPNDPT");
  for (size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(ReadFile(names[i]), i < 2 ? "blue" : "red") << names[i];
}

// Stops the worker as soon as the output of the watched file appears.
struct TStopWatch {
  TThread* worker;
  std::string output;
  static DWORD WINAPI Watch(void* p) {
    auto* self = static_cast<TStopWatch*>(p);
    while (GetFileAttributesA(self->output.c_str()) == INVALID_FILE_ATTRIBUTES) Sleep(0);
    self->worker->Terminate();
    return 0;
  }
};

TEST_F(BatchThread, StopInsideAFileKeepsItWhole) {
  const std::vector<std::string> names = {"1.txt", "2.txt", "3.txt"};
  const std::string big(16 << 20, 'r');
  WriteFile("1.txt", "red");
  WriteFile("2.txt", "red" + big);
  WriteFile("3.txt", "red");
  ReplacerTesting::SetBlockSize(4096);
  TStopWatch watch{nullptr, Path("2.txt0")};
  THandle watcher;
  host.OnCall = [&](TThread& w, const TWorkerCall& c) {
    if (c.Kind != TWorkerCall::GetNext || c.Path != Item("2.txt")) return;
    watch.worker = &w;
    watcher.Reset(CreateThread(nullptr, 0, TStopWatch::Watch, &watch, 0, nullptr));
  };
  EXPECT_EQ(Run({{"red", "blue"}}, names), 1u);
  ReplacerTesting::SetBlockSize(0);
  WaitForSingleObject(watcher.Get(), INFINITE);
  EXPECT_EQ(host.Sequence(), "NDPNDPT");
  EXPECT_EQ(Calls(TWorkerCall::FileDone)[1]->Flags, 130u);
  EXPECT_EQ(ReadFile("1.txt"), "blue");
  EXPECT_TRUE(ReadFile("2.txt") == "red" + big);
  EXPECT_EQ(ReadFile("3.txt"), "red");
  EXPECT_EQ(GetFileAttributesA(Path("2.txt0").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(BatchThread, MissingFetchHandlerEndsCleanly) {
  WriteFile("a.txt", "red");
  EXPECT_EQ(Run({{"red", "blue"}}, {"a.txt"}, false), 1u);
  EXPECT_EQ(errorText, kNoGetNextFileText);
  EXPECT_EQ(ReadFile("a.txt"), "red");
}

struct TTokenCase {
  const char* replacement;
  const char* path;
  const char* filled;
  bool uses;
};

TEST(FileTokens, FilledFromTheFilesOwnName) {
  static const TTokenCase cases[] = {
      {"[#FN#]", "C:\\f\\a#b.txt", "[a##b]", true},
      {"#FE#", "C:\\f\\a#b.txt", "txt", true},
      {"#FN#.#FE#", "C:\\my.dir\\noext", "noext.", true},
      {"#FN#", "C:\\f\\.hidden", "", true},
      {"#FE#", "C:\\f\\.hidden", "hidden", true},
      {"#U##FN#-", "C:\\f\\x.y", "#U#x-", true},
      {"##FN##", "C:\\f\\x.y", "##FN##", false},
      {"#fn#", "C:\\f\\x.y", "#fn#", false},
      {"#13##FE#", "C:\\f\\x.y", "#13#y", true},
      {"plain", "C:\\f\\x.y", "plain", false},
  };
  for (const TTokenCase& c : cases) {
    SCOPED_TRACE(c.replacement);
    EXPECT_EQ(FillFileTokens(c.replacement, c.path), c.filled);
    TStringList list;
    list.Add("none");
    list.Add(c.replacement);
    EXPECT_EQ(UsesFileTokens(list), c.uses);
  }
}

}  // namespace
