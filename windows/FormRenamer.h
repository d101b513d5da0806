#pragma once
#include <cstdint>
#include <string>

#include "controls/OrvComboBox.h"
#include "controls/PylBitBtn.h"
#include "framework/Spin.h"
#include "windows/ToolWindow.h"

class TSrchRes;
class TViewRenReplacer;

// Option bit of GeneralCheckContainer: the counter and the two list choices
// are restored at start and kept at exit.
constexpr uint32_t OptRestoreRenamer = 0x1000;

// The bulk renamer tool: name and extension masks built from tokens, a
// counter, a search and replace and a letter-case rule; Start shows the new
// names of the active pane's selection as a preview, from which the rename
// runs in the results viewer.
class TRenamerForm : public TToolWindow {
 public:
  explicit TRenamerForm(TWinControl* owner);

  TPanel* pnlMasks;
  TGroupBox* gbFileName;
  TOrvComboBox* cmbFileName;
  TButton* btnName;
  TButton* btnRange;
  TButton* btnCounter;
  TButton* btnDate;
  TButton* btnTima;
  TGroupBox* gbFileExt;
  TOrvComboBox* cmbFileExt;
  TButton* btnExt;
  TButton* btnExtRange;
  TButton* btnExtCounter;
  TGroupBox* gbSearch;
  TLabel* lblSearch;
  TOrvComboBox* cmbSearch;
  TLabel* lblReplace;
  TOrvComboBox* cmbReplace;
  TGroupBox* gbCase;
  TComboBox* cmbCaseSensitive;
  TGroupBox* gbCounter;
  TLabel* lblStart;
  TSpinEdit* spStart;
  TLabel* lblStep;
  TSpinEdit* spStep;
  TLabel* lblDigits;
  TComboBox* cmbDigits;
  TPylBitBtn* btnHelpRenamer;

  // Caption text ids of the preview and of the viewer.
  int32_t PreviewCaption = 1802;
  int32_t ViewerCaption = 1803;

  void InitGlyphs() override;
  void RegisterDefaultTexts(int32_t id) override;
  void ApplyTexts(int32_t id) override;
  void LoadSettings() override;
  void SaveSettings() override;
  bool CanStart(TstateOfBrowser* list) override;
  void StartOperation() override;
  void ShowHelp() override { btnHelpRenamer->Click(); }

  // Tests drive the modal windows from here: each runs once its window is
  // prepared and before it is shown.
  static inline void (*OnPreviewShown)(TSrchRes& preview) = nullptr;
  static inline void (*OnViewerShown)(TViewRenReplacer& viewer) = nullptr;

  void btnNameClick(const TButton* sender);
  void btnStartOperationClick();
  void FormResize();
  void LayOutCounter();

 private:
  // Each adds its groups from top down and leaves top below the last.
  void CreateMaskGroups(int& top);
  void CreateOptionGroups(int& top);
  void LayOutExtension();
  void FillRenamerStructure();
  // Steps after the plan is made: the preview, and the rename when chosen.
  void PreviewAndRename(TstateOfBrowser& source);
};
