#include "framework/Forms.h"

#include <commctrl.h>

#include <functional>

#include "framework/Hints.h"
#include "framework/Thread.h"

namespace {

DWORD FormStyle(TFormBorder b, bool child) {
  if (child) return WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  switch (b) {
    case TFormBorder::Dialog:
      return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME;
    case TFormBorder::None:
      return WS_POPUP | WS_CLIPCHILDREN;
    default:
      return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  }
}

void ForEachControl(const TWinControl* root, const std::function<bool(TControl*)>& f) {
  for (TControl* c : root->Controls()) {
    if (f(c)) return;
    if (auto* w = dynamic_cast<TWinControl*>(c)) ForEachControl(w, f);
  }
}

bool Usable(const TControl* c) { return c->Showing() && c->Enabled(); }

std::vector<TForm*>& LiveForms() {
  static std::vector<TForm*> forms;
  return forms;
}

// Windows of this thread that a modal run disables, and enables again after it.
struct TDisabledWindows {
  HWND keep;
  std::vector<HWND> list;
  static BOOL CALLBACK Collect(HWND w, LPARAM self) {
    auto* d = reinterpret_cast<TDisabledWindows*>(self);
    if (w != d->keep && IsWindowVisible(w) && IsWindowEnabled(w)) d->list.push_back(w);
    return TRUE;
  }
  explicit TDisabledWindows(HWND form) : keep(form) {
    EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(this));
    for (HWND w : list) EnableWindow(w, FALSE);
  }
  ~TDisabledWindows() {
    for (HWND w : list)
      if (IsWindow(w)) EnableWindow(w, TRUE);
  }
};

}  // namespace

TForm::TForm(TWinControl* parent, TFormBorder border) : TWinControl(parent), border_(border) {
  visible_ = false;
  bounds_ = {0, 0, 320, 240};
  DWORD ex = WS_EX_CONTROLPARENT | (border == TFormBorder::Dialog && !parent ? WS_EX_DLGMODALFRAME : 0);
  CreateWnd(nullptr, FormStyle(border, parent != nullptr), ex);
  if (parent) SetAlign(TAlign::Client);
  LiveForms().push_back(this);
}

TForm::~TForm() {
  std::erase(LiveForms(), this);
  if (Menu && hwnd_) SetMenu(hwnd_, nullptr);
}

void TForm::SetClientSize(int w, int h) {
  RECT r{0, 0, w, h};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_STYLE)), GetMenu(hwnd_) != nullptr,
                     static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_EXSTYLE)));
  SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

void TForm::VisibleChanged() {
  if (!hwnd_) return;
  if (visible_) {
    if (Menu) Menu->Attach(hwnd_);
    ApplyTexts();
    if (OnShow) OnShow();
    ShowWindow(hwnd_, parent_ ? SW_SHOWNA : SW_SHOW);
    if (!parent_) FocusFirst();
  } else {
    ShowWindow(hwnd_, SW_HIDE);
    if (OnHide) OnHide();
  }
}

void TForm::ApplyTexts() {
  Texts.Apply();
  if (OnApplyTexts) OnApplyTexts();
}

void TForm::FocusFirst() {
  if (ActiveControl && ActiveControl->CanFocus()) {
    ActiveControl->SetFocus();
    return;
  }
  ForEachControl(this, [](TControl* c) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w || !w->TabStop || !w->CanFocus()) return false;
    w->SetFocus();
    return true;
  });
}

int TForm::ShowModal() {
  modalResult_ = mrNone;
  modal_ = true;
  {
    TDisabledWindows others(hwnd_);
    Show();
    SetForegroundWindow(hwnd_);
    while (modalResult_ == mrNone && hwnd_ && Application().HandleMessage()) {
    }
    Hide();
  }
  modal_ = false;
  return modalResult_;
}

void TForm::Close() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(canClose);
  if (!canClose) return;
  if (modal_) {
    modalResult_ = mrCancel;
  } else {
    Hide();
    if (Application().MainForm == this) Application().Terminate();
  }
}

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_ERASEBKGND:
      break;
    default:
      break;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

TForm* TForm::FormOf(HWND hwnd) {
  TForm* found = nullptr;
  for (HWND w = hwnd; w; w = GetParent(w))
    if (auto* f = dynamic_cast<TForm*>(FromHandle(w))) found = f;
  return found;
}

TButton* TForm::DefaultButton() const {
  TButton* found = nullptr;
  ForEachControl(this, [&](TControl* c) {
    auto* b = dynamic_cast<TButton*>(c);
    if (b && b->Default() && Usable(b)) found = b;
    return found != nullptr;
  });
  return found;
}

TButton* TForm::CancelButton() const {
  TButton* found = nullptr;
  ForEachControl(this, [&](TControl* c) {
    auto* b = dynamic_cast<TButton*>(c);
    if (b && b->Cancel && Usable(b)) found = b;
    return found != nullptr;
  });
  return found;
}

bool TForm::IsShortCut(TShortCut sc) {
  if (Menu && Menu->Items.IsShortCut(sc)) return true;
  for (TActionList* list : ActionLists)
    if (list->IsShortCut(sc)) return true;
  return false;
}

bool TForm::PreviewKey(WORD& key, unsigned shift) {
  if (!KeyPreview || !OnKeyDown) return false;
  OnKeyDown(key, shift);
  return key == 0;
}

// Enter presses the focused button, else the default one; Esc the cancel
// button, else ends a modal run. Tab and the arrows move as in a dialog.
bool TForm::DialogKey(const MSG& msg) {
  if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
    const LRESULT code = SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    HWND combo = GetParent(msg.hwnd);
    const bool dropped = SendMessageA(msg.hwnd, CB_GETDROPPEDSTATE, 0, 0) ||
                         (combo && SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    if ((code & DLGC_WANTALLKEYS) || dropped) return false;
    if (msg.wParam == VK_RETURN) {
      auto* focused = dynamic_cast<TButton*>(FromHandle(msg.hwnd));
      TButton* b = focused ? focused : DefaultButton();
      if (!b) return false;
      b->Click();
      return true;
    }
    if (TButton* b = CancelButton()) {
      b->Click();
      return true;
    }
    if (!modal_) return false;
    modalResult_ = mrCancel;
    return true;
  }
  return IsDialogMessageA(hwnd_, const_cast<MSG*>(&msg)) != 0;
}

// ---- TApplication

TApplication::TApplication() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES};
  InitCommonControlsEx(&icc);
  InitSynchronize();
}

TApplication& Application() {
  static TApplication app;
  return app;
}

void TApplication::Run(TForm* mainForm) {
  MainForm = mainForm;
  if (MainForm) MainForm->Show();
  while (HandleMessage()) {
  }
}

BOOL CALLBACK TApplication::IdleForm(HWND hwnd, LPARAM) {
  auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(hwnd));
  if (!form || !form->Visible()) return TRUE;
  ForEachControl(form, [](TControl* c) {
    c->UpdateFromAction();
    return false;
  });
  return TRUE;
}

void TApplication::LanguageChanged() {
  for (TForm* f : std::vector<TForm*>(LiveForms())) f->ApplyTexts();
}

void TApplication::Idle() { EnumThreadWindows(GetCurrentThreadId(), &IdleForm, 0); }

bool TApplication::HandleMessage() {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) Idle();
  const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
  if (got <= 0) {
    terminated_ = true;
    if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // outer loops end too
    return false;
  }
  return ProcessMessage(msg);
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ProcessMessage(msg);
  }
}

bool TApplication::ProcessMessage(MSG& msg) {
  Hints().Message(msg);
  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
    if (TForm* form = TForm::FormOf(msg.hwnd)) {
      WORD key = static_cast<WORD>(msg.wParam);
      if (form->IsShortCut(ShortCutOfKey(key))) return true;
      if (form->PreviewKey(key, CurrentShiftState())) return true;
      if (form->DialogKey(msg)) return true;
    }
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}
