#pragma once
#include <cstdint>
#include <functional>

#include "controls/ButtonsNew.h"
#include "core/Drives.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"

// One drive's button of a drive bar; Tag is the drive's index in the list.
class TDriveButton : public TSpeedButtonNew {
 public:
  explicit TDriveButton(TWinControl* parent) : TSpeedButtonNew(parent) {}
};

// The bar's drop-down button that opens its menu.
class TDriveMenuButton : public TSpeedButtonNew {
 public:
  TDriveMenuButton(TWinControl* parent, HIMAGELIST images, TPopupMenu* menu);
  void Click() override;
  void PaintControl(TCanvas& c) override;

 private:
  HIMAGELIST images_;
  TPopupMenu* menu_;
};

// Fills a panel with one button per drive (the one of downIndex down) and the menu button.
void BuildDriveBar(TWinControl* panel, const TDriveList& drives, int downIndex, HIMAGELIST images,
                   TPopupMenu* menu, const std::function<void(TDriveButton*)>& onClick);
// Places the buttons and the panel's children of Tag -1 in rows and sets the
// panel's height; layout is the "Layout" option word (0x08: drive combo shown).
void ArrangeDriveBar(TWinControl* panel, uint32_t layout);
