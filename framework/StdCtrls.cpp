#include "framework/StdCtrls.h"

#include <map>

#include "framework/SystemError.h"

// ---- TPanel

TPanel::TPanel(TWinControl* parent) : TCustomControl(parent) {
  SetBounds(0, 0, 185, 41);
}

void TPanel::Paint(TCanvas& c) {
  RECT r = ClientRect();
  if (BevelOuter != TBevelCut::None) c.DrawEdge(r, BevelOuter == TBevelCut::Raised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
  if (!ShowCaption || caption_.empty()) return;
  SetBkMode(c.Handle(), TRANSPARENT);
  if (Alignment != DT_CENTER) InflateRect(&r, -4, 0);
  c.CaptionOut(r, caption_, Alignment | DT_VCENTER | DT_NOPREFIX);
}

// ---- TLabel

TLabel::TLabel(TWinControl* parent, const std::string& caption) : TGraphicControl(parent) {
  caption_ = caption;
  AdjustSize();
}

void TLabel::SetCaption(const std::string& s) {
  caption_ = s;
  AdjustSize();
  Invalidate();
}

void TLabel::SetFont(const TFont& f) {
  TGraphicControl::SetFont(f);
  AdjustSize();
}

void TLabel::AdjustSize() {
  if (!AutoSize) return;
  const std::string shown = (Alignment & DT_NOPREFIX) ? caption_ : WithoutMnemonic(caption_);
  const SIZE sz = ScreenTextExtent(font_, shown.empty() ? " " : shown);
  SetBounds(Left(), Top(), caption_.empty() ? 0 : static_cast<int>(sz.cx), sz.cy);
}

void TLabel::MouseUp(TMouseButton b, unsigned shift, int x, int y) {
  TGraphicControl::MouseUp(b, shift, x, y);
  if (b == TMouseButton::Left && enabled_ && x >= 0 && y >= 0 && x < Width() && y < Height()) Click();
}

void TLabel::PaintControl(TCanvas& c) {
  RECT r = ClientRect();
  if (!Transparent) c.FillRect(r);
  SetBkMode(c.Handle(), TRANSPARENT);
  if (!enabled_) SetTextColor(c.Handle(), GetSysColor(COLOR_GRAYTEXT));
  if (AutoSize) {
    c.CaptionOut(r, caption_, Alignment);
  } else {
    DrawTextA(c.Handle(), caption_.c_str(), -1, &r, Alignment | DT_WORDBREAK);
  }
}

// ---- standard controls

TStdControl::TStdControl(TWinControl* parent, const char* cls, DWORD style, int w, int h, DWORD exStyle)
    : TWinControl(parent) {
  bounds_ = {0, 0, w, h};
  CreateWnd(cls, style, exStyle);
}

TButton::TButton(TWinControl* parent, const std::string& caption)
    : TStdControl(parent, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 75, 25) {
  TabStop = true;
  SetCaption(caption);
}

void TButton::SetDefault(bool d) {
  default_ = d;
  SendMessageA(hwnd_, BM_SETSTYLE, d ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (ModalResult != mrNone) TakeModalResult(ModalResult);
  TStdControl::Click();
}

bool TButton::HandleCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  Click();
  return true;
}

TCheckBox::TCheckBox(TWinControl* parent, const std::string& caption)
    : TCheckBox(parent, caption, BS_AUTOCHECKBOX | WS_TABSTOP) {}

TCheckBox::TCheckBox(TWinControl* parent, const std::string& caption, DWORD style)
    : TStdControl(parent, "BUTTON", style, 97, 17) {
  TabStop = true;
  SetCaption(caption);
}

bool TCheckBox::Checked() const { return SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool c) { SetState(c ? TCheckBoxState::Checked : TCheckBoxState::Unchecked); }

TCheckBoxState TCheckBox::State() const {
  switch (SendMessageA(hwnd_, BM_GETCHECK, 0, 0)) {
    case BST_CHECKED:
      return TCheckBoxState::Checked;
    case BST_INDETERMINATE:
      return TCheckBoxState::Grayed;
    default:
      return TCheckBoxState::Unchecked;
  }
}

void TCheckBox::SetState(TCheckBoxState s) {
  if (s == State()) return;
  static constexpr WPARAM kCheck[] = {BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE};
  SendMessageA(hwnd_, BM_SETCHECK, kCheck[static_cast<int>(s)], 0);
  Click();  // a change from code fires as a click does
}

void TCheckBox::SetAllowGrayed(bool a) {
  allowGrayed_ = a;
  SendMessageA(hwnd_, BM_SETSTYLE, a ? BS_AUTO3STATE : BS_AUTOCHECKBOX, TRUE);
}

// Shown without a click: the action was not run.
void TCheckBox::CheckedFromAction(bool c) {
  SendMessageA(hwnd_, BM_SETCHECK, c ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::HandleCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  Click();
  return true;
}

TRadioButton::TRadioButton(TWinControl* parent, const std::string& caption)
    : TCheckBox(parent, caption, BS_AUTORADIOBUTTON | WS_TABSTOP) {}

TGroupBox::TGroupBox(TWinControl* parent, const std::string& caption)
    : TStdControl(parent, "BUTTON", BS_GROUPBOX | WS_CLIPSIBLINGS, 185, 105, WS_EX_CONTROLPARENT) {
  SetCaption(caption);
}

// The system's group box paints only its frame; its inside is ours to fill.
LRESULT TGroupBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) {
    TCanvas c(reinterpret_cast<HDC>(wp));
    c.SetBrushColor(color_);
    c.FillRect(ClientRect());
    return 1;
  }
  if (msg != WM_PAINT) return TStdControl::WndProc(msg, wp, lp);
  // The system paints the frame; the labels inside are ours to paint.
  const LRESULT result = TStdControl::WndProc(msg, wp, lp);
  if (TWindowDC dc(hwnd_); dc.Get()) PaintGraphicChildren(dc.Get(), ClientRect());
  return result;
}

TEdit::TEdit(TWinControl* parent, DWORD extraStyle)
    : TStdControl(parent, "EDIT", ((extraStyle & ES_MULTILINE) ? 0 : ES_AUTOHSCROLL) | WS_TABSTOP | extraStyle,
                  121, (extraStyle & ES_MULTILINE) ? 89 : 21, WS_EX_CLIENTEDGE) {
  TabStop = true;
  color_ = clWindow;
}

bool TEdit::Memo() const { return (GetWindowLongPtrA(hwnd_, GWL_STYLE) & ES_MULTILINE) != 0; }

// The editing keys stay with the edit even where a form binds them; Esc
// (and Enter where it makes a new line) stay with a memo.
bool TEdit::ClaimKey(WORD& key, unsigned shift) {
  if (shift & ssAlt) return false;
  switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_DELETE:
    case VK_BACK:
      return true;
    case VK_INSERT:
      return (shift & (ssCtrl | ssShift)) != 0;
    case 'A':
    case 'C':
    case 'V':
    case 'X':
    case 'Z':
      return (shift & (ssCtrl | ssShift)) == ssCtrl;
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
      return Memo();
    case VK_RETURN:
      return Memo() && (GetWindowLongPtrA(hwnd_, GWL_STYLE) & ES_WANTRETURN);
    default:
      return false;
  }
}

LRESULT TEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_KEYDOWN) {
    // The system's memo sends its parent WM_CLOSE on Esc once it has been
    // asked for its dialog codes; Esc does nothing else for it.
    if (wp == VK_ESCAPE && Memo()) {
      KeyMessage(msg, wp);
      return 0;
    }
    // The system's edit has no select-all key of its own.
    if (wp == 'A' && (CurrentShiftState() & (ssCtrl | ssShift | ssAlt)) == ssCtrl) {
      if (!KeyMessage(msg, wp)) SelectAll();
      return 0;
    }
  }
  return TStdControl::WndProc(msg, wp, lp);
}

bool TEdit::HandleCommand(WORD code) {
  if (code != EN_CHANGE) return false;
  if (OnChange) OnChange();
  return true;
}

// ---- list items

int TListItems::Count() const {
  return static_cast<int>(SendMessageA(hwnd_, combo_ ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
}

std::string TListItems::operator[](int i) const {
  const LRESULT len = SendMessageA(hwnd_, combo_ ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
  if (len < 0) return {};
  std::string s(static_cast<size_t>(len) + 1, '\0');
  const LRESULT got = SendMessageA(hwnd_, combo_ ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i),
                                   reinterpret_cast<LPARAM>(s.data()));
  s.resize(got < 0 ? 0 : static_cast<size_t>(got));
  return s;
}

int TListItems::Add(const std::string& s) {
  return static_cast<int>(
      SendMessageA(hwnd_, combo_ ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str())));
}

void TListItems::Insert(int i, const std::string& s) {
  SendMessageA(hwnd_, combo_ ? CB_INSERTSTRING : LB_INSERTSTRING, static_cast<WPARAM>(i),
               reinterpret_cast<LPARAM>(s.c_str()));
}

void TListItems::Delete(int i) {
  SendMessageA(hwnd_, combo_ ? CB_DELETESTRING : LB_DELETESTRING, static_cast<WPARAM>(i), 0);
}

void TListItems::Clear() { SendMessageA(hwnd_, combo_ ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0); }

int TListItems::IndexOf(const std::string& s) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (lstrcmpiA((*this)[i].c_str(), s.c_str()) == 0) return i;
  return -1;
}

std::vector<std::string> TListItems::ToVector() const {
  std::vector<std::string> v;
  for (int i = 0, n = Count(); i < n; ++i) v.push_back((*this)[i]);
  return v;
}

// ---- combo and list boxes

namespace {
DWORD ComboStyleBits(TComboStyle s) {
  switch (s) {
    case TComboStyle::DropDownList:
      return CBS_DROPDOWNLIST;
    case TComboStyle::Simple:
      return CBS_SIMPLE;
    default:
      return CBS_DROPDOWN;
  }
}
}  // namespace

TComboBox::TComboBox(TWinControl* parent, TComboStyle style)
    : TStdControl(parent, "COMBOBOX", ComboStyleBits(style) | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 145, 21),
      Items(hwnd_, true) {
  TabStop = true;
  color_ = clWindow;
  SetDropDownCount(8);
  if (style == TComboStyle::DropDown) AdoptInnerWindow(GetWindow(hwnd_, GW_CHILD));
}

// Enter and Esc close an open list; otherwise its key event sees them before
// any form's buttons do.
bool TComboBox::ClaimKey(WORD& key, unsigned shift) {
  if (key != VK_RETURN && key != VK_ESCAPE) return TStdControl::ClaimKey(key, shift);
  if (DroppedDown()) return true;
  const WORD pressed = key;
  DoKeyDown(key, shift);
  keyEventDone_ = pressed;  // not again when the key reaches the window
  return false;
}

void TComboBox::SetDropDownCount(int n) {
  dropDownCount_ = n;
  BoundsChanged();
}

// The window's height includes the list: it is the visible field plus the drop-down.
void TComboBox::BoundsChanged() {
  if (!hwnd_) return;
  const int item = static_cast<int>(SendMessageA(hwnd_, CB_GETITEMHEIGHT, 0, 0));
  MoveWindow(hwnd_, bounds_.left, bounds_.top, Width(), Height() + item * dropDownCount_ + 2, TRUE);
}

bool TComboBox::HandleCommand(WORD code) {
  switch (code) {
    case CBN_EDITCHANGE:
      if (OnChange) OnChange();
      return true;
    case CBN_SELCHANGE:
      if (OnSelect) OnSelect();
      if (OnChange) OnChange();
      return true;
    case CBN_SETFOCUS:
      DoEnter();
      return true;
    case CBN_KILLFOCUS:
      DoExit();
      return true;
    default:
      return false;
  }
}

LRESULT TComboBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS) return DefaultHandler(msg, wp, lp);
  return TStdControl::WndProc(msg, wp, lp);
}

namespace {
constexpr DWORD kOwnerDraw = LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE;
DWORD ListStyle(DWORD extra) { return (extra & kOwnerDraw) ? extra | LBS_HASSTRINGS : extra; }
}  // namespace

TListBox::TListBox(TWinControl* parent, DWORD extraStyle)
    : TStdControl(parent, "LISTBOX",
                  LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT | ListStyle(extraStyle), 121, 97,
                  WS_EX_CLIENTEDGE),
      Items(hwnd_, false) {
  TabStop = true;
  color_ = clWindow;
  if (!(extraStyle & kOwnerDraw)) return;
  // A variable list measures each item as it comes, and finds us by id.
  SetUniqueId();
  // The list asked its parent for the height while it was being made, before
  // anyone could answer.
  if (extraStyle & LBS_OWNERDRAWFIXED) SetItemHeight(itemHeight_);
}

void TListBox::SetItemHeight(int h) {
  itemHeight_ = h;
  if (GetWindowLongPtrA(hwnd_, GWL_STYLE) & LBS_OWNERDRAWFIXED) {
    SendMessageA(hwnd_, LB_SETITEMHEIGHT, 0, MAKELPARAM(h, 0));
    Invalidate();
  }
}

RECT TListBox::ItemRect(int i) const {
  RECT r{};
  SendMessageA(hwnd_, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
  return r;
}

bool TListBox::HandleCommand(WORD code) {
  if (code != LBN_SELCHANGE) return false;
  if (OnSelect) OnSelect();
  return true;
}

bool TListBox::HandleDrawItem(const DRAWITEMSTRUCT& item) {
  TCanvas c(item.hDC);
  c.SetFont(font_);
  const int index = static_cast<int>(item.itemID);
  if (index >= 0 && (item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) {
    unsigned state = 0;
    if (item.itemState & ODS_SELECTED) state |= odSelected;
    if (item.itemState & ODS_FOCUS) state |= odFocused;
    if (item.itemState & ODS_DISABLED) state |= odDisabled;
    if (OnDrawItem) {
      OnDrawItem(index, item.rcItem, state, c);
    } else {
      const bool selected = (state & odSelected) != 0;
      c.SetBrushColor(selected ? clHighlight : color_);
      TFont f = font_;
      f.Color = selected ? clHighlightText : font_.Color;
      c.SetFont(f);
      c.TextRect(item.rcItem, item.rcItem.left + 2, item.rcItem.top, Items[index]);
    }
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
  return true;
}

bool TListBox::HandleMeasureItem(MEASUREITEMSTRUCT& item) {
  int h = itemHeight_;
  if (OnMeasureItem) OnMeasureItem(static_cast<int>(item.itemID), h);
  item.itemHeight = static_cast<UINT>(h);
  return true;
}

// ---- TTimer

namespace {
std::map<UINT_PTR, TTimer*>& LiveTimers() {
  static std::map<UINT_PTR, TTimer*> timers;
  return timers;
}
}  // namespace

void TTimer::SetEnabled(bool e) {
  Stop();
  if (!e || !Interval) return;
  id_ = SetTimer(nullptr, 0, Interval, &TimerProc);
  if (id_) LiveTimers()[id_] = this;
}

void TTimer::Stop() {
  if (!id_) return;
  KillTimer(nullptr, id_);
  LiveTimers().erase(id_);
  id_ = 0;
}

void CALLBACK TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  auto found = LiveTimers().find(id);
  if (found == LiveTimers().end() || !found->second->OnTimer) return;
  try {
    found->second->OnTimer();
  } catch (...) {
    HandleCallbackException();
  }
}

TSystemIcon::TSystemIcon(TWinControl* parent, LPCSTR id)
    : TStdControl(parent, "STATIC", SS_ICON, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)) {
  SetIcon(id);
}

TSystemIcon::~TSystemIcon() { SendMessageA(hwnd_, STM_SETICON, 0, 0); }

void TSystemIcon::SetIcon(LPCSTR id) {
  // The system's icons are shared; a copy of our own is ours to release.
  TIcon copy(CopyIcon(LoadIconA(nullptr, id)));
  SendMessageA(hwnd_, STM_SETICON, WPARAM(copy.Get()), 0);
  icon_ = std::move(copy);
}
