#include "framework/SystemError.h"

void ShowSystemError(bool show, DWORD code, std::string& text, const std::string& prefix,
                     const std::string& caption, HWND owner) {
  char buf[1024];
  // Without IGNORE_INSERTS a text with an insert (error 193) comes back
  // empty, or reads arguments that were never given.
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, buf, sizeof buf, nullptr);
  while (n > 0 && (buf[n - 1] == '\n' || buf[n - 1] == '\r' || buf[n - 1] == ' ')) --n;
  text.assign(buf, n);
  if (!show) return;
  const std::string shown = prefix.empty() ? text : prefix + "\r\n" + text;
  MessageBoxA(owner, shown.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
}
