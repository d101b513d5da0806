#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/RenameName.h"

namespace {

// 2024-03-07 09:05:02 UTC; the tests run with TZ=UTC.
FILETIME SampleTime() {
  SYSTEMTIME st{};
  st.wYear = 2024;
  st.wMonth = 3;
  st.wDay = 7;
  st.wHour = 9;
  st.wMinute = 5;
  st.wSecond = 2;
  FILETIME ft{};
  SystemTimeToFileTime(&st, &ft);
  return ft;
}

struct TRenameCase {
  const char* mask;
  const char* oldName;
  const char* expected;
  int fileNumber = 1;
};

std::string Rename(const char* mask, const char* oldName, int fileNumber = 1) {
  RenamerFileStructure.NameMask = mask;
  RenamerFileStructure.FileNumber = fileNumber;
  std::string out = "stale";
  MakeNewName(oldName, SampleTime(), out);
  return out;
}

class RenameNameTest : public testing::Test {
 protected:
  void SetUp() override { RenamerFileStructure = TRenamerFileStructure{}; }
  void Check(const TRenameCase* cases, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      const auto& c = cases[i];
      EXPECT_EQ(Rename(c.mask, c.oldName, c.fileNumber), c.expected)
          << "mask " << c.mask << " old " << c.oldName << " file " << c.fileNumber;
    }
  }
};

TEST_F(RenameNameTest, NameAndExtensionParts) {
  const TRenameCase cases[] = {
      {"[N].[E]", "a.b.c", "a.b.c"},
      {"[N]", "a.b.c", "a.b"},
      {"[E]", "a.b.c", "c"},
      {"[N].[E]", "noext", "noext"},       // trailing dot removed
      {"[N]..", "noext", "noext."},        // only one dot goes
      {"[N]_[E]", ".bashrc", "_bashrc"},  // only dot first: empty name part
      {"[NE]", "x.y", "x"},                // N wins
      {"x[N]y", "a.txt", "xay"},
      {"[N", "a.txt", ""},                 // unclosed command gives nothing
      {"ab[N", "a.txt", "ab"},
      {"[# ?q]z", "a.txt", "z"},           // ignored characters
      {"[]z", "a.txt", "z"},
      {"]x", "a.txt", "]x"},
      {"", "a.txt", ""},
  };
  Check(cases, std::size(cases));
}

TEST_F(RenameNameTest, Ranges) {
  const TRenameCase cases[] = {
      {"[N2-4]", "abcdef.txt", "bcd"},
      {"[N 2-]", "abcdef.txt", "bcdef"},
      {"[N2,]", "abcdef.txt", "bcdef"},
      {"[N2,3]", "abcdef.txt", "bcd"},
      {"[N2,99]", "abcdef.txt", "bcdef"},
      {"[N -3-1]", "abcdef.txt", "def"},
      {"[N-3-2]", "abcdef.txt", "de"},
      {"[N-2,1]", "abcdef.txt", "e"},
      {"[N-2-]", "abcdef.txt", "ef"},
      {"[N-9,2]", "abcdef.txt", "ab"},    // start clamped to the first character
      {"[N3]", "abcdef.txt", "abcdef"},   // a number alone takes the part whole
      {"[N9-12]", "abcdef.txt", ""},      // past the end
      {"[N0-3]", "abcdef.txt", ""},
      {"[N4-2]", "abcdef.txt", ""},       // negative count
      {"[E1,2]", "abcdef.txt", "tx"},
      {"[E-1-1]", "abcdef.txt", "t"},
      {"[5-]", "abcdef.txt", "ef.txt"},   // whole old name
      {"[3]", "abcdef.txt", ""},          // neither N nor E, no range
      {"[N99999999999999999999-]", "abcdef.txt", ""},
      {"[N1,99999999999999999999]", "abcdef.txt", "abcdef"},
      {"[N-99999999999999999999,2]", "abcdef.txt", "ab"},
  };
  Check(cases, std::size(cases));
}

TEST_F(RenameNameTest, CounterAndDate) {
  RenamerFileStructure.StartAt = 1;
  RenamerFileStructure.StepBy = 1;
  RenamerFileStructure.Digits = 3;
  const TRenameCase cases[] = {
      {"[C]", "a.txt", "001", 1},
      {"[C]", "a.txt", "002", 2},
      {"[C]", "a.txt", "1234", 1234},
      {"f[C]_[N]", "a.txt", "f003_a", 3},
      {"[N C]", "a.txt", "003a", 3},  // counter written before the name of the same command
      {"[Y]-[M]-[D] [h].[m].[s]", "a.txt", "2024-03-07 09.05.02"},
      {"[Y-M-D h.m.s]", "a.txt", "20240307090502"},  // separators inside one command are dropped
      {"[YMDhms]", "a.txt", "20240307090502"},
      {"[N]_[Y]", "report.doc", "report_2024"},
  };
  Check(cases, std::size(cases));

  RenamerFileStructure.StartAt = 10;
  RenamerFileStructure.StepBy = -5;
  RenamerFileStructure.Digits = 4;
  const TRenameCase stepped[] = {
      {"[C]", "a", "0010", 1},
      {"[C]", "a", "0005", 2},
      {"[C]", "a", "0000", 3},
      {"[C]", "a", "00-5", 4},
  };
  Check(stepped, std::size(stepped));
}

TEST_F(RenameNameTest, CaseSwitches) {
  const TRenameCase cases[] = {
      {"[U]ab[N]", "Xy.txt", "ABXY"},
      {"[U]ab[n]cd", "x", "ABcd"},
      {"ab[L]CD[N]", "Xy.txt", "abcdxy"},
      {"[NU]x", "ab.c", "ABX"},  // the switch holds for its own command
      {"[UN]x[nE]y", "ab.cD", "ABXcDy"},
      {"[N][U]", "ab.c", "ab"},
  };
  Check(cases, std::size(cases));
}

TEST_F(RenameNameTest, LengthLimit) {
  const std::string longName(300, 'n');
  const std::string oldName = longName + ".txt";
  // The whole name part is one token longer than 260: it is dropped.
  EXPECT_EQ(Rename("[N]", oldName.c_str()), "");
  EXPECT_EQ(Rename("ab[N]cd", oldName.c_str()), "ab");
  EXPECT_EQ(Rename("[N1,255]x", oldName.c_str()), std::string(255, 'n') + "x");
  EXPECT_EQ(Rename("[N1,259]xyz", oldName.c_str()), std::string(259, 'n') + "x");
  EXPECT_EQ(Rename("[N1,260]x", oldName.c_str()), std::string(260, 'n'));

  // A huge counter width neither exhausts memory nor survives the limit.
  RenamerFileStructure.Digits = 2000000000;
  EXPECT_EQ(Rename("a[C]b", "x"), "a");
  RenamerFileStructure.Digits = 260;
  EXPECT_EQ(Rename("[C]", "x"), std::string(259, '0') + "1");
  RenamerFileStructure.StartAt = INT32_MIN;
  RenamerFileStructure.StepBy = INT32_MIN;
  RenamerFileStructure.Digits = 1;
  EXPECT_EQ(Rename("[C]", "x", INT32_MAX), "-4611686016279904256");
}

TEST_F(RenameNameTest, ReplaceAndFinalCase) {
  struct TCase {
    bool doReplace;
    const char* search;
    const char* replace;
    int caseMode;
    std::string oldName;
    std::string expected;
    const char* mask = "[N].[E]";
  };
  const TCase cases[] = {
      // the replacement may lengthen the name past 260
      {true, "n", "mm", 0, std::string(300, 'n') + ".txt", std::string(400, 'm'), "[N1,200]"},
      {true, "ab", "Xy", 0, "AB-Ab-ab-aB.txt", "Xy-Xy-Xy-Xy.txt"},
      {false, "ab", "Xy", 0, "ab.txt", "ab.txt"},
      {true, "", "Xy", 0, "ab.txt", "ab.txt"},
      {true, "aa", "b", 0, "aaaaa", "bba"},
      {true, ".txt", "", 0, "name.TXT", "name"},
      {true, "longer than the name", "z", 0, "short", "short"},
      {false, "", "", 2, "My File.TXT", "my file.txt"},
      {false, "", "", 3, "My File.txt", "MY FILE.TXT"},
      {false, "", "", 4, "my FILE name.TXT", "My file name.txt"},
      {false, "", "", 5, "my file-name.TXT", "My File-name.txt"},
      {false, "", "", 5, " a  b", " A  B"},
      {false, "", "", 1, "My File.TXT", "My File.TXT"},
      {false, "", "", 6, "My File.TXT", "My File.TXT"},
      {true, "x", "Y", 2, "axb", "ayb"},  // case rule after the replacement
  };
  for (const auto& c : cases) {
    RenamerFileStructure.DoReplace = c.doReplace;
    RenamerFileStructure.SearchFor = c.search;
    RenamerFileStructure.ReplaceTo = c.replace;
    RenamerFileStructure.CaseMode = c.caseMode;
    EXPECT_EQ(Rename(c.mask, c.oldName.c_str()), c.expected) << c.oldName << " " << c.caseMode;
  }
}

TEST(RenameRoutines, SubstringByRange) {
  struct TCase {
    int64_t first, second;
    const char* expected;
  };
  const TCase cases[] = {
      {1, 0, "abcdef"}, {2, 2, "bc"},   {2, -4, "bcd"}, {6, 5, "f"},   {7, 0, ""},
      {0, 3, ""},       {-1, 0, "f"},   {-2, 1, "e"},   {-6, -5, "ab"}, {-3, -4, ""},
      {-10, 0, "abcdef"}, {3, -2, ""},
  };
  for (const auto& c : cases) {
    std::string out = "stale";
    SubstringByRange("abcdef", c.first, c.second, out);
    EXPECT_EQ(out, c.expected) << c.first << "," << c.second;
  }
  std::string out = "stale";
  SubstringByRange("", 1, 0, out);
  EXPECT_EQ(out, "");
}

TEST(RenameRoutines, FormatCounter) {
  struct TCase {
    int64_t value;
    int32_t width;
    const char* expected;
  };
  const TCase cases[] = {
      {7, 3, "007"},   {1234, 3, "1234"}, {0, 0, "0"},   {-7, 3, "0-7"},
      {-5, 3, "0-5"},  {-1, 2, "-1"},     {5, -4, "5"}, {INT64_MIN, 1, "-9223372036854775808"},
  };
  for (const auto& c : cases) {
    std::string out;
    FormatCounter(c.value, c.width, out);
    EXPECT_EQ(out, c.expected) << c.value << " " << c.width;
  }
}

}  // namespace
