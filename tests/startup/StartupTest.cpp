#include <gtest/gtest.h>

#include "support/TempFolder.h"
#include "core/FileUtils.h"
#include "core/Help.h"
#include "core/translator.h"
#include "framework/Registry.h"
#include "windows/MainForm.h"
#include "windows/Startup.h"

namespace {

// The program key is shared state of the prefix: the test owns it for its run.
class ProgramKey : public testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, ProgramRegistryKey); }
  void TearDown() override {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, ProgramRegistryKey);
    SetCurrentDirectoryA(oldDir_.c_str());
    Translator().ClearTranslations();
  }
  std::string oldDir_ = [] {
    char b[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, b);
    return std::string(b);
  }();
};

TEST_F(ProgramKey, NoKeyMeansEnglish) {
  EXPECT_EQ(ReadProgramSetting("LanguageId"), "");
  PrepareStartup();
  EXPECT_EQ(Translator().LanguageFileName, "");
  EXPECT_STREQ(Translator().GetString(17), "&Cancel");
  EXPECT_EQ(SettingsFilePath, SettingsFileName(ProgramFolder()));
  EXPECT_EQ(HelpFileName, ProgramFolder() + "kvt.chm");
}

TEST_F(ProgramKey, LanguageFileFromCurrentFolder) {
  TTempFolder dir;
  WriteProgramSetting("LanguageId", "test.lng");
  EXPECT_EQ(ReadProgramSetting("LanguageId"), "test.lng");
  ASSERT_TRUE(WriteTestFile(dir / "test.lng", "17=&Abbrechen\r\n"));
  ASSERT_TRUE(SetCurrentDirectoryA(dir.Path().c_str()));
  PrepareStartup();
  EXPECT_EQ(Translator().LanguageFileName, "test.lng");
  EXPECT_STREQ(Translator().GetString(17), "&Abbrechen");
  EXPECT_STREQ(Translator().GetString(78), "&Cancel");
}

TEST_F(ProgramKey, LanguageFileElsewhereStaysEnglish) {
  TTempFolder dir, other;
  WriteProgramSetting("LanguageId", "test.lng");
  ASSERT_TRUE(WriteTestFile(dir / "test.lng", "17=&Abbrechen\r\n"));
  ASSERT_TRUE(SetCurrentDirectoryA(other.Path().c_str()));
  PrepareStartup();
  EXPECT_STREQ(Translator().GetString(17), "&Cancel");
}

TEST(HelpFile, LanguageHelpOnlyWhenPresent) {
  TTempFolder dir;
  EXPECT_EQ(ChooseHelpFile(dir.Path() + "\\", ""), dir / "kvt.chm");
  EXPECT_EQ(ChooseHelpFile(dir.Path() + "\\", "french.lng"), dir / "kvt.chm");
  ASSERT_TRUE(WriteTestFile(dir / "french.lng.chm", "x"));
  EXPECT_EQ(ChooseHelpFile(dir.Path() + "\\", "french.lng"), dir / "french.lng.chm");
}

struct TParamCase {
  const char* line;
  size_t start;
  const char* token;
  bool more;
  size_t position;
};

TEST(CommandLine, FirstParam) {
  const TParamCase cases[] = {
      {"\"C:\\Program Files\\Kelvanto.exe\"", 1, "C:\\Program Files\\Kelvanto.exe", false, 32},
      {"\"C:\\a b\\k.exe\" D:\\x", 1, "C:\\a b\\k.exe", true, 16},
      {"k.exe   next", 1, "k.exe", true, 9},
      {"k.exe   ", 1, "k.exe", false, 9},
      {"\"unclosed name", 1, "unclosed name", false, 15},
      {"a b", 3, "b", false, 4},
  };
  for (const auto& c : cases) {
    std::string token;
    size_t pos = c.start;
    EXPECT_EQ(GetFirstParam(token, pos, c.line), c.more) << c.line;
    EXPECT_EQ(token, c.token) << c.line;
    EXPECT_EQ(pos, c.position) << c.line;
  }
}

TEST(MainWindow, LoopEndsWhenTheMainWindowCloses) {
  const UINT_PTR timer = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) {
    if (HWND w = FindWindowA(nullptr, "Kelvanto")) PostMessageA(w, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(RunMainForm(), 0);
  KillTimer(nullptr, timer);
  EXPECT_EQ(FindWindowA(nullptr, "Kelvanto"), nullptr);
}

}  // namespace
