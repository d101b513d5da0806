#pragma once
#include <windows.h>

#include <string>

#include "core/RingList.h"
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

// Asks for a mask list with the ring's texts to choose from (the newest, or
// "*.*", to begin with); a non-empty answer joins the ring. False when
// cancelled or empty.
bool AskForMask(const std::string& question, TOrv_RingList& ring, std::string& mask);
