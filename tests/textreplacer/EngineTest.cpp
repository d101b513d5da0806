#include <gtest/gtest.h>

#include <cstring>

#include "Helpers.h"

namespace {

struct TEngineCase {
  const char* name;
  TReplaceMode mode;
  const char* find;
  const char* replacement;
  bool caseSensitive;
  bool wholeWord;
  int32_t split;
  const char* content;
  const char* expected;
  int32_t matches;
  TReplaceResult result;
};

const TEngineCase kCases[] = {
    {"replace grows", rmReplace, "ab", "xyz", true, false, 0, "aab ab", "axyz xyz", 2, rrChanged},
    {"no overlap", rmReplace, "aa", "b", true, false, 0, "aaaa", "bb", 2, rrChanged},
    {"self overlap", rmReplace, "aba", "X", true, false, 0, "ababa aba", "Xba X", 2, rrChanged},
    {"word plain", rmReplace, "cat", "dog", true, true, 0, "cat", "dog", 1, rrChanged},
    {"word parens", rmReplace, "cat", "dog", true, true, 0, "(cat)", "(dog)", 1, rrChanged},
    {"word comma", rmReplace, "cat", "dog", true, true, 0, "cat,dog", "dog,dog", 1, rrChanged},
    {"word plural", rmReplace, "cat", "dog", true, true, 0, "cats", "cats", 0, rrUnchanged},
    {"word underscore", rmReplace, "cat", "dog", true, true, 0, "_cat", "_cat", 0, rrUnchanged},
    {"word tab", rmReplace, "cat", "dog", true, true, 0, "\tcat cat\t", "\tcat cat\t", 0, rrUnchanged},
    {"word ends", rmReplace, "cat", "dog", true, true, 0, "cat x cat", "dog x dog", 2, rrChanged},
    {"word crlf", rmReplace, "cat", "dog", true, true, 0, "cat\r\ncat\r\n", "dog\r\ndog\r\n", 2, rrChanged},
    {"word high byte", rmReplace, "cat", "dog", true, true, 0, "\xe9" "cat cat\xe9", "\xe9" "cat cat\xe9", 0,
     rrUnchanged},
    {"case insensitive", rmReplace, "Abc", "-", false, false, 0, "ABC abc aBc", "- - -", 3, rrChanged},
    {"case sensitive", rmReplace, "Abc", "-", true, false, 0, "ABC Abc aBc", "ABC - aBc", 1, rrChanged},
    {"ansi case", rmReplace, "\xe9t\xe9", "e", false, false, 0, "\xc9T\xc9 \xe9t\xe9", "e e", 2, rrChanged},
    {"insert after", rmInsAfter, "x", "!", true, false, 0, "x x", "x! x!", 2, rrChanged},
    {"insert after word", rmInsAfter, "x", "!", true, true, 0, "x xx x", "x! xx x!", 2, rrChanged},
    {"delete whole", rmDelete, "whole", "", true, false, 0, "whole", "", 1, rrChanged},
    {"delete ignores replacement", rmDelete, "b", "zz", true, false, 0, "abc", "ac", 1, rrChanged},
    {"no match", rmReplace, "q", "z", true, false, 0, "abc", "abc", 0, rrUnchanged},
    {"empty file", rmReplace, "q", "z", true, false, 0, "", "", 0, rrUnchanged},
    {"head crlf", rmInsToHead, "A\r\n", "", true, false, 0, "", "A\r\n", 1, rrChanged},
    {"head", rmInsToHead, "H", "dropped", true, false, 0, "body", "Hbody", 1, rrChanged},
    {"foot", rmInsToFoot, "F", "", true, false, 0, "no break", "no breakF", 1, rrChanged},
    {"before", rmInsBefore, "b", "[", true, false, 0, "abcb", "a[bc[b", 2, rrChanged},
    {"before keeps case", rmInsBefore, "b", "[", false, false, 0, "aB", "a[B", 1, rrChanged},
    {"between", rmInsBetween, "<>", "x", true, false, 1, "<abc> <>", "<x> <x>", 2, rrChanged},
    {"between open only", rmInsBetween, "<>", "x", true, false, 1, "<abc", "<abc", 0, rrUnchanged},
    {"between tags", rmInsBetween, "<a></a>", "new", true, false, 3, "<a>old</a>tail", "<a>new</a>tail", 1,
     rrChanged},
    {"between words", rmInsBetween, "ab", "-", true, true, 1, "xa b a b", "xa b a-b", 1, rrChanged},
    {"between after a failed opening", rmInsBetween, "abb", "R", true, false, 2, "aabab", "aabRb", 1, rrChanged},
    {"between empty ending at a word end", rmInsBetween, "a", "R", true, true, 1, "x abc d", "x aR d", 1, rrChanged},
    {"between empty ending at the end", rmInsBetween, "a", "R", true, true, 1, "x abc", "x aR", 1, rrChanged},
    {"just find", rmJustFind, "o", "", true, false, 0, "foo bo", "foo bo", 3, rrChanged},
    {"just find none", rmJustFind, "z", "", true, false, 0, "foo", "foo", 0, rrUnchanged},
};

TEST(TextReplacer, ModesOnSmallFiles) {
  for (const auto& c : kCases) {
    TTempFolder folder;
    const std::string path = folder / "report.txt";
    PutFile(path, c.content);
    int32_t matches = -1;
    const TReplaceResult result = RunReplacer(path, c.mode, {c.find, c.replacement, c.caseSensitive, c.wholeWord},
                                              false, c.split, &matches);
    EXPECT_EQ(result, c.result) << c.name;
    EXPECT_EQ(matches, c.matches) << c.name;
    EXPECT_EQ(GetFile(path), c.expected) << c.name;
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"report.txt"}) << c.name;
  }
}

TEST(TextReplacer, MissingFileCreatesNothing) {
  const TReplaceMode modes[] = {rmReplace, rmInsToHead, rmInsBefore, rmJustFind};
  for (TReplaceMode mode : modes) {
    TTempFolder folder;
    EXPECT_EQ(RunReplacer(folder / "none.txt", mode, {"a", "b"}), rrNotFound) << mode;
    EXPECT_TRUE(folder.Names().empty()) << mode;
  }
}

TEST(TextReplacer, EmptyFindTextFailsAndTouchesNothing) {
  const TReplaceMode modes[] = {rmReplace, rmDelete, rmInsAfter, rmInsBefore, rmInsBetween, rmJustFind,
                                rmInsToHead, rmInsToFoot};
  for (TReplaceMode mode : modes) {
    TTempFolder folder;
    const std::string path = folder / "a.txt";
    PutFile(path, "abc");
    EXPECT_EQ(RunReplacer(path, mode, {"", "x"}), rrFailed) << mode;
    EXPECT_EQ(GetFile(path), "abc") << mode;
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.txt"}) << mode;
  }
}

TEST(TextReplacer, UnchangedFileKeepsItsTime) {
  const TReplaceMode modes[] = {rmReplace, rmInsBefore, rmJustFind};
  for (TReplaceMode mode : modes) {
    TTempFolder folder;
    const std::string path = folder / "a.txt";
    PutFile(path, "abc");
    const FILETIME old{0x12345600, 0x01d00000};
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &old);
    CloseHandle(h);
    EXPECT_EQ(RunReplacer(path, mode, {"z", "y"}, true), rrUnchanged);
    const FILETIME now = LastWriteTime(path);
    EXPECT_EQ(CompareFileTime(&now, &old), 0) << mode;
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.txt"}) << mode;
  }
}

TEST(TextReplacer, JustFindLeavesReadOnlyFileAlone) {
  TTempFolder folder;
  const std::string path = folder / "a.txt";
  PutFile(path, "o o o");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  const DWORD attributes = GetFileAttributesA(path.c_str());
  int32_t matches = 0;
  EXPECT_EQ(RunReplacer(path, rmJustFind, {"o", ""}, true, 0, &matches), rrChanged);
  EXPECT_EQ(matches, 3);
  EXPECT_EQ(GetFileAttributesA(path.c_str()), attributes);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.txt"});
}

TEST(TextReplacer, ReplacementLongerThanBlock) {
  TTempFolder folder;
  const std::string path = folder / "a.txt";
  const std::string big(262144 * 2 + 17, 'R');
  PutFile(path, "1x2x3");
  EXPECT_EQ(RunReplacer(path, rmReplace, {"x", big}), rrChanged);
  EXPECT_EQ(GetFile(path), "1" + big + "2" + big + "3");
}

// Past the largest count the file is still replaced whole and counts as changed.
TEST(TextReplacer, MatchCountStopsAtItsLimit) {
  const TReplaceMode modes[] = {rmReplace, rmInsBefore, rmJustFind};
  for (TReplaceMode mode : modes) {
    TTempFolder folder;
    const std::string path = folder / "a.txt";
    PutFile(path, "x x x x x x");
    ReplacerTesting::SetMatchLimit(4);
    int32_t matches = 0;
    const TReplaceResult result = RunReplacer(path, mode, {"x", "y"}, false, 0, &matches);
    ReplacerTesting::SetMatchLimit(0);
    EXPECT_EQ(result, rrChanged) << mode;
    EXPECT_EQ(matches, 4) << mode;
    EXPECT_EQ(GetFile(path), mode == rmReplace     ? "y y y y y y"
                             : mode == rmInsBefore ? "yx yx yx yx yx yx"
                                                   : "x x x x x x")
        << mode;
  }
}

TEST(TextReplacer, MatchAcrossBlockEdge) {
  const size_t kBlock = 262144;
  struct TEdge {
    size_t firstByteAt;
  } const edges[] = {{kBlock - 1}, {kBlock - 2}, {kBlock - 3}, {kBlock}, {2 * kBlock - 1}};
  for (const auto& e : edges) {
    TTempFolder folder;
    const std::string path = folder / "a.txt";
    std::string content(2 * kBlock + 100, '.');
    memcpy(content.data() + e.firstByteAt, "abc", 3);
    PutFile(path, content);
    EXPECT_EQ(RunReplacer(path, rmReplace, {"abc", "Z"}), rrChanged) << e.firstByteAt;
    const std::string expected = content.substr(0, e.firstByteAt) + "Z" + content.substr(e.firstByteAt + 3);
    EXPECT_TRUE(GetFile(path) == expected) << e.firstByteAt;
  }
}

}  // namespace
