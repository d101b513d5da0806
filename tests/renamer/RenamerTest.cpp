#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/RenameName.h"
#include "core/SelectedItem.h"
#include "engines/PerformRename.h"
#include "engines/ReplacerBase.h"
#include "framework/FileIO.h"
#include "support/TempFolder.h"
#include "support/WorkerHost.h"

namespace {

// The name a folder entry has on disk, letter case included; "" when missing.
std::string DiskName(const std::string& path) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(path.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return {};
  FindClose(h);
  return fd.cFileName;
}

std::string Lower(std::string s) {
  CharLowerBuffA(s.data(), DWORD(s.size()));
  return s;
}

std::string FolderPart(const std::string& rel) {
  size_t at = rel.rfind('\\');
  return at == std::string::npos ? "" : rel.substr(0, at);
}

std::string NamePart(const std::string& rel) {
  size_t at = rel.rfind('\\');
  return at == std::string::npos ? rel : rel.substr(at + 1);
}

// A pane's list over the given files (each a path below the temp folder,
// its folder a directory record) and the rename plan copied from it the way
// the renamer window makes it: Tag = the source record number, one flat
// directory. A null item-id list entry name stands for a shell item.
class RenameJob {
 public:
  RenameJob(const TTempFolder& root, const std::vector<std::string>& files,
            const std::vector<bool>& shell = {}) {
    InitFileList(Source, 2, 2, "*.*", 50);
    InitFileList(Plan, 2, 2, "*.*", 50);
    for (size_t i = 0; i < files.size(); ++i) {
      const bool isShell = i < shell.size() && shell[i];
      Add(Source, root, files[i], isShell, 0);
      Add(Plan, root, files[i], isShell, uint32_t(i + 1));
    }
    FlattenDirBlocks(Plan, Plan.FileCount);
    TBlockLock<uint32_t> order(Plan.OrderBlock);
    for (int32_t i = 0; i < Plan.FileCount; ++i) order[i] = uint32_t(i + 1);
  }
  ~RenameJob() {
    RestoreDirBlocks(Plan);
    FreeFileList(Plan);
    FreeFileList(Source);
  }

  TFileRecord SourceRecord(int i) { return TBlockLock<TFileRecord>(Source.FileBlock)[i]; }
  std::string SourceName(int i) { return Source.Names->GetString(SourceRecord(i).NameOffset); }

  TstateOfBrowser Source;
  TstateOfBrowser Plan;

 private:
  static void Add(TstateOfBrowser& list, const TTempFolder& root, const std::string& rel,
                  bool shell, uint32_t tag) {
    const std::string dirPath =
        FolderPart(rel).empty() ? root.Path() : root.Path() + "\\" + FolderPart(rel);
    uint32_t dir = 0;
    {
      TBlockLock<TDirRecord> dirs(list.DirBlock);
      for (int32_t d = 0; d < list.DirCount && !dir; ++d)
        if (list.Names->GetString(dirs[d].PathOffset) == dirPath) dir = uint32_t(d + 1);
    }
    if (!dir) {
      TDirRecord d{nullptr, 0, uint32_t(list.FileCount), list.Names->Add(dirPath.c_str()),
                   DirOpen, 0, -1};
      dir = AddDirRecord(list, d);
    }
    if (list.FileCount >= list.FileCapacity) GrowFileBlocks(list, FileGrowthInsert);
    static SHITEMID fakeItem{};
    const std::string name = NamePart(rel);
    TFileRecord r{};
    r.ItemIdList = shell ? reinterpret_cast<LPITEMIDLIST>(&fakeItem) : nullptr;
    r.DirNumber = dir;
    r.Flags = FileMarked | FileMarkedRight;
    r.NameLength = uint32_t(name.size());
    r.NameOffset = list.Names->Add(name.c_str());
    r.ExtOffset = ExtOffsetOf(name.c_str(), r.NameOffset, r.NameLength, false);
    r.Tag = tag;
    TBlockLock<TFileRecord> files(list.FileBlock);
    TBlockLock<TDirRecord> dirs(list.DirBlock);
    TBlockLock<uint32_t> order(list.OrderBlock);
    files[list.FileCount] = r;
    order[list.FileCount] = ++dirs[dir - 1].FileCount;
    ++list.FileCount;
  }
};

class RenamerTest : public testing::Test {
 protected:
  void SetUp() override { RenamerFileStructure = TRenamerFileStructure{}; }

  DWORD Run(RenameJob& job) {
    TThreadOf<TRenamer> renamer;
    renamer.Plan = &job.Plan;
    renamer.SourceList = &job.Source;
    host.BindRename(renamer);
    renamer.SetPriority(THREAD_PRIORITY_NORMAL);
    DWORD state = host.Run(renamer);
    EXPECT_EQ(DWORD(renamer.FinalState), state);
    return state;
  }
  std::vector<int32_t> Results() const {
    std::vector<int32_t> r;
    for (const TWorkerCall& c : host.Calls)
      if (c.Kind == TWorkerCall::Progress) r.push_back(c.Result);
    return r;
  }

  TTempFolder root;
  TWorkerHost host;
};

struct TFileExpect {
  const char* file;      // planned, below the temp folder
  int32_t result;
  const char* diskName;  // the file's path afterwards, exact case
  uint32_t status;
  bool removed;
};

struct TPlanCase {
  const char* title;
  const char* mask;
  int32_t caseMode;
  const char* otherFile;  // present on disk, not planned
  bool missingFirst;      // the first planned file is gone before the run
  std::vector<TFileExpect> files;
};

const TPlanCase kPlanCases[] = {
    {"sub-folders made", "sub\\deep\\[N].[E]", 0, nullptr, false,
     {{"a.txt", rrChanged, "sub\\deep\\a.txt", fsSuccessful, false},
      {"b.doc", rrChanged, "sub\\deep\\b.doc", fsSuccessful, false}}},
    {"counter over folders", "[N]_[C].[E]", 0, nullptr, false,
     {{"x\\a.txt", rrChanged, "x\\a_1.txt", fsSuccessful, false},
      {"y\\a.txt", rrChanged, "y\\a_2.txt", fsSuccessful, false}}},
    {"equal names untouched", "[N].[E]", 0, nullptr, false,
     {{"same.txt", rrUnchanged, "same.txt", fsUnchanged, false}}},
    {"case only is a rename", "[N].[E]", 3, nullptr, false,
     {{"mixed.txt", rrChanged, "MIXED.TXT", fsSuccessful, false},
      {"x\\low.md", rrChanged, "x\\LOW.MD", fsSuccessful, false}}},
    {"existing target kept", "taken.[E]", 0, "taken.txt", false,
     {{"mine.txt", rrFailed, "mine.txt", fsFailed, false}}},
    {"two files onto one name", "one.[E]", 0, nullptr, false,
     {{"p.txt", rrChanged, "one.txt", fsSuccessful, false},
      {"q.txt", rrFailed, "q.txt", fsFailed, false}}},
    {"missing file marked gone", "[N]2.[E]", 0, nullptr, true,
     {{"gone.txt", rrFailed, nullptr, fsFailed, true},
      {"here.txt", rrChanged, "here2.txt", fsSuccessful, false}}},
    {"empty new name fails", "", 0, nullptr, false,
     {{"keep.txt", rrFailed, "keep.txt", fsFailed, false}}},
};

TEST_F(RenamerTest, RenamePlans) {
  for (const TPlanCase& c : kPlanCases) {
    SCOPED_TRACE(c.title);
    TTempFolder folder;
    RenamerFileStructure = TRenamerFileStructure{};
    RenamerFileStructure.NameMask = c.mask;
    RenamerFileStructure.CaseMode = c.caseMode;
    std::vector<std::string> planned;
    for (const TFileExpect& f : c.files) {
      planned.push_back(f.file);
      folder.File(f.file);
      ASSERT_TRUE(WriteFileReplacing(folder.Path() + "\\" + f.file, f.file));
    }
    if (c.otherFile) {
      ASSERT_TRUE(WriteFileReplacing(folder.Path() + "\\" + c.otherFile, "other"));
    }
    if (c.missingFirst) folder.Remove(c.files[0].file);
    RenameJob job(folder, planned);
    host.Calls.clear();
    EXPECT_EQ(Run(job), 2u);

    std::string sequence;
    for (size_t i = 0; i < c.files.size(); ++i) sequence += "DP";
    EXPECT_EQ(host.Sequence(), sequence + "T");
    std::vector<int32_t> results;
    for (const TFileExpect& f : c.files) results.push_back(f.result);
    EXPECT_EQ(Results(), results);
    for (size_t i = 0; i < c.files.size(); ++i) {
      const TFileExpect& f = c.files[i];
      SCOPED_TRACE(f.file);
      if (f.diskName) {
        const std::string path = folder.Path() + "\\" + f.diskName;
        EXPECT_EQ(DiskName(path), NamePart(f.diskName));
        std::string data;
        EXPECT_TRUE(ReadWholeFile(path, data));
        EXPECT_EQ(data, f.file);
      }
      const TFileRecord r = job.SourceRecord(int(i));
      EXPECT_EQ(r.GroupNumber, f.status);
      EXPECT_EQ(r.Flags & (FileMarked | FileMarkedRight), 0u);
      EXPECT_EQ((r.Flags & FileRemove) != 0, f.removed);
      const std::string newName = job.SourceName(int(i));
      if (f.result == rrChanged)
        EXPECT_EQ(FolderPart(f.file).empty() ? newName : FolderPart(f.file) + "\\" + newName,
                  f.diskName);
      else
        EXPECT_EQ(newName, NamePart(f.file));
      const TWorkerCall& done = host.Calls[2 * i];
      EXPECT_TRUE(done.OnHostThread);
      EXPECT_EQ(Lower(done.Message).substr(done.Message.find(" - ")),
                Lower(" - " + folder.Path() + "\\" + f.file));
    }
    if (c.otherFile) {
      std::string data;
      EXPECT_TRUE(ReadWholeFile(folder.Path() + "\\" + c.otherFile, data));
      EXPECT_EQ(data, "other");
    }
  }
}

TEST_F(RenamerTest, ShellItemsAreSkippedWithoutCounting) {
  RenamerFileStructure.NameMask = "n[C].[E]";
  for (const char* f : {"a.txt", "b.txt"}) root.File(f);
  RenameJob job(root, {"a.txt", "shell", "b.txt"}, {false, true, false});
  EXPECT_EQ(Run(job), 2u);
  EXPECT_EQ(host.Sequence(), "DPDPT");
  EXPECT_EQ(DiskName(root.Path() + "\\n1.txt"), "n1.txt");
  EXPECT_EQ(DiskName(root.Path() + "\\n2.txt"), "n2.txt");
  EXPECT_EQ(job.SourceRecord(1).Flags & FileMarked, FileMarked);
}

TEST_F(RenamerTest, CountsInDisplayOrder) {
  RenamerFileStructure.NameMask = "[C]_[N].[E]";
  for (const char* f : {"a.txt", "b.txt", "c.txt"}) root.File(f);
  RenameJob job(root, {"a.txt", "b.txt", "c.txt"});
  {
    TBlockLock<uint32_t> order(job.Plan.OrderBlock);
    for (uint32_t i = 0; i < 3; ++i) order[i] = 3 - i;
  }
  EXPECT_EQ(Run(job), 2u);
  for (const char* f : {"3_a.txt", "2_b.txt", "1_c.txt"})
    EXPECT_EQ(DiskName(root.Path() + "\\" + f), f);
  EXPECT_EQ(job.SourceName(2), "1_c.txt");
}

// Window code runs during the synchronised calls; when it grows the plan,
// the block moves (Wine moves even a locked one, and frees a large old
// block outright), and the worker must read the plan afresh.
TEST_F(RenamerTest, PlanThatMovesDuringTheRunIsReadAfresh) {
  RenamerFileStructure.NameMask = "m_[N].[E]";
  for (const char* f : {"a.txt", "b.txt", "c.txt"}) root.File(f);
  RenameJob job(root, {"a.txt", "b.txt", "c.txt"});
  ASSERT_TRUE(GrowFileBlocks(job.Plan, 100000));
  host.OnCall = [&](TThread&, const TWorkerCall& c) {
    if (c.Kind == TWorkerCall::FileDone) {
      ASSERT_TRUE(GrowFileBlocks(job.Plan, 100000));
    }
  };
  EXPECT_EQ(Run(job), 2u);
  for (const char* f : {"m_a.txt", "m_b.txt", "m_c.txt"}) EXPECT_EQ(DiskName(root.Path() + "\\" + f), f);
}

TEST_F(RenamerTest, StopKeepsDoneFilesAndLeavesTheRest) {
  RenamerFileStructure.NameMask = "r_[N].[E]";
  std::vector<std::string> files;
  for (const char* f : {"1.txt", "2.txt", "3.txt", "4.txt", "5.txt"}) {
    root.File(f);
    files.push_back(f);
  }
  RenameJob job(root, files);
  int done = 0;
  host.OnCall = [&](TThread& w, const TWorkerCall& c) {
    if (c.Kind == TWorkerCall::FileDone && ++done == 2) w.Terminate();
  };
  EXPECT_EQ(Run(job), 1u);
  EXPECT_EQ(host.Sequence(), "DPDPT");
  for (int i = 0; i < 5; ++i) {
    const bool renamed = i < 2;
    EXPECT_EQ(DiskName(root.Path() + "\\r_" + files[i]).empty(), !renamed) << i;
    EXPECT_EQ(DiskName(root.Path() + "\\" + files[i]).empty(), renamed) << i;
    EXPECT_EQ(job.SourceRecord(i).GroupNumber, renamed ? fsSuccessful : 0u) << i;
    EXPECT_EQ(job.SourceRecord(i).Flags & FileMarked, renamed ? 0u : FileMarked) << i;
  }
}

TEST(MoveFileNoReplace, CaseOnlyAndTakenTargets) {
  TTempFolder root;
  const std::string dir = root.Path() + "\\";
  ASSERT_TRUE(WriteFileReplacing(dir + "name.txt", "1"));
  ASSERT_TRUE(WriteFileReplacing(dir + "other.txt", "2"));
  EXPECT_TRUE(MoveFileNoReplace(dir + "name.txt", dir + "Name.TXT"));
  EXPECT_EQ(DiskName(dir + "name.txt"), "Name.TXT");
  EXPECT_FALSE(MoveFileNoReplace(dir + "Name.TXT", dir + "OTHER.txt"));
  std::string a, b;
  EXPECT_TRUE(ReadWholeFile(dir + "Name.TXT", a));
  EXPECT_TRUE(ReadWholeFile(dir + "other.txt", b));
  EXPECT_EQ(a + b, "12");
  EXPECT_EQ(DiskName(dir + "name.txt0"), "");
}

TEST(ForceFolders, MakesEachLevelAndIgnoresExisting) {
  TTempFolder root;
  root.Folder("a");
  ForceFolders(root.Path() + "\\", "a\\b\\c\\file.txt");
  for (const char* f : {"a", "a\\b", "a\\b\\c"})
    EXPECT_NE(GetFileAttributesA((root.Path() + "\\" + f).c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u)
        << f;
  EXPECT_EQ(GetFileAttributesA((root.Path() + "\\a\\b\\c\\file.txt").c_str()),
            INVALID_FILE_ATTRIBUTES);
}

}  // namespace
