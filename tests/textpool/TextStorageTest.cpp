#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/TextStorage.h"

namespace {

TEST(TextStorage, SmallOrNegativeSizesGiveOneHundredBytes) {
  for (int32_t size : {0, -5, 1, 300}) {
    TTextStorage pool(size);
    EXPECT_EQ(pool.Capacity, size < 1 ? 100u : uint32_t(size)) << size;
    EXPECT_EQ(pool.UsedLength, 0u);
    EXPECT_EQ(pool.LockDepth, 0);
    EXPECT_EQ(pool.LockedPtr, nullptr);
  }
}

TEST(TextStorage, GrowsByTextLengthPlusSlack) {
  TTextStorage pool(100);
  pool.Add(std::string(94, 'x').c_str());  // 95 used, 5 free
  uint32_t before = pool.UsedLength;
  EXPECT_EQ(pool.Add("0123456789"), before);
  EXPECT_EQ(pool.Capacity, 100u + 6010u);
  EXPECT_EQ(pool.GetString(before), "0123456789");
}

// A million short names: the block grows by half at a time, so it is copied
// a few dozen times, not once per few thousand bytes; the offsets are the
// running used length all the same.
TEST(TextStorage, ManyShortNamesGrowTheBlockGeometrically) {
  TTextStorage pool(100);
  uint32_t expected = 0, lastCapacity = pool.Capacity;
  int growths = 0;
  for (int i = 0; i < 1000000; ++i) {
    const char* name = i % 2 ? "ab" : "xyz";
    ASSERT_EQ(pool.Add(name), expected);
    expected += uint32_t(strlen(name)) + 1;
    if (pool.Capacity != lastCapacity) {
      ++growths;
      lastCapacity = pool.Capacity;
    }
  }
  EXPECT_LT(growths, 40);
  EXPECT_EQ(pool.GetString(expected - 3), "ab");
}

TEST(TextStorage, GrowthWhileLockedKeepsLockAndOffsets) {
  TTextStorage pool(10);
  ASSERT_TRUE(pool.Lock());
  ASSERT_TRUE(pool.Lock());
  std::vector<std::pair<uint32_t, std::string>> added;
  for (int i = 0; i < 3000; ++i) {
    std::string s = "name" + std::to_string(i) + std::string(i % 17, 'z');
    uint32_t at = pool.Add(s.c_str());
    ASSERT_NE(at, TTextStorage::NoOffset);
    added.emplace_back(at, s);
    ASSERT_NE(pool.LockedPtr, nullptr);
  }
  EXPECT_EQ(pool.LockDepth, 2);
  for (const auto& [at, s] : added) ASSERT_STREQ(pool.GetPChar(at), s.c_str());
  pool.Unlock();
  EXPECT_NE(pool.LockedPtr, nullptr);
  pool.Unlock();
  EXPECT_EQ(pool.LockedPtr, nullptr);
  EXPECT_EQ(pool.GetString(added.back().first), added.back().second);
}

TEST(TextStorage, TakingBackAndEmptyStrings) {
  TTextStorage pool(50);
  uint32_t a = pool.Add("");
  uint32_t b = pool.Add("abc");
  EXPECT_EQ(a, 0u);
  EXPECT_EQ(b, 1u);
  EXPECT_EQ(pool.GetString(a), "");
  pool.SetUsedLength(b);
  EXPECT_EQ(pool.Add("xyz"), b);
  EXPECT_EQ(pool.GetString(b), "xyz");
  pool.Clear();
  EXPECT_EQ(pool.Add("q"), 0u);
  EXPECT_EQ(pool.Capacity, 50u);
}

TEST(TextStorage, CopyFromKeepsOffsets) {
  TTextStorage source(20), target(20);
  uint32_t a = source.Add("first");
  uint32_t b = source.Add("a longer second name that grows it");
  ASSERT_GT(source.UsedLength, 20u);
  EXPECT_FALSE(target.CopyFrom(source));  // too small: refused, not overrun
  EXPECT_EQ(target.UsedLength, 0u);
  TTextStorage big(int32_t(source.UsedLength));
  ASSERT_TRUE(big.CopyFrom(source));
  EXPECT_EQ(big.UsedLength, source.UsedLength);
  EXPECT_EQ(big.GetString(a), "first");
  EXPECT_EQ(big.GetString(b), "a longer second name that grows it");
  EXPECT_EQ(source.LockDepth, 0);
  EXPECT_EQ(big.LockDepth, 0);
}

TEST(TextStorage, GrowthBeyondAddressableCapacityIsRefused) {
  TTextStorage pool(100);
  pool.Add("kept");
  // Pretend the pool is nearly 4 GiB full: growth must fail before any write,
  // since a write at such an offset would land far outside the real block.
  const uint32_t realCapacity = pool.Capacity, realUsed = pool.UsedLength;
  const struct {
    bool locked;
  } cases[] = {{false}, {true}};
  for (auto c : cases) {
    if (c.locked) {
      ASSERT_TRUE(pool.Lock());
    }
    char* lockedBefore = pool.LockedPtr;
    pool.Capacity = 0xFFFFF000u;
    pool.UsedLength = 0xFFFFEFFFu;
    EXPECT_EQ(pool.Add("0123456789"), TTextStorage::NoOffset);
    EXPECT_EQ(pool.Capacity, 0xFFFFF000u);
    EXPECT_EQ(pool.UsedLength, 0xFFFFEFFFu);
    EXPECT_EQ(pool.LockedPtr, lockedBefore);
    pool.Capacity = realCapacity;
    pool.UsedLength = realUsed;
    if (c.locked) pool.Unlock();
  }
  EXPECT_EQ(pool.GetString(0), "kept");
}

}  // namespace
