#include <gtest/gtest.h>

#include "framework/IniFile.h"
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

}  // namespace
