#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Grouped decimal digits with a blank between groups of three; when size is 0
// the value high:low is formatted instead.
const std::string& FormatSize(uint32_t high, uint32_t low, std::string& text, int64_t size);
// Local short date and time without seconds; "unknown" when the time cannot
// be converted.
const std::string& FileTimeToText(const FILETIME& time, std::string& text);
// Local date-time to a UTC file time.
const FILETIME& DateTimeToFileTime(FILETIME& result, const SYSTEMTIME& local);
// The age test: time (UTC) plus count units (0 hours, 1 days, 2 weeks,
// 3 months, else years) is not before now (UTC), to the hour.
bool IsNotOlderThan(const FILETIME& time, uint32_t unit, uint32_t count, const SYSTEMTIME& now);
bool IsNotOlderThan(const FILETIME& time, uint32_t unit, uint32_t count);

// Text metrics are taken on dc, or on the screen's when dc is nil.
const std::string& FitTextToWidth(HFONT font, const std::string& text, int width,
                                  std::string& result, HDC dc = nullptr);
const std::string& ShortenPathToWidth(const std::string& path, HDC dc, int width,
                                      std::string& result);
void StripFirstDirectory(std::string& folder);
void GetTextSize(HFONT font, const std::string& text, int& width, int& height, HDC dc = nullptr);
int GetFontHeight(HFONT font, HDC dc = nullptr);
void DrawLine(HDC dc, POINT from, POINT to);
std::string GetColumnTitle(int kind);
