#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "controls/OrvComboBox.h"
#include "controls/PylBitBtn.h"
#include "core/ToolRegistry.h"
#include "framework/ComCtrls.h"
#include "framework/Forms.h"
#include "framework/Spin.h"

class TSrchRes;

// The finder tool: collects a search request on three pages, fills the
// search list's filter from it and runs the search thread under the results
// window.
class TFinderForm : public TForm, public ITool {
 public:
  explicit TFinderForm(TWinControl* owner);

  TPanel* pnlAlign;
  TPanel* pnlNameTools;
  TPageControl* pcFinder;
  TTabSheet* tsGeneral;
  TLabel* lblSearchFor;
  TOrvComboBox* cmbSearchFor;
  TLabel* lblSearchIn;
  TListBox* lbSearchPaths;
  TButton* btnAdd;
  TButton* btnEdit;
  TButton* btnDelete;
  TTabSheet* tsAdvansed;
  TCheckBox* chkDuplicates;
  TCheckBox* chkSameName;
  TCheckBox* chkSameSize;
  TCheckBox* chkDateBetween;
  TDateTimePicker* dtpDateFirst;
  TLabel* lblAnd;
  TDateTimePicker* dtpDateEnd;
  TCheckBox* chkNotOlderThen;
  TSpinEdit* spNotOlder;
  TComboBox* cmbRange;
  TCheckBox* chkFindFilesSize;
  TComboBox* cmbSign;
  TSpinEdit* spSize;
  TComboBox* cmbSize;
  TGroupBox* gbxAttributes;
  TCheckBox* chkArchive;
  TCheckBox* chkReadOnly;
  TCheckBox* chkHidden;
  TCheckBox* chkDirectory;
  TCheckBox* chkSystem;
  TTabSheet* tsByText;
  TCheckBox* chkFindText;
  TOrvComboBox* cmbTextToFind;
  TCheckBox* chkCaseSensitive;
  TLabel* lblType;
  TRadioButton* rbPhrase;
  TRadioButton* rbOr;
  TRadioButton* rbAnd;
  TPanel* pnlBottom;
  TCheckBox* chkFindInSelDirs;
  TPylBitBtn* btnStartOperation;
  TPylBitBtn* btnHelpFinder;

  // ITool
  void InitGlyphs() override;
  void RegisterDefaultTexts(int32_t id) override;
  void ApplyTexts(int32_t id) override;
  void LoadSettings() override;
  void SaveSettings() override;
  bool CanStart(TstateOfBrowser* list) override;
  void StartOperation() override;
  void ShowHelp() override;
  void SetAlignPanelVisible(bool visible) override;

  // Runs for each results window after it is prepared and before it is
  // shown (tests drive the window from here).
  static inline void (*OnResultsShown)(TSrchRes& results) = nullptr;

  void UpdateFinderButtons();
  void btnStartOperationClick();
  void btnAddClick();
  void btnEditClick();
  void btnDeleteClick();
  void btnHelpFinderClick();
  void pnlAddressLineClick();
  void FormResize();
  void lbSearchPathsDrawItem(int index, const RECT& rect, unsigned state, TCanvas& c);

 private:
  void CreateControls();
  // The title panel in the active or inactive caption colours.
  void ShowFocus(bool active);
  void CreateGeneralPage();
  void CreateAdvancedPage();
  void LayOutAdvancedPage();
  void CreateContentPage();
  void chkDuplicatesClick();
  void chkSameRuleClick(TCheckBox* clicked, TCheckBox* other);
  void chkDateBetweenClick();
  void chkNotOlderThenClick();
  void chkFindFilesSizeClick();
  void chkFindTextClick();
  // The folder question of the path list; false when cancelled or empty.
  bool AskPath(int textId, std::string& path);
  void PathsChanged();
  void FillFilter();
  void FillCombo(TComboBox* combo, int first, int count);
  int32_t id_ = 800;
};
