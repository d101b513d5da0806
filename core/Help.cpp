#include "core/Help.h"

std::string HelpFileName;

namespace {

using THtmlHelpA = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

// Loaded on first use and not linked: a system without the control still runs.
struct THelpLibrary {
  bool tried = false;
  HMODULE module = nullptr;
  THtmlHelpA entry = nullptr;
  ~THelpLibrary() {
    if (module) FreeLibrary(module);
  }
};

THelpLibrary& HelpLibrary() {
  static THelpLibrary library;
  return library;
}

}  // namespace

void LoadHtmlHelp() {
  THelpLibrary& lib = HelpLibrary();
  if (lib.tried) return;
  lib.tried = true;
  lib.module = LoadLibraryA("HHCTRL.OCX");
  if (lib.module)
    lib.entry = reinterpret_cast<THtmlHelpA>(
        reinterpret_cast<void*>(GetProcAddress(lib.module, "HtmlHelpA")));
}

HWND CallHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data) {
  if (command == HH_CLOSE_ALL_COMMAND && !HelpLibrary().tried) return nullptr;
  LoadHtmlHelp();
  THtmlHelpA entry = HelpLibrary().entry;
  return entry ? entry(caller, file, command, data) : nullptr;
}

bool HtmlHelpLoaded() { return HelpLibrary().module != nullptr; }

void ShowHelpTopic(HWND caller, const std::string& topic) {
  CallHtmlHelp(caller, (HelpFileName + topic).c_str(), HH_DISPLAY_TOPIC_COMMAND, 0);
}
