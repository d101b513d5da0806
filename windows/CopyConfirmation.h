#pragma once
#include <windows.h>

#include <string>

#include "controls/PylBitBtn.h"
#include "framework/Forms.h"
#include "windows/FileOperations.h"

// The one dialog through which a file operation asks: an existing target, a
// file with an attribute, an error with retry, a folder that cannot be made
// or is not empty. Shown modally, always over the progress window.
class TCopyConfirmationForm : public TForm {
 public:
  TCopyConfirmationForm();

  TLabel* lblVoid;
  TSystemIcon* imgIcon;
  TLabel* lblInformation;
  TPanel* pnlButtons;
  TPylBitBtn* btnYes;
  TPylBitBtn* btnYesToAll;
  TPylBitBtn* btnYesAllOlder;
  TPylBitBtn* btnNo;
  TPylBitBtn* btnNoToAll;
  TPylBitBtn* btnCancel;
  TPylBitBtn* btnAutorename;
  TPylBitBtn* btnAutorenameAll;

  int QuestionKind = qkTargetExists;
  std::string FirstPath, SecondPath, FirstDetail, SecondDetail;
  std::string ErrorCaption;  // of the error question
  bool DeleteWording = false;
  // The progress window's left edge and width: the dialog centres on them.
  int AnchorLeft = 0, AnchorWidth = 0;
  // Its top edge, set by whoever shows it (below the progress window).
  int AnchorTop = 0;

  // Shows the question modally; the button's modal result.
  int Ask(const TOperationQuestion& q);

  void FormCreate();
  void FormShow();
  void FormKeyDown(WORD& key, unsigned shift);

 private:
  // The width the message may take: 7/9 of the main window's client width,
  // or of the screen when there is no main window or it is minimised.
  int MessageWidth() const;
  void LayButtons(std::initializer_list<std::initializer_list<TPylBitBtn*>> rows);
};
