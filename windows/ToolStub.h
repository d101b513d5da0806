#pragma once
#include <string>

#include "core/ToolRegistry.h"
#include "framework/Forms.h"

// A tool window that holds its place in the main window until the tool
// itself is built: it shows its caption, keeps a minimum size, never starts
// and keeps no settings.
class TToolStub : public TForm, public ITool {
 public:
  TToolStub(TWinControl* owner, const char* caption, const char* hint, TSizeConstraints limits);

  TPanel* pnlCaption;

  void InitGlyphs() override {}
  void RegisterDefaultTexts(int32_t id) override;
  void ApplyTexts(int32_t id) override;
  void LoadSettings() override {}
  void SaveSettings() override {}
  bool CanStart(TstateOfBrowser*) override { return false; }
  void StartOperation() override {}
  void ShowHelp() override {}
  void SetAlignPanelVisible(bool) override {}

 private:
  const char* caption_;
  const char* hint_;
};
