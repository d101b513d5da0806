// A window of a second process for the host's tests: it writes its handle to
// the file named on its command line, counts the plug-in answers it receives,
// and on WM_CLOSE writes the count to that file and ends.
#include <windows.h>

#include <cstdio>

#include "plugins/Attrelle/PluginInterface.h"

namespace {

const char* file;
unsigned answers;

void WriteLine(const char* format, unsigned long long value) {
  if (FILE* f = fopen(file, "w")) {
    fprintf(f, format, value);
    fclose(f);
  }
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == KvtPlugin::WM_KVT_ANSWER) ++answers;
  if (msg == WM_CLOSE) {
    WriteLine("answers %llu\n", answers);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  file = argv[1];
  WNDCLASSA wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "KvtAnswerReceiver";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "receiver", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              wc.hInstance, nullptr);
  WriteLine("window %llu\n", reinterpret_cast<uintptr_t>(hwnd));
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
