#include "engines/OfficeReplacers.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "core/FileUtils.h"
#include "engines/BatchMatcher.h"
#include "engines/BatchReplacer_utils.h"

namespace {

// The literal text of a batch find pattern; false when the pattern holds a
// token that stands for more than one fixed character.
bool LiteralBatchFind(const TBatchRecord& record, std::string& text) {
  const TBatchPattern pattern = CompileBatchPattern(record);
  if (!pattern.valid) return false;
  text.clear();
  for (const TBatchToken& token : pattern.tokens) {
    if (token.kind != TBatchToken::Byte) return false;
    text.push_back(static_cast<char>(token.byte));
  }
  return !text.empty();
}

TReplaceMode BatchRowMode(int32_t kind) {
  if (kind == kInsertBefore) return rmInsBefore;
  if (kind == kInsertAfter) return rmInsAfter;
  return rmReplace;
}

// text with escape put before each of its characters found in specials.
std::wstring Escaped(const std::wstring& text, std::wstring_view specials, wchar_t escape) {
  std::wstring out;
  for (wchar_t c : text) {
    if (specials.find(c) != std::wstring_view::npos) out += escape;
    out += c;
  }
  return out;
}

// The wide matcher of the spreadsheet and presentation objects reads "*" and
// "?" as wildcards, "~" as their escape.
std::wstring EscapeWideWildcards(const std::wstring& text) { return Escaped(text, L"*?~", L'~'); }

}  // namespace

TDocumentMaskLists::TDocumentMaskLists() {
  ParseFilterList("*.doc;*.dot;*.rtf;*.wps;*.mcw", wordProcessor_);
  ParseFilterList("*.xls", spreadsheet_);
  ParseFilterList("*.ppt;*.mht;*.pps", presentation_);
}

TDocumentKind TDocumentMaskLists::GetFileKind(const std::string& path) const {
  if (MatchFilterList(path.c_str(), presentation_, false)) return dkPresentation;
  if (MatchFilterList(path.c_str(), spreadsheet_, false)) return dkSpreadsheet;
  if (MatchFilterList(path.c_str(), wordProcessor_, false)) return dkWordProcessor;
  return dkPlain;
}

TOfficeReplacer::TOfficeReplacer(TThread* thread, bool backup, HGLOBAL block, TReplaceMode mode,
                                 int32_t splitPosition)
    : TBaseReplacer(thread), Mode(mode), Block(block), SplitPosition(splitPosition) {
  Backup = backup;
}

bool TOfficeReplacer::StartServer() {
  try {
    if (!CreateServer()) {
      StopServer();
      return false;
    }
    SetServerMode(Mode);
    return true;
  } catch (...) {
    StopServer();
    return false;
  }
}

TReplaceResult TOfficeReplacer::ReplaceInFile(const std::string& fileName) {
  Stage = kStageNoServer;
  FileSize = 0;
  MatchCount = 0;
  if (!HasServer() && !ServerFailed) ServerFailed = !StartServer();
  if (!HasServer()) return rrFailed;
  Stage = kStageFileTest;
  const int64_t size = GetEntrySize(fileName);
  if (size < 0) return rrFailed;
  FileSize = size;
  // Checked apart: an administrator may open a read-only file for writing.
  if ((GetFileAttributesA(fileName.c_str()) & FILE_ATTRIBUTE_READONLY) || !CanOpenExclusive(fileName))
    return rrProtected;
  TReplaceResult result = rrFailed;
  try {
    result = WorkOnDocument(fileName);
  } catch (...) {
    // Server errors and stop requests alike end the document as failed.
    result = rrFailed;
  }
  try {
    MatchCount = HitCount();
    CloseDocument();
  } catch (...) {
  }
  return result;
}

TReplaceResult TOfficeReplacer::WorkOnDocument(const std::string& fileName) {
  Stage = kStageCountDocuments;
  // Documents the user has open stay with the user's instance, untouched.
  if (DocumentCount() > 0) MoveToNewInstance();
  Stage = kStageOpen;
  OpenDocument(fileName);
  Stage = kStageProtection;
  if (IsProtected()) return rrProtected;
  ReadPairOnce();
  Stage = kStageApply;
  TReplaceResult result = rrChanged;
  if (Mode == rmBatch) result = ApplyBatch();
  else if (!FindText.empty()) result = ApplyPair(Mode, FindText, ClosingText, ReplaceText, Flags);
  if (result != rrChanged) return result;
  if (HitCount() == 0) return rrUnchanged;
  if (Mode == rmJustFind) return rrChanged;
  return SaveOnHits(fileName);
}

void TOfficeReplacer::ReadPairOnce() {
  if (Mode == rmBatch || !FindText.empty()) return;
  std::string find, replacement;
  ReadPatternPair(Block, find, replacement, Flags);
  if (Mode == rmInsBetween && SplitsBetween()) {
    const size_t split = static_cast<size_t>(std::clamp<int64_t>(SplitPosition, 0, find.size()));
    ClosingText = AnsiToWide(find.substr(split));
    find.resize(split);
  }
  FindText = AnsiToWide(find);
  ReplaceText = AnsiToWide(replacement);
}

// Every row must be one the server can carry out as written, else nothing is
// applied: a token sent raw would be searched as text, and an insert applied
// as a replacement would destroy the matched text.
TReplaceResult TOfficeReplacer::ApplyBatch() {
  std::vector<TBatchRecord> records;
  if (!ReadBatchRecords(Block, static_cast<uint32_t>(std::max(PairCount, 0)), records))
    return rrFailed;
  std::vector<std::wstring> finds;
  for (const TBatchRecord& record : records) {
    std::string find;
    if (!LiteralBatchFind(record, find)) return rrNotSupported;
    finds.push_back(LiteralFindText(AnsiToWide(find)));
  }
  for (size_t i = 0; i < records.size(); ++i) {
    const TBatchRecord& record = records[i];
    const TReplaceMode rowMode = BatchRowMode(record.kind);
    SetServerMode(rowMode);
    const TReplaceResult rowResult =
        ApplyPair(rowMode, finds[i], std::wstring(), AnsiToWide(record.replacement),
                  record.caseSensitive ? pfCaseSensitive : 0);
    SetServerMode(Mode);
    if (rowResult != rrChanged) return rowResult;
  }
  return rrChanged;
}

TReplaceResult TOfficeReplacer::SaveOnHits(const std::string& fileName) {
  Stage = kStageBackup;
  if (!MakeBackupCopy(fileName, FileSize)) return rrFailed;
  Stage = kStageSave;
  SaveDocument(fileName);
  return rrChanged;
}

TMSWordReplacer::TMSWordReplacer(TThread* thread, bool backup, HGLOBAL block, TReplaceMode mode)
    : TServerReplacer(thread, backup, block, mode, 0) {}

bool TMSWordReplacer::CreateServer() { return UseServer(std::make_unique<TWordObject97>(Thread())); }

TReplaceResult TMSWordReplacer::ApplyPair(TReplaceMode mode, const std::wstring& find,
                                          const std::wstring&, const std::wstring& replacement,
                                          uint32_t flags) {
  switch (mode) {
    case rmInsBetween: return rrNotSupported;
    case rmInsToHead:
    case rmInsToFoot: Server->InsertHeadFootDoc(find); break;
    default: Server->ReplaceAll(find, replacement, flags); break;
  }
  return rrChanged;
}

// The word processor's find reads "^" as the start of a special character.
std::wstring TMSWordReplacer::LiteralFindText(const std::wstring& text) const {
  return Escaped(text, L"^", L'^');
}

TMSExcelReplacer::TMSExcelReplacer(TThread* thread, bool backup, HGLOBAL block, TReplaceMode mode,
                                   int32_t splitPosition)
    : TServerReplacer(thread, backup, block, mode, splitPosition) {}

bool TMSExcelReplacer::CreateServer() { return UseServer(std::make_unique<TExcelObject>()); }

TReplaceResult TMSExcelReplacer::ApplyPair(TReplaceMode mode, const std::wstring& find,
                                           const std::wstring& closing,
                                           const std::wstring& replacement, uint32_t flags) {
  if (mode == rmInsToHead || mode == rmInsToFoot) return rrNotSupported;
  Server->ReplaceInWorkbook(find, closing, replacement, flags);
  return rrChanged;
}

std::wstring TMSExcelReplacer::LiteralFindText(const std::wstring& text) const {
  return EscapeWideWildcards(text);
}

TMSPowerPointReplacer::TMSPowerPointReplacer(TThread* thread, bool backup, HGLOBAL block,
                                             TReplaceMode mode, int32_t splitPosition)
    : TServerReplacer(thread, backup, block, mode, splitPosition) {}

bool TMSPowerPointReplacer::CreateServer() { return UseServer(std::make_unique<TPowerPointObject>()); }

TReplaceResult TMSPowerPointReplacer::ApplyPair(TReplaceMode mode, const std::wstring& find,
                                                const std::wstring& closing,
                                                const std::wstring& replacement, uint32_t flags) {
  if (mode == rmInsToHead || mode == rmInsToFoot) return rrNotSupported;
  Server->ReplaceInSlides(find, closing, replacement, flags);
  return rrChanged;
}

std::wstring TMSPowerPointReplacer::LiteralFindText(const std::wstring& text) const {
  return EscapeWideWildcards(text);
}
