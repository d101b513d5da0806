// The start of the program up to the main window's first paint: the shell's
// icon lists, the main window with both panes reading their folders, the
// about box, and the first paint with the plug-ins listed. Prints the
// seconds to the first paint, the plug-ins and entries listed, and the
// seconds at which the icon lists and the windows were made. The folder given
// holds kvt.ini and the plug-ins and becomes the current folder; the title
// cache is emptied first, so every plug-in is loaded.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/Clock.h"
#include "core/Plugins.h"
#include "core/translator.h"
#include "framework/OleAuto.h"
#include "windows/About.h"
#include "windows/MainForm.h"
#include "windows/Settings.h"
#include "windows/Startup.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: bench_startup FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  SetCurrentDirectoryA(folder.c_str());
  SettingsFilePath = folder + "\\kvt.ini";
  RegDeleteTreeA(HKEY_CURRENT_USER, PluginTitleCacheKey);
  RegisterSharedTexts();
  const double start = Now();
  TOleScope ole;
  PrepareShellIcons();
  const double icons = Now() - start;
  TMainForm form;
  TfrmAbout about;
  const double made = Now() - start;
  Application().MainForm = &form;
  form.Show();
  while (form.FirstPaint) {
    Application().ProcessMessages();
    if (form.FirstPaint) WaitMessage();
  }
  for (TBrowserForm* pane : {form.LeftBrowser, form.RightBrowser}) UpdateWindow(pane->sgBrowser->Handle());
  const double painted = Now() - start;
  printf("%.6f %zu %d %d icons=%.6f window=%.6f\n", painted, PluginList ? PluginList->Count() : size_t(0),
         form.LeftBrowser->FolderList->FileCount, form.RightBrowser->FolderList->FileCount, icons, made);
  Application().MainForm = nullptr;
  // Nothing of this run is kept.
  GeneralCheckContainer &= ~OptSaveSettings;
  form.FormClose();
  return 0;
}
