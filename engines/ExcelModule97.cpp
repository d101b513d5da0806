#include "engines/ExcelModule97.h"

#include "engines/BatchReplacer_utils.h"

namespace {

constexpr int kLookInValues = -4163;
constexpr int kLookInFormulas = -4123;

bool IsNumberLike(VARTYPE t) {
  switch (t) {
    case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT:
    case VT_UI1: case VT_UI2: case VT_UI4: case VT_UI8: case VT_UINT:
    case VT_R8: case VT_CY: case VT_DATE:
      return true;
    default:
      return false;
  }
}

bool IsFormula(const TVariant& cell) {
  std::wstring f = OleGet(cell, "Formula").ToWide();
  return !f.empty() && f[0] == L'=';
}

void ApplyRowOptions(const std::wstring& options, TCellFormat& format) {
  int32_t value = 1;
  for (wchar_t c : options) {
    if (c == L'-') {
      value = 0;
      continue;
    }
    if (c == L'C' || c == L'c') format.MatchCase = value;
    else if (c == L'W' || c == L'w') format.WholeWord = value;
    else if (c == L'D' || c == L'd') format.Wildcards = value;
    value = 1;
  }
}

}  // namespace

struct TExcelObject::TSheetJob {
  std::wstring findText, secondText, replaceText;
  uint32_t flags;
  int lookIn;  // 1 values, else formulas
};

TExcelObject::TExcelObject() { Connect(); }

TExcelObject::~TExcelObject() {
  try {
    Disconnect(true);
  } catch (...) {
    // A dying server must not take the worker with it.
  }
}

void TExcelObject::Connect() {
  ServerObject = TryCreateOleObject("Excel.Application");
  ServerStarted = !ServerObject.IsEmpty();
  if (!ServerStarted) return;
  OlePut(ServerObject, "DisplayAlerts", false);
  OlePut(ServerObject, "AskToUpdateLinks", false);
}

void TExcelObject::Disconnect(bool quitServer) {
  if (quitServer && ServerStarted) {
    IgnoringOleErrors([&] {
      CloseWorkbook();
      if (WorkbookCount() == 0) OleCall(ServerObject, "Quit");
    });
  }
  ServerObject.Clear();
  WorkbookObject.Clear();
}

void TExcelObject::SetVisible(bool value) { OlePut(ServerObject, "Visible", value); }

int TExcelObject::WorkbookCount() {
  return OleGet(OleGet(ServerObject, "Workbooks"), "Count").ToInt();
}

void TExcelObject::OpenWorkbook(const std::string& fileName) {
  MatchCount = 0;
  TVariant name(fileName);
  WorkbookObject = OleCall(OleGet(ServerObject, "Workbooks"), "Add", {TVariant::ByRef(name)});
}

void TExcelObject::CloseWorkbook() {
  if (WorkbookObject.IsEmpty()) return;
  // Let go of the workbook even when the server refuses to close it.
  TVariant book = std::move(WorkbookObject);
  WorkbookObject.Clear();
  OleCall(book, "Close", {false, TVariant::Missing(), TVariant::Missing()});
}

void TExcelObject::SaveWorkbookCopy(const std::string& fileName) {
  if (WorkbookObject.IsEmpty()) return;
  TVariant name(fileName);
  OleCall(WorkbookObject, "SaveCopyAs", {TVariant::ByRef(name)});
  CloseWorkbook();
}

void TExcelObject::ReplaceInWorkbook(const std::wstring& findText, const std::wstring& secondText,
                                     const std::wstring& replaceText, uint32_t flags) {
  int sheet = 1, row = 1, column = 1;
  try {
    TVariant active = OleGet(WorkbookObject, "ActiveSheet");
    if (active.IsObject()) {
      sheet = OleGet(active, "Index").ToInt();
      TVariant cell = OleGet(ServerObject, "ActiveCell");
      row = OleGet(cell, "Row").ToInt();
      column = OleGet(cell, "Column").ToInt();
    }
  } catch (const EOleError&) {
  }
  ReplaceInSheets({findText, secondText, replaceText, flags, 1});
  try {
    TVariant s = OleGet(OleGet(WorkbookObject, "Worksheets"), "Item", {sheet});
    if (s.IsObject()) {
      OleCall(s, "Activate");
      OleCall(OleGet(OleGet(s, "Cells"), "Item", {row, column}), "Activate");
    }
  } catch (const EOleError&) {
  }
}

void TExcelObject::ReplaceInSheets(const TSheetJob& job) {
  try {
    const int count = OleGet(OleGet(WorkbookObject, "Worksheets"), "Count").ToInt();
    for (int i = 1; i <= count; ++i) ReplaceInSheet(job, i);
  } catch (const EOleError&) {
  }
}

void TExcelObject::ReplaceInSheet(const TSheetJob& job, int number) {
  TVariant sheet, cells;
  try {
    sheet = OleGet(OleGet(WorkbookObject, "Worksheets"), "Item", {number});
    if (!sheet.IsObject() || OleGet(sheet, "ProtectContents").ToBool()) return;
    OleCall(sheet, "Activate");
    cells = OleGet(sheet, "Cells");
    OleCall(OleGet(cells, "Item", {1, 1}), "Activate");
  } catch (const EOleError&) {
    return;
  }
  std::wstring what = job.findText;
  if (!job.secondText.empty()) what += L"*" + job.secondText;
  std::string narrow = WideToAnsi(what);
  if (narrow.size() > 255) what = AnsiToWide(narrow.substr(0, 255));
  const int lookIn = job.lookIn == 1 ? kLookInValues : kLookInFormulas;
  int row = 1, column = 1;
  try {
    for (;;) {
      TVariant after = OleGet(cells, "Item", {row, column});
      TVariant found = OleCall(cells, "Find", {what, after, lookIn, 2, 1, 1,
                                               (job.flags & wfMatchCase) != 0, false});
      if (!found.IsObject()) return;
      const int r = OleGet(found, "Row").ToInt();
      const int c = OleGet(found, "Column").ToInt();
      if (r == 1 && c == 1) {
        ReplaceInCell(job, found);  // the search has wrapped to the start
        return;
      }
      if (r < row || (r == row && c <= column)) return;
      row = r;
      column = c;
      ReplaceInCell(job, found);
    }
  } catch (const EOleError&) {
  }
}

void TExcelObject::ReplaceInCell(const TSheetJob& job, const TVariant& cell) {
  OleCall(cell, "Activate");
  // A formula's shown value is computed: writing it back would turn the
  // formula into a constant.
  if (job.lookIn == 1 && Mode != rmJustFind && IsFormula(cell)) return;
  const TVariant value = OleGet(cell, job.lookIn == 1 ? "Value" : "Formula");
  const std::wstring old = value.ToWide();
  const std::wstring now = ReplaceInWideText(old, job.findText, job.secondText, job.replaceText,
                                             job.flags, nullptr);
  if (now == old) return;
  // Text stays text: the spreadsheet would read "00123" as a number and
  // "=A1" as a formula, unless the text prefix comes first.
  const bool keepText = job.lookIn == 1 && value.Type() == VT_BSTR;
  OlePut(cell, job.lookIn == 1 ? "FormulaR1C1" : "Formula", keepText ? L"'" + now : now);
}

std::wstring TExcelObject::ReplaceInWideText(const std::wstring& text, const std::wstring& findText,
                                             const std::wstring& secondText,
                                             const std::wstring& replaceText, uint32_t flags,
                                             TWideMatchList* matchList) {
  return ::ReplaceInWideText(Mode, MatchCount, text, findText, secondText, replaceText, flags,
                             matchList);
}

TVariant TExcelObject::TableCell(int column) {
  return OleGet(OleGet(OleGet(WorkbookObject, "Application"), "Cells"), "Item", {TableRow, column});
}

bool TExcelObject::ReadTableRow(std::wstring& findText, std::wstring& replaceText,
                                TCellFormat& findFormat, TCellFormat& replaceFormat) {
  findText.clear();
  replaceText.clear();
  TVariant c1 = TableCell(1), c2 = TableCell(2), c3 = TableCell(3);
  TVariant v1 = OleGet(c1, "Value"), v2 = OleGet(c2, "Value"), v3 = OleGet(c3, "Value");
  std::wstring find, replace;
  if (v1.Type() == VT_BSTR) find = v1.ToWide();
  else if (IsNumberLike(v1.Type())) find = OleGet(c1, "Text").ToWide();
  else return false;
  if (v2.Type() == VT_BSTR) replace = v2.ToWide();
  else if (IsNumberLike(v2.Type())) replace = OleGet(c2, "Text").ToWide();
  else if (v2.Type() != VT_EMPTY && v2.Type() != VT_NULL) return false;
  ReadCellFormat(1, findFormat);
  ReadCellFormat(2, replaceFormat);
  findFormat.MatchCase = findFormat.WholeWord = findFormat.Wildcards = -1;
  if (v3.Type() == VT_BSTR) ApplyRowOptions(v3.ToWide(), findFormat);
  ++TableRow;
  findText = find;
  replaceText = replace;
  return true;
}

void TExcelObject::ReadCellFormat(int column, TCellFormat& format) {
  TVariant cell = TableCell(column);
  format.BackColor = OleGet(OleGet(cell, "Interior"), "Color").ToInt();
  TVariant font = OleGet(cell, "Font");
  try {
    format.Bold = OleGet(font, "Bold").ToInt();
  } catch (const EOleError&) {
  }
  try {
    format.Italic = OleGet(font, "Italic").ToInt();
  } catch (const EOleError&) {
  }
  format.FontColor = OleGet(font, "Color").ToInt();
  format.Size = OleGet(font, "Size").ToInt();
  try {
    format.FontName = OleGet(font, "Name").ToWide();
  } catch (const EOleError&) {
  }
  format.Underline = OleGet(font, "UnderLine").ToInt();
}

namespace {

bool ReadSheetTable(TExcelObject& excel, const std::string& fileName, TStringList& caseColumn,
                    TStringList& finds, TStringList& replacements) {
  excel.SetVisible(false);
  excel.OpenWorkbook(fileName);
  excel.ResetRow();
  const std::string sensitive = CaseSensitiveWord(), insensitive = CaseInsensitiveWord();
  std::wstring find, replace;
  TCellFormat findFormat, replaceFormat;
  while (excel.ReadTableRow(find, replace, findFormat, replaceFormat)) {
    if (find.empty()) continue;  // a row without a pattern cannot be built
    const int32_t caseValue = findFormat.MatchCase == -1 ? 0 : findFormat.MatchCase;
    caseColumn.Add((caseValue & 0xFF) != 0 ? sensitive : insensitive);
    finds.Add(WideToAnsi(find));
    replacements.Add(WideToAnsi(replace));
  }
  return finds.Count() > 0;
}

// Linking the spreadsheet unit gives the batch table loader its sheet route.
const struct TSheetLoaderInstaller {
  TSheetLoaderInstaller() { SetBatchSheetLoader(&LoadBatchTableFromSheet); }
} sheetLoaderInstaller;

}  // namespace

bool LoadBatchTableFromSheet(const std::string& fileName, TStringList& caseColumn,
                             TStringList& finds, TStringList& replacements) {
  try {
    TComApartment apartment;
    TExcelObject excel;
    return excel.ServerStarted && ReadSheetTable(excel, fileName, caseColumn, finds, replacements);
  } catch (...) {
    return false;  // the loader reports failure, never raises
  }
}
