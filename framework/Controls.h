#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/Graphics.h"

class TWinControl;
class TPopupMenu;
class TAction;

enum class TAlign { None, Top, Bottom, Left, Right, Client };
enum class TMouseButton { Left, Right, Middle };
// Modifier state of a key or mouse event.
enum TShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16 };
unsigned CurrentShiftState();

using TNotifyEvent = std::function<void()>;

// Limits of a control's size; 0 means no limit.
struct TSizeConstraints {
  int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
  // The size nearest to (w, h) within the limits.
  SIZE Fit(int w, int h) const;
  void Clear() { *this = {}; }
  bool operator==(const TSizeConstraints&) const = default;
};
using TMouseEvent = std::function<void(TMouseButton, unsigned shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(unsigned shift, int x, int y)>;
// The handler may set key to 0 to stop further handling.
using TKeyEvent = std::function<void(WORD& key, unsigned shift)>;

// The base of every control. A control is owned by its parent, which frees its
// children (last made first); freeing a child earlier takes it off the parent.
class TControl {
 public:
  // Told of every control that goes away, so that nothing points at it after.
  using TGoneHandler = void (*)(const TControl*);
  static void AddGoneHandler(TGoneHandler h);
  static void RemoveGoneHandler(TGoneHandler h);

  explicit TControl(TWinControl* parent);
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  TWinControl* Parent() const { return parent_; }
  // Moves the control, with its children, into another parent.
  void SetParent(TWinControl* parent);
  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.right - bounds_.left; }
  int Height() const { return bounds_.bottom - bounds_.top; }
  RECT BoundsRect() const { return bounds_; }
  virtual void SetBounds(int x, int y, int w, int h);
  void SetLeft(int x) { SetBounds(x, Top(), Width(), Height()); }
  void SetTop(int y) { SetBounds(Left(), y, Width(), Height()); }
  void SetWidth(int w) { SetBounds(Left(), Top(), w, Height()); }
  void SetHeight(int h) { SetBounds(Left(), Top(), Width(), h); }
  virtual RECT ClientRect() const { return {0, 0, Width(), Height()}; }

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Shown and every parent shown.
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool e);
  TAlign Align() const { return align_; }
  void SetAlign(TAlign a);
  // Every bounds change and every alignment keeps the size within these.
  const TSizeConstraints& Constraints() const { return constraints_; }
  void SetConstraints(const TSizeConstraints& c);

  const TFont& Font() const { return font_; }
  virtual void SetFont(const TFont& f);
  TColor Color() const { return color_; }
  virtual void SetColor(TColor c);
  virtual std::string Caption() const { return caption_; }
  virtual void SetCaption(const std::string& s);

  intptr_t Tag = 0;
  std::string Hint;
  bool ShowHint = false;
  bool ParentShowHint = true;  // without ShowHint, the parent's decides
  TPopupMenu* PopupMenu = nullptr;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  virtual void Invalidate();
  // OnClick when set, else the linked action.
  virtual void Click();
  // A linked action lends the control its caption, hint, enabled and visible
  // state, brought up to date by UpdateFromAction (the loop does so when idle).
  TAction* Action() const { return action_; }
  void SetAction(TAction* a);
  void UpdateFromAction();
  // Client point of this control in its parent's client area, and back.
  POINT ClientToParent(POINT p) const { return {p.x + Left(), p.y + Top()}; }

  // Called by the windowed parent for windowless controls.
  virtual void MouseDown(TMouseButton b, unsigned shift, int x, int y);
  virtual void MouseUp(TMouseButton b, unsigned shift, int x, int y);
  virtual void MouseMove(unsigned shift, int x, int y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void PaintControl(TCanvas&) {}
  virtual bool IsWindowed() const { return false; }

 protected:
  // A linked action's checked state; check boxes and grouped buttons show it.
  virtual void CheckedFromAction(bool) {}
  virtual void BoundsChanged() {}
  virtual void FontChanged() {}
  virtual void VisibleChanged() {}
  virtual void EnabledChanged() {}
  virtual void ParentChanged() {}
  void RequestAlign();

  TWinControl* parent_;
  RECT bounds_{0, 0, 0, 0};
  bool visible_ = true;
  bool enabled_ = true;
  TAlign align_ = TAlign::None;
  TSizeConstraints constraints_;
  TFont font_;
  TColor color_ = clBtnFace;
  std::string caption_;
  TAction* action_ = nullptr;

  friend class TWinControl;
};

// A control with a window of its own. The program's own controls use one
// registered class and are bound at WM_NCCREATE, so the object sees every
// message from then on; standard Windows controls are subclassed through
// SetWindowSubclass, so that a later subclass by anyone else leaves the
// object in the chain and findable. The window goes before the object: the
// object sees WM_DESTROY, and a window destroyed from outside leaves an
// object without one.
class TWinControl : public TControl {
 public:
  explicit TWinControl(TWinControl* parent);
  ~TWinControl() override;

  HWND Handle() const { return hwnd_; }
  HWND ParentHandle() const;
  const std::vector<TControl*>& Controls() const { return controls_; }
  // The object of one of our windows; a drop-down combo's inner edit gives
  // the combo.
  static TWinControl* FromHandle(HWND hwnd);
  // The windowless child at a client point, or nullptr.
  TControl* ControlAtPos(int x, int y) const { return GraphicAt(x, y); }

  void SetBounds(int x, int y, int w, int h) override;
  RECT ClientRect() const override;
  std::string Caption() const override;
  void SetCaption(const std::string& s) override;
  void Invalidate() override;
  bool IsWindowed() const override { return true; }

  bool Focused() const { return hwnd_ && GetFocus() == hwnd_; }
  virtual bool CanFocus() const;
  virtual void SetFocus();
  // Lays out the aligned children: top, bottom, left, right, then client,
  // each kind in the order the children were made.
  void Realign();
  // The focused control's first say on a key, before any form sees it: true
  // keeps the key for the control's own window; a key set to 0 was used up.
  // By default the control's dialog codes decide (Enter and Esc for
  // DLGC_WANTALLKEYS, the arrows for DLGC_WANTARROWS, Tab for DLGC_WANTTAB).
  virtual bool ClaimKey(WORD& key, unsigned shift);
  // A button's modal result goes up to the form that holds it.
  virtual bool TakeModalResult(int result) { return parent_ && parent_->TakeModalResult(result); }
  // Bounds of several aligned children can change with the layout held, and
  // the children are then aligned once when the last hold ends.
  void DisableAlign() { ++alignHold_; }
  void EnableAlign();

  bool TabStop = false;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  // The focus came into this control or any of its descendants from a window
  // outside it, or went from inside it to a window outside: what a container
  // (a docked form, a panel) needs to know. Outer controls hear of an entry
  // first and of an exit last.
  TNotifyEvent OnFocusEnter;
  TNotifyEvent OnFocusExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  std::function<void(char& key)> OnKeyPress;
  TNotifyEvent OnResize;

 protected:
  // Makes the window. cls == nullptr: the program's own window class.
  void CreateWnd(const char* cls, DWORD style, DWORD exStyle = 0);
  // A window of the control's own besides its main one (a drop-down combo's
  // edit): its key messages reach the control's key events.
  void AdoptInnerWindow(HWND inner);
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT DefaultHandler(UINT msg, WPARAM wp, LPARAM lp);
  // The key events of a key message; true when a handler used the key up.
  bool KeyMessage(UINT msg, WPARAM& wp);
  // A WM_COMMAND or WM_NOTIFY the parent sent back to its control; true when handled.
  virtual bool HandleCommand(WORD code) {
    (void)code;
    return false;
  }
  virtual bool HandleNotify(NMHDR* hdr, LRESULT& result) {
    (void)hdr;
    (void)result;
    return false;
  }
  // An owner-drawn control's WM_DRAWITEM and WM_MEASUREITEM, sent back by the
  // parent; true when handled. WM_MEASUREITEM names its control only by id.
  virtual bool HandleDrawItem(const DRAWITEMSTRUCT& item) {
    (void)item;
    return false;
  }
  virtual bool HandleMeasureItem(MEASUREITEMSTRUCT& item) {
    (void)item;
    return false;
  }
  // Gives the window an id of its own among its siblings, so that messages
  // that name a control only by id find it.
  void SetUniqueId();
  // Colour of a child standard control, or nullptr for the system's.
  virtual HBRUSH CtlColor(HDC dc);
  // Paints the window's own face; windowless children are painted after it.
  virtual void Paint(TCanvas&) {}
  virtual void DoKeyDown(WORD& key, unsigned shift);
  virtual void DoEnter();
  virtual void DoExit();
  virtual void DoFocusEnter();
  virtual void DoFocusExit();
  void BoundsChanged() override;
  void FontChanged() override;
  void VisibleChanged() override;
  void EnabledChanged() override;
  void ParentChanged() override;

  HWND hwnd_ = nullptr;
  bool ownClass_ = false;
  WORD keyEventDone_ = 0;  // its key event already ran for this key press

 private:
  // A system control that paints itself and then our windowless children.
  friend class TGroupBox;
  static LRESULT CALLBACK OwnClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
  // Every message of our windows comes through here; no exception leaves.
  LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  void MarkDestroying();
  // This window got (entering) or lost the focus; other is the window that
  // lost or gets it.
  void FocusMoved(HWND other, bool entering);
  void PaintWindow();
  // Background, Paint, then the windowless children, for a client area.
  void PaintTo(HDC dc, const RECT& area);
  void PaintGraphicChildren(HDC dc, const RECT& area);
  bool RouteMouse(UINT msg, LPARAM lp);
  TControl* GraphicAt(int x, int y) const;
  void AddControl(TControl* c) { controls_.push_back(c); }
  void RemoveControl(TControl* c);

  std::vector<TControl*> controls_;
  TControl* mouseControl_ = nullptr;    // windowless child under the pointer
  TControl* captureControl_ = nullptr;  // windowless child holding the mouse
  bool tracking_ = false;
  bool aligning_ = false;
  bool destroying_ = false;  // its handlers and its owner may be gone already
  bool painting_ = false;    // inside BeginPaint
  int alignHold_ = 0;

  friend class TControl;
};

// A windowless control painted by its parent (never takes the focus).
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TWinControl* parent) : TControl(parent) {}
  bool MouseInControl() const { return mouseIn_; }
  void MouseEnter() override;
  void MouseLeave() override;

 protected:
  void BoundsChanged() override { Invalidate(); }
  void VisibleChanged() override;
  void EnabledChanged() override { Invalidate(); }
  bool mouseIn_ = false;
};

// A windowed control of the program's own class, painted by its Paint.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TWinControl* parent, DWORD style = 0, DWORD exStyle = 0);
};
