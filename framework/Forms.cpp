#include "framework/Forms.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "framework/Hints.h"
#include "framework/SystemError.h"
#include "framework/Thread.h"

namespace {

DWORD FormStyle(TFormBorder b, bool child) {
  if (child) return WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  switch (b) {
    case TFormBorder::Dialog:
      return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME;
    case TFormBorder::Single:
      return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    case TFormBorder::None:
      return WS_POPUP | WS_CLIPCHILDREN;
    default:
      return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  }
}

bool Usable(const TControl* c) { return c->Showing() && c->Enabled(); }

// Walks the controls below root until f returns true; ownOnly leaves out the
// forms docked inside and their controls.
bool ForEachControl(const TWinControl* root, const std::function<bool(TControl*)>& f, bool ownOnly = false) {
  for (TControl* c : root->Controls()) {
    if (ownOnly && dynamic_cast<TForm*>(c)) continue;
    if (f(c)) return true;
    if (auto* w = dynamic_cast<TWinControl*>(c); w && ForEachControl(w, f, ownOnly)) return true;
  }
  return false;
}

TButton* FindButton(const TForm* form, bool cancel) {
  TButton* found = nullptr;
  ForEachControl(
      form,
      [&](TControl* c) {
        auto* b = dynamic_cast<TButton*>(c);
        if (b && (cancel ? b->Cancel : b->Default()) && Usable(b)) found = b;
        return found != nullptr;
      },
      true);
  return found;
}


// Our control's TabStop decides, else (a window of the system's or of a
// plug-in) its style.
bool IsTabStop(HWND w) {
  if (TWinControl* c = TWinControl::FromHandle(w); c && c->Handle() == w) return c->TabStop;
  return (GetWindowLongPtrA(w, GWL_STYLE) & WS_TABSTOP) != 0;
}

// The stops below root in tab order, which is the windows' order among their
// siblings; a window that is no stop is gone into, as is a stop that holds
// others (a page control). Hidden and disabled windows hold none.
void CollectTabStops(HWND root, std::vector<HWND>& stops) {
  for (HWND w = GetWindow(root, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (!IsWindowVisible(w) || !IsWindowEnabled(w)) continue;
    const bool stop = IsTabStop(w);
    if (stop) stops.push_back(w);
    if (!stop || (GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)) CollectTabStops(w, stops);
  }
}

// The focus moved by a key: the window shows where it is now, as the system
// shows it only from the first key on.
void ShowFocusCues(HWND control) {
  SendMessageA(GetAncestor(control, GA_ROOT), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

// A one-line text entered by Tab is selected whole, ready to be typed over.
void FocusStop(HWND stop) {
  ShowFocusCues(stop);
  if (TWinControl* c = TWinControl::FromHandle(stop); c && c->Handle() == stop) {
    c->SetFocus();
  } else {
    ::SetFocus(stop);
  }
  const HWND f = GetFocus();
  char cls[8] = {};
  GetClassNameA(f, cls, sizeof cls);
  if (lstrcmpiA(cls, "Edit") == 0 && !(GetWindowLongPtrA(f, GWL_STYLE) & ES_MULTILINE))
    SendMessageA(f, EM_SETSEL, 0, -1);
}

// The character an unshifted key types; 0 for none.
char LetterOfKey(WORD key) {
  return static_cast<char>(MapVirtualKeyA(key, MAPVK_VK_TO_CHAR) & 0xFF);
}

char UpperLetter(char c) {
  CharUpperBuffA(&c, 1);
  return c;
}

// The letter a caption underlines, upper-cased; 0 for none.
char MnemonicOf(const std::string& caption) {
  size_t at = std::string::npos;
  const std::string shown = WithoutMnemonic(caption, &at);
  return at == std::string::npos ? 0 : UpperLetter(shown[at]);
}

std::vector<TForm*>& LiveForms() {
  static std::vector<TForm*> forms;
  return forms;
}

// Windows of this thread that a modal run disables, and enables again after it.
class TDisabledWindows {
 public:
  explicit TDisabledWindows(HWND form) : keep_(form) {
    EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(this));
    for (HWND w : list_) EnableWindow(w, FALSE);
  }
  ~TDisabledWindows() { EnableAgain(); }
  TDisabledWindows(const TDisabledWindows&) = delete;
  TDisabledWindows& operator=(const TDisabledWindows&) = delete;
  void EnableAgain() {
    for (HWND w : list_)
      if (IsWindow(w)) EnableWindow(w, TRUE);
    list_.clear();
  }

 private:
  static BOOL CALLBACK Collect(HWND w, LPARAM self) {
    auto* d = reinterpret_cast<TDisabledWindows*>(self);
    if (w != d->keep_ && IsWindowVisible(w) && IsWindowEnabled(w)) d->list_.push_back(w);
    return TRUE;
  }
  HWND keep_;
  std::vector<HWND> list_;
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

void TForm::CentreOn(HWND other) {
  if (!other && Application().MainForm && Application().MainForm != this) other = Application().MainForm->Handle();
  RECT m{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (other) GetWindowRect(other, &m);
  SetBounds(m.left + ((m.right - m.left) - Width()) / 2, m.top + ((m.bottom - m.top) - Height()) / 2, Width(),
            Height());
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
  if (modal_ || parent_ || !hwnd_) throw std::logic_error("ShowModal of a form that is docked, gone or already modal");
  HWND owner = GetActiveWindow();
  if (!owner && Application().MainForm) owner = Application().MainForm->Handle();
  if (owner == hwnd_) owner = nullptr;
  // Taken before the owner is disabled, which takes the focus away.
  const HWND focus = GetFocus();
  SetWindowLongPtrA(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  modalResult_ = mrNone;
  modal_ = true;
  {
    TDisabledWindows others(hwnd_);
    Show();
    SetForegroundWindow(hwnd_);
    while (modalResult_ == mrNone && hwnd_ && Application().HandleMessage()) {
    }
    others.EnableAgain();
    Hide();
  }
  modal_ = false;
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  if (focus && IsWindow(focus) && IsWindowEnabled(focus)) ::SetFocus(focus);
  // Unowned again: an owner that goes first would take the form's window with it.
  if (hwnd_) SetWindowLongPtrA(hwnd_, GWLP_HWNDPARENT, 0);
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
      if (!parent_) Close();  // a docked form stays where it is
      return 0;
    case WM_ACTIVATE:
      if (!parent_ && Activated(wp, lp)) return 0;
      break;
    case WM_ACTIVATEAPP:
      Application().ActivateApp(wp != 0);
      break;
    case WM_SIZE:
      if (Application().MainForm == this) Application().MainFormSized(wp);
      break;
    case WM_GETMINMAXINFO:
      // The user's drag obeys the size constraints as SetBounds does.
      if (!parent_) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        const TSizeConstraints& c = constraints_;
        if (c.MinWidth > 0) info->ptMinTrackSize.x = c.MinWidth;
        if (c.MinHeight > 0) info->ptMinTrackSize.y = c.MinHeight;
        if (c.MaxWidth > 0) info->ptMaxTrackSize.x = c.MaxWidth;
        if (c.MaxHeight > 0) info->ptMaxTrackSize.y = c.MaxHeight;
        return 0;
      }
      break;
    case WM_WINDOWPOSCHANGED:
      // The user and the window manager move top-level windows too.
      if (!parent_ && !IsIconic(hwnd_)) GetWindowRect(hwnd_, &bounds_);
      break;
    default:
      break;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

// The system gives an activated form's frame the focus: the control that had
// it when another window was activated gets it back instead, else the first.
bool TForm::Activated(WPARAM wp, LPARAM lp) {
  const HWND focus = GetFocus();
  const bool inside = focus && IsChild(hwnd_, focus);
  // An edit loses its selection with the focus (a combo's edit clears it):
  // it comes back with the focus, as the user left it.
  const auto hasSelection = [](HWND w) { return (SendMessageA(w, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0; };
  if (LOWORD(wp) == WA_INACTIVE) {
    focusOnLeave_ = inside ? focus : nullptr;
    if (inside && hasSelection(focus))
      SendMessageA(focus, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionOnLeave_.first),
                   reinterpret_cast<LPARAM>(&selectionOnLeave_.second));
    return false;
  }
  if (HIWORD(wp)) return false;  // minimised: no focus at all
  if (inside) return true;
  const HWND back = focusOnLeave_;
  if (IsChild(hwnd_, back) && IsWindowVisible(back) && IsWindowEnabled(back)) {
    ::SetFocus(back);
    if (hasSelection(back)) SendMessageA(back, EM_SETSEL, selectionOnLeave_.first, selectionOnLeave_.second);
    return true;
  }
  DefaultHandler(WM_ACTIVATE, wp, lp);
  FocusFirst();
  return true;
}

TForm* TForm::FormOf(HWND hwnd) {
  for (HWND w = hwnd; w; w = GetAncestor(w, GA_PARENT))
    if (auto* f = dynamic_cast<TForm*>(FromHandle(w))) return f;
  return nullptr;
}

TForm* TForm::ParentForm() const {
  for (TWinControl* p = parent_; p; p = p->Parent())
    if (auto* f = dynamic_cast<TForm*>(p)) return f;
  return nullptr;
}

TButton* TForm::DefaultButton() const { return FindButton(this, false); }

TButton* TForm::CancelButton() const { return FindButton(this, true); }

bool TForm::TakeModalResult(int result) {
  modalResult_ = result;
  return true;
}

bool TForm::IsShortCut(TShortCut sc) {
  if (OnShortCut) {
    bool handled = false;
    OnShortCut(sc, handled);
    if (handled) return true;
  }
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

bool TForm::SelectNext(bool forward) {
  std::vector<HWND> stops;
  CollectTabStops(hwnd_, stops);
  if (stops.empty()) return false;
  const HWND focus = GetFocus();
  // The innermost stop that holds the focus: a page's box, not its page control.
  size_t at = stops.size();
  for (size_t i = 0; i < stops.size(); ++i)
    if (focus && (stops[i] == focus || IsChild(stops[i], focus))) at = i;
  const size_t n = stops.size();
  size_t next = forward ? 0 : n - 1;
  if (at < n) next = forward ? (at + 1) % n : (at + n - 1) % n;
  FocusStop(stops[next]);
  return true;
}

bool TForm::Mnemonic(char letter) {
  if (!letter) return false;
  std::vector<TControl*> all;
  ForEachControl(this, [&](TControl* c) {
    all.push_back(c);
    return false;
  });
  // From the focused control on, so that a letter several captions share
  // steps through them.
  const TWinControl* focused = FromHandle(GetFocus());
  const auto from = std::find(all.begin(), all.end(), focused);
  const size_t start = from == all.end() ? 0 : size_t(from - all.begin()) + 1;
  const char wanted = UpperLetter(letter);
  for (size_t k = 0; k < all.size(); ++k) {
    const size_t i = (start + k) % all.size();
    TControl* c = all[i];
    if (!Usable(c)) continue;
    auto* label = dynamic_cast<TLabel*>(c);
    if (label && (label->Alignment & DT_NOPREFIX)) continue;
    if (MnemonicOf(c->Caption()) != wanted) continue;
    if (dynamic_cast<TButton*>(c) || dynamic_cast<TCheckBox*>(c)) {
      // As a click: the focus moves to it, a check box toggles, a radio button
      // is chosen. Painted whole afterwards: the system's box repaints only
      // its mark and text on a change, and the focus frame with them is lost.
      auto* button = static_cast<TWinControl*>(c);
      ShowFocusCues(button->Handle());
      SendMessageA(button->Handle(), BM_CLICK, 0, 0);
      button->Invalidate();
      return true;
    }
    if (auto* group = dynamic_cast<TGroupBox*>(c)) {
      std::vector<HWND> stops;
      CollectTabStops(group->Handle(), stops);
      if (stops.empty()) continue;
      FocusStop(stops.front());
      return true;
    }
    if (!label) continue;
    // A label names the control that follows it.
    for (size_t j = i + 1; j < all.size(); ++j) {
      auto* w = dynamic_cast<TWinControl*>(all[j]);
      if (!w || !w->TabStop || !w->CanFocus()) continue;
      FocusStop(w->Handle());
      return true;
    }
  }
  return false;
}

bool TForm::DialogKey(WORD key) {
  if (key == VK_RETURN) {
    auto* focused = dynamic_cast<TButton*>(FromHandle(GetFocus()));
    TButton* b = focused && FormOf(focused->Handle()) == this ? focused : DefaultButton();
    if (!b) return false;
    b->Click();
    return true;
  }
  if (key != VK_ESCAPE) return false;
  if (TButton* b = CancelButton()) {
    b->Click();
    return true;
  }
  if (!modal_) return false;
  // As the close box does: a form that asks first, or refuses while its
  // work runs, does so for Esc too.
  SendMessageA(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0);
  return true;
}

// ---- TApplication

TApplication::TApplication() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES};
  InitCommonControlsEx(&icc);
  InitSynchronize();
  SetExceptionHandler([](std::exception_ptr e) { Application().HandleException(e); });
  WNDCLASSA wc{};
  wc.lpfnWndProc = AppWndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TKvtApplication";
  RegisterClassA(&wc);
  // A top-level window of zero size that is never shown; not a message-only
  // window, which the system would not tell of activation.
  handle_ = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            wc.hInstance, nullptr);
  // Message boxes are captioned with the program's name until it says otherwise.
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n > 0 && n < sizeof path) {
    std::string name = path;
    name.erase(0, name.find_last_of("\\/") + 1);
    Title = name.substr(0, name.rfind('.'));
  }
}

void TApplication::HandleException(std::exception_ptr e) {
  if (OnException) {
    OnException(e);
    return;
  }
  std::string title = Title;
  if (title.empty() && MainForm) title = MainForm->Caption();
  MessageBoxA(GetActiveWindow(), ExceptionText(e).c_str(), title.c_str(), MB_OK | MB_ICONERROR);
}

LRESULT CALLBACK TApplication::AppWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ACTIVATEAPP) {
    try {
      Application().ActivateApp(wp != 0);
    } catch (...) {
      HandleCallbackException();
    }
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// Every top-level window of the program hears WM_ACTIVATEAPP; only the first
// of them to report a change fires the event.
void TApplication::ActivateApp(bool active) {
  if (active == active_) return;
  active_ = active;
  const TNotifyEvent& e = active ? OnActivate : OnDeactivate;
  if (e) e();
}

void TApplication::MainFormSized(WPARAM kind) {
  if (kind == SIZE_MINIMIZED) {
    if (minimized_) return;
    minimized_ = true;
    if (OnMinimize) OnMinimize();
  } else if (minimized_ && (kind == SIZE_RESTORED || kind == SIZE_MAXIMIZED)) {
    minimized_ = false;
    if (OnRestore) OnRestore();
  }
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
  try {
    ForEachControl(form, [](TControl* c) {
      c->UpdateFromAction();
      return false;
    });
  } catch (...) {
    HandleCallbackException();
  }
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
  try {
    if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && RouteKey(msg)) return true;
    if ((msg.message == WM_SYSCHAR || msg.message == WM_CHAR) && RouteMnemonic(msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  } catch (...) {
    HandleCallbackException();
  }
  return true;
}

bool TApplication::RouteKey(MSG& msg) {
  WORD key = static_cast<WORD>(msg.wParam);
  const unsigned shift = CurrentShiftState();
  if (TWinControl* focused = TWinControl::FromHandle(msg.hwnd); focused && focused->ClaimKey(key, shift))
    return false;
  if (!key) return true;
  TForm* outer = nullptr;
  for (TForm* f = TForm::FormOf(msg.hwnd); f; f = f->ParentForm()) {
    // A form with the focus itself sees the key as its own key event.
    if (f->Handle() != msg.hwnd && f->PreviewKey(key, shift)) return true;
    if (f->IsShortCut(ShortCutOfKey(key))) return true;
    if (msg.message == WM_KEYDOWN && f->DialogKey(key)) return true;
    // A docked form's own letters come before the menus and quick search of
    // the window it is docked in.
    if (f->ParentForm() && (shift & ssAlt) && !(shift & ssCtrl) && f->Mnemonic(LetterOfKey(key))) return true;
    outer = f;
  }
  msg.wParam = key;  // as a preview may have changed it
  if (!outer) return false;
  // Tab walks the whole window, docked forms included.
  if (key == VK_TAB && !(shift & (ssCtrl | ssAlt))) return outer->SelectNext(!(shift & ssShift));
  // The arrows move the focus as in a dialog.
  if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN)
    return IsDialogMessageA(outer->Handle(), &msg) != 0;
  return false;
}

// Alt+letter; the letter alone only where the focused control has no use
// for letters (it is no text, list or grid).
bool TApplication::RouteMnemonic(MSG& msg) {
  const auto letter = static_cast<unsigned char>(msg.wParam);
  if (letter <= ' ' || GetKeyState(VK_CONTROL) < 0) return false;
  if (msg.message == WM_CHAR &&
      (SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) &
       (DLGC_WANTCHARS | DLGC_WANTMESSAGE)))
    return false;
  TForm* outer = TForm::FormOf(msg.hwnd);
  while (outer && outer->ParentForm()) outer = outer->ParentForm();
  return outer && outer->Mnemonic(static_cast<char>(letter));
}
