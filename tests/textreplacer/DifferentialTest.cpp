#include <gtest/gtest.h>

#include <random>
#include <string_view>

#include "Helpers.h"

namespace {

// A plain in-memory model of the engine's rules: leftmost occurrence first,
// no overlaps, matching resumes right after a match.
constexpr std::string_view kDelimiterBytes("\r\n !\"#$%&'()*+,-./:;<=>?@[\\]^`{|}~");

bool IsDelimiter(char c) { return kDelimiterBytes.find(c) != std::string_view::npos; }

// Code page 1252 case pairs.
uint8_t Fold(uint8_t b) {
  if (b >= 'A' && b <= 'Z') return static_cast<uint8_t>(b + 32);
  if (b == 0x8A || b == 0x8C || b == 0x8E) return static_cast<uint8_t>(b + 0x10);
  if (b == 0x9F) return 0xFF;
  if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<uint8_t>(b + 0x20);
  return b;
}

struct TModelResult {
  std::string Content;
  int32_t Matches = 0;
};

class TModel {
 public:
  TModel(const std::string& data, const TPairSpec& pair) : d_(data), p_(pair) {}

  TModelResult Run(TReplaceMode mode, size_t split) const {
    const std::string& f = p_.Find;
    if (mode == rmInsToHead) return {f + d_, 1};
    if (mode == rmInsToFoot) return {d_ + f, 1};
    const std::string r = mode == rmDelete ? "" : p_.Replacement;
    TModelResult m;
    size_t i = 0;
    for (;;) {
      if (mode == rmInsBetween && split > 0) {
        const size_t open = Find(i, f.substr(0, split), true, false);
        if (open == npos) break;
        const size_t close = Find(open + split, f.substr(split), false, true);
        if (close == npos) break;
        m.Content += d_.substr(i, open + split - i) + r + d_.substr(close, f.size() - split);
        i = close + f.size() - split;
      } else {
        const size_t at = Find(i, f, true, true);
        if (at == npos) break;
        const std::string found = d_.substr(at, f.size());
        m.Content += d_.substr(i, at - i);
        if (mode == rmInsAfter)
          m.Content += found + r;
        else if (mode == rmInsBefore || mode == rmInsBetween)
          m.Content += r + found;
        else
          m.Content += r;
        i = at + f.size();
      }
      ++m.Matches;
    }
    m.Content += d_.substr(i);
    if (mode == rmJustFind) m.Content = d_;
    return m;
  }

 private:
  static constexpr size_t npos = std::string::npos;

  bool Same(size_t at, std::string_view text) const {
    for (size_t k = 0; k < text.size(); ++k) {
      const uint8_t a = static_cast<uint8_t>(d_[at + k]), b = static_cast<uint8_t>(text[k]);
      if (p_.CaseSensitive ? a != b : Fold(a) != Fold(b)) return false;
    }
    return true;
  }

  // Leftmost occurrence from `from` on; the place right after a match (and
  // the file's start) counts as a word start.
  size_t Find(size_t from, std::string_view text, bool wordStart, bool wordEnd) const {
    for (size_t j = from; j + text.size() <= d_.size(); ++j) {
      if (!Same(j, text)) continue;
      const size_t end = j + text.size();
      if (p_.WholeWord && wordStart && j > from && !IsDelimiter(d_[j - 1])) continue;
      if (p_.WholeWord && wordEnd && end < d_.size() && !IsDelimiter(d_[end])) continue;
      return j;
    }
    return npos;
  }

  const std::string& d_;
  const TPairSpec& p_;
};

const TReplaceMode kModes[] = {rmReplace, rmDelete, rmInsAfter, rmInsBefore, rmInsBetween, rmJustFind,
                               rmInsToHead, rmInsToFoot};
constexpr size_t kModeCount = sizeof kModes / sizeof kModes[0];

// Small alphabets make overlaps, word edges and case pairs frequent.
const std::string_view kAlphabets[] = {
    "ab",
    "aab ",
    "aA\r\n",
    "xX_.\t",
    std::string_view("a\xe9\xc9\xff\x9f \x80\0", 8),
    "ab,(A)",
};

class TRandomCase {
 public:
  explicit TRandomCase(uint32_t seed) : rng_(seed) {}

  std::string Text(std::string_view alphabet, size_t size) {
    std::string s(size, '\0');
    for (char& c : s) c = alphabet[Below(alphabet.size())];
    return s;
  }

  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }

  size_t FileSize(size_t index, size_t largest) {
    if (index % 50 == 49) return Below(largest + 1);
    return Below(4096);
  }

  // Often a piece of the data itself, so that matches are common.
  std::string FindText(std::string_view alphabet, const std::string& data) {
    const size_t n = 1 + Below(Below(4) == 0 ? 9 : 4);
    if (data.size() > n && Below(2)) return data.substr(Below(data.size() - n), n);
    return Text(alphabet, n);
  }

  std::string Replacement(std::string_view alphabet) {
    const size_t n = Below(5) == 0 ? 20 + Below(60) : Below(6);
    return Text(alphabet, n);
  }

 private:
  std::mt19937 rng_;
};

class TBlockSizeGuard {
 public:
  explicit TBlockSizeGuard(uint32_t size) { ReplacerTesting::SetBlockSize(size); }
  ~TBlockSizeGuard() { ReplacerTesting::SetBlockSize(0); }
};

// Every mode with every case and whole-word rule over seeded random files.
void RunDifferential(uint32_t seed, size_t files, size_t largest, const std::vector<uint32_t>& blockSizes) {
  TRandomCase random(seed);
  TTempFolder folder;
  const std::string path = folder / "d.txt";
  for (size_t index = 0; index < files; ++index) {
    const std::string_view alphabet = kAlphabets[random.Below(std::size(kAlphabets))];
    const std::string data = random.Text(alphabet, random.FileSize(index, largest));
    TPairSpec pair;
    pair.Find = random.FindText(alphabet, data);
    pair.Replacement = random.Replacement(alphabet);
    const size_t combination = index % (kModeCount * 4);
    const TReplaceMode mode = kModes[combination % kModeCount];
    const bool headFoot = mode == rmInsToHead || mode == rmInsToFoot;
    pair.CaseSensitive = headFoot || combination / kModeCount % 2;
    pair.WholeWord = !headFoot && combination / kModeCount / 2;
    const size_t split = mode == rmInsBetween ? random.Below(pair.Find.size() + 1) : 0;
    TBlockSizeGuard block(blockSizes[index % blockSizes.size()]);

    const TModelResult expected = TModel(data, pair).Run(mode, split);
    PutFile(path, data);
    int32_t matches = -1;
    const TReplaceResult result =
        RunReplacer(path, mode, pair, false, static_cast<int32_t>(split), &matches);
    const std::string what = "case " + std::to_string(index) + " mode " + std::to_string(mode) + " find '" +
                             pair.Find + "' split " + std::to_string(split) + " size " +
                             std::to_string(data.size()) + " block " + std::to_string(ReplaceBlockSize());
    EXPECT_EQ(matches, expected.Matches) << what;
    EXPECT_EQ(result, expected.Matches > 0 ? rrChanged : rrUnchanged) << what;
    const std::string content = GetFile(path);
    EXPECT_TRUE(content == expected.Content) << what << "\n got      '" << content.substr(0, 200)
                                             << "'\n expected '" << expected.Content.substr(0, 200) << "'";
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"d.txt"}) << what;
    if (::testing::Test::HasFailure()) return;
  }
}

TEST(TextReplacerDifferential, NormalBlockSize) { RunDifferential(20261209, 300, 3 << 20, {0}); }

// Blocks of a few bytes put block edges inside nearly every match and make
// long replacements exceed the output buffer's block.
TEST(TextReplacerDifferential, SmallBlockSizes) { RunDifferential(4242, 300, 20000, {1, 2, 3, 7, 16, 61}); }

}  // namespace
