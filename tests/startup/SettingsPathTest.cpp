#include <gtest/gtest.h>
#include <shlobj.h>

#include "support/TempFolder.h"
#include "core/FileUtils.h"
#include "framework/Handles.h"

namespace {

std::string AppDataSettings() {
  char appData[MAX_PATH];
  EXPECT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appData)));
  return std::string(appData) + "\\KVT\\kvt.ini";
}

TEST(SettingsPath, CreatesEmptyFileInProgramFolder) {
  TTempFolder dir;
  EXPECT_EQ(SettingsFileName(dir.Path() + "\\"), dir / "kvt.ini");
  EXPECT_EQ(GetFileSize64(dir / "kvt.ini"), 0);
  // Without a trailing backslash the same path comes back.
  std::string bare = dir.Path();
  EXPECT_EQ(SettingsFileName(bare), dir / "kvt.ini");
}

// The fallback folder is made by the code, so the test starts without it and
// leaves none behind (the prefix is kept from run to run).
TEST(SettingsPath, RefusingProgramFolderFallsBackToAppData) {
  const std::string file = AppDataSettings();
  const std::string folder = file.substr(0, file.size() - 8);
  auto removeFolder = [&] {
    DeleteFileA(file.c_str());
    RemoveDirectoryA(folder.c_str());
  };
  removeFolder();
  ASSERT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
  TTempFolder dir;
  // A folder of that name denies access to the file as a read-only folder would.
  ASSERT_TRUE(CreateDirectoryA((dir / "kvt.ini").c_str(), nullptr));
  EXPECT_EQ(SettingsFileName(dir.Path() + "\\"), file);
  const DWORD attr = GetFileAttributesA(folder.c_str());
  EXPECT_NE(attr, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attr & FILE_ATTRIBUTE_DIRECTORY);
  removeFolder();
}

TEST(SettingsPath, FileHeldWithoutSharingKeepsFirstPath) {
  TTempFolder dir;
  ASSERT_TRUE(WriteTestFile(dir / "kvt.ini", "[MainForm]\r\n"));
  THandle held(CreateFileA((dir / "kvt.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr));
  ASSERT_TRUE(held.Valid());
  EXPECT_EQ(SettingsFileName(dir.Path() + "\\"), dir / "kvt.ini");
  held.Reset();
  EXPECT_EQ(ReadTestFile(dir / "kvt.ini"), "[MainForm]\r\n");
}

TEST(FileHelpers, SizesAndFolderWalks) {
  TTempFolder dir;
  EXPECT_EQ(GetFileSize64(dir / "missing"), -1);
  ASSERT_TRUE(WriteTestFile(dir / "empty", ""));
  EXPECT_EQ(GetFileSize64(dir / "empty"), 0);
  ASSERT_TRUE(CreateDirectoryA((dir / "sub").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((dir / "sub\\deeper").c_str(), nullptr));
  ASSERT_TRUE(WriteTestFile(dir / "a", "12345"));
  ASSERT_TRUE(WriteTestFile(dir / "sub\\deeper\\b", "123"));
  int64_t count = -1;
  EXPECT_EQ(GetFolderSize(dir.Path(), count), 8);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(GetFolderSize(dir / "nothing", count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_FALSE(CanCreateExclusive(dir / "a"));
  EXPECT_EQ(ReadTestFile(dir / "a"), "12345");
  EXPECT_TRUE(CanCreateExclusive(dir / "new"));
  EXPECT_EQ(GetFileSize64(dir / "new"), 0);
}

struct TNameCase {
  const char* in;
  const char* name;
  const char* ext;
  const char* normal;
};

TEST(FileHelpers, NameTexts) {
  const TNameCase cases[] = {
      {"a.tar.gz", "a.tar", "gz", "a.tar.gz"},
      {".profile", "", "profile", ".profile"},
      {"README.TXT", "README", "TXT", "Readme.txt"},
      {"noext", "noext", "", "noext"},
      {"", "", "", ""},
  };
  for (const auto& c : cases) {
    std::string r;
    ExtractNamePart(c.in, r);
    EXPECT_EQ(r, c.name) << c.in;
    ExtractExtPart(c.in, r);
    EXPECT_EQ(r, c.ext) << c.in;
    NormalizeNameCase(c.in, r);
    EXPECT_EQ(r, c.normal) << c.in;
  }
  std::string r;
  CapitalizePath("C:\\PROGRAM FILES\\x", r);
  EXPECT_EQ(r, "c:\\Program files\\X");
  CapitalizePath("\\\\SERVER\\\xC4PFEL", r);
  EXPECT_EQ(r, "\\\\Server\\\xC4pfel");
}

}  // namespace
