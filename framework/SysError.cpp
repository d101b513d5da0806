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

void HandleCallbackException() noexcept {
  try {
    exceptionHandler(std::current_exception());
  } catch (...) {
    // A handler that throws itself has nothing left to report to.
  }
}
