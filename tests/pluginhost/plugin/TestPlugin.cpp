// A plug-in for the host's tests. The file beside it with the extension
// ".ctl" says what it does ("key=value" lines: magic, flags, result, leave,
// hold, requests); every call and every answer goes to the ".log" beside it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <sstream>
#include <string>

#include "plugins/Attrelle/PluginInterface.h"

#if defined(KVT_MISSING_DEP)
extern "C" __declspec(dllimport) int KvtMissingDependency();
#endif

using namespace KvtPlugin;

namespace {

constexpr UINT WM_NEXTSTEP = WM_APP + 1;
// Posted by a test: make the requests once more.
constexpr UINT WM_RUNAGAIN = WM_APP + 2;

HINSTANCE module;
HWND mainWindow;
HWND window;
bool finished;
std::map<std::string, std::string> control;
std::deque<std::string> steps;
// Kept alive for the host, which reads NewName during the request.
std::string newName;

std::string SideFile(const char* ext) {
  char path[MAX_PATH];
  GetModuleFileNameA(module, path, MAX_PATH);
  std::string s = path;
  return s.substr(0, s.rfind('.')) + ext;
}

void Log(const std::string& line) {
  if (FILE* f = fopen(SideFile(".log").c_str(), "a")) {
    fprintf(f, "%s\n", line.c_str());
    fclose(f);
  }
}

void ReadControl() {
  control.clear();
  if (FILE* f = fopen(SideFile(".ctl").c_str(), "r")) {
    char line[1024];
    while (fgets(line, sizeof line, f)) {
      std::string s = line;
      while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
      const size_t eq = s.find('=');
      if (eq != std::string::npos) control[s.substr(0, eq)] = s.substr(eq + 1);
    }
    fclose(f);
  }
}

long Number(const char* key, long fallback) {
  auto it = control.find(key);
  return it == control.end() ? fallback : strtol(it->second.c_str(), nullptr, 0);
}

void QueueSteps() {
  std::stringstream list(control["requests"]);
  for (std::string step; std::getline(list, step, ',');)
    if (!step.empty()) steps.push_back(step);
  PostMessageA(window, WM_NEXTSTEP, 0, 0);
}

// A record whose every byte is unreadable.
void* NoAccessPage() {
  static void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
  return page;
}

void SendUpdate(const std::string& step) {
  static TItemUpdate update;
  update = TItemUpdate{};
  LPARAM param = reinterpret_cast<LPARAM>(&update);
  const std::string kind = step.substr(1, step.find(':') == std::string::npos ? std::string::npos : step.find(':') - 1);
  const std::string arg = step.find(':') == std::string::npos ? "" : step.substr(step.find(':') + 1);
  if (kind == "u") update.Flags = UpdUnselect;
  if (kind == "r") {
    newName = arg;
    update.Flags = UpdRename;
  }
  if (kind == "all") {
    newName = arg;
    update.Flags = UpdRename | UpdAttributes | UpdLastWriteTime | UpdSize | UpdUnselect | 64;
    update.Attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
    update.Size = 123456789;
    update.LastWriteTime = {0x12345678, 0x01D00000};
  }
  // The hostile records also ask to unselect, so that their refusal shows.
  if (kind == "long") {
    newName.assign(300, 'x');
    update.Flags = UpdRename | UpdUnselect;
  }
  if (kind == "bs") {
    newName = "sub\\x.txt";
    update.Flags = UpdRename | UpdUnselect;
  }
  if (kind == "wild") param = reinterpret_cast<LPARAM>(NoAccessPage());
  update.NewName = newName.c_str();
  SendMessageA(mainWindow, WM_KVT_REQUEST, ReqUpdateItem, param);
}

void NextStep() {
  if (steps.empty()) {
    Log("steps done");
    if (!Number("hold", 0)) finished = true;
    return;
  }
  const std::string step = steps.front();
  steps.pop_front();
  Log("request " + step);
  if (step[0] == '2') {
    SendUpdate(step);
  } else {
    // "1f:0x1234" names another window than the plug-in's own.
    const size_t colon = step.find(':');
    const HWND target = colon == std::string::npos
                            ? window
                            : reinterpret_cast<HWND>(strtoull(step.c_str() + colon + 1, nullptr, 0));
    SendMessageA(mainWindow, WM_KVT_REQUEST, strtoul(step.c_str(), nullptr, 10), reinterpret_cast<LPARAM>(target));
  }
  // Behind any answer the request posted.
  PostMessageA(window, WM_NEXTSTEP, 0, 0);
}

void LogAnswer(WPARAM request, LPARAM answer) {
  char line[1200];
  if (request == ReqNextItem && answer) {
    const auto* item = reinterpret_cast<const TSelectedItem*>(answer);
    snprintf(line, sizeof line, "answer 1 %s|%s|%u", item->Folder, item->Name, item->Attributes);
  } else if (request == ReqCounts && answer) {
    const auto* c = reinterpret_cast<const TSelectionCounts*>(answer);
    snprintf(line, sizeof line, "answer 3 %u %u %u %u", c->SelectedCount, c->SelectedFiles, c->Reserved1, c->Reserved2);
  } else if (request == ReqSettingsPath && answer) {
    snprintf(line, sizeof line, "answer 5 %s", reinterpret_cast<const char*>(answer));
  } else {
    snprintf(line, sizeof line, "answer %u %llu", static_cast<unsigned>(request),
             static_cast<unsigned long long>(answer));
  }
  Log(line);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_KVT_ANSWER:
      LogAnswer(wp, lp);
      return 0;
    case WM_NEXTSTEP:
      NextStep();
      return 0;
    case WM_RUNAGAIN:
      QueueSteps();
      return 0;
    case WM_CLOSE:
      finished = true;
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

#if !defined(KVT_TITLE)
#define KVT_TITLE "Test plug-in"
#endif
KVT_PLUGIN_EXPORT const char* GetPluginTitle() { return KVT_TITLE; }

KVT_PLUGIN_EXPORT int32_t getMagicNumber() {
  ReadControl();
  Log("getMagicNumber");
#if defined(KVT_MISSING_DEP)
  return KvtMissingDependency();
#else
  return static_cast<int32_t>(Number("magic", 20));
#endif
}

KVT_PLUGIN_EXPORT uint32_t getPluginInfo() {
  Log("getPluginInfo");
  return static_cast<uint32_t>(Number("flags", 1));
}

KVT_PLUGIN_EXPORT void PluginParameters(int32_t kind, const char* text) {
  Log("PluginParameters " + std::to_string(kind) + " " + text);
}

#if !defined(KVT_NO_START)
KVT_PLUGIN_EXPORT bool StartPlugin(HWND application, HWND main) {
  Log(std::string("StartPlugin") + (IsWindowVisible(application) ? " app shown" : ""));
  mainWindow = main;
  finished = false;
  WNDCLASSA wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = module;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "KvtTestPlugin";
  // A run that left its window behind left the class registered too.
  if (!RegisterClassA(&wc)) {
    UnregisterClassA(wc.lpszClassName, module);
    RegisterClassA(&wc);
  }
  // A window of its own, not owned by the main window, which may then come
  // above it.
  window = CreateWindowExA(0, wc.lpszClassName, "Test plug-in", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr,
                           nullptr, module, nullptr);
  ShowWindow(window, SW_SHOWNORMAL);
  QueueSteps();
  MSG msg;
  while (!finished && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  const bool result = Number("result", 1) != 0;
  Log(std::string("StartPlugin returns ") + (result ? "1" : "0"));
  if (!Number("leave", 0)) {
    DestroyWindow(window);
    UnregisterClassA(wc.lpszClassName, module);
  }
  return result;
}
#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) module = instance;
  return TRUE;
}
