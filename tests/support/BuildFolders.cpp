#include "support/BuildFolders.h"

#include <windows.h>

std::string TestProgramFolder() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  return s.substr(0, s.rfind('\\') + 1);
}

std::string BuildFolder(const std::string& target) {
  std::string s = TestProgramFolder();
  s.pop_back();
  s.resize(s.rfind('\\') + 1);
  if (target.empty()) return s;
  s.pop_back();
  return s.substr(0, s.rfind('\\') + 1) + target + "\\";
}
