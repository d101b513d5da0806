#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "engines/BatchReplacer_utils.h"
#include "textreplacer/Helpers.h"

namespace {

constexpr int64_t kGiB = int64_t{1} << 30;
constexpr int64_t kFileSize = 4 * kGiB + kGiB / 2;
constexpr int64_t kNeededSpace = kFileSize + kGiB;
// CTest reads this exit code as "skipped".

struct TMark {
  int64_t at;
  const char* text;  // written into the zeros at at
};

// Rows: a literal, an insert-before, a run between brackets, a count.
const TMark kMarks[] = {
    {(int64_t{1} << 31) - 2, "MARK"},
    {(int64_t{1} << 32) - 3, "pin"},
    {(int64_t{1} << 32) + 5, "(ab"},
    {(int64_t{1} << 32) + 262144 + 7, "c)"},
    {kFileSize - 5, "xyxyx"},
};

TEST(BatchHugeFile, RowsOfEveryKindBeyondTwoAndFourGiB) {
  TTempFolder folder;
  SkipWhenDiskIsShort(folder.Path(), kNeededSpace);
  const std::string path = folder / "huge.txt";
  {
    THandle h(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(h);
    DWORD unused = 0;
    DeviceIoControl(h.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = kFileSize;
    ASSERT_TRUE(SetFilePointerEx(h.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(h.Get()));
    for (const TMark& m : kMarks) ASSERT_TRUE(WriteAt(h.Get(), m.at, m.text, DWORD(strlen(m.text))));
  }
  TStringList caseColumn, finds, replacements;
  const char* const rows[][2] = {{"MARK", "<M>"}, {"pin", "#U#^"}, {"(#*#)", "[]"}, {"x*2*yx", "#35#"}};
  for (const auto& row : rows) {
    caseColumn.Add(CaseSensitiveWord());
    finds.Add(row[0]);
    replacements.Add(row[1]);
  }
  TGlobalBlock block;
  ASSERT_EQ(CheckAndBuildBatchBlock(block, caseColumn, finds, replacements), -1);
  TTextReplacer replacer(nullptr, false, block.Handle(), rmBatch);
  ASSERT_EQ(replacer.ReplaceBatchStream(path, block.Handle(), 4), rrChanged);
  EXPECT_EQ(replacer.FileSize, kFileSize);
  EXPECT_EQ(replacer.MatchCount, 4);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"huge.txt"});

  THandle result(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(result);
  LARGE_INTEGER size{};
  GetFileSizeEx(result.Get(), &size);
  // Growth: -1 and +1, then the bracketed run becomes two bytes and the
  // count's five bytes one.
  const int64_t runLength = kMarks[3].at + 2 - kMarks[2].at;
  EXPECT_EQ(size.QuadPart, kFileSize - 1 + 1 - (runLength - 2) - 4);
  const std::string zeros(4, '\0');
  EXPECT_TRUE(ReadAt(result.Get(), kMarks[0].at - 4, 11) == zeros + "<M>" + zeros);
  EXPECT_TRUE(ReadAt(result.Get(), kMarks[1].at - 1 - 4, 12) == zeros + "^pin" + zeros);
  EXPECT_TRUE(ReadAt(result.Get(), kMarks[2].at - 4, 10) == zeros + "[]" + zeros);
  EXPECT_TRUE(ReadAt(result.Get(), size.QuadPart - 5, 5) == zeros + "#");
}

}  // namespace
