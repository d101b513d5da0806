#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Lists.h"
#include "OpsHarness.h"
#include "core/translator.h"
#include "support/TempFolder.h"
#include "support/WineDrive.h"
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

}  // namespace
