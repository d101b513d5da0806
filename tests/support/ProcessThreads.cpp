#include "support/ProcessThreads.h"

#include <windows.h>
#include <tlhelp32.h>

#include "framework/Handles.h"

int ThreadsOfThisProcess() {
  THandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 e{};
  e.dwSize = sizeof e;
  int n = 0;
  for (BOOL ok = Thread32First(snap.Get(), &e); ok; ok = Thread32Next(snap.Get(), &e))
    if (e.th32OwnerProcessID == GetCurrentProcessId()) ++n;
  return n;
}
