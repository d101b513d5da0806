#include <gtest/gtest.h>

#include "support/TempFolder.h"
#include "core/translator.h"

namespace {

struct TLangCase {
  const char* name;
  const char* file;
  int id;
  const char* expected;
};

// Each file is loaded into a fresh table whose id 12 has the default "Def".
const TLangCase kLangCases[] = {
    {"plain line", "12=Abc", 12, "Abc"},
    {"blanks before and after =", "  12 = Abc", 12, " Abc"},
    {"letters between digits skipped", "x1y2=z", 12, "z"},
    {"later line wins", "12=one\r\n12=two\r\n", 12, "two"},
    {"empty translation hides default", "12=\r\n", 12, ""},
    {"LF line ends", "5=a\n12=b\n", 12, "b"},
    {"CR line ends", "5=a\r12=b\r", 12, "b"},
    {"second = is text", "12=a=b", 12, "a=b"},
    {"backslash n expands", "12=one\\ntwo", 12, "one\r\ntwo"},
    {"upper N is literal", "12=one\\Ntwo", 12, "one\\Ntwo"},
    {"doubled backslash", "12=a\\\\nb", 12, "a\\\r\nb"},
    {"line without = stores nothing", "12 Abc", 12, "Def"},
    {"line starting with = is id 0", "=zero", 0, "zero"},
    {"id overflowing 32 bits stores nothing", "4294967308=Bad", 12, "Def"},
    {"huge id stores nothing", "99999999999999999999999999=Bad\r\n12=ok", 12, "ok"},
    {"id past the bank stores nothing", "3012=Bad", 12, "Def"},
    {"binary bytes", "12=\x01\x02\xFF\x00z", 12, "\x01\x02\xFF"},
};

TEST(Translator, LanguageFileParsing) {
  TTempFolder dir;
  for (const auto& c : kLangCases) {
    TClassTranslator t(100, 3000);
    t.AddString(12, "Def");
    std::string bytes(c.file, c.file + std::char_traits<char>::length(c.file));
    if (std::string(c.name) == "binary bytes") bytes.append("\0z", 2);
    ASSERT_TRUE(WriteTestFile(dir / "x.lng", bytes));
    EXPECT_TRUE(t.LoadFromFile(dir / "x.lng")) << c.name;
    EXPECT_STREQ(t.GetString(c.id), c.expected) << c.name;
  }
}

TEST(Translator, MissingEmptyAndLargeFiles) {
  TTempFolder dir;
  TClassTranslator t(100, 3000);
  t.AddString(7, "Seven");
  EXPECT_FALSE(t.LoadFromFile(dir / "missing.lng"));
  ASSERT_TRUE(WriteTestFile(dir / "empty.lng", ""));
  EXPECT_TRUE(t.LoadFromFile(dir / "empty.lng"));
  EXPECT_STREQ(t.GetString(7), "Seven");

  // Many long lines make the pool grow far past its first size.
  std::string big;
  for (int id = 1; id < 3000; ++id) big += std::to_string(id) + "=" + std::string(300, 'a' + id % 26) + "\r\n";
  ASSERT_TRUE(WriteTestFile(dir / "big.lng", big));
  EXPECT_TRUE(t.LoadFromFile(dir / "big.lng"));
  EXPECT_EQ(std::string(t.GetString(2999)), std::string(300, 'a' + 2999 % 26));
  EXPECT_GT(t.Capacity(), 300 * 2999);
}

// 64 MB of short lines: the pool grows by half at a time, so the load takes
// well under the 6 s that one copy of the pool per line took; the texts
// still lie one after another from offset 1, as the design lays them out.
TEST(Translator, ManyShortLinesLoadQuicklyAtTheSameOffsets) {
  TTempFolder dir;
  const size_t lines = (64u << 20) / 4;
  std::string file;
  file.reserve(lines * 4);
  for (size_t j = 0; j < lines; ++j) {
    file += char('1' + j % 9);
    file += "=x\n";
  }
  ASSERT_TRUE(WriteTestFile(dir / "short.lng", file));
  TClassTranslator t(9500, 3000);
  const DWORD start = GetTickCount();
  ASSERT_TRUE(t.LoadFromFile(dir / "short.lng"));
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_EQ(size_t(t.Used()), 1 + 2 * lines);
  const char* pool = t.GetString(-1);
  for (size_t k = 1; k <= 9; ++k) {
    const size_t last = (lines - k) / 9 * 9 + k - 1;  // the last line of id k
    EXPECT_EQ(size_t(t.GetString(int64_t(k)) - pool), 1 + 2 * last) << k;
    EXPECT_STREQ(t.GetString(int64_t(k)), "x");
  }
}

TEST(Translator, LookupsAndClearing) {
  TClassTranslator t(10, 3000);
  t.AddString(1, "One");
  t.SetTranslation(1, "Eins");
  t.SetTranslation(2, "Zwei");
  EXPECT_STREQ(t.GetString(1), "Eins");
  EXPECT_STREQ(t.GetString(2), "Zwei");
  EXPECT_STREQ(t.GetString(3000), "");
  EXPECT_STREQ(t.GetString(-1), "");
  EXPECT_STREQ(t.GetString(int64_t(1) << 40), "");
  EXPECT_STREQ(t.GetString(5), "");
  t.AddString(6000, "out of table");
  t.AddString(-3, "out of table");
  t.ClearTranslations();
  EXPECT_STREQ(t.GetString(1), "One");
  EXPECT_STREQ(t.GetString(2), "");
}

TEST(Translator, SharedTexts) {
  RegisterSharedTexts();
  EXPECT_STREQ(Translator().GetString(78), Translator().GetString(17));
  EXPECT_STREQ(Translator().GetString(17), "&Cancel");
  EXPECT_STREQ(Translator().GetString(127), Translator().GetString(58));
  EXPECT_STREQ(Translator().GetString(129), Translator().GetString(57));
  EXPECT_STREQ(Translator().GetString(45), "file \"%s\"");
  EXPECT_STREQ(Translator().GetString(41), "Error: directory [%s]\r\nnot created!");
  EXPECT_STREQ(Translator().GetString(2), "");
  EXPECT_STREQ(Translator().GetString(152), "Operation aborted!");
}

TEST(Translator, HostileFormatTranslationFallsBack) {
  RegisterSharedTexts();
  Translator().SetTranslation(26, "%s%s%s%n");
  EXPECT_EQ(FormatTx(26, {"1", "2", 3, 4}), "1 of 2 k in 3 of 4 files selected");
  Translator().SetTranslation(46, "%s Dateien");
  EXPECT_EQ(FormatTx(46, {5}), "5 files");
  Translator().SetTranslation(46, "%d Dateien");
  EXPECT_EQ(FormatTx(46, {5}), "5 Dateien");
  Translator().ClearTranslations();
}

}  // namespace
