#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "textreplacer/Helpers.h"

namespace {

constexpr int64_t kGiB = int64_t{1} << 30;
constexpr int64_t kFileSize = 5 * kGiB;
// Room for the dense output beside the sparse source.
constexpr int64_t kNeededSpace = kFileSize + kGiB;
// CTest reads this exit code as "skipped".

const char kFind[] = "MARK";
const char kReplacement[] = "REPLACED!";
constexpr int64_t kGrowth = sizeof kReplacement - sizeof kFind;

// Matches on both sides of 2^31 and 2^32, across them and at the very end.
const int64_t kMatchAt[] = {
    100,
    (int64_t{1} << 31) - 2,
    (int64_t{1} << 31) + 40,
    (int64_t{1} << 32) - 1,
    (int64_t{1} << 32) + 262144 * 3 - 3,
    kFileSize - 4,
};

// A file of zeros, sparse where the file system allows, with the find text
// at every place of kMatchAt.
bool MakeSparseFile(const std::string& path) {
  THandle h(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!h) return false;
  DWORD unused = 0;
  DeviceIoControl(h.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = kFileSize;
  if (!SetFilePointerEx(h.Get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(h.Get())) return false;
  for (int64_t at : kMatchAt)
    if (!WriteAt(h.Get(), at, kFind, sizeof kFind - 1)) return false;
  return true;
}

TEST(HugeFile, MatchesBeyondTwoAndFourGiB) {
  TTempFolder folder;
  SkipWhenDiskIsShort(folder.Path(), kNeededSpace);
  const std::string path = folder / "huge.txt";
  ASSERT_TRUE(MakeSparseFile(path));

  TPatternPairOptions options;
  options.CaseSensitive = true;
  TGlobalBlock block = BuildPatternBlock(kFind, kReplacement, options);
  TTextReplacer counter(nullptr, false, block.Handle(), rmJustFind);
  EXPECT_EQ(counter.CountMatches(path), rrChanged);
  EXPECT_EQ(counter.FileSize, kFileSize);
  EXPECT_EQ(counter.MatchCount, static_cast<int32_t>(std::size(kMatchAt)));

  TTextReplacer replacer(nullptr, false, block.Handle(), rmReplace);
  ASSERT_EQ(replacer.ReplaceStream(path), rrChanged);
  EXPECT_EQ(replacer.FileSize, kFileSize);
  EXPECT_EQ(replacer.MatchCount, static_cast<int32_t>(std::size(kMatchAt)));
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"huge.txt"});

  THandle result(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(result);
  LARGE_INTEGER size{};
  GetFileSizeEx(result.Get(), &size);
  EXPECT_EQ(size.QuadPart, kFileSize + kGrowth * static_cast<int64_t>(std::size(kMatchAt)));
  const std::string zeros(8, '\0');
  int64_t shift = 0;
  for (int64_t at : kMatchAt) {
    const int64_t start = at + shift;
    const DWORD after = at + 4 < kFileSize ? 8 : 0;
    const std::string expected = (at > 8 ? zeros : std::string()) + kReplacement + zeros.substr(0, after);
    const int64_t from = at > 8 ? start - 8 : start;
    EXPECT_TRUE(ReadAt(result.Get(), from, static_cast<DWORD>(expected.size())) == expected) << at;
    shift += kGrowth;
  }
}

}  // namespace
