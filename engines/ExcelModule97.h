#pragma once
#include <cstdint>
#include <string>

#include "engines/WideText.h"
#include "framework/OleAuto.h"
#include "framework/StringList.h"

// Formats of a batch table's cells and the row's options (-1 not given, 0 off, 1 on).
struct TCellFormat {
  int32_t BackColor = 0;
  int32_t Bold = 0;
  int32_t Italic = 0;
  int32_t FontColor = 0;
  int32_t Size = 0;
  std::wstring FontName;
  int32_t Underline = 0;
  int32_t MatchCase = -1;
  int32_t WholeWord = -1;
  int32_t Wildcards = -1;
};

// Drives the spreadsheet application by late binding. Errors of the calls
// the callers guard (open, save, close, count, table reads) come out as
// EOleError.
class TExcelObject {
 public:
  TExcelObject();
  ~TExcelObject();
  TExcelObject(const TExcelObject&) = delete;
  TExcelObject& operator=(const TExcelObject&) = delete;

  void Connect();
  void Disconnect(bool quitServer);
  void SetVisible(bool value);
  int WorkbookCount();
  void OpenWorkbook(const std::string& fileName);
  void CloseWorkbook();
  void SaveWorkbookCopy(const std::string& fileName);
  void ReplaceInWorkbook(const std::wstring& findText, const std::wstring& secondText,
                         const std::wstring& replaceText, uint32_t flags);
  std::wstring ReplaceInWideText(const std::wstring& text, const std::wstring& findText,
                                 const std::wstring& secondText, const std::wstring& replaceText,
                                 uint32_t flags, TWideMatchList* matchList);
  void ResetRow() { TableRow = 1; }
  bool ReadTableRow(std::wstring& findText, std::wstring& replaceText, TCellFormat& findFormat,
                    TCellFormat& replaceFormat);
  void ReadCellFormat(int column, TCellFormat& format);

  TVariant ServerObject;
  TVariant WorkbookObject;
  int32_t TableRow = 1;
  int32_t MatchCount = 0;
  TReplaceMode Mode = rmReplace;
  bool ServerStarted = false;

 private:
  struct TSheetJob;
  void ReplaceInSheets(const TSheetJob& job);
  void ReplaceInSheet(const TSheetJob& job, int number);
  void ReplaceInCell(const TSheetJob& job, const TVariant& cell);
  TVariant TableCell(int column);
};

// The spreadsheet route of LoadBatchTable (installed there by this unit): one
// table row per sheet row read by ReadTableRow; an option text with "C" in
// the third cell makes the row case-sensitive. False when no server runs,
// a read fails or no row was read.
bool LoadBatchTableFromSheet(const std::string& fileName, TStringList& caseColumn,
                             TStringList& finds, TStringList& replacements);
