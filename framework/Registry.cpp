#include "framework/Registry.h"

#include <cstring>

bool TRegistry::Done(LONG result) {
  if (result != ERROR_SUCCESS) error_ = result;
  return result == ERROR_SUCCESS;
}

bool TRegistry::OpenKey(const std::string& path, bool canCreate) {
  CloseKey();
  LONG r = canCreate ? RegCreateKeyExA(root_, path.c_str(), 0, nullptr, 0, access_, nullptr,
                                       &key_, nullptr)
                     : RegOpenKeyExA(root_, path.c_str(), 0, access_, &key_);
  if (!Done(r)) key_ = nullptr;
  return key_ != nullptr;
}

bool TRegistry::OpenKeyReadOnly(const std::string& path) {
  CloseKey();
  if (!Done(RegOpenKeyExA(root_, path.c_str(), 0, KEY_READ, &key_))) key_ = nullptr;
  return key_ != nullptr;
}

void TRegistry::CloseKey() {
  if (key_) RegCloseKey(key_);
  key_ = nullptr;
}

bool TRegistry::KeyExists(const std::string& path) const {
  TRegistry probe(root_, KEY_READ);
  return probe.OpenKeyReadOnly(path);
}

bool TRegistry::DeleteKey(const std::string& path) {
  return RegDeleteTreeA(root_, path.c_str()) == ERROR_SUCCESS;
}

std::optional<std::string> TRegistry::ReadString(const std::string& name) const {
  if (!key_) return std::nullopt;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  std::string s(size + 1, '\0');
  size = static_cast<DWORD>(s.size());
  if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(s.data()),
                       &size) != ERROR_SUCCESS)
    return std::nullopt;
  // A text value ends at its first NUL, whatever bytes the value holds after it.
  s.resize(strnlen(s.data(), size));
  return s;
}

std::optional<DWORD> TRegistry::ReadInteger(const std::string& name) const {
  if (!key_) return std::nullopt;
  DWORD type = 0, v = 0, size = sizeof v;
  if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD)
    return std::nullopt;
  return v;
}

bool TRegistry::WriteString(const std::string& name, const std::string& value) {
  return Done(key_ ? RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>(value.size() + 1))
                   : ERROR_INVALID_HANDLE);
}

bool TRegistry::WriteInteger(const std::string& name, DWORD value) {
  return Done(key_ ? RegSetValueExA(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                    sizeof value)
                   : ERROR_INVALID_HANDLE);
}

bool TRegistry::ValueExists(const std::string& name) const {
  return key_ && RegQueryValueExA(key_, name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
                     ERROR_SUCCESS;
}

namespace {
template <typename Enum>
std::vector<std::string> EnumNames(HKEY key, Enum enumerate) {
  std::vector<std::string> out;
  if (!key) return out;
  char name[16384];
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof name;
    if (enumerate(key, i, name, &len) != ERROR_SUCCESS) break;
    out.emplace_back(name, len);
  }
  return out;
}
}  // namespace

std::vector<std::string> TRegistry::GetKeyNames() const {
  return EnumNames(key_, [](HKEY k, DWORD i, char* n, DWORD* l) {
    return RegEnumKeyExA(k, i, n, l, nullptr, nullptr, nullptr, nullptr);
  });
}
