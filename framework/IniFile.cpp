#include "framework/IniFile.h"

#include <windows.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <atomic>
#include <cstdlib>

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

std::atomic<unsigned> failedWrites{0};
std::atomic<int> failAfter{0};

// The injected fault: the file cut short, as a write that ran out of space.
bool InjectedFault(const std::string& file) {
  int n = failAfter.load();
  if (n <= 0) return false;
  failAfter = n - 1;
  if (n != 1) return false;
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    LARGE_INTEGER size{};
    GetFileSizeEx(h, &size);
    size.QuadPart /= 2;
    SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
    SetEndOfFile(h);
    CloseHandle(h);
  }
  return true;
}

}  // namespace

unsigned TIniFile::FailedWrites() { return failedWrites.load(); }

void TIniFile::FailWriteAfter(int n) { failAfter = n; }

bool TIniFile::Write(const char* section, const char* key, const char* value) {
  const bool ok = !InjectedFault(fileName_) && WritePrivateProfileStringA(section, key, value, fileName_.c_str());
  if (!ok) ++failedWrites;
  return ok;
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
  return Write(section.c_str(), key.c_str(), value.c_str());
}

bool TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  return WriteString(section, key, std::to_string(value));
}

bool TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
  return SplitNulList(ProfileRead(section.c_str(), nullptr, "", fileName_, true));
}

std::vector<std::string> TIniFile::ReadSections() const {
  return SplitNulList(ProfileRead(nullptr, nullptr, "", fileName_, true));
}

bool TIniFile::SectionExists(const std::string& section) const {
  return !ReadSection(section).empty();
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  for (const auto& k : ReadSection(section))
    if (lstrcmpiA(k.c_str(), key.c_str()) == 0) return true;
  return false;
}

bool TIniFile::DeleteKey(const std::string& section, const std::string& key) {
  return Write(section.c_str(), key.c_str(), nullptr);
}

bool TIniFile::EraseSection(const std::string& section) {
  return Write(section.c_str(), nullptr, nullptr);
}

void TIniFile::UpdateFile() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, fileName_.c_str()); }
