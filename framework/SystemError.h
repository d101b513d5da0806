#pragma once
#include <windows.h>

#include <exception>
#include <stdexcept>
#include <string>

// text := the system's message text for an error code (at most 1024 bytes,
// without its closing line break). With show, a warning box also shows it
// under the prefix (the text alone for an empty prefix).
void ShowSystemError(bool show, DWORD code, std::string& text, const std::string& prefix,
                     const std::string& caption, HWND owner = nullptr);

// The system's own message text for an error code (at most 1024 bytes, without
// its closing line break); "System error N" when the system has none.
std::string SysErrorMessage(DWORD code);

// A failed system call, carrying the error code and its message text.
class EOSError : public std::runtime_error {
 public:
  explicit EOSError(DWORD code) : std::runtime_error(SysErrorMessage(code)), Code(code) {}
  DWORD Code;
};

// Throws EOSError for GetLastError().
[[noreturn]] void RaiseLastOSError();

// The text of an exception: what() of a standard one, else "Unknown error".
std::string ExceptionText(std::exception_ptr e);

// Where exceptions that reach a callback of the system (window procedures,
// timers, the message loop) go, since none may cross the system's frames:
// the application sets it; until then a message box shows the text.
using TExceptionHandler = void (*)(std::exception_ptr);
void SetExceptionHandler(TExceptionHandler handler);
// Hands the exception being handled to the handler; call it in a catch block.
void HandleCallbackException() noexcept;
// Hands an exception caught earlier, or on another thread, to the handler.
void HandleException(std::exception_ptr e) noexcept;
