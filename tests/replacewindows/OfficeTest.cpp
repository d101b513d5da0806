// An office document whose server fails to open it, as the viewer tells it.
#include "ReplaceWindowsTest.h"

TEST_F(ReplaceWindows, AnOfficeDocumentThatFailsToOpenShowsItsStage) {
  TStandin standin;
  TStandin::FailCalls("documents.open");
  ASSERT_TRUE(WriteTestFile(data_ / "a.doc", "protection\t-1\nmain\tred body red\n"));
  ASSERT_TRUE(WriteTestFile(data_ / "b.txt", "red"));
  SwitchMode('4');
  TReplacerForm& r = Replacer();
  r.memFind->SetText("red");
  r.mmReplace->SetText("blue");
  pane_->Mark({"a.doc", "b.txt"});
  TViewerSeen seen;
  const bool ran = RunViewer(*r.btnStartOperation, seen);
  TStandin::FailCalls("");
  ASSERT_TRUE(ran);
  ASSERT_EQ(seen.Rows.size(), 2u);
  EXPECT_EQ(seen.Rows[0], (std::vector<std::string>{data_ / "a.doc", "?", "?", "?", "?", "failed_4\x01"}));
  EXPECT_EQ(seen.Rows[1].back(), "successful\x02");
  EXPECT_EQ(seen.Summary[4][1], "1");
  EXPECT_EQ(seen.Summary[3][1], "1");
}
