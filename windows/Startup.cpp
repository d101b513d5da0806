#include "windows/Startup.h"

#include <windows.h>

int RunKelvanto() {
  MessageBoxA(nullptr, "Kelvanto", "Kelvanto", MB_OK);
  return 0;
}
