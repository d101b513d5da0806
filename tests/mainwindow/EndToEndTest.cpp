#include "MainWindowTest.h"

#include "core/FileUtils.h"
#include "framework/Handles.h"

namespace {

struct TProcessWindow {
  DWORD pid;
  const char* caption;
  HWND found = nullptr;
};

BOOL CALLBACK FindProcessWindow(HWND w, LPARAM p) {
  auto* f = reinterpret_cast<TProcessWindow*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  char text[128] = "";
  GetWindowTextA(w, text, sizeof text);
  if (pid == f->pid && IsWindowVisible(w) && strcmp(text, f->caption) == 0) {
    f->found = w;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForWindow(DWORD pid, const char* caption, int ms) {
  TProcessWindow f{pid, caption};
  for (int waited = 0; waited < ms; waited += 50) {
    EnumWindows(&FindProcessWindow, reinterpret_cast<LPARAM>(&f));
    if (f.found) return f.found;
    Sleep(50);
  }
  return nullptr;
}

// Kelvanto as the user starts it: from its own folder, a copy of the build's.
TEST_F(MainWindow, ProgramStartsAndKeepsItsSettingsAtExit) {
  const std::string from = ProgramFolder() + "..\\program\\";
  WIN32_FIND_DATAA fd;
  TFindHandle find(FindFirstFileA((from + "*").c_str(), &fd));
  ASSERT_TRUE(find);
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    ASSERT_TRUE(CopyFileA((from + fd.cFileName).c_str(), (dir_ / fd.cFileName).c_str(), FALSE));
  } while (FindNextFileA(find.Get(), &fd));
  DeleteFileA(Ini().c_str());

  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = dir_ / "Kelvanto.exe";
  cmd.insert(cmd.begin(), '"');
  cmd.push_back('"');
  ASSERT_TRUE(
      CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir_.Path().c_str(), &si, &pi));
  THandle process(pi.hProcess), thread(pi.hThread);
  HWND main = WaitForWindow(pi.dwProcessId, "Kelvanto", 15000);
  ASSERT_TRUE(main);
  if (HWND tip = WaitForWindow(pi.dwProcessId, "The Tip of The Day", 3000)) PostMessageA(tip, WM_CLOSE, 0, 0);
  Sleep(300);
  PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(process.Get(), 15000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(process.Get(), &code);
  EXPECT_EQ(code, 0u);

  std::vector<std::string> keys;
  for (const std::string& line : SectionLines(Ini(), "MainForm")) keys.push_back(line.substr(0, line.find('=')));
  const std::vector<std::string> want = {
      "Top", "Left", "Width", "Height", "ToolsInRightSide", "CurrentMode", "Status", "Layout", "Viewer", "Editor",
      "MustSwapPanels", "VerticalSplitter", "GeneralCheckContainer", "ShowTips", "MASK_SELECTION",
      "BROWSER_FILTRES", "MainColor1", "MainColor2", "MainColor3", "MainColor4", "MainColor5"};
  EXPECT_EQ(keys, want);
}

}  // namespace
