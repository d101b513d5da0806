// Started by the shell in the tests: writes its command line and working
// folder, one to a line, to shelllog.txt beside itself.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char self[MAX_PATH], folder[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string log = self;
  log = log.substr(0, log.rfind('\\') + 1) + "shelllog.txt";
  GetCurrentDirectoryA(MAX_PATH, folder);
  const std::string text = std::string(GetCommandLineA()) + "\n" + folder + "\n";
  // Written under another name and moved, so the test never reads half of it.
  const std::string part = log + ".part";
  HANDLE h = CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(h, text.data(), DWORD(text.size()), &written, nullptr);
  CloseHandle(h);
  return MoveFileExA(part.c_str(), log.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
