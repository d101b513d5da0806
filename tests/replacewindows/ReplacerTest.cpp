// The replacer window docked in the main window, run over the test pane's
// marks, with its results read from the viewer and from the disk.
#include "ReplaceWindowsTest.h"

#include "core/translator.h"
#include "support/Screenshot.h"
#include "support/TextFit.h"
#include "support/WindowTour.h"

namespace {

using TRows = std::vector<std::vector<std::string>>;

void SetMemo(TEdit& memo, const std::string& text) {
  memo.SetText("");
  TypeText(memo.Handle(), text);
}

FILETIME WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d);
  return d.ftLastWriteTime;
}

}  // namespace

TEST_F(ReplaceWindows, ReplaceWithBackupShowsWhatIsOnDiskAndFiltersByOutcome) {
  ASSERT_TRUE(WriteTestFile(data_ / "a.txt", "xxfooxxxxx"));
  ASSERT_TRUE(WriteTestFile(data_ / "a.txt.bak", "old"));
  ASSERT_TRUE(WriteTestFile(data_ / "b.txt", "hello"));
  ASSERT_TRUE(WriteTestFile(data_ / "c.txt", "foo"));
  SwitchMode('4');
  TReplacerForm& r = Replacer();
  ASSERT_TRUE(r.Showing());
  EXPECT_TRUE(SaveWindowShot(r.Handle(), ShotPath("replacewindows_replacer.bmp")));
  SetMemo(*r.memFind, "foo");
  SetMemo(*r.mmReplace, "barbar");
  pane_->Mark({"a.txt", "b.txt", "c.txt"});
  data_.Remove("c.txt");
  ASSERT_TRUE(r.btnStartOperation->Enabled());
  TViewerSeen seen;
  TRows unchanged, failed, successful, all;
  RECT shrunk{};
  ASSERT_TRUE(RunViewer(*r.btnStartOperation, seen, [&](TViewRenReplacer& v) {
    EXPECT_TRUE(SaveWindowShot(v.Handle(), ShotPath("replacewindows_viewer.bmp")));
    ExpectTextsFit(v, "the replace results");
    Click(*v.rbUnchanged);
    unchanged = GridRows(*v.sgInfo, 1);
    EXPECT_TRUE(SaveWindowShot(v.Handle(), ShotPath("replacewindows_viewer_filter.bmp")));
    Click(*v.rbFailed);
    failed = GridRows(*v.sgInfo, 1);
    Click(*v.rbSuccess);
    successful = GridRows(*v.sgInfo, 1);
    Click(*v.rbAll);
    all = GridRows(*v.sgInfo, 1);
    // Made smaller than its least size, as a drag would, it stays at that size.
    MoveWindow(v.Handle(), 10, 10, 300, 220, TRUE);
    Pump(30);
    shrunk = v.BoundsRect();
  }));
  EXPECT_EQ(shrunk.right - shrunk.left, 600);
  EXPECT_EQ(shrunk.bottom - shrunk.top, 400);
  EXPECT_EQ(ReadTestFile(data_ / "a.txt"), "xxbarbarxxxxx");
  EXPECT_EQ(ReadTestFile(data_ / "a.txt.bak"), "old");
  EXPECT_EQ(ReadTestFile(data_ / "a.txt.bak0"), "xxfooxxxxx");
  EXPECT_EQ(ReadTestFile(data_ / "b.txt"), "hello");
  EXPECT_EQ(data_.Names(), (std::vector<std::string>{"a.txt", "a.txt.bak", "a.txt.bak0", "b.txt"}));
  const std::vector<std::string> a{data_ / "a.txt", "10", "13", "3", "1", "successful\x02"};
  const std::vector<std::string> b{data_ / "b.txt", "5", "5", "0", "0", "unchanged"};
  const std::vector<std::string> c{data_ / "c.txt", "?", "?", "?", "?", "not found"};
  EXPECT_EQ(seen.Rows, (TRows{a, b, c}));
  EXPECT_EQ(seen.Summary, (TRows{{"", "Number of files", "Size before", "Size after", "Changed size"},
                                 {"All files", "3", "15", "18", "3"},
                                 {"All unchanged", "1", "5", "5", "0"},
                                 {"All successful", "1", "10", "13", "3"},
                                 {"All failed", "1", "---", "---", "---"}}));
  EXPECT_EQ(seen.Status, "Operation completed!");
  EXPECT_EQ(seen.Caption, "Find and Replace string");
  // A not-found file counts as failed but shows among the unchanged.
  EXPECT_EQ(unchanged, (TRows{b, c}));
  EXPECT_EQ(failed, (TRows{{"", "", "", "", "", ""}}));
  EXPECT_EQ(successful, (TRows{a}));
  EXPECT_EQ(all, (TRows{a, b, c}));
  EXPECT_FALSE(pane_->Marked("a.txt"));
  EXPECT_EQ(ToolBusy, 0u);
  EXPECT_EQ(PluginStructure.TextBlock, nullptr);
}

TEST_F(ReplaceWindows, JustFindChangesNothingAndShowsTheMatchingFiles) {
  ASSERT_TRUE(WriteTestFile(data_ / "a.txt", "a foo b"));
  ASSERT_TRUE(WriteTestFile(data_ / "b.txt", "nothing"));
  const FILETIME before = WriteTime(data_ / "a.txt");
  Sleep(20);
  SwitchMode('4');
  TReplacerForm& r = Replacer();
  Click(*r.rbJustFind);
  SetMemo(*r.memFind, "foo");
  pane_->Mark({"a.txt", "b.txt"});
  TViewerSeen seen;
  ASSERT_TRUE(RunViewer(*r.btnStartOperation, seen));
  EXPECT_EQ(seen.Caption, "Find and Replace string" + Tx(8));
  ASSERT_EQ(seen.Rows.size(), 2u);
  EXPECT_EQ(seen.Rows[0].back(), "successful\x02");
  EXPECT_EQ(seen.Rows[0][4], "1");
  EXPECT_EQ(seen.Rows[1].back(), "unchanged");
  EXPECT_EQ(ReadTestFile(data_ / "a.txt"), "a foo b");
  const FILETIME after = WriteTime(data_ / "a.txt");
  EXPECT_EQ(CompareFileTime(&before, &after), 0);
  EXPECT_EQ(data_.Names(), (std::vector<std::string>{"a.txt", "b.txt"}));
}

// Each action as the window builds it from its controls, over one file.
TEST_F(ReplaceWindows, ActionsAndCharsetReachTheFilesAsChosen) {
  struct TCase {
    const char* action;
    const char* find;
    const char* replacement;
    const char* ending;
    bool dos;
    const char* before;
    const char* after;
  };
  static const TCase cases[] = {
      {"between", "<a>", "X", "</a>", false, "<a>old</a>", "<a>X</a>"},
      {"head", "X", "Y", "", false, "body", "Xbody"},
      {"replace", "\xE9", "e", "", false, "\x82", "\x82"},
      {"replace", "\xE9", "e", "", true, "\x82", "e"},
      {"delete", "o", "", "", false, "foo", "f"},
  };
  SwitchMode('4');
  TReplacerForm& r = Replacer();
  if (r.chkBkCopy->Checked()) Click(*r.chkBkCopy);
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.action) + (c.dos ? " dos" : ""));
    ASSERT_TRUE(WriteTestFile(data_ / "f.txt", c.before));
    const std::string action = c.action;
    TRadioButton* rb = action == "between" ? r.rbInsBeetween
                       : action == "head"  ? r.rbInsToHead
                       : action == "delete" ? r.rbDelete
                                            : r.rbReplace;
    Click(*rb);
    if (r.chkCHSDOS->Checked() != c.dos) Click(*r.chkCHSDOS);
    SetMemo(*r.memFind, c.find);
    SetMemo(*r.mmReplace, c.replacement);
    SetMemo(*r.memEnding, c.ending);
    pane_->Mark({"f.txt"});
    TViewerSeen seen;
    ASSERT_TRUE(RunViewer(*r.btnStartOperation, seen));
    EXPECT_EQ(ReadTestFile(data_ / "f.txt"), c.after);
  }
  EXPECT_EQ(data_.Names(), (std::vector<std::string>{"f.txt"}));
}

// Which options and memos each action leaves, after every option was ticked.
TEST_F(ReplaceWindows, ActionsCoupleTheOptionsAndMemos) {
  SwitchMode('4');
  TReplacerForm& r = Replacer();
  struct TCase {
    TRadioButton* TReplacerForm::*button;
    bool optionsEnabled, optionsKept, backupShown, replacementShown, endingShown;
  };
  static const TCase cases[] = {
      {&TReplacerForm::rbInsToHead, false, false, true, false, false},
      {&TReplacerForm::rbReplace, true, false, true, true, false},
      {&TReplacerForm::rbInsBeetween, true, true, true, true, true},
      {&TReplacerForm::rbDelete, true, true, true, false, false},
      {&TReplacerForm::rbJustFind, true, true, false, false, false},
      {&TReplacerForm::rbInsToFoot, false, false, true, false, false},
      {&TReplacerForm::rbInsBefore, true, false, true, true, false},
      {&TReplacerForm::rbInsAfter, true, true, true, true, false},
  };
  for (const TCase& c : cases) {
    TRadioButton* rb = r.*c.button;
    SCOPED_TRACE(rb->Caption());
    for (TCheckBox* box : {r.chkCaseSensitive, r.chkWholeWord})
      if (box->Enabled() && !box->Checked()) Click(*box);
    Click(*rb);
    EXPECT_TRUE(rb->Checked());
    for (TCheckBox* box : {r.chkCaseSensitive, r.chkWholeWord}) {
      EXPECT_EQ(box->Enabled(), c.optionsEnabled);
      EXPECT_EQ(box->Checked(), c.optionsKept);
    }
    EXPECT_EQ(r.chkBkCopy->Visible(), c.backupShown);
    EXPECT_EQ(r.mmReplace->Showing(), c.replacementShown);
    EXPECT_EQ(r.memEnding->Showing(), c.endingShown);
    EXPECT_TRUE(r.memFind->Showing());
    EXPECT_GT(r.memFind->Height(), 20);
  }
  // Start cannot keep the focus once it cannot start: the action takes it.
  ASSERT_TRUE(WriteTestFile(data_ / "a.txt", "x"));
  SetMemo(*r.memFind, "x");
  pane_->Mark({"a.txt"});
  ASSERT_TRUE(r.btnStartOperation->Enabled());
  r.btnStartOperation->SetFocus();
  SendMessageA(r.memFind->Handle(), EM_SETSEL, 0, -1);
  PostMessageA(r.memFind->Handle(), WM_CHAR, VK_BACK, 1);
  Pump(30);
  EXPECT_FALSE(r.btnStartOperation->Enabled());
  EXPECT_TRUE(r.rbInsAfter->Focused());
}

TEST_F(ReplaceWindows, AMarkedFolderIsReportedFailedAndLeftAlone) {
  ASSERT_TRUE(WriteTestFile(data_ / "sub\\x.txt", "foo"));
  ASSERT_TRUE(WriteTestFile(data_ / "a.txt", "foo"));
  SwitchMode('4');
  TReplacerForm& r = Replacer();
  SetMemo(*r.memFind, "foo");
  SetMemo(*r.mmReplace, "bar");
  pane_->Mark({"sub", "a.txt"});
  TViewerSeen seen;
  ASSERT_TRUE(RunViewer(*r.btnStartOperation, seen));
  ASSERT_EQ(seen.Rows.size(), 2u);
  EXPECT_EQ(seen.Rows[0][0], data_ / "sub");
  EXPECT_EQ(seen.Rows[0].back(), "failed\x01");
  EXPECT_EQ(seen.Rows[1].back(), "successful\x02");
  EXPECT_EQ(ReadTestFile(data_ / "sub\\x.txt"), "foo");
  EXPECT_EQ(ReadTestFile(data_ / "a.txt"), "bar");
  // The first backup takes the plain ".bak".
  EXPECT_EQ(ReadTestFile(data_ / "a.txt.bak"), "foo");
  EXPECT_EQ(data_.Names(), (std::vector<std::string>{"a.txt", "a.txt.bak", "sub"}));
}

// Esc in a memo once made the system's edit close its parent panel.
TEST_F(ReplaceWindows, EscInEveryMemoLeavesTheWindowWhole) {
  ASSERT_TRUE(WriteTestFile(data_ / "a.txt", "foo"));
  SwitchMode('4');
  TReplacerForm& r = Replacer();
  for (TRadioButton* rb : {r.rbReplace, r.rbInsBeetween, r.rbDelete, r.rbJustFind}) {
    Click(*rb);
    for (TEdit* memo : {r.memFind, r.mmReplace, r.memEnding}) {
      if (!memo->Showing()) continue;
      memo->SetFocus();
      PressKey(memo->Handle(), VK_ESCAPE);
      EXPECT_TRUE(r.Showing()) << rb->Caption();
    }
  }
  for (TWinControl* w : std::initializer_list<TWinControl*>{&r, r.pnlTexts, r.pnlFind, r.pnlTextToReplace, r.pnlEnding,
                                                             r.pnlOptions, r.pnlTool, r.pnlAlign})
    EXPECT_TRUE(IsWindow(w->Handle()));
  Click(*r.rbReplace);
  SetMemo(*r.memFind, "foo");
  SetMemo(*r.mmReplace, "bar");
  pane_->Mark({"a.txt"});
  TViewerSeen seen;
  ASSERT_TRUE(RunViewer(*r.btnStartOperation, seen));
  EXPECT_EQ(ReadTestFile(data_ / "a.txt"), "bar");
}

// The viewer by keys once its job has ended.
TEST_F(ReplaceWindows, KeyboardTourOfTheViewer) {
  ASSERT_TRUE(WriteTestFile(data_ / "a.txt", "a foo b"));
  SwitchMode('4');
  TReplacerForm& r = Replacer();
  Click(*r.rbJustFind);
  SetMemo(*r.memFind, "foo");
  pane_->Mark({"a.txt"});
  TViewerSeen seen;
  ASSERT_TRUE(RunViewer(*r.btnStartOperation, seen, [](TViewRenReplacer& v) {
    TourWindow(v.Handle(), {{"TStringGrid", "All", "Successful", "Unchanged", "Failed", "Help", "Cancel", "TStringGrid"},
                            "acfhsu", "", "mrCancel"});
  }));
}
