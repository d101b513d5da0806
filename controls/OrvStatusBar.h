#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/StdCtrls.h"

enum TOrvStatusPanelBevel { SP_BEVEL_NONE = 0, SP_BEVEL_LOWERED = 1, SP_BEVEL_RAISED = 2 };

struct TStatusPanel {
  std::string Text;
  int Width = 50;
  TOrvStatusPanelBevel Bevel = SP_BEVEL_LOWERED;
};

// The system's status bar whose simple (one-part) text can be drawn without
// a border, raised or sunken.
class TOrvStatusBar : public TStdControl {
 public:
  explicit TOrvStatusBar(TWinControl* parent);

  const std::string& SimpleText() const { return simpleText_; }
  void SetSimpleText(const std::string& s);
  bool SimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool s);
  TOrvStatusPanelBevel Bevel() const { return bevel_; }
  void SetBevel(TOrvStatusPanelBevel b);
  std::vector<TStatusPanel> Panels;  // call PanelsChanged after editing
  void PanelsChanged();

 private:
  void SendSimpleText();
  std::string simpleText_;
  bool simplePanel_ = true;
  TOrvStatusPanelBevel bevel_ = SP_BEVEL_LOWERED;
};
