#include "framework/IniFile.h"

#include <windows.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "framework/FileIO.h"

namespace {

// The profile API truncates silently; grow until the answer fits.
std::string ProfileRead(const char* section, const char* key, const char* def,
                        const std::string& file, bool list) {
  std::string buf(1024, '\0');
  for (;;) {
    DWORD n = GetPrivateProfileStringA(section, key, def, buf.data(),
                                       static_cast<DWORD>(buf.size()), file.c_str());
    const DWORD slack = list ? 2 : 1;
    if (n + slack < buf.size() || buf.size() > (64u << 20)) {
      buf.resize(n);
      return buf;
    }
    buf.resize(buf.size() * 4);
  }
}

std::vector<std::string> SplitNulList(const std::string& s) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < s.size()) {
    size_t e = s.find('\0', i);
    if (e == std::string::npos) e = s.size();
    if (e > i) out.emplace_back(s, i, e - i);
    i = e + 1;
  }
  return out;
}

TIniPass* openPass = nullptr;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == 0x1A; }

std::string Trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// A section header as the profile calls read one: "[" first, the name up to
// the last "]".
bool IsSectionLine(const std::string& line, std::string* name = nullptr) {
  const std::string t = Trimmed(line);
  const size_t close = t.rfind(']');
  if (t.empty() || t[0] != '[' || close == std::string::npos) return false;
  if (name) *name = t.substr(1, close - 1);
  return true;
}

std::string KeyOf(const std::string& line) { return Trimmed(line.substr(0, line.find('='))); }

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t i = 0;
  while (i < text.size()) {
    size_t e = text.find('\n', i);
    if (e == std::string::npos) e = text.size();
    lines.emplace_back(text, i, e - i);
    if (!lines.back().empty() && lines.back().back() == '\r') lines.back().pop_back();
    i = e + 1;
  }
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text.append(line).append("\r\n");
  return text;
}

// A value on a line of its own, as every reader of the file takes it.
bool Holdable(const std::string& value) {
  return value.size() <= TIniFile::MaxValueLength && value.find_first_of("\r\n", 0, 3) == std::string::npos;
}

}  // namespace

TIniPass::TIniPass(std::string fileName) : fileName_(std::move(fileName)), outer_(openPass) {
  // A file that is there but cannot be read must not be replaced by what
  // this pass alone writes.
  if (GetFileAttributesA(fileName_.c_str()) != INVALID_FILE_ATTRIBUTES)
    readable_ = ReadWholeFile(fileName_, original_);
  lines_ = SplitLines(original_);
  openPass = this;
}

TIniPass::~TIniPass() { openPass = outer_; }

bool TIniPass::Commit() {
  if (!readable_) return false;
  const std::string text = JoinLines(lines_);
  return text == original_ || WriteFileReplacing(fileName_, text);
}

// Keys and sections are found as the profile calls find them: the first
// section of the name, the first key in it, names compared without case.
void TIniPass::Apply(const std::string& section, const std::string* key, const std::string* value) {
  std::string name;
  auto begin = lines_.begin();
  while (begin != lines_.end() && !(IsSectionLine(*begin, &name) && SameName(name, section))) ++begin;
  if (begin == lines_.end()) {
    if (!key || !value) return;
    lines_.push_back("[" + section + "]");
    lines_.push_back(*key + "=" + *value);
    return;
  }
  auto end = std::next(begin);
  while (end != lines_.end() && !IsSectionLine(*end)) ++end;
  if (!key) {
    lines_.erase(begin, end);
    return;
  }
  for (auto line = std::next(begin); line != end; ++line) {
    if (!SameName(KeyOf(*line), *key)) continue;
    if (value)
      *line = KeyOf(*line) + "=" + *value;
    else
      lines_.erase(line);
    return;
  }
  if (!value) return;
  // Blank lines that part this section from the next stay after the new key.
  while (end != std::next(begin) && Trimmed(*std::prev(end)).empty()) --end;
  lines_.insert(end, *key + "=" + *value);
}

bool TIniFile::Write(const std::string& section, const std::string* key, const std::string* value) {
  if (value && !Holdable(*value)) return false;
  if (openPass && SameName(openPass->fileName_, fileName_)) {
    openPass->Apply(section, key, value);
    return true;
  }
  TIniPass single(fileName_);
  single.Apply(section, key, value);
  return single.Commit();
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
  return ProfileRead(section.c_str(), key.c_str(), def.c_str(), fileName_, false);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
  const std::string s = ReadString(section, key, "");
  // A value that is no 32-bit number reads as the default, rather than
  // wrapping onto another value: decimal within the signed range, "$" and
  // up to eight hexadecimal digits as a bit pattern.
  const bool hex = !s.empty() && s[0] == '$';
  const char* digits = s.c_str() + (hex ? 1 : 0);
  if (hex ? !std::isxdigit(static_cast<unsigned char>(*digits)) : *digits == '\0') return def;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(digits, &end, hex ? 16 : 10);
  if (*end != '\0' || errno == ERANGE) return def;
  if (hex) return v <= 0xFFFFFFFFll ? static_cast<int>(static_cast<uint32_t>(v)) : def;
  return v >= INT32_MIN && v <= INT32_MAX ? static_cast<int>(v) : def;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  return Write(section, &key, &value);
}

bool TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  return WriteString(section, key, std::to_string(value));
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
  return SplitNulList(ProfileRead(section.c_str(), nullptr, "", fileName_, true));
}

std::vector<std::string> TIniFile::ReadSections() const {
  return SplitNulList(ProfileRead(nullptr, nullptr, "", fileName_, true));
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  for (const auto& k : ReadSection(section))
    if (lstrcmpiA(k.c_str(), key.c_str()) == 0) return true;
  return false;
}

bool TIniFile::EraseSection(const std::string& section) { return Write(section, nullptr, nullptr); }
