#include "framework/SafeFormat.h"

#include <cstdio>
#include <vector>

namespace {

struct TConversion {
  size_t begin, end;  // the directive's bytes in fmt
  char kind;          // 's', 'd', 'u', 'x', 'X' or '%'
  bool leftAlign, zeroPad;
  int width, precision;  // -1 when absent
};

// Parses fmt into literal runs and conversions; false on any directive that
// is not one of ours (including %n, '*' widths and length modifiers).
bool Parse(std::string_view fmt, std::vector<TConversion>& out) {
  for (size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] != '%') continue;
    TConversion c{i, 0, 0, false, false, -1, -1};
    size_t j = i + 1;
    for (; j < fmt.size() && (fmt[j] == '-' || fmt[j] == '0'); ++j)
      (fmt[j] == '-' ? c.leftAlign : c.zeroPad) = true;
    auto number = [&](int& v) {
      for (; j < fmt.size() && fmt[j] >= '0' && fmt[j] <= '9'; ++j) {
        v = (v < 0 ? 0 : v) * 10 + (fmt[j] - '0');
        if (v > 4096) return false;
      }
      return true;
    };
    if (!number(c.width)) return false;
    if (j < fmt.size() && fmt[j] == '.') {
      ++j;
      c.precision = 0;
      if (!number(c.precision)) return false;
    }
    if (j >= fmt.size()) return false;
    switch (fmt[j]) {
      case 's': case 'd': case 'i': case 'u': case 'x': case 'X': case '%':
        c.kind = fmt[j] == 'i' ? 'd' : fmt[j];
        break;
      default:
        return false;
    }
    c.end = j + 1;
    if (c.kind == '%' && c.end - c.begin != 2) return false;
    out.push_back(c);
    i = j;
  }
  return true;
}

bool Matches(const std::vector<TConversion>& convs, std::initializer_list<TFormatArg> args) {
  auto a = args.begin();
  for (const auto& c : convs) {
    if (c.kind == '%') continue;
    if (a == args.end() || a->isText != (c.kind == 's')) return false;
    ++a;
  }
  return a == args.end();
}

void Pad(std::string& out, std::string_view body, const TConversion& c, bool numeric) {
  size_t w = c.width > 0 ? static_cast<size_t>(c.width) : 0;
  size_t fill = w > body.size() ? w - body.size() : 0;
  if (c.leftAlign) {
    out += body;
    out.append(fill, ' ');
  } else if (c.zeroPad && numeric) {
    size_t sign = !body.empty() && body[0] == '-' ? 1 : 0;
    out += body.substr(0, sign);
    out.append(fill, '0');
    out += body.substr(sign);
  } else {
    out.append(fill, ' ');
    out += body;
  }
}

std::string Render(std::string_view fmt, const std::vector<TConversion>& convs,
                   std::initializer_list<TFormatArg> args) {
  std::string out;
  size_t pos = 0;
  auto a = args.begin();
  for (const auto& c : convs) {
    out += fmt.substr(pos, c.begin - pos);
    pos = c.end;
    if (c.kind == '%') {
      out += '%';
      continue;
    }
    const TFormatArg& arg = *a++;
    if (c.kind == 's') {
      std::string_view t = arg.text;
      if (c.precision >= 0 && t.size() > static_cast<size_t>(c.precision)) t = t.substr(0, c.precision);
      Pad(out, t, c, false);
      continue;
    }
    char buf[32];
    if (c.kind == 'd')
      std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(arg.number));
    else
      std::snprintf(buf, sizeof buf, c.kind == 'u' ? "%llu" : c.kind == 'x' ? "%llx" : "%llX",
                    static_cast<unsigned long long>(arg.number));
    std::string body = buf;
    const size_t sign = body[0] == '-' ? 1 : 0;
    if (c.precision >= 0 && body.size() - sign < static_cast<size_t>(c.precision))
      body.insert(sign, c.precision - (body.size() - sign), '0');
    Pad(out, body, c, true);
  }
  out += fmt.substr(pos);
  return out;
}

}  // namespace

bool FormatMatches(std::string_view fmt, std::initializer_list<TFormatArg> args) {
  std::vector<TConversion> convs;
  return Parse(fmt, convs) && Matches(convs, args);
}

std::string SafeFormat(std::string_view fmt, std::string_view fallback,
                       std::initializer_list<TFormatArg> args) {
  std::vector<TConversion> convs;
  if (Parse(fmt, convs) && Matches(convs, args)) return Render(fmt, convs, args);
  convs.clear();
  if (Parse(fallback, convs) && Matches(convs, args)) return Render(fallback, convs, args);
  return std::string(fallback);
}
