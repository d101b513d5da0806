#include "support/HeapBlocks.h"

#include <windows.h>

long CountHeapBlocks() {
  HANDLE heaps[64];
  const DWORD n = GetProcessHeaps(64, heaps);
  long busy = 0;
  for (DWORD i = 0; i < n && i < 64; ++i) {
    PROCESS_HEAP_ENTRY e{};
    HeapLock(heaps[i]);
    while (HeapWalk(heaps[i], &e))
      if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) ++busy;
    HeapUnlock(heaps[i]);
  }
  return busy;
}
