#include "core/RenameName.h"

#include <algorithm>

TRenamerFileStructure RenamerFileStructure;

namespace {

constexpr size_t MaxNameLength = 260;
// Range numbers beyond any name length all mean the same; the cap keeps the
// accumulation of a long digit run from overflowing.
constexpr int64_t MaxRangeNumber = 1000000000;

enum TTypedCase { AsTyped, Upper, Lower };

void UpperText(std::string& s) {
  if (!s.empty()) CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
}

void LowerText(std::string& s) {
  if (!s.empty()) CharLowerBuffA(s.data(), static_cast<DWORD>(s.size()));
}

void ApplyTypedCase(std::string& s, TTypedCase mode) {
  if (mode == Upper) UpperText(s);
  if (mode == Lower) LowerText(s);
}

std::string TwoDigits(int v) {
  std::string s;
  FormatCounter(v, 2, s);
  return s;
}

struct TNameParts {
  std::string whole, name, ext;
  SYSTEMTIME time{};
};

// One bracketed command while it is being read.
struct TCommand {
  bool name = false, ext = false;
  bool firstNegative = false, secondNegative = false;
  int state = 0;  // 0 before the first digit, 1 in the first number, 2 in the second
  int64_t first = 0, second = 0;
  std::string text;

  void Digit(char c) {
    int64_t& n = state == 2 ? second : first;
    n = std::min<int64_t>(n * 10 + (c - '0'), MaxRangeNumber);
    if (state == 0) state = 1;
  }
  void Separator(char c) {
    if (state == 0 && c == '-') firstNegative = true;
    if (state != 1) return;
    state = 2;
    secondNegative = c == '-';
  }
  void Finish(const TNameParts& p) {
    const std::string& part = name ? p.name : ext ? p.ext : p.whole;
    if (state == 2) {
      std::string cut;
      SubstringByRange(part, firstNegative ? -first : first,
                       secondNegative ? -second : second, cut);
      text += cut;
    } else if (name || ext) {
      text += part;
    }
  }
};

// Appends the counter or a date part for c; false when c is no such letter.
bool AppendValue(char c, const TNameParts& p, std::string& text) {
  const TRenamerFileStructure& r = RenamerFileStructure;
  std::string s;
  switch (c) {
    case 'C': {
      const int64_t value = (int64_t(r.FileNumber) - 1) * r.StepBy + r.StartAt;
      // A wider counter could never fit a name.
      FormatCounter(value, std::min<int32_t>(r.Digits, MaxNameLength + 1), s);
      break;
    }
    case 'Y': FormatCounter(p.time.wYear, 4, s); break;
    case 'M': s = TwoDigits(p.time.wMonth); break;
    case 'D': s = TwoDigits(p.time.wDay); break;
    case 'h': s = TwoDigits(p.time.wHour); break;
    case 'm': s = TwoDigits(p.time.wMinute); break;
    case 's': s = TwoDigits(p.time.wSecond); break;
    default: return false;
  }
  text += s;
  return true;
}

void ReadCommandChar(char c, const TNameParts& p, TCommand& cmd, TTypedCase& mode) {
  if (AppendValue(c, p, cmd.text)) return;
  if (c >= '0' && c <= '9') {
    cmd.Digit(c);
    return;
  }
  switch (c) {
    case 'N': cmd.name = true; break;
    case 'E': cmd.ext = true; break;
    case 'U': mode = Upper; break;
    case 'L': mode = Lower; break;
    case 'n': mode = AsTyped; break;
    case ',':
    case '-': cmd.Separator(c); break;
    default: break;
  }
}

TNameParts SplitOldName(const char* oldName, const FILETIME& lastWrite) {
  TNameParts p;
  p.whole = oldName;
  const size_t dot = p.whole.rfind('.');
  p.name = p.whole.substr(0, dot);
  if (dot != std::string::npos) p.ext = p.whole.substr(dot + 1);
  FILETIME local{};
  FileTimeToLocalFileTime(&lastWrite, &local);
  FileTimeToSystemTime(&local, &p.time);
  return p;
}

std::string BuildFromMask(const std::string& mask, const TNameParts& p) {
  std::string out;
  TTypedCase mode = AsTyped;
  size_t i = 0;
  while (i < mask.size()) {
    std::string token;
    if (mask[i] != '[') {
      token = mask[i++];
    } else {
      const size_t close = mask.find(']', i);
      if (close == std::string::npos) break;
      TCommand cmd;
      for (size_t k = i + 1; k < close; ++k) ReadCommandChar(mask[k], p, cmd, mode);
      cmd.Finish(p);
      token = std::move(cmd.text);
      i = close + 1;
    }
    ApplyTypedCase(token, mode);
    if (out.size() + token.size() > MaxNameLength) break;
    out += token;
  }
  return out;
}

}  // namespace

void SubstringByRange(const std::string& text, int64_t first, int64_t second,
                      std::string& result) {
  result.clear();
  const int64_t length = static_cast<int64_t>(text.size());
  if (second == 0) second = length;
  int64_t start, count;
  if (first > 0) {
    start = first;
    count = second >= 1 ? second : -second - first + 1;
  } else if (first < 0) {
    start = std::max<int64_t>(length + first + 1, 1);
    count = second >= 1 ? second : second - first + 1;
  } else {
    return;
  }
  if (count <= 0 || start > length) return;
  count = std::min(count, length - start + 1);
  result = text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count));
}

void FormatCounter(int64_t value, int32_t width, std::string& text) {
  // The zeros go in front of the whole decimal text, sign included: the
  // preview and the rename must agree on "0-5" for -5 at width 3.
  std::string digits = std::to_string(value);
  const size_t pad = width > 0 && digits.size() < size_t(width) ? size_t(width) - digits.size() : 0;
  text.assign(pad, '0');
  text += digits;
}

void SearchReplaceNoCase(const std::string& text, const std::string& search,
                         const std::string& replace, std::string& result) {
  if (search.empty() || text.size() < search.size()) {
    result = text;
    return;
  }
  std::string upper = search, lower = search;
  UpperText(upper);
  LowerText(lower);
  auto matchesAt = [&](size_t pos) {
    for (size_t j = 0; j < search.size(); ++j)
      if (text[pos + j] != upper[j] && text[pos + j] != lower[j]) return false;
    return true;
  };
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (i + search.size() <= text.size() && matchesAt(i)) {
      out += replace;
      i += search.size();
    } else {
      out += text[i++];
    }
  }
  result = std::move(out);
}

void ApplyNameCase(std::string& text, int32_t mode) {
  if (mode == 3) UpperText(text);
  if (mode == 2 || mode == 4 || mode == 5) LowerText(text);
  if (mode != 4 && mode != 5) return;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i > 0 && (mode == 4 || text[i - 1] != ' ')) continue;
    std::string c(1, text[i]);
    UpperText(c);
    text[i] = c[0];
  }
}

void MakeNewName(const char* oldName, const FILETIME& lastWrite, std::string& newName) {
  const TRenamerFileStructure& r = RenamerFileStructure;
  const TNameParts parts = SplitOldName(oldName ? oldName : "", lastWrite);
  std::string name = BuildFromMask(r.NameMask, parts);
  if (!name.empty() && name.back() == '.') name.pop_back();
  if (r.DoReplace) SearchReplaceNoCase(name, r.SearchFor, r.ReplaceTo, name);
  ApplyNameCase(name, r.CaseMode);
  newName = std::move(name);
}
