#include <gtest/gtest.h>

#include "framework/SafeFormat.h"

namespace {

struct TCase {
  const char* fmt;
  const char* expected;
};

TEST(SafeFormat, FormatsMatchingTexts) {
  EXPECT_EQ(SafeFormat("%s of %s k in %d of %d files selected", "x", {"1 024", "2 048", 3, 4}),
            "1 024 of 2 048 k in 3 of 4 files selected");
  EXPECT_EQ(SafeFormat("%5d|%-4s|%05d|%%|%x", "x", {42, "ab", -7, 255}), "   42|ab  |-0007|%|ff");
  EXPECT_EQ(SafeFormat("%.3d %.2s", "x", {5, "abc"}), "005 ab");
}

TEST(SafeFormat, HostileTranslationsFallBack) {
  const char* fallback = "File %s\r\n%s\r\nOverwrite?";
  const TCase cases[] = {
      {"%s%s%s%n", "File a\r\nb\r\nOverwrite?"},  // %n and too many
      {"%d %s", "File a\r\nb\r\nOverwrite?"},      // wrong kind
      {"%s", "File a\r\nb\r\nOverwrite?"},         // too few conversions
      {"%*s %s", "File a\r\nb\r\nOverwrite?"},     // star width
      {"%ls %s", "File a\r\nb\r\nOverwrite?"},     // length modifier
      {"%", "File a\r\nb\r\nOverwrite?"},          // cut directive
      {"%s und %s", "a und b"},                    // a good translation
  };
  for (const auto& c : cases) EXPECT_EQ(SafeFormat(c.fmt, fallback, {"a", "b"}), c.expected) << c.fmt;
}

TEST(SafeFormat, NumbersWhereTextsAreExpected) {
  EXPECT_EQ(SafeFormat("%s files", "%d files", {12}), "12 files");
  EXPECT_FALSE(FormatMatches("%d", {"text"}));
  EXPECT_TRUE(FormatMatches("100%% of %s", {"it"}));
}

}  // namespace
