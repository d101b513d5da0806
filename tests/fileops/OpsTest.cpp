#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "Lists.h"
#include "OpsHarness.h"
#include "core/DirRegistry.h"
#include "core/FileUtils.h"
#include "core/Selection.h"
#include "core/SortList.h"
#include "core/translator.h"
#include "engines/PerformRename.h"
#include "engines/TextReplacer.h"
#include "support/FreshProcess.h"
#include "support/TempFolder.h"
#include "support/WineDrive.h"
#include "windows/BasketList.h"
#include "windows/SelectionWalk.h"

namespace {

void Put(const std::string& path, const std::string& content, FILETIME time, DWORD attributes = 0) {
  ASSERT_TRUE(WriteTestFile(path, content));
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  SetFileTime(h, nullptr, nullptr, &time);
  CloseHandle(h);
  if (attributes) SetFileAttributesA(path.c_str(), attributes);
}

DWORD FileIndex(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), 0, 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                         nullptr);
  BY_HANDLE_FILE_INFORMATION info{};
  GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  return info.nFileIndexLow;
}

class FileOps : public testing::Test {
 protected:
  void SetUp() override {
    Translator();
    RegisterSharedTexts();
    GeneralCheckContainer = OptShowHidden;
  }
  // A folder tree of every kind of file worth copying.
  void MakeTree(const std::string& root) {
    Put(root + "\\a.txt", "alpha", TimeAt(1));
    Put(root + "\\empty.txt", "", TimeAt(2));
    Put(root + "\\ro.txt", "read only", TimeAt(3), FILE_ATTRIBUTE_READONLY);
    Put(root + "\\hid.txt", "hidden", TimeAt(4), FILE_ATTRIBUTE_HIDDEN);
    Put(root + "\\sub\\b.txt", std::string(800000, 'b'), TimeAt(5));
    Put(root + "\\sub\\deep\\c.txt", "c", TimeAt(6));
    CreateDirectoryA((root + "\\sub\\void").c_str(), nullptr);
  }
  std::vector<std::string> TreeItems() { return {"a.txt", "empty.txt", "ro.txt", "hid.txt", "sub"}; }

  TTempFolder src, dst;
  TScriptedView view;
};

TEST_F(FileOps, CopyAndMoveCarryContentTimesAndAttributes) {
  for (uint32_t code : {opCopy, opMove}) {
    TTempFolder from, to;
    MakeTree(from.Path());
    const TTreeState before = TreeState(from.Path());
    const DWORD subIndex = FileIndex(from / "sub");
    TTestList l;
    l.ReadDir(from.Path(), TreeItems());
    TScriptedView v;
    ASSERT_TRUE(RunOperation(l.List(), to.Path() + "\\", code, v, At(from.Path())));
    EXPECT_EQ(v.Kinds(), "");
    EXPECT_TRUE(v.Messages.empty()) << v.Messages[0].Caption << v.Messages[0].Text;
    EXPECT_EQ(TreeState(to.Path()), before) << code;
    EXPECT_EQ(v.LastOverall, 100);
    if (code == opMove) {
      EXPECT_EQ(TreeNames(from.Path()), "");
      // On one drive a folder moves by a rename, as itself.
      EXPECT_EQ(FileIndex(to / "sub"), subIndex);
    } else {
      EXPECT_EQ(TreeState(from.Path()), before);
    }
  }
}

// Sources a.b.txt (day 10) and z.txt (day 10) onto targets of the given ages.
struct TOverwriteCase {
  const char* name;
  int targetDay;  // of both targets; 0: only a.b.txt exists
  std::vector<int> answers;
  const char* kinds;
  const char* wantA;  // content of a.b.txt afterwards
  const char* wantNames;
};

TEST_F(FileOps, EveryOverwriteAnswer) {
  static const TOverwriteCase cases[] = {
      {"yes", 5, {qrYes, qrNo}, "1.0.2,1.0.2", "new", "a.b.txt,z.txt"},
      {"yes to all", 5, {qrYesToAll}, "1.0.2", "new", "a.b.txt,z.txt"},
      {"older replaced", 5, {qrYesAllOlder}, "1.0.2", "new", "a.b.txt,z.txt"},
      {"equal kept", 10, {qrYesAllOlder}, "1.0.2", "old", "a.b.txt,z.txt"},
      {"newer kept", 15, {qrYesAllOlder}, "1.0.2", "old", "a.b.txt,z.txt"},
      {"no", 5, {qrNo, qrNo}, "1.0.2,1.0.2", "old", "a.b.txt,z.txt"},
      {"no to all", 5, {qrNoToAll}, "1.0.2", "old", "a.b.txt,z.txt"},
      {"autorename", 0, {qrAutorename}, "1.0.2", "old", "a.b.txt,a.b[1].txt,z.txt"},
      {"autorename all", 5, {qrAutorenameAll}, "1.0.2", "old", "a.b.txt,a.b[1].txt,z.txt,z[1].txt"},
      {"cancel", 0, {qrCancel}, "1.0.2", "old", "a.b.txt"},
  };
  for (const TOverwriteCase& c : cases) {
    TTempFolder from, to;
    Put(from / "a.b.txt", "new", TimeAt(10));
    Put(from / "z.txt", "new", TimeAt(10));
    Put(to / "a.b.txt", "old", TimeAt(c.targetDay ? c.targetDay : 5));
    if (c.targetDay) Put(to / "z.txt", "old", TimeAt(c.targetDay));
    GeneralCheckContainer = OptShowHidden | OptConfirmOverwrite;
    TTestList l;
    l.ReadDir(from.Path(), {"a.b.txt", "z.txt"});
    TScriptedView v;
    v.Answers.assign(c.answers.begin(), c.answers.end());
    ASSERT_TRUE(RunOperation(l.List(), to.Path() + "\\", opCopy, v, At(from.Path())));
    EXPECT_EQ(v.Kinds(), c.kinds) << c.name;
    EXPECT_EQ(ReadTestFile(to / "a.b.txt"), c.wantA) << c.name;
    EXPECT_EQ(TreeNames(to.Path()), c.wantNames) << c.name;
    EXPECT_EQ(ReadTestFile(from / "a.b.txt"), "new");
  }
  // A second autorename finds the next free number, beside the target.
  TTempFolder from, to;
  Put(from / "a.b.txt", "new", TimeAt(10));
  for (const char* n : {"a.b.txt", "a.b[1].txt"}) Put(to / n, "old", TimeAt(5));
  GeneralCheckContainer = OptShowHidden | OptConfirmOverwrite;
  TTestList l;
  l.ReadDir(from.Path(), {"a.b.txt"});
  TScriptedView v;
  v.Answers = {qrAutorename};
  ASSERT_TRUE(RunOperation(l.List(), to.Path() + "\\", opCopy, v, At(from.Path())));
  EXPECT_EQ(ReadTestFile(to / "a.b[2].txt"), "new");
  ASSERT_EQ(v.Questions.size(), 1u);
  EXPECT_EQ(v.Questions[0].Caption, "Overwrite confirmation");
  EXPECT_NE(v.Questions[0].Message.find(" Overwrite: "), std::string::npos);
  EXPECT_NE(v.Questions[0].Message.find(" bytes, "), std::string::npos);
}

// Targets that carry an attribute ask first, each with its own text; the
// delete wording of a delete's question does not stay for the next one.
TEST_F(FileOps, AttributeQuestionsOnOverwriteAndDelete) {
  struct TCase {
    DWORD attributes;
    uint32_t code;
    int answer;
    const char* text;
    bool wantReplaced;
  };
  static const TCase cases[] = {
      {FILE_ATTRIBUTE_HIDDEN, opCopy, qrYes, "has either the attribute HIDDEN or SYSTEM!\r\nOverwrite?", true},
      {FILE_ATTRIBUTE_SYSTEM, opCopy, qrNo, "has either the attribute HIDDEN or SYSTEM!\r\nOverwrite?", false},
      {FILE_ATTRIBUTE_READONLY, opCopy, qrYes, "is READ ONLY!\r\nOverwrite?", true},
      {FILE_ATTRIBUTE_READONLY, opDelete, qrYes, "is READ ONLY!\r\nDelete anyway?", true},
      {FILE_ATTRIBUTE_HIDDEN, opDelete, qrNo, "has either the attribute HIDDEN or SYSTEM!\r\nDelete anyway?", false},
  };
  for (const TCase& c : cases) {
    TTempFolder from, to;
    Put(from / "f.txt", "new", TimeAt(10), c.code == opDelete ? c.attributes : 0);
    Put(to / "f.txt", "old", TimeAt(5), c.attributes);
    GeneralCheckContainer = OptShowHidden | OptConfirmHidden | OptConfirmReadOnly;
    TTestList l;
    l.ReadDir(from.Path(), {"f.txt"});
    TScriptedView v;
    v.Answers = {c.answer};
    ASSERT_TRUE(RunOperation(l.List(), to.Path() + "\\", c.code, v, At(from.Path())));
    ASSERT_EQ(v.Questions.size(), 1u) << c.text;
    EXPECT_EQ(v.Questions[0].Kind, qkAttribute);
    EXPECT_EQ(v.Questions[0].Caption, "Warning!");
    // The question names the file that bears the attribute.
    const std::string& m = v.Questions[0].Message;
    EXPECT_TRUE(HasText(m, "File " + (c.code == opCopy ? to : from) / "f.txt" + "\r\n" + c.text)) << m;
    if (c.code == opCopy)
      EXPECT_EQ(ReadTestFile(to / "f.txt"), c.wantReplaced ? "new" : "old");
    else
      EXPECT_EQ(PathExists(from / "f.txt"), !c.wantReplaced);
  }
  // Without the options' confirmations nothing is asked.
  TTempFolder from, to;
  Put(from / "f.txt", "new", TimeAt(10));
  Put(to / "f.txt", "old", TimeAt(5), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  GeneralCheckContainer = OptShowHidden;
  TTestList l;
  l.ReadDir(from.Path(), {"f.txt"});
  TScriptedView v;
  ASSERT_TRUE(RunOperation(l.List(), to.Path() + "\\", opCopy, v, At(from.Path())));
  EXPECT_EQ(v.Kinds(), "");
  EXPECT_EQ(ReadTestFile(to / "f.txt"), "new");
}

}  // namespace

namespace {

class FileOpsTargets : public FileOps {};

TEST_F(FileOpsTargets, MasksAndBareNames) {
  struct TCase {
    std::vector<const char*> marked;
    const char* target;  // "%d" stands for the destination folder
    const char* wantFrom;  // names in the source folder afterwards
    const char* wantTo;
    const char* cursor;
  };
  static const TCase cases[] = {
      {{"a.txt", "b.doc"}, "%d\\*.bak", "a.txt,b.doc", "a.bak,b.bak", ""},
      {{"a.txt"}, "c.txt", "a.txt,b.doc,c.txt", "", "c.txt"},
      {{"a.txt"}, "*.old", "a.old,a.txt,b.doc", "", "a.old"},
      // A bare name that is a folder of the pane's is that folder.
      {{"a.txt"}, "sub", "a.txt,b.doc,sub,sub\\a.txt", "", "a.txt"},
  };
  for (const TCase& c : cases) {
    TTempFolder from, to;
    Put(from / "a.txt", "a", TimeAt(1));
    Put(from / "b.doc", "b", TimeAt(1));
    if (std::string(c.target) == "sub") CreateDirectoryA((from / "sub").c_str(), nullptr);
    TTestList l;
    l.ReadDir(from.Path(), {c.marked.begin(), c.marked.end()});
    std::string target = c.target;
    if (target.rfind("%d", 0) == 0) target = to.Path() + target.substr(2);
    TScriptedView v;
    ASSERT_TRUE(RunOperation(l.List(), target, opCopy, v, At(from.Path())));
    EXPECT_EQ(TreeNames(from.Path()), c.wantFrom) << c.target;
    EXPECT_EQ(TreeNames(to.Path()), c.wantTo) << c.target;
    EXPECT_EQ(l.List().CursorName, c.cursor) << c.target;
  }
}

TEST_F(FileOpsTargets, BareNameFromTheBasketStaysInEachItemsFolder) {
  Put(src / "one\\a.txt", "a", TimeAt(1));
  Put(src / "two\\b.txt", "b", TimeAt(1));
  // A folder named like the mask in the current folder must not catch it.
  TTestList l;
  l.ReadDir(src / "one", {"a.txt"});
  l.ReadDir(src / "two", {"b.txt"});
  TScriptedView v;
  ASSERT_TRUE(RunOperation(l.List(), "*.bak", opCopy, v));
  EXPECT_EQ(TreeNames(src.Path()), "one,one\\a.bak,one\\a.txt,two,two\\b.bak,two\\b.txt");
  // From the basket a relative folder part has nothing to resolve against.
  std::string refusal;
  TRunOptions o;
  o.Refusal = &refusal;
  TTestList again;
  again.ReadDir(src / "one", {"a.txt"});
  EXPECT_FALSE(RunOperation(again.List(), "one\\", opCopy, v, o));
  EXPECT_EQ(refusal, "The given target path\r\none\\\r\nis invalid!");
}

TEST_F(FileOpsTargets, AMaskThatLeavesNoNameIsRefusedPerItem) {
  Put(src / "noext", "a", TimeAt(1));
  TTestList l;
  l.ReadDir(src.Path(), {"noext"});
  view.Answers = {qrYes};  // Retry acts as Skip: the name would be the same
  ASSERT_TRUE(RunOperation(l.List(), dst.Path() + "\\.*", opCopy, view, At(src.Path())));
  EXPECT_EQ(view.Kinds(), "2.4.123");
  EXPECT_EQ(view.Questions[0].Caption, "Error file copy 4");
  EXPECT_EQ(TreeNames(dst.Path()), "");
  EXPECT_EQ(TreeNames(src.Path()), "noext");
}

TEST_F(FileOpsTargets, ParseTarget) {
  Put(src / "sub2\\x.txt", "x", TimeAt(1));
  CreateDirectoryA((src / "b").c_str(), nullptr);
  // Decoys in the current folder (the program's, when Kelvanto runs): a
  // relative target must never resolve there.
  TTempFolder current;
  for (const char* n : {"b", "c"}) CreateDirectoryA((current / n).c_str(), nullptr);
  char saved[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, saved);
  SetCurrentDirectoryA(current.Path().c_str());
  struct TCase {
    const char* root;
    const char* target;  // "%s" stands for the source folder
    bool want;
    const char* wantFolder;
    const char* wantName;
  };
  static const TCase cases[] = {
      {"%s", "Q:\\nope\\", false, "", ""},
      {"%s", "sub2\\", true, "%s\\sub2\\", ""},
      {"", "sub2\\", false, "", ""},
      {"%s", "%s\\sub2", true, "%s\\sub2\\", ""},
      {"%s", "%s\\sub2\\new.txt", true, "%s\\sub2\\", "new.txt"},
      {"%s", "%s/sub2/*.bak", true, "%s\\sub2\\", "*.bak"},
      {"%s", "sub2", true, "%s\\sub2\\", ""},
      {"", "sub2", true, "", "sub2"},
      {"%s", "%s\\missing\\", false, "", ""},
      {"%s", "b\\", true, "%s\\b\\", ""},
      {"%s", "b\\x.txt", true, "%s\\b\\", "x.txt"},
      {"%s", "c\\", false, "", ""},
  };
  auto expand = [&](const char* t) {
    std::string s = t;
    for (size_t at; (at = s.find("%s")) != std::string::npos;) s.replace(at, 2, src.Path());
    return s;
  };
  for (const TCase& c : cases) {
    PluginStructure.RootPath = expand(c.root);
    std::string folder, name, warning;
    EXPECT_EQ(ParseTarget(expand(c.target), folder, name,
                          [&](const std::string& t) { warning = t; }),
              c.want)
        << c.target;
    if (c.want) {
      EXPECT_EQ(folder, expand(c.wantFolder)) << c.target;
      EXPECT_EQ(name, c.wantName) << c.target;
    } else {
      EXPECT_TRUE(HasText(warning, "The given target path\r\n")) << c.target;
    }
  }
  PluginStructure.RootPath.clear();
  // Two entries onto one plain name.
  Put(src / "a.txt", "a", TimeAt(1));
  TTestList l;
  l.ReadDir(src.Path(), {"a.txt", "sub2"});
  std::string refusal;
  TRunOptions o = At(src.Path());
  o.Refusal = &refusal;
  EXPECT_FALSE(RunOperation(l.List(), dst / "one.txt", opCopy, view, o));
  EXPECT_EQ(refusal, "You cannot move or copy more than one file to a single file!");
  EXPECT_EQ(TreeNames(dst.Path()), "");
  // The whole copy of one file to b\ lands in the pane's b.
  TTestList one;
  one.ReadDir(src.Path(), {"a.txt"});
  TScriptedView v;
  ASSERT_TRUE(RunOperation(one.List(), "b\\", opCopy, v, At(src.Path())));
  EXPECT_EQ(ReadTestFile(src / "b\\a.txt"), "a");
  EXPECT_EQ(TreeNames(current.Path()), "b,c");
  SetCurrentDirectoryA(saved);
}

// A folder copied or moved into itself would never end, and a file onto
// itself would be destroyed: every path to the same place is refused.
TEST_F(FileOpsTargets, NothingIsCopiedOrMovedOntoItself) {
  TTestDrive drive('k', DRIVE_FIXED);
  ASSERT_TRUE(drive.Ok());
  const std::string base = drive.Folder();
  struct TCase {
    uint32_t code;
    const char* item;
    const char* target;  // "%b" the folder on C:, "%k" the same folder as K:
    bool basket;
    bool wantRefused;
  };
  static const TCase cases[] = {
      {opCopy, "bb", "%b\\bb\\sub\\", false, true},
      {opCopy, "bb", "%b\\b\\", false, false},
      {opCopy, "bb", "%b\\bb\\sub\\..\\", false, true},
      {opCopy, "bb", "%b/bb/sub/", false, true},
      {opCopy, "bb", "%k\\bb\\sub\\", false, true},
      {opCopy, "bb", "%b\\bb\\sub\\", true, true},
      {opMove, "bb", "%b\\bb\\sub\\", false, true},
      {opMove, "bb", "%k\\bb\\sub\\", false, true},
      {opCopy, "f.txt", "%k\\", false, true},
      {opMove, "f.txt", "%k\\", false, true},
  };
  for (const TCase& c : cases) {
    for (const char* n : {"\\bb", "\\b", "\\f.txt"}) TTempFolder::RemoveTree(base + n);
    Put(base + "\\bb\\sub\\in.txt", "in", TimeAt(1));
    Put(base + "\\f.txt", "only copy", TimeAt(1));
    CreateDirectoryA((base + "\\b").c_str(), nullptr);
    std::string target = c.target;
    target.replace(0, 2, target[1] == 'b' ? base : drive.Root().substr(0, 2));
    TTestList l;
    l.ReadDir(base, {c.item});
    TScriptedView v;
    ASSERT_TRUE(RunOperation(l.List(), target, c.code, v, At(c.basket ? "" : base)));
    EXPECT_EQ(!v.Messages.empty() && v.Messages[0].Text == "You cannot copy a file to itself!",
              c.wantRefused)
        << c.target;
    EXPECT_EQ(ReadTestFile(base + "\\f.txt"), "only copy") << c.target;
    EXPECT_EQ(ReadTestFile(base + "\\bb\\sub\\in.txt"), "in") << c.target;
    EXPECT_FALSE(PathExists(base + "\\bb\\sub\\bb")) << c.target;
    EXPECT_EQ(PathExists(base + "\\b\\bb\\sub\\in.txt"), !c.wantRefused) << c.target;
  }
  for (const char* n : {"\\bb", "\\b", "\\f.txt"}) TTempFolder::RemoveTree(base + n);
}

// A copy is written under a longer name first: a target at the path's
// limit still copies.
TEST_F(FileOpsTargets, ATargetPathAtTheLimitCopies) {
  const std::string name = std::string(250 - dst.Path().size(), 'n') + ".txt";
  Put(src / name, "long", TimeAt(1));
  TTestList l;
  l.ReadDir(src.Path(), {name});
  ASSERT_TRUE(RunOperation(l.List(), dst.Path() + "\\", opCopy, view, At(src.Path())));
  EXPECT_EQ(view.Kinds(), "");
  EXPECT_EQ(TreeNames(dst.Path()), name);
}

TEST_F(FileOpsTargets, MakingAFolderOverAFileAsksAndEnds) {
  Put(src / "d\\in.txt", "in", TimeAt(1));
  Put(dst / "d", "a file", TimeAt(1));
  TTestList l;
  l.ReadDir(src.Path(), {"d"});
  view.Answers = {qrNo};
  const DWORD start = GetTickCount();
  ASSERT_TRUE(RunOperation(l.List(), dst.Path() + "\\", opCopy, view, At(src.Path())));
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_EQ(view.Kinds(), "5.5.183");
  EXPECT_EQ(view.Questions[0].Caption, "Error on creating directory");
  EXPECT_TRUE(HasText(view.Questions[0].Message, dst / "d")) << view.Questions[0].Message;
  EXPECT_EQ(ReadTestFile(dst / "d"), "a file");
}

TEST_F(FileOpsTargets, MoveToAnotherDriveCopiesDeletesAndKeepsWhatWasSkipped) {
  TTestDrive drive('k', DRIVE_FIXED);
  ASSERT_TRUE(drive.Ok());
  MakeTree(src.Path());
  const TTreeState before = TreeState(src.Path());
  Put(drive.Root() + "sub\\deep\\c.txt", "kept", TimeAt(9));
  GeneralCheckContainer = OptShowHidden | OptConfirmOverwrite | OptRecycle;
  TTestList l;
  l.ReadDir(src.Path(), TreeItems());
  view.Answers = {qrNo};
  ASSERT_TRUE(RunOperation(l.List(), drive.Root(), opMove, view, At(src.Path())));
  EXPECT_EQ(view.Kinds(), "1.0.2");
  // The skipped file keeps its folders, each reported as not removed.
  EXPECT_EQ(TreeNames(src.Path()), "sub,sub\\deep,sub\\deep\\c.txt");
  ASSERT_EQ(view.Messages.size(), 2u);
  EXPECT_TRUE(HasText(view.Messages[0].Text, "Directory " + src / "sub\\deep" + " not deleted!"));
  TTreeState moved = TreeState(drive.Folder());
  EXPECT_EQ(moved["sub\\deep\\c.txt"].Content, "kept");
  moved.erase("sub\\deep\\c.txt");
  TTreeState want = before;
  want.erase("sub\\deep\\c.txt");
  EXPECT_EQ(moved, want);
  // Moved sources went for good, not to the recycle bin.
  char trash[MAX_PATH] = "";
  GetEnvironmentVariableA("XDG_DATA_HOME", trash, MAX_PATH);
  EXPECT_FALSE(PathExists("Z:" + std::string(trash) + "/Trash/files/a.txt"));
  TTempFolder::RemoveTree(drive.Folder() + "\\sub");
  for (const char* n : {"a.txt", "empty.txt", "ro.txt", "hid.txt"})
    TTempFolder::RemoveTree(drive.Folder() + "\\" + n);
}

}  // namespace

namespace {

using OperationsTesting::TFault;

// Faults a root process never meets on a real file system come through the
// copy loop's hook; no fault may leave a partial file or touch an old one.
TEST_F(FileOps, FaultsLeaveNoPartialCopyAndKeepOldTargetAndSource) {
  struct TCase {
    TFault fault;
    const char* caption;
  };
  static const TCase cases[] = {
      {TFault::ShortRead, "READ FROM FILE: Error 38"},
      {TFault::FailRead, "READ FROM FILE: Error 30"},
      {TFault::ShortWrite, "WRITE TO FILE: Error 112"},
      {TFault::FailWrite, "WRITE TO FILE: Error 112"},
      {TFault::FailTimes, "SetFileTime: Error 5"},
      {TFault::FailClose, "CloseHandle Write: Error 112"},
      {TFault::FailAttributes, "SetFileAttributes: Error 5"},
  };
  const std::string content(400000, 'x');
  for (const TCase& c : cases) {
    for (const char* kind : {"new", "overwrite", "move"}) {
      TTempFolder from, to;
      Put(from / "a.txt", content, TimeAt(1));
      const bool overwrite = std::string(kind) == "overwrite";
      if (overwrite) Put(to / "a.txt", "old", TimeAt(0));
      TTestList l;
      l.ReadDir(from.Path(), {"a.txt"});
      TScriptedView v;
      TRunOptions o = At(from.Path());
      // Between two folders of one drive, as if between two drives.
      o.Adjust = [](TOperations& t) { t.SameDrive = false; };
      OperationsTesting::InjectFault(c.fault);
      const bool ran = RunOperation(l.List(), to.Path() + "\\",
                                    std::string(kind) == "move" ? opMove : opCopy, v, o);
      OperationsTesting::InjectFault(TFault::None);
      ASSERT_TRUE(ran);
      ASSERT_EQ(v.Messages.size(), 1u) << c.caption << " " << kind;
      EXPECT_EQ(v.Messages[0].Caption, c.caption) << kind;
      EXPECT_FALSE(v.Messages[0].Text.empty());
      EXPECT_EQ(TreeNames(to.Path()), overwrite ? "a.txt" : "") << c.caption << " " << kind;
      EXPECT_EQ(ReadTestFile(to / "a.txt"), overwrite ? "old" : "") << c.caption;
      EXPECT_EQ(ReadTestFile(from / "a.txt"), content) << c.caption << " " << kind;
    }
  }
}

std::string Environment(const char* name) {
  char value[MAX_PATH] = "";
  GetEnvironmentVariableA(name, value, MAX_PATH);
  return value;
}

// Run by the test below: a copy or move between drives that its process
// does not survive. A plain test: a killed fixture would leave its folders.
TEST(FileOpsKilled, DISABLED_Copy) {
  Translator();
  RegisterSharedTexts();
  GeneralCheckContainer = OptShowHidden;
  const std::string from = Environment("KVT_FROM");
  OperationsTesting::KillAt(OperationsTesting::TStep(std::stoi(Environment("KVT_STEP"))));
  TTestList l;
  l.ReadDir(from, {"a.txt", "big.bin", "z.txt"});
  TScriptedView v;
  TRunOptions o = At(from);
  o.Adjust = [](TOperations& t) { t.SameDrive = false; };
  RunOperation(l.List(), Environment("KVT_TO") + "\\", uint32_t(std::stoi(Environment("KVT_CODE"))), v, o);
  EndFreshProcessCase();
}

// Killed at any step of a copy, every name holds a whole file or none, so
// copying again with "Yes all older" leaves every file whole.
TEST_F(FileOps, AKilledCopyLeavesNoPartialFileThatYesAllOlderWouldKeep) {
  using OperationsTesting::TStep;
  for (uint32_t code : {opCopy, opMove}) {
    for (TStep step : {TStep::MidCopy, TStep::Times, TStep::Attributes, TStep::Name, TStep::Close}) {
      TTempFolder from, to;
      Put(from / "a.txt", "alpha", TimeAt(1));
      Put(from / "big.bin", std::string(1000000, 'b'), TimeAt(2));
      Put(from / "z.txt", "zed", TimeAt(3), FILE_ATTRIBUTE_READONLY);
      const TTreeState want = TreeState(from.Path());
      SetEnvironmentVariableA("KVT_FROM", from.Path().c_str());
      SetEnvironmentVariableA("KVT_TO", to.Path().c_str());
      SetEnvironmentVariableA("KVT_STEP", std::to_string(int(step)).c_str());
      SetEnvironmentVariableA("KVT_CODE", std::to_string(code).c_str());
      ASSERT_EQ(ExitCodeInAFreshProcess("FileOpsKilled.DISABLED_Copy"), OperationsTesting::KilledExitCode);
      TTreeState killed = TreeState(to.Path());
      for (const auto& [name, node] : want)
        if (killed.count(name)) {
          EXPECT_EQ(killed[name], node) << name << " " << int(step);
        }
      GeneralCheckContainer = OptShowHidden | OptConfirmOverwrite;
      TTestList l;
      l.ReadDir(from.Path(), {"a.txt", "big.bin", "z.txt"});
      TScriptedView v;
      v.Answers = {qrYesAllOlder};
      TRunOptions o = At(from.Path());
      o.Adjust = [](TOperations& t) { t.SameDrive = false; };
      ASSERT_TRUE(RunOperation(l.List(), to.Path() + "\\", code, v, o));
      TTreeState again = TreeState(to.Path());
      for (const auto& [name, node] : want) EXPECT_EQ(again[name], node) << name << " " << int(step);
    }
  }
}

TEST_F(FileOps, AStopInsideAHugeFileEndsWithinASecond) {
  src.File("huge.bin", 2ull << 30);
  Put(src / "later.txt", "later", TimeAt(1));
  Put(dst / "later.txt", "old", TimeAt(0));
  GeneralCheckContainer = OptShowHidden | OptConfirmOverwrite;
  TTestList l;
  l.ReadDir(src.Path(), {"huge.bin", "later.txt"});
  TOperations* running = nullptr;
  DWORD stopAt = 0;
  view.OnProgress = [&](int, int current) {
    if (current > 0 && !stopAt && running) {
      stopAt = GetTickCount();
      running->RequestStop();
    }
  };
  TRunOptions o = At(src.Path());
  o.Running = &running;
  ASSERT_TRUE(RunOperation(l.List(), dst.Path() + "\\", opCopy, view, o));
  ASSERT_NE(stopAt, 0u);
  EXPECT_LT(GetTickCount() - stopAt, 1000u);
  EXPECT_EQ(view.Kinds(), "");
  EXPECT_EQ(TreeNames(dst.Path()), "later.txt");
  EXPECT_EQ(ReadTestFile(dst / "later.txt"), "old");
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExA((src / "huge.bin").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  EXPECT_EQ(data.nFileSizeLow, 0x80000000u);
}

TEST_F(FileOps, ABusyWindowThreadHoldsUpNoCopy) {
  // The window thread stays in the first progress report until every file
  // is there: a report that the copy waited for would hold it at the first.
  std::vector<std::string> names;
  for (int i = 0; i < 40; ++i) {
    names.push_back("f" + std::to_string(i) + ".txt");
    Put(src / names.back(), "x", TimeAt(1));
  }
  TTestList l;
  l.ReadDir(src.Path(), names);
  size_t copiedMeanwhile = 0;
  view.OnProgress = [&, first = true](int, int) mutable {
    const DWORD deadline = GetTickCount() + 10000;
    while (first && (copiedMeanwhile = dst.Names().size()) < names.size() && GetTickCount() < deadline)
      Sleep(10);
    first = false;
  };
  ASSERT_TRUE(RunOperation(l.List(), dst.Path() + "\\", opCopy, view, At(src.Path())));
  EXPECT_EQ(copiedMeanwhile, names.size());
  EXPECT_EQ(view.LastOverall, 100);
  EXPECT_EQ(TreeState(dst.Path()), TreeState(src.Path()));
}

TEST_F(FileOps, DeleteAndRemoveFromBasketKeepWhatIsStillThere) {
  Put(src / "one\\a.txt", "a", TimeAt(1));
  Put(src / "one\\kept.txt", "k", TimeAt(1), FILE_ATTRIBUTE_READONLY);
  Put(src / "two\\b.txt", "b", TimeAt(1));
  Put(src / "two\\deep\\c.txt", "c", TimeAt(1));
  InitFileList(Basket, 10, 300, "*.*", 10000);
  AttachBasketView(ModeLeftView, true, Basket);
  AttachBasketView(ModeSecondMark, true, Basket);
  Basket.ModeFlags = ModeBasketView | ModeLeftView;
  for (const auto& [folder, name] : std::vector<std::pair<std::string, std::string>>{
           {src / "one", "a.txt"}, {src / "one", "kept.txt"}, {src.Path(), "two"}}) {
    std::string f = folder;
    AddFileFromDisk(folder, name, uint32_t(FindOrAddDir(f, Basket)), Basket);
  }
  SortAllDirs(Basket);
  RefreshAllLists();
  GeneralCheckContainer = OptShowHidden | OptConfirmReadOnly;
  {
    TBlockLock<TFileRecord> files(Basket.FileBlock);
    for (int i = 0; i < Basket.FileCount; ++i) files[size_t(i)].Flags |= FileMarked;
  }
  UpdateListTotals(Basket);
  // No to the read-only file, Yes to all for the folder that is not empty.
  view.Answers = {qrNo, qrYesToAll};
  ASSERT_TRUE(RunOperation(Basket, "", opDelete, view));
  EXPECT_EQ(view.Kinds(), "3.0.1,6.0.0");
  EXPECT_EQ(TreeNames(src.Path()), "one,one\\kept.txt");
  TStringList lines;
  BuildBasketList(Basket, lines);
  EXPECT_EQ(lines.Text(), src / "one\\kept.txt\r\n");
  // Removing from the basket touches no file.
  {
    TBlockLock<TFileRecord> files(Basket.FileBlock);
    files[0].Flags |= FileMarked;
  }
  UpdateListTotals(Basket);
  TScriptedView v;
  ASSERT_TRUE(RunOperation(Basket, "", opRemoveFromBasket, v));
  EXPECT_EQ(Basket.FileCount, 0);
  EXPECT_EQ(v.LastOverall, 100);
  EXPECT_TRUE(PathExists(src / "one\\kept.txt"));
  FreeFileList(Basket);
}

}  // namespace

namespace {

// A Unix folder as the prefix's drive Z: shows it.
std::string UnixFolder(const char* variable) {
  const char* value = getenv(variable);
  if (!value) return "";
  std::string path = std::string("Z:") + value;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

class FileOpsBasket : public FileOps {
 protected:
  void SetUp() override {
    FileOps::SetUp();
    InitFileList(Basket, 10, 300, "*.*", 10000);
  }
  void TearDown() override { FreeFileList(Basket); }
};

// Behind a folder link lies somebody else's folder (under Wine a prefix's
// own Desktop is one): nothing may be sized, copied, moved or deleted there.
TEST_F(FileOpsBasket, FolderLinksAreNeverEntered) {
  const std::string root = UnixFolder("KVT_LINKS");
  if (root.empty()) GTEST_SKIP() << "no links made";
  const std::string tree = root + "\\tree", outside = root + "\\outside";
  ASSERT_TRUE(IsFolderLink(GetFileAttributesA((tree + "\\self").c_str())));
  const TTreeState kept = TreeState(outside);
  ASSERT_EQ(kept.size(), 1u);
  struct TCase {
    uint32_t code;
    int answer;
    const char* kinds;
  };
  // Retry on a link acts as Skip; a send to the basket passes links by
  // without a word, and an answer that would stop it is never asked for.
  static const TCase cases[] = {
      {0, 0, ""},  // sizing only
      {opCopy, qrYes, "2.6.1920,2.6.1920"},
      {opSendToBasket, qrCancel, ""},
      {opMove, qrNo, "2.6.1920,2.6.1920"},
      {opDelete, qrYes, "6.0.0"},
  };
  for (const TCase& c : cases) {
    Put(tree + "\\file.txt", "in", TimeAt(1));
    TTempFolder to;
    CreateDirectoryA((to / "tree").c_str(), nullptr);
    TTestList l;
    l.ReadDir(root, {"tree"});
    // A second item, selected after the folder with the links.
    TTempFolder later;
    Put(later / "later.txt", "later", TimeAt(1));
    if (c.code == opSendToBasket) l.ReadDir(later.Path(), {"later.txt"});
    TScriptedView v;
    v.Answers = {c.answer, c.answer};
    if (c.code == 0) {
      int64_t files = 0;
      EXPECT_EQ(GetSelectionSize(files, l.List(), true), 2u);
      EXPECT_EQ(files, 1);
    } else {
      ASSERT_TRUE(RunOperation(l.List(), to.Path() + "\\", c.code, v, At(root)));
    }
    EXPECT_EQ(v.Kinds(), c.kinds) << c.code;
    EXPECT_EQ(TreeState(outside), kept) << c.code;
    switch (c.code) {
      case opCopy:
        EXPECT_EQ(TreeNames(to.Path()), "tree,tree\\file.txt");
        break;
      case opSendToBasket: {
        TStringList lines;
        BuildBasketList(Basket, lines);
        EXPECT_EQ(lines.Text(), tree + "\\file.txt\r\n" + later / "later.txt" + "\r\n");
        break;
      }
      case opMove:
      case opDelete:
        // The links stay, and with them their folder, reported as not removed.
        EXPECT_FALSE(PathExists(tree + "\\file.txt")) << c.code;
        ASSERT_FALSE(v.Messages.empty());
        EXPECT_EQ(v.Messages.back().Text, "Directory " + [&] {
          std::string s;
          CapitalizePath(tree, s);
          return s;
        }() + " not deleted!");
        break;
    }
  }
}

std::string TrashFolder() { return UnixFolder("XDG_DATA_HOME") + "\\Trash"; }

TEST_F(FileOps, RecycleBinDeletesNeverDeleteForGoodWithoutAsking) {
  const std::string trash = TrashFolder();
  ASSERT_NE(trash, "\\Trash");
  GeneralCheckContainer = OptShowHidden | OptRecycle;
  const std::string name = "r" + std::to_string(GetTickCount()) + ".txt";
  Put(src / name, "recycled", TimeAt(1));
  TTestList l;
  l.ReadDir(src.Path(), {name});
  ASSERT_TRUE(RunOperation(l.List(), "", opDelete, view, At(src.Path())));
  EXPECT_EQ(view.Kinds(), "");
  EXPECT_FALSE(PathExists(src / name));
  EXPECT_EQ(ReadTestFile(trash + "\\files\\" + name), "recycled");
  // The shell finds out once per process whether its bin is usable: the
  // unusable bin is tried in a process of its own.
  TTempFolder::RemoveTree(trash + ".kept");
  ASSERT_TRUE(MoveFileA(trash.c_str(), (trash + ".kept").c_str()));
  ASSERT_TRUE(WriteTestFile(trash, ""));
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = std::string("\"") + self +
                        "\" --gtest_also_run_disabled_tests --gtest_filter=FileOps.DISABLED_UnusableBin";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &si, &pi));
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  DeleteFileA(trash.c_str());
  EXPECT_TRUE(MoveFileA((trash + ".kept").c_str(), trash.c_str()));
  EXPECT_EQ(code, 0u) << "the unusable bin's case failed";
}

// Run by the test above: the shell's own question comes from the worker's
// thread; No keeps the file and is a failure, Yes deletes it.
TEST_F(FileOps, DISABLED_UnusableBin) {
  GeneralCheckContainer = OptShowHidden | OptRecycle;
  for (int answer : {IDNO, IDYES}) {
    Put(src / "last.txt", "last copy", TimeAt(1));
    TTestList l;
    l.ReadDir(src.Path(), {"last.txt"});
    TOperations* running = nullptr;
    std::atomic<bool> done{false}, answered{false};
    std::thread driver([&] {
      for (int i = 0; i < 1000 && !done; ++i, Sleep(10)) {
        HWND box = FindWindowA("#32770", nullptr);
        TOperations* t = running;
        if (!box || !t || GetWindowThreadProcessId(box, nullptr) != t->ThreadId()) continue;
        PostMessageA(box, WM_COMMAND, answer, LPARAM(GetDlgItem(box, answer)));
        answered = true;
        break;
      }
    });
    TScriptedView v;
    v.Answers = {qrNo};
    TRunOptions o = At(src.Path());
    o.Running = &running;
    const bool ran = RunOperation(l.List(), "", opDelete, v, o);
    done = true;
    driver.join();
    ASSERT_TRUE(ran);
    EXPECT_TRUE(answered);
    if (answer == IDNO) {
      EXPECT_EQ(v.Kinds(), "2.3.0");
      ASSERT_FALSE(v.Questions.empty());
      EXPECT_EQ(v.Questions[0].Caption, "Error file delete 3");
      EXPECT_TRUE(HasText(v.Questions[0].Message, "Can't delete file!"));
      EXPECT_EQ(ReadTestFile(src / "last.txt"), "last copy");
    } else {
      EXPECT_EQ(v.Kinds(), "");
      EXPECT_FALSE(PathExists(src / "last.txt"));
    }
  }
}

}  // namespace

namespace {

// On one drive a move is a rename: a case-only one goes through a free
// name (a direct one does nothing under Wine), and one over an existing
// target replaces it in one step, or keeps it when refused.
TEST_F(FileOps, MovesOnOneDrive) {
  struct TCase {
    const char* target;
    int answer;
    const char* wantNames;
    const char* wantContent;  // of the file that bears the target's name
  };
  static const TCase cases[] = {
      {"A.TXT", 0, "A.TXT,old.txt", "a"},
      {"old.txt", qrYes, "old.txt", "a"},
      {"old.txt", qrNo, "a.txt,old.txt", "old"},
  };
  for (const TCase& c : cases) {
    TTempFolder dir;
    Put(dir / "a.txt", "a", TimeAt(1));
    Put(dir / "old.txt", "old", TimeAt(0), FILE_ATTRIBUTE_READONLY);
    GeneralCheckContainer = OptShowHidden | OptConfirmOverwrite;
    TTestList l;
    l.ReadDir(dir.Path(), {"a.txt"});
    TScriptedView v;
    if (c.answer) v.Answers = {c.answer};
    ASSERT_TRUE(RunOperation(l.List(), c.target, opMove, v, At(dir.Path())));
    EXPECT_EQ(v.Kinds(), c.answer ? "1.0.2" : "") << c.target;
    EXPECT_EQ(TreeNames(dir.Path()), c.wantNames) << c.target;
    EXPECT_EQ(ReadTestFile(dir / c.target), c.wantContent) << c.target;
    EXPECT_TRUE(v.Messages.empty()) << v.Messages[0].Caption;
  }
}

// Beside "Omega.txt" (5 bytes) a file of 6 whose name the ANSI calls give as
// its best-fit twin "Omega.txt", or with a "?" (中); a replace makes it 8. The
// row "?mega.txt" is that of an entry without a short name either.
TEST_F(FileOps, EveryOperationActsOnTheFileOfItsRow) {
  constexpr uint32_t kReplace = 100, kRename = 101;
  static const struct {
    const char* title;
    uint32_t action;
    const wchar_t* chosen;
    const char *row, *arrived, *kinds;  // row: in place of the one read; arrived: in the target or basket
    std::vector<int64_t> sizes;  // of Omega.txt, the chosen file and renamed.txt afterwards
  } cases[] = {
      {"copy", opCopy, L"\x03A9mega.txt", nullptr, "chosen", "", {5, 6, -1}},
      {"move", opMove, L"\x03A9mega.txt", nullptr, "chosen", "", {5, -1, -1}},
      {"delete", opDelete, L"\x03A9mega.txt", nullptr, "", "", {5, -1, -1}},
      {"basket", opSendToBasket, L"\x03A9mega.txt", nullptr, "chosen", "", {5, 6, -1}},
      {"replace", kReplace, L"\x03A9mega.txt", nullptr, "", "", {5, 8, -1}},
      {"rename", kRename, L"\x03A9mega.txt", nullptr, "", "", {5, -1, 6}},
      {"no form", opDelete, L"\x4E2D.txt", nullptr, "", "", {5, -1, -1}},
      {"no name", opDelete, L"\x03A9mega.txt", "?mega.txt", "", "2.1.1113", {5, 6, -1}},
  };
  GeneralCheckContainer = OptShowHidden | OptRecycle;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    TTempFolder from, to;
    auto path = [&](const wchar_t* name) { return std::wstring(from.Path().begin(), from.Path().end()) + L"\\" + name; };
    DWORD written;
    for (const wchar_t* name : {L"Omega.txt", c.chosen})
      WriteFile(THandle(CreateFileW(path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)).Get(),
                "chosen", name == c.chosen ? 6 : 5, &written, nullptr);
    TTestList l;
    const uint32_t dir = l.ReadDir(from.Path(), {});
    TFileRecord& e = l.Entry(dir, l.Entry(dir, 1).Size == 6 ? 1 : 2);
    EXPECT_EQ(ReadTestFile(from / l.Name(e)), "chosen");  // the row names its own file
    const std::string row = c.row ? c.row : l.Name(e);
    if (c.row) l.AddEntry(row); else e.Flags |= FileMarked;
    UpdateListTotals(l.List());
    InitFileList(Basket, 10, 300, "*.*", 10000);
    TScriptedView v;
    TGlobalBlock block = BuildPatternBlock("chosen", "replaced", {});
    if (c.action == kReplace)
      EXPECT_EQ(TTextReplacer(nullptr, false, block.Handle(), rmReplace).ReplaceInFile(from / row), rrChanged);
    else if (c.action == kRename)
      EXPECT_TRUE(MoveFileNoReplace(from / row, from / "renamed.txt"));
    else
      ASSERT_TRUE(RunOperation(l.List(), to.Path() + "\\", c.action, v, At(from.Path())));
    EXPECT_EQ(v.Kinds(), c.kinds);
    std::vector<int64_t> sizes;
    WIN32_FILE_ATTRIBUTE_DATA data;
    for (const wchar_t* name : {L"Omega.txt", c.chosen, L"renamed.txt"})
      sizes.push_back(GetFileAttributesExW(path(name).c_str(), GetFileExInfoStandard, &data) ? int64_t(data.nFileSizeLow) : -1);
    EXPECT_EQ(sizes, c.sizes);
    TStringList lines;
    BuildBasketList(Basket, lines);
    std::string arrived = lines.Count() ? ReadTestFile(lines[0]) : "";
    for (const auto& [name, node] : TreeState(to.Path())) arrived += node.Content;
    EXPECT_EQ(arrived, c.arrived);
    FreeFileList(Basket);
    DeleteFileW(path(c.chosen).c_str());  // which the ANSI clean-up cannot name
  }
}

}  // namespace
