#include <gtest/gtest.h>

#include "framework/FileIO.h"
#include "framework/IniFile.h"
#include "support/FreshProcess.h"
#include "support/TempFolder.h"

namespace {

// The settings file is input: a value that is no 32-bit number reads as the
// default, never as some other number.
TEST(IniFile, ReadIntegerTakesOnly32BitNumbers) {
  TTempFolder dir;
  const struct {
    const char* value;
    int result;
  } cases[] = {
      {"241", 241},          {"-7", -7},           {"+5", 5},
      {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
      {"2147483648", 99},    {"-2147483649", 99},  {"4294967297", 99},
      {"99999999999999999999", 99},                {"12x", 99},
      {"", 99},              {"-", 99},            {"x", 99},
      {"$7A7D", 0x7A7D},     {"$ff", 255},         {"$FFFFFFFF", -1},
      {"$100000001", 99},    {"$", 99},            {"$-1", 99},
      {"$1G", 99},
  };
  auto key = [](size_t i) { return std::to_string(i + 1000); };
  std::string text = "[S]\r\n";
  for (size_t i = 0; i < std::size(cases); ++i) text.append(key(i)).append("=").append(cases[i].value).append("\r\n");
  ASSERT_TRUE(WriteTestFile(dir / "t.ini", text));
  const TIniFile ini(dir / "t.ini");
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(ini.ReadInteger("S", key(i), 99), cases[i].result) << cases[i].value;
  EXPECT_EQ(ini.ReadInteger("S", "missing", 99), 99);
}

// The same writes over the same hostile file, by the profile calls and by
// our writer, read back alike through the profile calls the plug-ins use.
TEST(IniFile, WritesReadBackAsTheProfileCallsOwn) {
  TTempFolder dir;
  const std::string start = "stray=1\r\n[A]\r\n  Key = old \r\nbare\r\n;note=x\r\n\r\n[b]\r\nk=1\r\n[A]\r\nlate=2\r\n[ C ]\r\nx=y";
  const std::string own = dir / "own.ini", system = dir / "system.ini";
  ASSERT_TRUE(WriteTestFile(own, start) && WriteTestFile(system, start));
  const struct {
    const char *section, *key, *value;
  } writes[] = {{"a", "KEY", "new"}, {"A", "bare", "now"}, {"A", "late", "3"},  {"A", "fresh", " s p "},
                {"B", "k", ""},      {"New", "n", "v=w"},  {" C ", "x", "z"}, {"b", nullptr, nullptr}};
  for (const auto& w : writes) {
    EXPECT_TRUE(w.key ? TIniFile(own).WriteString(w.section, w.key, w.value) : TIniFile(own).EraseSection(w.section));
    WritePrivateProfileStringA(w.section, w.key, w.value, system.c_str());
  }
  const TIniFile a(own), b(system);
  ASSERT_EQ(a.ReadSections(), b.ReadSections());
  for (const std::string& section : b.ReadSections()) {
    ASSERT_EQ(a.ReadSection(section), b.ReadSection(section)) << section;
    for (const std::string& key : b.ReadSection(section))
      EXPECT_EQ(a.ReadString(section, key, "?"), b.ReadString(section, key, "?")) << section << key;
  }
  // A value the format cannot hold is not stored, and the key keeps its own.
  EXPECT_FALSE(TIniFile(own).WriteString("A", "late", std::string(TIniFile::MaxValueLength + 1, 'x')));
  EXPECT_FALSE(TIniFile(own).WriteString("A", "late", "two\r\nlines"));
  EXPECT_EQ(a.ReadString("A", "late", ""), "3");
}

const char kKilledIni[] = "KVT_KILLED_PASS_INI";

TEST(IniFile, DISABLED_KilledPass) {
  char path[MAX_PATH] = "";
  GetEnvironmentVariableA(kKilledIni, path, MAX_PATH);
  TIniPass pass(path);
  TIniFile(path).WriteString("S", "k", std::string(30000, 'n'));
  InjectWriteFault(TWriteFault::Killed);
  pass.Commit();
  EndFreshProcessCase();
}

// A pass killed while it writes leaves the file as it was; only the cut new
// text lies beside it.
TEST(IniFile, KilledPassKeepsTheOldFile) {
  TTempFolder dir;
  ASSERT_TRUE(WriteTestFile(dir / "kvt.ini", "[S]\r\nk=old\r\n"));
  SetEnvironmentVariableA(kKilledIni, (dir / "kvt.ini").c_str());
  EXPECT_FALSE(PassesInAFreshProcess("IniFile.DISABLED_KilledPass"));
  EXPECT_EQ(ReadTestFile(dir / "kvt.ini"), "[S]\r\nk=old\r\n");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"kvt.ini", "kvt.ini.new"}));
  EXPECT_LT(ReadTestFile(dir / "kvt.ini.new").size(), 20000u);
}

}  // namespace
