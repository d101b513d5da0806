#include "engines/PerformReplace.h"

#include <stdexcept>

#include "core/FileUtils.h"
#include "engines/OfficeReplacers.h"
#include "engines/TextReplacer.h"

TFileStatus FileStatusFor(TReplaceResult result) {
  switch (result) {
    case rrNotFound: return fsFailed | iuRemove | iuUnselect;
    case rrChanged: return fsSuccessful | iuSize | iuUnselect;
    case rrUnchanged: return fsUnchanged | iuSize | iuUnselect;
    case rrNotSupported:
    case rrProtected: return iuSize | iuUnselect;
    default: return fsFailed | iuUnselect;
  }
}

// The engines of one run, made once and freed at its end, before COM goes.
struct TReplacer::TRun {
  explicit TRun(TReplacer& t)
      : text(&t, t.Backup, t.PatternBlock, t.Mode),
        word(&t, t.Backup, t.PatternBlock, t.Mode),
        spreadsheet(&t, t.Backup, t.PatternBlock, t.Mode, t.SplitPosition),
        presentation(&t, t.Backup, t.PatternBlock, t.Mode, t.SplitPosition) {
    text.SplitPosition = t.SplitPosition;
  }
  TOfficeReplacer* Office(TDocumentKind kind) {
    if (kind == dkWordProcessor) return &word;
    if (kind == dkSpreadsheet) return &spreadsheet;
    if (kind == dkPresentation) return &presentation;
    return nullptr;
  }

  TDocumentMaskLists masks;
  TTextReplacer text;
  TMSWordReplacer word;
  TMSExcelReplacer spreadsheet;
  TMSPowerPointReplacer presentation;
};

void TReplacer::Execute() {
  FinalState = RunWorkerJob(*this, [this] { RunFiles(); }, ErrorText);
  ReturnValue = static_cast<DWORD>(FinalState);
}

void TReplacer::RunFiles() {
  TRun run(*this);
  CallGetNextFile();
  while (Item && !Terminated()) {
    ProcessItem(run);
    CallFileDone();
    CallProgress();
    CallGetNextFile();
  }
}

void TReplacer::ProcessItem(TRun& run) {
  Path = ItemPath(*Item);
  Stage = 0;
  Result = rrFailed;
  if (TOfficeReplacer* office = run.Office(run.masks.GetFileKind(Path))) {
    Result = office->ReplaceInFile(Path);
    SizeBefore = office->FileSize;
    Matches = office->MatchCount;
    Stage = office->Stage;
  } else {
    run.text.FileSize = 0;
    run.text.MatchCount = 0;
    Result = run.text.ReplaceInFile(Path);
    SizeBefore = run.text.FileSize;
    Matches = run.text.MatchCount;
  }
  SettleStatus();
}

// Sizes come from the folder entry: a file that another process holds still
// has one, and no -1 ever reaches the item or the totals.
void TReplacer::SettleStatus() {
  FileStatus.Flags = FileStatusFor(Result);
  if (SizeBefore < 0) SizeBefore = 0;
  SizeAfter = 0;
  if (Result == rrFailed || Result == rrNotFound) return;
  const int64_t size = GetEntrySize(Path);
  if (size < 0) {
    FileStatus.Flags &= ~iuSize;
    return;
  }
  SizeAfter = size;
  FileStatus.Size = static_cast<uint64_t>(size);
}

void TReplacer::CallGetNextFile() {
  if (!OnGetNextFile) {
    Item = nullptr;
    throw std::runtime_error(kNoGetNextFileText);
  }
  Synchronize([this] { OnGetNextFile(this, Item); });
}

void TReplacer::CallFileDone() {
  if (OnFileDone) Synchronize([this] { OnFileDone(this, FileStatus); });
}

void TReplacer::CallProgress() {
  if (OnProgress)
    Synchronize([this] { OnProgress(this, Result, Stage, Matches, SizeBefore, SizeAfter); });
}
