#include "MainWindowTest.h"

#include <algorithm>
#include <map>

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

// Pixels of the left pane's icon column, below its first two rows, that
// differ from the column's most common colour: the drawn file icons.
int IconPixels(HWND main) {
  RECT client;
  GetClientRect(main, &client);
  POINT centre{client.right / 4, client.bottom / 2};
  ClientToScreen(main, &centre);
  HWND grid = WindowFromPoint(centre);
  if (!grid || GetAncestor(grid, GA_ROOT) != main) return -1;
  RECT g;
  GetWindowRect(grid, &g);
  std::map<COLORREF, int> colours;
  HDC screen = GetDC(nullptr);
  for (LONG y = g.top + 40; y < std::min(g.top + 140, g.bottom); ++y)
    for (LONG x = g.left; x < g.left + 16; ++x) ++colours[GetPixel(screen, x, y)];
  ReleaseDC(nullptr, screen);
  int all = 0, most = 0;
  for (const auto& [colour, count] : colours) {
    all += count;
    most = std::max(most, count);
  }
  return all - most;
}

HWND WaitForWindow(DWORD pid, const char* caption, int ms) {
  TProcessWindow f{pid, caption};
  PumpUntil(
      [&] {
        EnumWindows(&FindProcessWindow, reinterpret_cast<LPARAM>(&f));
        return f.found != nullptr;
      },
      ms);
  return f.found;
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
  // The panes on a folder of text files, whose shell icons they draw.
  for (int i = 0; i < 10; ++i) dir_.File("files\\doc" + std::to_string(i) + ".txt", 10);
  ASSERT_TRUE(WriteTestFile(Ini(), "[BROWSER_LEFT]\r\nDirectory=" + (dir_ / "files") + "\r\n[BROWSER_RIGHT]\r\n"));

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
  // The icon reader's icons replace the first ones drawn.
  EXPECT_TRUE(PumpUntil([&] { return IconPixels(main) > 40; }, 15000));
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
