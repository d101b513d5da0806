#include "framework/SysError.h"

std::string SysErrorMessage(DWORD code) {
  char text[512] = "";
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                           sizeof text, nullptr);
  while (n && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == ' ')) --n;
  if (!n) return "System error " + std::to_string(code);
  return std::string(text, n);
}

void RaiseLastOSError() { throw EOSError(GetLastError()); }
