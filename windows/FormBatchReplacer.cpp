#include "windows/FormBatchReplacer.h"

#include <algorithm>
#include <memory>

#include "core/translator.h"
#include "engines/BatchReplacer_utils.h"
#include "engines/PerformBatchReplace.h"
#include "framework/FitWidth.h"
#include "framework/IniFile.h"
#include "windows/MainForm.h"
#include "windows/SelectionWalk.h"
#include "windows/Startup.h"
#include "windows/TabOrder.h"
#include "windows/ViReplacer.h"

namespace {

const char* const kSection = "Batch Replacer";

const TDefaultText kFixedTexts[] = {
    {207, "Name"},
    {208, "No data in Grid"},
    {209, "unchanged"},
    {210, "failed"},
    {211, "successful"},
    {212, "not found"},
    {213, "not supported"},
    {214, "protected from changes"},
    {215, "Operation completed!"},
    {216, "Operation aborted!"},
    {217, "Sensitive"},
    {218, "Insensitive"},
    {219, "The Find string contains a Pattern Match expression which is not valid."},
    {220, "The Replace With string contains a Pattern Match expression which is not valid."},
    {221, "Abort operation?"},
    {222, "Do you want to save the changes you made to file?"},
    {223, "Error load table!"},
    {224, "Error save table!"},
    {225, "Error was occured during saving a file with results!"},
    {226, "Please specify text in the \"Find this string\" field"},
    {227, "All files"},
    {228, "All unchanged"},
    {229, "All successful"},
    {230, "All failed"},
    {231, "Number of files"},
    {232, "Size before"},
    {233, "Size after"},
    {234, "Changed size"},
    {235, "Amount"},
    {236, "Status"},
};

const char* const kToolTexts[] = {
    "Batch Replacer",
    "Replace strings in files",
    "&Start Replace",
    "&Help",
    "&Find this string:",
    "and &Replace with:",
    "Cas&e sensitive",
    "A&dd",
    "&Modify",
    "Delete",
    "Create files backup cop&y",
    "&Load from File",
    "Sa&ve as File",
    "Case sensitive",
    "Find this",
    "Replace with",
    "&Cancel",
    "Parameters",
    "statistics",
    "Save &Results As...",
};

constexpr int TextNoDataInGrid = 208;
constexpr int TextSensitive = 217;
constexpr int TextInsensitive = 218;
constexpr int TextLoadTableError = 223;
constexpr int TextSaveTableError = 224;
constexpr int TextNoFindString = 226;

constexpr int kSideButtonWidth = 80;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The case words of a language: the built-in ones when the translated pair
// could not tell the two cases apart.
void CaseWordsOfLanguage(std::string& sensitive, std::string& insensitive) {
  sensitive = Tx(TextSensitive);
  insensitive = Tx(TextInsensitive);
  if (sensitive.empty() || insensitive.empty() || sensitive == insensitive) {
    sensitive = Translator().GetDefaultString(TextSensitive);
    insensitive = Translator().GetDefaultString(TextInsensitive);
  }
}

}  // namespace

TBatchReplacerForm::TBatchReplacerForm(TWinControl* owner) : TToolWindow(owner, "::/BATCHREPLACER.htm") {
  SetConstraints({320, 300, 0, 0});
  pnlEdit = new TPanel(this);
  pnlEdit->SetAlign(TAlign::Top);
  pnlEdit->SetHeight(118);
  pnlEdit->BevelOuter = TBevelCut::None;
  lblFind = new TLabel(pnlEdit);
  lblFind->SetBounds(8, 6, 0, 0);
  cmbFindString = new TOrvComboBox(pnlEdit);
  cmbFindString->SetBounds(8, 22, 200, 22);
  cmbFindString->TabStop = true;
  cmbFindString->OnKeyDown = [this](WORD& key, unsigned shift) { cmbFindStringKeyDown(key, shift); };
  lblReplace = new TLabel(pnlEdit);
  lblReplace->SetBounds(8, 50, 0, 0);
  cmbReplaceString = new TOrvComboBox(pnlEdit);
  cmbReplaceString->SetBounds(8, 66, 200, 22);
  cmbReplaceString->TabStop = true;
  cmbReplaceString->OnKeyDown = [this](WORD& key, unsigned shift) { cmbReplaceStringKeyDown(key, shift); };
  chkCaseSensitive = new TCheckBox(pnlEdit);
  chkCaseSensitive->SetBounds(8, 94, 180, 20);
  chkCaseSensitive->TabStop = true;
  btnAdd = new TButton(pnlEdit);
  btnAdd->SetBounds(0, 21, kSideButtonWidth, 24);
  btnAdd->OnClick = [this] { btnAddClick(); };
  btnModify = new TButton(pnlEdit);
  btnModify->SetBounds(0, 65, kSideButtonWidth, 24);
  btnModify->SetEnabled(false);
  btnModify->OnClick = [this] { btnModifyClick(); };
  btnDelete = new TButton(pnlEdit);
  btnDelete->SetBounds(0, 92, kSideButtonWidth, 24);
  btnDelete->OnClick = [this] { btnDeleteClick(); };
  for (TButton* b : {btnAdd, btnModify, btnDelete}) b->TabStop = true;

  btnStartOperation->OnClick = [this] { btnStartOperationClick(); };
  btnHelpF = HelpButton;
  pnlFile = new TPanel(this);
  pnlFile->SetAlign(TAlign::Bottom);
  pnlFile->SetHeight(58);
  pnlFile->BevelOuter = TBevelCut::None;
  btnLoad = new TButton(pnlFile);
  btnLoad->SetBounds(8, 4, 120, 25);
  btnLoad->OnClick = [this] { btnLoadClick(); };
  btnSave = new TButton(pnlFile);
  btnSave->SetBounds(136, 4, 120, 25);
  btnSave->OnClick = [this] { btnSaveClick(); };
  chkbcopy = new TCheckBox(pnlFile);
  chkbcopy->SetBounds(8, 34, 240, 20);
  chkbcopy->SetChecked(true);
  for (TWinControl* c : std::initializer_list<TWinControl*>{btnLoad, btnSave, chkbcopy}) c->TabStop = true;

  sgBatch = new TStringGrid(this);
  sgBatch->SetAlign(TAlign::Client);
  sgBatch->TabStop = true;
  sgBatch->RowSelect = true;
  sgBatch->SetScrollBars(ssVertical);
  sgBatch->SetColCount(3);
  sgBatch->SetRowCount(2);
  sgBatch->SetFixedRows(1);
  sgBatch->AlignWord = 0;
  // Below the table on screen, after it for Tab.
  PlaceInTabOrder(*pnlFile, sgBatch->Handle());
  sgBatch->Tag = 2;
  sgBatch->OnSelectCell = [this](int col, int row, bool& canSelect) { sgBatchSelectCell(col, row, canSelect); };
  sgBatch->OnKeyDown = [this](WORD& key, unsigned shift) { sgBatchKeyDown(key, shift); };
  sgBatch->OnEnter = [this] { sgBatch->Invalidate(); };
  sgBatch->OnExit = [this] { sgBatch->Invalidate(); };
  OnResize = [this] { FormResize(); };

  dlgOpen.DefaultExt = "rtbl";
  dlgOpen.Filter = "Table file (*.rtbl;*.xls;*.csv)|*.rtbl;*.xls;*.csv";
  dlgOpen.Options = ofHideReadOnly | ofNoChangeDir | ofEnableSizing;
  dlgSave.DefaultExt = "rtbl";
  dlgSave.Options = ofOverwritePrompt | ofHideReadOnly | ofNoChangeDir | ofEnableSizing;
  TitleFocus = cmbFindString;
  ActiveControl = cmbFindString;
}

void TBatchReplacerForm::InitGlyphs() {
  RowsInTable = 0;
  ApplyTexts(300);
  btnStartOperation->LoadGlyph("BTNSTART", 3);
  btnHelpF->LoadGlyph("BTNHLP");
}

void TBatchReplacerForm::RegisterDefaultTexts(int32_t id) {
  for (const TDefaultText& t : kFixedTexts) Translator().AddString(t.id, t.text);
  for (size_t i = 0; i < std::size(kToolTexts); ++i) Translator().AddString(id + int32_t(i), kToolTexts[i]);
}

void TBatchReplacerForm::ApplyTexts(int32_t id) {
  pnlNameTools->SetCaption(Tx(id));
  pnlNameTools->Hint = Tx(id + 1);
  TControl* const targets[] = {btnStartOperation, btnHelpF, lblFind, lblReplace, chkCaseSensitive, btnAdd,
                               btnModify,         btnDelete, chkbcopy, btnLoad,  btnSave};
  for (size_t i = 0; i < std::size(targets); ++i) targets[i]->SetCaption(Tx(id + 2 + int(i)));
  for (int c = 0; c < 3; ++c) sgBatch->SetCells(c, 0, Tx(id + 13 + c));
  // The rows keep their meaning in the new language's words: a row made
  // case-sensitive stays so however the words are spelt now.
  const std::string oldSensitive = CaseSensitiveWord();
  std::string sensitive, insensitive;
  CaseWordsOfLanguage(sensitive, insensitive);
  SetYesNoTexts(sensitive, insensitive);
  for (int r = 1; r <= RowsInTable; ++r)
    sgBatch->SetCells(0, r, sgBatch->Cells(0, r) == oldSensitive ? sensitive : insensitive);
  btnLoad->SetWidth(std::max(120, FitWidth(*btnLoad)));
  btnSave->SetBounds(btnLoad->Left() + btnLoad->Width() + 8, btnSave->Top(), std::max(120, FitWidth(*btnSave)),
                     btnSave->Height());
  CentreButtons();
}

void TBatchReplacerForm::LoadSettings() {
  const TIniFile ini(SettingsFilePath);
  cmbFindString->LoadHistory(ini, kSection, "LIST_FIND_STR");
  cmbReplaceString->LoadHistory(ini, kSection, "LIST_REPLACE_STR");
  LastTablePath = ini.ReadString(kSection, "InitialDir", "");
  dlgOpen.InitialDir = dlgSave.InitialDir = LastTablePath;
}

void TBatchReplacerForm::SaveSettings() {
  TIniFile ini(SettingsFilePath);
  cmbFindString->SaveHistory(ini, kSection, "LIST_FIND_STR");
  cmbReplaceString->SaveHistory(ini, kSection, "LIST_REPLACE_STR");
  ini.WriteString(kSection, "InitialDir", FolderOf(LastTablePath));
}

void TBatchReplacerForm::DialogsStartIn(const std::string& path) {
  dlgOpen.InitialDir = dlgSave.InitialDir = FolderOf(path);
}

bool TBatchReplacerForm::CanStart(TstateOfBrowser* list) {
  if (!list) list = ActiveSelectionList();
  const bool rows = RowsInTable > 0;
  btnDelete->SetEnabled(rows);
  btnSave->SetEnabled(rows);
  sgBatch->SetEnabled(rows);
  sgBatch->Tag = rows ? 3 : 2;
  sgBatch->Invalidate();
  const bool can = rows && list && list->SelectedCount > 0;
  if (!can && btnStartOperation->Focused() && sgBatch->CanFocus()) sgBatch->SetFocus();
  btnStartOperation->SetEnabled(can);
  for (TOrvComboBox* box : {cmbFindString, cmbReplaceString})
    if (!box->Focused()) SendMessageA(box->Handle(), CB_SETEDITSEL, 0, MAKELPARAM(-1, 0));
  return can;
}

bool TBatchReplacerForm::CheckPatternEdit(TOrvComboBox& comboBox, int message, int which) {
  const std::string text = comboBox.Text();
  std::string unescaped;
  int32_t kind = 0;
  const int pos = which == 1 ? ParseFindText(text) : ParseReplaceText(text, &unescaped, &kind);
  if (pos < 0) return true;
  ShowMessageBox(hwnd_, Tx(message), Application().Title, MB_OK | MB_ICONINFORMATION);
  comboBox.SetFocus();
  const int from = pos > 0 ? pos - 1 : 0;
  SendMessageA(comboBox.Handle(), CB_SETEDITSEL, 0, MAKELPARAM(from, static_cast<int>(text.size())));
  return false;
}

bool TBatchReplacerForm::PairChecked() {
  if (cmbFindString->Text().empty()) {
    cmbFindString->SetFocus();
    ShowMessageBox(hwnd_, Tx(TextNoFindString), Application().Title, MB_OK | MB_ICONINFORMATION);
    return false;
  }
  return CheckPatternEdit(*cmbFindString, 219, 1) && CheckPatternEdit(*cmbReplaceString, 220, 2);
}

void TBatchReplacerForm::WriteRow(int row) {
  sgBatch->SetCells(0, row, chkCaseSensitive->Checked() ? CaseSensitiveWord() : CaseInsensitiveWord());
  sgBatch->SetCells(1, row, cmbFindString->Text());
  sgBatch->SetCells(2, row, cmbReplaceString->Text());
}

void TBatchReplacerForm::btnAddClick() {
  if (!PairChecked()) return;
  selectHeld_ = true;
  ++RowsInTable;
  sgBatch->SetRowCount(RowsInTable + 1);
  sgBatch->MoveToCell(0, RowsInTable);
  WriteRow(RowsInTable);
  selectHeld_ = false;
  UpdateStartAction();
  btnModify->SetEnabled(false);
}

void TBatchReplacerForm::btnModifyClick() {
  const int row = sgBatch->Row();
  if (row < 1 || row > RowsInTable || !PairChecked()) return;
  WriteRow(row);
  cmbFindString->SetText("");
  cmbReplaceString->SetText("");
  cmbFindString->SetFocus();
  btnModify->SetEnabled(false);
}

void TBatchReplacerForm::btnDeleteClick() {
  if (RowsInTable < 1) return;
  btnModify->SetEnabled(false);
  selectHeld_ = true;
  for (int r = std::max(sgBatch->Row(), 1); r < RowsInTable; ++r) sgBatch->SetRows(r, sgBatch->Rows(r + 1));
  sgBatch->SetRows(RowsInTable, {});
  --RowsInTable;
  sgBatch->SetRowCount(std::max(RowsInTable + 1, 2));
  selectHeld_ = false;
  UpdateStartAction();
}

void TBatchReplacerForm::sgBatchSelectCell(int, int row, bool&) {
  if (selectHeld_ || row < 1 || row > RowsInTable) return;
  btnModify->SetEnabled(true);
  cmbFindString->SetText(sgBatch->Cells(1, row));
  cmbReplaceString->SetText(sgBatch->Cells(2, row));
  chkCaseSensitive->SetChecked(sgBatch->Cells(0, row) == CaseSensitiveWord());
}

void TBatchReplacerForm::sgBatchKeyDown(WORD& key, unsigned) {
  if (key != VK_DELETE) return;
  key = 0;
  if (btnDelete->Enabled()) btnDelete->Click();
  if (sgBatch->CanFocus()) sgBatch->SetFocus();
}

void TBatchReplacerForm::cmbFindStringKeyDown(WORD& key, unsigned) {
  if (key != VK_RETURN) return;
  key = 0;
  cmbReplaceString->SetFocus();
}

void TBatchReplacerForm::cmbReplaceStringKeyDown(WORD& key, unsigned) {
  if (key != VK_RETURN) return;
  key = 0;
  btnAdd->SetFocus();
}

void TBatchReplacerForm::ShowTable(const TStringList& cases, const TStringList& finds,
                                   const TStringList& replacements) {
  selectHeld_ = true;
  RowsInTable = static_cast<int32_t>(finds.Count());
  sgBatch->SetRowCount(std::max(RowsInTable + 1, 2));
  for (int r = 1; r <= RowsInTable; ++r) {
    const size_t i = static_cast<size_t>(r - 1);
    sgBatch->SetRows(r, {cases[i], finds[i], replacements[i]});
  }
  if (RowsInTable == 0) sgBatch->SetRows(1, {});
  sgBatch->MoveToCell(0, 1);
  selectHeld_ = false;
}

void TBatchReplacerForm::btnLoadClick() {
  btnModify->SetEnabled(false);
  if (!dlgOpen.Execute(hwnd_)) return;
  // A table goes into lists of its own, so a failed load leaves the grid.
  TStringList cases, finds, replacements;
  if (!LoadBatchTable(dlgOpen.FileName, cases, finds, replacements)) {
    ShowMessageBox(hwnd_, Tx(TextLoadTableError), Application().Title, MB_OK | MB_ICONERROR);
    return;
  }
  ShowTable(cases, finds, replacements);
  LastTablePath = dlgOpen.FileName;
  DialogsStartIn(LastTablePath);
  dlgOpen.FileName.clear();
  UpdateStartAction();
}

void TBatchReplacerForm::btnSaveClick() {
  std::string name = LastTablePath.substr(LastTablePath.find_last_of('\\') + 1);
  name = name.substr(0, name.find_last_of('.'));
  dlgSave.FileName = name.empty() ? std::string() : name + ".rtbl";
  dlgSave.Filter = "Table file (*.rtbl)|*.RTBL";
  if (!dlgSave.Execute(hwnd_)) return;
  LastTablePath = dlgSave.FileName;
  TStringList cases, finds, replacements;
  TableColumns(cases, finds, replacements);
  if (!SaveBatchTable(LastTablePath, cases, finds, replacements)) {
    ShowMessageBox(hwnd_, Tx(TextSaveTableError), Application().Title, MB_OK | MB_ICONERROR);
    return;
  }
  DialogsStartIn(LastTablePath);
}

void TBatchReplacerForm::TableColumns(TStringList& cases, TStringList& finds, TStringList& replacements) const {
  for (int r = 1; r <= RowsInTable; ++r) {
    cases.Add(sgBatch->Cells(0, r));
    finds.Add(sgBatch->Cells(1, r));
    replacements.Add(sgBatch->Cells(2, r));
  }
}

void TBatchReplacerForm::StartOperation() {
  RunOverSelection(hwnd_, [this] { RunTable(); });
}

void TBatchReplacerForm::RunTable() {
  TStringList cases, finds, replacements;
  TableColumns(cases, finds, replacements);
  TGlobalBlock block;
  const int bad = CheckAndBuildBatchBlock(block, cases, finds, replacements);
  if (bad >= 0) {
    sgBatch->MoveToCell(0, bad + 1);
    bool canSelect = true;
    sgBatchSelectCell(0, bad + 1, canSelect);
    // Shows the row's fault: an empty find text, or the first bad pattern.
    PairChecked();
    return;
  }
  if (!block.Handle()) {
    ShowMessageBox(hwnd_, Tx(TextNoDataInGrid), "", MB_OK | MB_ICONERROR);
    return;
  }
  auto viewer = std::make_unique<TViewRenReplacer>();
  auto thread = std::make_unique<TThreadOf<PerformBatchReplace::TReplacer>>();
  viewer->BindReplaceWorker(*thread);
  thread->CaseColumn = cases;
  thread->Finds = finds;
  thread->Replacements = replacements;
  thread->PairCount = RowsInTable;
  thread->Backup = chkbcopy->Checked();
  // The thread may free this block and keep one of its own in its place.
  thread->BatchBlock = std::move(block);
  viewer->InitSummary(ViewReplaceLayout);
  thread->SetPriority(THREAD_PRIORITY_NORMAL);
  thread->Resume();
  ToolBusy = 1;
  viewer->ShowModal();
  thread.reset();
  viewer.reset();
}

void TBatchReplacerForm::FormResize() {
  const int width = ClientWidth();
  const int boxWidth = std::max(width - 16 - kSideButtonWidth - 8, 80);
  cmbFindString->SetWidth(boxWidth);
  cmbReplaceString->SetWidth(boxWidth);
  for (TButton* b : {btnAdd, btnModify, btnDelete}) b->SetLeft(width - 8 - kSideButtonWidth);
  sgBatch->SetColWidth(0, 100);
  const int rest = sgBatch->ClientRect().right - 100 - GetSystemMetrics(SM_CXVSCROLL) - 4 * GetSystemMetrics(SM_CXEDGE);
  sgBatch->SetColWidth(1, std::max(rest / 2, 40));
  sgBatch->SetColWidth(2, std::max(rest - rest / 2, 40));
}
