// The sample plug-in shipped with Kelvanto: it lists the selected items with
// their attributes, shows where the settings are kept, and can unselect one.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "PluginInterface.h"

using namespace KvtPlugin;

namespace {

constexpr const char* kClass = "AttrelleWindow";
constexpr int kIdList = 101, kIdUnselect = 102, kIdClose = 103;

HINSTANCE module;
HWND mainWindow;

struct TState {
  HWND window = nullptr;
  HWND list = nullptr;
  HWND counts = nullptr;
  HWND settings = nullptr;
  std::vector<std::string> items;
  // Walking again to reach the item to unselect: steps still to take, or -1.
  int stepsToTarget = -1;
  bool done = false;
};
TState state;

void Request(WPARAM request, LPARAM param) { SendMessageA(mainWindow, WM_KVT_REQUEST, request, param); }

std::string AttributeLetters(uint32_t a) {
  std::string s;
  s += a & FILE_ATTRIBUTE_DIRECTORY ? 'D' : '-';
  s += a & FILE_ATTRIBUTE_READONLY ? 'R' : '-';
  s += a & FILE_ATTRIBUTE_HIDDEN ? 'H' : '-';
  s += a & FILE_ATTRIBUTE_SYSTEM ? 'S' : '-';
  s += a & FILE_ATTRIBUTE_ARCHIVE ? 'A' : '-';
  return s;
}

void StartListing() {
  state.items.clear();
  SendMessageA(state.list, LB_RESETCONTENT, 0, 0);
  Request(ReqResetWalk, 0);
  Request(ReqNextItem, reinterpret_cast<LPARAM>(state.window));
}

void ItemArrived(const TSelectedItem* item) {
  if (state.stepsToTarget >= 0) {
    if (!item) {
      state.stepsToTarget = -1;
    } else if (state.stepsToTarget-- == 0) {
      TItemUpdate update{};
      update.Flags = UpdUnselect;
      Request(ReqUpdateItem, reinterpret_cast<LPARAM>(&update));
      state.stepsToTarget = -1;
      Request(ReqCounts, reinterpret_cast<LPARAM>(state.window));
      StartListing();
      return;
    } else {
      Request(ReqNextItem, reinterpret_cast<LPARAM>(state.window));
      return;
    }
  }
  if (!item) return;
  const std::string line = AttributeLetters(item->Attributes) + "  " + item->Folder +
                           (std::string(item->Folder).back() == '\\' ? "" : "\\") + item->Name;
  state.items.push_back(line);
  SendMessageA(state.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  Request(ReqNextItem, reinterpret_cast<LPARAM>(state.window));
}

void UnselectChosen() {
  const LRESULT chosen = SendMessageA(state.list, LB_GETCURSEL, 0, 0);
  if (chosen == LB_ERR) return;
  state.stepsToTarget = static_cast<int>(chosen);
  Request(ReqResetWalk, 0);
  Request(ReqNextItem, reinterpret_cast<LPARAM>(state.window));
}

HWND Child(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
  HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, state.window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module, nullptr);
  SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return c;
}

void CreateChildren() {
  state.counts = Child("STATIC", "", 0, 10, 10, 460, 18, 0);
  state.list = Child("LISTBOX", "", WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 10,
                     32, 460, 200, kIdList);
  state.settings = Child("STATIC", "", SS_PATHELLIPSIS, 10, 240, 460, 18, 0);
  Child("BUTTON", "&Unselect", WS_TABSTOP | BS_PUSHBUTTON, 290, 266, 85, 25, kIdUnselect);
  Child("BUTTON", "Close", WS_TABSTOP | BS_DEFPUSHBUTTON, 385, 266, 85, 25, kIdClose);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_KVT_ANSWER:
      if (wp == ReqNextItem) ItemArrived(reinterpret_cast<const TSelectedItem*>(lp));
      if (wp == ReqCounts && lp) {
        const auto* c = reinterpret_cast<const TSelectionCounts*>(lp);
        char text[80];
        snprintf(text, sizeof text, "%u selected, %u files", c->SelectedCount, c->SelectedFiles);
        SetWindowTextA(state.counts, text);
      }
      if (wp == ReqSettingsPath && lp)
        SetWindowTextA(state.settings, (std::string("Settings: ") + reinterpret_cast<const char*>(lp)).c_str());
      return 0;
    case WM_COMMAND:
      if (LOWORD(wp) == kIdUnselect) UnselectChosen();
      if (LOWORD(wp) == kIdClose || LOWORD(wp) == IDCANCEL) DestroyWindow(hwnd);
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      state.done = true;
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

KVT_PLUGIN_EXPORT const char* GetPluginTitle() { return "Attrelle"; }
KVT_PLUGIN_EXPORT int32_t getMagicNumber() { return HighestMagicNumber; }
KVT_PLUGIN_EXPORT uint32_t getPluginInfo() { return 8; }
KVT_PLUGIN_EXPORT void PluginParameters(int32_t, const char*) {}

KVT_PLUGIN_EXPORT bool StartPlugin(HWND, HWND main) {
  mainWindow = main;
  state = TState{};
  WNDCLASSA wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = module;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClass;
  if (!RegisterClassA(&wc)) return false;
  RECT r{0, 0, 480, 300};
  AdjustWindowRect(&r, WS_CAPTION | WS_SYSMENU, FALSE);
  state.window = CreateWindowExA(WS_EX_DLGMODALFRAME, kClass, "Attrelle", WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                                 CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, main, nullptr, module, nullptr);
  if (!state.window) {
    UnregisterClassA(kClass, module);
    return false;
  }
  CreateChildren();
  ShowWindow(state.window, SW_SHOW);
  Request(ReqCounts, reinterpret_cast<LPARAM>(state.window));
  Request(ReqSettingsPath, reinterpret_cast<LPARAM>(state.window));
  StartListing();
  MSG msg;
  while (!state.done) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: its own loop must see the quit too.
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      DestroyWindow(state.window);
      break;
    }
    if (IsDialogMessageA(state.window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  UnregisterClassA(kClass, module);
  return true;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) module = instance;
  return TRUE;
}
