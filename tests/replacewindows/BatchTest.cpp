// The batch replacer window: its table edited, loaded and saved through the
// real dialogs, its start checks and runs, the language switch and its
// settings.
#include "ReplaceWindowsTest.h"

#include "core/ToolRegistry.h"
#include "core/translator.h"
#include "engines/BatchReplacer_utils.h"
#include "support/BoxWatch.h"
#include "support/Screenshot.h"
#include "windows/Startup.h"

namespace {

using TRows = std::vector<std::vector<std::string>>;

void SetBox(TComboBox& box, const std::string& text) {
  box.SetText("");
  TypeText(box.Handle(), text);
}

std::pair<int, int> EditSelection(const TComboBox& box) {
  DWORD from = 0, to = 0;
  SendMessageA(box.Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  return {static_cast<int>(from), static_cast<int>(to)};
}

// Answers the next file dialog of this thread: its folder and proposed name
// are kept, the name typed in and OK pressed. A message box after it is
// kept and closed with OK.
class TDialogAnswer {
 public:
  explicit TDialogAnswer(std::string name) : name_(std::move(name)) {
    timer_.Interval = 30;
    timer_.OnTimer = [this] {
      HWND d = OpenMessageBox();
      if (!d || d == answered_) return;
      HWND edit = GetDlgItem(d, edt1) ? GetDlgItem(d, edt1) : GetDlgItem(d, cmb13);
      answered_ = d;
      if (!edit) {
        Boxes.push_back(BoxText(d));
        PostMessageA(d, WM_COMMAND, IDOK, 0);
        return;
      }
      char text[MAX_PATH] = "", folder[MAX_PATH] = "";
      GetWindowTextA(edit, text, sizeof text);
      Proposed = text;
      if (SendMessageA(d, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder)) > 0) Folder = folder;
      SetWindowTextA(edit, name_.c_str());
      PostMessageA(d, WM_COMMAND, IDOK, 0);
    };
    timer_.SetEnabled(true);
  }
  std::string Proposed, Folder;
  std::vector<std::string> Boxes;

 private:
  std::string name_;
  HWND answered_ = nullptr;
  TTimer timer_;
};

}  // namespace

TEST_F(ReplaceWindows, TableRowsAreCheckedAddedModifiedAndDeleted) {
  SwitchMode('5');
  TBatchReplacerForm& b = Batch();
  ASSERT_TRUE(b.Showing());
  {
    TBoxWatch watch;
    SetBox(*b.cmbFindString, "#65");
    Click(*b.btnAdd);
    ASSERT_EQ(watch.Boxes.size(), 1u);
    EXPECT_EQ(watch.Boxes[0].Text, Tx(219));
    EXPECT_EQ(watch.Boxes[0].Caption, Application().Title);
    EXPECT_TRUE(PumpUntil([&] { return b.cmbFindString->Focused(); }));
    EXPECT_EQ(EditSelection(*b.cmbFindString), std::make_pair(2, 3));
    EXPECT_EQ(b.RowsInTable, 0);
    SetBox(*b.cmbFindString, "");
    Click(*b.btnAdd);
    ASSERT_EQ(watch.Boxes.size(), 2u);
    EXPECT_EQ(watch.Boxes[1].Text, Tx(226));
  }
  // Enter walks from the find box to the replacement and on to Add.
  Click(*b.chkCaseSensitive);
  b.cmbFindString->SetFocus();
  TypeText(b.cmbFindString->Handle(), "foo");
  PressKey(GetFocus(), VK_RETURN);
  EXPECT_TRUE(b.cmbReplaceString->Focused());
  TypeText(b.cmbReplaceString->Handle(), "bar");
  PressKey(GetFocus(), VK_RETURN);
  EXPECT_TRUE(b.btnAdd->Focused());
  PressKey(b.btnAdd->Handle(), VK_RETURN);
  SetBox(*b.cmbFindString, "x");
  SetBox(*b.cmbReplaceString, "y");
  Click(*b.chkCaseSensitive);
  Click(*b.btnAdd);
  EXPECT_EQ(GridRows(*b.sgBatch, 0), (TRows{{"Case sensitive", "Find this", "Replace with"},
                                            {"Sensitive", "foo", "bar"},
                                            {"Insensitive", "x", "y"}}));
  EXPECT_TRUE(b.btnDelete->Enabled());
  EXPECT_TRUE(b.btnSave->Enabled());
  EXPECT_TRUE(SaveWindowShot(b.Handle(), ShotPath("replacewindows_batch.bmp")));
  // A click on a row fills the boxes; Modify rewrites it.
  b.sgBatch->SetFocus();
  b.sgBatch->MoveToCell(1, 1);
  Pump(20);
  EXPECT_EQ(b.cmbFindString->Text(), "foo");
  EXPECT_TRUE(b.chkCaseSensitive->Checked());
  ASSERT_TRUE(b.btnModify->Enabled());
  SetBox(*b.cmbReplaceString, "baz");
  Click(*b.chkCaseSensitive);
  Click(*b.btnModify);
  EXPECT_EQ(b.sgBatch->Rows(1), (std::vector<std::string>{"Insensitive", "foo", "baz"}));
  EXPECT_EQ(b.cmbFindString->Text(), "");
  EXPECT_FALSE(b.btnModify->Enabled());
  // Delete in the grid deletes the current row and keeps the focus there.
  b.sgBatch->SetFocus();
  b.sgBatch->MoveToCell(0, 1);
  PressKey(b.sgBatch->Handle(), VK_DELETE);
  EXPECT_TRUE(b.sgBatch->Focused());
  EXPECT_EQ(GridRows(*b.sgBatch, 1), (TRows{{"Insensitive", "x", "y"}}));
  Click(*b.btnDelete);
  EXPECT_EQ(b.RowsInTable, 0);
  EXPECT_EQ(GridRows(*b.sgBatch, 1), (TRows{{"", "", ""}}));
  EXPECT_FALSE(b.btnDelete->Enabled());
  EXPECT_FALSE(b.btnSave->Enabled());
  EXPECT_FALSE(b.btnStartOperation->Enabled());
  EXPECT_FALSE(b.sgBatch->Enabled());
  // The start routine itself, as the main window's Start runs it.
  ASSERT_TRUE(WriteTestFile(data_ / "a.txt", "foo"));
  pane_->Mark({"a.txt"});
  TBoxWatch watch;
  StartToolOperation(ModeBatchReplacer);
  ASSERT_EQ(watch.Boxes.size(), 1u);
  EXPECT_EQ(watch.Boxes[0].Text, "No data in Grid");
  EXPECT_EQ(ToolBusy, 0u);
  EXPECT_EQ(PluginStructure.TextBlock, nullptr);
}

TEST_F(ReplaceWindows, TablesLoadAndSaveThroughTheDialogs) {
  TTempFolder tables;
  TStringList cases, finds, replacements;
  for (const char* row : {"one", "two"}) {
    cases.Add("Sensitive");
    finds.Add(row);
    replacements.Add(std::string(row) + "!");
  }
  ASSERT_TRUE(SaveBatchTable(tables / "words.rtbl", cases, finds, replacements));
  ASSERT_TRUE(WriteTestFile(tables / "bad.rtbl", "a=b\r\nc=d=e"));
  ASSERT_TRUE(WriteTestFile(tables / "sheet.csv", "sheet\tT\t0\ncell\t1\t1\ts\tRed\ncell\t1\t2\ts\tgreen\n"));
  SwitchMode('5');
  TBatchReplacerForm& b = Batch();
  {
    TDialogAnswer answer(tables / "words.rtbl");
    Click(*b.btnLoad);
  }
  const TRows loaded{{"Sensitive", "one", "one!"}, {"Sensitive", "two", "two!"}};
  EXPECT_EQ(GridRows(*b.sgBatch, 1), loaded);
  EXPECT_EQ(b.LastTablePath, tables / "words.rtbl");
  {
    TDialogAnswer answer(tables / "bad.rtbl");
    Click(*b.btnLoad);
    EXPECT_EQ(answer.Boxes, (std::vector<std::string>{"Error load table!"}));
  }
  EXPECT_EQ(GridRows(*b.sgBatch, 1), loaded);
  {
    TDialogAnswer answer(tables / "copy.rtbl");
    Click(*b.btnSave);
    EXPECT_EQ(answer.Proposed, "words.rtbl");
    EXPECT_EQ(lstrcmpiA((answer.Folder + "\\").c_str(), (tables.Path() + "\\").c_str()), 0) << answer.Folder;
  }
  {
    TDialogAnswer answer(tables / "copy.rtbl");
    Click(*b.btnLoad);
  }
  EXPECT_EQ(GridRows(*b.sgBatch, 1), loaded);
  TStandin standin;
  {
    TDialogAnswer answer(tables / "sheet.csv");
    Click(*b.btnLoad);
  }
  EXPECT_EQ(GridRows(*b.sgBatch, 1), (TRows{{"Insensitive", "Red", "green"}}));
}

TEST_F(ReplaceWindows, ABadRowAtStartIsShownAndTheWalkEnds) {
  ASSERT_TRUE(WriteTestFile(data_ / "a.txt", "foo"));
  SwitchMode('5');
  TBatchReplacerForm& b = Batch();
  // A row the table's own checks would refuse, as a hand-edited file may hold.
  b.RowsInTable = 2;
  b.sgBatch->SetRowCount(3);
  b.sgBatch->SetRows(1, {"Insensitive", "foo", "bar"});
  b.sgBatch->SetRows(2, {"Insensitive", "#65", "ok"});
  pane_->Mark({"a.txt"});
  ASSERT_TRUE(b.btnStartOperation->Enabled());
  {
    TBoxWatch watch;
    Click(*b.btnStartOperation);
    ASSERT_EQ(watch.Boxes.size(), 1u);
    EXPECT_EQ(watch.Boxes[0].Text, Tx(219));
  }
  EXPECT_EQ(b.sgBatch->Row(), 2);
  EXPECT_EQ(b.cmbFindString->Text(), "#65");
  // The activation comes back from a closed box through the window manager.
  EXPECT_TRUE(PumpUntil([&] { return b.cmbFindString->Focused(); }));
  EXPECT_EQ(EditSelection(*b.cmbFindString), std::make_pair(2, 3));
  EXPECT_EQ(ReadTestFile(data_ / "a.txt"), "foo");
  EXPECT_EQ(ToolBusy, 0u);
  EXPECT_EQ(PluginStructure.TextBlock, nullptr);
  EXPECT_EQ(pane_->OwnList().Busy, 0);
  // The same pane runs the replacer next.
  SwitchMode('4');
  TReplacerForm& r = Replacer();
  r.memFind->SetText("foo");
  r.mmReplace->SetText("baz");
  pane_->Mark({"a.txt"});
  TViewerSeen seen;
  ASSERT_TRUE(RunViewer(*r.btnStartOperation, seen));
  EXPECT_EQ(ReadTestFile(data_ / "a.txt"), "baz");
}

// The thread may free the table's block and keep one of its own per file;
// the window frees only what the thread holds at its end.
TEST_F(ReplaceWindows, FileTokensGiveEachFileItsNameAndLeaveNoBlock) {
  for (const char* n : {"one.txt", "two.txt", "three.txt"}) ASSERT_TRUE(WriteTestFile(data_ / n, "[x]"));
  SwitchMode('5');
  TBatchReplacerForm& b = Batch();
  SetBox(*b.cmbFindString, "x");
  SetBox(*b.cmbReplaceString, "#FN#");
  Click(*b.btnAdd);
  if (b.chkbcopy->Checked()) Click(*b.chkbcopy);
  auto run = [&] {
    pane_->Mark({"one.txt", "two.txt", "three.txt"});
    TViewerSeen seen;
    EXPECT_TRUE(RunViewer(*b.btnStartOperation, seen));
    return seen;
  };
  run();
  for (const char* n : {"one", "two", "three"}) EXPECT_EQ(ReadTestFile(data_ / (std::string(n) + ".txt")), "[" + std::string(n) + "]");
  const long heap = CountHeapBlocks();
  for (int i = 0; i < 50; ++i) run();
  EXPECT_LE(CountHeapBlocks(), heap);
}

// Rows made in one language keep their case after a switch to another.
TEST_F(ReplaceWindows, ALanguageSwitchKeepsSensitiveRowsSensitive) {
  ASSERT_TRUE(WriteTestFile(data_ / "a.txt", "Foo foo"));
  SwitchMode('5');
  TBatchReplacerForm& b = Batch();
  SetBox(*b.cmbFindString, "foo");
  SetBox(*b.cmbReplaceString, "bar");
  Click(*b.chkCaseSensitive);
  Click(*b.btnAdd);
  ASSERT_TRUE(WriteTestFile(settings_ / "test.lng", "217=Empfindlich\r\n218=Unempfindlich\r\n"));
  ASSERT_TRUE(Translator().LoadFromFile(settings_ / "test.lng"));
  Application().LanguageChanged();
  EXPECT_EQ(b.sgBatch->Cells(0, 1), "Empfindlich");
  if (b.chkbcopy->Checked()) Click(*b.chkbcopy);
  pane_->Mark({"a.txt"});
  TViewerSeen seen;
  ASSERT_TRUE(RunViewer(*b.btnStartOperation, seen));
  EXPECT_EQ(ReadTestFile(data_ / "a.txt"), "Foo bar");
  {
    TDialogAnswer answer(settings_ / "t.rtbl");
    Click(*b.btnSave);
  }
  TStringList c, f, r;
  ASSERT_TRUE(LoadBatchTable(settings_ / "t.rtbl", c, f, r));
  ASSERT_EQ(c.Count(), 1u);
  EXPECT_EQ(c[0], "Empfindlich");
  // A broken pair of words leaves the built-in ones.
  ASSERT_TRUE(WriteTestFile(settings_ / "broken.lng", "217=Same\r\n218=Same\r\n"));
  ASSERT_TRUE(Translator().LoadFromFile(settings_ / "broken.lng"));
  Application().LanguageChanged();
  EXPECT_EQ(b.sgBatch->Cells(0, 1), "Sensitive");
  EXPECT_EQ(CaseInsensitiveWord(), "Insensitive");
}

TEST_F(ReplaceWindows, BatchSettingsRoundTripThroughTheSettingsFile) {
  SwitchMode('5');
  TBatchReplacerForm& b = Batch();
  SetBox(*b.cmbFindString, "first");
  b.cmbFindString->AddToHistory();
  SetBox(*b.cmbFindString, "second");
  SetBox(*b.cmbReplaceString, "with");
  b.LastTablePath = "C:\\tables\\words.rtbl";
  SaveToolSettings();
  const std::string ini = ReadTestFile(Ini());
  EXPECT_NE(ini.find("[Batch Replacer]"), std::string::npos);
  EXPECT_NE(ini.find("InitialDir=C:\\tables\\"), std::string::npos) << ini;
  b.cmbFindString->Items.Clear();
  b.cmbReplaceString->Items.Clear();
  b.LastTablePath.clear();
  LoadToolSettings();
  EXPECT_EQ(b.cmbFindString->Items.ToVector(), (std::vector<std::string>{"second", "first"}));
  EXPECT_EQ(b.cmbReplaceString->Items.ToVector(), (std::vector<std::string>{"with"}));
  EXPECT_EQ(b.LastTablePath, "C:\\tables\\");
  EXPECT_EQ(b.dlgOpen.InitialDir, "C:\\tables\\");
}
