// The main window's file commands driven by their keys and buttons over the
// real panes on a generated tree: what the query or the warning shows, and
// what is on disk, in the panes and in the basket afterwards.
#include <windows.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "MainWindowTest.h"
#include "OpsHarness.h"
#include "core/ListLock.h"
#include "core/Selection.h"
#include "core/ToolRegistry.h"
#include "support/TextFit.h"
#include "support/BoxWatch.h"
#include "support/Screenshot.h"
#include "support/WindowTour.h"
#include "windows/FormBrowser.h"
#include "windows/Settings.h"
#include "windows/StandardQuery.h"
#include "windows/StartOperation.h"

namespace {

const std::map<std::string, std::string> kContents = {
    {"a.txt", "alpha"}, {"b.txt", "bravo"}, {"c.txt", "charlie"}};

std::string Joined(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  std::string s;
  for (const std::string& n : names) s += (s.empty() ? "" : ",") + n;
  return s;
}

// The names of the first directory of a list whose entries pass keep.
std::string ListNames(TstateOfBrowser& list, const std::function<bool(uint32_t pos)>& keep) {
  std::vector<std::string> names;
  TListLock lock(list);
  TPoolLock pool(list.Names);
  const TDirRecord* d = lock.Dir(1);
  for (uint32_t pos = 1; d && pos <= d->FileCount; ++pos)
    if (const TFileRecord* e = lock.Entry(1, pos); e && keep(pos)) names.push_back(pool.Text(e->NameOffset));
  return Joined(names);
}

std::string TopNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& [rel, node] : TreeState(folder))
    if (rel.find('\\') == std::string::npos) names.push_back(rel);
  return Joined(names);
}

void EmptyFolder(const std::string& folder) {
  for (const auto& [rel, node] : TreeState(folder))
    if (rel.find('\\') == std::string::npos) TTempFolder::RemoveTree(folder + "\\" + rel);
}

// Where the recycle bin keeps a file of that name, and its record.
std::string TrashPath(const std::string& part) {
  const char* home = getenv("XDG_DATA_HOME");
  std::string path = std::string("Z:") + (home ? home : "/nowhere") + "/Trash/" + part;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}
std::string TrashFile(const std::string& name) { return TrashPath("files/" + name); }
void EmptyTrashOf(const std::string& name) {
  DeleteFileA(TrashFile(name).c_str());
  DeleteFileA(TrashPath("info/" + name + ".trashinfo").c_str());
}

// What the query or warning showed when it came up.
struct TSeenQuery {
  bool Seen = false;
  std::string Caption, Question, Target;
  bool CheckBoxShown = false, CheckBoxTicked = false, OkFocused = false;
  // Browse left of OK, both below the check box.
  bool TargetLayout = false;
};

class FileCommands : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    src_ = dir_ / "src";
    dst_ = dir_ / "dst";
    dir_.Folder("src");
    dir_.Folder("dst");
    FillSource();
    WritePrivateProfileStringA("BROWSER_LEFT", "Directory", src_.c_str(), Ini().c_str());
    WritePrivateProfileStringA("BROWSER_RIGHT", "Directory", dst_.c_str(), Ini().c_str());
    WritePrivateProfileStringA("MainForm", "ShowTips", "0", Ini().c_str());
  }
  void TearDown() override {
    ToolBusy = 0;
    MainWindow::TearDown();
  }
  void FillSource() {
    for (const char* name : {"a.txt", "b.txt"}) WriteTestFile(src_ + "\\" + name, kContents.at(name));
    WriteTestFile(src_ + "\\sub\\c.txt", kContents.at("c.txt"));
  }
  void StartOnSource() {
    Start();
    // Deletes are for good unless a Shift key says otherwise.
    GeneralCheckContainer &= ~OptRecycle;
    Grid()->SetFocus();
    Pump(50);
  }
  // Both folders as they were, nothing marked, the basket empty, the
  // cursor on a.txt of the left pane, which has the focus.
  void Reset() {
    EmptyFolder(src_);
    EmptyFolder(dst_);
    FillSource();
    form_->btnClearBasketClick();
    ChangeDirSelection(1, *Left()->FolderList, true, SelClear);
    UpdateListTotals(*Left()->FolderList);
    CursorOn("a.txt");
    Grid()->SetFocus();
    Pump(30);
  }
  TBrowserForm* Left() const { return form_->LeftBrowser; }
  TBrowserForm* Right() const { return form_->RightBrowser; }
  TWinControl* Grid() const { return Left()->sgBrowser; }
  // src is no root: its "[..]" row comes first.
  void CursorOn(const std::string& name) {
    Left()->MoveTo(name == ".." ? 0 : Left()->FindFirstByText(name), 0, 0);
  }
  std::string CursorName() {
    uint32_t dir = 0, pos = 0;
    if (!Left()->GetCurrentItem(dir, pos) || pos == 0) return "";
    return ListNames(*Left()->FolderList, [&](uint32_t p) { return p == pos; });
  }
  std::string Marked() {
    TstateOfBrowser& list = *Left()->FolderList;
    return ListNames(list, [&](uint32_t pos) { return IsFileSelected(1, pos, list); });
  }
  std::string Listed(TBrowserForm* pane) {
    return ListNames(*pane->FolderList, [](uint32_t) { return true; });
  }
  // Every known file under folder holds its own bytes.
  void ExpectContentsKept(const std::string& folder) {
    for (const auto& [rel, node] : TreeState(folder)) {
      const std::string base = rel.substr(rel.rfind('\\') + 1);
      if (kContents.count(base)) {
        EXPECT_EQ(node.Content, kContents.at(base)) << folder << "\\" << rel;
      }
    }
  }
  // Runs act; the first query that comes up is described, its picture taken
  // when shot is given, then answered with answer.
  TSeenQuery Answering(const std::function<void()>& act, const std::function<void(TStandardQuery&)>& answer,
                       const char* shot = nullptr) {
    TSeenQuery seen;
    TTimer timer;
    timer.Interval = 40;
    timer.OnTimer = [&] {
      if (seen.Seen) return;
      for (HWND w : ProcessWindowsOfClass("TKvtWindow")) {
        auto* q = dynamic_cast<TStandardQuery*>(TWinControl::FromHandle(w));
        if (!q) continue;
        seen.Seen = true;
        seen.Caption = q->Caption();
        seen.Question = q->lblInfo->Caption();
        seen.Target = q->edInfo->Visible() ? q->edInfo->Text() : "";
        seen.CheckBoxShown = q->chkSend->Visible();
        seen.CheckBoxTicked = q->chkSend->Checked();
        seen.OkFocused = GetFocus() == q->btnOK->Handle();
        const int below = q->chkSend->Top() + q->chkSend->Height();
        seen.TargetLayout = q->btnBrowse->Visible() && q->btnBrowse->Left() > q->btnOK->Left() &&
                            q->btnOK->Top() >= below && q->btnBrowse->Top() == q->btnOK->Top() &&
                            q->ClientHeight() > q->btnOK->Top() + q->btnOK->Height();
        EXPECT_TRUE(TextsFit(*q, "the question \"" + seen.Question + "\""));
        if (shot) {
          RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
          EXPECT_TRUE(SaveWindowShot(w, ShotPath(shot)));
        }
        answer(*q);
        return;
      }
    };
    timer.SetEnabled(true);
    act();
    Pump(30);
    return seen;
  }
  std::string src_, dst_;
};

// Types a full path into the next file dialog of this process and presses
// its OK.
class AnswerFileDialog {
 public:
  explicit AnswerFileDialog(std::string path) : path_(std::move(path)) {
    timer_.Interval = 30;
    timer_.OnTimer = [this] {
      for (HWND d : ProcessWindowsOfClass("#32770")) {
        HWND edit = GetDlgItem(d, edt1) ? GetDlgItem(d, edt1) : GetDlgItem(d, cmb13);
        if (!edit || Answered) continue;
        Answered = true;
        SetWindowTextA(edit, path_.c_str());
        PostMessageA(d, WM_COMMAND, IDOK, 0);
      }
    };
    timer_.SetEnabled(true);
  }
  bool Answered = false;

 private:
  std::string path_;
  TTimer timer_;
};

// The user's answer: an optional text typed over the edit, the check box
// clicked, then a key to the focused control.
std::function<void(TStandardQuery&)> Reply(WORD key, const char* typed = nullptr, bool tick = false) {
  return [=](TStandardQuery& q) {
    if (typed) q.edInfo->SetText(typed);
    if (tick) SendMessageA(q.chkSend->Handle(), BM_CLICK, 0, 0);
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
  };
}

struct TCommandCase {
  const char* what;
  std::vector<const char*> marks = {};  // none: the cursor's entry is marked for the command
  const char* cursorOn = "a.txt";         // "..": the parent row
  WORD key = 0;
  std::vector<int> modifiers = {};
  std::function<void()> click = {};  // in place of a key
  std::function<void(TStandardQuery&)> answer = Reply(VK_RETURN);
  const char* shot = nullptr;
  // The query as it came up; no caption: no query at all.
  const char* caption = nullptr;
  const char* question = nullptr;
  const char* target = nullptr;  // "dst\" stands for the right pane's folder
  bool okFocused = false;
  const char* box = nullptr;  // a part of the one message box that follows
  LPCSTR boxIcon = IDI_WARNING;
  // Afterwards.
  const char* src = "a.txt,b.txt,sub";
  const char* dst = "";
  const char* marked = "";
  const char* cursor = nullptr;
  bool trashed = false;
  int basket = 0;
};

std::string Expanded(const std::string& text, const std::string& dst) {
  return text.rfind("dst\\", 0) == 0 ? dst + text.substr(3) : text;
}

TEST_F(FileCommands, KeysAndButtonsRunTheirCommands) {
  StartOnSource();
  const TCommandCase cases[] = {
      {.what = "F5 copies the cursor's file into the other pane's folder",
       .key = VK_F5,
       .shot = "fileops_copyquery.bmp",
       .caption = "Kelvanto",
       .question = "Copy file \"a.txt\" to",
       .target = "dst\\a.txt",
       .dst = "a.txt"},
      {.what = "Esc leaves everything and takes the automatic mark back",
       .key = VK_F5,
       .answer = Reply(VK_ESCAPE),
       .caption = "Kelvanto",
       .target = "dst\\a.txt"},
      {.what = "two marked files go as *.*",
       .marks = {"a.txt", "b.txt"},
       .key = VK_F5,
       .question = "Copy 2 files to",
       .target = "dst\\*.*",
       .dst = "a.txt,b.txt"},
      {.what = "F6 moves a folder",
       .marks = {"sub"},
       .key = VK_F6,
       .question = "Rename or move directory [sub] to",
       .target = "dst\\*.*",
       .src = "a.txt,b.txt",
       .dst = "sub"},
      {.what = "Shift+F5 copies beside itself, the cursor on the copy",
       .key = VK_F5,
       .modifiers = {VK_SHIFT},
       .answer = Reply(VK_RETURN, "copy.txt"),
       .target = "a.txt",
       .src = "a.txt,b.txt,copy.txt,sub",
       .cursor = "copy.txt"},
      {.what = "the ticked check box sends to the basket",
       .key = VK_F6,
       .answer = Reply(VK_RETURN, nullptr, true),
       .question = "Rename or move file \"a.txt\" to",
       .basket = 1},
      {.what = "the bottom Copy button",
       .marks = {"b.txt"},
       .click = [this] { form_->btnCopy->Click(); },
       .target = "dst\\b.txt",
       .dst = "b.txt"},
      {.what = "the pane's Send to Basket button asks nothing",
       .marks = {"a.txt", "b.txt"},
       .click = [this] { Left()->btnSendTobasket->Click(); },
       .basket = 2},
      {.what = "nothing to copy on the parent row",
       .cursorOn = "..",
       .key = VK_F5,
       .box = "No files selected!",
       .boxIcon = IDI_INFORMATION},
      {.what = "F8 deletes after the warning",
       .key = VK_F8,
       .shot = "fileops_deletewarning.bmp",
       .caption = "Warning!",
       .question = "Do you wish to delete file \"a.txt\"?",
       .okFocused = true,
       .src = "b.txt,sub"},
      {.what = "Esc on the warning keeps the file and no mark",
       .key = VK_DELETE,
       .answer = Reply(VK_ESCAPE),
       .caption = "Warning!"},
      {.what = "Shift+F8 deletes to the recycle bin",
       .key = VK_F8,
       .modifiers = {VK_SHIFT},
       .question = "Do you wish to delete file \"a.txt\"?",
       .src = "b.txt,sub",
       .trashed = true},
      {.what = "Shift+Delete deletes to the recycle bin too",
       .key = VK_DELETE,
       .modifiers = {VK_SHIFT},
       .question = "Do you wish to delete file \"a.txt\"?",
       .src = "b.txt,sub",
       .trashed = true},
      {.what = "the bottom Delete button, two marked",
       .marks = {"a.txt", "b.txt"},
       .click = [this] { form_->btnDelete->Click(); },
       .question = "Do you wish to delete 2 files?",
       .src = "sub"},
      {.what = "F7 makes a folder, the cursor on it",
       .key = VK_F7,
       .answer = Reply(VK_RETURN, "new"),
       .question = "New directory",
       .src = "a.txt,b.txt,new,sub",
       .cursor = "new"},
      {.what = "F7 with a name the file system refuses",
       .key = VK_F7,
       .answer = Reply(VK_RETURN, "a?b"),
       .question = "New directory",
       .box = "Error: directory [a?b]"},
      {.what = "Shift+F4 with a name that cannot be made",
       .key = VK_F4,
       .modifiers = {VK_SHIFT},
       .answer = Reply(VK_RETURN, "a?b.txt"),
       .question = "Enter file name to edit:",
       .box = "a?b.txt"},
  };
  for (const TCommandCase& c : cases) {
    Reset();
    for (const char* name : c.marks) {
      CursorOn(name);
      Left()->MarkCurrent(SelSet);
    }
    CursorOn(c.cursorOn);
    EmptyTrashOf("a.txt");
    const uint32_t options = GeneralCheckContainer;
    TBoxWatch boxes;
    const TSeenQuery q = Answering(
        [&] {
          if (c.click)
            c.click();
          else
            PressKeys(Grid()->Handle(), c.key, c.modifiers);
        },
        c.answer, c.shot);
    SCOPED_TRACE(c.what);
    const bool asked = c.caption || c.question || c.target;
    ASSERT_EQ(q.Seen, asked);
    if (c.caption) {
      EXPECT_EQ(q.Caption, c.caption);
    }
    if (c.question) {
      EXPECT_EQ(q.Question, c.question);
    }
    if (c.target) {
      EXPECT_TRUE(HasText(q.Target, Expanded(c.target, dst_))) << q.Target;
      EXPECT_TRUE(q.TargetLayout);
      EXPECT_TRUE(q.CheckBoxShown && !q.CheckBoxTicked);
    }
    if (c.okFocused) {
      EXPECT_TRUE(q.OkFocused);
    }
    ASSERT_EQ(boxes.Boxes.size(), c.box ? 1u : 0u) << (boxes.Boxes.empty() ? "" : boxes.Boxes[0].Text);
    if (c.box) {
      EXPECT_TRUE(HasText(boxes.Boxes[0].Text, c.box)) << boxes.Boxes[0].Text;
      EXPECT_EQ(boxes.Boxes[0].Icon, LoadIcon(nullptr, c.boxIcon));
    }
    EXPECT_EQ(TopNames(src_), c.src);
    EXPECT_EQ(TopNames(dst_), c.dst);
    ExpectContentsKept(src_);
    ExpectContentsKept(dst_);
    EXPECT_EQ(Listed(Left()), TopNames(src_));
    EXPECT_EQ(Listed(Right()), TopNames(dst_));
    EXPECT_EQ(Marked(), c.marked);
    if (c.cursor) {
      EXPECT_EQ(CursorName(), c.cursor);
    }
    EXPECT_EQ(ReadTestFile(TrashFile("a.txt")), c.trashed ? "alpha" : "");
    EXPECT_EQ(GeneralCheckContainer, options);
    EXPECT_EQ(Basket.FileCount, c.basket);
    EXPECT_EQ(ToolBusy, 0u);
  }
}

// While a job runs, neither the keys, nor the buttons, nor the routines
// themselves open anything or touch a file.
TEST_F(FileCommands, NothingRunsWhileAJobIs) {
  StartOnSource();
  CursorOn("a.txt");
  Left()->MarkCurrent(SelSet);
  const std::vector<std::pair<const char*, std::function<void()>>> acts = {
      {"F5", [&] { PressKeys(Grid()->Handle(), VK_F5, {}); }},
      {"Shift+F6", [&] { PressKeys(Grid()->Handle(), VK_F6, {VK_SHIFT}); }},
      {"F7", [&] { PressKeys(Grid()->Handle(), VK_F7, {}); }},
      {"Delete", [&] { PressKeys(Grid()->Handle(), VK_DELETE, {}); }},
      {"Shift+F4", [&] { PressKeys(Grid()->Handle(), VK_F4, {VK_SHIFT}); }},
      {"bottom buttons",
       [&] {
         for (TPylBitBtn* b : {form_->btnCopy, form_->btnRenMove, form_->btnMkDir, form_->btnDelete}) b->Click();
       }},
      {"copy", [&] { form_->CopyMoveFiles(opCopy, false); }},
      {"delete", [&] { form_->DeleteFiles(true); }},
      {"make folder", [&] { form_->btnMkDirClick(); }},
      {"edit", [&] { form_->EditNamedFile(); }},
      {"send to basket", [&] { form_->SendToBasket(); }},
      {"save basket list", [&] { form_->mnuSaveBasketListClick(); }},
      {"load basket list", [&] { form_->mnuLoadBasketListClick(); }},
      {"select failed", [&] { form_->SelectByStatus(true, fsFailed); }},
  };
  std::vector<std::string> opened;
  TTimer closer;
  closer.Interval = 30;
  closer.OnTimer = [&] {
    for (HWND w : ProcessWindowsOfClass("#32770")) {
      opened.push_back("dialog");
      PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    }
    for (HWND w : ProcessWindowsOfClass("TKvtWindow")) {
      if (w == form_->Handle()) continue;
      opened.push_back("window");
      PostMessageA(w, WM_KEYDOWN, VK_ESCAPE, 1);
    }
  };
  closer.SetEnabled(true);
  const TTreeState src = TreeState(src_), dst = TreeState(dst_);
  for (const auto& [what, act] : acts) {
    ToolBusy = 1;
    act();
    Pump(30);
    ToolBusy = 0;
    EXPECT_EQ(Joined(opened), "") << what;
    opened.clear();
  }
  EXPECT_EQ(Marked(), "a.txt");
  EXPECT_EQ(Basket.FileCount, 0);
  EXPECT_TRUE(TreeState(src_) == src);
  EXPECT_TRUE(TreeState(dst_) == dst);
}

// With a docked tool focused, a button's command walks the pane beside
// the tool; the pane's keys are not taken from the tool.
TEST_F(FileCommands, AFocusedToolWorksOnThePaneBesideIt) {
  StartOnSource();
  CursorOn("b.txt");
  PressKeys(Grid()->Handle(), '2', {VK_CONTROL});
  ASSERT_EQ(CurrentMode, ModeFinder);
  GetToolForm(ModeFinder)->SetFocus();
  Pump(50);
  ASSERT_FALSE(form_->IsPane(ActivePanel));
  const TSeenQuery q = Answering([&] { form_->btnCopy->Click(); }, Reply(VK_ESCAPE));
  EXPECT_TRUE(q.Seen);
  EXPECT_TRUE(HasText(q.Target, dst_ + "\\b.txt")) << q.Target;
  EXPECT_EQ(Marked(), "");
  const TSeenQuery none = Answering([&] { PressKeys(GetFocus(), VK_F5, {}); }, Reply(VK_ESCAPE));
  EXPECT_FALSE(none.Seen);
}

// A job's per-item statuses, as the replacer leaves them, survive a
// reread; the Mark menu's items then mark by status. The File menu saves
// the basket list and loads it back without the file that went meanwhile.
TEST_F(FileCommands, MarkAndFileMenuItems) {
  StartOnSource();
  for (const char* name : {"a.txt", "b.txt", "sub"}) {
    CursorOn(name);
    Left()->MarkCurrent(SelSet);
  }
  const std::map<std::string, TFileStatus> statuses = {
      {"a.txt", fsSuccessful}, {"b.txt", fsFailed}, {"sub", fsUnchanged}};
  ASSERT_TRUE(BeginSelectionWalk(CheckNothing));
  while (TSelectedItem* item = NextSelectedItem(WalkInPool)) {
    const TItemUpdate update{iuUnselect | statuses.at(item->Name)};
    UpdateItemState(&update);
  }
  EndListOperation();
  form_->RefreshPanes();
  ASSERT_EQ(Marked(), "");
  const std::string statusLine = Left()->sbFilesComment->SimpleText();
  const struct {
    TMenuItem* item;
    const char* marked;
  } steps[] = {
      {form_->mnuSelSuccessful, "a.txt"},
      {form_->mnuSelFailed, "a.txt,b.txt"},
      {form_->mnuSelUnchanged, "a.txt,b.txt,sub"},
  };
  for (const auto& s : steps) {
    SendMessageA(form_->Handle(), WM_COMMAND, s.item->Command(), 0);
    EXPECT_EQ(Marked(), s.marked) << s.item->Caption;
  }
  EXPECT_EQ(Left()->FolderList->SelectedCount, 3);
  EXPECT_NE(Left()->sbFilesComment->SimpleText(), statusLine);

  CursorOn("sub");
  Left()->MarkCurrent(SelClear);
  Left()->btnSendTobasket->Click();
  ASSERT_EQ(Basket.FileCount, 2);
  const std::string file = dir_ / "basket.lst";
  const auto menu = [&](TMenuItem* item) {
    AnswerFileDialog answer(file);
    SendMessageA(form_->Handle(), WM_COMMAND, item->Command(), 0);
    EXPECT_TRUE(answer.Answered) << item->Caption;
  };
  menu(form_->mnuSaveBasketList);
  std::string expected = src_ + "\\a.txt\r\n" + src_ + "\\b.txt\r\n", saved = ReadTestFile(file);
  CharLowerA(expected.data());
  CharLowerA(saved.data());
  EXPECT_EQ(saved, expected);
  form_->btnClearBasketClick();
  ASSERT_TRUE(DeleteFileA((src_ + "\\b.txt").c_str()));
  menu(form_->mnuLoadBasketList);
  EXPECT_EQ(Basket.FileCount, 1);
}

// The copy target, the new folder's name and the delete question by keys.
TEST_F(FileCommands, KeyboardTourOfTheQueries) {
  StartOnSource();
  const struct {
    WORD key;
    TTourPlan plan;
  } rows[] = {
      {VK_F5, {{"Copy file \"a.txt\" to", "Send to Basket", "OK", "Browse", "Cancel"}, "bk", "mrOk", "mrCancel"}},
      {VK_F7, {{"New directory", "OK", "Cancel"}, "", "mrOk", "mrCancel"}},
      {VK_F8, {{"OK", "Cancel"}, "", "OK", "mrCancel"}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.key);
    Reset();
    CursorOn("a.txt");
    const TSeenQuery q = Answering([&] { PressKeys(Grid()->Handle(), r.key, {}); },
                                   [&](TStandardQuery& query) {
                                     TourWindow(query.Handle(), r.plan);
                                     Reply(VK_ESCAPE)(query);
                                   });
    EXPECT_TRUE(q.Seen);
    EXPECT_EQ(TopNames(src_), "a.txt,b.txt,sub");
  }
}

}  // namespace
