#pragma once
#include <cstdint>
#include <string>

#include "controls/OrvComboBox.h"
#include "controls/PylBitBtn.h"
#include "controls/StringGrid.h"
#include "framework/Dialogs.h"
#include "framework/StringList.h"
#include "windows/ToolWindow.h"

// The batch replacer tool: a table of find patterns and replacements,
// edited row by row, loaded and saved, and run over the active pane's
// selection in the results viewer.
class TBatchReplacerForm : public TToolWindow {
 public:
  explicit TBatchReplacerForm(TWinControl* owner);

  TPanel* pnlEdit;
  TLabel* lblFind;
  TOrvComboBox* cmbFindString;
  TLabel* lblReplace;
  TOrvComboBox* cmbReplaceString;
  TCheckBox* chkCaseSensitive;
  TButton* btnAdd;
  TButton* btnModify;
  TButton* btnDelete;
  TStringGrid* sgBatch;
  TPanel* pnlFile;
  TButton* btnLoad;
  TButton* btnSave;
  TCheckBox* chkbcopy;
  TPylBitBtn* btnHelpF;
  TOpenDialog dlgOpen;
  TSaveDialog dlgSave;

  // Table rows: the grid's rows 1 .. RowsInTable.
  int32_t RowsInTable = 0;
  std::string LastTablePath;

  void InitGlyphs() override;
  void RegisterDefaultTexts(int32_t id) override;
  void ApplyTexts(int32_t id) override;
  void LoadSettings() override;
  void SaveSettings() override;
  bool CanStart(TstateOfBrowser* list) override;
  void StartOperation() override;
  void ShowHelp() override { btnHelpF->Click(); }

  void btnAddClick();
  void btnModifyClick();
  void btnDeleteClick();
  void btnLoadClick();
  void btnSaveClick();
  void btnStartOperationClick() { StartOperation(); }
  void sgBatchSelectCell(int col, int row, bool& canSelect);
  void sgBatchKeyDown(WORD& key, unsigned shift);
  void cmbFindStringKeyDown(WORD& key, unsigned shift);
  void cmbReplaceStringKeyDown(WORD& key, unsigned shift);
  void FormResize();
  // which 1: a find pattern, else a replacement. False (the message shown
  // and the fault selected in the box) when the box's text is not valid.
  bool CheckPatternEdit(TOrvComboBox& comboBox, int message, int which);
  // The table's three columns without the header row.
  void TableColumns(TStringList& cases, TStringList& finds, TStringList& replacements) const;

 private:
  // The find text is there and both patterns are valid.
  bool PairChecked();
  void WriteRow(int row);
  // Fills the grid from three lists of equal length.
  void ShowTable(const TStringList& cases, const TStringList& finds, const TStringList& replacements);
  void RunTable();
  // Both dialogs start in the folder of path.
  void DialogsStartIn(const std::string& path);
  bool selectHeld_ = false;  // rows change: the cell-selection event is off
};
