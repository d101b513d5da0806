#pragma once
#include <vector>

#include "framework/Controls.h"
#include "framework/Menus.h"

// One flat button of a menu toolbar, standing for a top-level menu item.
class TMenuBarButton : public TGraphicControl {
 public:
  TMenuBarButton(TWinControl* parent, TMenuItem* item) : TGraphicControl(parent), item_(item) {}
  TMenuItem* Item() const { return item_; }
  bool Dropped = false;
  void PaintControl(TCanvas& c) override;
  void MouseDown(TMouseButton b, unsigned shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  TMenuItem* item_;
};

// A toolbar in place of a form's menu bar: one flat button per top-level item
// of a menu, captioned as the item, dropping its submenu under it.
class TMenuToolBar : public TCustomControl {
 public:
  explicit TMenuToolBar(TWinControl* parent);
  // Makes the buttons again from the menu's visible top-level items, with
  // their current captions, and lays them out.
  void SetMenu(TMenuItem* items);
  const std::vector<TMenuBarButton*>& Buttons() const { return buttons_; }
  // Each button as wide as its caption in the bar's font and one and a half
  // font heights high; the bar as wide as the buttons and 5 pixels more.
  void Arrange();
  // Opens the submenu of button index under it; the chosen item runs.
  void DropDown(size_t index);
  // Opens the submenu whose caption has ch as its accelerator; false when none has.
  bool DropDownByAccel(char ch);
  // The submenu open now, or -1.
  int DroppedIndex() const { return dropped_; }

 private:
  std::vector<TMenuBarButton*> buttons_;
  TMenuItem* menu_ = nullptr;
  int dropped_ = -1;
};

// A row of bands (toolbars, panels) laid side by side in the order they were
// made, one pixel apart, starting a new row where a band no longer fits; the
// bar takes the height of its rows.
class TControlBar : public TCustomControl {
 public:
  explicit TControlBar(TWinControl* parent);
  // The band takes what is left of its row; its width now is the least it
  // needs to share a row.
  void SetFillsRow(TControl* band) { fills_.push_back({band, band->Width()}); }
  void ArrangeBands();

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  struct TFill {
    TControl* band;
    int minWidth;
  };
  std::vector<TFill> fills_;
  bool arranging_ = false;
};
