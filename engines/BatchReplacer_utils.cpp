#include "engines/BatchReplacer_utils.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "framework/FileIO.h"

namespace {

TCriticalSection& CaseWordsLock() {
  static TCriticalSection cs;
  return cs;
}
// A table loaded or a block built before any window applied its texts reads
// its case column with these.
std::string sensitiveText = "Y";
std::string insensitiveText = "N";

TBatchSheetLoader sheetLoader = nullptr;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char LowerChar(char c) {
  CharLowerBuffA(&c, 1);
  return c;
}

// A character code at i (decimal, or "x" and hex digits); false with i at the
// digit that pushed it over 255.
bool ScanCode(std::string_view t, size_t& i, unsigned& value) {
  value = 0;
  if (t[i] == 'x' || t[i] == 'X') {
    for (++i; i < t.size() && HexValue(t[i]) >= 0; ++i) {
      value = value * 16 + unsigned(HexValue(t[i]));
      if (value > 255) return false;
    }
    return true;
  }
  for (; i < t.size() && IsDigit(t[i]); ++i) {
    value = value * 10 + unsigned(t[i] - '0');
    if (value > 255) return false;
  }
  return true;
}

bool StartsCode(char c) { return IsDigit(c) || c == 'x' || c == 'X'; }

// After an item: "," goes on, "#" closes the group.
enum class TItemEnd { Next, Closed, Error };
TItemEnd EndOfItem(std::string_view t, size_t& i) {
  if (i >= t.size()) return TItemEnd::Error;
  if (t[i] == '#') {
    ++i;
    return TItemEnd::Closed;
  }
  if (t[i] != ',') return TItemEnd::Error;
  ++i;
  return TItemEnd::Next;
}

// A group of a find pattern from the character after its opening "#"; on
// failure i is where the check stopped.
bool ScanFindGroup(std::string_view t, size_t& i) {
  const size_t first = i;
  for (;;) {
    if (i >= t.size()) return false;
    const char c = t[i];
    if (c == '*' || c == 'B') {
      if (i != first) return false;
      ++i;
      if (i >= t.size() || t[i] != '#') return false;
      ++i;
      return true;
    }
    unsigned value;
    if (StartsCode(c)) {
      if (!ScanCode(t, i, value)) return false;
    } else if (c == '?') {
      ++i;
    } else if (c == '[') {
      ++i;
      if (i < t.size() && t[i] == ']') return false;
      while (i < t.size() && t[i] != ']') ++i;
      if (i >= t.size()) return false;
      ++i;
    } else {
      return false;
    }
    const TItemEnd end = EndOfItem(t, i);
    if (end != TItemEnd::Next) return end == TItemEnd::Closed;
  }
}

// A count "*N*" from its opening asterisk (not the last character, not "**").
bool ScanCount(std::string_view t, size_t& i) {
  const size_t start = i;
  ++i;
  if (!IsDigit(t[i])) return false;
  uint64_t value = 0;
  for (; i < t.size() && IsDigit(t[i]); ++i) {
    value = value * 10 + unsigned(t[i] - '0');
    if (value > 0x7FFFFFFF) return false;
  }
  if (i >= t.size() || t[i] != '*') return false;
  if (value < 1) {
    i = start + 1;
    return false;
  }
  ++i;
  return i < t.size();  // something must follow the count
}

// A group of a replacement from the character after its opening "#".
bool ScanReplaceGroup(std::string_view t, size_t& i, std::string* out) {
  for (;;) {
    if (i >= t.size()) return false;
    const char c = t[i];
    if ((c == 'F' || c == 'f') && i + 1 < t.size()) {
      const char k = t[i + 1];
      if (k == 'N' || k == 'n' || k == 'E' || k == 'e') {
        if (out) out->append(k == 'N' || k == 'n' ? "#FN#" : "#FE#");
        i += 2;
        if (i >= t.size()) return false;
        // Whatever follows the token's letters separates, unless it closes.
        if (t[i++] == '#') return true;
        continue;
      }
    }
    if (!StartsCode(c)) return false;
    unsigned value;
    if (!ScanCode(t, i, value)) return false;
    if (out) out->push_back(char(value));
    const TItemEnd end = EndOfItem(t, i);
    if (end != TItemEnd::Next) return end == TItemEnd::Closed;
  }
}

uint32_t ReadU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void WriteU32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// The record as stored: find pattern (literals lowered in a case-insensitive
// row) and unescaped replacement.
struct TRecordBytes {
  std::string find;
  std::string replacement;
  int32_t kind = kReplaceMatch;
};

TRecordBytes RecordBytes(std::string_view find, std::string_view replacement, bool caseSensitive) {
  TRecordBytes r;
  if (caseSensitive)
    r.find.assign(find);
  else
    ParseFindText(find, &r.find);
  ParseReplaceText(replacement, &r.replacement, &r.kind);
  return r;
}

bool WriteRecordAt(uint8_t* base, size_t blockSize, size_t offset, const TRecordBytes& r,
                   bool caseSensitive) {
  const size_t need = kBatchRecordHeader + r.find.size() + r.replacement.size();
  if (offset > blockSize || blockSize - offset < need) return false;
  uint8_t* p = base + offset;
  p[0] = caseSensitive ? 1 : 0;
  WriteU32(p + 4, uint32_t(r.find.size()));
  WriteU32(p + 8, uint32_t(r.replacement.size()));
  WriteU32(p + 12, uint32_t(r.kind));
  std::memcpy(p + kBatchRecordHeader, r.find.data(), r.find.size());
  std::memcpy(p + kBatchRecordHeader + r.find.size(), r.replacement.data(), r.replacement.size());
  return true;
}

// Offset of record n+1, or false when the block ends before it.
bool SkipRecords(const uint8_t* base, size_t blockSize, int n, size_t& offset) {
  offset = 0;
  for (int k = 0; k < n; ++k) {
    if (blockSize - offset < kBatchRecordHeader) return false;
    const uint64_t len =
        uint64_t(kBatchRecordHeader) + ReadU32(base + offset + 4) + ReadU32(base + offset + 8);
    if (len > blockSize - offset) return false;
    offset += size_t(len);
  }
  return true;
}

bool SameLength(const TStringList& a, const TStringList& b, const TStringList& c) {
  return a.Count() == b.Count() && a.Count() == c.Count();
}

bool IsSheetName(const std::string& name) {
  if (name.size() < 4) return false;
  const char* ext = name.c_str() + name.size() - 4;
  return lstrcmpiA(ext, ".xls") == 0 || lstrcmpiA(ext, ".csv") == 0;
}

void ClearLists(TStringList& a, TStringList& b, TStringList& c) {
  a.Clear();
  b.Clear();
  c.Clear();
}

// Bytes below 32 cannot stand in a table line; outside a group they are
// written as a code group, which means the same byte.
bool EncodeControlBytes(std::string_view text, bool isFind, std::string& out) {
  bool inGroup = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = text[i];
    if (c < 32) {
      if (inGroup) return false;
      out += '#';
      out += std::to_string(c);
      out += '#';
      continue;
    }
    out += char(c);
    if (inGroup) {
      if (c == '#') {
        inGroup = false;
      } else if (c == '[' && isFind) {
        for (++i; i < text.size() && text[i] != ']'; ++i) {
          if (static_cast<unsigned char>(text[i]) < 32) return false;
          out += text[i];
        }
        if (i < text.size()) out += text[i];
      }
    } else if (c == '#') {
      if (i + 1 < text.size() && text[i + 1] == '#')
        out += text[++i];
      else
        inGroup = true;
    }
  }
  return true;
}

}  // namespace

void SetYesNoTexts(const std::string& sensitiveWord, const std::string& insensitiveWord) {
  TLock lock(CaseWordsLock());
  sensitiveText = sensitiveWord;
  insensitiveText = insensitiveWord;
}

std::string CaseSensitiveWord() {
  TLock lock(CaseWordsLock());
  return sensitiveText;
}

std::string CaseInsensitiveWord() {
  TLock lock(CaseWordsLock());
  return insensitiveText;
}

int ParseFindText(std::string_view text, std::string* lowered) {
  if (text.empty()) return 0;
  if (lowered) lowered->assign(text);
  bool countSeen = false;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    const bool doubled = i + 1 < text.size() && text[i + 1] == c;
    if ((c == '#' || c == '*') && doubled) {
      i += 2;
    } else if (c == '#') {
      ++i;
      if (!ScanFindGroup(text, i)) return int(i);
    } else if (c == '*') {
      if (i + 1 >= text.size() || countSeen) return int(i);
      if (!ScanCount(text, i)) return int(i);
      countSeen = true;
    } else {
      if (lowered) (*lowered)[i] = LowerChar(c);
      ++i;
    }
  }
  return -1;
}

int ParseReplaceText(std::string_view text, std::string* unescaped, int32_t* kind) {
  int32_t k = kReplaceMatch;
  if (text.size() >= 3 && text[0] == '#') {
    const char c = text[1];
    if (c == 'U' || c == 'u') k = kInsertBefore;
    if (c == 'D' || c == 'd') k = kInsertAfter;
  }
  if (kind) *kind = k;
  if (unescaped) unescaped->clear();
  size_t prefix = 0;
  if (k != kReplaceMatch) {
    if (text[2] != '#') return 2;
    prefix = 3;
  }
  const std::string_view t = text.substr(prefix);
  size_t i = 0;
  while (i < t.size()) {
    if (t[i] != '#') {
      if (unescaped) unescaped->push_back(t[i]);
      ++i;
    } else if (i + 1 >= t.size()) {
      return int(prefix + i);
    } else if (t[i + 1] == '#') {
      if (unescaped) unescaped->push_back('#');
      i += 2;
    } else {
      ++i;
      if (!ScanReplaceGroup(t, i, unescaped)) return int(prefix + i);
    }
  }
  return -1;
}

int WriteBatchRecord(std::string_view find, std::string_view replacement, TGlobalBlock& block,
                     bool caseSensitive, int n) {
  if (find.empty() || n < 0) return n;
  TGlobalLock lock(block.Handle());
  uint8_t* base = lock.Get<uint8_t>();
  if (!base) return n;
  const size_t size = block.Size();
  size_t offset;
  if (!SkipRecords(base, size, n, offset)) return n;
  const TRecordBytes r = RecordBytes(find, replacement, caseSensitive);
  return WriteRecordAt(base, size, offset, r, caseSensitive) ? n + 1 : n;
}

bool BuildBatchBlock(TGlobalBlock& block, const TStringList& caseColumn, const TStringList& finds,
                     const TStringList& replacements) {
  block.Free();
  if (!SameLength(caseColumn, finds, replacements)) return false;
  const std::string sensitive = CaseSensitiveWord();
  std::vector<TRecordBytes> records;
  std::vector<bool> sensitivity;
  size_t total = 0;
  for (size_t row = 0; row < finds.Count(); ++row) {
    if (finds[row].empty()) return false;
    const bool cs = caseColumn[row] == sensitive;
    records.push_back(RecordBytes(finds[row], replacements[row], cs));
    sensitivity.push_back(cs);
    total += kBatchRecordHeader + records.back().find.size() + records.back().replacement.size();
  }
  if (records.empty() || total > 0x7FFFFFFF || !block.Allocate(total)) return false;
  TGlobalLock lock(block.Handle());
  uint8_t* base = lock.Get<uint8_t>();
  size_t offset = 0;
  for (size_t row = 0; row < records.size() && base; ++row) {
    if (!WriteRecordAt(base, total, offset, records[row], sensitivity[row])) break;
    offset += kBatchRecordHeader + records[row].find.size() + records[row].replacement.size();
  }
  if (offset == 0) block.Free();
  return offset != 0;
}

int CheckAndBuildBatchBlock(TGlobalBlock& block, const TStringList& caseColumn,
                            const TStringList& finds, const TStringList& replacements) {
  block.Free();
  const size_t rows = std::max({caseColumn.Count(), finds.Count(), replacements.Count()});
  for (size_t row = 0; row < rows; ++row) {
    if (row >= caseColumn.Count() || row >= finds.Count() || row >= replacements.Count())
      return int(row);
    if (ParseFindText(finds[row]) != -1 || ParseReplaceText(replacements[row], nullptr, nullptr) != -1)
      return int(row);
  }
  BuildBatchBlock(block, caseColumn, finds, replacements);
  return -1;
}

bool ReadBatchRecords(HGLOBAL block, uint32_t pairCount, std::vector<TBatchRecord>& records) {
  records.clear();
  TGlobalLock lock(block);
  const uint8_t* base = lock.Get<uint8_t>();
  if (!base) return pairCount == 0;
  const size_t size = GlobalSize(block);
  size_t offset = 0;
  for (uint32_t k = 0; k < pairCount; ++k) {
    if (size - offset < kBatchRecordHeader) return false;
    const uint8_t* p = base + offset;
    const uint32_t findLen = ReadU32(p + 4);
    const uint32_t replLen = ReadU32(p + 8);
    if (uint64_t(findLen) + replLen > size - offset - kBatchRecordHeader) return false;
    TBatchRecord r;
    r.caseSensitive = p[0] != 0;
    r.kind = int32_t(ReadU32(p + 12));
    r.find.assign(reinterpret_cast<const char*>(p + kBatchRecordHeader), findLen);
    r.replacement.assign(reinterpret_cast<const char*>(p + kBatchRecordHeader + findLen), replLen);
    records.push_back(std::move(r));
    offset += kBatchRecordHeader + findLen + replLen;
  }
  return true;
}

std::string EncodeBatchTableField(std::string_view text, bool isFind, bool* encodable) {
  std::string coded;
  const bool ok = EncodeControlBytes(text, isFind, coded);
  if (encodable) *encodable = ok;
  std::string out;
  size_t from = 0;
  if (!isFind && !coded.empty() && coded[0] == '=') {
    out = "#61#";
    from = 1;
  }
  for (size_t i = from; i < coded.size(); ++i) {
    out += coded[i];
    if (coded[i] == '+' || coded[i] == '=') out += coded[i];
  }
  return out;
}

bool ParseBatchTableRow(std::string_view data, size_t& pos, bool& caseSensitive, std::string& find,
                        std::string& replacement) {
  caseSensitive = false;
  find.clear();
  replacement.clear();
  for (; pos < data.size() && data[pos] == '+'; ++pos) {
    caseSensitive = !caseSensitive;
    if (!caseSensitive) find += '+';
  }
  std::string* field = &find;
  bool separated = false;
  while (pos < data.size()) {
    const unsigned char c = data[pos];
    const bool doubled = pos + 1 < data.size() && static_cast<unsigned char>(data[pos + 1]) == c;
    if (c == '\r') {
      if (pos + 1 >= data.size() || data[pos + 1] != '\n') return false;
      pos += 2;
      return true;
    }
    if ((c == '+' || c == '=') && doubled) {
      *field += char(c);
      pos += 2;
    } else if (c == '+' || c < 32) {
      return false;
    } else if (c == '=') {
      if (separated) return false;
      separated = true;
      field = &replacement;
      ++pos;
    } else {
      *field += char(c);
      ++pos;
    }
  }
  return true;
}

bool LoadBatchTableText(const std::string& fileName, TStringList& caseColumn, TStringList& finds,
                        TStringList& replacements) {
  std::string data;
  if (!ReadWholeFile(fileName, data)) return false;
  const std::string sensitive = CaseSensitiveWord();
  const std::string insensitive = CaseInsensitiveWord();
  size_t pos = 0;
  while (pos < data.size()) {
    bool cs;
    std::string find, replacement;
    if (!ParseBatchTableRow(data, pos, cs, find, replacement)) return false;
    if (find.empty()) continue;
    caseColumn.Add(cs ? sensitive : insensitive);
    finds.Add(std::move(find));
    replacements.Add(std::move(replacement));
  }
  return finds.Count() > 0;
}

void SetBatchSheetLoader(TBatchSheetLoader loader) { sheetLoader = loader; }

bool LoadBatchTable(const std::string& fileName, TStringList& caseColumn, TStringList& finds,
                    TStringList& replacements) {
  ClearLists(caseColumn, finds, replacements);
  bool ok = false;
  try {
    if (IsSheetName(fileName))
      ok = sheetLoader && sheetLoader(fileName, caseColumn, finds, replacements);
    else
      ok = LoadBatchTableText(fileName, caseColumn, finds, replacements);
  } catch (const std::bad_alloc&) {
    // A table too large for memory is one that cannot be loaded.
  }
  if (!ok) ClearLists(caseColumn, finds, replacements);
  return ok;
}

bool SaveBatchTable(const std::string& fileName, const TStringList& caseColumn,
                    const TStringList& finds, const TStringList& replacements) {
  if (caseColumn.Count() == 0 || !SameLength(caseColumn, finds, replacements)) return false;
  const std::string sensitive = CaseSensitiveWord();
  std::string text;
  for (size_t row = 0; row < finds.Count(); ++row) {
    if (row > 0) text += "\r\n";
    bool ok = true;
    if (!finds[row].empty()) {
      if (caseColumn[row] == sensitive) text += '+';
      text += EncodeBatchTableField(finds[row], true, &ok);
    }
    if (!ok) return false;
    if (!replacements[row].empty()) {
      text += '=';
      text += EncodeBatchTableField(replacements[row], false, &ok);
    }
    if (!ok) return false;
  }
  // A read-only table would refuse the move over it; it keeps its attributes
  // when the save fails.
  const DWORD attributes = GetFileAttributesA(fileName.c_str());
  const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
  if (existed) SetFileAttributesA(fileName.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (WriteFileReplacing(fileName, text)) return true;
  if (existed) SetFileAttributesA(fileName.c_str(), attributes);
  return false;
}
