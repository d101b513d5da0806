#include "StandinTest.h"
#include "engines/wordModule97.h"
#include "framework/Thread.h"

namespace {

class TIdleThread : public TThread {
 protected:
  void Execute() override {}
};

class WordObject : public TStandinTest {
 protected:
  // The replacer's calling order for one document; returns the match count.
  int32_t RunReplace(const std::string& file, TReplaceMode mode, const std::wstring& find,
                     const std::wstring& replace, uint32_t flags = 0, TThread* owner = nullptr,
                     TRunEnd end = TRunEnd::Completes) {
    TWordObject97 word(owner);
    EXPECT_TRUE(word.ServerStarted);
    word.Mode = mode;
    RunExpecting(end, [&] {
      word.SetVisible(false);
      if (word.DocumentCount() != 0) {
        word.Disconnect(false);
        word.Connect();
      }
      word.OpenDocument(Path(file));
      if (!word.IsProtected()) {
        if (mode == rmInsToHead || mode == rmInsToFoot) word.InsertHeadFootDoc(replace);
        else word.ReplaceAll(find, replace, flags);
        if (word.MatchCount != 0 && mode != rmJustFind) word.SaveDocument(Path(file));
      }
    });
    word.CloseDocument();
    return word.MatchCount;
  }
};

const char kSections[] =
    "protection\t-1\n"
    "main\tred body red\n"
    "sh1\tred head\n"
    "sf1\tfoot red\n"
    "sh2\tplain\n"
    "sf2\tred\n"
    "ph\tred primary\n"
    "fn\tnote red\n"
    "en\tred end\n";

TEST_F(WordObject, ReplacesInMainTextSectionsAndNotes) {
  WriteFile("a.doc", kSections);
  EXPECT_EQ(RunReplace("a.doc", rmReplace, L"red", L"blue"), 7);
  // With sections, only each section's current header and footer are searched.
  EXPECT_EQ(ReadFile("a.doc"),
            "protection\t-1\n"
            "en\tblue end\n"
            "fn\tnote blue\n"
            "main\tblue body blue\n"
            "ph\tred primary\n"
            "sf1\tfoot blue\n"
            "sf2\tblue\n"
            "sh1\tblue head\n"
            "sh2\tplain\n");
  EXPECT_EQ(Count("document.saveas"), 1);
  EXPECT_EQ(Count("document.close"), 1);
  EXPECT_NE(LogIndex("application.quit"), -1);
}

TEST_F(WordObject, WithoutSectionsSearchesEveryHeaderKind) {
  WriteFile("a.doc",
            "protection\t-1\nmain\tx\nph\tred\npf\tred\nfh\tred\nff\tred\n");
  EXPECT_EQ(RunReplace("a.doc", rmReplace, L"red", L"blue"), 4);
  EXPECT_EQ(ReadFile("a.doc"),
            "protection\t-1\nff\tblue\nfh\tblue\nmain\tx\npf\tblue\nph\tblue\n");
}

struct TLoopCase {
  TReplaceMode mode;
  const char* main;
  const wchar_t* find;
  const wchar_t* replace;
  uint32_t flags;
  const char* expected;
  int32_t matches;
};

TEST_F(WordObject, FindLoopActsOnEachHitOnce) {
  static const TLoopCase cases[] = {
      {rmReplace, "a a a", L"a", L"aa", 0, "aa aa aa", 3},     // replacement holding the find text
      {rmDelete, "aaa", L"a", L"", 0, "", 3},                 // empty previous hit
      {rmInsAfter, "ab ab", L"ab", L"!", 0, "ab! ab!", 2},
      {rmInsBefore, "ab ab", L"ab", L"!", 0, "!ab !ab", 2},
      {rmReplace, "a", L"a", L"ab", 0, "ab", 1},               // stuck on the same hit
      {rmReplace, "Cat cat", L"cat", L"dog", wrfMatchCase, "Cat dog", 1},
      {rmReplace, "cats cat", L"cat", L"dog", wrfWholeWord, "cats dog", 1},
      {rmInsToHead, "body", L"", L"X", 0, "Xbody", 1},
      {rmInsToFoot, "body", L"", L"X", 0, "bodyX", 1},
      {rmInsToFoot, "", L"", L"X", 0, "X", 1},
  };
  for (const auto& c : cases) {
    WriteFile("a.doc", std::string("protection\t-1\nmain\t") + c.main + "\n");
    EXPECT_EQ(RunReplace("a.doc", c.mode, c.find, c.replace, c.flags), c.matches) << c.main;
    EXPECT_EQ(ReadFile("a.doc"), std::string("protection\t-1\nmain\t") + c.expected + "\n") << c.main;
  }
}

TEST_F(WordObject, CallsInTheServersOrder) {
  WriteFile("a.doc", "protection\t-1\nmain\tred\n");
  RunReplace("a.doc", rmReplace, L"red", L"blue");
  const char* order[] = {"create.word", "application.displayalerts=0", "application.visible=0",
                         "documents.count", "documents.open", "document.protectiontype",
                         "options.defaulthighlightcolorindex=0", "find.execute",
                         "selection.text=blue", "document.saveas", "document.close",
                         "application.quit"};
  int last = -1;
  for (const char* call : order) {
    const int at = LogIndex(call);
    EXPECT_GT(at, last) << call;
    last = at;
  }
}

TEST_F(WordObject, ProtectedDocumentIsUntouched) {
  const std::string doc = "protection\t2\nmain\tred\n";
  WriteFile("a.doc", doc);
  EXPECT_EQ(RunReplace("a.doc", rmReplace, L"red", L"blue"), 0);
  EXPECT_EQ(ReadFile("a.doc"), doc);
  EXPECT_EQ(LogIndex("find.execute"), -1);
  EXPECT_EQ(Count("document.close"), 1);
}

TEST_F(WordObject, JustFindCountsAndNeverSaves) {
  WriteFile("a.doc", kSections);
  EXPECT_EQ(RunReplace("a.doc", rmJustFind, L"red", L"x"), 7);
  EXPECT_EQ(ReadFile("a.doc"), kSections);
  EXPECT_EQ(Count("document.saveas"), 0);
  EXPECT_EQ(Count("document.save"), 0);
}

TEST_F(WordObject, AllPartsLeftOutSearchNothing) {
  WriteFile("a.doc", kSections);
  EXPECT_EQ(RunReplace("a.doc", rmReplace, L"red", L"x", wrfNoMainText | wrfNoHeadersFooters | wrfNoNotes), 0);
  EXPECT_NE(LogIndex("options.defaulthighlightcolorindex=0"), -1);
  EXPECT_EQ(LogIndex("find.execute"), -1);
  EXPECT_EQ(Count("document.saveas"), 0);
}

TEST_F(WordObject, ClosesEvenAfterAFailure) {
  const char* failures[] = {"document.saveas", "find.execute"};
  for (const char* f : failures) {
    WriteFile("a.doc", kSections);
    WriteFile("calls.log", "");
    FailCalls(f);
    RunReplace("a.doc", rmReplace, L"red", L"blue", 0, nullptr, TRunEnd::OleError);
    EXPECT_EQ(ReadFile("a.doc"), kSections) << f;
    EXPECT_EQ(Count("document.close"), 1) << f;
  }
}

TEST_F(WordObject, StopsWhenTheOwnerIsTerminated) {
  WriteFile("a.doc", kSections);
  TThreadOf<TIdleThread> owner;
  owner.Resume();
  owner.WaitFor();
  owner.Terminate();
  EXPECT_EQ(RunReplace("a.doc", rmReplace, L"red", L"blue", 0, &owner, TRunEnd::Stopped), 0);
  EXPECT_EQ(LogIndex("find.execute"), -1);
  EXPECT_EQ(Count("document.close"), 1);
}

TEST_F(WordObject, LeavesAUsersInstanceRunning) {
  WriteFile("a.doc", kSections);
  UserDocuments(3);
  RunReplace("a.doc", rmReplace, L"red", L"blue");
  EXPECT_EQ(LogIndex("application.quit"), -1);
  EXPECT_EQ(Count("document.close"), 1);
}

TEST_F(WordObject, FailsCleanlyWithoutServer) {
  Unregister();
  TWordObject97 word(nullptr);
  EXPECT_FALSE(word.ServerStarted);
  EXPECT_TRUE(word.IsProtected());
  EXPECT_THROW(word.OpenDocument(Path("a.doc")), EOleError);
  word.CloseDocument();
  Register();
}

}  // namespace
