#include "core/Formats.h"

#include <optional>

#include "core/SharedTexts.h"
#include "core/translator.h"

namespace {

// A device context for measuring: the one given, else the screen's; the font
// is selected for the object's life.
class TMeasureDC {
 public:
  TMeasureDC(HDC dc, HFONT font) : dc_(dc ? dc : Screen()), font_(dc_, font) {}
  HDC Get() const { return dc_; }

 private:
  HDC Screen() { return screen_.emplace().Get(); }
  std::optional<TWindowDC> screen_;
  HDC dc_;
  TSelectObject font_;
};

int TextWidth(HDC dc, const std::string& text) {
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &size);
  return size.cx;
}

// February has 29 days in every fourth year, as the age test counts.
int MonthLength(int month, int year) {
  static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && year % 4 == 0 ? 29 : lengths[month - 1];
}

}  // namespace

const std::string& FormatSize(uint32_t high, uint32_t low, std::string& text, int64_t size) {
  uint64_t value = size ? uint64_t(size < 0 ? -(size + 1) + 1ull : uint64_t(size))
                        : (uint64_t(high) << 32) | low;
  const std::string digits = std::to_string(value);
  std::string grouped(size < 0 ? 1 : 0, '-');
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) grouped.push_back(' ');
    grouped.push_back(digits[i]);
  }
  text = std::move(grouped);
  return text;
}

const std::string& FileTimeToText(const FILETIME& time, std::string& text) {
  FILETIME local;
  SYSTEMTIME st;
  char date[80], clock[80];
  if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &st) ||
      !GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof(date)) ||
      !GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &st, nullptr, clock, sizeof(clock))) {
    text = "unknown";
    return text;
  }
  text = std::string(date) + " " + clock;
  return text;
}

const FILETIME& DateTimeToFileTime(FILETIME& result, const SYSTEMTIME& local) {
  FILETIME localTime{};
  SystemTimeToFileTime(&local, &localTime);
  LocalFileTimeToFileTime(&localTime, &result);
  return result;
}

bool IsNotOlderThan(const FILETIME& time, uint32_t unit, uint32_t count, const SYSTEMTIME& now) {
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&time, &st)) return false;
  int64_t year = st.wYear, month = st.wMonth, day = st.wDay, hour = st.wHour;
  int64_t days = 0, months = 0;
  switch (unit) {
    case 0:
      hour += count;
      days = hour / 24;
      hour %= 24;
      break;
    case 1: days = count; break;
    case 2: days = int64_t(count) * 7; break;
    case 3: months = count; break;
    default: year += count; break;
  }
  // Only a count of hours, days or weeks carries the day into the next month:
  // a month or year count moves its own field, so 29 February + 1 year is
  // compared as 29 February.
  if (unit <= 2) {
    year += days / 1461 * 4;  // whole four-year cycles, so huge counts stay quick
    day += days % 1461;
    while (day > MonthLength(int(month), int(year))) {
      day -= MonthLength(int(month), int(year));
      if (++month > 12) {
        month = 1;
        ++year;
      }
    }
  }
  month += months;
  year += (month - 1) / 12;
  month = (month - 1) % 12 + 1;
  const int64_t a[] = {year, month, day, hour};
  const int64_t b[] = {now.wYear, now.wMonth, now.wDay, now.wHour};
  for (int i = 0; i < 4; ++i)
    if (a[i] != b[i]) return a[i] > b[i];
  return true;
}

bool IsNotOlderThan(const FILETIME& time, uint32_t unit, uint32_t count) {
  SYSTEMTIME now;
  GetSystemTime(&now);
  return IsNotOlderThan(time, unit, count, now);
}

const std::string& FitTextToWidth(HFONT font, const std::string& text, int width,
                                  std::string& result, HDC dc) {
  TMeasureDC measure(dc, font);
  int fit = 0;
  SIZE size{};
  GetTextExtentExPointA(measure.Get(), text.c_str(), int(text.size()), width, &fit, nullptr, &size);
  result = fit < int(text.size()) ? text.substr(0, size_t(fit > 0 ? fit : 0)) + ".." : text;
  return result;
}

void StripFirstDirectory(std::string& folder) {
  if (folder == "\\") {
    folder.clear();
    return;
  }
  const bool lead = !folder.empty() && folder[0] == '\\';
  if (lead) folder.erase(0, 1);
  if (!folder.empty() && folder[0] == '.') folder.erase(0, 4);
  const size_t slash = folder.find('\\');
  std::string rest = lead ? "\\" : "";
  if (slash != std::string::npos) rest.append("...\\").append(folder, slash + 1);
  folder = std::move(rest);
}

const std::string& ShortenPathToWidth(const std::string& path, HDC dc, int width,
                                      std::string& result) {
  result = path;
  if (path.size() < 3) return result;
  TMeasureDC measure(dc, nullptr);
  const size_t slash = path.rfind('\\');
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = path.substr(folder.size());
  std::string drive;
  if (folder.size() >= 2 && folder[1] == ':') {
    drive = folder.substr(0, 2);
    folder.erase(0, 2);
  }
  while (TextWidth(measure.Get(), result) > width && !(drive.empty() && folder.empty())) {
    if (folder == "\\...\\") {
      drive.clear();
      folder = "...\\";
    } else if (!folder.empty()) {
      StripFirstDirectory(folder);
    } else {
      drive.clear();
    }
    result = drive + folder + name;
  }
  return result;
}

void GetTextSize(HFONT font, const std::string& text, int& width, int& height, HDC dc) {
  TMeasureDC measure(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(measure.Get(), text.c_str(), int(text.size()), &size);
  width = size.cx;
  height = size.cy;
}

int GetFontHeight(HFONT font, HDC dc) {
  TMeasureDC measure(dc, font);
  TEXTMETRICA tm{};
  GetTextMetricsA(measure.Get(), &tm);
  return tm.tmHeight;
}

void DrawLine(HDC dc, POINT from, POINT to) {
  MoveToEx(dc, from.x, from.y, nullptr);
  LineTo(dc, to.x, to.y);
}

std::string GetColumnTitle(int kind) {
  static const int ids[] = {TextName, TextExt, TextSize, TextDate, TextAttr, 0, TextNewName, TextLocation, TextOldName, TextNewExt};
  if (kind < 0 || kind >= int(std::size(ids)) || ids[kind] == 0) return {};
  return Tx(ids[kind]);
}
