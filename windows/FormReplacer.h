#pragma once
#include <string>

#include "controls/PylBitBtn.h"
#include "controls/PylSplitterMouse.h"
#include "engines/ReplacerBase.h"
#include "windows/ToolWindow.h"

// The replacer tool: one find text, a replacement or a text to insert, and
// an action, run over the active pane's selection in the results viewer.
class TReplacerForm : public TToolWindow {
 public:
  explicit TReplacerForm(TWinControl* owner);

  TPanel* pnlTexts;
  TPanel* pnlFind;
  TLabel* lblFind;
  TEdit* memFind;
  TPylSplitterMouse* TextSplitter;
  TPanel* pnlTextToReplace;
  TLabel* lblReplace;
  TEdit* mmReplace;
  TPylSplitterMouse* TextEndingSplitter;
  TPanel* pnlEnding;
  TLabel* lblEnding;
  TEdit* memEnding;
  TPanel* pnlOptions;
  TRadioButton* rbReplace;
  TRadioButton* rbInsBefore;
  TRadioButton* rbInsAfter;
  TRadioButton* rbInsBeetween;
  TRadioButton* rbDelete;
  TRadioButton* rbInsToHead;
  TRadioButton* rbInsToFoot;
  TRadioButton* rbJustFind;
  TCheckBox* chkCaseSensitive;
  TCheckBox* chkWholeWord;
  TCheckBox* chkCHSDOS;
  TCheckBox* chkBkCopy;
  TPylBitBtn* btnHelpReplacer;

  void InitGlyphs() override;
  void RegisterDefaultTexts(int32_t id) override;
  void ApplyTexts(int32_t id) override;
  void LoadSettings() override {}
  void SaveSettings() override {}
  bool CanStart(TstateOfBrowser* list) override;
  void StartOperation() override;
  void ShowHelp() override { btnHelpReplacer->Click(); }

  // The mode of the checked action button.
  TReplaceMode Mode() const;
  TRadioButton* CheckedAction() const;
  void SetEnabledDisabled(int v);
  void rbReplaceClick();
  void rbInsBeetweenClick();
  void rbDeleteClick(const TRadioButton* sender);
  void btnStartOperationClick();
  void StartSimpleReplace();
  TGlobalBlock InitReplacerStructure(const std::string& find, const std::string& replacement) const;
  void memFindChange();

 private:
  // Shows the replacement and the ending memos with their splitters.
  void ShowMemos(bool replacement, bool ending);
};
