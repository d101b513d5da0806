#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/Formats.h"
#include "core/translator.h"

namespace {

FILETIME MakeTime(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s) {
  SYSTEMTIME st{y, mo, 0, d, h, mi, s, 0};
  FILETIME ft{};
  SystemTimeToFileTime(&st, &ft);
  return ft;
}

TEST(Formats, FormatSizeGroupsDigits) {
  const struct {
    uint32_t high, low;
    int64_t size;
    const char* text;
  } cases[] = {
      {0, 0, 0, "0"},
      {0, 0, 999999999, "999 999 999"},
      {0, 0, 1000000000, "1 000 000 000"},
      {0, 0, 1000000007, "1 000 000 007"},
      {0, 0, 12000045678, "12 000 045 678"},
      {0, 0, 1234567, "1 234 567"},
      {0, 0, -1234, "-1 234"},
      {1, 0, 0, "4 294 967 296"},
      {0, 123, 0, "123"},
      {9, 9, 77, "77"},
      {0xFFFFFFFF, 0xFFFFFFFF, 0, "18 446 744 073 709 551 615"},
  };
  for (const auto& c : cases) {
    std::string text = "old";
    EXPECT_EQ(FormatSize(c.high, c.low, text, c.size), c.text) << c.size;
    EXPECT_EQ(text, c.text);
  }
  char buffer[32];
  snprintf(buffer, sizeof(buffer), "%.1f", 2.5);
  EXPECT_STREQ(buffer, "2.5");  // the process's own number format is untouched
}

// The test prefix runs with Wine's en-US locale and TZ=UTC: a 12-hour clock,
// whose day half must survive the loss of the seconds (cutting characters
// would eat it), and local time equal to the file time.
TEST(Formats, FileTimeText) {
  char format[80] = "", date[80] = "";
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, format, sizeof(format));
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, date, sizeof(date));
  ASSERT_EQ(std::string(format) + " " + date, "h:mm:ss tt M/d/yyyy") << "test prefix locale";
  const struct {
    WORD hour, minute, second;
    const char* text;
  } cases[] = {
      {13, 45, 59, "3/10/2024 1:45 PM"}, {0, 0, 0, "3/10/2024 12:00 AM"},
      {9, 5, 7, "3/10/2024 9:05 AM"},    {23, 59, 59, "3/10/2024 11:59 PM"},
      {12, 0, 1, "3/10/2024 12:00 PM"},
  };
  for (const auto& c : cases) {
    std::string text;
    EXPECT_EQ(FileTimeToText(MakeTime(2024, 3, 10, c.hour, c.minute, c.second), text), c.text);
  }
  std::string text;
  EXPECT_EQ(FileTimeToText(FILETIME{0xFFFFFFFF, 0xFFFFFFFF}, text), "unknown");
}

TEST(Formats, DateTimeToFileTimeIsUtcHere) {
  SYSTEMTIME local{2020, 2, 0, 29, 10, 20, 30, 0};
  FILETIME ft;
  DateTimeToFileTime(ft, local);
  FILETIME expected = MakeTime(2020, 2, 29, 10, 20, 30);
  EXPECT_EQ(CompareFileTime(&ft, &expected), 0);
}

struct TAgeCase {
  const char* what;
  FILETIME time;
  uint32_t unit, count;
  bool notOlder;
};

TEST(Formats, AgeTest) {
  const SYSTEMTIME now{2024, 3, 0, 10, 14, 30, 0, 0};
  const TAgeCase cases[] = {
      {"same hour, 0 days", MakeTime(2024, 3, 10, 14, 1, 0), 1, 0, true},
      {"earlier hour, 0 days", MakeTime(2024, 3, 10, 13, 59, 59), 1, 0, false},
      {"1 hour", MakeTime(2024, 3, 10, 13, 0, 0), 0, 1, true},
      {"hours over midnight", MakeTime(2024, 3, 9, 20, 0, 0), 0, 18, true},
      {"hours short", MakeTime(2024, 3, 9, 20, 0, 0), 0, 17, false},
      {"days over leap February", MakeTime(2024, 2, 28, 15, 0, 0), 1, 11, true},
      {"days short", MakeTime(2024, 2, 28, 15, 0, 0), 1, 10, false},
      {"weeks", MakeTime(2024, 2, 25, 14, 0, 0), 2, 2, true},
      {"months over the year", MakeTime(2023, 3, 10, 14, 0, 0), 3, 12, true},
      {"months short", MakeTime(2023, 3, 10, 13, 0, 0), 3, 12, false},
      {"years", MakeTime(2021, 3, 10, 14, 0, 0), 4, 3, true},
      {"any other unit is years", MakeTime(2021, 3, 10, 14, 0, 0), 9, 2, false},
      {"huge day count", MakeTime(1990, 1, 1, 0, 0, 0), 1, 4000000000u, true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsNotOlderThan(c.time, c.unit, c.count, now), c.notOlder) << c.what;
  // Only the fields of the unit move, and the day overflows only for day
  // counts: 31 January + 1 month is 31 February, 29 February + 1 year is
  // 29 February of a year without one, each compared field by field.
  const struct {
    FILETIME time;
    uint32_t unit;
    SYSTEMTIME now;
    bool notOlder;
  } shifted[] = {
      {MakeTime(2024, 1, 31, 0, 0, 0), 3, {2024, 2, 0, 29, 23, 0, 0, 0}, true},
      {MakeTime(2024, 1, 31, 0, 0, 0), 3, {2024, 3, 0, 1, 0, 0, 0, 0}, false},
      {MakeTime(2020, 2, 29, 9, 0, 0), 4, {2021, 3, 0, 1, 0, 0, 0, 0}, false},
      {MakeTime(2020, 2, 29, 9, 0, 0), 4, {2021, 2, 0, 28, 23, 0, 0, 0}, true},
      {MakeTime(2020, 2, 29, 9, 0, 0), 1, {2020, 3, 0, 1, 9, 0, 0, 0}, true},
  };
  for (const auto& c : shifted)
    EXPECT_EQ(IsNotOlderThan(c.time, c.unit, 1, c.now), c.notOlder) << c.unit << " " << c.now.wMonth;
}

TEST(Formats, StripFirstDirectory) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"\\", ""},
      {"\\Program Files\\App\\", "\\...\\App\\"},
      {"\\...\\App\\", "\\...\\"},
      {"a\\b\\", "...\\b\\"},
      {"...\\", ""},
      {"name", ""},
  };
  for (const auto& c : cases) {
    std::string folder = c.in;
    StripFirstDirectory(folder);
    EXPECT_EQ(folder, c.out) << c.in;
  }
}

class FormatsOnScreen : public testing::Test {
 protected:
  void SetUp() override { font_ = static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT)); }
  int Width(const std::string& s) {
    int w = 0, h = 0;
    GetTextSize(font_, s, w, h, dc_);
    return w;
  }
  TWindowDC screen_;
  const HDC dc_ = screen_.Get();
  HFONT font_ = nullptr;
};

TEST_F(FormatsOnScreen, FitTextToWidth) {
  std::string result;
  const std::string text = "a rather long file name.txt";
  EXPECT_EQ(FitTextToWidth(font_, text, Width(text), result, dc_), text);
  EXPECT_EQ(FitTextToWidth(font_, text, Width(text) + 50, result), text);  // screen fallback
  FitTextToWidth(font_, text, Width("a rather"), result, dc_);
  EXPECT_EQ(result, "a rather..");
  FitTextToWidth(font_, text, 0, result, dc_);
  EXPECT_EQ(result, "..");
}

TEST_F(FormatsOnScreen, ShortenPathToWidth) {
  TSelectObject font(dc_, font_);
  const std::string path = "C:\\Program Files\\Some App\\tool.exe";
  std::string result;
  EXPECT_EQ(ShortenPathToWidth(path, dc_, Width(path), result), path);
  ShortenPathToWidth(path, dc_, Width("C:\\...\\Some App\\tool.exe"), result);
  EXPECT_EQ(result, "C:\\...\\Some App\\tool.exe");
  ShortenPathToWidth(path, dc_, Width("...\\tool.exe"), result);
  EXPECT_EQ(result, "...\\tool.exe");
  ShortenPathToWidth(path, dc_, 1, result);
  EXPECT_EQ(result, "tool.exe");
  EXPECT_EQ(ShortenPathToWidth("ab", dc_, 1, result), "ab");
}

TEST_F(FormatsOnScreen, FontHeightMatchesTextMetrics) {
  TEXTMETRICA tm;
  {
    TSelectObject font(dc_, font_);
    GetTextMetricsA(dc_, &tm);
  }
  EXPECT_EQ(GetFontHeight(font_, dc_), tm.tmHeight);
  EXPECT_EQ(GetFontHeight(font_), tm.tmHeight);
}

TEST(Formats, ColumnTitles) {
  RegisterSharedTexts();
  const struct {
    int kind;
    const char* title;
  } cases[] = {{0, "Name"},    {1, "Ext"},      {2, "Size"},     {3, "Date"},    {4, "Attr"}, {5, ""},
               {6, "New name"}, {7, "Location"}, {8, "Old name"}, {9, "New ext"}, {10, ""},  {-1, ""}};
  for (const auto& c : cases) EXPECT_EQ(GetColumnTitle(c.kind), c.title) << c.kind;
}

}  // namespace
