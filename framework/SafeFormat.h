#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// One argument of a checked format: a text or an integer.
struct TFormatArg {
  TFormatArg(const char* s) : isText(true), text(s ? s : "") {}
  TFormatArg(std::string_view s) : isText(true), text(s) {}
  TFormatArg(const std::string& s) : isText(true), text(s) {}
  template <typename I, typename = std::enable_if_t<std::is_integral_v<I>>>
  TFormatArg(I v) : isText(false), number(static_cast<int64_t>(v)) {}
  bool isText;
  std::string_view text;
  int64_t number = 0;
};

// True when every conversion of fmt ("%s", "%d", "%u", "%x", "%%", with
// optional "-", "0", width and precision) takes the next argument of the right
// kind and the conversions use up all arguments.
bool FormatMatches(std::string_view fmt, std::initializer_list<TFormatArg> args);

// Formats fmt with args when they match; otherwise fallback (a text the
// program itself supplies, which must match). Texts from language files are
// input and never reach a printf-style routine unchecked.
std::string SafeFormat(std::string_view fmt, std::string_view fallback,
                       std::initializer_list<TFormatArg> args);
