#include <windows.h>

#include "setup/InstallForm.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  TApplication& app = Application();
  TfrmInstall form;
  app.Title = form.Caption();
  app.Run(&form);
  return 0;
}
