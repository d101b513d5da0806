#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"

// Set by Apply and Ok, cleared by "Save settings": whether that button is
// offered when the dialog opens.
extern bool SaveSettingsEnabled;

// The modal dialog of the general settings: the two option words, viewer and
// editor, the file lists' font and colours, and the language.
class TOptions : public TForm {
 public:
  TOptions();
  ~TOptions() override;

  TTreeView* tvOptions;
  TPageControl* OptionsPages;
  TPanel* pnlButtons;
  TButton* btnOk;
  TButton* btnCancel;
  TButton* btnSaveSettings;
  TButton* btnApply;

  TTabSheet* tsLayout;
  TGroupBox* gbScreenLayout;
  TCheckBox* chkShowMainToolbar;
  TCheckBox* chkShowDriveButtons;
  TCheckBox* chkShowDriveButtonsAboveBothWindow;
  TCheckBox* chkShowDriveCombobox;
  TCheckBox* chkShowTabStopHeader;
  TCheckBox* chkShowCurrentDirectory;
  TCheckBox* chkShowStatusLine;
  TCheckBox* chkShowFunctionsKeyButtons;
  TCheckBox* chkShowInfoBasketLine;
  TCheckBox* chkFlatBtnSendToBasket;

  TTabSheet* tsDisplay;
  TGroupBox* GroupBox2;
  TCheckBox* chkShowHidden;

  TTabSheet* tsLanguage;
  TLabel* Label1;
  TListBox* lstLanguage;

  TTabSheet* tsBrowserView;
  TGroupBox* gbxFileviewFont;
  TLabel* lblFileFont;
  TLabel* lblFileFontEx;
  TButton* btnLCompareFont;

  TTabSheet* tsEditView;
  TGroupBox* gbEditor;
  TLabel* lblEditor;
  TEdit* edtEditor;
  TButton* btnSelectEditor;
  TGroupBox* gbViewer;
  TLabel* Label2;
  TEdit* edtViewer;
  TButton* PylBitBtn1;

  TTabSheet* tsColor;
  TGroupBox* gbColor;
  std::array<TLabel*, 5> lblColors{};
  TComboBox* cmbFontColor;
  TComboBox* cmbBackground;
  TComboBox* cmbMarkColor;
  TComboBox* cmbCursorColor;
  TComboBox* cmbCursorFont;
  TLabel* lblExample;
  TPanel* pnlExample;
  TLabel* lblMark;
  TLabel* lblText;
  TLabel* lblCursor;

  TTabSheet* tsConfirmations;
  TGroupBox* gbGetConfirmationBefore;
  TCheckBox* chkDeleteNonEmptyDirs;
  TCheckBox* chkOverwritingFiles;
  TCheckBox* chkOverwritingReadOnlyFiles;
  TCheckBox* chkOverwritingHiddenSystemFiles;

  TTabSheet* tsOperation;
  TGroupBox* gbSelection;
  TRadioButton* rbtSelectedFilesOnly;
  TRadioButton* rbtAlsoSelectedDirectories;
  TGroupBox* gbQuickSearch;
  TRadioButton* rbtCtrlAltLetter;
  TRadioButton* rbtAltLetter;
  TGroupBox* gbMisc;
  TCheckBox* chkSelectoinWithSpace;
  TCheckBox* chkDeleteToRecycleBin;
  TCheckBox* chkSaveSett;
  TCheckBox* chkRestoreRenStng;
  TCheckBox* chkSelectFilesInSearchResult;
  TCheckBox* chkSelectFilesWhileSendToBasket;

  // Bit 1: the font changed; bit 2: the panes must be reread.
  uint32_t ChangeFlags = 0;

  void FormShow();
  void ApplyOptionsTexts(int base);
  void FillLanguageList();
  void SetCurSettingInComponents();
  void PressedApply();
  void SettingChanged();
  void chkShowDriveButtonsClick();
  void chkShowInfoBasketLineClick();
  void chkSaveSettClick();
  void btnLCompareFontClick();
  void btnSelectEditorClick();
  void PylBitBtn1Click();
  void cmbFontColorChange(TComboBox& sender);
  void btnApplyClick();
  void btnOkClick();
  void btnSaveSettingsClick();
  void tvOptionsChange();
  void tvOptionsKeyDown(WORD& key, unsigned shift);

  // "Name, 8, BI", or "Name, 8, Normal" without a style.
  static std::string fntCaption(const TFont& font);
  static std::string fStyle(const TFont& font);

 private:
  void CreatePages();
  void CreateLayoutPage();
  void CreateEditViewPage();
  void CreateColorPage();
  void CreateOperationPage();
  TCheckBox* Check(TWinControl* parent, int y, int width = 390);
  TComboBox* ColorList(int slot);
  void ColorSample(int slot, int index);
  // The program picker's dialog over the path; false when cancelled.
  bool PickProgram(std::string& path);
  std::array<TComboBox*, 5> ColorLists() const;
  std::vector<std::pair<int, TControl*>> captions_;
};

// Shows the dialog modally from the main window; each visible pane lays
// itself out again afterwards.
void ShowOptionsDialog();
