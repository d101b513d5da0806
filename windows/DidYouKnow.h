#pragma once
#include <string>

#include "framework/Forms.h"
#include "framework/StringList.h"

// The tip of the day: one tip at a time from the language's tip file beside
// the program (the built-in tips when it cannot be read), painted justified.
// Esc closes it, as every modal form.
class TDidYouKnow : public TForm {
 public:
  TDidYouKnow();

  TLabel* Label1;
  TPanel* pnlKnowld;
  TPaintBox* pb;
  TCheckBox* chkShowTip;
  TButton* Button1;
  TButton* btnNext;
  TButton* btnPrevious;

  // The tips while the window is shown, and the one shown now.
  TStringList Tips;
  std::string CurrentTip;

  void FormShow();
  void FormClose();
  void btnNextClick(TButton* sender);
  void pbPaint(TCanvas& c);
  void SelectCurrentTip();
};

// The tip file of a language: the program folder, the language file's name
// and ".tip" (".tip" alone for English).
std::string TipFileName(const std::string& languageFileName);
