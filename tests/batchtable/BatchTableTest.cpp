#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "engines/BatchMatcher.h"
#include "engines/BatchReplacer_utils.h"
#include "framework/Handles.h"
#include "support/TempFolder.h"

namespace {

struct TRow {
  bool caseSensitive;
  std::string find;
  std::string replacement;
};

struct TTable {
  TStringList caseColumn, finds, replacements;
};

TTable MakeTable(const std::vector<TRow>& rows) {
  TTable t;
  for (const TRow& r : rows) {
    t.caseColumn.Add(r.caseSensitive ? CaseSensitiveWord() : CaseInsensitiveWord());
    t.finds.Add(r.find);
    t.replacements.Add(r.replacement);
  }
  return t;
}

std::vector<TRow> Rows(const TTable& t) {
  std::vector<TRow> rows;
  for (size_t i = 0; i < t.finds.Count(); ++i)
    rows.push_back({t.caseColumn[i] == CaseSensitiveWord(), t.finds[i], t.replacements[i]});
  return rows;
}

void ExpectSameRows(const std::vector<TRow>& a, const std::vector<TRow>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].caseSensitive, b[i].caseSensitive) << i;
    EXPECT_EQ(a[i].find, b[i].find) << i;
    EXPECT_EQ(a[i].replacement, b[i].replacement) << i;
  }
}

std::string BlockBytes(const TGlobalBlock& block) {
  TGlobalLock lock(block.Handle());
  if (!lock.Get()) return {};
  return std::string(lock.Get<char>(), block.Size());
}

class TStringInput : public IBatchIO {
 public:
  explicit TStringInput(std::string text) : text_(std::move(text)) {}
  bool ReadInput(uint64_t offset, char* buffer, size_t size) override {
    if (offset > text_.size() || size > text_.size() - offset) return false;
    std::memcpy(buffer, text_.data() + offset, size);
    return true;
  }
  bool WriteOutput(const char*, size_t) override { return true; }
  bool Stopped() override { return false; }

 private:
  std::string text_;
};

TEST(BatchFindSyntax, ValidatesTokensAndReportsPosition) {
  struct TCase {
    const char* text;
    int expected;
  };
  static const TCase cases[] = {
      {"#?#", -1},          {"#*#", -1},         {"#B#", -1},         {"#[a-z]#", -1},
      {"#65,?#", -1},       {"**", -1},          {"##", -1},          {"ab*3*c", -1},
      {"#x41#", -1},        {"#X4f,x#", -1},     {"#255#", -1},       {"#[#,]#", -1},
      {"a#*#b", -1},        {"x#B#y", -1},       {"#[^a],65,?#z", -1}, {"*12*ab", -1},
      {"", 0},              {"ab*3*", 5},        {"a*1*b*2*c", 5},    {"#*,65#", 2},
      {"#65,#", 4},         {"#b#", 1},          {"#[]#", 2},         {"#256#", 3},
      {"#x100#", 4},        {"#65", 3},          {"#", 1},            {"a*", 1},
      {"*0*a", 1},          {"*x*a", 1},         {"*3a", 2},          {"#65,*#", 4},
      {"#65;66#", 3},       {"#[abc", 5},        {"#B,65#", 2},       {"#?65#", 2},
      {"#65,B#", 4},        {"#*", 2},           {"*99999999999*a", 10},
  };
  for (const TCase& c : cases) EXPECT_EQ(ParseFindText(c.text), c.expected) << c.text;
}

TEST(BatchFindSyntax, LowersOnlyLiterals) {
  struct TCase {
    const char* text;
    const char* lowered;
  };
  static const TCase cases[] = {
      {"ABC#65#", "abc#65#"},         {"A#X4F#B", "a#X4F#b"},       {"Q#[A-Z]#R", "q#[A-Z]#r"},
      {"X#B#Y", "x#B#y"},             {"AB*3*CD", "ab*3*cd"},       {"\xC4\xD6", "\xE4\xF6"},
      {"##A**B", "##a**b"},
  };
  for (const TCase& c : cases) {
    std::string lowered;
    EXPECT_EQ(ParseFindText(c.text, &lowered), -1) << c.text;
    EXPECT_EQ(lowered, c.lowered) << c.text;
  }
}

TEST(BatchReplaceSyntax, UnescapesAndReportsKindAndPosition) {
  struct TCase {
    const char* text;
    int expected;
    int32_t kind;
    const char* unescaped;
  };
  static const TCase cases[] = {
      {"#U#abc", -1, 1, "abc"},     {"#d#abc", -1, 2, "abc"},      {"#U#", -1, 1, ""},
      {"", -1, 3, ""},              {"#65,66#", -1, 3, "AB"},      {"#x41#", -1, 3, "A"},
      {"a##b", -1, 3, "a#b"},       {"#fn#", -1, 3, "#FN#"},       {"#Fe#.bak", -1, 3, "#FE#.bak"},
      {"#FN,FE#", -1, 3, "#FN##FE#"}, {"#FNxFE#", -1, 3, "#FN##FE#"}, {"#FN,65#", -1, 3, "#FN#A"},
      {"#U##61#", -1, 1, "="},      {"#Uxabc", 2, 1, ""},          {"#256#", 3, 3, ""},
      {"ab#", 2, 3, "ab"},          {"#65", 3, 3, "A"},            {"#U#x#", 4, 1, "x"},
      {"#?#", 1, 3, ""},            {"#65,#", 4, 3, "A"},          {"#65;66#", 3, 3, "A"},
      {"#U#ab#300#", 8, 1, "ab"},   {"#FN", 3, 3, "#FN#"},
  };
  for (const TCase& c : cases) {
    std::string out;
    int32_t kind = 0;
    EXPECT_EQ(ParseReplaceText(c.text, &out, &kind), c.expected) << c.text;
    EXPECT_EQ(kind, c.kind) << c.text;
    EXPECT_EQ(out, c.unescaped) << c.text;
  }
}

TEST(BatchBlock, RecordsCarryFlagsLengthsKindAndTexts) {
  const TTable t = MakeTable({{true, "Ab", "#U#x"}, {false, "ABC#65#", "#65,66#"}, {true, "q", ""}});
  TGlobalBlock block;
  ASSERT_EQ(CheckAndBuildBatchBlock(block, t.caseColumn, t.finds, t.replacements), -1);
  const std::string b = BlockBytes(block);
  ASSERT_EQ(b.size(), size_t(3 * 32 + 2 + 1 + 7 + 2 + 1));
  auto u32 = [&](size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
  };
  EXPECT_EQ(b[0], 1);
  EXPECT_EQ(u32(4), 2u);
  EXPECT_EQ(u32(8), 1u);
  EXPECT_EQ(u32(12), 1u);
  EXPECT_EQ(b.substr(32, 3), "Abx");
  const size_t second = 35;
  EXPECT_EQ(b[second], 0);
  EXPECT_EQ(u32(second + 12), 3u);
  EXPECT_EQ(b.substr(second + 32, 9), "abc#65#AB");
  std::vector<TBatchRecord> records;
  ASSERT_TRUE(ReadBatchRecords(block.Handle(), 3, records));
  EXPECT_EQ(records[2].find, "q");
  EXPECT_TRUE(records[2].caseSensitive);
  EXPECT_FALSE(ReadBatchRecords(block.Handle(), 4, records));
}

TEST(BatchBlock, SizedForReplacementsThatGrow) {
  // "#FN,FE#" unescapes to eight bytes from seven.
  std::vector<TRow> rows;
  for (int i = 0; i < 50; ++i) rows.push_back({true, "x", "#FN,FE,FN,FE,FN#"});
  const TTable t = MakeTable(rows);
  TGlobalBlock block;
  ASSERT_EQ(CheckAndBuildBatchBlock(block, t.caseColumn, t.finds, t.replacements), -1);
  EXPECT_EQ(block.Size(), 50u * (32 + 1 + 20));
  std::vector<TBatchRecord> records;
  ASSERT_TRUE(ReadBatchRecords(block.Handle(), 50, records));
  EXPECT_EQ(records[49].replacement, "#FN##FE##FN##FE##FN#");
}

TEST(BatchBlock, WriteRecordStaysInsideTheBlock) {
  TGlobalBlock block;
  ASSERT_TRUE(block.Allocate(32 + 1 + 8));
  EXPECT_EQ(WriteBatchRecord("x", "#FN,FE#", block, true, 0), 1);
  EXPECT_EQ(WriteBatchRecord("y", "a", block, true, 1), 1);  // no room left
  EXPECT_EQ(WriteBatchRecord("", "a", block, true, 0), 0);
  ASSERT_TRUE(block.Allocate(32 + 1 + 7));
  EXPECT_EQ(WriteBatchRecord("x", "#FN,FE#", block, true, 0), 0);
}

TEST(BatchBlock, FirstBadRowAndMissingBlocks) {
  struct TCase {
    std::vector<TRow> rows;
    int badRow;
    bool block;
  };
  const TCase cases[] = {
      {{{true, "a", "b"}, {true, "#65", "c"}, {true, "x", "#300#"}}, 1, false},
      {{{true, "a", "b"}, {true, "b", "#300#"}}, 1, false},
      {{{true, "a", "b"}, {false, "", "c"}}, 1, false},
      {{}, -1, false},
      {{{false, "a", ""}}, -1, true},
  };
  for (const TCase& c : cases) {
    const TTable t = MakeTable(c.rows);
    TGlobalBlock block;
    EXPECT_EQ(CheckAndBuildBatchBlock(block, t.caseColumn, t.finds, t.replacements), c.badRow);
    EXPECT_EQ(block.Handle() != nullptr, c.block);
  }
  const TTable empty = MakeTable({{true, "a", "b"}, {true, "", "c"}});
  TGlobalBlock block;
  EXPECT_FALSE(BuildBatchBlock(block, empty.caseColumn, empty.finds, empty.replacements));
  EXPECT_EQ(block.Handle(), nullptr);
  const TTable invalid = MakeTable({{true, "#65", "#300#"}});
  EXPECT_TRUE(BuildBatchBlock(block, invalid.caseColumn, invalid.finds, invalid.replacements));
}

TEST(BatchTableFile, WritesEscapedRows) {
  struct TCase {
    std::vector<TRow> rows;
    const char* file;
  };
  const TCase cases[] = {
      {{{true, "a+b", "=x"}}, "+a++b=#61#x"},
      {{{false, "a=", "x"}}, "a===x"},
      {{{false, "a", ""}, {true, "", "z"}, {true, "b", "c"}}, "a\r\n=z\r\n+b=c"},
      {{{false, "a\tb", "x\ny"}}, "a#9#b=x#10#y"},
      {{{false, "#65#\x01", "##\x02"}}, "#65##1#=###2#"},
  };
  TTempFolder dir;
  for (const TCase& c : cases) {
    const TTable t = MakeTable(c.rows);
    ASSERT_TRUE(SaveBatchTable(dir / "t.rtbl", t.caseColumn, t.finds, t.replacements));
    EXPECT_EQ(ReadTestFile(dir / "t.rtbl"), c.file);
  }
}

TEST(BatchTableFile, ReadsRowsOrRefusesTheFile) {
  struct TCase {
    const char* name;
    std::string file;
    bool ok;
    std::vector<TRow> rows;
  };
  const TCase cases[] = {
      {"escapes", "+a++b=#61#x", true, {{true, "a+b", "#61#x"}}},
      {"equals", "a===x", true, {{false, "a=", "x"}}},
      {"empty line", "a=b\r\n\r\nc=d", true, {{false, "a", "b"}, {false, "c", "d"}}},
      {"plus runs", "++a\r\n+++b\r\n+\r\nc=", true, {{false, "+a", ""}, {true, "+b", ""}, {false, "c", ""}}},
      {"empty finds dropped", "=x\r\n+=y\r\nq", true, {{false, "q", ""}}},
      {"codes kept as text", "#300#=#x1FF#\r\n#65=#", true, {{false, "#300#", "#x1FF#"}, {false, "#65", "#"}}},
      {"high bytes", "\xE4\xFF=\x80", true, {{false, "\xE4\xFF", "\x80"}}},
      {"CR at end", "a=b\r", false, {}},
      {"CR alone", "a\rb", false, {}},
      {"LF alone", "a\nb", false, {}},
      {"TAB", "a\tb", false, {}},
      {"NUL", std::string("a\0b", 3), false, {}},
      {"lone plus", "a+b", false, {}},
      {"plus at end", "ab+", false, {}},
      {"two separators", "a=b=c", false, {}},
      {"only empty rows", "\r\n=x\r\n+", false, {}},
      {"empty file", "", false, {}},
  };
  TTempFolder dir;
  for (const TCase& c : cases) {
    ASSERT_TRUE(WriteTestFile(dir / "t.rtbl", c.file));
    TTable t = MakeTable({{true, "stale", "row"}});
    EXPECT_EQ(LoadBatchTable(dir / "t.rtbl", t.caseColumn, t.finds, t.replacements), c.ok)
        << c.name;
    ExpectSameRows(Rows(t), c.rows);
    EXPECT_EQ(t.caseColumn.Count(), t.finds.Count());
    EXPECT_EQ(t.replacements.Count(), t.finds.Count());
  }
  TTable t;
  EXPECT_FALSE(LoadBatchTable(dir / "missing.rtbl", t.caseColumn, t.finds, t.replacements));
  // Without an installed sheet loader a sheet cannot be read.
  ASSERT_TRUE(WriteTestFile(dir / "t.csv", "a=b"));
  EXPECT_FALSE(LoadBatchTable(dir / "t.csv", t.caseColumn, t.finds, t.replacements));
}

TEST(BatchTableFile, LoadedBadPatternsAreFoundByRowAndPosition) {
  struct TCase {
    const char* file;
    int badRow;
    int findError;
    int replaceError;
  };
  static const TCase cases[] = {
      {"ok=fine\r\n#300#=x", 1, 3, -1},
      {"ok=fine\r\nab=#U#x#66", 1, -1, 7},
      {"#65\r\n+x=y", 0, 3, -1},
      {"a=b\r\nc*0*d=e\r\n#[]#", 1, 2, -1},
  };
  TTempFolder dir;
  for (const TCase& c : cases) {
    ASSERT_TRUE(WriteTestFile(dir / "t.rtbl", c.file));
    TTable t;
    ASSERT_TRUE(LoadBatchTable(dir / "t.rtbl", t.caseColumn, t.finds, t.replacements)) << c.file;
    TGlobalBlock block;
    EXPECT_EQ(CheckAndBuildBatchBlock(block, t.caseColumn, t.finds, t.replacements), c.badRow);
    EXPECT_EQ(block.Handle(), nullptr);
    EXPECT_EQ(ParseFindText(t.finds[c.badRow]), c.findError) << c.file;
    EXPECT_EQ(ParseReplaceText(t.replacements[c.badRow], nullptr, nullptr), c.replaceError) << c.file;
  }
}

TEST(BatchTableFile, HugeLineLoads) {
  TTempFolder dir;
  const std::string find(3 * 1024 * 1024, 'f');
  ASSERT_TRUE(WriteTestFile(dir / "big.rtbl", find + "=r\r\n+x=y"));
  TTable t;
  ASSERT_TRUE(LoadBatchTable(dir / "big.rtbl", t.caseColumn, t.finds, t.replacements));
  ExpectSameRows(Rows(t), {{false, find, "r"}, {true, "x", "y"}});
}

TEST(BatchTableFile, FailedSaveKeepsTheOldTable) {
  TTempFolder dir;
  const std::string path = dir / "t.rtbl";
  ASSERT_TRUE(WriteTestFile(path, "old=table"));
  struct TCase {
    const char* name;
    std::vector<TRow> rows;
  };
  // A control byte inside a set has no code form the loader would take back.
  const TCase cases[] = {{"set with TAB", {{false, "#[a\tb]#", "x"}}},
                         {"group with LF", {{false, "a", "#65\n#"}}},
                         {"no rows", {}}};
  for (const TCase& c : cases) {
    const TTable t = MakeTable(c.rows);
    EXPECT_FALSE(SaveBatchTable(path, t.caseColumn, t.finds, t.replacements)) << c.name;
    EXPECT_EQ(ReadTestFile(path), "old=table") << c.name;
  }
  // The old table is held open by another program: the new one cannot take its place.
  const TTable t = MakeTable({{true, "new", "rows"}});
  {
    THandle held(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_FALSE(SaveBatchTable(path, t.caseColumn, t.finds, t.replacements));
  }
  EXPECT_EQ(ReadTestFile(path), "old=table");
  // A read-only table is replaced.
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(SaveBatchTable(path, t.caseColumn, t.finds, t.replacements));
  EXPECT_EQ(ReadTestFile(path), "+new=rows");
}

// Random rows over the characters that need escaping or carry meaning.
std::vector<TRow> RandomRows(std::mt19937& rng) {
  static const char alphabet[] = "ab+=#*,?[]^-xAB019\t\n\r\x01\xE4 ";
  auto text = [&](size_t maxLen) {
    std::string s(rng() % (maxLen + 1), ' ');
    for (char& c : s) c = alphabet[rng() % (sizeof(alphabet) - 1)];
    return s;
  };
  std::vector<TRow> rows(1 + rng() % 6);
  for (TRow& r : rows) {
    r.caseSensitive = rng() % 2;
    r.find = text(8);
    if (r.find.empty()) r.find.push_back('a');
    r.replacement = text(8);
  }
  return rows;
}

TEST(BatchTableFile, EverySavedTableLoadsAgainWithTheSameBlock) {
  TTempFolder dir;
  const std::string path = dir / "r.rtbl";
  std::mt19937 rng(1234);
  int saved = 0;
  for (int round = 0; round < 400; ++round) {
    const std::vector<TRow> rows = RandomRows(rng);
    const TTable t = MakeTable(rows);
    if (!SaveBatchTable(path, t.caseColumn, t.finds, t.replacements)) continue;
    ++saved;
    TTable back;
    ASSERT_TRUE(LoadBatchTable(path, back.caseColumn, back.finds, back.replacements)) << round;
    TGlobalBlock a, b;
    const bool builtA = BuildBatchBlock(a, t.caseColumn, t.finds, t.replacements);
    ASSERT_EQ(BuildBatchBlock(b, back.caseColumn, back.finds, back.replacements), builtA);
    bool plain = true;
    for (const TRow& r : rows)
      plain = plain && (r.find + r.replacement).find_first_of("\t\n\r\x01") == std::string::npos &&
              r.replacement.rfind('=', 0) != 0;
    if (plain) {
      ExpectSameRows(Rows(back), rows);
      EXPECT_EQ(BlockBytes(a), BlockBytes(b)) << round;
      continue;
    }
    // Control bytes and a leading "=" come back as codes of the same bytes.
    ASSERT_EQ(back.finds.Count(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(ParseFindText(back.finds[i]) == -1, ParseFindText(rows[i].find) == -1) << round;
      std::string was, is;
      if (ParseReplaceText(rows[i].replacement, &was, nullptr) != -1) continue;
      EXPECT_EQ(ParseReplaceText(back.replacements[i], &is, nullptr), -1) << round;
      EXPECT_EQ(is, was) << round;
    }
  }
  EXPECT_GT(saved, 100);
}

TEST(BatchTableFile, RandomFilesLoadCheckAndRunWithinBounds) {
  static const char alphabet[] = "+=#*,?[]^-xX0123456789BUDFNfnab\r\n\t\xff";
  TTempFolder dir;
  const std::string path = dir / "fuzz.rtbl";
  std::mt19937 rng(99);
  int loaded = 0, runs = 0;
  for (int round = 0; round < 1000; ++round) {
    std::string file(rng() % 40, ' ');
    for (char& c : file) c = rng() % 50 == 0 ? char(rng() % 256) : alphabet[rng() % (sizeof(alphabet) - 1)];
    ASSERT_TRUE(WriteTestFile(path, file));
    TTable t;
    const bool ok = LoadBatchTable(path, t.caseColumn, t.finds, t.replacements);
    ASSERT_EQ(t.caseColumn.Count(), t.finds.Count());
    ASSERT_EQ(t.replacements.Count(), t.finds.Count());
    if (!ok) {
      ASSERT_EQ(t.finds.Count(), 0u);
      continue;
    }
    ++loaded;
    for (size_t i = 0; i < t.finds.Count(); ++i) {
      const int f = ParseFindText(t.finds[i]);
      const int r = ParseReplaceText(t.replacements[i], nullptr, nullptr);
      ASSERT_TRUE(f >= -1 && f <= int(t.finds[i].size())) << file;
      ASSERT_TRUE(r >= -1 && r <= int(t.replacements[i].size())) << file;
    }
    TGlobalBlock block;
    const int bad = CheckAndBuildBatchBlock(block, t.caseColumn, t.finds, t.replacements);
    if (bad != -1) {
      ASSERT_LT(size_t(bad), t.finds.Count());
      ASSERT_EQ(block.Handle(), nullptr);
      continue;
    }
    std::vector<TBatchRecord> records;
    ASSERT_TRUE(ReadBatchRecords(block.Handle(), uint32_t(t.finds.Count()), records));
    std::string text(rng() % 64, ' ');
    for (char& c : text) c = alphabet[rng() % (sizeof(alphabet) - 1)];
    TStringInput io(text);
    ASSERT_GE(RunBatchMatch(records, text.size(), io, 1 + rng() % 5), 0) << file;
    ++runs;
  }
  EXPECT_GT(loaded, 100);
  EXPECT_GT(runs, 30);
}

TEST(BatchCaseWords, StartAsYAndNAndFollowSetYesNoTexts) {
  TTempFolder dir;
  ASSERT_TRUE(WriteTestFile(dir / "t.rtbl", "+a=b\r\nc=d"));
  const struct {
    const char *sensitive, *insensitive;
  } words[] = {{nullptr, nullptr}, {"Ja", "Nein"}};
  TTable t;
  for (const auto& w : words) {
    if (w.sensitive) SetYesNoTexts(w.sensitive, w.insensitive);
    t = TTable();
    ASSERT_TRUE(LoadBatchTable(dir / "t.rtbl", t.caseColumn, t.finds, t.replacements));
    EXPECT_EQ(t.caseColumn[0], w.sensitive ? w.sensitive : "Y");
    EXPECT_EQ(t.caseColumn[1], w.insensitive ? w.insensitive : "N");
  }
  // Any other word in the case column means case-insensitive.
  t.caseColumn[1] = "ja";
  TGlobalBlock block;
  ASSERT_EQ(CheckAndBuildBatchBlock(block, t.caseColumn, t.finds, t.replacements), -1);
  std::vector<TBatchRecord> records;
  ASSERT_TRUE(ReadBatchRecords(block.Handle(), 2, records));
  EXPECT_TRUE(records[0].caseSensitive);
  EXPECT_FALSE(records[1].caseSensitive);
  SetYesNoTexts("Y", "N");
}

TEST(BatchReplaceInString, ChoosesFirstCompletionThenEarliestStartThenRow) {
  struct TCase {
    std::vector<TRow> rows;
    const char* text;
    const char* result;
    int32_t matches;
  };
  const TCase cases[] = {
      {{{true, "cat", "dog"}, {true, "at", "AT"}}, "cat", "dog", 1},
      {{{true, "abc", "X"}, {true, "b", "Y"}}, "abc", "aYc", 1},
      {{{true, "x", "1"}, {true, "x", "2"}}, "xx", "11", 2},
      {{{true, "cat", "dog"}}, "ccat", "cdog", 1},
      {{{true, "aab", "X"}}, "aaab", "aX", 1},
      {{{false, "abc", "-"}}, "ABC aBc abc", "- - -", 3},
      {{{true, "abc", "-"}}, "ABC abc", "ABC -", 1},
      {{{true, "#", "########"}, {true, "#", "########"}}, "a#b", "a####b", 1},
      {{{true, "#FN#", "a##b"}, {true, "#FE#", "txt"}}, "[#FN#].#FE#", "[a#b].txt", 2},
      {{{true, "zz", "y"}}, "", "", 0},
      {{{true, "aa", "b"}}, "aaaaa", "bba", 2},
  };
  for (const TCase& c : cases) {
    const TTable t = MakeTable(c.rows);
    TGlobalBlock block;
    ASSERT_TRUE(BuildBatchBlock(block, t.caseColumn, t.finds, t.replacements));
    int32_t matches = -1;
    EXPECT_EQ(ReplaceInString(c.text, block.Handle(), uint32_t(c.rows.size()), matches), c.result)
        << c.text;
    EXPECT_EQ(matches, c.matches) << c.text;
  }
}

}  // namespace
