// The content test: the matcher against the slot machine, the pattern block
// and the cases users meet.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <random>

#include "finder/FinderTestSupport.h"
#include "finder/SlotMatcher.h"
#include "support/TempFolder.h"
#include "windows/Finder.h"

namespace {

std::vector<uint8_t> BlockBytes(const TFinder& finder) {
  TGlobalLock lock(finder.PatternBlock.Handle());
  const auto* p = lock.Get<uint8_t>();
  return p ? std::vector<uint8_t>(p, p + finder.PatternBlock.Size()) : std::vector<uint8_t>();
}

std::unique_ptr<TFinder> Patterns(const std::string& text, bool caseSensitive, bool phrase,
                                  bool allWords, UINT codePage = CP_ACP) {
  auto finder = std::make_unique<TThreadOf<TFinder>>();
  BuildPatternBlock(*finder, text, caseSensitive, phrase, codePage);
  finder->AllWords = allWords;
  return finder;
}

// Feeds every byte, also past a hit, so that every entry's outcome shows.
TFinderMatcher FeedAll(const TFinder& finder, const std::string& data, size_t blockSize) {
  TFinderMatcher m;
  TGlobalLock lock(finder.PatternBlock.Handle());
  m.Compile(ReadFinderPatterns(lock.Get(), finder.PatternBlock.Size(), finder.PatternCount),
            finder.IgnoreCase, finder.AllWords);
  const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
  for (size_t at = 0; at < data.size(); at += blockSize) {
    const size_t n = std::min(blockSize, data.size() - at);
    for (size_t done = 0; done < n;) done += m.Feed(bytes + at + done, n - done);
  }
  return m;
}

std::string RandomCase(const std::string& s, std::mt19937& rng) {
  std::string out = s;
  for (char& c : out) {
    if (rng() % 2)
      CharUpperBuffA(&c, 1);
    else
      CharLowerBuffA(&c, 1);
  }
  return out;
}

// Letters with repeats, a pair that 1252 maps by case (a-umlaut) and one
// whose upper case lies elsewhere in the page (y-diaeresis, 0x9F).
const char kLetters[] = "aabAB\xE4\xC4\xFF";

TEST(FinderContent, AgreesWithTheSlotMachine) {
  std::mt19937 rng(19);
  TTempFolder tmp;
  const size_t blockSizes[] = {1, 2, 3, 5, 16, 64, 4096};
  const std::string noise = std::string(kLetters) + std::string("\0 \x9F\x80zq", 7);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (int w = 0, words = 1 + int(rng() % 3); w < words; ++w) {
      if (w) text += rng() % 4 ? " " : "  ";
      for (int k = 0, len = 1 + int(rng() % 5); k < len; ++k) text += kLetters[rng() % 8];
    }
    const bool caseSensitive = rng() % 2, phrase = rng() % 3 == 0, allWords = !phrase && rng() % 2;
    auto finder = Patterns(text, caseSensitive, phrase, allWords);
    ASSERT_TRUE(finder->HasPatterns) << text;

    std::string data;
    for (size_t i = 0, n = rng() % 1500; i < n; ++i) data += noise[rng() % noise.size()];
    // Whole and partial copies of the units in both forms, at odd places.
    const auto units = SplitSearchText(text, phrase);
    for (int plant = 0, plants = int(rng() % 4); plant < plants; ++plant) {
      std::string unit = RandomCase(units[rng() % units.size()], rng);
      if (rng() % 3 == 0) unit.resize(1 + rng() % unit.size());
      const std::string piece = rng() % 2 ? unit : Utf16(unit);
      data.insert(data.empty() ? 0 : rng() % data.size(), piece);
    }
    const size_t blockSize = blockSizes[rng() % 7];
    const std::string what = "round " + std::to_string(round) + " text [" + text + "]";

    const TSlotResult slots = SlotContains(BlockBytes(*finder), finder->PatternCount,
                                           finder->IgnoreCase, allWords, data, blockSize, false);
    const TFinderMatcher matcher = FeedAll(*finder, data, blockSize);
    ASSERT_EQ(matcher.EntryCount(), slots.Found.size()) << what;
    for (size_t e = 0; e < slots.Found.size(); ++e)
      EXPECT_EQ(matcher.Found(e), slots.Found[e]) << what << " entry " << e;
    EXPECT_EQ(matcher.Hit(), slots.Hit) << what;

    // The real content test reads the file in blocks of the same size.
    FinderTesting::SetBlockSize(uint32_t(blockSize));
    ASSERT_TRUE(WriteTestFile(tmp / "f.bin", data));
    const bool skipping = SlotContains(BlockBytes(*finder), finder->PatternCount,
                                       finder->IgnoreCase, allWords, data, blockSize, true)
                              .Hit;
    EXPECT_EQ(FileContainsText(*finder, tmp / "f.bin"), skipping) << what;
    FinderTesting::SetBlockSize(0);
  }
}

struct TContentCase {
  const char* name;
  const char* text;
  bool caseSensitive;
  char kind;  // 'p' phrase, 'o' any word, 'a' all words
  std::string data;
  bool hit;
};

const TContentCase kContentCases[] = {
    {"a repeated first letter", "aab", true, 'p', "xaaab", true},
    {"straddling two read blocks", "boundary", true, 'p', std::string(262141, 'x') + "boundary", true},
    {"UTF-16 with case ignored", "world", false, 'o', Utf16("Hello World"), true},
    {"UTF-16 with case respected", "world", true, 'o', Utf16("Hello World"), false},
    {"a capital typed, any mix in the file", "World", false, 'o', "hello wORLD", true},
    {"all words across the two forms", "one two", true, 'a', "one " + Utf16("two"), false},
    {"any word across the two forms", "one two", true, 'o', "one " + Utf16("two"), true},
    {"all words in UTF-16", "one two", true, 'a', Utf16("two, one"), true},
    {"a word found twice counts once", "x y", true, 'a', "x..x", false},
    {"a word typed twice, any", "ab ab", true, 'o', "-ab-", true},
    {"a word typed twice, all", "ab ab", true, 'a', "-ab-", true},
    {"the phrase of a word typed twice", "ab ab", true, 'p', "-ab-", false},
    {"a tab belongs to the word", "a\tb", true, 'o', "a b", false},
    {"an empty file", "a", true, 'o', "", false},
};

TEST(FinderContent, CasesUsersMeet) {
  TTempFolder tmp;
  for (const TContentCase& c : kContentCases) {
    auto finder = Patterns(c.text, c.caseSensitive, c.kind == 'p', c.kind == 'a');
    ASSERT_TRUE(WriteTestFile(tmp / "f.txt", c.data));
    EXPECT_EQ(FileContainsText(*finder, tmp / "f.txt"), c.hit) << c.name;
  }
  auto finder = Patterns("a", true, true, false);
  EXPECT_FALSE(FileContainsText(*finder, tmp / "missing.txt"));
  EXPECT_FALSE(FileContainsText(*finder, tmp.Path())) << "a folder";
}

TEST(FinderContent, PatternBlockHoldsEveryUnitInBothForms) {
  // Sixty one-letter words: a table of addresses sized for 4-byte ones
  // would overrun its block on the 64-bit build.
  const std::string all = "abcdefghijklmnopqrstuvwxyz0123456789!#$%&()*+,-./:;<=>?@[]^_";
  ASSERT_EQ(all.size(), 60u);
  std::string text;
  for (char c : all) text += std::string(1, c) + " ";
  auto finder = Patterns(text, true, false, true);
  ASSERT_EQ(finder->PatternCount, 120);
  {
    TGlobalLock lock(finder->PatternBlock.Handle());
    EXPECT_EQ(ReadFinderPatterns(lock.Get(), finder->PatternBlock.Size(), 120).size(), 120u);
  }
  TTempFolder tmp;
  ASSERT_TRUE(WriteTestFile(tmp / "all.txt", all));
  ASSERT_TRUE(WriteTestFile(tmp / "but_one.txt", all.substr(1)));
  EXPECT_TRUE(FileContainsText(*finder, tmp / "all.txt"));
  EXPECT_FALSE(FileContainsText(*finder, tmp / "but_one.txt"));

  EXPECT_FALSE(Patterns("", true, true, false)->HasPatterns);
  EXPECT_FALSE(Patterns("   ", true, false, false)->HasPatterns) << "blanks hold no word";
}

TEST(FinderContent, DoubleByteWordHasTheLengthOfItsUnits) {
  // Three characters in six bytes of code page 932 are three UTF-16 units.
  const std::string word = "\x93\xFA\x96\x7B\x8C\xEA";
  auto finder = Patterns(word, true, true, false, 932);
  TGlobalLock lock(finder->PatternBlock.Handle());
  const auto patterns = ReadFinderPatterns(lock.Get(), finder->PatternBlock.Size(), 2);
  ASSERT_EQ(patterns.size(), 2u);
  EXPECT_EQ(patterns[1].First.size(), 6u);
  TTempFolder tmp;
  const std::string utf16le("\xE5\x65\x2C\x67\x9E\x8A", 6);
  ASSERT_TRUE(WriteTestFile(tmp / "jp.txt", "x" + utf16le + "y"));
  EXPECT_TRUE(FileContainsText(*finder, tmp / "jp.txt"));
}

TEST(FinderContent, OverlappingPartialMatchesCostNothingExtra) {
  // A thousand letters over 64 MiB of that letter: every byte starts a new
  // partial match. The word is found only at the end.
  auto finder = Patterns(std::string(1000, 'a') + "b", true, true, false);
  std::string data(64 << 20, 'a');
  data.back() = 'b';
  const auto start = std::chrono::steady_clock::now();
  const TFinderMatcher m = FeedAll(*finder, data, 262144);
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(m.Hit());
  EXPECT_LT(seconds, 5.0);
}

}  // namespace
