#include <gtest/gtest.h>

#include <string>

#include "core/DirRegistry.h"
#include "framework/SystemError.h"
#include "support/TempFolder.h"
#include "windows/BasketList.h"

namespace {

class BasketListTest : public testing::Test {
 protected:
  void SetUp() override {
    InitFileList(Basket, 10, 300, "*.*", 10000);
    AttachBasketView(ModeLeftView, true, Basket);
    AttachBasketView(ModeSecondMark, true, Basket);
  }
  void TearDown() override { FreeFileList(Basket); }

  std::string Saved() {
    const std::string file = dir / "saved.lst";
    DWORD error = 0;
    EXPECT_TRUE(SaveBasketList(file, error));
    return ReadTestFile(file);
  }

  TTempFolder dir;
};

TEST_F(BasketListTest, LoadKeepsUsableLinesAndSaveWritesThemBack) {
  dir.File("one\\a.txt", 3);
  dir.File("two\\b.txt", 4);
  const std::string a = dir / "one\\a.txt", b = dir / "two\\b.txt";
  const std::string gone = dir / "three\\gone.txt";
  const std::string lines[] = {
      a,
      "",
      "nofolder.txt",
      "relative\\c.txt",
      "\\\\server\\",
      "\\\\\\share\\x.txt",
      dir / "one\\tab\there.txt",
      dir / "one\\" + std::string(260, 'x'),
      dir / "one\\",
      gone,
  };
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  text += b + "\n";  // a lone LF ends a line too, and so does the end of the file
  TStringList parsed;
  ParseBasketList(text, parsed);
  EXPECT_EQ(parsed.Text(), a + "\r\n" + gone + "\r\n" + b + "\r\n");
  ASSERT_TRUE(WriteTestFile(dir / "in.lst", text));
  DWORD error = 0;
  ASSERT_TRUE(LoadBasketList(dir / "in.lst", error));
  // The missing file's folder is added, then dropped empty by the refresh.
  EXPECT_EQ(Basket.DirCount, 2);
  EXPECT_EQ(Basket.FileCount, 2);
  EXPECT_EQ(LeftBasketView.FileCount, 2);
  EXPECT_EQ(Saved(), a + "\r\n" + b + "\r\n");
}

TEST_F(BasketListTest, FailedLoadOrSaveLeavesWhatWasThere) {
  dir.File("a.txt", 3);
  ASSERT_TRUE(WriteTestFile(dir / "in.lst", dir / "a.txt"));
  DWORD error = 0;
  ASSERT_TRUE(LoadBasketList(dir / "in.lst", error));
  EXPECT_FALSE(LoadBasketList(dir / "missing.lst", error));
  EXPECT_EQ(error, DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Basket.FileCount, 1);
  error = 0;
  EXPECT_FALSE(SaveBasketList(dir / "gone\\out.lst", error));
  EXPECT_NE(error, 0u);
  // An empty basket writes an empty file.
  TstateOfBrowser empty;
  InitFileList(empty, 10, 300, "*.*", 10000);
  ReplaceBasketWith(empty);
  EXPECT_EQ(Saved(), "");
}

TEST(SystemError, TextOfAMessageWithAnInsert) {
  std::string text;
  ShowSystemError(false, ERROR_BAD_EXE_FORMAT, text, "", "");
  EXPECT_NE(text.find("%1"), std::string::npos) << text;
  ShowSystemError(false, ERROR_FILE_NOT_FOUND, text, "", "");
  EXPECT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
}

}  // namespace
