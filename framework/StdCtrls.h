#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Controls.h"

constexpr int mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
              mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

enum class TBevelCut { None, Lowered, Raised };

// A container with an optional raised or lowered edge and a centred caption.
class TPanel : public TCustomControl {
 public:
  explicit TPanel(TWinControl* parent);
  TBevelCut BevelOuter = TBevelCut::Raised;
  bool ShowCaption = true;
  UINT Alignment = DT_CENTER;  // of the caption: DT_LEFT, DT_CENTER or DT_RIGHT

 protected:
  void Paint(TCanvas& c) override;
};

// Text without a window of its own.
class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TWinControl* parent, const std::string& caption = {});
  bool AutoSize = true;
  bool Transparent = true;
  UINT Alignment = DT_LEFT;
  void SetCaption(const std::string& s) override;
  void SetFont(const TFont& f) override;
  void PaintControl(TCanvas& c) override;
  // A left click on the text clicks the label (links are labels).
  void MouseUp(TMouseButton b, unsigned shift, int x, int y) override;

 private:
  void AdjustSize();
};

// A control over one of the system's standard window classes.
class TStdControl : public TWinControl {
 public:
  TStdControl(TWinControl* parent, const char* cls, DWORD style, int w, int h, DWORD exStyle = 0);
};

class TButton : public TStdControl {
 public:
  explicit TButton(TWinControl* parent, const std::string& caption = {});
  int ModalResult = mrNone;
  void SetDefault(bool d);
  bool Default() const { return default_; }
  bool Cancel = false;
  void Click() override;

 protected:
  bool HandleCommand(WORD code) override;

 private:
  bool default_ = false;
};

enum class TCheckBoxState { Unchecked, Checked, Grayed };

class TCheckBox : public TStdControl {
 public:
  explicit TCheckBox(TWinControl* parent, const std::string& caption = {});
  // Grayed is not checked.
  bool Checked() const;
  void SetChecked(bool c);
  // With AllowGrayed a click goes unchecked, checked, grayed, unchecked.
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool a);
  TCheckBoxState State() const;
  // Grayed also when AllowGrayed is off; the next click leaves it.
  void SetState(TCheckBoxState s);

 protected:
  TCheckBox(TWinControl* parent, const std::string& caption, DWORD style);
  bool HandleCommand(WORD code) override;
  void CheckedFromAction(bool c) override;

 private:
  bool allowGrayed_ = false;
};

class TRadioButton : public TCheckBox {
 public:
  explicit TRadioButton(TWinControl* parent, const std::string& caption = {});
};

class TGroupBox : public TStdControl {
 public:
  explicit TGroupBox(TWinControl* parent, const std::string& caption = {});

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

// The style of a memo: TEdit(parent, kMemoStyle). A multi-line edit wraps its
// lines unless ES_AUTOHSCROLL is given with it.
constexpr DWORD kMemoStyle = ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;

class TEdit : public TStdControl {
 public:
  explicit TEdit(TWinControl* parent, DWORD extraStyle = 0);
  std::string Text() const { return Caption(); }
  void SetText(const std::string& s) { SetCaption(s); }
  void SelectAll() { SendMessageA(hwnd_, EM_SETSEL, 0, -1); }
  void SetReadOnly(bool r) { SendMessageA(hwnd_, EM_SETREADONLY, r, 0); }
  // Made with ES_MULTILINE.
  bool Memo() const;
  bool ClaimKey(WORD& key, unsigned shift) override;
  TNotifyEvent OnChange;

 protected:
  bool HandleCommand(WORD code) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};


// Items of a list or combo box, kept in the window itself.
class TListItems {
 public:
  TListItems(HWND& hwnd, bool combo) : hwnd_(hwnd), combo_(combo) {}
  int Count() const;
  std::string operator[](int i) const;
  int Add(const std::string& s);
  void Insert(int i, const std::string& s);
  void Delete(int i);
  void Clear();
  int IndexOf(const std::string& s) const;
  std::vector<std::string> ToVector() const;

 private:
  HWND& hwnd_;
  bool combo_;
};

enum class TComboStyle { DropDown, DropDownList, Simple };

class TComboBox : public TStdControl {
 public:
  explicit TComboBox(TWinControl* parent, TComboStyle style = TComboStyle::DropDown);
  TListItems Items;
  std::string Text() const { return Caption(); }
  void SetText(const std::string& s) { SetCaption(s); }
  int ItemIndex() const { return static_cast<int>(SendMessageA(hwnd_, CB_GETCURSEL, 0, 0)); }
  void SetItemIndex(int i) { SendMessageA(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(i), 0); }
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int n);
  bool DroppedDown() const { return SendMessageA(hwnd_, CB_GETDROPPEDSTATE, 0, 0) != 0; }
  // A drop-down combo's focus is its inner edit's.
  bool Focused() const {
    HWND f = GetFocus();
    return f && (f == hwnd_ || IsChild(hwnd_, f));
  }
  bool ClaimKey(WORD& key, unsigned shift) override;
  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;

 protected:
  bool HandleCommand(WORD code) override;
  void BoundsChanged() override;
  // The edit inside a drop-down combo has the focus, so focus comes as notices.
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  int dropDownCount_ = 8;
};

// State bits of an owner-drawn item.
enum TOwnerDrawState : unsigned { odSelected = 1, odFocused = 2, odDisabled = 4 };

// extraStyle may hold LBS_OWNERDRAWFIXED or LBS_OWNERDRAWVARIABLE: the items
// are then drawn by OnDrawItem (or plainly when it is not set), each
// ItemHeight high or as OnMeasureItem says.
class TListBox : public TStdControl {
 public:
  explicit TListBox(TWinControl* parent, DWORD extraStyle = 0);
  TListItems Items;
  int ItemIndex() const { return static_cast<int>(SendMessageA(hwnd_, LB_GETCURSEL, 0, 0)); }
  void SetItemIndex(int i) { SendMessageA(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(i), 0); }
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int h);
  RECT ItemRect(int i) const;
  TNotifyEvent OnSelect;
  // The focus rectangle is drawn after it, as for every list.
  std::function<void(int index, const RECT&, unsigned state, TCanvas&)> OnDrawItem;
  std::function<void(int index, int& height)> OnMeasureItem;

 protected:
  bool HandleCommand(WORD code) override;
  bool HandleDrawItem(const DRAWITEMSTRUCT& item) override;
  bool HandleMeasureItem(MEASUREITEMSTRUCT& item) override;

 private:
  int itemHeight_ = 16;
};

// One of the system's icons (IDI_WARNING, IDI_QUESTION, ...) at its normal
// size; the control holds its own copy and releases it with itself.
class TSystemIcon : public TStdControl {
 public:
  TSystemIcon(TWinControl* parent, LPCSTR id);
  ~TSystemIcon() override;
  void SetIcon(LPCSTR id);
  HICON Icon() const { return icon_.Get(); }

 private:
  TIcon icon_;
};

// A windowless surface its owner paints in OnPaint.
class TPaintBox : public TGraphicControl {
 public:
  explicit TPaintBox(TWinControl* parent) : TGraphicControl(parent) {}
  std::function<void(TCanvas&)> OnPaint;
  void PaintControl(TCanvas& c) override {
    if (OnPaint) OnPaint(c);
  }
};

// A timer; it fires OnTimer on the thread that made it while Enabled.
class TTimer {
 public:
  TTimer() = default;
  ~TTimer() { Stop(); }
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;
  UINT Interval = 1000;
  std::function<void()> OnTimer;
  bool Enabled() const { return id_ != 0; }
  void SetEnabled(bool e);

 private:
  void Stop();
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
  UINT_PTR id_ = 0;
};
