// Holds a file open from a second process, as another program would:
//   holdfile FILE SHARE READY RELEASE
// opens FILE for reading with the share bits SHARE, sets the event READY and
// keeps the file open until the event RELEASE is set (at most a minute).
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  const DWORD share = static_cast<DWORD>(strtoul(argv[2], nullptr, 0));
  HANDLE file = CreateFileA(argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]);
  HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[4]);
  if (!ready || !release) return 4;
  SetEvent(ready);
  WaitForSingleObject(release, 60000);
  CloseHandle(file);
  return 0;
}
