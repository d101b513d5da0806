#include "support/MessagePump.h"

#include <windows.h>

#include "framework/Forms.h"

namespace {

// Static initialisation runs on the thread that runs the tests.
const DWORD testThread = GetCurrentThreadId();

}  // namespace

void Pump(int ms) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  do {
    Application().ProcessMessages();
    Application().Idle();
    Sleep(5);
  } while (static_cast<int>(end - GetTickCount()) > 0);
}

bool PumpUntil(const std::function<bool()>& done, int ms) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  while (!done()) {
    if (static_cast<int>(end - GetTickCount()) <= 0) return false;
    if (GetCurrentThreadId() == testThread) {
      Application().ProcessMessages();
      Application().Idle();
    }
    Sleep(5);
  }
  return true;
}
