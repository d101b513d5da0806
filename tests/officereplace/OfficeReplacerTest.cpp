#include <algorithm>
#include <cstring>
#include <memory>

#include "StandinTest.h"
#include "core/FileUtils.h"
#include "engines/BatchReplacer_utils.h"
#include "engines/OfficeReplacers.h"
#include "framework/StringList.h"
#include "framework/Thread.h"

namespace {

const char kWordDoc[] = "protection\t-1\nmain\tred body red\n";
const char kBook[] = "sheet\tOne\t0\ncell\t1\t1\ts\tred [fox]\n";
const char kDeck[] = "slide\nshape\t1\tred [fox] red\n";

std::unique_ptr<TOfficeReplacer> MakeReplacer(TDocumentKind kind, HGLOBAL block, TReplaceMode mode,
                                              int32_t split, bool backup) {
  switch (kind) {
    case dkWordProcessor: return std::make_unique<TMSWordReplacer>(nullptr, backup, block, mode);
    case dkSpreadsheet:
      return std::make_unique<TMSExcelReplacer>(nullptr, backup, block, mode, split);
    default: return std::make_unique<TMSPowerPointReplacer>(nullptr, backup, block, mode, split);
  }
}

const char* FileNameOf(TDocumentKind kind) {
  return kind == dkWordProcessor ? "a.doc" : kind == dkSpreadsheet ? "a.xls" : "a.ppt";
}

const char* ContentOf(TDocumentKind kind) {
  return kind == dkWordProcessor ? kWordDoc : kind == dkSpreadsheet ? kBook : kDeck;
}

class OfficeReplacer : public TStandinTest {
 protected:
  void Prepare(TDocumentKind kind, TReplaceMode mode, const char* find, const char* replace,
               int32_t split = 0, bool backup = false) {
    // As the replacer window builds it: the text to insert keeps its case.
    TPatternPairOptions options;
    options.CaseEnabled = mode != rmInsToHead && mode != rmInsToFoot;
    block_ = BuildPatternBlock(find, replace, options);
    replacer_ = MakeReplacer(kind, block_.Handle(), mode, split, backup);
    WriteFile(FileNameOf(kind), ContentOf(kind));
  }
  TReplaceResult Run(TDocumentKind kind) { return replacer_->ReplaceInFile(Path(FileNameOf(kind))); }
  int Count(const std::string& call) const {
    auto log = Log();
    return static_cast<int>(std::count(log.begin(), log.end(), call));
  }

  TGlobalBlock block_;
  std::unique_ptr<TOfficeReplacer> replacer_;
};

struct TDocCase {
  TDocumentKind kind;
  TReplaceMode mode;
  const char* find;
  const char* replace;
  int32_t split;
  TReplaceResult result;
  int32_t stage;
  int32_t matches;
  const char* written;  // a part of the saved document; nullptr when nothing is saved
};

TEST_F(OfficeReplacer, ResultsAndStagesByKindAndMode) {
  static const TDocCase cases[] = {
      {dkWordProcessor, rmReplace, "red", "blue", 0, rrChanged, kStageSave, 2, "main\tblue body blue"},
      {dkWordProcessor, rmReplace, "green", "blue", 0, rrUnchanged, kStageApply, 0, nullptr},
      {dkWordProcessor, rmInsBetween, "re", "X", 1, rrNotSupported, kStageApply, 0, nullptr},
      {dkWordProcessor, rmInsToHead, "Top ", "", 0, rrChanged, kStageSave, 1, "main\tTop red body red"},
      {dkWordProcessor, rmJustFind, "red", "x", 0, rrChanged, kStageApply, 2, nullptr},
      {dkWordProcessor, rmJustFind, "green", "x", 0, rrUnchanged, kStageApply, 0, nullptr},
      {dkSpreadsheet, rmReplace, "red", "blue", 0, rrChanged, kStageSave, 1, "blue [fox]"},
      {dkSpreadsheet, rmInsBetween, "[]", "cat", 1, rrChanged, kStageSave, 1, "red [cat]"},
      {dkSpreadsheet, rmInsToHead, "Top", "", 0, rrNotSupported, kStageApply, 0, nullptr},
      {dkPresentation, rmDelete, "red ", "", 0, rrChanged, kStageSave, 1, "shape\t1\t[fox] red"},
      {dkPresentation, rmInsBetween, "[]", "cat", 1, rrChanged, kStageSave, 1, "red [cat] red"},
      {dkPresentation, rmInsToFoot, "End", "", 0, rrNotSupported, kStageApply, 0, nullptr},
      {dkPresentation, rmJustFind, "red", "", 0, rrChanged, kStageApply, 2, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(FileNameOf(c.kind)) + " " + c.find + " mode " + std::to_string(c.mode));
    Prepare(c.kind, c.mode, c.find, c.replace, c.split);
    DeleteFileA(Path("calls.log").c_str());
    EXPECT_EQ(Run(c.kind), c.result);
    EXPECT_EQ(replacer_->Stage, c.stage);
    EXPECT_EQ(replacer_->MatchCount, c.matches);
    EXPECT_EQ(replacer_->FileSize, static_cast<int64_t>(strlen(ContentOf(c.kind))));
    const std::string now = ReadFile(FileNameOf(c.kind));
    if (c.written) EXPECT_NE(now.find(c.written), std::string::npos) << now;
    else EXPECT_EQ(now, ContentOf(c.kind));
    EXPECT_FALSE(PathExists(Path(std::string(FileNameOf(c.kind)) + ".bak")));
    const bool closed = Count("document.close") + Count("workbook.close") + Count("presentation.close") == 1;
    EXPECT_TRUE(closed);
    replacer_.reset();
  }
}

TEST_F(OfficeReplacer, StartsTheServerAtTheFirstDocumentAndKeepsIt) {
  Prepare(dkWordProcessor, rmReplace, "red", "blue");
  EXPECT_EQ(Count("create.word"), 0);
  EXPECT_EQ(Run(dkWordProcessor), rrChanged);
  WriteFile("a.doc", kWordDoc);
  EXPECT_EQ(Run(dkWordProcessor), rrChanged);
  EXPECT_EQ(Count("create.word"), 1);
  EXPECT_EQ(Count("application.quit"), 0);
  replacer_.reset();
  EXPECT_EQ(Count("application.quit"), 1);
}

TEST_F(OfficeReplacer, AServerThatFailsToStartFailsTheRestOfTheRun) {
  Unregister();
  Prepare(dkWordProcessor, rmReplace, "red", "blue");
  EXPECT_EQ(Run(dkWordProcessor), rrFailed);
  EXPECT_EQ(replacer_->Stage, kStageNoServer);
  EXPECT_TRUE(replacer_->ServerFailed);
  Register();
  EXPECT_EQ(Run(dkWordProcessor), rrFailed);
  EXPECT_EQ(replacer_->Stage, kStageNoServer);
  EXPECT_EQ(Count("create.word"), 0);
  EXPECT_EQ(ReadFile("a.doc"), kWordDoc);
}

TEST_F(OfficeReplacer, MissingReadOnlyAndHeldFilesAreNeverOpened) {
  Prepare(dkWordProcessor, rmReplace, "red", "blue");
  EXPECT_EQ(replacer_->ReplaceInFile(Path("gone.doc")), rrFailed);
  EXPECT_EQ(replacer_->Stage, kStageFileTest);
  EXPECT_EQ(replacer_->FileSize, 0);

  SetFileAttributesA(Path("a.doc").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Run(dkWordProcessor), rrProtected);
  EXPECT_EQ(replacer_->Stage, kStageFileTest);
  SetFileAttributesA(Path("a.doc").c_str(), FILE_ATTRIBUTE_NORMAL);
  {
    // Held without sharing, as an editor holds it: the size is still known.
    THandle held(CreateFileA(Path("a.doc").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.Valid());
    EXPECT_EQ(Run(dkWordProcessor), rrProtected);
    EXPECT_EQ(replacer_->FileSize, static_cast<int64_t>(strlen(kWordDoc)));
  }
  EXPECT_EQ(Count("documents.open"), 0);
  EXPECT_EQ(ReadFile("a.doc"), kWordDoc);
}

TEST_F(OfficeReplacer, ProtectedDocumentIsClosedUnsaved) {
  Prepare(dkWordProcessor, rmReplace, "red", "blue");
  const std::string locked = "protection\t2\nmain\tred\n";
  WriteFile("a.doc", locked);
  EXPECT_EQ(Run(dkWordProcessor), rrProtected);
  EXPECT_EQ(replacer_->Stage, kStageProtection);
  EXPECT_EQ(Count("document.close"), 1);
  EXPECT_EQ(ReadFile("a.doc"), locked);
}

TEST_F(OfficeReplacer, BackupHoldsTheUnchangedBytes) {
  Prepare(dkPresentation, rmReplace, "red", "blue", 0, true);
  EXPECT_EQ(Run(dkPresentation), rrChanged);
  EXPECT_EQ(ReadFile("a.ppt.bak"), kDeck);
  EXPECT_NE(ReadFile("a.ppt").find("blue [fox] blue"), std::string::npos);
  EXPECT_LT(LogIndex("presentation.slides"), LogIndex("presentation.saveas"));
}

class TStoppedThread : public TThread {
 public:
  TStoppedThread() { Terminate(); }

 protected:
  void Execute() override {}
};

TEST_F(OfficeReplacer, BackupFailureLeavesTheDocumentUnsaved) {
  // The presentation object does not poll for stops, the backup copy does.
  TThreadOf<TStoppedThread> owner;
  block_ = BuildPatternBlock("red", "blue", {});
  TMSPowerPointReplacer ppt(&owner, true, block_.Handle(), rmReplace, 0);
  WriteFile("a.ppt", kDeck);
  EXPECT_EQ(ppt.ReplaceInFile(Path("a.ppt")), rrFailed);
  EXPECT_EQ(ppt.Stage, kStageBackup);
  EXPECT_EQ(Count("presentation.saveas"), 0);
  EXPECT_EQ(Count("presentation.close"), 1);
  EXPECT_EQ(ReadFile("a.ppt"), kDeck);
  EXPECT_FALSE(PathExists(Path("a.ppt.bak")));
}

TEST_F(OfficeReplacer, UserInstanceKeepsItsDocumentsAndIsNeverQuit) {
  UserDocuments(2);
  Prepare(dkWordProcessor, rmReplace, "red", "blue");
  EXPECT_EQ(Run(dkWordProcessor), rrChanged);
  replacer_.reset();
  EXPECT_EQ(Count("create.word"), 2);
  // The second instance comes after the user's documents were counted.
  const auto log = Log();
  const auto lastCreate = std::find(log.rbegin(), log.rend(), "create.word").base() - log.begin();
  EXPECT_GT(lastCreate, LogIndex("documents.count"));
  EXPECT_EQ(Count("application.quit"), 0);
  EXPECT_NE(ReadFile("a.doc").find("blue body blue"), std::string::npos);
}

struct TErrorCase {
  TDocumentKind kind;
  const char* failing;
  int32_t stage;
};

TEST_F(OfficeReplacer, ServerErrorsFailTheDocumentAndStillClose) {
  static const TErrorCase cases[] = {
      {dkWordProcessor, "documents.open", kStageOpen},
      {dkWordProcessor, "document.protectiontype", kStageProtection},
      {dkWordProcessor, "document.saveas", kStageSave},
      {dkSpreadsheet, "workbook.savecopyas", kStageSave},
      {dkPresentation, "presentation.saveas", kStageSave},
      {dkPresentation, "presentations.count", kStageCountDocuments},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failing);
    FailCalls(c.failing);
    Prepare(c.kind, rmReplace, "red", "blue");
    EXPECT_EQ(Run(c.kind), rrFailed);
    EXPECT_EQ(replacer_->Stage, c.stage);
    EXPECT_EQ(ReadFile(FileNameOf(c.kind)), ContentOf(c.kind));
    replacer_.reset();
  }
  FailCalls("");
}

TEST_F(OfficeReplacer, StopRequestInsideTheFindLoopFailsTheDocument) {
  TThreadOf<TStoppedThread> owner;
  block_ = BuildPatternBlock("red", "blue", {});
  TMSWordReplacer word(&owner, false, block_.Handle(), rmReplace);
  WriteFile("a.doc", kWordDoc);
  EXPECT_EQ(word.ReplaceInFile(Path("a.doc")), rrFailed);
  EXPECT_EQ(word.Stage, kStageApply);
  EXPECT_EQ(Count("document.close"), 1);
  EXPECT_EQ(ReadFile("a.doc"), kWordDoc);
}

struct TBatchRow {
  const char* find;
  const char* replacement;
};

struct TBatchCase {
  TDocumentKind kind;
  TBatchRow rows[2];
  TReplaceResult result;
  const char* written;
};

TEST_F(OfficeReplacer, BatchRowsKeepTheirKindAndTokensAreNeverSentRaw) {
  const std::string no = CaseInsensitiveWord();
  static const TBatchCase cases[] = {
      {dkWordProcessor, {{"red", "blue"}, {"body", "#U#big "}}, rrChanged, "main\tblue big body blue"},
      {dkWordProcessor, {{"#114#ed", "x"}, {"body", "#D#!"}}, rrChanged, "main\tx body! x"},
      {dkWordProcessor, {{"r#?#d", "x"}, {"body", "y"}}, rrNotSupported, nullptr},
      {dkWordProcessor, {{"body", "a^b"}, {"a^b", "ok"}}, rrChanged, "main\tred ok red"},
      {dkSpreadsheet, {{"[fox]", "[cat]"}, {"red", "#U#a "}}, rrChanged, "a red [cat]"},
      {dkSpreadsheet, {{"fox", "#U#big "}, {"hen", "y"}}, rrChanged, "red [big fox]"},
      {dkPresentation, {{"fox", "#D#es"}, {"RED", "x"}}, rrChanged, "x [foxes] x"},
      {dkPresentation, {{"r**d", "x"}, {"fox", "cat"}}, rrChanged, "red [cat] red"},
      {dkPresentation, {{"#*#x", "y"}, {"red", "x"}}, rrNotSupported, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.rows[0].find) + " / " + c.rows[1].find);
    TStringList caseColumn, finds, replacements;
    for (const auto& row : c.rows) {
      caseColumn.Add(no);
      finds.Add(row.find);
      replacements.Add(row.replacement);
    }
    ASSERT_EQ(CheckAndBuildBatchBlock(block_, caseColumn, finds, replacements), -1);
    replacer_ = MakeReplacer(c.kind, block_.Handle(), rmBatch, 0, false);
    replacer_->PairCount = 2;
    WriteFile(FileNameOf(c.kind), ContentOf(c.kind));
    EXPECT_EQ(Run(c.kind), c.result);
    const std::string now = ReadFile(FileNameOf(c.kind));
    if (c.written) EXPECT_NE(now.find(c.written), std::string::npos) << now;
    else EXPECT_EQ(now, ContentOf(c.kind));
    replacer_.reset();
  }
}

struct TKindCase {
  const char* path;
  TDocumentKind kind;
};

TEST(DocumentMasks, RouteByNameIgnoringCase) {
  static const TKindCase cases[] = {
      {"C:\\a\\b.doc", dkWordProcessor}, {"C:\\a\\B.RTF", dkWordProcessor},
      {"C:\\a\\b.mcw", dkWordProcessor}, {"C:\\a\\c.XLS", dkSpreadsheet},
      {"C:\\a\\d.pps", dkPresentation},  {"C:\\a\\d.mht", dkPresentation},
      {"C:\\a\\a.txt", dkPlain},         {"C:\\a.doc\\a.txt", dkPlain},
      {"C:\\a\\b.docx", dkPlain},        {"C:\\a\\x.ppt.xls", dkSpreadsheet},
  };
  TDocumentMaskLists masks;
  for (const auto& c : cases) EXPECT_EQ(masks.GetFileKind(c.path), c.kind) << c.path;
}

}  // namespace
