#pragma once
#include "framework/Forms.h"

// The program's main window. Panes, tools and menus join it as they are built.
class TMainForm : public TForm {
 public:
  TMainForm();
};

// Makes the main window the application's main form and runs the message
// loop until it closes; the exit code.
int RunMainForm();
