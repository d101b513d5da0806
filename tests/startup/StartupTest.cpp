#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>

#include "support/TempFolder.h"
#include "core/FileUtils.h"
#include "core/Help.h"
#include "core/translator.h"
#include "framework/Registry.h"
#include "windows/MainForm.h"
#include "windows/Startup.h"

namespace {

// The program key is shared state of the prefix: the test owns it for its
// run. The folders outlive the restored current folder, which a folder
// still current could not be removed behind.
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
  TTempFolder dir_, other_;
};

// The test program's own folder, found without the code under test.
std::string ExeFolder() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, n);
  return folder.substr(0, folder.rfind('\\') + 1);
}

TEST_F(ProgramKey, NoKeyMeansEnglish) {
  EXPECT_EQ(ReadProgramSetting("LanguageId"), "");
  PrepareStartup();
  EXPECT_EQ(Translator().LanguageFileName, "");
  EXPECT_STREQ(Translator().GetString(17), "&Cancel");
  EXPECT_EQ(SettingsFilePath, ExeFolder() + "kvt.ini");
  EXPECT_EQ(HelpFileName, ExeFolder() + "kvt.chm");
}

TEST_F(ProgramKey, LanguageFileFromCurrentFolder) {
  WriteProgramSetting("LanguageId", "test.lng");
  EXPECT_EQ(ReadProgramSetting("LanguageId"), "test.lng");
  ASSERT_TRUE(WriteTestFile(dir_ / "test.lng", "17=&Abbrechen\r\n"));
  ASSERT_TRUE(SetCurrentDirectoryA(dir_.Path().c_str()));
  PrepareStartup();
  EXPECT_EQ(Translator().LanguageFileName, "test.lng");
  EXPECT_STREQ(Translator().GetString(17), "&Abbrechen");
  EXPECT_STREQ(Translator().GetString(78), "&Cancel");
}

TEST_F(ProgramKey, LanguageFileElsewhereStaysEnglish) {
  WriteProgramSetting("LanguageId", "test.lng");
  ASSERT_TRUE(WriteTestFile(dir_ / "test.lng", "17=&Abbrechen\r\n"));
  ASSERT_TRUE(SetCurrentDirectoryA(other_.Path().c_str()));
  PrepareStartup();
  EXPECT_STREQ(Translator().GetString(17), "&Cancel");
}

// "LanguageId" is input: a value cut at its first NUL names the file and the
// help file alike, and one that is no bare name reaches no file at all.
TEST_F(ProgramKey, LanguageIdIsABareNameCutAtItsNul) {
  const std::string help = ExeFolder() + "test.lng.chm";
  ASSERT_TRUE(WriteTestFile(help, "x"));
  for (const char* f : {"test.lng", "sub\\test.lng"})
    ASSERT_TRUE(WriteTestFile(dir_ / f, "17=&Abbrechen\r\n"));
  ASSERT_TRUE(SetCurrentDirectoryA(dir_.Path().c_str()));
  const struct {
    std::string value;
    const char* language;
  } cases[] = {
      {std::string("test.lng\0evil", 13), "test.lng"},
      {"sub\\test.lng", ""},
      {"sub/test.lng", ""},
      {dir_ / "test.lng", ""},
      {"C:test.lng", ""},
      {".", ""},
      {"..", ""},
  };
  for (const auto& c : cases) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, ProgramRegistryKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "LanguageId", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.value.c_str()),
                   DWORD(c.value.size() + 1));
    RegCloseKey(key);
    Translator().ClearTranslations();
    PrepareStartup();
    const bool loaded = *c.language != 0;
    EXPECT_EQ(Translator().LanguageFileName, c.language) << c.value;
    EXPECT_STREQ(Translator().GetString(17), loaded ? "&Abbrechen" : "&Cancel") << c.value;
    EXPECT_EQ(HelpFileName, loaded ? help : ExeFolder() + "kvt.chm") << c.value;
  }
  DeleteFileA(help.c_str());
}

// The program's entry: whatever the start or the loop throws ends the run
// with exit code 1 and a message box that names the reason.
TEST(Startup, EntryShowsWhatStoppedTheProgram) {
  static std::string shown;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM) -> BOOL {
          char cls[16] = "", text[600] = "";
          GetClassNameA(w, cls, sizeof cls);
          if (std::string(cls) != "#32770") return TRUE;
          GetDlgItemTextA(w, 0xFFFF, text, sizeof text);
          shown = text;
          PostMessageA(w, WM_COMMAND, IDOK, 0);
          return FALSE;
        },
        0);
  });
  const struct {
    std::function<int()> run;
    int exitCode;
    const char* text;
  } cases[] = {
      {[] { return 7; }, 7, ""},
      {[]() -> int { throw std::bad_alloc(); }, 1, "Kelvanto has to stop: not enough memory."},
      {[]() -> int { throw std::runtime_error("disk on fire"); }, 1, "Kelvanto has to stop: disk on fire."},
      {[]() -> int { throw 3; }, 1, "Kelvanto has to stop: unknown error."},
  };
  for (const auto& c : cases) {
    shown.clear();
    EXPECT_EQ(RunGuarded(c.run), c.exitCode);
    EXPECT_EQ(shown, c.text);
  }
  KillTimer(nullptr, timer);
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
