#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// One open registry key at a time under a root, as the settings code uses it.
class TRegistry {
 public:
  explicit TRegistry(HKEY root = HKEY_CURRENT_USER, REGSAM access = KEY_ALL_ACCESS)
      : root_(root), access_(access) {}
  ~TRegistry() { CloseKey(); }
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  bool OpenKey(const std::string& path, bool canCreate);
  bool OpenKeyReadOnly(const std::string& path);
  void CloseKey();
  bool KeyExists(const std::string& path) const;
  bool DeleteKey(const std::string& path);
  HKEY CurrentKey() const { return key_; }

  // Empty when the value is missing or not text.
  std::optional<std::string> ReadString(const std::string& name) const;
  std::optional<DWORD> ReadInteger(const std::string& name) const;
  bool WriteString(const std::string& name, const std::string& value);
  bool WriteInteger(const std::string& name, DWORD value);
  bool ValueExists(const std::string& name) const;
  std::vector<std::string> GetKeyNames() const;
  // The system's code for the last open or write that failed.
  LONG LastError() const { return error_; }

 private:
  bool Done(LONG result);

  HKEY root_;
  REGSAM access_;
  HKEY key_ = nullptr;
  LONG error_ = ERROR_SUCCESS;
};
