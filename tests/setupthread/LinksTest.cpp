#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/OleAuto.h"
#include "setup/Links.h"
#include "support/BoxAnswers.h"
#include "support/ShellLinkRead.h"
#include "support/TempFolder.h"

namespace {

TEST(Links, CreateShellLinkResultCodes) {
  TComApartment com;
  TTempFolder dir;
  dir.File("target.exe", 10);
  const std::string target = dir / "target.exe";

  // A file already at the link path, of any kind, is replaced.
  ASSERT_TRUE(WriteTestFile(dir / "app.lnk", "not a link"));
  EXPECT_EQ(CreateShellLink(dir / "app.lnk", target, dir.Path()), slOk);
  const TLinkRead read = ReadShellLink(dir / "app.lnk");
  EXPECT_STRCASEEQ(read.Target.c_str(), target.c_str());
  EXPECT_STRCASEEQ(read.Folder.c_str(), dir.Path().c_str());

  ASSERT_TRUE(WriteTestFile(dir / "locked.lnk", "read-only"));
  SetFileAttributesA((dir / "locked.lnk").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(CreateShellLink(dir / "locked.lnk", target, dir.Path()), slCannotReplace);
  EXPECT_EQ(ReadTestFile(dir / "locked.lnk"), "read-only");
  SetFileAttributesA((dir / "locked.lnk").c_str(), FILE_ATTRIBUTE_NORMAL);

  EXPECT_EQ(CreateShellLink(dir / "missing\\app.lnk", target, dir.Path()), slCannotSave);
}

// The error box of a failed link names the target.
TEST(Links, MakeLinkNamesTheTargetInAnErrorBox) {
  TComApartment com;
  TTempFolder dir;
  TBoxAnswers boxes({{"Error", IDOK}});
  EXPECT_FALSE(MakeLink(nullptr, dir / "missing\\app.lnk", "C:\\KVT\\Kelvanto.exe", dir.Path()));
  EXPECT_TRUE(MakeLink(nullptr, dir / "app.lnk", dir / "x.exe", dir.Path()));
  EXPECT_EQ(boxes.Finish(),
            (std::vector<TBoxAnswers::TShown>{{"Error", "Cannot create link to file\r\nC:\\KVT\\Kelvanto.exe"}}));
}

}  // namespace
