#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Handles.h"
#include "framework/StringList.h"

// A batch table: three lists of equal length, row i spread over all three
// (case word, find pattern, replacement), and its block form, one record per
// row: case flag, find length, replacement length, kind, 16 bytes the
// builder leaves alone, then the find pattern and the unescaped replacement.

constexpr uint32_t kBatchRecordHeader = 32;

// Replacement kinds of a record.
constexpr int32_t kInsertBefore = 1;  // "#U#"
constexpr int32_t kInsertAfter = 2;   // "#D#"
constexpr int32_t kReplaceMatch = 3;

// The case words, "Y" and "N" until SetYesNoTexts replaces them.
void SetYesNoTexts(const std::string& sensitiveWord, const std::string& insensitiveWord);
std::string CaseSensitiveWord();
std::string CaseInsensitiveWord();

// -1 when the find pattern is valid, else the index where the check stopped.
// lowered (when given) receives the text with its literal characters
// lower-cased; tokens stay as written.
int ParseFindText(std::string_view text, std::string* lowered = nullptr);

// -1 when the replacement is valid, else the index (in the text as written)
// where the check stopped. unescaped (when given) receives the replacement
// as stored in a record (up to the error when invalid); kind is 1, 2 or 3.
int ParseReplaceText(std::string_view text, std::string* unescaped, int32_t* kind);

// Writes record n+1 behind the n records already in block; n+1 when written,
// n when the find text is empty or the record would not fit in the block.
int WriteBatchRecord(std::string_view find, std::string_view replacement, TGlobalBlock& block,
                     bool caseSensitive, int n);

// Builds the block without syntax checks; false (no block) when a find text
// is empty, the lists differ in length or nothing was written.
bool BuildBatchBlock(TGlobalBlock& block, const TStringList& caseColumn, const TStringList& finds,
                     const TStringList& replacements);

// -1 with the block built when every row is valid; else the index of the
// first bad row and no block.
int CheckAndBuildBatchBlock(TGlobalBlock& block, const TStringList& caseColumn,
                            const TStringList& finds, const TStringList& replacements);

// One record of a block, copied out, so that nothing points into a block
// that may move.
struct TBatchRecord {
  bool caseSensitive = false;
  int32_t kind = kReplaceMatch;
  std::string find;
  std::string replacement;
  bool operator==(const TBatchRecord&) const = default;
};

// The first pairCount records; false when the block is shorter than they say.
bool ReadBatchRecords(HGLOBAL block, uint32_t pairCount, std::vector<TBatchRecord>& records);

// The text file form of a table.
std::string EncodeBatchTableField(std::string_view text, bool isFind, bool* encodable);
bool ParseBatchTableRow(std::string_view data, size_t& pos, bool& caseSensitive, std::string& find,
                        std::string& replacement);
bool LoadBatchTableText(const std::string& fileName, TStringList& caseColumn, TStringList& finds,
                        TStringList& replacements);

// Fills the three lists; on failure they are left empty. "*.xls" and "*.csv"
// files go through the sheet loader when one is installed.
bool LoadBatchTable(const std::string& fileName, TStringList& caseColumn, TStringList& finds,
                    TStringList& replacements);

// The spreadsheet route of LoadBatchTable, installed by the automation layer.
using TBatchSheetLoader = bool (*)(const std::string& fileName, TStringList& caseColumn,
                                   TStringList& finds, TStringList& replacements);
void SetBatchSheetLoader(TBatchSheetLoader loader);

// Writes the table; the old file stays whole when this fails.
bool SaveBatchTable(const std::string& fileName, const TStringList& caseColumn,
                    const TStringList& finds, const TStringList& replacements);
