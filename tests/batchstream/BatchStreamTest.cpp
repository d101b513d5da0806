#include <gtest/gtest.h>

#include <random>

#include "engines/BatchMatcher.h"
#include "engines/BatchReplacer_utils.h"
#include "framework/Thread.h"
#include "support/MessagePump.h"
#include "support/PlainReplace.h"
#include "textreplacer/Helpers.h"

namespace {

struct TRow {
  bool caseSensitive;
  std::string find;
  std::string replacement;
};

TGlobalBlock MakeBlock(const std::vector<TRow>& rows) {
  TStringList caseColumn, finds, replacements;
  for (const TRow& r : rows) {
    caseColumn.Add(r.caseSensitive ? CaseSensitiveWord() : CaseInsensitiveWord());
    finds.Add(r.find);
    replacements.Add(r.replacement);
  }
  TGlobalBlock block;
  EXPECT_EQ(CheckAndBuildBatchBlock(block, caseColumn, finds, replacements), -1);
  return block;
}

struct TRun {
  TReplaceResult result;
  int32_t matches;
  int64_t size;
};

TRun RunBatch(const std::string& path, const std::vector<TRow>& rows, bool backup = false,
              TThread* thread = nullptr) {
  TGlobalBlock block = MakeBlock(rows);
  TTextReplacer replacer(thread, backup, block.Handle(), rmBatch);
  const TReplaceResult result = replacer.ReplaceBatchStream(path, block.Handle(), uint32_t(rows.size()));
  return {result, replacer.MatchCount, replacer.FileSize};
}

// A thread never started, only asked to stop.
class TStoppedThread : public TThread {
 public:
  TStoppedThread() { Terminate(); }

 protected:
  void Execute() override {}
};

TEST(BatchStream, AppliesTheTableToAFile) {
  struct TCase {
    const char* name;
    std::vector<TRow> rows;
    std::string content;
    std::string expected;
    int32_t matches;
    TReplaceResult result;
  };
  const TCase cases[] = {
      {"earliest start wins", {{true, "cat", "dog"}, {true, "at", "AT"}}, "cat", "dog", 1, rrChanged},
      {"first row wins", {{true, "x", "1"}, {true, "x", "2"}}, "axbx", "a1b1", 2, rrChanged},
      {"insert before", {{true, "x", "#U#>"}}, "axb", "a>xb", 1, rrChanged},
      {"insert after", {{true, "x", "#D#>"}}, "axb", "ax>b", 1, rrChanged},
      {"case insensitive", {{false, "abc", "-"}}, "ABC aBc Abd", "- - Abd", 2, rrChanged},
      {"code is exact", {{false, "#65#", "-"}}, "Aa", "-a", 1, rrChanged},
      {"set", {{true, "#[a-c]#", "-"}}, "abcd", "---d", 3, rrChanged},
      {"run to the end", {{true, "a#*#", "[]"}}, "xaxxb", "x[]", 1, rrChanged},
      {"count", {{true, "ab*2*c", "-"}}, "abcc abccccd abc", "- -d abc", 2, rrChanged},
      {"failed attempt ends only itself", {{true, "cat", "-"}, {true, "aab", "+"}}, "ccat aaab", "c- a+", 2,
       rrChanged},
      {"code replacement", {{true, "\t", "#13,10#"}}, "a\tb", "a\r\nb", 1, rrChanged},
      {"delete", {{true, "xy", ""}}, "xyxy", "", 2, rrChanged},
      {"tokens left as they stand", {{true, "n", "#FN#.#fe#"}}, "n", "#FN#.#FE#", 1, rrChanged},
      {"no match", {{true, "zz", "y"}}, "abc", "abc", 0, rrUnchanged},
      {"empty file", {{true, "zz", "y"}}, "", "", 0, rrUnchanged},
  };
  for (const TCase& c : cases) {
    TTempFolder folder;
    const std::string path = folder / "table test.txt";
    PutFile(path, c.content);
    const TRun run = RunBatch(path, c.rows);
    EXPECT_EQ(run.result, c.result) << c.name;
    EXPECT_EQ(run.matches, c.matches) << c.name;
    EXPECT_EQ(run.size, int64_t(c.content.size())) << c.name;
    EXPECT_EQ(GetFile(path), c.expected) << c.name;
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"table test.txt"}) << c.name;
  }
}

TEST(BatchStream, MissingFileCreatesNothing) {
  TTempFolder folder;
  EXPECT_EQ(RunBatch(folder / "none.txt", {{true, "a", "b"}}).result, rrNotFound);
  EXPECT_TRUE(folder.Names().empty());
}

TEST(BatchStream, UntouchedFileKeepsItsTimes) {
  TTempFolder folder;
  const std::string path = folder / "same.txt";
  PutFile(path, "nothing to see");
  const FILETIME before = LastWriteTime(path);
  Sleep(20);
  EXPECT_EQ(RunBatch(path, {{true, "zz", "y"}}, true).result, rrUnchanged);
  const FILETIME after = LastWriteTime(path);
  EXPECT_EQ(CompareFileTime(&before, &after), 0);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"same.txt"});
}

TEST(BatchStream, ChangedFileGetsBackupAndKeepsAttributes) {
  TTempFolder folder;
  const std::string path = folder / "r.txt";
  PutFile(path, "old text");
  PutFile(path + ".bak", "earlier backup");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  const TRun run = RunBatch(path, {{true, "old", "new"}}, true);
  EXPECT_EQ(run.result, rrChanged);
  EXPECT_EQ(GetFile(path), "new text");
  EXPECT_EQ(GetFile(path + ".bak"), "earlier backup");
  EXPECT_EQ(GetFile(path + ".bak0"), "old text");
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
            DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"r.txt", "r.txt.bak", "r.txt.bak0"}));
}

TEST(BatchStream, StopLeavesTheFileAsItWas) {
  TTempFolder folder;
  const std::string path = folder / "big.txt";
  const std::string content(300000, 'a');
  PutFile(path, content);
  TThreadOf<TStoppedThread> thread;
  const TRun run = RunBatch(path, {{true, "a", "b"}}, true, &thread);
  EXPECT_EQ(run.result, rrFailed);
  EXPECT_EQ(GetFile(path), content);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"big.txt"});
}

// Runs the batch replace of one file in a worker thread.
class TBatchWorker : public TThread {
 public:
  TBatchWorker(const std::string& path, HGLOBAL block) : path_(path), block_(block) {}
  TReplaceResult result = rrChanged;

 protected:
  void Execute() override {
    TTextReplacer replacer(this, false, block_, rmBatch);
    result = replacer.ReplaceBatchStream(path_, block_, 2);
  }

 private:
  std::string path_;
  HGLOBAL block_;
};

TEST(BatchStream, StopInsideALargeFileEndsItSoon) {
  TTempFolder folder;
  const std::string path = folder / "large.txt";
  const std::string content(96 << 20, 'a');
  PutFile(path, content);
  // Every byte begins attempts that fail one byte later, or keep a run open.
  TGlobalBlock block = MakeBlock({{true, "ab", "x"}, {true, "a#*#b", "y"}});
  TThreadOf<TBatchWorker> worker(path, block.Handle());
  worker.Resume();
  // Inside the file once its temporary file stands beside it.
  ASSERT_TRUE(PumpUntil([&] { return folder.Names().size() > 1; }));
  ASSERT_FALSE(worker.Finished());
  const DWORD asked = GetTickCount();
  worker.Terminate();
  worker.WaitFor();
  EXPECT_LT(GetTickCount() - asked, 1000u);
  EXPECT_EQ(worker.result, rrFailed);
  EXPECT_TRUE(GetFile(path) == content);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"large.txt"});
}

TEST(BatchStream, FailedInstallKeepsTheOriginal) {
  TTempFolder folder;
  const std::string path = folder / "f.txt";
  PutFile(path, "abc");
  ReplacerTesting::BreakFinishStep(ReplacerTesting::TFinishStep::Install);
  const TRun run = RunBatch(path, {{true, "b", "-"}});
  ReplacerTesting::BreakFinishStep(ReplacerTesting::TFinishStep::None);
  EXPECT_EQ(run.result, rrFailed);
  EXPECT_EQ(GetFile(path), "abc");
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"f.txt"});
}

TEST(BatchStream, BlockShorterThanItsCountFails) {
  TTempFolder folder;
  const std::string path = folder / "f.txt";
  PutFile(path, "abc");
  TGlobalBlock block = MakeBlock({{true, "b", "-"}});
  TTextReplacer replacer(nullptr, false, block.Handle(), rmBatch);
  EXPECT_EQ(replacer.ReplaceBatchStream(path, block.Handle(), 1000), rrFailed);
  EXPECT_EQ(replacer.ReplaceBatchStream(path, nullptr, 1), rrFailed);
  EXPECT_EQ(GetFile(path), "abc");
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"f.txt"});
}

TEST(BatchStream, MatchesAcrossTheEdgeOfAFullBlock) {
  TTempFolder folder;
  const std::string path = folder / "edge.txt";
  const std::string lead(262143, '.');
  PutFile(path, lead + "xyz" + std::string(10, '.') + "a" + std::string(300000, '-') + "b!");
  const TRun run = RunBatch(path, {{true, "xyz", "X"}, {true, "a#*#b", "[]"}});
  EXPECT_EQ(run.result, rrChanged);
  EXPECT_EQ(run.matches, 2);
  EXPECT_TRUE(GetFile(path) == lead + "X" + std::string(10, '.') + "[]!");
}

TEST(BatchStream, LiteralRowsAcrossEveryBlockEdgeOfALongFile) {
  // At each edge of the 262144-byte blocks a match goes over it or an
  // attempt that fails there: the bytes held back go into the next block.
  std::string text(12 * 262144 + 50, '.');
  for (size_t k = 1; k <= 12; ++k) text.replace(k * 262144 - 1 - k % 3, k % 2 ? 4 : 3, "wxyz", k % 2 ? 4 : 3);
  int64_t matches = 0;
  const std::string expected = ReplacedEverywhere(text, "wxyz", "<>", matches);
  TTempFolder folder;
  const std::string path = folder / "long.txt";
  PutFile(path, text);
  const TRun run = RunBatch(path, {{true, "wxyz", "<>"}});
  EXPECT_EQ(run.matches, 6);
  EXPECT_EQ(matches, 6);
  EXPECT_TRUE(GetFile(path) == expected);
}

// Literal rows only: at each end the earliest start, then the first row.
std::string LiteralModel(const std::vector<TRow>& rows, const std::string& text, int32_t& matches) {
  std::string out;
  size_t cursor = 0;
  matches = 0;
  for (size_t end = 1; end <= text.size(); ++end) {
    const TRow* win = nullptr;
    size_t winStart = 0;
    for (size_t start = cursor; start < end && !win; ++start)
      for (const TRow& r : rows)
        if (r.find.size() == end - start && text.compare(start, r.find.size(), r.find) == 0) {
          win = &r;
          winStart = start;
          break;
        }
    if (!win) continue;
    std::string rep = win->replacement;
    const std::string found = text.substr(winStart, end - winStart);
    out += text.substr(cursor, winStart - cursor);
    if (rep.rfind("#U#", 0) == 0)
      out += rep.substr(3) + found;
    else if (rep.rfind("#D#", 0) == 0)
      out += found + rep.substr(3);
    else
      out += rep;
    cursor = end;
    ++matches;
  }
  return out + text.substr(cursor);
}

TEST(BatchStream, SmallBlocksAgreeWithTheLiteralModel) {
  std::mt19937 rng(6);
  static const char* const kinds[] = {"", "#U#", "#D#"};
  for (int round = 0; round < 150; ++round) {
    std::vector<TRow> rows;
    for (size_t k = 1 + rng() % 4; k > 0; --k) {
      std::string find(1 + rng() % 4, 'a');
      for (char& c : find) c = "abc"[rng() % 3];
      rows.push_back({true, find, std::string(kinds[rng() % 3]) + "<" + char('0' + k) + ">"});
    }
    std::string text(rng() % 400, 'a');
    for (char& c : text) c = "abcx"[rng() % 4];
    TTempFolder folder;
    const std::string path = folder / "d.txt";
    PutFile(path, text);
    int32_t expectedMatches;
    const std::string expected = LiteralModel(rows, text, expectedMatches);
    ReplacerTesting::SetBlockSize(1 + rng() % 7);
    const TRun run = RunBatch(path, rows);
    ReplacerTesting::SetBlockSize(0);
    ASSERT_EQ(GetFile(path), expected) << text;
    ASSERT_EQ(run.matches, expectedMatches) << text;
    ASSERT_EQ(run.result, expectedMatches ? rrChanged : rrUnchanged);
  }
}

}  // namespace
