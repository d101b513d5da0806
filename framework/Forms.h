#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/TextTable.h"

enum class TFormBorder { Sizeable, Dialog, None };

// A top-level window, a fixed dialog, or (None with a parent) a borderless
// form docked into a panel.
class TForm : public TWinControl {
 public:
  explicit TForm(TWinControl* parent = nullptr, TFormBorder border = TFormBorder::Sizeable);
  ~TForm() override;

  void SetClientSize(int w, int h);
  int ClientWidth() const { return ClientRect().right; }
  int ClientHeight() const { return ClientRect().bottom; }
  TFormBorder Border() const { return border_; }

  // Runs the form modally; returns the modal result that ended the run.
  int ShowModal();
  bool Modal() const { return modal_; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int r) { modalResult_ = r; }
  // Ends a modal run with Cancel, or hides a modeless form (OnCloseQuery may refuse).
  void Close();

  bool KeyPreview = false;
  TWinControl* ActiveControl = nullptr;
  TMainMenu* Menu = nullptr;
  std::vector<TActionList*> ActionLists;
  // Its texts by id, applied before OnShow each time the form is shown and
  // again when the language changes; OnApplyTexts follows, for texts made of
  // more than one id.
  TTextTable Texts;
  void ApplyTexts();
  TNotifyEvent OnApplyTexts;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  std::function<void(bool& canClose)> OnCloseQuery;

  // The key steps of the message loop for a key press in this form, in order.
  bool IsShortCut(TShortCut sc);
  bool PreviewKey(WORD& key, unsigned shift);
  bool DialogKey(const MSG& msg);
  // The form a window belongs to (its outermost form).
  static TForm* FormOf(HWND hwnd);
  TButton* DefaultButton() const;
  TButton* CancelButton() const;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void VisibleChanged() override;
  void FocusFirst();

 private:
  TFormBorder border_;
  bool modal_ = false;
  int modalResult_ = mrNone;
};

// The message loop of the user-interface thread.
class TApplication {
 public:
  TApplication();
  // Loops until the main form closes or Terminate is called.
  void Run(TForm* mainForm);
  // Waits for and handles one message; false once the loop should end.
  bool HandleMessage();
  // Handles every message waiting now and returns.
  void ProcessMessages();
  void Terminate() { PostQuitMessage(0); }
  // Brings the controls of the shown forms up to date with their actions;
  // the loop calls it whenever no message waits.
  void Idle();
  bool Terminated() const { return terminated_; }
  // Every form applies its texts again: the language was changed.
  void LanguageChanged();
  TForm* MainForm = nullptr;

 private:
  bool ProcessMessage(MSG& msg);
  static BOOL CALLBACK IdleForm(HWND hwnd, LPARAM);
  bool terminated_ = false;
};

// The one application object; made on first use (which also prepares the
// common controls and synchronised calls for this thread).
TApplication& Application();
