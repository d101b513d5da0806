#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Lists.h"
#include "core/translator.h"
#include "windows/SelectionWalk.h"

namespace {

// Ends a walk a test left open, so that one failure does not fail the rest.
struct TWalkGuard {
  ~TWalkGuard() {
    if (PluginStructure.TextBlock) EndListOperation();
  }
};

std::string WalkNames(int mode = WalkInPool) {
  std::string names;
  while (TSelectedItem* item = NextSelectedItem(mode))
    names += std::string(item->Folder) + "|" + item->Name + ";";
  return names;
}

// A pane over a test list whose cursor stands on one entry.
class TTestPane : public ISelectionPane, public ISelectionHost {
 public:
  TTestPane(TTestList& list, int mode) : list_(list), mode_(mode) {}
  TstateOfBrowser& OwnList() override { return list_.List(); }
  TstateOfBrowser& BasketView() override { return view_; }
  int DisplayMode() override { return mode_; }
  void MarkCurrent(bool mark) override {
    TFileRecord& e = list_.Entry(1, 1);
    e.Flags = mark ? e.Flags | FileMarked : e.Flags & ~FileMarked;
    marks += mark ? "+" : "-";
  }
  void StopIconThread() override { marks += "s"; }
  ISelectionPane* GetActivePane() override { return this; }
  void ShowCheckMessage(const std::string& text) override { messages.push_back(text); }

  std::string marks;
  std::vector<std::string> messages;

 private:
  TTestList& list_;
  int mode_;
  TstateOfBrowser view_{};
};

TEST(SelectionWalk, WalksMarkedEntriesOfOpenDirectoriesUntilReset) {
  TWalkGuard guard;
  TTestList l;
  l.AddDir("C:");
  l.AddEntry("a.txt");
  l.AddEntry("b.txt", 0, false);
  l.AddEntry("sub", FILE_ATTRIBUTE_DIRECTORY);
  l.AddDir("C:\\closed", false);
  l.AddEntry("hidden.txt");
  l.AddDir("C:\\open");
  l.AddEntry("c.txt");
  ASSERT_TRUE(BeginWalkOver(l.List(), "C:", CheckSelected, nullptr, nullptr));
  EXPECT_EQ(PluginStructure.TextBlockSize, 1000u);
  EXPECT_EQ(WalkNames(), "C:|a.txt;C:|sub;C:\\open|c.txt;");
  EXPECT_EQ(NextSelectedItem(WalkInPool), nullptr);
  ResetSelectionWalk();
  // Copies give a drive root its backslash.
  EXPECT_EQ(WalkNames(WalkCopied), "C:\\|a.txt;C:\\|sub;C:\\open|c.txt;");
  EXPECT_EQ(l.List().Busy, 1);
  // One walk at a time: a second begin fails and leaves the first intact.
  const HGLOBAL block = PluginStructure.TextBlock;
  EXPECT_FALSE(BeginWalkOver(l.List(), "", CheckNothing, nullptr, nullptr));
  EXPECT_EQ(PluginStructure.TextBlock, block);
  EXPECT_NE(PluginStructure.LockedFiles, nullptr);
  EndListOperation();
  EXPECT_EQ(l.List().Busy, 0);
  EXPECT_EQ(PluginStructure.TextBlock, nullptr);
}

TEST(SelectionWalk, CopiedTextsGrowTheBlock) {
  TWalkGuard guard;
  TTestList l;
  const std::string folder = "C:\\" + std::string(897, 'f');
  const std::string name(200, 'n');
  l.AddDir(folder);
  l.AddEntry(name);
  l.AddEntry("short.txt");
  ASSERT_TRUE(BeginWalkOver(l.List(), folder, CheckSelected, nullptr, nullptr));
  TSelectedItem* item = NextSelectedItem(WalkCopied);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->Folder, folder);
  EXPECT_EQ(item->Name, name);
  EXPECT_EQ(item->Folder, PluginStructure.TextBlockPtr);
  EXPECT_GE(PluginStructure.TextBlockSize, folder.size() + name.size() + 2);
  EXPECT_EQ(GlobalSize(PluginStructure.TextBlock), PluginStructure.TextBlockSize);
  item = NextSelectedItem(WalkCopied);
  ASSERT_NE(item, nullptr);
  EXPECT_STREQ(item->Name, "short.txt");
  EndListOperation();
}

TEST(SelectionWalk, UpdatesChangeOnlyMarkAndStatusOfAPaneList) {
  TWalkGuard guard;
  struct TCase {
    uint32_t modeFlags;
    const char* newName;
    const char* wantName;
    const char* wantExt;
    bool wantChanged;
  };
  static const TCase cases[] = {
      {0, "renamed.doc", "old.txt", "txt", false},
      {ModeBasketView, ".profile", ".profile", "", true},
      {ModeBasketView, "a.b.doc", "a.b.doc", "doc", true},
  };
  for (const TCase& c : cases) {
    TTestList l;
    l.List().ModeFlags = c.modeFlags;
    l.AddDir("C:\\x");
    l.AddEntry("old.txt");
    ASSERT_TRUE(BeginWalkOver(l.List(), "", CheckSelected, nullptr, nullptr));
    // An update before the first step has no entry to act on.
    TItemUpdate u;
    u.Flags = iuRename | iuAttributes | iuSize | iuRemove | iuUnselect | fsFailed;
    u.NewName = c.newName;
    u.Attributes = FILE_ATTRIBUTE_READONLY;
    u.Size = 99;
    UpdateItemState(&u);
    EXPECT_EQ(l.Entry(1, 1).GroupNumber, 0u);
    ASSERT_NE(NextSelectedItem(WalkInPool), nullptr);
    UpdateItemState(&u);
    const TFileRecord& e = l.Entry(1, 1);
    EXPECT_EQ(e.Flags & FileMarked, 0u);
    EXPECT_EQ(e.GroupNumber, fsFailed);
    EXPECT_EQ(l.Name(e), c.wantName);
    EXPECT_EQ(l.List().Names->GetString(e.ExtOffset), c.wantExt) << c.newName;
    EXPECT_EQ(e.Size, c.modeFlags ? 99u : 0u);
    EXPECT_EQ(PluginStructure.Changed, c.wantChanged);
    // Unmarked now: a second update does nothing.
    u.Flags = fsSuccessful;
    UpdateItemState(&u);
    EXPECT_EQ(l.Entry(1, 1).GroupNumber, fsFailed);
    PluginStructure.Changed = 0;  // no global lists to refresh here
    EndListOperation();
  }
}

TEST(SelectionWalk, CheckMarksTheCursorEntryAndUndoesARefusal) {
  TWalkGuard guard;
  Translator();
  RegisterSharedTexts();
  struct TCase {
    uint32_t attributes;
    uint32_t flags;
    bool wantBegin;
    const char* wantMessage;
    const char* wantMarks;
  };
  static const TCase cases[] = {
      {0, CheckSelected, true, "", "s+"},
      {0, CheckFolders | CheckFiles, false, "You must select folder(s). (Not file(s))!", "s+-"},
      {FILE_ATTRIBUTE_DIRECTORY, CheckFiles, false, "You must select file(s). (Not folder(s))!",
       "s+-"},
      {0, CheckNothing, true, "", "s"},
  };
  for (const TCase& c : cases) {
    TTestList l;
    l.AddDir("C:\\x");
    l.AddEntry("cursor", c.attributes, false);
    TTestPane pane(l, PaneFull);
    SelectionHost = &pane;
    EXPECT_EQ(BeginSelectionWalk(c.flags), c.wantBegin);
    SelectionHost = nullptr;
    EXPECT_EQ(pane.marks, c.wantMarks);
    EXPECT_EQ(pane.messages.empty() ? "" : pane.messages[0], c.wantMessage);
    EXPECT_EQ(bool(l.Entry(1, 1).Flags & FileMarked), c.wantBegin && c.flags != CheckNothing);
    EXPECT_EQ(PluginStructure.AutoMarked, c.flags != CheckNothing);
    if (c.wantBegin) {
      EXPECT_EQ(PluginStructure.RootPath, "C:\\x");
      EndListOperation();
    } else {
      EXPECT_EQ(PluginStructure.TextBlock, nullptr);
      EXPECT_EQ(l.List().Busy, 0);
    }
  }
  // An empty list: the automatic mark finds nothing, text 39.
  TTestList empty;
  empty.AddDir("C:\\y");
  EXPECT_FALSE(BeginWalkOver(empty.List(), "", CheckSelected, nullptr,
                             [](const std::string& t) { EXPECT_EQ(t, "No files selected!"); }));
}

TEST(SelectionWalk, SelectsByStatus) {
  TTestList l;
  l.AddDir("C:\\x");
  for (const char* n : {"ok", "failed", "same", "none"}) l.AddEntry(n, 0, false);
  const TFileStatus status[] = {fsSuccessful, fsFailed, fsUnchanged, 0};
  for (uint32_t p = 1; p <= 4; ++p) l.Entry(1, p).GroupNumber = status[p - 1];
  for (uint32_t p = 1; p <= 3; ++p) {
    SelectEntriesByStatus(l.List(), true, status[p - 1]);
    EXPECT_EQ(l.List().SelectedCount, 1);
    EXPECT_TRUE(l.Entry(1, p).Flags & FileMarked);
    SelectEntriesByStatus(l.List(), false, status[p - 1]);
  }
  EXPECT_EQ(l.List().SelectedCount, 0);
}

}  // namespace
