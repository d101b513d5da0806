#pragma once
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/TextTable.h"

// Single: a fixed-size window with a system menu and a minimise box.
enum class TFormBorder { Sizeable, Dialog, Single, None };

// A top-level window, a fixed dialog, or (None with a parent) a borderless
// form docked into a panel.
class TForm : public TWinControl {
 public:
  explicit TForm(TWinControl* parent = nullptr, TFormBorder border = TFormBorder::Sizeable);
  ~TForm() override;

  void SetClientSize(int w, int h);
  // Centres the form on a window (the main form's when nullptr, the
  // screen's when there is none); a larger form sticks out on both sides.
  void CentreOn(HWND other = nullptr);
  int ClientWidth() const { return ClientRect().right; }
  int ClientHeight() const { return ClientRect().bottom; }
  TFormBorder Border() const { return border_; }

  // Runs the form modally, owned by the window that was active, and returns
  // the modal result that ended the run. The owner is enabled again before
  // the form hides, so the activation goes back to it, and the control that
  // had the focus gets it back.
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
  // Runs before the menu's and the action lists' shortcuts; handled takes the key.
  std::function<void(TShortCut sc, bool& handled)> OnShortCut;

  // A key press goes first to the focused control (ClaimKey), then to each
  // form from the innermost outwards, each of these steps searching that
  // form alone (not the forms docked in it); what no one takes goes on to
  // the focused window.
  bool PreviewKey(WORD& key, unsigned shift);
  bool IsShortCut(TShortCut sc);
  // Enter presses the focused button, else the default one; Esc the cancel
  // button, else closes a modal form as its close box does.
  bool DialogKey(WORD key);
  // Tab and Shift+Tab: the focus goes to the next or previous enabled, shown
  // tab stop of the form, inside its panels, group boxes, shown page and
  // docked forms, round from the last to the first; false when it has none.
  bool SelectNext(bool forward);
  // The control whose caption underlines the letter acts: a button is
  // pressed, a check box toggled, a radio button chosen; a label or group
  // box gives the focus to the control it names. False when none does.
  bool Mnemonic(char letter);
  // The innermost form a window belongs to, and the one this form is docked in.
  static TForm* FormOf(HWND hwnd);
  TForm* ParentForm() const;
  TButton* DefaultButton() const;
  TButton* CancelButton() const;
  bool TakeModalResult(int result) override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void VisibleChanged() override;
  void FocusFirst();

 private:
  // WM_ACTIVATE of a top-level form; true when the focus was given.
  bool Activated(WPARAM wp, LPARAM lp);
  TFormBorder border_;
  bool modal_ = false;
  int modalResult_ = mrNone;
  HWND focusOnLeave_ = nullptr;  // its focused control when another window was activated
  std::pair<DWORD, DWORD> selectionOnLeave_;  // that control's selection, where it is an edit
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
  // Minimises the main form, and with it every window it owns; false when
  // there is no main form.
  bool Minimize() {
    if (!MainForm) return false;
    ShowWindow(MainForm->Handle(), SW_MINIMIZE);
    return true;
  }
  // Every exception that reaches a window procedure, a timer or the loop
  // comes here once. Without OnException: a message box with its text,
  // titled with Title (else the main form's caption).
  std::function<void(std::exception_ptr)> OnException;
  void HandleException(std::exception_ptr e);
  std::string Title;
  // Brings the controls of the shown forms up to date with their actions;
  // the loop calls it whenever no message waits.
  void Idle();
  bool Terminated() const { return terminated_; }
  // Every form applies its texts again: the language was changed.
  void LanguageChanged();
  TForm* MainForm = nullptr;

  // The application's own top-level window: never shown, it stands for the
  // program where a system or plug-in call asks for the application window.
  HWND Handle() const { return handle_; }
  // The program became the active one (once per switch, whichever of its
  // windows heard of it first), or lost that.
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  bool Active() const { return active_; }
  // The main form was minimised, or came back from being minimised.
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;
  // Called by the forms' window procedures.
  void ActivateApp(bool active);
  void MainFormSized(WPARAM kind);

 private:
  bool ProcessMessage(MSG& msg);
  // True when the key press was taken before it reached its window.
  bool RouteKey(MSG& msg);
  // True when a letter was taken as a control's mnemonic.
  bool RouteMnemonic(MSG& msg);
  static BOOL CALLBACK IdleForm(HWND hwnd, LPARAM);
  static LRESULT CALLBACK AppWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  bool terminated_ = false;
  HWND handle_ = nullptr;
  bool active_ = false;
  bool minimized_ = false;
};

// The one application object; made on first use (which also prepares the
// common controls and synchronised calls for this thread).
TApplication& Application();
