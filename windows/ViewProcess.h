#pragma once
#include <windows.h>

#include <string>

#include "framework/ComCtrls.h"
#include "framework/Forms.h"
#include "windows/CopyConfirmation.h"
#include "windows/FileOperations.h"

// The modal progress window of a file operation: the operation's name, the
// file being worked on and its target, two gauges and Cancel. It is the
// operation's view: its questions go to the confirmation dialog.
class TViewProcess : public TForm, public IOperationView {
 public:
  explicit TViewProcess(TCopyConfirmationForm* confirmation);

  TLabel* lblOperation;
  TLabel* lblCurrentFile;
  TLabel* lblCopyTo;
  TProgressBar* gCurrent;
  TProgressBar* gProgress;
  TButton* btnCancel;
  // The thread that reports here; stopped by Cancel and the close command.
  TOperations* Thread = nullptr;

  // Delete and the basket operations have no target line nor file gauge.
  void HideTargetLine();

  void FormCreate();
  void btnCancelClick();
  void FormKeyDown(WORD& key, unsigned shift);

  int Ask(const TOperationQuestion& question) override;
  void ShowMessage(const std::string& text, const std::string& caption, UINT icon) override;
  void ShowNames(const std::string& fromPrefix, const std::string& from, const std::string& toPrefix,
                 const std::string& to) override;
  void ShowProgress(int overall, int current) override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // Stops the thread once, serving only its synchronised calls meanwhile,
  // so that a second Cancel or Esc cannot reach the window during the wait.
  void StopThread();
  std::string FittedLine(const std::string& prefix, const std::string& path) const;
  TCopyConfirmationForm* confirmation_;
  bool stopping_ = false;
};
