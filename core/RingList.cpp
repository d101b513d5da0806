#include "core/RingList.h"

#include <algorithm>

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string ToHex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::string FromHex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    const int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
    if (hi < 0 || lo < 0) break;
    out += static_cast<char>(hi * 16 + lo);
  }
  return out;
}

// A decimal number of any length, with an optional sign: the ring's slot line.
// value is the slot it names, or 0 when it names none.
bool ParseSlot(const std::string& s, int& value) {
  const size_t start = !s.empty() && (s[0] == '-' || s[0] == '+') ? 1 : 0;
  if (start == s.size()) return false;
  int v = 0;
  for (size_t i = start; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    if (v <= TOrv_RingList::Capacity) v = v * 10 + (s[i] - '0');
  }
  value = s[0] != '-' && v >= 1 && v <= TOrv_RingList::Capacity ? v : 0;
  return true;
}

}  // namespace

TOrv_RingList::TOrv_RingList(std::unique_ptr<TStringList> list)
    : list_(list ? std::move(list) : std::make_unique<TStringList>()) {}

void TOrv_RingList::AddText(const std::string& text) {
  if (text.empty()) return;
  TStringList& l = *list_;
  const int count = static_cast<int>(l.Count());
  for (int i = 0; i < count; ++i) {
    if (l[i] != text) continue;
    if (count >= Capacity)
      current_ = i + 1;
    else
      std::swap(l[i], l[current_ - 1]);
    return;
  }
  ++current_;
  if (count < Capacity) {
    l.Add(text);
    return;
  }
  if (current_ > Capacity) current_ = 1;
  l[current_ - 1] = text;
}

void TOrv_RingList::GetItems(TStringList& target) const {
  const int count = static_cast<int>(list_->Count());
  for (int k = 0; k < count; ++k) {
    const int slot = ((current_ - 1 - k) % count + count) % count;
    target.Add((*list_)[slot]);
  }
}

void TOrv_RingList::Assign(const TStringList& lines, int current) {
  list_->Clear();
  for (size_t i = 0; i < lines.Count() && i < size_t(Capacity); ++i) list_->Add(lines[i]);
  const int count = static_cast<int>(list_->Count());
  // Below nine texts the newest is always the last one.
  current_ = (count == Capacity && current >= 1 && current <= count) ? current : count;
}

bool SaveRingList(TIniFile& ini, const TOrv_RingList& ring, const std::string& section,
                  const std::string& key) {
  const TStringList& texts = ring.List();
  const bool allFit = std::all_of(texts.begin(), texts.end(),
                                  [](const std::string& t) { return t.size() <= TOrv_RingList::MaxSavedText; });
  TStringList lines;
  if (allFit) {
    lines = texts;
  } else {
    // Fewer than nine texts are read back newest last, so they go oldest first.
    TStringList newestFirst;
    ring.GetItems(newestFirst);
    for (size_t i = newestFirst.Count(); i-- > 0;)
      if (newestFirst[i].size() <= TOrv_RingList::MaxSavedText) lines.Add(newestFirst[i]);
  }
  lines.Add(std::to_string(allFit ? ring.Current() : static_cast<int>(lines.Count())));
  return WriteStringsToIni(ini, lines, section, key);
}

void LoadRingList(const TIniFile& ini, TOrv_RingList& ring, const std::string& section,
                  const std::string& key) {
  TStringList lines;
  ReadStringsFromIni(ini, lines, section, key);
  int current = 0;
  if (lines.Count() > 0 && ParseSlot(lines[lines.Count() - 1], current))
    lines.Delete(lines.Count() - 1);
  ring.Assign(lines, current);
}

bool WriteStringsToIni(TIniFile& ini, const TStringList& list, const std::string& section,
                       const std::string& key) {
  std::string text;
  for (const std::string& line : list)
    if ((text.size() + line.size() + 2) * 2 <= TIniFile::MaxValueLength) text.append(line).append("\r\n");
  return ini.WriteString(section, key, ToHex(text));
}

void ReadStringsFromIni(const TIniFile& ini, TStringList& list, const std::string& section,
                        const std::string& key) {
  list.SetText(FromHex(ini.ReadString(section, key, "")));
}
