#pragma once
#include <windows.h>

#include "framework/Forms.h"

// The small modal dialog that asks for one line: a target, a name, a mask, or
// a plain yes or no. Callers rearrange or hide its controls before showing it.
class TStandardQuery : public TForm {
 public:
  // mainWindow: the window the dialog centres itself over when shown.
  explicit TStandardQuery(HWND mainWindow = nullptr);

  TLabel* lblInfo;
  TEdit* edInfo;
  TComboBox* cbForSelectFiles;
  TCheckBox* chkSend;
  TButton* btnOK;
  TButton* btnCancel;
  TButton* btnBrowse;

  void FormCreate();
  void FormShow();
  void FormKeyDown(WORD& key, unsigned shift);
  void btnBrowseClick();
  void chkSendClick();

 private:
  HWND mainWindow_;
};
