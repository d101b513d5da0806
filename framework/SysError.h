#pragma once
#include <windows.h>

#include <stdexcept>
#include <string>

// The system's own message text for an error code, without the trailing line
// break; "System error N" when the system has none.
std::string SysErrorMessage(DWORD code);

// A failed system call, carrying the error code and its message text.
class EOSError : public std::runtime_error {
 public:
  explicit EOSError(DWORD code) : std::runtime_error(SysErrorMessage(code)), Code(code) {}
  DWORD Code;
};

// Throws EOSError for GetLastError().
[[noreturn]] void RaiseLastOSError();
