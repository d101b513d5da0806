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
using TMouseEvent = std::function<void(TMouseButton, unsigned shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(unsigned shift, int x, int y)>;
// The handler may set key to 0 to stop further handling.
using TKeyEvent = std::function<void(WORD& key, unsigned shift)>;

// The base of every control. A control is owned by its parent, which frees its
// children (last made first); freeing a child earlier takes it off the parent.
class TControl {
 public:
  explicit TControl(TWinControl* parent);
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  TWinControl* Parent() const { return parent_; }
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
  void RequestAlign();

  TWinControl* parent_;
  RECT bounds_{0, 0, 0, 0};
  bool visible_ = true;
  bool enabled_ = true;
  TAlign align_ = TAlign::None;
  TFont font_;
  TColor color_ = clBtnFace;
  std::string caption_;
  TAction* action_ = nullptr;

  friend class TWinControl;
};

// A control with a window of its own. Standard Windows controls are subclassed;
// the program's own controls use one registered class. Either way a single
// static window procedure finds the object through GWLP_USERDATA.
class TWinControl : public TControl {
 public:
  explicit TWinControl(TWinControl* parent);
  ~TWinControl() override;

  HWND Handle() const { return hwnd_; }
  HWND ParentHandle() const;
  const std::vector<TControl*>& Controls() const { return controls_; }
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
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT DefaultHandler(UINT msg, WPARAM wp, LPARAM lp);
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

  HWND hwnd_ = nullptr;
  bool ownClass_ = false;

 private:
  static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT SafeWndProc(UINT msg, WPARAM wp, LPARAM lp);
  // This window got (entering) or lost the focus; other is the window that
  // lost or gets it.
  void FocusMoved(HWND other, bool entering);
  void PaintWindow();
  bool RouteMouse(UINT msg, LPARAM lp);
  TControl* GraphicAt(int x, int y) const;
  void AddControl(TControl* c) { controls_.push_back(c); }
  void RemoveControl(TControl* c);

  WNDPROC oldProc_ = nullptr;
  std::vector<TControl*> controls_;
  TControl* mouseControl_ = nullptr;    // windowless child under the pointer
  TControl* captureControl_ = nullptr;  // windowless child holding the mouse
  TGdiObject brush_;
  bool tracking_ = false;
  bool aligning_ = false;

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
