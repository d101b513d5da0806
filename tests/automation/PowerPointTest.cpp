#include "StandinTest.h"
#include "engines/PowerPointModule97.h"

namespace {

class PowerPointObject : public TStandinTest {
 protected:
  // The replacer's calling order for one presentation.
  int32_t RunReplace(const std::string& file, TReplaceMode mode, const std::wstring& find,
                     const std::wstring& second, const std::wstring& replace, uint32_t flags = 0,
                     TRunEnd end = TRunEnd::Completes) {
    TPowerPointObject ppt;
    EXPECT_TRUE(ppt.ServerStarted);
    ppt.SetVisible(false);
    ppt.Mode = mode;
    RunExpecting(end, [&] {
      if (ppt.DocumentCount() != 0) {
        ppt.Disconnect(false);
        ppt.Connect();
      }
      ppt.OpenDocument(Path(file));
      if (!ppt.NoDocument()) {
        ppt.ReplaceInSlides(find, second, replace, flags);
        if (ppt.MatchCount != 0 && mode != rmJustFind) ppt.SaveDocument(Path(file));
      }
    });
    ppt.CloseDocument();
    return ppt.MatchCount;
  }
};

const char kDeck[] =
    "slide\n"
    "shape\t1\tTitle red\n"
    "shape\t0\t\n"
    "shape\t1\tnothing here\n"
    "slide\n"
    "slide\n"
    "shape\t1\t[red] and [Red]\n";

struct TDeckCase {
  TReplaceMode mode;
  const wchar_t* find;
  const wchar_t* second;
  const wchar_t* replace;
  uint32_t flags;
  const char* expected;
  int32_t matches;
};

TEST_F(PowerPointObject, ReplacesInShapeTexts) {
  static const TDeckCase cases[] = {
      {rmReplace, L"red", L"", L"blue", 0,
       "slide\nshape\t1\tTitle blue\nshape\t0\t\nshape\t1\tnothing here\nslide\nslide\n"
       "shape\t1\t[blue] and [blue]\n", 3},
      {rmReplace, L"red", L"", L"blue", 1,
       "slide\nshape\t1\tTitle blue\nshape\t0\t\nshape\t1\tnothing here\nslide\nslide\n"
       "shape\t1\t[blue] and [Red]\n", 2},
      {rmInsBetween, L"[", L"]", L"x", 0,
       "slide\nshape\t1\tTitle red\nshape\t0\t\nshape\t1\tnothing here\nslide\nslide\n"
       "shape\t1\t[x] and [x]\n", 2},
  };
  for (const auto& c : cases) {
    WriteFile("a.ppt", kDeck);
    EXPECT_EQ(RunReplace("a.ppt", c.mode, c.find, c.second, c.replace, c.flags), c.matches);
    EXPECT_EQ(ReadFile("a.ppt"), c.expected);
  }
}

TEST_F(PowerPointObject, SkipsShapesWithoutTextAndWritesOnlyHits) {
  WriteFile("a.ppt", kDeck);
  RunReplace("a.ppt", rmReplace, L"red", L"", L"blue");
  EXPECT_EQ(Count("textframe.hastext"), 4);
  EXPECT_EQ(Count("textrange.text"), 3);                 // reads of the texts that have one
  EXPECT_EQ(LogIndex("textrange.text=nothing here"), -1);  // no hit, no write
  EXPECT_EQ(Count("presentation.saveas"), 1);
  EXPECT_EQ(Count("presentation.close"), 1);
  EXPECT_NE(LogIndex("application.quit"), -1);
}

TEST_F(PowerPointObject, JustFindNeverSaves) {
  WriteFile("a.ppt", kDeck);
  EXPECT_EQ(RunReplace("a.ppt", rmJustFind, L"red", L"", L"x"), 3);
  EXPECT_EQ(ReadFile("a.ppt"), kDeck);
  EXPECT_EQ(Count("presentation.saveas"), 0);
  EXPECT_EQ(Count("presentation.close"), 1);
}

TEST_F(PowerPointObject, EmptyDeckFindsNothing) {
  WriteFile("a.ppt", "slide\nslide\n");
  EXPECT_EQ(RunReplace("a.ppt", rmReplace, L"red", L"", L"x"), 0);
  EXPECT_EQ(Count("presentation.saveas"), 0);
  EXPECT_EQ(Count("presentation.close"), 1);
}

TEST_F(PowerPointObject, AFailingShapeDoesNotStopTheWalk) {
  WriteFile("a.ppt", "slide\nshape\t1\tred one\nshape\t1\tred two\n");
  FailCalls("textframe.hastext");
  EXPECT_EQ(RunReplace("a.ppt", rmReplace, L"red", L"", L"x"), 0);
  EXPECT_EQ(Count("textframe.hastext"), 2);
}

TEST_F(PowerPointObject, ClosesEvenWhenSavingFails) {
  WriteFile("a.ppt", kDeck);
  FailCalls("presentation.saveas");
  RunReplace("a.ppt", rmReplace, L"red", L"", L"x", 0, TRunEnd::OleError);
  EXPECT_EQ(ReadFile("a.ppt"), kDeck);
  EXPECT_EQ(Count("presentation.close"), 1);
}

TEST_F(PowerPointObject, LeavesAUsersInstanceRunning) {
  WriteFile("a.ppt", kDeck);
  UserDocuments(1);
  RunReplace("a.ppt", rmReplace, L"red", L"", L"x");
  EXPECT_EQ(LogIndex("application.quit"), -1);
  EXPECT_EQ(Count("presentation.close"), 1);
}

TEST_F(PowerPointObject, FailsCleanlyWithoutServer) {
  Unregister();
  TPowerPointObject ppt;
  EXPECT_FALSE(ppt.ServerStarted);
  EXPECT_TRUE(ppt.NoDocument());
  EXPECT_THROW(ppt.OpenDocument(Path("a.ppt")), EOleError);
  ppt.CloseDocument();
  Register();
}

}  // namespace
