#include "windows/MainForm.h"

TMainForm::TMainForm() {
  SetCaption("Kelvanto");
  SetBounds(60, 40, 800, 600);
}

int RunMainForm() {
  TApplication& app = Application();
  TMainForm mainForm;
  app.Run(&mainForm);
  return 0;
}
