#pragma once
#include <cstdint>
#include <string>

#include "controls/PylBitBtn.h"
#include "core/ToolRegistry.h"
#include "framework/Forms.h"

// What every docked tool window shares: the title panel in its alignment
// panel, painted in the active caption's colours while the focus is inside
// the window, and the window made the main window's active panel when the
// focus comes in.
class TToolWindow : public TForm, public ITool {
 public:
  // helpTopic: the page of the help file that the help button opens.
  TToolWindow(TWinControl* owner, const char* helpTopic);

  TPanel* pnlAlign;
  TPanel* pnlNameTools;
  // The bottom panel with Start (disabled at first) and the help button,
  // centred as a pair.
  TPanel* pnlTool;
  TPylBitBtn* btnStartOperation;
  TPylBitBtn* HelpButton;

  void SetAlignPanelVisible(bool visible) override { pnlAlign->SetVisible(visible); }

 protected:
  // The tool's controls are made after the bottom panel; Tab meets them first.
  void VisibleChanged() override;
  // The control a click on the title focuses.
  TWinControl* TitleFocus = nullptr;
  // The caption strip above an edit: its label.
  static TLabel* CaptionStrip(TWinControl* parent);
  // Sizes Start and Help to their captions and centres them; again after
  // every change of texts.
  void CentreButtons();

 private:
  void PaintTitle(bool active);
  void OpenHelp();
  const char* helpTopic_;
};

// The list the selection walk would walk: the active pane's own list, or
// the basket when the pane shows it; nil without an active pane.
TstateOfBrowser* ActiveSelectionList();
