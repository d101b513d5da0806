#include <thread>

#include "StandinTest.h"
#include "engines/BatchReplacer_utils.h"
#include "engines/ExcelModule97.h"

namespace {

struct TTable {
  TStringList caseColumn, finds, replacements;
  bool Load(const std::string& path) { return LoadBatchTable(path, caseColumn, finds, replacements); }
  bool Empty() const { return caseColumn.Count() + finds.Count() + replacements.Count() == 0; }
};

using BatchSheet = TStandinTest;

// The stand-in reads its own workbook text whatever the file's extension.
const char kTable[] =
    "sheet\tT\t0\n"
    "cell\t1\t1\ts\tRed\n"
    "cell\t1\t2\ts\tgreen\n"
    "cell\t1\t3\ts\tC\n"
    "cell\t2\t1\tn\t7\t007\n"
    "cell\t2\t3\ts\t-C\n"
    "cell\t3\t1\ts\ta#65#\n"
    "cell\t3\t2\tn\t2.5\t2.50\n"
    "cell\t3\t3\ts\tW\n"
    "cell\t5\t1\ts\tafter the gap\n";

TEST_F(BatchSheet, SpreadsheetAndCommaFilesLoadThroughTheServer) {
  struct {
    const char* name;
  } const cases[] = {{"t.xls"}, {"T.CSV"}, {"t.csv"}};
  for (const auto& c : cases) {
    WriteFile(c.name, kTable);
    TTable t;
    ASSERT_TRUE(t.Load(Path(c.name))) << c.name;
    ASSERT_EQ(t.finds.Count(), 3u);
    const char* const finds[] = {"Red", "007", "a#65#"};
    const char* const replacements[] = {"green", "", "2.50"};
    const std::string cases3[] = {CaseSensitiveWord(), CaseInsensitiveWord(), CaseInsensitiveWord()};
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(t.finds[i], finds[i]) << c.name << " row " << i;
      EXPECT_EQ(t.replacements[i], replacements[i]) << c.name << " row " << i;
      EXPECT_EQ(t.caseColumn[i], cases3[i]) << c.name << " row " << i;
    }
  }
}

TEST_F(BatchSheet, ServerIsHiddenAndLetGoOfAfterTheLoad) {
  WriteFile("t.xls", kTable);
  TTable t;
  ASSERT_TRUE(t.Load(Path("t.xls")));
  const int visible = LogIndex("application.visible=0"), add = LogIndex("workbooks.add");
  ASSERT_NE(visible, -1);
  EXPECT_LT(visible, add);
  const int close = LogIndex("workbook.close");
  EXPECT_LT(add, close);
  EXPECT_LT(close, LogIndex("application.quit"));
  EXPECT_EQ(ReadFile("t.xls"), kTable);
}

TEST_F(BatchSheet, FailuresLeaveNoLists) {
  struct {
    const char* content;
    const char* failCalls;
    bool closes;  // the workbook was opened, so it must be closed again
  } const cases[] = {
      {"sheet\tT\t0\ncell\t1\t2\ts\trepl\n", "", true},  // empty first cell: no rows
      {kTable, "font.color", true},                      // a read fails on the way
      {kTable, "workbooks.add", false},                  // the file does not open
      {"", "", false},                                   // unreadable workbook
  };
  for (const auto& c : cases) {
    WriteFile("t.xls", c.content);
    WriteFile("calls.log", "");
    FailCalls(c.failCalls);
    TTable t;
    EXPECT_FALSE(t.Load(Path("t.xls"))) << c.failCalls;
    EXPECT_TRUE(t.Empty());
    EXPECT_EQ(LogIndex("workbook.close") != -1, c.closes) << c.failCalls;
    EXPECT_NE(LogIndex("application.quit"), -1) << c.failCalls;
  }
}

TEST_F(BatchSheet, NoServerInstalledFailsCleanly) {
  WriteFile("t.xls", kTable);
  Unregister();
  TTable t;
  EXPECT_FALSE(t.Load(Path("t.xls")));
  EXPECT_TRUE(t.Empty());
  Register();
}

TEST_F(BatchSheet, LoadsOnAThreadWithoutCom) {
  WriteFile("t.xls", kTable);
  TTable t;
  bool ok = false;
  std::thread([&] { ok = t.Load(Path("t.xls")); }).join();
  EXPECT_TRUE(ok);
  EXPECT_EQ(t.finds.Count(), 3u);
}

}  // namespace
