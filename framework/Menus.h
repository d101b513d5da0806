#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Graphics.h"

// A shortcut: virtual key in the low byte with modifier bits.
using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
constexpr TShortCut ShortCut(WORD key, TShortCut mods = 0) { return static_cast<TShortCut>(key | mods); }
// The shortcut a key press with the current modifier state makes.
TShortCut ShortCutOfKey(WORD key);
// The characters a key press gives with the keyboard layout and the Shift and
// Caps Lock state, as if Ctrl and Alt were up; "" for a key that types nothing.
std::string KeyCharacters(WORD key);
// Text for a menu ("Ctrl+Shift+F5").
std::string ShortCutToText(TShortCut sc);

// A command that menu items and keys can share.
class TAction {
 public:
  std::string Caption;
  std::string Hint;
  TShortCut ShortCut = 0;
  bool Enabled = true;
  bool Checked = false;
  bool Visible = true;
  intptr_t Tag = 0;
  std::function<void()> OnExecute;
  std::function<void(TAction&)> OnUpdate;
  // Updates, then runs when enabled; false when nothing ran.
  bool Execute();
  void Update() {
    if (OnUpdate) OnUpdate(*this);
  }
};

class TActionList {
 public:
  TAction* Add(const std::string& caption, TShortCut sc, std::function<void()> onExecute);
  const std::vector<std::unique_ptr<TAction>>& Actions() const { return actions_; }
  // Runs the action whose shortcut matches; true when one ran.
  bool IsShortCut(TShortCut sc);

 private:
  std::vector<std::unique_ptr<TAction>> actions_;
};

// A menu item; items own their sub-items and can be added and removed at run time.
class TMenuItem {
 public:
  TMenuItem();
  ~TMenuItem();
  TMenuItem(const TMenuItem&) = delete;
  TMenuItem& operator=(const TMenuItem&) = delete;

  std::string Caption;  // "-" is a separator
  TShortCut ShortCut = 0;
  bool Enabled = true;
  bool Checked = false;
  bool RadioItem = false;
  bool Visible = true;
  bool Default = false;
  intptr_t Tag = 0;
  TAction* Action = nullptr;
  std::function<void()> OnClick;
  // Its popup is opening: the handler may set the sub-items' states first.
  std::function<void()> OnPopup;
  // Drawn beside the caption; the item owns it.
  void SetBitmap(HBITMAP bmp) { bitmap_.Reset(bmp); }
  HBITMAP Bitmap() const { return static_cast<HBITMAP>(bitmap_.Get()); }

  TMenuItem* Add(const std::string& caption, std::function<void()> onClick = {}, TShortCut sc = 0);
  void Delete(size_t index);
  void Clear() { items_.clear(); }
  size_t Count() const { return items_.size(); }
  TMenuItem* Item(size_t i) const { return items_[i].get(); }
  UINT Command() const { return id_; }
  void Click();
  // Builds a fresh menu handle of the sub-items (the caller owns it).
  HMENU BuildMenu(bool popup) const;
  // A popup of ours is opening (WM_INITMENUPOPUP): its items are made again
  // from their items and actions, so that they show the state of now.
  static void InitPopup(HMENU popup);
  // Finds the item below this one whose shortcut matches and clicks it.
  bool IsShortCut(TShortCut sc);
  // A WM_COMMAND of a menu reached a window: the item with that id is clicked.
  static bool DispatchCommand(UINT id);

 private:
  void FillMenu(HMENU m) const;
  std::vector<std::unique_ptr<TMenuItem>> items_;
  UINT id_;
  TGdiObject bitmap_;
};

// The menu bar of a form.
class TMainMenu {
 public:
  TMainMenu() = default;
  ~TMainMenu();
  TMenuItem Items;
  // False: the form shows no bar (a menu toolbar stands in for it) and the
  // items serve only their shortcuts.
  bool ShowBar = true;
  // Rebuilds the bar of the window after the items were changed.
  void Attach(HWND form);

 private:
  HWND form_ = nullptr;
  TMenuHandle bar_;
};

class TPopupMenu {
 public:
  TMenuItem Items;
  std::function<void()> OnPopup;
  // Shows the menu at a screen point; the chosen item is clicked.
  void Popup(int x, int y, HWND owner = nullptr);
};
