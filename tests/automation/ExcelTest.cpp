#include <algorithm>

#include "StandinTest.h"
#include "engines/ExcelModule97.h"

namespace {

class ExcelObject : public TStandinTest {
 protected:
  // The replacer's calling order for one workbook.
  void RunReplace(const std::string& file, TReplaceMode mode, const std::wstring& find,
                  const std::wstring& replace, uint32_t flags = 0, int32_t* matches = nullptr,
                  const std::wstring& second = L"", TRunEnd end = TRunEnd::Completes) {
    TExcelObject excel;
    ASSERT_TRUE(excel.ServerStarted);
    excel.SetVisible(false);
    excel.Mode = mode;
    if (excel.WorkbookCount() != 0) {
      excel.Disconnect(false);
      excel.Connect();
    }
    RunExpecting(end, [&] {
      excel.OpenWorkbook(Path(file));
      excel.ReplaceInWorkbook(find, second, replace, flags);
      if (excel.MatchCount != 0 && mode != rmJustFind) excel.SaveWorkbookCopy(Path(file));
    });
    excel.CloseWorkbook();
    if (matches) *matches = excel.MatchCount;
  }
};

const char kBook[] =
    "sheet\tOne\t0\n"
    "cell\t1\t1\ts\tred fox\n"
    "cell\t2\t1\ts\tblue\n"
    "cell\t2\t2\ts\tthe red cats\n"
    "cell\t3\t1\tf\tred\tred\t=A9\n"
    "sheet\tLocked\t1\n"
    "cell\t1\t1\ts\tred\n"
    "sheet\tThree\t0\n"
    "cell\t4\t4\tn\t12\n";

TEST_F(ExcelObject, ReplacesOnEverySheetButProtectedOnes) {
  WriteFile("a.xls", kBook);
  int32_t matches = 0;
  RunReplace("a.xls", rmReplace, L"red", L"green", 0, &matches);
  const std::string out = ReadFile("a.xls");
  EXPECT_NE(out.find("cell\t1\t1\ts\tgreen fox"), std::string::npos) << out;
  EXPECT_NE(out.find("cell\t2\t2\ts\tthe green cats"), std::string::npos);
  EXPECT_NE(out.find("sheet\tLocked\t1\ncell\t1\t1\ts\tred\t"), std::string::npos);
  EXPECT_EQ(matches, 2);
  EXPECT_EQ(Count("workbook.savecopyas"), 1);
  EXPECT_EQ(Count("workbook.close"), 1);
  EXPECT_NE(LogIndex("application.quit"), -1);
}

struct TCellCase {
  TReplaceMode mode;
  const wchar_t* find;
  const wchar_t* second;
  const wchar_t* replace;
  uint32_t flags;
  const char* cell;      // the text of cell (2, 2) before
  const char* expected;  // and after
};

TEST_F(ExcelObject, AppliesEveryModeInsideCells) {
  static const TCellCase cases[] = {
      {rmInsBetween, L"[", L"]", L"x", 0, "a [b] c []", "a [x] c [x]"},
      {rmDelete, L"red", L"", L"", 0, "red and Red", " and "},
      {rmInsAfter, L"red", L"", L"!", 0, "red", "red!"},
      {rmInsBefore, L"red", L"", L"!", 0, "red", "!red"},
      {rmReplace, L"red", L"", L"x", wfMatchCase, "Red red", "Red x"},
      {rmReplace, L"r?d", L"", L"x", 0, "rod rid", "x x"},
  };
  for (const auto& c : cases) {
    WriteFile("a.xls", std::string("sheet\tOne\t0\ncell\t2\t2\ts\t") + c.cell + "\n");
    RunReplace("a.xls", c.mode, c.find, c.replace, c.flags, nullptr, c.second);
    EXPECT_NE(ReadFile("a.xls").find(std::string("cell\t2\t2\ts\t") + c.expected + "\t"),
              std::string::npos)
        << c.cell << " -> " << ReadFile("a.xls");
  }
}

TEST_F(ExcelObject, LeavesFormulasAndUnchangedCellsAlone) {
  WriteFile("a.xls", kBook);
  RunReplace("a.xls", rmReplace, L"red", L"green", wfWholeWord);
  const std::string out = ReadFile("a.xls");
  EXPECT_NE(out.find("cell\t3\t1\tf\tred\tred\t=A9"), std::string::npos) << out;
  // Only the two cells whose text really changed are written.
  EXPECT_EQ(Count("range.formular1c1='green fox"), 1);
  EXPECT_EQ(Count("range.formular1c1='the green cats"), 1);
  auto log = Log();
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& l) { return l.rfind("range.formular1c1=", 0) == 0; }),
            2);
}

TEST_F(ExcelObject, TextCellsStayTextNumbersStayNumbers) {
  static const struct {
    const char* cell;  // kind, value and shown text of cell (2, 2)
    const wchar_t* find;
    const wchar_t* replace;
    const char* expected;  // its kind, value and shown text after
  } cases[] = {
      {"s\tx00123\t", L"x", L"", "s\t00123\t00123"},
      {"s\tx=1+1\t", L"x", L"", "s\t=1+1\t=1+1"},
      {"n\t123\t123", L"12", L"45", "n\t453\t453"},
  };
  for (const auto& c : cases) {
    WriteFile("a.xls", std::string("sheet\tOne\t0\ncell\t2\t2\t") + c.cell + "\n");
    RunReplace("a.xls", rmReplace, c.find, c.replace);
    EXPECT_NE(ReadFile("a.xls").find(std::string("cell\t2\t2\t") + c.expected + "\t"),
              std::string::npos)
        << c.cell << " -> " << ReadFile("a.xls");
  }
}

TEST_F(ExcelObject, WholeWordMissWritesNothingAndSavesNothing) {
  WriteFile("a.xls", "sheet\tOne\t0\ncell\t2\t2\ts\tcats\n");
  int32_t matches = 5;
  RunReplace("a.xls", rmReplace, L"cat", L"dog", wfWholeWord, &matches);
  EXPECT_EQ(matches, 0);
  EXPECT_EQ(LogIndex("range.formular1c1=cats"), -1);
  EXPECT_EQ(Count("workbook.savecopyas"), 0);
  EXPECT_EQ(Count("workbook.close"), 1);
}

TEST_F(ExcelObject, JustFindCountsAndNeverSaves) {
  WriteFile("a.xls", kBook);
  int32_t matches = 0;
  RunReplace("a.xls", rmJustFind, L"red", L"x", 0, &matches);
  EXPECT_EQ(matches, 3);  // the formula's shown value counts too
  EXPECT_EQ(ReadFile("a.xls"), kBook);
  EXPECT_EQ(Count("workbook.savecopyas"), 0);
  EXPECT_EQ(Count("workbook.close"), 1);
}

TEST_F(ExcelObject, FirstCellIsHandledLast) {
  WriteFile("a.xls", "sheet\tOne\t0\ncell\t1\t1\ts\tab1\ncell\t5\t2\ts\tab2\n");
  RunReplace("a.xls", rmReplace, L"ab", L"x");
  const int first = LogIndex("range.formular1c1='x1"), later = LogIndex("range.formular1c1='x2");
  ASSERT_NE(first, -1);
  EXPECT_LT(later, first);
  EXPECT_NE(later, -1);
  EXPECT_NE(ReadFile("a.xls").find("cell\t1\t1\ts\tx1\t"), std::string::npos);
}

TEST_F(ExcelObject, ClosesEvenWhenSavingFails) {
  WriteFile("a.xls", kBook);
  FailCalls("workbook.savecopyas");
  RunReplace("a.xls", rmReplace, L"red", L"green", 0, nullptr, L"", TRunEnd::OleError);
  EXPECT_EQ(ReadFile("a.xls"), kBook);
  EXPECT_EQ(Count("workbook.close"), 1);
}

TEST_F(ExcelObject, LeavesAUsersInstanceRunning) {
  WriteFile("a.xls", kBook);
  UserDocuments(2);
  RunReplace("a.xls", rmReplace, L"red", L"green");
  EXPECT_EQ(LogIndex("application.quit"), -1);
  EXPECT_EQ(Count("workbook.close"), 1);
}

TEST_F(ExcelObject, FailsCleanlyWithoutServer) {
  Unregister();
  TExcelObject excel;
  EXPECT_FALSE(excel.ServerStarted);
  EXPECT_TRUE(excel.ServerObject.IsEmpty());
  EXPECT_THROW(excel.OpenWorkbook(Path("a.xls")), EOleError);
  EXPECT_THROW(excel.WorkbookCount(), EOleError);
  excel.CloseWorkbook();
  Register();
}

TEST_F(ExcelObject, ReadsTableRows) {
  WriteFile("t.xls",
            "sheet\tT\t0\n"
            "cell\t1\t1\ts\tfind\t\t\tTimes\t1\t0\t12\t255\t2\t65535\n"
            "cell\t1\t2\ts\trepl\n"
            "cell\t1\t3\ts\t-C\n"
            "cell\t2\t1\tn\t1.5\t1.50\n"
            "cell\t2\t3\ts\tCW\n"
            "cell\t3\t1\tb\t1\n");
  TExcelObject excel;
  excel.SetVisible(false);
  excel.OpenWorkbook(Path("t.xls"));
  excel.ResetRow();
  std::wstring find, repl;
  TCellFormat ff, rf;
  ASSERT_TRUE(excel.ReadTableRow(find, repl, ff, rf));
  EXPECT_EQ(find, L"find");
  EXPECT_EQ(repl, L"repl");
  EXPECT_EQ(ff.FontName, L"Times");
  EXPECT_EQ(ff.Bold, -1);
  EXPECT_EQ(ff.Size, 12);
  EXPECT_EQ(ff.FontColor, 255);
  EXPECT_EQ(ff.Underline, 2);
  EXPECT_EQ(ff.BackColor, 65535);
  EXPECT_EQ(ff.MatchCase, 0);
  EXPECT_EQ(ff.WholeWord, -1);
  EXPECT_EQ(ff.Wildcards, -1);
  ASSERT_TRUE(excel.ReadTableRow(find, repl, ff, rf));
  EXPECT_EQ(find, L"1.50");  // the displayed text, not the stored value
  EXPECT_EQ(repl, L"");
  EXPECT_EQ(ff.MatchCase, 1);
  EXPECT_EQ(ff.WholeWord, 1);
  EXPECT_FALSE(excel.ReadTableRow(find, repl, ff, rf));  // a boolean ends the table
  EXPECT_EQ(excel.TableRow, 3);
}

TEST_F(ExcelObject, EmptyFirstCellEndsTheTable) {
  WriteFile("t.xls", "sheet\tT\t0\ncell\t1\t2\ts\trepl\ncell\t2\t1\ts\tlater\n");
  TExcelObject excel;
  excel.OpenWorkbook(Path("t.xls"));
  std::wstring find = L"x", repl = L"y";
  TCellFormat ff, rf;
  EXPECT_FALSE(excel.ReadTableRow(find, repl, ff, rf));
  EXPECT_EQ(find, L"");
  EXPECT_EQ(excel.TableRow, 1);
}

}  // namespace
