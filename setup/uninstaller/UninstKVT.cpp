#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/Handles.h"
#include "setup/Uninstall.h"

namespace {

constexpr const char* kCaption = "Uninstall Kelvanto";
constexpr const char* kRemoveSwitch = "/remove";

std::string OwnPath() {
  char path[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  return n && n < sizeof path ? std::string(path, n) : std::string();
}

// A running program cannot delete its own file, so the removal runs from a
// copy in the temporary folder, which first waits for this process to end.
bool StartRemovingCopy() {
  char temp[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof temp, temp);
  if (!n || n >= sizeof temp) return false;
  char copy[MAX_PATH + 1];
  if (!GetTempFileNameA(temp, "kvt", 0, copy)) return false;
  std::string copyPath = std::string(copy) + ".exe";
  DeleteFileA(copy);
  if (!CopyFileA(OwnPath().c_str(), copyPath.c_str(), FALSE)) return false;
  HANDLE duplicate = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &duplicate,
                       SYNCHRONIZE, TRUE, 0)) {
    DeleteFileA(copyPath.c_str());
    return false;
  }
  const THandle self(duplicate);
  std::string command = "\"" + copyPath + "\" " + kRemoveSwitch + " " +
                        std::to_string(reinterpret_cast<uintptr_t>(self.Get()));
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  // The copy works in the temporary folder: a current folder inside the
  // install folder would keep that folder from being removed.
  const bool started = CreateProcessA(copyPath.c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, temp, &si, &pi);
  const THandle thread(pi.hThread), process(pi.hProcess);
  if (!started) {
    DeleteFileA(copyPath.c_str());
    return false;
  }
  return true;
}

int RemoveAsCopy(HANDLE original) {
  {
    const THandle parent(original);
    WaitForSingleObject(parent.Get(), 30000);
  }
  const auto left = RemoveInstallation(ReadInstallRecord());
  MoveFileExA(OwnPath().c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  if (left.empty()) return 0;
  std::string text = "Nothing was removed. These files are in use or cannot be removed:\r\n";
  for (const std::string& path : left) text += path + "\r\n";
  text += "\r\nClose Kelvanto and run the uninstaller again.";
  MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONWARNING);
  return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  const std::string args = commandLine ? commandLine : "";
  if (args.rfind(kRemoveSwitch, 0) == 0) {
    const auto handle = std::strtoull(args.c_str() + strlen(kRemoveSwitch), nullptr, 10);
    return RemoveAsCopy(reinterpret_cast<HANDLE>(uintptr_t(handle)));
  }
  if (ReadInstallRecord().SourceDirectory.empty()) {
    MessageBoxA(nullptr, "Kelvanto is not installed on this computer.", kCaption,
                MB_OK | MB_ICONINFORMATION);
    return 1;
  }
  if (MessageBoxA(nullptr, "Do you want to remove Kelvanto from your computer?", kCaption,
                  MB_YESNO | MB_ICONQUESTION) != IDYES)
    return 0;
  if (StartRemovingCopy()) return 0;
  MessageBoxA(nullptr, "The uninstaller could not be started from the temporary folder.", kCaption,
              MB_OK | MB_ICONERROR);
  return 1;
}
