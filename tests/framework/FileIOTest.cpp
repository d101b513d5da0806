#include <gtest/gtest.h>

#include "framework/FileIO.h"
#include "support/TempFolder.h"

namespace {

TEST(FileIO, ReplacingWriteNeverTouchesAUsersFilesBesideIt) {
  TTempFolder dir;
  ASSERT_TRUE(WriteTestFile(dir / "t.txt", "old"));
  ASSERT_TRUE(WriteTestFile(dir / "t.txt.new", "a user's own file"));
  dir.Folder("t.txt.new0");
  ASSERT_TRUE(WriteFileReplacing(dir / "t.txt", "new"));
  EXPECT_EQ(ReadTestFile(dir / "t.txt"), "new");
  EXPECT_EQ(ReadTestFile(dir / "t.txt.new"), "a user's own file");
  EXPECT_EQ(GetFileAttributesA((dir / "t.txt.new1").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(FileIO, FailedReplacingWriteKeepsTheOldFile) {
  TTempFolder dir;
  // A folder cannot be replaced by a file: the move fails.
  dir.Folder("t.txt");
  EXPECT_FALSE(WriteFileReplacing(dir / "t.txt", "new"));
  EXPECT_NE(GetFileAttributesA((dir / "t.txt").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(GetFileAttributesA((dir / "t.txt.new").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(WriteFileReplacing(dir / "missing\\t.txt", "new"));
}

}  // namespace
