#include "framework/SystemError.h"

namespace {

// "" when the system has no text for the code.
std::string SystemText(DWORD code) {
  char buf[1024];
  // Without IGNORE_INSERTS a text with an insert (error 193) comes back
  // empty, or reads arguments that were never given.
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, buf, sizeof buf, nullptr);
  while (n > 0 && (buf[n - 1] == '\n' || buf[n - 1] == '\r' || buf[n - 1] == ' ')) --n;
  return std::string(buf, n);
}

}  // namespace

void ShowSystemError(bool show, DWORD code, std::string& text, const std::string& prefix,
                     const std::string& caption, HWND owner) {
  text = SystemText(code);
  if (!show) return;
  const std::string shown = prefix.empty() ? text : prefix + "\r\n" + text;
  MessageBoxA(owner, shown.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
}

std::string SysErrorMessage(DWORD code) {
  std::string text = SystemText(code);
  return text.empty() ? "System error " + std::to_string(code) : text;
}

void RaiseLastOSError() { throw EOSError(GetLastError()); }

std::string ExceptionText(std::exception_ptr e) {
  try {
    if (e) std::rethrow_exception(e);
  } catch (const std::exception& x) {
    return x.what();
  } catch (...) {
  }
  return "Unknown error";
}

namespace {

void ShowExceptionBox(std::exception_ptr e) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string title = path;
  title = title.substr(title.find_last_of('\\') + 1);
  title = title.substr(0, title.rfind('.'));
  MessageBoxA(GetActiveWindow(), ExceptionText(e).c_str(), title.c_str(), MB_OK | MB_ICONERROR);
}

TExceptionHandler exceptionHandler = &ShowExceptionBox;

}  // namespace

void SetExceptionHandler(TExceptionHandler handler) { exceptionHandler = handler ? handler : &ShowExceptionBox; }

void HandleCallbackException() noexcept { HandleException(std::current_exception()); }

void HandleException(std::exception_ptr e) noexcept {
  try {
    exceptionHandler(e);
  } catch (...) {
    // A handler that throws itself has nothing left to report to.
  }
}
